# Cross-compiling for Windows x86-64 with Debian's mingw-w64 (POSIX threads, so
# that std::thread and std::mutex work). Used by scripts/windows/toolchain to
# build the libraries and Qt, and then to build the program:
#   cmake -DCMAKE_TOOLCHAIN_FILE=<prefix>/lib/cmake/Qt6/qt.toolchain.cmake ...
# (Qt's toolchain file loads this one.)
#
# Libraries are looked for only in the Windows prefix built by
# scripts/windows/toolchain and in Debian's mingw-w64 sysroot, never in the
# host's /usr, so that a Linux header or CMake package can never slip in.
# The prefix is, in order: the VX_WINDOWS_PREFIX variable (CMake or
# environment); the prefix this file sits in, when it is the copy that the
# script installs in <prefix>/share/veltranorpx; the "current" prefix of the
# cache ($VX_WINDOWS_CACHE or /var/cache/veltranorpx-windows).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VX_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VX_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${VX_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT VX_WINDOWS_PREFIX)
    if(DEFINED ENV{VX_WINDOWS_PREFIX} AND NOT "$ENV{VX_WINDOWS_PREFIX}" STREQUAL "")
        set(VX_WINDOWS_PREFIX "$ENV{VX_WINDOWS_PREFIX}")
    elseif(CMAKE_CURRENT_LIST_DIR MATCHES "/share/veltranorpx$")
        get_filename_component(VX_WINDOWS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
    elseif(DEFINED ENV{VX_WINDOWS_CACHE} AND NOT "$ENV{VX_WINDOWS_CACHE}" STREQUAL "")
        set(VX_WINDOWS_PREFIX "$ENV{VX_WINDOWS_CACHE}/current")
    else()
        set(VX_WINDOWS_PREFIX "/var/cache/veltranorpx-windows/current")
    endif()
endif()
# try_compile() projects read this file again without our cache: pass it on.
set(ENV{VX_WINDOWS_PREFIX} "${VX_WINDOWS_PREFIX}")

list(APPEND CMAKE_FIND_ROOT_PATH "${VX_WINDOWS_PREFIX}" /usr/${VX_MINGW_TRIPLE})
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must see only Windows .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "${VX_WINDOWS_PREFIX}/lib/pkgconfig:/usr/${VX_MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
