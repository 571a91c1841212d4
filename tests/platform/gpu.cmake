# The GPU seam: the effect file loader and unprojection (standard library only), the
# recording device, and the OpenGL device on a display.
velmora_test(velmora_effect_file_test LIBS velmora_gpu
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/EffectFileTest.cpp)
velmora_test(velmora_unproject_test LIBS velmora_gpu
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnprojectTest.cpp)
velmora_test(velmora_recording_device_test LIBS velmora_gpu velmora_os
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RecordingDeviceTest.cpp)
velmora_test(velmora_gl_device_test LIBS velmora_gpu velmora_os
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/GlDeviceTest.cpp DISPLAY)
target_compile_definitions(velmora_gl_device_test PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
