#!/bin/sh
# Every combination the form offers, through morvakelin-cli with the presets the form applies:
# 5 video targets x 5 audio targets x video on/off x pal/ntsc, over an AVI with mp3, an MP4 with
# aac and VOBs with ac3 and with DVD pcm audio, each written to the name Save File proposes.
# Counts good outputs, combinations refused before the encode (exit 2; each is then run as --print
# has it, and must fail), honest failures (exit 1) and broken outputs reported as good (exit 0,
# but ffprobe does not find the streams asked for).
# Prints one line per combination that is not good, with the line that says why.
#
#   tests/matrix/run_matrix.sh [BUILD_DIR] [--audio-only]
#
# MORVAKELIN_FFMPEG chooses the installed ffmpeg as for the program; the sources are made with it.
set -u
build=${1:-build}
only=${2:-}
[ -x "$build/program/morvakelin-cli" ] || { echo "no $build/program/morvakelin-cli; build first" >&2; exit 2; }
real=${MORVAKELIN_FFMPEG:-ffmpeg}
work=$(mktemp -d /tmp/mk-matrix-XXXXXX)
trap 'rm -rf "$work"' EXIT
# A copy of the program folder: a rebuild meanwhile changes nothing here.
cp -r "$build/program" "$work/program"
cli="$work/program/morvakelin-cli"

clip="-f lavfi -i testsrc=rate=25:duration=2:size=320x240 -f lavfi -i sine=sample_rate=48000:duration=2 -shortest"
"$real" -v error $clip -c:v mpeg4 -c:a libmp3lame -b:a 128k "$work/mp3.avi" || exit 2
"$real" -v error $clip -c:v mpeg4 -c:a aac -b:a 128k "$work/aac.mp4" || exit 2
"$real" -v error $clip -c:v mpeg2video -c:a ac3 -ac 2 -b:a 192k -f vob "$work/ac3.vob" || exit 2
"$real" -v error $clip -c:v mpeg2video -c:a pcm_dvd -ac 2 -f vob "$work/pcm.vob" || exit 2

# The extension Save File proposes, audio on.
extension() { # target audio video
    if [ "$3" = on ]; then
        case $1 in mpeg4) echo avi ;; h263) echo 3gp ;; *) echo mpg ;; esac
    else
        case $2 in ac3) echo ac3 ;; mp3) echo mp3 ;; *) echo mp2 ;; esac
    fi
}

good=0 refused=0 wrong=0 failed=0 broken=0
for source in mp3.avi aac.mp4 ac3.vob pcm.vob; do
    for target in dvd svcd vcd mpeg4 h263; do
        for audio in mp2 ac3 mp3 aac copy; do
            for video in on off; do
                [ "$only" = --audio-only ] && [ "$video" = on ] && continue
                for format in pal ntsc; do
                    out="$work/out.$(extension $target $audio $video)"
                    rm -f "$out"
                    set -- --source "$work/$source" --output "$out" --target $target \
                        --format $format --audio-target $audio
                    [ "$video" = off ] && set -- "$@" --no-video
                    row="$source $target $audio video=$video $format"
                    "$cli" "$@" >"$work/log" 2>&1
                    status=$?
                    if [ "$status" -ne 0 ]; then
                        if [ "$status" -eq 2 ]; then refused=$((refused + 1)); else failed=$((failed + 1)); fi
                        # The line that says why, rather than the screen of lines around it.
                        why=$(grep -m 1 -E 'Unsupported|Could not find tag|not currently supported|takes|cannot|Invalid|[Ee]rror' "$work/log" ||
                            grep -v '^ *$' "$work/log" | tail -n 2 | head -n 1)
                        echo "exit $status: $row: $why"
                        # A refusal must be of a command that fails when run as it stands.
                        if [ "$status" -eq 2 ] && cmd=$("$cli" "$@" --print 2>/dev/null) &&
                            sh -c "$cmd" >"$work/log" 2>&1; then
                            wrong=$((wrong + 1))
                            echo "REFUSED BUT RUNS: $row"
                        fi
                        continue
                    fi
                    kinds=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$out" 2>/dev/null |
                        grep -o -E '^(audio|video)' | sort -u | tr '\n' ' ')
                    want="audio "
                    [ "$video" = on ] && want="audio video "
                    if [ "$kinds" = "$want" ]; then
                        good=$((good + 1))
                    else
                        broken=$((broken + 1))
                        echo "BROKEN: $row: ffprobe finds '$kinds'"
                    fi
                done
            done
        done
    done
done
echo "good $good, refused before the encode $refused (of which run anyway and worked: $wrong), honest failures $failed, broken reported as good $broken"
[ "$broken" -eq 0 ] && [ "$wrong" -eq 0 ]
