# Textures, the texture manager, meshes and the scene's drawing join the renderer's library;
# the pictures come from velmora_images.
if(TARGET velmora_render)
  target_sources(velmora_render PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Texture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextureManager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Mesh.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SphereArrays.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BatchMesh.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SceneDrawing.cpp
  )
  target_link_libraries(velmora_render PUBLIC velmora_images)
endif()
