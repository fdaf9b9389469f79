#!/usr/bin/env bash
# The program folder's ffmpeg against the installed ffmpeg, side by side in one run:
#   probe:  our "ffmpeg -i SRC -an -vn" (report rewritten) vs. the installed ffmpeg's own -i run;
#   encode: the dvd command with Correct ratio in the old options vs. the same encode written
#           directly in today's options.
# Rounds alternate which side goes first. Prints medians and their ratios (goal: probe <= 1.05,
# encode <= 1.01). Not part of the tests.
# usage: bench/probe_encode.sh [PROGRAM_FOLDER] [PROBE_ROUNDS] [ENCODE_ROUNDS] [CLIP_SECONDS]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PROGRAM="${1:-$ROOT/build/program}"
PROBE_ROUNDS="${2:-30}"
ENCODE_ROUNDS="${3:-5}"
SECONDS_OF_CLIP="${4:-10}"
OURS="$PROGRAM/ffmpeg"
[[ -x "$OURS" ]] || { echo "no $OURS; build the morvakelin_ffmpeg target first" >&2; exit 1; }

# The installed ffmpeg, as our ffmpeg finds it (never the program folder's own).
REAL="${MORVAKELIN_FFMPEG:-}"
if [[ -z "$REAL" ]]; then
    IFS=: read -ra dirs <<<"$PATH"
    for d in "${dirs[@]}"; do
        if [[ -x "$d/ffmpeg" && "$(readlink -f "$d/ffmpeg")" != "$(readlink -f "$OURS")" ]] &&
            ! grep -q "MORVAKELIN-COMPAT-TOOL" "$d/ffmpeg"; then
            REAL="$d/ffmpeg"
            break
        fi
    done
fi
[[ -n "$REAL" ]] || { echo "no installed ffmpeg found" >&2; exit 1; }

SCRATCH="$(mktemp -d)"
trap 'rm -rf "$SCRATCH"' EXIT
export XDG_CACHE_HOME="$SCRATCH/cache"
CLIP="$SCRATCH/source.avi"
"$REAL" -v error -f lavfi -i "testsrc=size=640x352:rate=25:duration=$SECONDS_OF_CLIP" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$SECONDS_OF_CLIP" \
    -c:v mpeg4 -q:v 4 -c:a libmp3lame -shortest "$CLIP"

now() { date +%s%N; }
# Runs "$@" quietly and prints its wall time in nanoseconds.
timed() {
    local t0 t1
    t0=$(now)
    "$@" >/dev/null 2>&1 || true
    t1=$(now)
    echo $((t1 - t0))
}

probe_ours() { "$OURS" -i "$CLIP" -an -vn; }
probe_real() { "$REAL" -i "$CLIP" -an -vn; }
encode_ours() {
    "$OURS" -i "$CLIP" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x396 -padtop 90 -padbottom 90 \
        -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "$SCRATCH/ours.mpg"
}
encode_real() {
    "$REAL" -i "$CLIP" -target pal-dvd -b 6000000 -aspect 4:3 -acodec ac3 -ab 448000 -ac 6 \
        -mbd 2 -qmin 2 -vf scale=720:396,pad=720:576:0:90 -s 720x576 \
        -af aresample=async=1:first_pts=0 -y "$SCRATCH/real.mpg"
}

# side_by_side NAME ROUNDS: alternates NAME_ours and NAME_real, prints medians and the ratio.
side_by_side() {
    local name=$1 rounds=$2 ours=() real=() i
    "${name}_ours" >/dev/null 2>&1 || true  # warm caches (and our feature cache) first
    "${name}_real" >/dev/null 2>&1 || true
    for ((i = 0; i < rounds; i++)); do
        if ((i % 2 == 0)); then
            ours+=("$(timed "${name}_ours")")
            real+=("$(timed "${name}_real")")
        else
            real+=("$(timed "${name}_real")")
            ours+=("$(timed "${name}_ours")")
        fi
    done
    local mo mr
    mo=$(printf '%s\n' "${ours[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    mr=$(printf '%s\n' "${real[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    awk -v n="$name" -v r="$rounds" -v o="$mo" -v i="$mr" 'BEGIN {
        printf "%-7s %3d rounds  ours %8.1f ms  installed %8.1f ms  ratio %.3f\n",
               n, r, o / 1e6, i / 1e6, o / i }'
}

echo "installed ffmpeg: $REAL ($("$REAL" -version | head -1 | cut -d' ' -f3))"
echo "clip: ${SECONDS_OF_CLIP} s, 640x352 MPEG-4 + MP3"
side_by_side probe "$PROBE_ROUNDS"
side_by_side encode "$ENCODE_ROUNDS"
