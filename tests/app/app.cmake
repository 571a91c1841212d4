# The real loop on the scripted operating system and the headless device (the overlay in it
# too), and the built program with its command line.
velmora_test(velmora_app_tests
  LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ApplicationTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ControlsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/OverlayInTheLoopTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ProgramTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/SaveFolderTest.cpp ${CMAKE_CURRENT_LIST_DIR}/PhysicsPanelTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/HistoryTest.cpp
)
add_dependencies(velmora_app_tests velmora velmora_assets)
# The scene's batched drawing on the OpenGL device, pixel for pixel against the per-object
# drawing; it does not allocate per frame.
velmora_test(velmora_scene_pixels_test
  LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SceneDrawingPixelTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PerObjectDrawing.cpp ${CMAKE_CURRENT_LIST_DIR}/AllocationCounter.cpp
  DISPLAY
)
add_dependencies(velmora_scene_pixels_test velmora_assets)
# Videos and pictures through Mesa's EGL, in the program and in this process: labelled with the
# display tests, whose drivers' own unfreed allocations the leak checker would report.
velmora_test(velmora_video_tests
  LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/VideoTest.cpp
  DISPLAY
)
add_dependencies(velmora_video_tests velmora velmora_assets)
foreach(test velmora_app_tests velmora_scene_pixels_test velmora_video_tests)
  target_compile_definitions(${test} PRIVATE VELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                             VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endforeach()
