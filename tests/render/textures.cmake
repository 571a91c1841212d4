if(TARGET velmora_render)
  velmora_test(velmora_textures_test
    LIBS velmora_render velmora_os
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/TextureManagerTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/MeshTest.cpp
  )
  if(TARGET velmora_picture_tools)
    velmora_test(velmora_texture_pixels_test
      LIBS velmora_render velmora_os velmora_picture_tools
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/TexturePixelsTest.cpp
      DISPLAY
    )
  endif()
  foreach(test velmora_textures_test velmora_texture_pixels_test)
    if(TARGET ${test})
      target_compile_definitions(${test} PRIVATE
        VELMORA_EFFECT_FILE="${PROJECT_SOURCE_DIR}/assets/min.fx")
    endif()
  endforeach()
endif()
