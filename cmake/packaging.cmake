# The packages CPack makes of what `cmake --install` installs (packaging/CMakeLists.txt): a .deb
# on Linux (scripts/package), an installer on Windows (cmake/windows-installer.cmake).
#
# CPack rather than dpkg-buildpackage: the package is made from the build that was tested, in
# seconds, with the dependencies still found by dpkg-shlibdeps from the programs themselves;
# and the same description serves the Windows installer.
set(CPACK_PACKAGE_NAME kruskalwallis)
set(CPACK_PACKAGE_VENDOR "The Kruskal-Wallis project")
set(CPACK_PACKAGE_CONTACT "The Kruskal-Wallis project <maintainers@kruskalwallis.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${KW_HOMEPAGE_URL}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Kruskal-Wallis test with multiple comparison of groups")
# Debian shows the description as it is: lines of at most 79 characters.
set(CPACK_PACKAGE_DESCRIPTION [=[
The Kruskal-Wallis test is the rank-based one-way analysis of variance for two
or more independent groups. This program runs it on a table read from its own
text, CSV, .xlsx and .ods workbooks, SPSS and Stata files or a running
LibreOffice Calc, restricts the cases by conditions, and compares every pair
of groups when the test is significant (Dunn, Conover-Iman or
Dwass-Steel-Critchlow-Fligner, with adjusted p-values). It reports effect
sizes with bootstrap intervals, the exact or Monte Carlo p-value, plots, and a
report as text or HTML.

The package holds the desktop program kruskalwallis and the batch tool kwtest,
which runs the same analysis from the command line.]=])
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/COPYING)
set(CPACK_STRIP_FILES ON)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # The Debian revision: raise it with a new entry in packaging/debian/changelog.
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KW_HOMEPAGE_URL}")
  # The shared libraries the programs load, as dpkg-shlibdeps finds them; beside them what is
  # loaded by name at run time: Qt's platform plugins (the window shows nothing without xcb or
  # wayland).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  # Calc for the spreadsheet link, Qt's own German texts for the German window, and what
  # loads kwtest's completion.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
      "libreoffice-calc-nogui | libreoffice-calc, qt6-translations-l10n, bash-completion")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "r-base-core")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
elseif(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows-installer.cmake OPTIONAL)
endif()

include(CPack)
