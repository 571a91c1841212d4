# The seams' sources that the desktop and the web page both build, so a file added here is in
# both: the GPU device on any OpenGL the dialect speaks, and the portable part of the
# operating-system seam. The desktop adds its SDL and EGL files (gpu.cmake, os.cmake), the page
# its own (web/CMakeLists.txt).
set(VELMORA_GPU_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/EffectFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DeviceState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EffectCore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeadlessDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Unproject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlResources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlEffect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDialect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDeviceResources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDeviceStates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDeviceDrawing.cpp
)
set(VELMORA_OS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/OsFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptedOperatingSystem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebKeyMap.cpp
)
