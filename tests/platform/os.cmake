# The operating-system seam: the scripted one's rules and the SDL key map need no display.
find_package(SDL2 REQUIRED)
velmora_test(os_scripted_test LIBS velmora_os
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScriptedOsTest.cpp)
velmora_test(os_sdl_keymap_test LIBS velmora_os SDL2::SDL2
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SdlKeyMapTest.cpp)
