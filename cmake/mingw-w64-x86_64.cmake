# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads flavour), so that
# std::thread works. Programs are linked statically and run on their own, or under Wine here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(WR7310_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${WR7310_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WR7310_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${WR7310_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WR7310_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Qt for Windows, built from source by scripts/qt-mingw.sh, which prints its folder:
# WR7310_QT_MINGW names it (scripts/windows.sh sets it). Its moc, rcc and uic are the build
# machine's own Qt tools of the same version.
set(WR7310_QT_MINGW "$ENV{WR7310_QT_MINGW}" CACHE PATH "Qt for Windows (scripts/qt-mingw.sh)")
if(WR7310_QT_MINGW)
    list(APPEND CMAKE_FIND_ROOT_PATH ${WR7310_QT_MINGW})
    list(APPEND CMAKE_PREFIX_PATH ${WR7310_QT_MINGW})
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# The header-only libraries serve every target: Debian's headers of them are used as they are
# (through package files of our own that do not put /usr/include on the include path).
foreach(pkg CLI11 nlohmann_json)
    set(${pkg}_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-header-only CACHE PATH "" FORCE)
endforeach()

# GCC 12 warns wrongly about overlapping copies inside std::string's operator+ (GCC bug
# 105329) when it inlines more aggressively, as it does for this target.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# No libstdc++, libgcc or winpthread DLLs beside the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, each run in the prefix the test fixture made.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
