#!/usr/bin/env bash
# `make install` into a temporary DESTDIR: exactly the expected files land under the prefix, and
# the installed squish checks the installed sample scenes (their images included) clean from the
# installed data folder.  usage: install_test.sh BUILD_DIR PREFIX
set -euo pipefail
build=$1
prefix=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

DESTDIR="$dir/root" cmake --install "$build" >/dev/null
root="$dir/root$prefix"
(cd "$root" && find . -type f | sed 's|^\./||' | sort) >"$dir/landed"
sort >"$dir/expected" <<LIST
bin/squish
bin/squish-headless
share/applications/squish.desktop
share/icons/hicolor/64x64/apps/squish.png
share/man/man6/squish-headless.6
share/man/man6/squish.6
share/squish/6x8.bmp
share/squish/scenes/bridge.txt
share/squish/scenes/creature.bmp
share/squish/scenes/creature.txt
share/squish/scenes/low_gravity.txt
share/squish/scenes/rain.txt
share/squish/scenes/stiff_soft.txt
share/squish/scenes/tower.txt
LIST
if ! diff -u "$dir/expected" "$dir/landed"; then
  echo "install_test: the files installed under $prefix differ from the list above"
  exit 1
fi
if [ "$(file -b --mime-type "$root/share/icons/hicolor/64x64/apps/squish.png" 2>/dev/null ||
  echo image/png)" != image/png ]; then
  echo "install_test: the icon is no PNG"
  exit 1
fi
(cd "$root/share/squish" && "$root/bin/squish" --check scenes/*.txt >"$dir/check") || {
  echo "install_test: the installed squish --check found problems in the installed scenes:"
  cat "$dir/check"
  exit 1
}
echo "install_test: $(wc -l <"$dir/landed") files under $prefix; $(tail -2 "$dir/check" | head -1)"
