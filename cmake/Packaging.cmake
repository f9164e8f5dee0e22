# Installation and release packages: .deb and .tar.gz on Linux; .zip and an NSIS installer
# for Windows.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME bowlview)
set(CPACK_PACKAGE_VENDOR "the bowlview authors")
set(CPACK_PACKAGE_CONTACT "the bowlview authors <authors@bowlview.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive OpenGL viewer of a lit, spinning bowl")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS bowlview RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR "ZIP;NSIS")
  set(CPACK_SYSTEM_NAME windows-x86_64)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY bowlview)
  set(CPACK_NSIS_DISPLAY_NAME bowlview)
  set(CPACK_NSIS_PACKAGE_NAME bowlview)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/packaging/icons/bowlview.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/packaging/icons/bowlview.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME bowlview.exe)
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  set(CPACK_PACKAGE_EXECUTABLES bowlview bowlview)  # the Start-menu shortcut
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  # A 64-bit installer for a 64-bit program (and for a Wine without 32-bit support).
  set(CPACK_NSIS_EXECUTABLE ${PROJECT_SOURCE_DIR}/packaging/windows/makensis-amd64)
else()
  set(doc ${CMAKE_INSTALL_DATADIR}/doc/bowlview)
  # Debian's way: the man page and the changelog gzipped without a timestamp.
  set(gz ${CMAKE_BINARY_DIR}/packaging)
  add_custom_command(
    OUTPUT ${gz}/bowlview.1.gz ${gz}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gz}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/bowlview.1 > ${gz}/bowlview.1.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${gz}/changelog.gz
    DEPENDS packaging/bowlview.1 packaging/debian/changelog)
  add_custom_target(compressed_docs ALL DEPENDS ${gz}/bowlview.1.gz ${gz}/changelog.gz)

  install(TARGETS bowlview RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/org.bowlview.bowlview.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/org.bowlview.bowlview.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES packaging/icons/bowlview.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES packaging/icons/bowlview-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME bowlview.png)
  endforeach()
  install(FILES ${gz}/bowlview.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${gz}/changelog.gz packaging/debian/copyright README.md docs/screenshot.png
          DESTINATION ${doc})

  set(CPACK_GENERATOR "TGZ;DEB")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends computed from the binary
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "bowlview opens one square window with a single lit object: a bowl, red on\n"
      "top and green beneath, lit by seven directional lights. It spins slowly\n"
      "from the first frame, and you turn it with the mouse as if it sat in a\n"
      "trackball: a drag that ends away from where it began leaves it spinning, a\n"
      "click stops it. The f key switches fog, p wire-frame drawing.")
  string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
endif()

include(CPack)
