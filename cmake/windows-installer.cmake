# The Windows installer: CPack's NSIS generator (NSIS's makensis on the PATH), included by
# cmake/packaging.cmake on Windows, which names and describes the package. Qt's libraries and
# plugins go beside the window program by windeployqt at install time, Microsoft's C++ runtime
# by InstallRequiredSystemLibraries. See docs/windows.md; this has not been run on Windows yet.
set(CPACK_GENERATOR NSIS)
set(CPACK_NSIS_PACKAGE_NAME "Kruskal-Wallis")
set(CPACK_NSIS_DISPLAY_NAME "Kruskal-Wallis ${PROJECT_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Kruskal-Wallis")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Kruskal-Wallis")
set(CPACK_PACKAGE_FILE_NAME "kruskalwallis-${PROJECT_VERSION}-windows-x64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A Start menu entry (and, if asked for, a desktop one) for the window program in bin\; the
# option of putting bin\ on the PATH, for kwtest.
set(CPACK_PACKAGE_EXECUTABLES kruskalwallis "Kruskal-Wallis")
set(CPACK_CREATE_DESKTOP_LINKS kruskalwallis)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\kruskalwallis.exe")
set(CPACK_NSIS_MODIFY_PATH ON)
if(KW_HOMEPAGE_URL)
  set(CPACK_NSIS_URL_INFO_ABOUT "${KW_HOMEPAGE_URL}")
endif()
# The icon, where scripts/windows/build-window.ps1 made one from packaging/icons (ImageMagick).
if(EXISTS "${PROJECT_BINARY_DIR}/kruskalwallis.ico")
  set(CPACK_NSIS_MUI_ICON "${PROJECT_BINARY_DIR}/kruskalwallis.ico")
  set(CPACK_NSIS_MUI_UNIICON "${PROJECT_BINARY_DIR}/kruskalwallis.ico")
endif()

# The Excel link's check program beside kwtest.
if(TARGET kwexcelcheck)
  install(TARGETS kwexcelcheck RUNTIME DESTINATION bin)
endif()

# vcruntime140.dll and its siblings, for the programs built with MSVC or clang-cl.
set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION bin)
include(InstallRequiredSystemLibraries)

# windeployqt copies the Qt libraries the window program uses (Widgets, Svg, PrintSupport,
# Concurrent), the platform, style and image plugins and Qt's own German texts beside it.
if(TARGET kruskalwallis)
  find_program(KW_WINDEPLOYQT windeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}"
                                                "${Qt6_DIR}/../../../bin")
  if(NOT KW_WINDEPLOYQT)
    message(FATAL_ERROR "windeployqt not found: give -DKW_WINDEPLOYQT=<Qt>/bin/windeployqt.exe")
  endif()
  install(CODE "
    execute_process(
      COMMAND \"${KW_WINDEPLOYQT}\" --release --no-compiler-runtime --no-opengl-sw
              --no-system-d3d-compiler --translations de
              \"\${CMAKE_INSTALL_PREFIX}/bin/kruskalwallis.exe\"
      RESULT_VARIABLE deployed)
    if(NOT deployed EQUAL 0)
      message(FATAL_ERROR \"windeployqt failed on kruskalwallis.exe\")
    endif()")
endif()
