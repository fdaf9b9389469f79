#!/bin/sh
# cpack -G DEB of a build: the package's name, its files laid out as `cmake --install` lays them
# out under /usr, a desktop entry that names /usr/bin, and dependencies on the Qt 6 libraries the
# programs link and on ffmpeg; lintian, appstreamcli and bash completion (each when installed)
# accept it, and the manual page names every option --help lists. Usage: deb_test.sh BUILD_DIR VERSION
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
recommends=$(dpkg-deb -f "$deb" Recommends)
for package in dvdauthor "genisoimage | xorriso" vcdimager lsdvd xdg-utils; do
    echo "$recommends" | grep -Fq "$package" || fail "Recommends lacks $package: $recommends"
done

if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$scratch/lintian" 2>&1 || fail "lintian: $(cat "$scratch/lintian")"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$scratch"/root/usr/share/metainfo/*.metainfo.xml \
        >"$scratch/appstream" 2>&1 || fail "appstreamcli: $(cat "$scratch/appstream")"
fi

man -l "$scratch/root/usr/share/man/man1/morvakelin-cli.1.gz" >"$scratch/man" 2>/dev/null
for option in $("$build/program/morvakelin-cli" --help | grep -o -e '--[a-z-]*' | sort -u); do
    grep -q -e "$option" "$scratch/man" || fail "man morvakelin-cli does not name $option"
done
grep -q "EXIT STATUS" "$scratch/man" || fail "man morvakelin-cli has no exit statuses"

if [ -f /usr/share/bash-completion/bash_completion ]; then
    mkdir "$scratch/files-here" && cd "$scratch/files-here" && touch clip.avi notes.txt disc.iso
    completions=$(bash -c '. /usr/share/bash-completion/bash_completion
        . "$1"
        line() { COMP_WORDS=($1 "$2"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMP_LINE="$1 $2"
                 COMP_POINT=${#COMP_LINE}; _morvakelin_cli
                 echo "$1 $2: ${COMPREPLY[*]}"; }
        line morvakelin-cli --tar; line "morvakelin-cli --target" ""; line "morvakelin-cli --format" ""
        line morvakelin-cli ""; line "morvakelin-cli --disc" ""' sh \
        "$scratch/root/usr/share/bash-completion/completions/morvakelin-cli")
    for expected in "cli --tar: --target" "--target : dvd svcd vcd mpeg4 h263" "--format : pal ntsc" \
        "morvakelin-cli : clip.avi" "--disc : disc.iso"; do
        echo "$completions" | grep -Fq -e "$expected" || fail "completion: $expected not in: $completions"
    done
fi
echo "deb package: ok ($depends)"
