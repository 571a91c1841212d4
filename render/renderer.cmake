# Geometry buffers and the renderer. textures.cmake adds textures, the texture manager, meshes
# and the scene's drawing to the same library.
add_library(velmora_render STATIC
  ${CMAKE_CURRENT_LIST_DIR}/D3DGeometryBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/D3DRenderer.cpp
)
target_include_directories(velmora_render PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmora_render PUBLIC velmora_gpu velmora_math)
