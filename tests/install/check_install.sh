#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop and a user get: the
# desktop file and AppStream metadata validate, and the installed player starts with a fresh
# profile and finds its languages beside itself.
#   check_install.sh BUILD_DIR
set -euo pipefail

build=$1
work=$(mktemp -d)
player=
cleanup() {
    [ -n "$player" ] && kill "$player" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/plumo lib/plumo/Language/English/Main.xml lib/plumo/Equalizer/Presets.xml \
    share/applications/org.plumo.Plumo.desktop share/metainfo/org.plumo.Plumo.metainfo.xml \
    share/icons/hicolor/scalable/apps/plumo.svg share/icons/hicolor/48x48/apps/plumo.png; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done

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
