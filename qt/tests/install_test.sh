#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the desktop finds the program, its menu entry and
# its icon where it looks for them.
set -eu
build=${1:?usage: install_test.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

test -x "$prefix/bin/tarnwick" || { echo "FAIL: no bin/tarnwick"; exit 1; }
entry=$prefix/share/applications/tarnwick.desktop
grep -qx 'Exec=tarnwick' "$entry" || { echo "FAIL: the menu entry does not start tarnwick"; exit 1; }
grep -qx 'Icon=tarnwick' "$entry" || { echo "FAIL: the menu entry names no icon"; exit 1; }
for size in 16 32 48 256; do
    test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/tarnwick.png" || { echo "FAIL: no ${size}px icon"; exit 1; }
done
test -s "$prefix/share/icons/hicolor/scalable/apps/tarnwick.svg" || { echo "FAIL: no scalable icon"; exit 1; }
test -s "$prefix/share/metainfo/example.quelvane.Tarnwick.metainfo.xml" || { echo "FAIL: no AppStream metainfo"; exit 1; }
test -s "$prefix/share/man/man1/tarnwick.1.gz" || { echo "FAIL: no manual page"; exit 1; }
# nothing but the program's own files
extra=$(find "$prefix" -type f | grep -vE '/bin/tarnwick$|/applications/tarnwick\.desktop$|/apps/tarnwick\.(png|svg)$|/metainfo/example\.quelvane\.Tarnwick\.metainfo\.xml$|/doc/tarnwick/(copyright|changelog\.gz)$|/man1/tarnwick\.1\.gz$' || true)
[ -z "$extra" ] || { echo "FAIL: unexpected files installed: $extra"; exit 1; }
echo "installed: $(find "$prefix" -type f | wc -l) files"
