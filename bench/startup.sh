#!/usr/bin/env bash
# Start-up to a visible window, Morvakelin against WinFF, side by side in one run under Xvfb and
# one session bus, and Morvakelin's resident memory at that moment. Morvakelin starts in German,
# so its translations and Qt's are loaded (MORVAKELIN_BENCH_LANGUAGE=english for the other).
#   bench/startup.sh [program-folder] [runs]
# Needs xvfb, dbus, x11-utils and winff (apt-get install xvfb dbus x11-utils winff).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PROGRAM="${1:-$ROOT/build/program}"
RUNS="${2:-10}"

# A desktop's X server runs on while programs come and go; Xvfb resets itself whenever its last
# client leaves (here, between two starts), and a client connecting meanwhile waits for the reset.
if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" "$PROGRAM" "$RUNS"
fi
# Both programs are to show on that display, whatever platform the caller's shell names for tests.
unset QT_QPA_PLATFORM
# Without a session bus, Qt's accessibility bridge has libdbus start a bus of its own at every
# start (dbus-launch), which a desktop session never does.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
    exec dbus-run-session -- "$0" "$PROGRAM" "$RUNS"
fi

# Prints "milliseconds rss_kb" for one start of the command until a window titled $1 is mapped.
# The map is watched as an event (xev on the root window) rather than polled: a poll starting a
# new xdotool every few milliseconds took a share of the two cores from the program it timed,
# and saw the window only at its next look.
measure() {
    local title="$1"
    shift
    local t0 t1 pid rss line window name
    coproc WATCH { exec xev -root -event substructure; }
    sleep 0.3 # xev has asked for the root's events before the program starts
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    local deadline=$((t0 + 30000000000))
    while true; do
        if ! read -r -t 1 line <&"${WATCH[0]}"; then
            if (($(date +%s%N) > deadline)) || ! kill -0 "$pid" 2>/dev/null; then
                echo "no window titled $title within 30 s" >&2
                kill "$pid" "$WATCH_PID" 2>/dev/null || true
                echo "-1 0"
                return
            fi
            continue
        fi
        [[ $line == MapNotify* ]] || continue
        t1=$(date +%s%N)
        read -r line <&"${WATCH[0]}" # "event 0x..., window 0x..., override NO"
        # A window the window manager frames, not an override-redirect one of a toolkit's own
        # (WinFF maps a 1x17 pixel one for a few milliseconds before its window).
        [[ $line == *"override NO"* ]] || continue
        window=$(sed -n 's/.*window \(0x[0-9a-f]*\).*/\1/p' <<<"$line")
        # Any case, as xdotool's search matched: WinFF's first window is titled "winff".
        name=$(xprop -id "$window" -notype WM_NAME 2>/dev/null)
        if [[ "${name,,}" == "wm_name = \"${title,,}\"" ]]; then
            break
        fi
    done
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    kill "$pid" "$WATCH_PID" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$(((t1 - t0) / 1000000)) $rss"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# WinFF keeps its settings in ~/.winff, and a start cut short can leave them so that the next
# start hangs: each of its starts gets a fresh home.
WINFF_HOME="$(mktemp -d)"
trap 'rm -rf "$WINFF_HOME"' EXIT
# A copy of the program folder, so the language chosen here stays out of the user's.
cp -r "$PROGRAM" "$WINFF_HOME/program"
PROGRAM="$WINFF_HOME/program"
printf '%s\0' "${MORVAKELIN_BENCH_LANGUAGE:-deutsch}" >"$PROGRAM/Conf/LangConf.txt"
winff_fresh() {
    rm -rf "$WINFF_HOME/.winff"
    HOME="$WINFF_HOME" exec winff
}
export -f winff_fresh
export WINFF_HOME

# One warm-up start each, so both find the font cache in memory.
measure Morvakelin "$PROGRAM/morvakelin" >/dev/null
measure WinFF bash -c winff_fresh >/dev/null

m_times=() w_times=() m_rss=()
for _ in $(seq "$RUNS"); do
    read -r ms rss < <(measure Morvakelin "$PROGRAM/morvakelin")
    if ((ms >= 0)); then
        m_times+=("$ms")
        m_rss+=("$rss")
    fi
    read -r ms _ < <(measure WinFF bash -c winff_fresh)
    if ((ms >= 0)); then
        w_times+=("$ms")
    fi
done

m=$(printf '%s\n' "${m_times[@]}" | median)
w=$(printf '%s\n' "${w_times[@]}" | median)
r=$(printf '%s\n' "${m_rss[@]}" | median)
echo "start-up to visible window (median of $RUNS): Morvakelin ${m} ms, WinFF ${w} ms"
echo "Morvakelin resident memory at that moment: $((r / 1024)) MB (goal: within 45 MB)"
awk -v m="$m" -v w="$w" 'BEGIN { printf "ratio Morvakelin/WinFF: %.2f (goal: at most 0.90)\n", m / w }'
