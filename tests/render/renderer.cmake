# Geometry buffers and the renderer on both devices. The contract suite is built twice: on
# the recording device (runs everywhere, also under the sanitizers) and on the OpenGL device
# (needs a display).
set(renderer_test_libs velmora_render velmora_os)
velmora_test(velmora_renderer_contract_recording_test LIBS ${renderer_test_libs}
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RendererContractTest.cpp)
velmora_test(velmora_renderer_contract_gl_test LIBS ${renderer_test_libs}
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RendererContractTest.cpp DISPLAY)
target_compile_definitions(velmora_renderer_contract_gl_test PRIVATE VELMORA_CONTRACT_ON_GL)
velmora_test(velmora_renderer_pixels_test LIBS ${renderer_test_libs} velmora_picture_tools
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RendererPixelTest.cpp DISPLAY)
velmora_test(velmora_renderer_recording_test LIBS ${renderer_test_libs}
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RendererRecordingTest.cpp)
foreach(test velmora_renderer_contract_recording_test velmora_renderer_contract_gl_test
             velmora_renderer_pixels_test velmora_renderer_recording_test)
  target_compile_definitions(${test} PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endforeach()
