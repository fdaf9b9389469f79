#!/bin/sh
# Does the console window slow an encode down? Encodes a generated 10 s 640x480 clip to MPEG-2
# through the console window and in a plain shell, alternately, and prints the median times and
# their ratio (goal: 1.02 or less). Also CPU time (the command's plus the console's own), which
# is the fairer figure when the machine is busy with other work.
#   bench/console_vs_shell.sh [build-dir] [runs]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-5}

cmake --build "$build" --target console_bench >/dev/null
bench="$build/bench/console_bench"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ffmpeg -nostdin -v error -f lavfi -i testsrc=d=10:s=640x480:r=25 -f lavfi -i sine=d=10 \
    -c:v ffv1 -c:a pcm_s16le "$tmp/clip.mkv"
cmd="ffmpeg -nostdin -i '$tmp/clip.mkv' -c:v mpeg2video -b:v 6000k -c:a mp2 -ar 48000 -y '$tmp/out.mpg'"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: >"$tmp/console.ms"
: >"$tmp/shell.ms"
: >"$tmp/console.cpu"
: >"$tmp/shell.cpu"
i=0
while [ "$i" -lt "$runs" ]; do
    set -- $("$bench" "$cmd" 2>/dev/null)
    [ "$2" = 0 ] || { echo "console run failed (exit $2)" >&2; exit 1; }
    echo "$1" >>"$tmp/console.ms"
    echo $(($3 + $4)) >>"$tmp/console.cpu"
    set -- $("$bench" --shell "$cmd" "$tmp/shell.log" 2>/dev/null)
    [ "$2" = 0 ] || { echo "shell run failed (exit $2)" >&2; exit 1; }
    echo "$1" >>"$tmp/shell.ms"
    echo $(($3 + $4)) >>"$tmp/shell.cpu"
    i=$((i + 1))
done

console=$(median <"$tmp/console.ms")
shell=$(median <"$tmp/shell.ms")
echo "console runs (ms): $(tr '\n' ' ' <"$tmp/console.ms")"
echo "shell runs (ms):   $(tr '\n' ' ' <"$tmp/shell.ms")"
awk -v c="$console" -v s="$shell" \
    'BEGIN { printf "wall: median console %d ms, shell %d ms, ratio %.3f (goal <= 1.02)\n", c, s, c / s }'
console=$(median <"$tmp/console.cpu")
shell=$(median <"$tmp/shell.cpu")
awk -v c="$console" -v s="$shell" \
    'BEGIN { printf "cpu:  median console %d ms, shell %d ms, ratio %.3f\n", c, s, c / s }'
