#!/usr/bin/env bash
# Builds, once, the static Windows (MinGW-w64, x86_64) libraries that Debian
# does not ship for MinGW and the Windows build links:
#   - libpng and libjpeg-turbo: Debian's JUCE has its bundled copies removed
#     and compiles its image loaders against the system libraries;
#   - FFTW (double precision): the wavetable code.
# zlib comes from Debian's libz-mingw-w64-dev.
#
# The sources are Debian's own source packages, fetched with apt-get source
# through a private sources list and apt state directory: the machine's apt
# configuration and package lists are left as they are.
#
# The result is cached outside the source tree, in
#   ${PLUMORA_MINGW_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/plumora/mingw-deps}
# and kept while this script and the toolchain file are unchanged, so a second
# run does nothing. Prints the prefix on its last line.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
cache_home="${XDG_CACHE_HOME:-$HOME/.cache}"
prefix="${PLUMORA_MINGW_DEPS:-$cache_home/plumora/mingw-deps}"
export PLUMORA_MINGW_DEPS="$prefix"
jobs="${PLUMORA_JOBS:-2}"
case "$prefix" in
    /*/*) ;;
    *) echo "build-windows-deps: refusing the prefix '$prefix' (want an absolute folder of its own)" >&2; exit 2 ;;
esac

# The recipe: what is built and how. A different recipe rebuilds.
recipe="$(cat "$0" "$toolchain" | sha256sum | cut -c1-16)"
stamp="$prefix/.plumora-deps-recipe"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
    echo "$prefix"
    exit 0
fi

"$root/scripts/install-windows-packages.sh"

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# Another run may have finished while this one waited for the lock.
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
    echo "$prefix"
    exit 0
fi

# Only a folder this script made (or an empty one) is ever replaced.
if [ -d "$prefix" ] && [ -n "$(ls -A "$prefix")" ] && [ ! -f "$stamp" ]; then
    echo "build-windows-deps: $prefix holds files this script did not make; refusing to replace it" >&2
    exit 2
fi

started=$SECONDS
work="$prefix.work"
rm -rf "$prefix" "$work"
mkdir -p "$work"
cd "$work"

# --- Debian source packages through a private apt state ---------------------
# deb-src entries for the bookworm suites of the mirrors this machine already
# uses for its binary packages (read from apt's own view of its sources).
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
apt-cache policy | awk '
    $1 ~ /^[0-9]+$/ && $2 ~ /^(https?|file):/ && $3 ~ /^bookworm(-[a-z]+)?\/main$/ {
        split($3, suite, "/")
        print "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] " $2 " " suite[1] " main"
    }' | sort -u > "$apt_dir/sources.list"
if [ ! -s "$apt_dir/sources.list" ]; then
    echo "build-windows-deps: this machine has no Debian bookworm sources in apt; cannot fetch source packages" >&2
    exit 1
fi

apt_private=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State=$apt_dir"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::State::status=/var/lib/dpkg/status"
    -o "Dir::Cache=$apt_dir/cache"
    -o "APT::Sandbox::User=root"
)
apt-get "${apt_private[@]}" -qq update
mkdir -p "$work/src"
fetch_source() { # newest version of a source package that the mirror serves
    local package="$1" version
    for version in $(apt-cache "${apt_private[@]}" showsrc "$package" | awk '/^Version:/ { print $2 }' | sort -u -r -V); do
        if (cd "$work/src" && apt-get "${apt_private[@]}" -qq source "$package=$version" > "$work/src/$package.log" 2>&1); then
            echo "build-windows-deps: $package $version"
            return 0
        fi
        echo "build-windows-deps: $package $version could not be fetched, trying an older one" >&2
    done
    cat "$work/src/$package.log" >&2 2>/dev/null || true
    echo "build-windows-deps: no version of the source package $package could be fetched" >&2
    exit 1
}
fetch_source libpng1.6
fetch_source libjpeg-turbo
fetch_source fftw3

source_dir() { # the unpacked source tree of a source package
    local dir
    dir="$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n 1)"
    if [ -z "$dir" ]; then
        echo "build-windows-deps: source package $1 was not unpacked" >&2
        exit 1
    fi
    echo "$dir"
}

cmake_windows() { # configure, build and install one CMake project for Windows
    local source="$1" build="$2"
    shift 2
    cmake -S "$source" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_INSTALL_LIBDIR="$prefix/lib" \
        -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include" \
        "$@" > "$build.log" 2>&1 || { cat "$build.log" >&2; exit 1; }
    cmake --build "$build" -j "$jobs" >> "$build.log" 2>&1 || { tail -n 60 "$build.log" >&2; exit 1; }
    cmake --install "$build" >> "$build.log" 2>&1 || { tail -n 60 "$build.log" >&2; exit 1; }
}

mingw_zlib_include="/usr/x86_64-w64-mingw32/include"
mingw_zlib_library="/usr/x86_64-w64-mingw32/lib/libz.a"

# --- libjpeg-turbo ----------------------------------------------------------
echo "build-windows-deps: libjpeg-turbo"
jpeg_src="$(source_dir libjpeg-turbo)"
cmake_windows "$jpeg_src" "$work/jpeg" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
# JUCE defines JPEG_INTERNALS, which makes jpeglib.h include jpegint.h.
install -m 644 "$jpeg_src/jpegint.h" "$prefix/include/"
# jmorecfg.h makes boolean an int unless jconfig.h says otherwise, while
# Windows' rpcndr.h makes it an unsigned char. The library and every file that
# includes windows.h and jpeglib.h together (JUCE's) must agree on Windows'
# type, and libjpeg-turbo's Windows jconfig.h says so, but only when rpcndr.h
# has not been read yet. JUCE includes jpeglib.h inside a namespace of its own
# and expects boolean there too (jpeglibNamespace::boolean), so the typedef is
# made unconditional: the same type as Windows' own, declared in any scope.
jconfig="$prefix/include/jconfig.h"
sed -i '/^#ifndef __RPCNDR_H__/,/^#endif/c\
typedef unsigned char boolean;  /* the same type as Windows'"'"' own (rpcndr.h) */' "$jconfig"
if ! grep -q "^typedef unsigned char boolean;" "$jconfig" || ! grep -q "^#define HAVE_BOOLEAN" "$jconfig" \
    || grep -q "__RPCNDR_H__" "$jconfig"; then
    echo "build-windows-deps: could not make boolean Windows' unsigned char in $jconfig" >&2
    exit 1
fi

# --- libpng -----------------------------------------------------------------
echo "build-windows-deps: libpng"
cmake_windows "$(source_dir libpng1.6)" "$work/png" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_EXECUTABLES=ON \
    -DZLIB_INCLUDE_DIR="$mingw_zlib_include" -DZLIB_LIBRARY="$mingw_zlib_library"

# --- FFTW -------------------------------------------------------------------
echo "build-windows-deps: fftw3"
fftw_src="$(source_dir fftw3)"
mkdir -p "$work/fftw"
(
    cd "$work/fftw"
    "$fftw_src/configure" --host=x86_64-w64-mingw32 --prefix="$prefix" \
        CC=x86_64-w64-mingw32-gcc-posix CFLAGS="-O3 -fomit-frame-pointer -fstrict-aliasing" \
        --disable-shared --enable-static --enable-sse2 --with-our-malloc \
        --disable-fortran --disable-doc --disable-threads --disable-openmp \
        > "$work/fftw.log" 2>&1 &&
    make -j "$jobs" >> "$work/fftw.log" 2>&1 &&
    make install >> "$work/fftw.log" 2>&1
) || { tail -n 60 "$work/fftw.log" >&2; exit 1; }

# --- check and seal ---------------------------------------------------------
for file in include/png.h include/jpeglib.h include/jpegint.h include/jconfig.h include/fftw3.h \
            lib/libpng16.a lib/libjpeg.a lib/libfftw3.a lib/pkgconfig/fftw3.pc; do
    if [ ! -f "$prefix/$file" ]; then
        echo "build-windows-deps: $prefix/$file is missing after the build" >&2
        exit 1
    fi
done

rm -rf "$work"
echo "$recipe" > "$stamp"
echo "build-windows-deps: built in $((SECONDS - started)) s"
echo "$prefix"
