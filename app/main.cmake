find_package(PNG REQUIRED)

add_library(velmora_app STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/Application.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ApplicationFiles.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ApplicationEdits.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ApplicationHistory.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ApplicationCapture.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/CameraMotion.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Controls.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Inspector.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DataFolder.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/EnergyHistory.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PassAverages.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PickRayFromCursor.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PngWriter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ProgressLine.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ReplayPasses.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ReplayWindows.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/RunReport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/SaveFolder.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/SceneFrame.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Timeline.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/UndoStack.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/VideoWriter.cpp
)
find_package(PkgConfig REQUIRED)
pkg_check_modules(VELMORA_LIBAV REQUIRED IMPORTED_TARGET libavcodec libavformat libavutil
                  libswscale)
target_link_libraries(velmora_app PUBLIC velmora_shell velmora_session velmora_overlay
                                         velmora_render velmora_scenes velmora_gpu PNG::PNG
                                         PkgConfig::VELMORA_LIBAV)

# The program lives in the build folder beside bin/, which the pictures tool fills.
add_executable(velmora ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(velmora PRIVATE velmora_app)
target_compile_definitions(velmora PRIVATE VELMORA_VERSION="${VELMORA_VERSION}")
set_target_properties(velmora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The tree the program is built from is never where F5 saves unless asked (see SaveFolder).
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/SaveFolder.cpp PROPERTIES
  COMPILE_DEFINITIONS "VELMORA_SOURCE_DIR=\"${PROJECT_SOURCE_DIR}\"")
