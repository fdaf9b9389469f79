#!/usr/bin/env bash
# morvakelin-cli over 8 generated 20-second clips: --jobs 1 against --jobs <cores>, alternating
# which goes first. Prints the wall-time ratio, the limit the cores set (the --jobs 1 run's CPU
# seconds spread over every core, as a ratio of its wall time), how close the parallel run comes to
# it, and the CLI's own peak resident memory. Checks that both runs wrote the same encodes (bytes,
# or decoded frames' checksums where the bytes differ). Not part of the tests; wants a quiet machine.
# usage: bench/jobs.sh [PROGRAM_FOLDER] [ROUNDS] [TARGET]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PROGRAM="${1:-$ROOT/build/program}"
ROUNDS="${2:-2}"
TARGET="${3:-dvd}"
CLI="$PROGRAM/morvakelin-cli"
[[ -x "$CLI" ]] || { echo "no $CLI; build first" >&2; exit 1; }
CORES=$(nproc)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "Making 8 clips of 20 s in $WORK"
for i in 1 2 3 4 5 6 7 8; do
    ffmpeg -v error -f lavfi -i "testsrc2=size=$((480 + 16 * i))x$((272 + 8 * i)):rate=25:duration=20" \
        -f lavfi -i "sine=frequency=$((200 + 50 * i)):duration=20" -c:v mpeg4 -q:v 4 -c:a mp3 \
        -shortest "$WORK/clip $i.avi"
done

# Runs the CLI over the clips into $1 with --jobs $2; prints "wall cpu peak_kb".
run() {
    local out="$1" jobs="$2"
    rm -rf "$out" && mkdir -p "$out"
    local timing="$WORK/time.txt" peak=0
    /usr/bin/time -f "%e %U %S" -o "$timing" \
        "$CLI" --target "$TARGET" --jobs "$jobs" --output-dir "$out" "$WORK"/clip*.avi \
        >/dev/null 2>"$WORK/cli.log" &
    local timer=$!
    # The CLI itself (the child of time), sampled for its high-water mark while it runs.
    local cli=""
    while kill -0 "$timer" 2>/dev/null; do
        [[ -n "$cli" ]] || cli=$(pgrep -P "$timer" -f morvakelin-cli || true)
        if [[ -n "$cli" && -r /proc/$cli/status ]]; then
            local hwm
            hwm=$(awk '/VmHWM/ {print $2}' "/proc/$cli/status" 2>/dev/null || echo 0)
            ((${hwm:-0} > peak)) && peak=$hwm
        fi
        sleep 0.2
    done
    wait "$timer" || { cat "$WORK/cli.log" >&2; exit 1; }
    read -r wall user sys <"$timing"
    echo "$wall $(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }') $peak"
}

declare -a ONE_WALL ONE_CPU MANY_WALL PEAKS
for ((r = 0; r < ROUNDS; r++)); do
    for order in one many; do
        [[ $((r % 2)) -eq 1 ]] && order=$([[ $order == one ]] && echo many || echo one)
        if [[ $order == one ]]; then
            read -r w c p < <(run "$WORK/one" 1)
            ONE_WALL+=("$w") ONE_CPU+=("$c") PEAKS+=("$p")
            echo "round $((r + 1)) --jobs 1:      wall ${w}s cpu ${c}s cli peak ${p} kB"
        else
            read -r w c p < <(run "$WORK/many" "$CORES")
            MANY_WALL+=("$w") PEAKS+=("$p")
            echo "round $((r + 1)) --jobs $CORES:      wall ${w}s cpu ${c}s cli peak ${p} kB"
        fi
    done
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
one=$(median "${ONE_WALL[@]}")
cpu=$(median "${ONE_CPU[@]}")
many=$(median "${MANY_WALL[@]}")
peak=$(printf '%s\n' "${PEAKS[@]}" | sort -n | tail -1)
awk -v one="$one" -v cpu="$cpu" -v many="$many" -v cores="$CORES" -v peak="$peak" 'BEGIN {
    ratio = many / one
    limit = (cpu / cores) / one
    if (limit > 1) limit = 1
    printf "median wall: --jobs 1 %.2fs, --jobs %d %.2fs; ratio %.3f\n", one, cores, many, ratio
    printf "limit the cores set: %.3f (one job keeps %.2f of %d cores busy); parallel run at %.1f%% of the limit\n", limit, cpu / one, cores, 100 * ratio / limit
    printf "CLI peak resident memory: %.1f MB\n", peak / 1024
}'

same=0 differ=0
for f in "$WORK/one"/*; do
    g="$WORK/many/$(basename "$f")"
    if cmp -s "$f" "$g"; then
        same=$((same + 1))
    elif [[ "$(ffmpeg -v error -i "$f" -f framemd5 - | grep -v '^#')" == \
            "$(ffmpeg -v error -i "$g" -f framemd5 - | grep -v '^#')" ]]; then
        same=$((same + 1))
    else
        differ=$((differ + 1))
        echo "differs: $(basename "$f")"
    fi
done
echo "outputs equal: $same of $((same + differ))"
