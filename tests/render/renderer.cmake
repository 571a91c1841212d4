# The renderer on both devices: on the headless device (runs everywhere, also under the
# sanitizers) and on the OpenGL device, judged by pixels (needs a display).
set(renderer_test_libs velmora_render velmora_os)
velmora_test(velmora_renderer_pixels_test LIBS ${renderer_test_libs} velmora_picture_tools
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RendererPixelTest.cpp DISPLAY)
velmora_test(velmora_renderer_headless_test LIBS ${renderer_test_libs}
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RendererHeadlessTest.cpp)
foreach(test velmora_renderer_pixels_test velmora_renderer_headless_test)
  target_compile_definitions(${test} PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endforeach()
