# SPDX-License-Identifier: GPL-3.0-or-later
# Installation beyond the targets, and the Debian package (cpack -G DEB in the build tree).
# The targets install themselves: the program, kv6830-capture, the two libraries and their
# headers.

install(FILES contrib/udev/60-kv6830.rules DESTINATION lib/udev/rules.d)
install(FILES contrib/desktop/io.github.kv6830.kv6830.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES contrib/desktop/io.github.kv6830.kv6830.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES contrib/desktop/io.github.kv6830.kv6830.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The manual where Help > Help Topics looks for it (see app/main/manual_location.cpp).
install(FILES doc/manual.htm LICENSE contrib/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kv6830)
install(DIRECTORY doc/images DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kv6830)

# The manual beside the program in the build tree, so that Help Topics finds it there too.
file(GLOB KV_MANUAL_IMAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/images/*.png)
set(KV_MANUAL_COPIES)
foreach(source ${PROJECT_SOURCE_DIR}/doc/manual.htm ${KV_MANUAL_IMAGES})
  file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/doc ${source})
  set(copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${relative})
  add_custom_command(OUTPUT ${copy} COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
                     DEPENDS ${source})
  list(APPEND KV_MANUAL_COPIES ${copy})
endforeach()
add_custom_target(manual ALL DEPENDS ${KV_MANUAL_COPIES})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kv6830)
set(CPACK_PACKAGE_VENDOR "KV-6830 developers")
set(CPACK_PACKAGE_CONTACT "KV-6830 developers <dev@kv6830.local>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Captures and shows the 24 channels of a KV-6830 logic analyzer attached\nby USB or the parallel port; kv6830-capture captures from scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries are loaded by name at run time, so the program's own dependencies do not
# name them; they are in the same package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
