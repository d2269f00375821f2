#!/usr/bin/env bash
# Builds the Debian package from this build and checks what a user would get:
# the control fields, every file with its mode, lintian's verdict, and that the
# man page of ostrel-convert names every option its --help names.
# Usage: CheckPackage.sh CPACK CPACK_CONFIG OSTREL_CONVERT VERSION
set -euo pipefail
cpack=$1 config=$2 convert=$3 version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

"$cpack" -G DEB --config "$config" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$work/ostrel_${version}_amd64.deb
[ -f "$deb" ] || { echo "FAIL: no $deb"; ls "$work"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
for expected in Package=ostrel Version="$version" Architecture=amd64 Section=graphics \
    "Maintainer=Calvenor Solutions <help@calvenor.example>"; do
    [ "$(field "${expected%%=*}")" = "${expected#*=}" ] || fail "${expected%%=*}: $(field "${expected%%=*}")"
done
depends=$(field Depends | sed 's/ ([^)]*)//g; s/, /\n/g')
for dependency in libc6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-liberation2; do
    grep -qx "$dependency" <<<"$depends" || fail "Depends lacks $dependency: $(field Depends)"
done
[ "$(field Description | wc -l)" -ge 4 ] || fail "Description has no long part"

# Files with their modes; a directory is listed only when it is not 0755 root's.
diff -u - <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ || $1 $2 != "drwxr-xr-xroot/root" { print $1, $2, $6 }' | sort -k3) <<'LIST' || fail "file list"
-rwxr-xr-x root/root ./usr/bin/ostrel
-rwxr-xr-x root/root ./usr/bin/ostrel-convert
-rw-r--r-- root/root ./usr/share/applications/org.calvenor.Ostrel.desktop
-rw-r--r-- root/root ./usr/share/doc/ostrel/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/ostrel/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/org.calvenor.Ostrel.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/org.calvenor.Ostrel.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/org.calvenor.Ostrel.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/org.calvenor.Ostrel.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/org.calvenor.Ostrel.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/org.calvenor.Ostrel.svg
-rw-r--r-- root/root ./usr/share/man/man1/ostrel-convert.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/ostrel.1.gz
-rw-r--r-- root/root ./usr/share/metainfo/org.calvenor.Ostrel.metainfo.xml
LIST

# Stripped binaries, compressed pages and changelog, the copyright format...
lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian"

page=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/ostrel-convert.1.gz | gzip -dc | sed 's/\\-/-/g')
for option in $("$convert" --help | grep -o -- '--[a-z0-9][a-z0-9-]*' | sort -u); do
    grep -qE -- "(^|[^a-z0-9-])$option([^a-z0-9-]|\$)" <<<"$page" || fail "the man page lacks $option"
done
exit $status
