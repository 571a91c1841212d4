# The operating-system seam: the SDL and page key maps need no display.
find_package(SDL2 REQUIRED)
velmora_test(os_sdl_keymap_test LIBS velmora_os SDL2::SDL2
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SdlKeyMapTest.cpp ${CMAKE_CURRENT_LIST_DIR}/WebKeyMapTest.cpp)
# Window classes by name, the rule every operating system here shares.
velmora_test(os_window_classes_test LIBS velmora_os
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowClassTableTest.cpp)
