#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and a user get: the
# desktop file and AppStream metadata validate, and the installed player starts with a fresh
# profile and finds its languages beside itself; it tells its version without a display.
#   check_install.sh BUILD_DIR VERSION
set -euo pipefail

build=$1
version=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
player=
cleanup() {
    [ -n "$player" ] && kill "$player" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

missing=0
while read -r file; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file"; missing=1; }
done < <(grep -v '^#' "$here/files.txt")
[ "$missing" -eq 0 ] || exit 1

# The icons are as large as the folders they sit in say (the PNG header holds the size).
for png in "$prefix"/share/icons/hicolor/*x*/apps/plumo.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')
    [ "${w}x${h}" = "$size" ] || { echo "$png is ${w}x${h}"; exit 1; }
done

# The version comes from the project: the program, its metadata and its manual page agree.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/plumo" --version >"$work/version"
[ "$(cat "$work/version")" = "plumo $version" ] || {
    echo "plumo --version printed: $(cat "$work/version")"
    exit 1
}
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/plumo" --help >"$work/help"
grep -q -- '--version' "$work/help" || { echo "plumo --help printed:"; cat "$work/help"; exit 1; }
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/org.plumo.Plumo.metainfo.xml" \
    || { echo "the metadata names no release $version"; exit 1; }
gzip -dc "$prefix/share/man/man1/plumo.1.gz" | grep -q "^\.TH PLUMO 1 .*\"Plumo $version\"" \
    || { echo "the manual page is not for version $version"; exit 1; }

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/org.plumo.Plumo.desktop"
else
    echo "desktop-file-validate not installed: desktop file not validated"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/org.plumo.Plumo.metainfo.xml" >/dev/null
else
    echo "appstreamcli not installed: metadata not validated"
fi

# A fresh profile, except for a settings file that skips the first-run dialog and names a
# language the player must find in its program folder.
home=$work/home
mkdir -p "$home/data/Plumo" "$home/config" "$home/run"
chmod 700 "$home/run"
cat >"$home/data/Plumo/Settings.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Settings><Language ID="German"/></Settings>
XML
env -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
    "$prefix/bin/plumo" &
player=$!

# The player writes its settings at the end; wait until its library exists, then end it.
for _ in $(seq 1 300); do
    [ -e "$home/data/Plumo/Library.db" ] && break
    kill -0 "$player" 2>/dev/null || { echo "the installed player ended early"; exit 1; }
    sleep 0.1
done
[ -e "$home/data/Plumo/Library.db" ] || { echo "the installed player did not start"; exit 1; }
sleep 0.5
kill -TERM "$player"
wait "$player"
player=
grep -q '<Language ID="German"/>' "$home/data/Plumo/Settings.xml" || {
    echo "the installed player did not find its languages:"
    cat "$home/data/Plumo/Settings.xml"
    exit 1
}
echo "installed player ran from $prefix"
