# velmora_scene_files: the scene file reader, writer and checks, with the checks of the physics
# settings files hold. Standard library, nlohmann-json and the atomic file writer only, so the
# fuzz target (tests/fuzz, which includes this file into its own clang project) builds it alone.
find_package(nlohmann_json 3.10 REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/../platform/files.cmake)
add_library(velmora_scene_files STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SceneCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SceneDocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SceneFileReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SceneFileWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../physics/PhysicsSettings.cpp
)
get_filename_component(velmora_scene_files_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
target_include_directories(velmora_scene_files PUBLIC ${velmora_scene_files_root})
target_link_libraries(velmora_scene_files PUBLIC velmora_files nlohmann_json::nlohmann_json)
