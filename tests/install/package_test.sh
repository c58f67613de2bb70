#!/usr/bin/env bash
# Makes the Debian package in a temporary folder, so that build/ keeps its own, and checks what
# Debian's tools check: lintian finds no error and no warning, appstreamcli accepts the software
# centres' description, and the package holds Debian's documents and both manual pages, each
# naming this version.
# Usage: package_test.sh CPACK BUILD_DIR VERSION (CTest passes them).
set -euo pipefail
cpack=$1
build=$2
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
app_id=example.veldcraft.tagmill

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$cpack" --config "$build/CPackConfig.cmake" -B "$work" -G DEB >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$work/tagmill_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $deb: $(ls "$work")"

# No configuration or environment of the user's may hide a tag.
lintian --no-cfg --ignore-lintian-env --fail-on error,warning --info "$deb" >"$work/lintian" 2>&1 ||
    fail "lintian: $(cat "$work/lintian")"

dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/tagmill
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
for file in "$doc/copyright" "$doc/changelog.gz" "$metainfo" \
    "$root/usr/share/applications/$app_id.desktop" \
    "$root/usr/share/man/man1/tagmill.1.gz" "$root/usr/share/man/man1/tagmill-cli.1.gz"; do
    [[ -f $file ]] || fail "the package holds no ${file#"$root"}"
done

# Compressed as Debian does it, so that the package's bytes do not change with the build time: no
# time stamp (bytes 4 to 7 of a gzip header) and the best compression (2 in byte 8).
while read -r file; do
    header=$(od -An -tu1 -j4 -N5 "$file" | tr -s ' ')
    [[ $header == " 0 0 0 0 2" ]] || fail "${file#"$root"} has the gzip header bytes$header"
done < <(find "$root" -name '*.gz')

# Lintian reads a copyright file as machine-readable only when its first line says so.
dep5=https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
[[ $(head -n 1 "$doc/copyright") == "Format: $dep5" ]] ||
    fail "the copyright file begins: $(head -n 1 "$doc/copyright")"

# The changelog's newest entry is this version, by the package's maintainer.
gzip -dc "$doc/changelog.gz" >"$work/changelog"
for field in Version Maintainer; do
    expected=$(dpkg-deb -f "$deb" "$field")
    actual=$(dpkg-parsechangelog -l "$work/changelog" -S "$field")
    [[ $actual == "$expected" ]] || fail "the changelog's $field is $actual, the package's $expected"
done
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"

for page in tagmill tagmill-cli; do
    first=$(gzip -dc "$root/usr/share/man/man1/$page.1.gz" | head -n 1)
    [[ $first == ".TH ${page^^} 1 \"\" \"Tagmill $version\" \"User Commands\"" ]] ||
        fail "$page.1.gz begins: $first"
done

# appstreamcli fails on a warning or an error; infos (hints) may stay.
appstreamcli validate --no-net "$metainfo" >"$work/appstream" 2>&1 ||
    fail "appstreamcli: $(cat "$work/appstream")"
grep -qF "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"
grep -qF "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"
newest=$(grep -o -m 1 '<release version="[^"]*"' "$metainfo")
[[ $newest == "<release version=\"$version\"" ]] || fail "the metainfo's newest release: $newest"
echo "the package passes lintian and appstreamcli and holds its documents"
