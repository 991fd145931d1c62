#!/usr/bin/env bash
# Builds the Debian package kestrova_<version>_<arch>.deb into the source folder
# (from its own build folder build-package/, with Debian's hardening flags).
#   scripts/package.sh           build the package
#   scripts/package.sh --check   build it, list it, unpack it into a temporary
#                                root and calculate the packaged example road
#                                with the unpacked kestrova-batch
# Install it with: apt install ./kestrova_<version>_<arch>.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: $0 [--check]" >&2; exit 1 ;;
esac
"$root/scripts/install-deps.sh"

build=$root/build-package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTROVA_TESTS=OFF -DKESTROVA_BENCH=OFF "${launcher[@]}" \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/kestrova_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(cd "$build" && ls kestrova_*.deb)
mv -f "$build/$deb" "$root/$deb"
echo "built $root/$deb"

if [ "$check" = 1 ]; then
  dpkg-deb --info "$root/$deb"
  dpkg-deb --contents "$root/$deb"
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  dpkg-deb --extract "$root/$deb" "$tmp"
  cmake -DROOT="$tmp" -P "$root/cmake/CheckInstall.cmake"
fi
