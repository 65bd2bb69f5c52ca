#!/usr/bin/env bash
# Checks a built Debian package: every file an installation must hold is in it under /usr, the
# command link points into the program folder, the version in its control data, metadata and
# changelog is one, and its dependencies were computed from the linked libraries.
#   check_package.sh DEB [VERSION]
#   check_package.sh FOLDER VERSION   the plumo_VERSION_*.deb in FOLDER; exit status 77 (skipped)
#                                     when none is built there or FOLDER does not exist
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
deb=$1
version=${2:-}
if [[ "$deb" != *.deb ]]; then
    found=$(find "$deb" -maxdepth 1 -name "plumo_${version}_*.deb" 2>/dev/null | head -n 1 || true)
    [ -n "$found" ] || { echo "no plumo_${version}_*.deb in $deb (tools/dev package builds it)"; exit 77; }
    deb=$found
fi
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dpkg-deb --contents "$deb" | awk '{ sub(/^\.\//, "", $6); print $6, $7, $8 }' >"$work/list"
missing=0
while read -r file; do
    grep -q "^usr/$file " "$work/list" || grep -qx "usr/$file" "$work/list" \
        || { echo "not in the package: /usr/$file"; missing=1; }
done < <(grep -v '^#' "$here/files.txt")
[ "$missing" -eq 0 ] || exit 1

grep -qx "usr/bin/plumo -> ../lib/plumo/plumo" "$work/list" \
    || { echo "/usr/bin/plumo is not a link to ../lib/plumo/plumo:"; grep '^usr/bin/plumo ' "$work/list"; exit 1; }

package_version=$(dpkg-deb --field "$deb" Version)
[ -z "$version" ] || [ "$package_version" = "$version" ] \
    || { echo "package version $package_version, project version $version"; exit 1; }
dpkg-deb --fsys-tarfile "$deb" | tar -xf - -C "$work" ./usr/share/metainfo ./usr/share/doc/plumo
grep -q "<release version=\"$package_version\"" "$work/usr/share/metainfo/org.plumo.Plumo.metainfo.xml" \
    || { echo "the metadata names no release $package_version"; exit 1; }
gzip -dc "$work/usr/share/doc/plumo/changelog.gz" | head -n 1 | grep -qF "plumo ($package_version)" \
    || { echo "the changelog does not start with $package_version"; exit 1; }

# Computed dependencies name the libraries' packages with their versions.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6core6 libqt6widgets6 libsqlite3-0 libtag1v5 libsdl2-2.0-0 libc6; do
    [[ "$depends" == *"$library"* ]] || { echo "Depends lacks $library: $depends"; exit 1; }
done
echo "$(basename "$deb"): $(wc -l <"$work/list") entries, version $package_version"
