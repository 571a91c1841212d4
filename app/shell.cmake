# velmora_shell: input snapshot, frame timer, window and display mode.
add_library(velmora_shell STATIC
  ${CMAKE_CURRENT_LIST_DIR}/InputState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
)
target_link_libraries(velmora_shell PUBLIC velmora_os)
