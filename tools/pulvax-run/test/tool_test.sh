#!/usr/bin/env bash
# Runs the built pulvax-run on small generated inputs: round trips for every
# chroma layout, the beat through the module, pipes, images, the contact
# sheet, and every bad input's message and exit status.
# usage: tool_test.sh RUNNER TOOL MAKE_INPUT NO_ENTRY_MODULE WORKDIR
#   RUNNER: "" for native programs, else the command that runs Windows ones
#   (words separated by spaces, such as "script/wine-run win32")
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
runner=$1 tool=$2 make_input=$3 no_entry=$4 work=$5
start_in "$work"
R=()
read -ra R <<<"$runner"
run() { "${R[@]}" "$tool" "$@"; }
mk() { "${R[@]}" "$make_input" "$@" || { echo "make_input $* failed" >&2; exit 1; }; }
header_len() { head -n 1 "$1" | wc -c; }

# Bytes of frame k (0-based) of a stream with frames of n bytes: equal in a and b?
same_frame() {  # a b n k
  local ha hb
  ha=$(header_len "$1") hb=$(header_len "$2")
  cmp -s -i "$((ha + $4 * ($3 + 6))):$((hb + $4 * ($3 + 6)))" -n "$(($3 + 6))" "$1" "$2"
}

# --- round trips: with the start frame out of reach nothing changes --------
# Every layout and depth ffmpeg writes, odd sizes, both ranges, interlacing,
# aspect 0:0: the output is the input, byte for byte, header included.
#   layout  w  h  tags...
layouts=(
  "420jpeg 16 10 XCOLORRANGE=LIMITED" "420mpeg2 16 10" "420paldv 16 10" "420 16 10" "none 16 10"
  "420jpeg 41 21 XCOLORRANGE=FULL" "422 18 7" "422 17 3" "444 13 5" "411 10 3" "411 7 2"
  "mono 7 5" "mono 8 4 XCOLORRANGE=FULL" "420p10 15 9" "420p10 16 10 XCOLORRANGE=FULL"
  "422p10 9 4" "444p10 6 2" "420p12 7 7" "422p12 9 4 XCOLORRANGE=FULL" "444p12 3 5"
  "420p16 5 3" "444p16 5 3 XCOLORRANGE=FULL" "mono16 3 3" "mono10 5 5" "420p9 5 3" "444p14 4 4"
  "420jpeg 16 10 It A0:0" "422p10 6 4 Ib XCOLORRANGE=FULL XYSCSS=422P10"
)
for l in "${layouts[@]}"; do
  set -- $l
  name=$(echo "$l" | tr ' =:' '___')
  mk y4m "in_$name.y4m" "$2" "$3" "$1" 3 30000:1001 "${@:4}"
  run "in_$name.y4m" --start-frame 300 -o "out_$name.y4m" 2>err.txt || fail "round trip $l: status $?: $(cat err.txt)"
  cmp -s "in_$name.y4m" "out_$name.y4m" || fail "round trip $l: output differs from input"
  grep -q "3 frames, 0 changed" err.txt || fail "round trip $l: summary: $(cat err.txt)"
done
# The same with the streams ffmpeg itself writes, where it is installed. (Its
# writer cuts the last chroma sample of a row in half for deep samples at odd
# widths, so those are tested at an even width and odd height.)
if command -v ffmpeg > /dev/null; then
  for pf in yuv420p yuvj420p yuv422p yuv444p yuv411p gray yuv420p10le yuv422p10le yuv444p12le \
            yuv420p16le gray16le gray10le; do
    extra=() width=41
    [ "$pf" = yuvj420p ] && extra=(-color_range pc)
    case $pf in *le) width=40;; esac
    ffmpeg -v error -f lavfi -i "testsrc2=size=40x22:rate=25,scale=$width:23" -frames:v 3 -pix_fmt "$pf" "${extra[@]}" \
      -field_order tt -strict -1 -f yuv4mpegpipe "ff_$pf.y4m" -y || { fail "ffmpeg $pf"; continue; }
    run "ff_$pf.y4m" --start-frame 300 -o "ff_out_$pf.y4m" 2>err.txt || fail "ffmpeg $pf: status $?: $(cat err.txt)"
    cmp -s "ff_$pf.y4m" "ff_out_$pf.y4m" || fail "ffmpeg $pf: output differs from input"
  done
  grep -q XCOLORRANGE=FULL ff_yuvj420p.y4m || fail "ffmpeg yuvj420p: no full-range tag to test"
fi
# Interlaced streams are taken whole, with one note.
run in_420jpeg_16_10_It_A0_0.y4m --start-frame 300 2>err.txt
[ "$(grep -c "is interlaced (It); its frames are processed as whole frames" err.txt)" = 1 ] ||
  fail "interlaced: note: $(cat err.txt)"

# --- default tracks: frames 0-5 of ten pass unchanged, 6-9 bounce -----------
for l in "420jpeg 32 24 1152" "422 18 7 252" "444 13 5 195" "420p10 15 9 430" "mono 7 5 35" \
         "411 10 3 48" "444p16 5 3 90" "422p12 9 4 152"; do
  set -- $l
  mk y4m "ten_$1.y4m" "$2" "$3" "$1" 12
  run "ten_$1.y4m" --ref-x 5 --ref-y 3 -o "ten_out_$1.y4m" 2>err.txt || fail "ten $1: status $?"
  [ "$(head -n 1 "ten_$1.y4m")" = "$(head -n 1 "ten_out_$1.y4m")" ] || fail "ten $1: header changed"
  [ "$(wc -c < "ten_$1.y4m")" = "$(wc -c < "ten_out_$1.y4m")" ] || fail "ten $1: size changed"
  for k in 0 1 2 3 4 5 10 11; do
    same_frame "ten_$1.y4m" "ten_out_$1.y4m" "$4" "$k" || fail "ten $1: frame $k changed"
  done
  for k in 6 7 8 9; do
    same_frame "ten_$1.y4m" "ten_out_$1.y4m" "$4" "$k" && fail "ten $1: frame $k unchanged"
  done
  grep -q "12 frames, 4 changed; module time per frame (PULVAX time): min [0-9]* ms, median [0-9]* ms, max [0-9]* ms" err.txt ||
    fail "ten $1: summary: $(cat err.txt)"
done

# --- pipes: standard input to standard output gives the same bytes ----------
run - -o - --ref-x 5 < ten_420jpeg.y4m > piped.y4m 2>err.txt || fail "pipe: status $?: $(cat err.txt)"
run ten_420jpeg.y4m --ref-x 5 -o filed.y4m 2>/dev/null
cmp -s piped.y4m filed.y4m || fail "pipe: output differs from the file run"
cat ten_420jpeg.y4m | run - --ref-x 5 -o - --frames 4 2>/dev/null | cat > piped4.y4m
[ "$(wc -c < piped4.y4m)" = "$(( $(header_len ten_420jpeg.y4m) + 4 * 1158 ))" ] || fail "pipe: --frames 4 length"

# A named input that cannot seek (a pipe through /dev/fd) is read as a stream
# from the bytes already read; anything else there is refused by name.
if [ -z "$runner" ] && [ -e /dev/fd/0 ]; then
  run <(cat ten_420jpeg.y4m) --ref-x 5 -o fd.y4m 2>err.txt || fail "fd pipe: status $?: $(cat err.txt)"
  cmp -s fd.y4m filed.y4m || fail "fd pipe: output differs from the file run"
  run <(printf 'not a stream') -o fd.y4m 2>err.txt
  [ $? = 1 ] && grep -q "cannot be read again from its start" err.txt || fail "fd pipe junk: $(cat err.txt)"
fi

# --- tracks through the module ----------------------------------------------
tracks() { run "$@" --print-tracks --frames 1 -o t.y4m 2>&1 >/dev/null | grep 'tracks ' ; }
check_tracks() {  # expected-substring args...
  local want=$1; shift
  local got; got=$(tracks "$@")
  case "$got" in *"$want"*) ;; *) fail "tracks $*: want '$want', got '$got'";; esac
}
mk y4m ntsc.y4m 16 10 420jpeg 2 30000:1001
check_tracks "ref-x=256 ref-y=192 period=10 period-div=1 bpm=180.0 stretch-frames=1 start-frame=0"
check_tracks "period=1498 period-div=100 bpm=120.0" --bpm 120 --fps 30000/1001
check_tracks "period=1498 period-div=100 bpm=120.0" ntsc.y4m --bpm 120
check_tracks "period=1500 period-div=100 bpm=120.0" --bpm 120
check_tracks "period=1250 period-div=100 bpm=120.0" --bpm 120 --fps 25
check_tracks "period=1401 period-div=100 bpm=128.3" ntsc.y4m --bpm 128.3
check_tracks "period=15 period-div=1 bpm=119.8" ntsc.y4m --period 15
check_tracks "ref-x=7 ref-y=2000 period=41 period-div=1 bpm=43.9 stretch-frames=10 start-frame=-300" \
  --ref-x 7 --ref-y 2000 --stretch-frames 10 --start-frame -300
# The frames follow: 120 BPM at 29.97 is a cycle of 14.98 frames, bouncing in
# frames 11-14 and 26-29, exactly as with the period set by hand.
mk y4m ntsc30.y4m 16 10 420jpeg 30 30000:1001
run ntsc30.y4m --bpm 120 -o b.y4m 2>err.txt
run ntsc30.y4m --period-div 100 --period 1498 -o p.y4m 2>/dev/null
cmp -s b.y4m p.y4m || fail "bpm 120 at 29.97: output differs from period 1498/100"
changed=""
for k in $(seq 0 29); do same_frame ntsc30.y4m b.y4m 240 "$k" || changed="$changed $k"; done
[ "$changed" = " 11 12 13 14 26 27 28 29" ] || fail "bpm 120 at 29.97: changed frames$changed"
grep -q "30 frames, 8 changed" err.txt || fail "bpm 120 at 29.97: summary $(cat err.txt)"

# --- still images and the built-in clip -------------------------------------
mk png pic.png 21 13
mk bmp pic.bmp 8 6
run pic.png --frames 7 -o pic.y4m 2>err.txt || fail "png: status $?: $(cat err.txt)"
[ "$(head -n 1 pic.y4m)" = "YUV4MPEG2 W21 H13 F30:1 Ip A1:1 C444" ] || fail "png: header $(head -n 1 pic.y4m)"
[ "$(wc -c < pic.y4m)" = "$(( $(header_len pic.y4m) + 7 * (21 * 13 * 3 + 6) ))" ] || fail "png: length"
run pic.bmp -o pic_bmp.y4m --fps 24 2>err.txt || fail "bmp: status $?: $(cat err.txt)"
grep -q "30 frames, 12 changed" err.txt || fail "bmp: summary $(cat err.txt)"
[ "$(head -n 1 pic_bmp.y4m)" = "YUV4MPEG2 W8 H6 F24:1 Ip A1:1 C444" ] || fail "bmp: header"
run --frames 10 -o clip.y4m --sheet sheet.png 2>err.txt || fail "clip: status $?: $(cat err.txt)"
[ "$(head -n 1 clip.y4m)" = "YUV4MPEG2 W512 H384 F30:1 Ip A1:1 C420jpeg" ] || fail "clip: header"
grep -q "10 frames, 4 changed" err.txt || fail "clip: summary $(cat err.txt)"
[ "$(head -c 8 sheet.png | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "sheet: not a PNG"
run ten_444.y4m --sheet sheet2.png --period 29 --period-div 2 2>/dev/null || fail "sheet 14.5: status $?"

# --- help ---------------------------------------------------------------------
run --help > help.txt 2>&1 || fail "help: status $?"
grep -q "usage: pulvax-run" help.txt && grep -q "round((Y-16)\*4096/219)" help.txt || fail "help text"

# --- bad input: one message on standard error, status 1 (2 for usage) -------
printf 'not a stream, not an image\n' > junk.txt
printf '\x89PNG\r\n\x1a\nbroken' > broken.png
: > empty.y4m
printf 'YUV4MPEG2 W16 H10' > cut_header.y4m
head -c $(( $(header_len ten_420jpeg.y4m) + 2 * 1158 + 100 )) ten_420jpeg.y4m > truncated.y4m
{ head -n 1 ten_420jpeg.y4m; printf 'FRAME\n'; head -c 1152 /dev/zero; printf 'FRAMX\n'; } > bad_frame.y4m
for h in "W16 H10 F30:1 Ix" "W16 H10 F30:1 C444alpha" "W16 H10 F30:1 C420p17" "W0 H10 F30:1" \
         "W99999 H99999 F30:1" "W16000 H16000 F30:1 C444" "W16 H10" "W16 H10 F0:0"; do
  printf 'YUV4MPEG2 %s\nFRAME\n' "$h" > "hdr_${h// /_}.y4m"
done
printf 'not a module' > fake_module.so
cp ten_420jpeg.y4m ok.y4m

expect() {  # status message args...
  local status=$1 message=$2; shift 2
  run "$@" > out.bin 2> err.txt
  local got=$?
  [ "$got" = "$status" ] || fail "$*: status $got, want $status ($(cat err.txt))"
  grep -qF -- "$message" err.txt || fail "$*: message '$(cat err.txt)', want '$message'"
  [ "$(grep -c '^pulvax-run: ' err.txt)" -le 2 ] || fail "$*: more than one message: $(cat err.txt)"
}
expect 1 "cannot open 'missing.y4m'" missing.y4m -o o.y4m
expect 1 "'junk.txt' is neither a YUV4MPEG2 stream nor a readable PNG, JPEG or BMP image" junk.txt -o o.y4m
expect 1 "'broken.png': the PNG has no complete header (IHDR)" broken.png
expect 1 "standard input: the stream is empty" - -o o.y4m < empty.y4m
expect 1 "the stream header is cut short" cut_header.y4m
expect 1 "frame 2 is truncated (94 of 1152 bytes)" truncated.y4m -o trunc_out.y4m
[ "$(wc -c < trunc_out.y4m)" = "$(( $(header_len ten_420jpeg.y4m) + 2 * 1158 ))" ] || fail "truncated: frames before the fault"
same_frame truncated.y4m trunc_out.y4m 1152 1 || fail "truncated: frame 1 not written whole"
expect 1 "frame 1: no FRAME line where one belongs" bad_frame.y4m -o o.y4m
expect 1 "bad interlacing 'Ix'" hdr_W16_H10_F30:1_Ix.y4m
expect 1 "unsupported chroma layout 'C444alpha'" hdr_W16_H10_F30:1_C444alpha.y4m
expect 1 "unsupported chroma layout 'C420p17'" hdr_W16_H10_F30:1_C420p17.y4m
expect 1 "frame size 0x10 is empty" hdr_W0_H10_F30:1.y4m
expect 1 "frame size 99999x99999 is too large" hdr_W99999_H99999_F30:1.y4m
expect 1 "frame size 16000x16000 is too large" hdr_W16000_H16000_F30:1_C444.y4m
expect 1 "lacks its frame rate (F)" hdr_W16_H10.y4m
expect 1 "the stream's frame rate is unknown (F0:0); give --fps" hdr_W16_H10_F0:0.y4m
expect 1 "missing_module.so" --module missing_module.so
expect 1 "cannot load module fake_module.so" --module fake_module.so
expect 1 "GetFilterTable" --module "$no_entry"
expect 1 "cannot write 'no_such_dir/o.y4m'" ok.y4m -o no_such_dir/o.y4m
expect 1 "cannot write the contact sheet 'no_such_dir/s.png'" ok.y4m --sheet no_such_dir/s.png
expect 1 "contact sheet: the input ends before frame 5" ok.y4m --start-frame 5 --frames 3 --sheet s.png
ln -s ok.y4m ok_link.y4m
expect 2 "'ok_link.y4m' is the input; write to another file" ok.y4m -o ok_link.y4m
cmp -s ok.y4m ten_420jpeg.y4m || fail "the input was written over"
expect 2 "unknown option --bogus" --bogus
expect 2 "more than one input" ok.y4m ok.y4m
expect 2 "--bpm takes beats per minute with at most one decimal place" --bpm 128.55
expect 2 "--bpm must be between 0.1 and 1000.0" --bpm 1000.1
expect 2 "--bpm must be between 0.1 and 1000.0" --bpm 0
expect 2 "--bpm must be between 0.1 and 1000.0" --bpm 429496730
expect 2 "--ref-x must be between 0 and 2000" --ref-x 4294967301
expect 2 "--print-tracks takes no value" --print-tracks=no
expect 2 "--help takes no value" --help=x
expect 2 "--period must be between 1 and 10000" --period 0
expect 2 "--period-div must be between 1 and 100" --period-div 101
expect 2 "--start-frame must be between -300 and 300" --start-frame 301
expect 2 "--ref-x must be between 0 and 2000" --ref-x -1
expect 2 "--stretch-frames must be between 1 and 10" --stretch-frames 11
expect 2 "--fps takes a frame rate" --fps 0
expect 2 "--output needs a value" -o
if [ -n "$runner" ]; then  # the Windows tool keeps to YUV4MPEG2
  expect 2 "cannot write 'o.mp4': this build writes YUV4MPEG2 only" ok.y4m -o o.mp4
fi
# A closed pipe downstream: one message, status 1, no hang. (The stream is
# larger than a pipe's buffer.)
mk y4m big.y4m 320 240 420jpeg 20
timeout 60 "${R[@]}" "$tool" big.y4m -o - 2> err.txt | head -c 100 > /dev/null
s=${PIPESTATUS[0]}
[ "$s" = 1 ] && grep -q "cannot write standard output" err.txt || fail "closed pipe: status $s: $(cat err.txt)"
if [ -z "$runner" ] && [ -w /dev/full ]; then
  expect 1 "cannot write '/dev/full'" ok.y4m -o /dev/full
fi
# Every truncation point of a small stream: clean failure or success, never a crash.
mk y4m small.y4m 4 2 420jpeg 2
size=$(wc -c < small.y4m)
for ((n = 0; n < size; n++)); do
  head -c "$n" small.y4m > cut.y4m
  run cut.y4m -o cut_out.y4m 2>/dev/null
  s=$?
  [ "$s" = 0 ] || [ "$s" = 1 ] || fail "cut at $n bytes: status $s"
done

finish "all tool tests passed"
