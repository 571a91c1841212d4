find_package(PNG REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
add_library(velmora_app STATIC
  ${VELMORA_APP_SOURCES}
  ${CMAKE_CURRENT_LIST_DIR}/DataFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VideoWriter.cpp
)
find_package(PkgConfig REQUIRED)
pkg_check_modules(VELMORA_LIBAV REQUIRED IMPORTED_TARGET libavcodec libavformat libavutil
                  libswscale)
target_link_libraries(velmora_app PUBLIC velmora_shell velmora_session velmora_overlay
                                         velmora_render velmora_scenes velmora_gpu PNG::PNG
                                         PkgConfig::VELMORA_LIBAV)

# The program lives in the build folder beside bin/, which the pictures tool fills.
add_executable(velmora ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(velmora PRIVATE velmora_app)
target_compile_definitions(velmora PRIVATE VELMORA_VERSION="${VELMORA_VERSION}")
set_target_properties(velmora PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The tree the program is built from is never where F5 saves unless asked (see SaveFolder).
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/SaveFolder.cpp PROPERTIES
  COMPILE_DEFINITIONS "VELMORA_SOURCE_DIR=\"${PROJECT_SOURCE_DIR}\"")
