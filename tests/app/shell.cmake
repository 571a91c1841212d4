# The shell pieces: input snapshot, frame timer, window and display mode.
velmora_test(shell_test LIBS velmora_shell SOURCES ${CMAKE_CURRENT_LIST_DIR}/ShellTest.cpp)
# The same on the real SDL window, under Xvfb, driven by xdotool.
find_package(SDL2 REQUIRED)
find_package(X11 REQUIRED)
velmora_test(shell_sdl_test LIBS velmora_shell SDL2::SDL2 X11::X11
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ShellSdlTest.cpp DISPLAY)
