# Geometry buffers, the renderer and the overlay's renderer (Dear ImGui's draw lists through
# the GPU seam). textures.cmake adds textures, the texture manager and meshes to the same
# library.
find_package(PkgConfig REQUIRED)
pkg_check_modules(VELMORA_IMGUI REQUIRED IMPORTED_TARGET imgui)

add_library(velmora_render STATIC
  ${CMAKE_CURRENT_LIST_DIR}/D3DGeometryBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/D3DRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OverlayRenderer.cpp
)
target_include_directories(velmora_render PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmora_render PUBLIC velmora_gpu velmora_math PkgConfig::VELMORA_IMGUI)
