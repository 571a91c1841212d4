# velmora_os: the operating-system seam, real (SDL2) and scripted.
find_package(SDL2 REQUIRED)

add_library(velmora_os STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SdlGlAttributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlKeyMap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlOperatingSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedOperatingSystem.cpp
)
# SDL stays private: nothing outside platform/ sees its headers.
target_link_libraries(velmora_os PRIVATE SDL2::SDL2 PUBLIC velmora_math)
