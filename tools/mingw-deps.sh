#!/usr/bin/env bash
# Builds the library's third-party dependencies for Windows with MinGW-w64 from Debian's own
# source packages (no copy of their sources is committed):
#   minizip  (zlib's contrib/minizip, from the zlib source package): a static library over
#            Debian's MinGW zlib (libz-mingw-w64-dev)
#   TinyXML  (tinyxml): a DLL with its import library, built with TIXML_USE_STL as Debian's is,
#            so that its allocations stay its own as on Linux
#   libcurl  (curl): a DLL with Schannel for TLS, HTTP, HTTPS and file only, no other library
#
#   tools/mingw-deps.sh <triplet> <prefix>     e.g. i686-w64-mingw32 build/mingw-i686/deps
#
# The prefix gets include/, lib/ (with .pc files for pkg-config) and bin/ (the DLLs). It is
# rebuilt only when the source versions change. A finished prefix is also kept in a cache
# outside the build folder (TVCORE_DEPS_CACHE, default ~/.cache/tvCore/mingw-deps), keyed by
# triplet and source versions, so a clean clone does not build them again.
set -eu
triplet=${1:?triplet}
prefix=$(mkdir -p "${2:?prefix}" && cd "$2" && pwd)
cache_root=${TVCORE_DEPS_CACHE:-$HOME/.cache/tvCore/mingw-deps}
jobs=${TVCORE_JOBS:-2}
export DEBIAN_FRONTEND=noninteractive
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo

# Debian's source packages: a deb-src entry beside the binary ones, for this release.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
srcfile=/etc/apt/sources.list.d/tvcore-deb-src.sources
if ! apt-cache showsrc zlib >/dev/null 2>&1 || ! apt-cache showsrc zlib | grep -q '^Version'; then
  if [ ! -f "$srcfile" ]; then
    $SUDO tee "$srcfile" >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $codename-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  fi
  $SUDO apt-get update -qq
fi

# The source versions apt knows for a package, newest first. The cache key names the newest;
# when a mirror lacks its sources (a security update's, at times), the next one is built.
srcversions() { apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -Vru; }
zlib_v=$(srcversions zlib | head -n1); tinyxml_v=$(srcversions tinyxml | head -n1); curl_v=$(srcversions curl | head -n1)
key="$triplet-zlib_$zlib_v-tinyxml_$tinyxml_v-curl_$curl_v"
key=${key//[:~]/_}
stamp="$prefix/.built-$key"
[ -f "$stamp" ] && exit 0
cache="$cache_root/$key"
if [ -f "$cache/.built-$key" ]; then
  echo "mingw deps: from the cache $cache"
  rm -rf "$prefix" && mkdir -p "$prefix" && cp -a "$cache/." "$prefix/"
  exit 0
fi

echo "mingw deps: building $key"
work="$prefix/../deps-src"
rm -rf "$prefix" "$work"
mkdir -p "$prefix"/{include,lib/pkgconfig,bin} "$work"
cd "$work"
for pkg in zlib tinyxml curl; do
  got=""
  for v in $(srcversions $pkg); do
    if apt-get source -qq "$pkg=$v" >/dev/null 2>&1; then got=$v; break; fi
  done
  [ -n "$got" ] || { echo "mingw deps: cannot fetch the source of $pkg"; exit 1; }
done
cc=$triplet-gcc-posix
cxx=$triplet-g++-posix
ar=$triplet-ar
cross=/usr/$triplet

# --- minizip -------------------------------------------------------------------------------------
( cd zlib-*/contrib/minizip
  mkdir -p "$prefix/include/minizip" obj
  for f in ioapi unzip zip iowin32; do
    $cc -O2 -g -I"$cross/include" -c $f.c -o obj/$f.o
  done
  $ar rcs "$prefix/lib/libminizip.a" obj/*.o
  cp ioapi.h unzip.h zip.h iowin32.h crypt.h "$prefix/include/minizip/" )
cat > "$prefix/lib/pkgconfig/minizip.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include/minizip

Name: minizip
Description: Minizip zip file manipulation library (static, for MinGW)
Version: 1.1
Libs: -L\${libdir} -lminizip
Libs.private: -lz
Cflags: -I\${includedir} -I$cross/include
EOF

# --- TinyXML -------------------------------------------------------------------------------------
( cd tinyxml-*/
  mkdir -p obj
  for f in tinyxml tinyxmlparser tinyxmlerror tinystr; do
    $cxx -O2 -g -DTIXML_USE_STL -c $f.cpp -o obj/$f.o
  done
  # Every class and function exported, as the shared library on Linux exports them.
  $cxx -shared -o "$prefix/bin/libtinyxml.dll" obj/*.o -Wl,--export-all-symbols \
    -Wl,--out-implib,"$prefix/lib/libtinyxml.dll.a"
  cp tinyxml.h tinystr.h "$prefix/include/" )
cat > "$prefix/lib/pkgconfig/tinyxml.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: TinyXml
Description: simple, small, C++ XML parser (for MinGW)
Version: 2.6.2
Libs: -L\${libdir} -ltinyxml
Cflags: -I\${includedir}
EOF

# --- libcurl -------------------------------------------------------------------------------------
( cd curl-*/
  [ -x configure ] || autoreconf -fi >/dev/null
  ./configure -q --host="$triplet" --prefix="$prefix" CC="$cc" \
    --enable-shared --disable-static --with-schannel --without-zlib --without-brotli \
    --without-zstd --without-libpsl --without-libidn2 --without-nghttp2 --without-nghttp3 \
    --without-ngtcp2 --without-librtmp --without-libssh2 --without-libgsasl --disable-ldap \
    --disable-ldaps --disable-rtsp --disable-dict --disable-telnet --disable-tftp --disable-pop3 \
    --disable-imap --disable-smb --disable-smtp --disable-gopher --disable-mqtt --disable-ftp \
    --disable-manual --disable-ntlm-wb --enable-http --enable-file >/dev/null
  make -s -j"$jobs" -C lib >/dev/null
  make -s -C lib install >/dev/null
  make -s -C include install >/dev/null
  cp libcurl.pc "$prefix/lib/pkgconfig/" )

# Every .pc file finds its prefix relative to itself, so a prefix restored from the cache works.
sed -i 's|^prefix=.*|prefix=${pcfiledir}/../..|' "$prefix"/lib/pkgconfig/*.pc
touch "$stamp"
mkdir -p "$cache_root"
rm -rf "$cache.tmp" && cp -a "$prefix" "$cache.tmp" && rm -rf "$cache" && mv "$cache.tmp" "$cache"
echo "mingw deps: done ($prefix, cached in $cache)"
