#!/usr/bin/env bash
# Images in and out of the built pulvax-run. Good PNG, JPEG and BMP files
# (top-down BMPs among them) are read upright; damaged, cut and oversized
# ones give one message and status 1, before anything is decoded from them.
# A contact sheet that cannot be written whole is an error that leaves no
# file under its name and keeps the one that was there.
# usage: image_test.sh RUNNER TOOL MAKE_INPUT WORKDIR
#   RUNNER: "" for native programs, else the command that runs Windows ones
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
need ffmpeg
runner=$1 tool=$2 make_input=$3 work=$4
start_in "$work"
R=()
read -ra R <<<"$runner"
run() { "${R[@]}" "$tool" "$@"; }
mk() { "${R[@]}" "$make_input" "$@" || { echo "make_input $* failed" >&2; exit 1; }; }
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
be16() { printf "\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 & 255)))"; }
be32() { be16 $(($1 >> 16 & 65535)); be16 $(($1 & 65535)); }
offset_of() { LC_ALL=C grep -obUaP "$1" "$2" | head -n 1 | cut -d: -f1; }  # byte pattern, file
patch() { dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }             # file offset < bytes

mk png pic.png 64 48
ff -i pic.png -pix_fmt yuvj444p pic.jpg
mk bmp pic.bmp 64 48
mk bmp_topdown topdown.bmp 64 48
[ "$(wc -c < pic.bmp)" = $((54 + 64 * 48 * 3)) ] || fail "make_input: unexpected BMP layout"

# --- good images -------------------------------------------------------------
for f in pic.png pic.jpg pic.bmp topdown.bmp; do
  run "$f" --frames 2 --start-frame 300 -o "$f.y4m" 2>err.txt || fail "$f: status $?: $(cat err.txt)"
  [ "$(head -n 1 "$f.y4m")" = "YUV4MPEG2 W64 H48 F30:1 Ip A1:1 C444" ] || fail "$f: header $(head -n 1 "$f.y4m")"
done
# The same pixels stored top-down and bottom-up make the same frames.
cmp -s pic.bmp.y4m topdown.bmp.y4m || fail "top-down BMP: not the picture of the bottom-up one"
# The PNG holds the same pixels losslessly.
cmp -s pic.bmp.y4m pic.png.y4m || fail "BMP and PNG of the same pixels differ"

# --- damaged, cut and oversized images -----------------------------------------
# A Huffman table with 255 codes of 16 bits, and more (the decoder keeps 256).
cp pic.jpg dht.jpg
dht=$(offset_of '\xff\xc4' dht.jpg)
printf '\xff' | patch dht.jpg $((dht + 20))
# A JPEG cut inside its scan; one whose frame header declares 16384 x 2441.
head -c 2000 pic.jpg > cut.jpg
cp pic.jpg wide.jpg
sof=$(offset_of '\xff\xc0' wide.jpg)
{ be16 2441; be16 16384; } | patch wide.jpg $((sof + 5))
# A BMP's header alone, a BMP cut in its rows, a 9 KB BMP declaring
# 16384 x 2441 (1.1 GB of RGBA to decode it).
head -c 54 pic.bmp > header_only.bmp
head -c 5000 pic.bmp > cut.bmp
{ cat header_only.bmp; head -c 9000 /dev/zero; } > huge.bmp
{ le32 16384; le32 2441; } | patch huge.bmp 18
# A PNG declaring 30000 x 30000, with a little data and its end chunk.
{ printf '\x89PNG\r\n\x1a\n'; be32 13; printf 'IHDR'; be32 30000; be32 30000; printf '\x08\x02\x00\x00\x00'
  be32 0; be32 100; printf 'IDAT'; head -c 104 /dev/zero; be32 0; printf 'IEND'; be32 0; } > large.png
# A PNG cut before its end chunk.
head -c 3000 pic.png > cut.png
printf '\x89PNG\r\n\x1a\nbroken' > broken.png

#   file|the message's start (a pattern)
cases=(
  "dht.jpg|a Huffman table (DHT) of the JPEG declares 2*codes, more than the 256 a table holds"
  "cut.jpg|the JPEG's picture data stops early (the file is cut short?)"
  "wide.jpg|the JPEG holds far too little picture data for its size 16384x2441"
  "header_only.bmp|the BMP ends before its last row of pixels (the file is cut short?)"
  "cut.bmp|the BMP ends before its last row of pixels"
  "huge.bmp|the BMP ends before its last row of pixels"
  "large.png|frame size 30000x30000 is too large"
  "cut.png|the PNG ends before its end chunk (IEND)"
  "broken.png|the PNG has no complete header (IHDR)"
)
for c in "${cases[@]}"; do
  f=${c%%|*} message=${c#*|}
  run "$f" -o "$f.y4m" > out.txt 2> err.txt
  status=$?
  [ "$status" = 1 ] || fail "$f: status $status, want 1 ($(cat err.txt))"
  [[ "$(cat err.txt)" == "pulvax-run: '$f': "$message* ]] || fail "$f: message '$(cat err.txt)', want '$message'"
  [ "$(wc -l < err.txt)" = 1 ] || fail "$f: more than one line: $(cat err.txt)"
  [ ! -s "$f.y4m" ] || fail "$f: frames written"
done

# --- the contact sheet ---------------------------------------------------------
run --frames 10 --sheet sheet.png 2>err.txt || fail "sheet: status $?: $(cat err.txt)"
[ "$(head -c 8 sheet.png | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "sheet: not a PNG"
[ ! -e sheet.png.part ] || fail "sheet: its temporary file is left"
sheet_write_fails() {  # what to write to, the message's end, runs before it
  run --frames 10 --sheet "$1" > out.txt 2> err.txt
  local status=$?
  [ "$status" = 1 ] || fail "sheet $1: status $status, want 1 ($(cat err.txt))"
  [ "$(cat err.txt)" = "pulvax-run: cannot write the contact sheet '$1': $2" ] || fail "sheet $1: message '$(cat err.txt)'"
}
# Device files are Linux's (Wine knows no /dev/full).
if [ -z "$runner" ] && [ -w /dev/full ]; then
  sheet_write_fails /dev/full "No space left on device"
  [ -c /dev/full ] || fail "sheet: /dev/full is no longer the device"
fi
# A disk that fills up mid-file: a file size limit (native runs; Wine's
# server would feel it too). What was there stays, and nothing is left beside.
if [ -z "$runner" ]; then
  printf 'the sheet before\n' > kept.png
  ( trap '' XFSZ; ulimit -f 8; sheet_write_fails kept.png "File too large"; exit "$failures" ) || failures=$((failures + 1))
  [ "$(cat kept.png)" = "the sheet before" ] || fail "sheet: a failed write replaced the file there"
  [ ! -e kept.png.part ] || fail "sheet: a failed write left its temporary file"
fi

finish "image tests passed"
