# The overlay's sources, built by the desktop (CMakeLists.txt) and the web page alike.
set(VELMORA_OVERLAY_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Overlay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EnergyChart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PhysicsSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimelineBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OverlayInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OverlayRenderer.cpp
)
