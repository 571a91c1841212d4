# Replacing files atomically: POSIX and the C library only.
velmora_test(velmora_atomic_file_tests LIBS velmora_files
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AtomicFileTest.cpp)
