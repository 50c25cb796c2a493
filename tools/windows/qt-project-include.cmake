# Included at the end of project() (CMAKE_PROJECT_INCLUDE) in the Windows
# build: lets find_package see the static Qt made by tools/windows/build-qt.sh
# (JF_WINDOWS_QT_PREFIX), as Qt's own qt.toolchain.cmake would, while the
# build keeps the plain mingw-w64 toolchain. So one build tree, build/windows,
# holds the core, the test suites, jobforge3-cli.exe and jobforge3.exe.
if(JF_WINDOWS_QT_PREFIX)
    list(PREPEND CMAKE_PREFIX_PATH "${JF_WINDOWS_QT_PREFIX}/lib/cmake")
    list(PREPEND CMAKE_FIND_ROOT_PATH "${JF_WINDOWS_QT_PREFIX}")
    list(PREPEND CMAKE_MODULE_PATH "${JF_WINDOWS_QT_PREFIX}/lib/cmake/Qt6/platforms")
endif()
