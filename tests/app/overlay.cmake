# The overlay on the recording device (everywhere) and on the OpenGL device (under Xvfb).
velmora_test(velmora_overlay_test LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/OverlayTest.cpp)
target_compile_definitions(velmora_overlay_test PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                       VELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(velmora_overlay_test velmora_assets)
velmora_test(velmora_overlay_gl_test LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/OverlayGlTest.cpp DISPLAY)
target_compile_definitions(velmora_overlay_gl_test PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
