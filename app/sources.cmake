# The loop's sources that the desktop and the web page both build. The desktop adds the
# picture and video writers and the data folder's search (main.cmake); the page has its own
# entry point and says it makes no pictures (web/).
set(VELMORA_SHELL_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/InputState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
)
set(VELMORA_APP_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationEdits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ApplicationCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CameraMotion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Inspector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EnergyHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PassAverages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PickRayFromCursor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplayPasses.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplayWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunReport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SaveFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SceneFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Timeline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UndoStack.cpp
)
