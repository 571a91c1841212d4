# Picture readers: the standard library and the bounded file reader only, so the tests and the
# fuzz target (tests/fuzz, which includes this file into its own clang project) build them
# alone.
include(${CMAKE_CURRENT_LIST_DIR}/../platform/files.cmake)
add_library(velmora_images STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ByteReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BmpReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TgaReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MipChain.cpp
)
get_filename_component(velmora_images_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
target_include_directories(velmora_images PUBLIC ${velmora_images_root})
target_link_libraries(velmora_images PUBLIC velmora_files)
