# Cross-compiles the Windows build on Linux with MinGW-w64 (64-bit).
# The "-posix" compilers use the POSIX thread model: the win32-thread ones lack
# std::mutex and std::thread, which GoogleTest and the dialog tests need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TROVA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TROVA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TROVA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TROVA_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${TROVA_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TROVA_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${TROVA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
