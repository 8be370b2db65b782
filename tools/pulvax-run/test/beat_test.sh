#!/usr/bin/env bash
# The beat found in sound drives the render: a clip whose sound clicks at
# 128 BPM from 0.37 s on, rendered with --bpm auto, changes exactly the frames
# that the tracks it set predict, and those tracks hold the clip's tempo and
# beat; --beat-from gives the same from a WAV of that sound; the beat
# subcommand prints the same values.
# usage: beat_test.sh TOOL WORKDIR
source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
tool=$1 work=$2
need ffmpeg
start_in "$work"

# 10 s at 30 fps: frames 0-299, all before start frame 300 in the plain copy.
w=96 h=64 frames=300
click="0.8*sin(2*PI*1500*t)*exp(-90*mod(t+468.75-0.37\,60/128))*gte(t\,0.37)"  # 468.75 s: 1000 beats
ff -f lavfi -i "testsrc2=size=${w}x${h}:rate=30" -f lavfi -i "aevalsrc=exprs='$click':s=44100" -t 10 \
   -c:v libx264 -pix_fmt yuv420p -c:a pcm_s16le clip.mkv
ff -i clip.mkv -vn -c:a pcm_s16le song.wav

"$tool" clip.mkv --start-frame 300 -o plain.y4m 2> err.txt || fail "plain: status $?: $(cat err.txt)"
"$tool" clip.mkv --stretch-frames 2 --bpm auto --print-tracks -o auto.y4m 2> auto.err ||
  fail "--bpm auto: status $?: $(cat auto.err)"
tracks=$(grep 'tracks ' auto.err)
track() { sed -n "s/.* $1=\([-0-9]*\).*/\1/p" <<<"$tracks"; }
P=$(track period) D=$(track period-div) K=$(track stretch-frames) S=$(track start-frame)
# 128 BPM at 30 fps is 14.0625 frames a beat; the first beat, at 0.37 s, is
# frame 11.1, so the beat before it (where the cycle starts) is frame -3.
[ "$D" = 100 ] && [ "$P" -ge 1405 ] && [ "$P" -le 1407 ] && [ "$S" = -3 ] && [ "$K" = 2 ] ||
  fail "--bpm auto set: $tracks"

# Every frame the tracks put in a bounce phase changed, and no other.
g=$((K * D)) L=$P
[ "$L" -lt $((4 * g + 1)) ] && L=$((4 * g + 1))
fsize=$((w * h * 3 / 2 + 6))
ha=$(head -n 1 auto.y4m | wc -c) hp=$(head -n 1 plain.y4m | wc -c)
wrong="" changed=0
for ((f = 0; f < frames; f++)); do
  predicted=0
  if [ "$f" -ge "$S" ] && [ $(((f - S) * D % L)) -ge $((L - 4 * g)) ]; then predicted=1; fi
  actual=1
  cmp -s -i "$((ha + f * fsize)):$((hp + f * fsize))" -n "$fsize" auto.y4m plain.y4m && actual=0
  [ "$predicted" = "$actual" ] || wrong="$wrong $f"
  changed=$((changed + actual))
done
[ -z "$wrong" ] || fail "frames changed against the tracks' prediction:$wrong"
grep -q "$frames frames, $changed changed" auto.err || fail "summary: $(tail -n 1 auto.err)"
[ "$changed" -gt 100 ] || fail "only $changed frames changed"

# The same beat from a WAV of the sound, on frames that carry none.
"$tool" plain.y4m --stretch-frames 2 --beat-from song.wav -o from.y4m 2> err.txt ||
  fail "--beat-from: status $?: $(cat err.txt)"
cmp -s <(tail -n +2 auto.y4m) <(tail -n +2 from.y4m) || fail "--beat-from song.wav: frames differ from --bpm auto"
# Nudged by half a beat (7.02 frames), the cycle starts on the beat at or
# before frame 0 of the moved grid: -3 + 7.02 - 14.06 = -10.04.
"$tool" clip.mkv --bpm auto --beat-nudge 234 --print-tracks 2> err.txt || fail "nudge: status $?"
grep -q "start-frame=-10$" err.txt || fail "nudge by 234 ms: $(grep tracks err.txt)"

# The beat subcommand prints what the render used.
"$tool" beat clip.mkv --json > beat.json 2> err.txt || fail "beat --json: status $?: $(cat err.txt)"
grep -q "\"period\":$P," beat.json && grep -q "\"start_frame\":$S," beat.json &&
  grep -q '"period_div":100,' beat.json && grep -q '"bpm_x10":1280,' beat.json || fail "beat --json: $(cat beat.json)"
"$tool" beat song.wav --fps 30 > beat.txt 2> err.txt || fail "beat: status $?: $(cat err.txt)"
grep -q "128.0 BPM" beat.txt || fail "beat: $(cat beat.txt)"

# Sound that cannot give a beat: a clear message, status 1, nothing written.
"$tool" plain.y4m --bpm auto -o none.y4m 2> err.txt; s=$?
[ "$s" = 1 ] && grep -q "pulvax-run: --bpm auto: plain.y4m: no audio stream" err.txt && [ ! -e none.y4m ] ||
  fail "y4m --bpm auto: status $s: $(cat err.txt)"
ff -f lavfi -i "anullsrc=r=44100:cl=mono" -t 3 -c:a pcm_s16le silence.wav
"$tool" beat silence.wav > /dev/null 2> err.txt; s=$?
[ "$s" = 1 ] && grep -q "no steady beat" err.txt || fail "silence: status $s: $(cat err.txt)"

finish "the beat from sound drives the render"
