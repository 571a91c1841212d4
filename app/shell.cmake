# velmora_shell: input snapshot, frame timer, window and display mode.
include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
add_library(velmora_shell STATIC ${VELMORA_SHELL_SOURCES})
target_link_libraries(velmora_shell PUBLIC velmora_os)
