# The GPU seam: the effect file loader and unprojection (standard library only). The two
# devices are tested through the renderer in tests/render.
velmora_test(velmora_effect_file_test LIBS velmora_gpu
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EffectFileTest.cpp)
velmora_test(velmora_unproject_test LIBS velmora_gpu
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnprojectTest.cpp)
