# `cmake --install`: the program, its data folder (the pictures and the effect it finds beside
# itself or here, see app/DataFolder.h), a desktop entry and an icon. `make package` turns the
# same into a Debian package with CPack.
include(GNUInstallDirs)
set(VELMORA_INSTALLED_DATA ${CMAKE_INSTALL_DATADIR}/velmora/bin)
target_compile_definitions(velmora_app PRIVATE
  VELMORA_INSTALLED_DATA="${VELMORA_INSTALLED_DATA}/")

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/ DESTINATION ${VELMORA_INSTALLED_DATA}
        FILES_MATCHING PATTERN "*.bmp" PATTERN "*.fx")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/velmora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive physics sandbox of springs and point masses")
set(CPACK_PACKAGE_DESCRIPTION
    "Point masses joined by damped springs hang, fall, bounce and collide in a room; fly a \
camera and spawn, delete, link, unlink, pin and drag them with the mouse.")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the program links, as dpkg-shlibdeps finds them, and the OpenGL and EGL it
# loads through libepoxy at run time (EGL, with Mesa's, draws pictures without a display).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri, libegl1, libegl-mesa0")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
