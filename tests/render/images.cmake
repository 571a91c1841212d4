velmora_test(velmora_images_test
  LIBS velmora_images
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageTest.cpp
)
