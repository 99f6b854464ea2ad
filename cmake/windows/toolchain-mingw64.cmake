# Cross-compiling for 64-bit Windows 10/11 with Debian's mingw-w64, posix thread model
# (std::thread and std::mutex need it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KENNFIX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KENNFIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KENNFIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KENNFIX_MINGW_TRIPLET}-windres)

# Look for libraries and headers only in the mingw sysroot and in the prefixes
# we add (Qt for Windows, the header-only libraries): no host header may reach
# a Windows build. Programs (moc, rcc, ...) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KENNFIX_MINGW_TRIPLET})
list(APPEND CMAKE_FIND_ROOT_PATH ${KENNFIX_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Passed on to try_compile() projects, which re-read this file.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KENNFIX_WINDOWS_PREFIXES)
