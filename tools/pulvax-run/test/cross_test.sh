#!/usr/bin/env bash
# The Windows pulvax-run under Wine and the native one give byte-identical
# output (video, contact sheet, track values) for the same inputs and options.
# usage: cross_test.sh RUNNER WINDOWS_TOOL NATIVE_BUILD_DIR WORKDIR, where
# RUNNER is the command that runs Windows programs (words separated by spaces,
# such as "script/wine-run win64"); exit 77 (skip) without a native build.
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
runner=$1 win_tool=$2 native=$3 work=$4
read -ra R <<<"$runner"
native_tool=$native/pulvax-run
make_input=$native/tools/pulvax-run/test/pulvax_run_make_input
if [ ! -x "$native_tool" ] || [ ! -f "$native/pulvax.so" ] || [ ! -x "$make_input" ]; then
  echo "no native build in $native: skipped" >&2
  exit 77
fi
start_in "$work"

"$make_input" y4m s420.y4m 48 32 420mpeg2 20 30000:1001 || exit 1
"$make_input" y4m s422.y4m 18 7 422 12 || exit 1
"$make_input" y4m s444.y4m 13 5 444 30 25:1 || exit 1
"$make_input" y4m s10.y4m 15 9 420p10 12 24:1 XCOLORRANGE=FULL || exit 1
"$make_input" y4m mono.y4m 7 5 mono16 12 || exit 1
"$make_input" png pic.png 21 13 || exit 1
# A song for the beat finder: clicks at 132 BPM from 0.2 s on.
command -v ffmpeg > /dev/null || { echo "no ffmpeg to make the song with" >&2; exit 1; }
ffmpeg -v error -nostdin -y -f lavfi \
  -i "aevalsrc=exprs='0.8*sin(2*PI*1500*t)*exp(-90*mod(t+500-0.2\,60/132))*gte(t\,0.2)':s=22050" \
  -t 8 -c:a pcm_s16le song.wav || exit 1

cases=(
  "--frames 24 --bpm 128.5 --ref-x 100 --ref-y 50"
  "s420.y4m --bpm 120 --ref-x 7 --ref-y 30"
  "s422.y4m"
  "s444.y4m --period 29 --period-div 2 --stretch-frames 2"
  "pic.png --frames 10 --start-frame 3 --ref-x 2000"
  "s10.y4m --ref-x 7 --ref-y 4"
  "mono.y4m --ref-x 3 --ref-y 2"
  "s420.y4m --stretch-frames 2 --beat-from song.wav --beat-nudge -20"
)
i=0
for c in "${cases[@]}"; do
  i=$((i + 1))
  # shellcheck disable=SC2086
  "$native_tool" $c --print-tracks -o "n$i.y4m" --sheet "n$i.png" 2> "n$i.err" || fail "native $c: status $?"
  # shellcheck disable=SC2086
  "${R[@]}" "$win_tool" $c --print-tracks -o "w$i.y4m" --sheet "w$i.png" 2> "w$i.err" || fail "wine $c: status $?"
  cmp -s "n$i.y4m" "w$i.y4m" || fail "$c: video differs"
  cmp -s "n$i.png" "w$i.png" || fail "$c: contact sheet differs"
  [ "$(grep tracks "n$i.err")" = "$(grep tracks "w$i.err" | tr -d '\r')" ] || fail "$c: tracks differ"
done
# The beat finder's figures, to the last digit printed.
for flags in "" "--json --fps 24000/1001"; do
  # shellcheck disable=SC2086
  "$native_tool" beat song.wav $flags > nbeat.txt 2>&1 || fail "native beat $flags: status $?"
  # shellcheck disable=SC2086
  "${R[@]}" "$win_tool" beat song.wav $flags 2>&1 | tr -d '\r' > wbeat.txt || fail "wine beat $flags: status $?"
  cmp -s nbeat.txt wbeat.txt || fail "beat $flags: $(diff nbeat.txt wbeat.txt | head -n 6)"
done
# Binary standard streams on Windows.
"${R[@]}" "$win_tool" - -o - --ref-x 9 < s420.y4m > wpipe.y4m 2>/dev/null || fail "wine pipe: status $?"
"$native_tool" s420.y4m --ref-x 9 -o npipe.y4m 2>/dev/null
cmp -s npipe.y4m wpipe.y4m || fail "pipe: video differs"

finish "native and Windows tools agree"
