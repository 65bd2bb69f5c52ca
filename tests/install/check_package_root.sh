#!/usr/bin/env bash
# Installs the package into a fresh Debian root the way a user does, with apt and its
# dependencies from the archive, and checks the life of an installation there: an older
# package, a profile, the package upgraded over it, the installed player started, and the
# package removed without a file left behind while the profile stays.
#   check_package_root.sh ROOT OLDER.deb NEWER.deb
# ROOT is a Debian root with working apt sources, e.g. made by `debootstrap bookworm ROOT`.
# Runs as root (chroot); mounts /proc in ROOT for the run.
set -euo pipefail

root=$1
older=$2
newer=$3
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
apt_in_root() { in_root env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@"; }

mount -t proc proc "$root/proc"
player=
cleanup() {
    [ -n "$player" ] && kill "$player" 2>/dev/null || true
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"/tmp/plumo_*.deb "$root/tmp/run" "$root/tmp/plumo.files" "$root/tmp/profile.sum"
}
trap cleanup EXIT
cp "$older" "$newer" "$root/tmp/"
older_in_root=/tmp/$(basename "$older")
newer_in_root=/tmp/$(basename "$newer")
older_version=$(dpkg-deb --field "$older" Version)
newer_version=$(dpkg-deb --field "$newer" Version)

apt_in_root install "$older_in_root" >/dev/null
in_root plumo --version

# The installed player starts from /usr/bin with a new profile whose settings name a language
# it must find in its program folder; it makes its library, and keeps that language in the
# settings it writes when it ends.
profile=/root/.local/share/Plumo
mkdir -p "$root$profile" "$root/tmp/run"
chmod 700 "$root/tmp/run"
cat >"$root$profile/Settings.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Settings><Language ID="German"/></Settings>
XML
# chroot started directly, not through in_root's subshell, so that $! is the player itself.
chroot "$root" env -i PATH=/usr/bin:/bin HOME=/root QT_QPA_PLATFORM=offscreen \
    SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR=/tmp/run plumo &
player=$!
for _ in $(seq 1 600); do
    [ -e "$root$profile/Library.db" ] && break
    kill -0 "$player" 2>/dev/null || { echo "the installed player ended early"; exit 1; }
    sleep 0.1
done
[ -e "$root$profile/Library.db" ] || { echo "the installed player did not start"; exit 1; }
kill -TERM "$player"
wait "$player"
player=
grep -q '<Language ID="German"/>' "$root$profile/Settings.xml" \
    || { echo "the installed player did not find its languages"; exit 1; }
echo "the installed player ran and wrote its profile"
(cd "$root$profile" && sha256sum Settings.xml Library.db) >"$root/tmp/profile.sum"

apt_in_root install "$newer_in_root" >/dev/null
[ "$(in_root dpkg-query -W -f='${Version}' plumo)" = "$newer_version" ] \
    || { echo "the upgrade to $newer_version did not happen"; exit 1; }
in_root plumo --version
[ "$(in_root plumo --version)" = "plumo $newer_version" ] || { echo "not upgraded"; exit 1; }
(cd "$root$profile" && sha256sum -c --quiet "$root/tmp/profile.sum") \
    || { echo "the upgrade changed the profile"; exit 1; }
echo "upgraded $older_version -> $newer_version, profile unchanged"

in_root dpkg-query -L plumo >"$root/tmp/plumo.files"
apt_in_root remove plumo >/dev/null
left=0
while read -r path; do
    # Folders such as /usr/bin belong to other packages too; the package's files must go.
    if [ -e "$root$path" ] || [ -L "$root$path" ]; then
        case $path in
        /usr/lib/plumo | /usr/lib/plumo/* | /usr/share/doc/plumo) ;;
        *) [ -d "$root$path" ] && [ ! -L "$root$path" ] && continue ;;
        esac
        echo "left after removal: $path"
        left=1
    fi
done <"$root/tmp/plumo.files"
[ "$left" -eq 0 ] || exit 1
(cd "$root$profile" && sha256sum -c --quiet "$root/tmp/profile.sum") \
    || { echo "the removal changed the profile"; exit 1; }
echo "removed: none of its $(wc -l <"$root/tmp/plumo.files") paths left, profile kept"
