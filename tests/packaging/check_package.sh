#!/usr/bin/env bash
# Checks the Debian package's control fields and contents.
#   check_package.sh DEB VERSION HOMEPAGE EXPECTED_FILES METAINFO
# EXPECTED_FILES lists the files relative to the prefix /usr; METAINFO is the
# AppStream file of the build, whose release date the changelog must share.
set -euo pipefail
deb=$1 version=$2 homepage=$3 expected=$4 metainfo=$5
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = marelo ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
  fail "Architecture: $(field Architecture)"
[ "$(field Section)" = sound ] || fail "Section: $(field Section)"
[ "$(field Homepage)" = "$homepage" ] || fail "Homepage: $(field Homepage)"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^@\>]+\>$ ]] ||
  fail "Maintainer is not 'Name <address>': $(field Maintainer)"
description=$(field Description)
[ "$(echo "$description" | wc -l)" -ge 3 ] || fail "Description has no long part: $description"
[ -n "$(echo "$description" | head -1)" ] || fail "Description has no synopsis"

# Depends: the shared libraries' packages and the Japanese fonts.
# Debian 13 renamed Qt's core library package for its 64-bit time
# (libqt6core6t64); either name is the library.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for name in libqt6widgets6 libqt6gui6 'libqt6core6\(t64\)\?' libc6 'libstdc++6' \
            fonts-ipafont-gothic fonts-ipafont-mincho; do
  grep -qx -- "$name" <<<"$depends" || fail "Depends lacks $name: $(field Depends)"
done

# Contents: exactly the expected files under /usr, owned by root, sane modes.
dpkg-deb -c "$deb" >"$scratch/list"
files=$(awk '$1 !~ /^d/ {print $6}' "$scratch/list" | sed 's|^\./usr/||' | LC_ALL=C sort)
if ! diff -u <(LC_ALL=C sort "$expected") <(echo "$files") >"$scratch/diff"; then
  fail "package files differ from $expected (- expected, + packaged):"
  tail -n +3 "$scratch/diff"
fi
awk '$2 != "root/root" {print}' "$scratch/list" | grep . && fail "files not owned by root"
awk '$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)$/ {print}' "$scratch/list" | grep . &&
  fail "files with unusual modes"
grep -q -- '-rwxr-xr-x .* \./usr/bin/marelo$' "$scratch/list" || fail "usr/bin/marelo not executable"

# The program is stripped; the changelog's top entry is this version and
# release, dated as the AppStream release.
dpkg-deb -x "$deb" "$scratch/root"
file -b "$scratch/root/usr/bin/marelo" | grep -q ', stripped' || fail "usr/bin/marelo is not stripped"
zcat "$scratch/root/usr/share/doc/marelo/changelog.gz" >"$scratch/changelog"
[ "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" = "$version" ] ||
  fail "changelog's top entry is not $version"
changelog_date=$(date -u -d "$(dpkg-parsechangelog -l "$scratch/changelog" -S Date)" +%F)
grep -q "<release version=\"[^\"]*\" date=\"$changelog_date\"" "$metainfo" ||
  fail "changelog's date $changelog_date is not the AppStream release's"
grep -q '^License: Expat' "$scratch/root/usr/share/doc/marelo/copyright" ||
  fail "copyright names no license"

[ $failed -eq 0 ] && echo "$(basename "$deb"): fields and contents as expected"
exit $failed
