velmora_test(velmora_textures_test
  LIBS velmora_render velmora_os
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MeshTest.cpp
)
target_compile_definitions(velmora_textures_test PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
