# The real loop on the scripted operating system and the recording device, and the
# command line.
velmora_test(velmora_app_tests
  LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ApplicationTest.cpp ${CMAKE_CURRENT_LIST_DIR}/CommandLineTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ControlsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SessionTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ProgramTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SceneProgramTest.cpp
)
target_compile_definitions(velmora_app_tests PRIVATE VELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                                    VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(velmora_app_tests velmora velmora_assets)

# The scene's batched drawing: its draws and buffers on the recording device, and on the
# OpenGL device pixel for pixel against the per-object drawing; neither allocates per frame.
velmora_test(velmora_scene_drawing_test
  LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SceneDrawingTest.cpp ${CMAKE_CURRENT_LIST_DIR}/AllocationCounter.cpp
)
velmora_test(velmora_scene_pixels_test
  LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SceneDrawingPixelTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PerObjectDrawing.cpp ${CMAKE_CURRENT_LIST_DIR}/AllocationCounter.cpp
  DISPLAY
)
foreach(test velmora_scene_drawing_test velmora_scene_pixels_test)
  target_compile_definitions(${test} PRIVATE VELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                             VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_dependencies(${test} velmora_assets)
endforeach()
