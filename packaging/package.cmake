# The Debian package (`make package`): everything `make install` puts under the install prefix.
# Its dependencies come from the programs' shared libraries through dpkg-shlibdeps, so SDL's
# library package is among them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME squish)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive 2-D soft-body toy")
set(CPACK_PACKAGE_DESCRIPTION
  "Soft bodies made of atoms and springs fall, bounce, bend and tear in a window; drag them with the mouse and change the physics in a settings panel. Includes squish-headless, which renders scenes to pictures without a window.")
set(CPACK_PACKAGE_CONTACT "squish maintainers <squish@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
