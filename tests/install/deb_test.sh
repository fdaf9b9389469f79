#!/bin/sh
# cpack -G DEB of a build: the package's name, its files laid out as `cmake --install` lays them
# out under /usr, a desktop entry that names /usr/bin, and dependencies on the Qt 6 libraries the
# programs link and on ffmpeg. Usage: deb_test.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mk deb-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1) ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
deb="$scratch/morvakelin_${version}_amd64.deb"
[ -s "$deb" ] || fail "no $(basename "$deb") in: $(ls "$scratch")"

dpkg-deb -c "$deb" | awk '{print $6}' >"$scratch/files"
for file in ./usr/lib/morvakelin/morvakelin ./usr/lib/morvakelin/morvakelin-cli \
    ./usr/lib/morvakelin/ffmpeg ./usr/lib/morvakelin/avs2yuv ./usr/lib/morvakelin/TV.avs \
    ./usr/lib/morvakelin/Help/Eng/MORVAKELIN_ENG.HLP ./usr/lib/morvakelin/Conf/support_eng.htm \
    ./usr/bin/morvakelin ./usr/bin/morvakelin-cli ./usr/share/applications/morvakelin.desktop \
    ./usr/share/icons/hicolor/48x48/apps/morvakelin.png; do
    grep -Fqx "$file" "$scratch/files" || fail "$file is not in the package"
done
if grep -q '^\./\(tmp\|root\|work\|home\)' "$scratch/files"; then
    fail "build paths in the package: $(grep '^\./\(tmp\|root\|work\|home\)' "$scratch/files" | head -3)"
fi

mkdir "$scratch/root"
dpkg-deb -x "$deb" "$scratch/root"
grep -Fqx 'Exec="/usr/bin/morvakelin"' "$scratch/root/usr/share/applications/morvakelin.desktop" ||
    fail "the desktop entry does not start /usr/bin/morvakelin"

depends=$(dpkg-deb -f "$deb" Depends)
for package in ffmpeg libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
    echo "$depends" | grep -Eq "(^|, )$package( |,|$)" || fail "Depends lacks $package: $depends"
done
echo "deb package: ok ($depends)"
