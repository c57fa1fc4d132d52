# SPDX-License-Identifier: MIT
# Cross-builds the engine, the command-line programs and the engine's tests for 64-bit Windows
# with Debian's mingw-w64 compilers, and runs what it builds under Wine:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DGANTREL_BUILD_GUI=OFF
#
# The posix thread model is the one whose C++ library has std::thread and std::jthread, which
# the engine uses. Debian has no Qt for this target, so the window cannot be built here.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GANTREL_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GANTREL_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GANTREL_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${GANTREL_MINGW_TARGET}-windres)

# Libraries, headers and packages come from the target's root only, so nothing of the host's
# own (ICU, GoogleTest built for Linux) can slip into a Windows program.
set(CMAKE_FIND_ROOT_PATH /usr/${GANTREL_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Header-only packages hold no code for any one machine, so the target may use Debian's. They
# are staged below a root of their own, holding them alone: the host's /usr/include never comes
# before mingw's headers.
get_property(gantrel_in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT gantrel_in_try_compile)
    set(gantrel_noarch_root ${CMAKE_BINARY_DIR}/mingw-w64-noarch)
    set(gantrel_json_config /usr/share/cmake/nlohmann_json)
    if(EXISTS ${gantrel_json_config}/nlohmann_jsonConfig.cmake
       AND NOT EXISTS ${gantrel_noarch_root}/include/nlohmann)
        file(MAKE_DIRECTORY ${gantrel_noarch_root}/include ${gantrel_noarch_root}/share/cmake)
        file(CREATE_LINK /usr/include/nlohmann ${gantrel_noarch_root}/include/nlohmann SYMBOLIC)
        # The package's own files, which find its headers relative to where they lie.
        file(COPY ${gantrel_json_config} DESTINATION ${gantrel_noarch_root}/share/cmake)
    endif()
    list(APPEND CMAKE_FIND_ROOT_PATH ${gantrel_noarch_root})
endif()

# zlib linked in too (libz.a rather than the import library of a zlib1.dll): the programs
# import no DLL that Windows does not ship.
set(ZLIB_USE_STATIC_LIBS ON)

# The C and C++ runtimes and the thread library linked in: the programs run under Wine, or
# copied to a Windows machine, without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the test programs through Wine.
find_program(GANTREL_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(GANTREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${GANTREL_WINE})
endif()
