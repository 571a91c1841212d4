# velmora_files: reading files with a bound and replacing them atomically (POSIX, the C
# library only), for everything the program reads and writes. Included by more than one
# project file.
if(TARGET velmora_files)
  return()
endif()
add_library(velmora_files STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AtomicFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoundedFile.cpp
)
get_filename_component(velmora_files_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
target_include_directories(velmora_files PUBLIC ${velmora_files_root})
