# The overlay on the headless device, alone and in the real loop.
velmora_test(velmora_overlay_test LIBS velmora_app SOURCES ${CMAKE_CURRENT_LIST_DIR}/OverlayTest.cpp)
target_compile_definitions(velmora_overlay_test PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                                       VELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(velmora_overlay_test velmora_assets)
