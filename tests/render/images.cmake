velmora_test(velmora_images_test
  LIBS velmora_images
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageTest.cpp
)
target_compile_definitions(velmora_images_test PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
