#!/bin/sh
# `cmake --install` of a build into a scratch prefix (a blank in its path): the program folder is
# complete and runs in place, the desktop entry is valid and points at the launcher, the icons are
# there, a per-user copy is made and kept as the user changed it, and a reinstall keeps an edited
# TV.avs. Usage: install_test.sh BUILD_DIR
set -eu
build=$1
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mk install-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/pre fix"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
dir="$prefix/lib/morvakelin"
for tool in morvakelin morvakelin-cli ffmpeg avs2yuv; do
    [ -x "$dir/$tool" ] || fail "$tool is not in the program folder"
done
for file in TV.avs Conf/support_eng.htm Conf/support_ger.htm Help/Eng/MORVAKELIN_ENG.HLP \
    Help/Ger/MORVAKELIN_GER.HLP; do
    [ -s "$dir/$file" ] || fail "$file is not in the program folder"
done
for launcher in morvakelin morvakelin-cli; do
    [ -x "$prefix/bin/$launcher" ] || fail "no launcher bin/$launcher"
done
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/morvakelin.png"
    [ "$(head -c 4 "$icon" | tail -c 3)" = PNG ] || fail "no ${size}px icon"
done
grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/morvakelin.svg" || fail "no scalable icon"

entry="$prefix/share/applications/morvakelin.desktop"
desktop-file-validate "$entry" || fail "the installed desktop entry is not valid"
grep -Fqx "Exec=\"$prefix/bin/morvakelin\"" "$entry" || fail "Exec does not name the launcher"
grep -Fqx "TryExec=$prefix/bin/morvakelin" "$entry" || fail "TryExec does not name the launcher"
grep -Fqx "Icon=morvakelin" "$entry" || fail "no icon name"

[ "$("$prefix/bin/morvakelin-cli" --version)" = "morvakelin-cli 3.0" ] || fail "--version"

clip="$scratch/clip.avi"
ffmpeg -v error -f lavfi -i testsrc=duration=0.4:size=320x240:rate=25 \
    -f lavfi -i sine=duration=0.4 -shortest -c:v mpeg4 -c:a mp2 "$clip"

# Writable (as here): it runs in place, probing into the installed Conf/, and encodes.
"$prefix/bin/morvakelin-cli" --source "$clip" --output "$scratch/out.mpg" --print |
    grep -Fq "\"$dir/ffmpeg\" -i \"$clip\"" || fail "the command does not use the installed folder"
[ -s "$dir/Conf/test.txt" ] || fail "no probe report in the installed Conf/"
"$prefix/bin/morvakelin-cli" --source "$clip" --output "$scratch/out.mpg" 2>/dev/null ||
    fail "the installed program did not encode"
[ -s "$scratch/out.mpg" ] || fail "no output"

# A per-user copy, made on first start and used from then on.
copy="$scratch/my copy"
MORVAKELIN_HOME="$copy" "$prefix/bin/morvakelin-cli" --source "$clip" --output "$scratch/o.mpg" \
    --print | grep -Fq "\"$copy/ffmpeg\"" || fail "the copy is not the program folder"
for file in morvakelin morvakelin-cli ffmpeg avs2yuv TV.avs Conf/test.txt Help/Eng/MORVAKELIN_ENG.HLP; do
    [ -e "$copy/$file" ] || fail "$file is missing from the user's copy"
done
echo 'AviSource("mine.avi")' >"$copy/TV.avs"
printf '#!/bin/sh\n# a real renderer\n' >"$copy/avs2yuv"
rm "$copy/ffmpeg"
MORVAKELIN_HOME="$copy" "$prefix/bin/morvakelin-cli" --version >/dev/null
grep -q mine "$copy/TV.avs" || fail "the user's TV.avs was replaced"
grep -q "real renderer" "$copy/avs2yuv" || fail "the user's avs2yuv was replaced"
cmp -s "$dir/ffmpeg" "$copy/ffmpeg" || fail "the copy's programs were not refreshed"

# Reinstalling keeps a TV.avs the user edited in place.
echo 'AviSource("edited.avi")' >"$dir/TV.avs"
cmake --install "$build" --prefix "$prefix" >/dev/null
grep -q edited "$dir/TV.avs" || fail "reinstalling replaced the edited TV.avs"
echo "install layout: ok"
