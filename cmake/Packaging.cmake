# Installation and release packages: .deb and .tar.gz on Linux; .zip and an NSIS installer
# for Windows; a .zip of the page for the web.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME bowlview)
set(CPACK_PACKAGE_VENDOR "the bowlview authors")
set(CPACK_PACKAGE_CONTACT "the bowlview authors <authors@bowlview.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive OpenGL viewer of a lit, spinning bowl")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGE_HOMEPAGE_URL https://bowlview.org/)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Reproducible packages: every file in them dated SOURCE_DATE_EPOCH, the last commit's time
# where it is not set (read as each package is made, so a new commit needs no new configure).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/SourceDateEpoch.cmake)
set(CPACK_BOWLVIEW_SOURCE_DIR ${PROJECT_SOURCE_DIR})

if(EMSCRIPTEN)
  # The page's folder as it is served: index.html, the program's JavaScript and WebAssembly, the
  # manifest, its icons and the service worker.
  install(DIRECTORY ${CMAKE_BINARY_DIR}/page/ DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME web)
elseif(WIN32)
  # Plain text with Windows line ends, as Notepad shows it: the licence and a short readme.
  configure_file(LICENSE LICENSE.txt NEWLINE_STYLE CRLF)
  configure_file(packaging/windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS bowlview RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR "ZIP;NSIS")
  set(CPACK_SYSTEM_NAME windows-x86_64)
  # The installer is our own script, packaging/windows/NSIS.template.in: for the current user
  # or for all users, its Start-menu shortcut and uninstall entry in the chosen one's place.
  list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
  set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt)
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/packaging/icons/bowlview.ico)
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
