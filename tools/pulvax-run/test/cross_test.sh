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
# File names beyond every ANSI code page (Japanese, Korean, an emoji), in a
# folder named so too: read, written, and named in messages as given. Wine
# reads the command line in the locale's character set, so the test fixes it.
export LC_ALL=C.UTF-8
dir="フォルダ 한글 🎵"
mkdir -p "$dir" || exit 1
cp song.wav "$dir/曲.wav" && cp s420.y4m "$dir/入力 ✓.y4m" && cp pic.png "$dir/写真 🎵.png" || exit 1
cp "$(dirname "$win_tool")/pulvax.auf" "$dir/モジュール.auf" || exit 1
"$native_tool" s420.y4m --beat-from song.wav --print-tracks -o nu.y4m --sheet nu.png 2> nu.err || fail "native unicode: status $?"
(cd "$dir" && "${R[@]}" "$win_tool" "入力 ✓.y4m" --beat-from 曲.wav --module モジュール.auf --print-tracks \
  -o "출력 🎵.y4m" --sheet "시트 🎵.png") 2> wu.err || fail "wine unicode names: status $?: $(cat wu.err)"
cmp -s nu.y4m "$dir/출력 🎵.y4m" || fail "unicode names: video differs"
cmp -s nu.png "$dir/시트 🎵.png" || fail "unicode names: contact sheet differs"
grep -q "beat of 曲.wav:" wu.err || fail "unicode names: the song's name in the message: $(cat wu.err)"
"$native_tool" pic.png --frames 8 -o ni.y4m 2>/dev/null
"${R[@]}" "$win_tool" "$work/$dir/写真 🎵.png" --frames 8 -o "$work/$dir/출력 2.y4m" 2>/dev/null || fail "wine unicode image: status $?"
cmp -s ni.y4m "$dir/출력 2.y4m" || fail "unicode image: video differs"
"${R[@]}" "$win_tool" "없는 파일 🎵.y4m" -o x.y4m 2> wmiss.err
grep -q "cannot open '없는 파일 🎵.y4m'" wmiss.err || fail "unicode missing file: $(cat wmiss.err)"
# The beat finder's figures, to the last byte, through a pipe: UTF-8 text
# with the same line ends as the native tool's.
for flags in "" "--json --fps 24000/1001"; do
  # shellcheck disable=SC2086
  "$native_tool" beat "$dir/曲.wav" $flags > nbeat.txt 2>&1 || fail "native beat $flags: status $?"
  # shellcheck disable=SC2086
  "${R[@]}" "$win_tool" beat "$dir/曲.wav" $flags > wbeat.txt 2>&1 || fail "wine beat $flags: status $?"
  cmp -s nbeat.txt wbeat.txt || fail "beat $flags: $(diff nbeat.txt wbeat.txt | head -n 6)"
done
"${R[@]}" "$win_tool" beat "$dir/曲.wav" | grep -q '周期 [0-9]' || fail "beat: no 周期 in UTF-8 in the text output"
# A console in code page 932, Japanese Windows' default, shows the Japanese
# of the help right: the tool gives a console UTF-16. Under a pseudo-terminal
# (script, of util-linux) Wine gives the program a console; the terminal's
# escapes are dropped before looking.
winexe="Z:${win_tool//\//\\}"
shown=$(timeout 120 script -qec "$(printf '%q ' "${R[@]}") cmd /c \"chcp 932 >nul & $winexe beat --help\"" /dev/null |
  sed -E 's/\x1b\[[0-9;?]*[A-Za-z]//g')
grep -q '周期 / 周期div / 開始F' <<<"$shown" || fail "console in code page 932: $(grep -a 'bpm' <<<"$shown")"
# What the Windows build says of itself: only what it does, and what to do
# with a file it cannot read.
"${R[@]}" "$win_tool" --help > whelp.txt || fail "wine --help: status $?"
"${R[@]}" "$win_tool" beat --help > wbhelp.txt || fail "wine beat --help: status $?"
! grep -E -e '--codec|--crf|mp4, mkv|On Linux' whelp.txt || fail "--help names what the Windows build cannot do"
grep -q 'pulvax.auf beside' whelp.txt && grep -q 'ffmpeg -i in.mp4 -f yuv4mpegpipe' whelp.txt || fail "--help: $(head -n 3 whelp.txt)"
grep -q '周期 / 周期div / 開始F' wbhelp.txt && grep -q 'ffmpeg -i song.mp3 song.wav' wbhelp.txt && ! grep -q FFmpeg wbhelp.txt ||
  fail "beat --help: $(cat wbhelp.txt)"
cp song.wav clip.mp4
"${R[@]}" "$win_tool" clip.mp4 -o x.y4m 2> wmp4.err && fail "a video file as input succeeded"
grep -q "'clip.mp4' is neither a YUV4MPEG2 stream nor a readable PNG, JPEG or BMP image; this build reads video files through a pipe from ffmpeg only: ffmpeg -i in.mp4 -f yuv4mpegpipe - | pulvax-run - -o out.y4m" wmp4.err ||
  fail "a video file as input: $(cat wmp4.err)"
cp pic.png "$dir/曲.mp3"
"${R[@]}" "$win_tool" beat "$dir/曲.mp3" 2> wmp3.err && fail "beat of a non-WAV file succeeded"
grep -q "曲.mp3: not a WAV file, and this build reads WAV only: convert it with ffmpeg -i song.mp3 song.wav, or open it in the beat page" wmp3.err ||
  fail "beat of a non-WAV file: $(cat wmp3.err)"
[ "$("${R[@]}" "$win_tool" --version)" = "$("$native_tool" --version)" ] || fail "--version differs"
# Binary standard streams on Windows.
"${R[@]}" "$win_tool" - -o - --ref-x 9 < s420.y4m > wpipe.y4m 2>/dev/null || fail "wine pipe: status $?"
"$native_tool" s420.y4m --ref-x 9 -o npipe.y4m 2>/dev/null
cmp -s npipe.y4m wpipe.y4m || fail "pipe: video differs"

finish "native and Windows tools agree"
