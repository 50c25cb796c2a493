#!/usr/bin/env bash
# Installs a build into a temporary folder (DESTDIR, prefix /usr) and checks
# what lands there: the programs, the icon at every size, the manual pages and
# the documentation are present, and the desktop entry and the AppStream
# metadata pass their validators without a warning.
#
#   check-install.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1
app_id=$2
version=$3

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root="$stage/usr"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for f in bin/jobforge3 bin/jobforge3-cli \
         share/man/man1/jobforge3.1.gz share/man/man1/jobforge3-cli.1.gz \
         share/doc/jobforge3/README.md share/doc/jobforge3/copyright \
         share/doc/jobforge3/changelog.gz \
         "share/icons/hicolor/scalable/apps/$app_id.svg"; do
    [ -s "$root/$f" ] || fail "not installed: $f"
done
for size in 16 32 48 64 128 256; do
    icon="$root/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    file -b "$icon" | grep -q "^PNG image data, $size x $size," ||
        fail "icon $icon is not a $size x $size PNG"
done

# The manual pages come from the programs' own help texts.
for program in jobforge3 jobforge3-cli; do
    page=$(zcat "$root/share/man/man1/$program.1.gz")
    grep -q "^\.TH .*\"$program $version\"" <<<"$page" ||
        fail "$program.1 has no title line naming version $version"
done
grep -q "output version information and exit" <(zcat "$root/share/man/man1/jobforge3.1.gz") ||
    fail "jobforge3.1 lacks the options of jobforge3 --help"

desktop="$root/share/applications/$app_id.desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$report" ] || fail "desktop-file-validate: $report"
grep -q "^Icon=$app_id$" "$desktop" || fail "the desktop entry does not name the icon $app_id"

metainfo="$root/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate --no-net --no-color "$metainfo" ||
    fail "appstreamcli validate failed on $metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release entry for $version"

[ "$failures" -eq 0 ] || exit 1
echo "installed files pass"
