# The GPU seam: the OpenGL 3.3 device (the real one) and the headless device (no context),
# the effect file loader both use, and D3DXVec3Unproject.
find_package(SDL2 REQUIRED CONFIG)
find_package(PkgConfig REQUIRED)
pkg_check_modules(VELMORA_EPOXY REQUIRED IMPORTED_TARGET epoxy)

include(${CMAKE_CURRENT_LIST_DIR}/sources.cmake)
add_library(velmora_gpu STATIC
  ${VELMORA_GPU_SOURCES}
  ${CMAKE_CURRENT_LIST_DIR}/GlDirect3D.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlGlContext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EglOffscreen.cpp
)
target_include_directories(velmora_gpu PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(velmora_gpu PUBLIC velmora_math velmora_files SDL2::SDL2
                                         PkgConfig::VELMORA_EPOXY)
