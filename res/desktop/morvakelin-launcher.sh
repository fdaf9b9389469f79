#!/bin/sh
# Starts Morvakelin, or morvakelin-cli when called by that name, from its program folder.
# The program keeps its probe report, batch file and language in the folder's Conf/, so the
# folder must be writable. When the installed folder is not (a system-wide install), or when
# MORVAKELIN_HOME names a folder, the user's own copy is used instead: made on the first start
# in ${MORVAKELIN_HOME:-${XDG_DATA_HOME:-~/.local/share}/morvakelin}; at every start its
# programs and help follow the installed ones, while TV.avs, Conf/ and avs2yuv (the user may have
# put a real AviSynth renderer there) stay as the user has them.
set -eu
self=$(readlink -f "$0")
installed=$(cd "$(dirname "$self")/../lib/morvakelin" && pwd)
case "$(basename "$0")" in
    *-cli) program=morvakelin-cli ;;
    *) program=morvakelin ;;
esac

folder=$installed
if [ -n "${MORVAKELIN_HOME:-}" ] || [ ! -w "$installed" ] || [ ! -w "$installed/Conf" ]; then
    folder=${MORVAKELIN_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/morvakelin}
    mkdir -p "$folder/Conf" "$folder/Help"
    for tool in morvakelin morvakelin-cli ffmpeg; do
        if ! cmp -s "$installed/$tool" "$folder/$tool"; then
            # Replaced, not written over: a running copy keeps its file.
            cp -p "$installed/$tool" "$folder/.$tool.new"
            mv -f "$folder/.$tool.new" "$folder/$tool"
        fi
    done
    cp -pR "$installed/Help/." "$folder/Help/"
    for file in "$installed"/Conf/* "$installed/TV.avs" "$installed/avs2yuv"; do
        target=$folder/${file#"$installed"/}
        [ ! -e "$file" ] || [ -e "$target" ] || cp -p "$file" "$target"
    done
fi
exec "$folder/$program" "$@"
