# The real loop on the scripted operating system and the recording device, and the
# command line.
velmora_test(velmora_app_tests
  LIBS velmora_app
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ApplicationTest.cpp ${CMAKE_CURRENT_LIST_DIR}/CommandLineTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ProgramTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SceneProgramTest.cpp
)
target_compile_definitions(velmora_app_tests PRIVATE VELMORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
                                                    VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(velmora_app_tests velmora velmora_assets)
