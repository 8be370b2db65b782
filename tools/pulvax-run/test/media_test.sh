#!/usr/bin/env bash
# Runs the built pulvax-run (a build with FFmpeg) on small video files that
# ffmpeg makes, and reads the outputs back with ffprobe: frames, size, pixel
# format, audio copied bit for bit, timestamps, rotation and colour tags; and
# every bad file's message and exit status.
# usage: media_test.sh TOOL WORKDIR
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
tool=$1 work=$2
need ffmpeg ffprobe
start_in "$work"
probe() {  # file entries [stream selector]
  ffprobe -v error ${3:+-select_streams "$3"} -show_entries "$2" -of default=nw=1:nk=1 "$1" | tr '\n' ' ' | sed 's/ $//'
}
audio_md5() { ffmpeg -v error -nostdin -i "$1" -map 0:a -c copy -f data - | md5sum | cut -d' ' -f1; }
frame_count() { ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$1"; }
pts_list() { ffprobe -v error -select_streams v -show_entries packet=pts -of csv=p=0 "$1" | sort -n | tr '\n' ' '; }
src="testsrc2=size=160x90:rate=30"

# --- H.264 + AAC in mp4: the video bounces, the sound is the same ------------
ff -f lavfi -i "$src" -f lavfi -i sine=frequency=440:sample_rate=48000 -t 2 \
   -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest in.mp4
"$tool" in.mp4 -o out.mp4 --ref-x 80 --ref-y 45 2> err.txt || fail "mp4: status $?: $(cat err.txt)"
grep -q "60 frames, 24 changed" err.txt || fail "mp4: summary $(cat err.txt)"
[ "$(grep -c . err.txt)" = 1 ] || fail "mp4: stderr has more than the summary: $(cat err.txt)"
[ "$(frame_count out.mp4)" = 60 ] || fail "mp4: frames $(frame_count out.mp4)"
[ "$(probe out.mp4 stream=codec_name,width,height,pix_fmt v)" = "h264 160 90 yuv420p" ] ||
  fail "mp4: video $(probe out.mp4 stream=codec_name,width,height,pix_fmt v)"
[ "$(audio_md5 in.mp4)" = "$(audio_md5 out.mp4)" ] || fail "mp4: audio differs"
[ "$(probe in.mp4 format=duration)" = "$(probe out.mp4 format=duration)" ] ||
  fail "mp4: duration $(probe in.mp4 format=duration) became $(probe out.mp4 format=duration)"
[ "$(pts_list in.mp4)" = "$(pts_list out.mp4)" ] || fail "mp4: video timestamps differ"

# --- decoded frames reach the filter as they are: a y4m copy with nothing
# changed is ffmpeg's own decode, sample for sample (odd sizes too) ----------
ff -f lavfi -i "$src" -t 1 -c:v libx265 -pix_fmt yuv420p10le -x265-params log-level=error in10.mkv
ff -f lavfi -i "$src,scale=161:91" -t 0.3 -c:v ffv1 -pix_fmt yuv420p odd.mkv
ff -f lavfi -i "$src,scale=160:91" -t 0.3 -c:v ffv1 -pix_fmt gray16le mono16.mkv
ff -f lavfi -i "$src" -t 0.3 -c:v ffv1 -pix_fmt yuva444p10le alpha.mkv  # converted: 4:4:4 10-bit
ff -f lavfi -i "$src" -t 0.3 -c:v prores_ks -pix_fmt yuv422p10le prores.mov
ff -f lavfi -i "$src" -t 0.3 -c:v libvpx-vp9 vp9.webm
ff -f lavfi -i "$src" -t 0.3 -c:v libaom-av1 -cpu-used 8 -pix_fmt yuv420p10le av1.mkv
for f in in.mp4 in10.mkv odd.mkv mono16.mkv prores.mov vp9.webm av1.mkv; do
  "$tool" "$f" --start-frame 300 -o "$f.y4m" 2> err.txt || fail "$f to y4m: status $?: $(cat err.txt)"
  ff -i "$f" -strict -1 -f yuv4mpegpipe "$f.ref.y4m"
  cmp -s <(tail -n +2 "$f.y4m") <(tail -n +2 "$f.ref.y4m") || fail "$f to y4m: frames differ from ffmpeg's decode"
done
head -n 1 in10.mkv.y4m | grep -q " C420p10 " || fail "10-bit y4m header: $(head -n 1 in10.mkv.y4m)"
"$tool" alpha.mkv --start-frame 300 -o alpha.y4m 2> err.txt || fail "alpha: status $?: $(cat err.txt)"
ff -i alpha.mkv -pix_fmt yuv444p10le -strict -1 -f yuv4mpegpipe alpha.ref.y4m
cmp -s <(tail -n +2 alpha.y4m) <(tail -n +2 alpha.ref.y4m) || fail "alpha: frames differ from ffmpeg's conversion"
grep -q "YUV4MPEG2 carries no sound" err.txt && fail "no-audio input: note about sound"
"$tool" in.mp4 --start-frame 300 -o a.y4m 2> err.txt
grep -q "note: YUV4MPEG2 carries no sound" err.txt || fail "audio to y4m: no note: $(cat err.txt)"

# --- HEVC 10-bit + Opus in mkv: kept 10-bit (x264 High 10), sound copied ----
ff -f lavfi -i "$src" -f lavfi -i sine=frequency=330 -t 1 -c:v libx265 -pix_fmt yuv420p10le \
   -x265-params log-level=error -c:a libopus -shortest in10a.mkv
"$tool" in10a.mkv -o out10.mkv 2> err.txt || fail "10-bit: status $?: $(cat err.txt)"
[ "$(probe out10.mkv stream=codec_name,profile,pix_fmt v)" = "h264 High 10 yuv420p10le" ] ||
  fail "10-bit: video $(probe out10.mkv stream=codec_name,profile,pix_fmt v)"
[ "$(frame_count out10.mkv)" = 30 ] || fail "10-bit: frames $(frame_count out10.mkv)"
[ "$(audio_md5 in10a.mkv)" = "$(audio_md5 out10.mkv)" ] || fail "10-bit: audio differs"
"$tool" in10a.mkv -o out10.mp4 --codec libx265 --crf 30 2> err.txt || fail "x265: status $?: $(cat err.txt)"
[ "$(probe out10.mp4 stream=codec_name,pix_fmt v)" = "hevc yuv420p10le" ] || fail "x265: $(probe out10.mp4 stream=codec_name,pix_fmt v)"
[ "$(grep -c . err.txt)" = 1 ] || fail "x265: stderr has more than the summary: $(cat err.txt)"

# --- variable frame rate: every timestamp kept -------------------------------
ff -f lavfi -i "$src" -f lavfi -i sine=frequency=300 -t 1 -vf "setpts='if(lt(N,10),N,10+(N-10)*2)/30/TB'" \
   -fps_mode vfr -c:v libx264 -c:a aac -shortest vfr.mkv
"$tool" vfr.mkv -o vfr_out.mkv 2> err.txt || fail "vfr: status $?: $(cat err.txt)"
[ "$(pts_list vfr.mkv)" = "$(pts_list vfr_out.mkv)" ] || fail "vfr: timestamps $(pts_list vfr.mkv) became $(pts_list vfr_out.mkv)"
[ "$(audio_md5 vfr.mkv)" = "$(audio_md5 vfr_out.mkv)" ] || fail "vfr: audio differs"

# --- rotation and colour tags ------------------------------------------------
ff -f lavfi -i "$src" -t 1 -c:v libx264 -color_primaries bt709 -color_trc bt709 -colorspace bt709 \
   -color_range pc colour.mp4
ff -i colour.mp4 -c copy -metadata:s:v:0 rotate=90 tagged.mp4
"$tool" tagged.mp4 -o tagged_out.mp4 2> err.txt || fail "tags: status $?: $(cat err.txt)"
want="$(probe tagged.mp4 stream=color_range,color_space,color_transfer,color_primaries v) $(probe tagged.mp4 stream_side_data=rotation v)"
got="$(probe tagged_out.mp4 stream=color_range,color_space,color_transfer,color_primaries v) $(probe tagged_out.mp4 stream_side_data=rotation v)"
[ "$want" = "$got" ] || fail "tags: '$want' became '$got'"
case "$want" in *pc*bt709*90*) ;; *) fail "tags: the input lacks them: $want";; esac

# --- YUV4MPEG2 in, video files out -------------------------------------------
ff -f lavfi -i "$src" -t 0.5 -pix_fmt yuv422p -f yuv4mpegpipe s422.y4m
"$tool" s422.y4m -o s422.mp4 2> err.txt || fail "y4m to mp4: status $?: $(cat err.txt)"
[ "$(probe s422.mp4 stream=codec_name,pix_fmt,avg_frame_rate v) $(frame_count s422.mp4)" = "h264 yuv422p 30/1 15" ] ||
  fail "y4m to mp4: $(probe s422.mp4 stream=codec_name,pix_fmt,avg_frame_rate v) $(frame_count s422.mp4)"
"$tool" s422.y4m -o s.webm --crf 40 2> err.txt || fail "webm: status $?: $(cat err.txt)"
[ "$(probe s.webm stream=codec_name v)" = "vp9" ] || fail "webm: $(probe s.webm stream=codec_name v)"

# --- bad files and outputs: one message, status 1 (2 for usage) -------------
expect() {  # status message args...
  local status=$1 message=$2; shift 2
  "$tool" "$@" > out.bin 2> err.txt
  local got=$?
  [ "$got" = "$status" ] || fail "$*: status $got, want $status ($(cat err.txt))"
  grep -qF -- "$message" err.txt || fail "$*: message '$(cat err.txt)', want '$message'"
  [ "$(grep -v "^pulvax-run: note\|^pulvax-run: try 'pulvax-run --help'" err.txt | grep -c .)" = 1 ] ||
    fail "$*: not one message: $(cat err.txt)"
}
ff -f lavfi -i "$src" -f lavfi -i sine -t 2 -c:v libx264 -c:a aac -shortest whole.mkv
head -c $(($(stat -c %s whole.mkv) / 2)) whole.mkv > cut.mkv
expect 1 "'cut.mkv' is damaged: File ended prematurely (seen by the end of frame" cut.mkv -o cut_out.mkv
n=$(frame_count cut_out.mkv)
[ "${n:-0}" -gt 10 ] && [ "$n" -lt 60 ] || fail "cut mkv: the frames before the fault were not kept ($n)"
head -c $(($(stat -c %s in.mp4) / 2)) in.mp4 > cut.mp4
expect 1 "'cut.mp4' is neither a YUV4MPEG2 stream nor a readable PNG, JPEG or BMP image, nor a video file (FFmpeg: moov atom not found)" cut.mp4 -o cut_out.mp4
[ -e cut_out.mp4 ] && fail "cut mp4: output left behind"
head -c 5000 /dev/urandom > noise.mp4
expect 1 "'noise.mp4' is neither" noise.mp4 -o o.mp4
ff -f lavfi -i sine -t 0.5 sound.m4a
expect 1 "'sound.m4a' has no video stream" sound.m4a -o o.mp4
LC_ALL=C sed 's/V_MPEG4\/ISO\/AVC/V_MPEG4\/ISO\/XYZ/' whole.mkv > unknown_codec.mkv
expect 1 "'unknown_codec.mkv': no decoder for its video codec" unknown_codec.mkv -o o.mp4
[ -e o.mp4 ] && fail "bad inputs: an output was left behind"
ln -s /dev/full full.mp4
expect 1 "cannot write 'full.mp4': No space left on device" in.mp4 -o full.mp4
[ -c /dev/full ] || fail "/dev/full was removed"
expect 1 "cannot open the encoder libx264: width not divisible by 2 (161x91)" odd.mkv -o o.mp4
expect 1 "no video encoder 'bogus'" in.mp4 -o o.mp4 --codec bogus
expect 1 "'o.webm' (webm) cannot hold the input's aac audio unchanged" in.mp4 -o o.webm
expect 1 "cannot write 'o.mov': opus only supported in MP4" in10a.mkv -o o.mov
expect 1 "cannot tell a container from the name 'o.xyz'" in.mp4 -o o.xyz
expect 1 "cannot write 'no_dir/o.mp4'" in.mp4 -o no_dir/o.mp4
expect 2 "--crf takes a whole number from 0 to 63" in.mp4 -o o.mp4 --crf 64
expect 2 "--codec and --crf are for video file output" in.mp4 -o o.y4m --codec libx264
for f in o.mp4 o.webm o.xyz o.mov; do [ -e "$f" ] && fail "failed output $f was left behind"; done
# Damaged files (bytes overwritten at fixed places): a message or a clean
# run, never a crash or a hang.
size=$(stat -c %s whole.mkv)
for k in 1 2 3 4 5 6 7 8; do
  cp whole.mkv damaged.mkv
  for j in 1 2 3 4 5 6; do
    printf '\x%02x' $(((k * 37 + j * 11) % 256)) |
      dd of=damaged.mkv bs=1 seek=$(((k * 7919 + j * 104729) % size)) conv=notrunc status=none
  done
  timeout 60 "$tool" damaged.mkv -o damaged_out.mkv > /dev/null 2> err.txt
  s=$?
  [ "$s" = 0 ] || [ "$s" = 1 ] || fail "damaged file $k: status $s: $(tail -n 3 err.txt)"
done

# A closed pipe downstream: a message, status 1, no hang.
timeout 20 "$tool" in.mp4 -o - 2> err.txt | head -c 100 > /dev/null
s=${PIPESTATUS[0]}
[ "$s" = 1 ] && grep -q "cannot write standard output" err.txt || fail "closed pipe: status $s: $(cat err.txt)"

finish "all video file tests passed"
