# Cross toolchain for 64-bit Windows with Debian's mingw-w64 (posix threads
# model). Programs are linked with a static runtime, so the .exe files run
# without any mingw DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(JF_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${JF_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${JF_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${JF_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${JF_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${JF_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${JF_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
