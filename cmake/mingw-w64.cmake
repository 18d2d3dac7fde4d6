# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads:
# the win32 variant lacks std::thread and std::mutex) against the Qt kit
# that scripts/build-qt-windows provides.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT QT_WINDOWS_PREFIX)
    if(DEFINED ENV{QT_WINDOWS_PREFIX})
        set(QT_WINDOWS_PREFIX "$ENV{QT_WINDOWS_PREFIX}")
    else()
        set(QT_WINDOWS_PREFIX /var/cache/querytool/qt-5.15.8-mingw64)
    endif()
endif()
# try_compile projects read this file again without the cache.
set(ENV{QT_WINDOWS_PREFIX} "${QT_WINDOWS_PREFIX}")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${QT_WINDOWS_PREFIX}")
set(CMAKE_PREFIX_PATH "${QT_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs (the tests among them) run under Wine.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
