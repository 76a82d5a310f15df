# Toolchain: 64-bit Windows, cross-compiled on Debian with MinGW-w64.
#
#   cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The libraries Debian does not ship for MinGW (libpng, libjpeg-turbo, FFTW)
# come from scripts/build-windows-deps.sh, installed under PLUMORA_MINGW_DEPS.
# Binaries link libgcc, libstdc++ and winpthread statically, so they import
# only DLLs that ship with Windows. Tests run under Wine (scripts/wine-run.sh).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLUMORA_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix-thread flavour: JUCE needs std::thread and std::mutex.
set(CMAKE_C_COMPILER ${PLUMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLUMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLUMORA_MINGW_TRIPLE}-windres)

# Where the Windows-only libraries were installed. Environment first, so the
# deps script and the build agree on it without passing it around.
if(NOT DEFINED PLUMORA_MINGW_DEPS)
    if(DEFINED ENV{PLUMORA_MINGW_DEPS})
        set(PLUMORA_MINGW_DEPS "$ENV{PLUMORA_MINGW_DEPS}")
    elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
        set(PLUMORA_MINGW_DEPS "$ENV{XDG_CACHE_HOME}/plumora/mingw-deps")
    else()
        set(PLUMORA_MINGW_DEPS "$ENV{HOME}/.cache/plumora/mingw-deps")
    endif()
endif()
set(PLUMORA_MINGW_DEPS "${PLUMORA_MINGW_DEPS}" CACHE PATH
    "Prefix holding the static MinGW builds of libpng, libjpeg-turbo and FFTW")

# Libraries and headers come only from the MinGW sysroot and the deps prefix;
# programs (juceaide, windres, pkg-config) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${PLUMORA_MINGW_TRIPLE} "${PLUMORA_MINGW_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# JUCE's CMake package runs its juceaide tool at configure and build time, so
# it must be the build machine's (Debian's JUCE). The project looks for it
# with NO_CMAKE_FIND_ROOT_PATH; this is where it lives.
list(APPEND CMAKE_PREFIX_PATH /usr/lib/x86_64-linux-gnu/cmake)

# pkg-config sees only the Windows libraries, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${PLUMORA_MINGW_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# No MinGW runtime DLLs: libgcc, libstdc++ and winpthread go into each binary.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, headless, in a prefix outside the source tree.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
