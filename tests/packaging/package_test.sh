#!/usr/bin/env bash
# The Debian package, made by CPack from the build and unpacked with dpkg-deb into a temporary
# folder (never installed on the system): it depends on SDL's library package, holds what
# `make install` holds, and its squish-headless runs a packaged scene to the same dump as the
# built one.  usage: package_test.sh BUILD_DIR PREFIX
set -euo pipefail
build=$1
prefix=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$dir/out" >"$dir/cpack.log" 2>&1 || {
  cat "$dir/cpack.log"
  exit 1
}
debs=("$dir"/out/*.deb)
deb=${debs[0]}
depends=$(dpkg-deb -f "$deb" Depends)
if ! grep -q 'libsdl2-2\.0-0' <<<"$depends"; then
  echo "package_test: Depends lacks libsdl2-2.0-0: $depends"
  exit 1
fi
dpkg-deb -x "$deb" "$dir/root"
root="$dir/root$prefix"
for file in bin/squish bin/squish-headless share/squish/6x8.bmp share/man/man6/squish.6 \
  share/applications/squish.desktop share/icons/hicolor/64x64/apps/squish.png; do
  [ -f "$root/$file" ] || {
    echo "package_test: $file is not in the package"
    exit 1
  }
done
(cd "$root/share/squish" &&
  "$root/bin/squish-headless" --frames 10 --dump "$dir/packaged.json" scenes/creature.txt)
(cd "$root/share/squish" &&
  "$build/headless/squish-headless" --frames 10 --dump "$dir/built.json" scenes/creature.txt)
version=$("$root/bin/squish-headless" --version)
[ "$version" = "squish-headless 1.0.0" ] || { echo "package_test: --version says '$version'"; exit 1; }
if ! grep -q '"frame": 10,' "$dir/packaged.json" || ! cmp -s "$dir/packaged.json" "$dir/built.json"; then
  echo "package_test: the packaged squish-headless did not run the packaged scene as the built one"
  exit 1
fi
echo "package_test: $(basename "$deb"), Depends: $depends"
