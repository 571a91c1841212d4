# velmora_os: the operating-system seam, real (SDL2) and scripted, and the page's key map
# (WebKeyMap: plain C++, tested here; WebOperatingSystem itself builds only for the web).
find_package(SDL2 REQUIRED)
# Xlib for what SDL leaves out on X11: window-manager hints.
find_package(X11 REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
add_library(velmora_os STATIC
  ${VELMORA_OS_SOURCES}
  ${CMAKE_CURRENT_LIST_DIR}/SdlGlAttributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlKeyMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlOperatingSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlWindowAttributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlXErrors.cpp
)
# SDL and X stay private: nothing outside platform/ sees their headers.
target_link_libraries(velmora_os PRIVATE SDL2::SDL2 X11::X11 PUBLIC velmora_math velmora_files)
