# The GPU seam: the effect file loader and unprojection (standard library only). The two
# devices are tested through the renderer in tests/render.
velmora_test(velmora_effect_file_test LIBS velmora_gpu
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EffectFileTest.cpp)
velmora_test(velmora_unproject_test LIBS velmora_gpu
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnprojectTest.cpp)
# The page's OpenGL ES stages, compiled and drawn by Mesa without a browser. Labelled a
# display test, as the others driving Mesa are: its own allocations would read as leaks.
velmora_test(velmora_gl_dialect_test LIBS velmora_gpu DISPLAY
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/GlDialectTest.cpp)
target_compile_definitions(velmora_gl_dialect_test PRIVATE
  VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
