#!/usr/bin/python3
"""Real music with a known beat, built from Debian packages, and the beat
finder's accuracy table on it.

  beat_corpus.py render [--seconds S] [--only NAME ...]
  beat_corpus.py table [--beat PULVAX_RUN] [--peers] [--variants] [--rows] [--only NAME ...]
  beat_corpus.py check --beat PULVAX_RUN --seconds S --only NAME ...

check renders short excerpts of the named songs and fails unless the finder
gets each one's tempo within 0.5 % (a few seconds of sound pin it no closer)
and its beats within 40 ms, reliably (the real-music test).

Sources (and nothing else, so other packaged music stays an independent check):
the hydrogen demo songs, exported with h2cli, and the Standard MIDI files of
simutrans-data, freedink-data, kobodeluxe-data, pianobooster and faust-common,
rendered with fluidsynth and the fluid-soundfont-gm General MIDI soundfont.
The tempo map, metre and first note come from the files (python3-mido for
MIDI, the song's XML for hydrogen). Files whose notes do not sit on their
grid (played freely) are left out; files whose tempo changes within the
excerpt are kept but marked and kept out of the steady figures.

Renders are cached outside the repository, in
${XDG_CACHE_HOME:-$HOME/.cache}/pulvax-corpus (or $PULVAX_CORPUS_DIR), with
the variants: MP3 and AAC encodes, 22.05 kHz, white noise 20 dB below the
music, 5 s of leading silence.
"""

import argparse
import glob
import json
import math
import os
import random
import statistics
import struct
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
MIDI_PACKAGES = ["simutrans-data", "freedink-data", "kobodeluxe-data", "pianobooster", "faust-common"]
HYDROGEN_SONGS = "/usr/share/hydrogen/data/demo_songs/*.h2song"
MIN_BPM, MAX_BPM = 60.0, 200.0
SILENCE_S = 5.0
VARIANTS = ["wav", "mp3", "aac", "22k", "noise", "silence"]


def cache_dir():
    d = os.environ.get("PULVAX_CORPUS_DIR")
    if not d:
        base = os.environ.get("XDG_CACHE_HOME") or os.path.join(os.path.expanduser("~"), ".cache")
        d = os.path.join(base, "pulvax-corpus")
    os.makedirs(d, exist_ok=True)
    return d


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True, **kw)


def package_files(package, suffix):
    try:
        out = run(["dpkg", "-L", package]).stdout.decode()
    except (subprocess.CalledProcessError, FileNotFoundError):
        return []
    seen, files = set(), []
    for line in out.split("\n"):
        # faust-common ships each example twice (doc and data); keep one.
        if line.lower().endswith(suffix) and os.path.isfile(line):
            key = os.path.basename(line)
            if key not in seen:
                seen.add(key)
                files.append(line)
    return sorted(files)


def fold(bpm):
    """The octave of bpm within MIN_BPM..MAX_BPM, the finder's range."""
    while bpm > MAX_BPM:
        bpm /= 2
    while bpm < MIN_BPM:
        bpm *= 2
    return bpm


# ---------------------------------------------------------------- MIDI truth

def midi_truth(path, seconds):
    import mido
    mid = mido.MidiFile(path)
    tpb = mid.ticks_per_beat
    events = []  # (tick, kind, value)
    for track in mid.tracks:
        tick = 0
        for msg in track:
            tick += msg.time
            if msg.type == "set_tempo":
                events.append((tick, "tempo", msg.tempo))
            elif msg.type == "time_signature":
                events.append((tick, "metre", (msg.numerator, msg.denominator)))
            elif msg.type == "note_on" and msg.velocity > 0:
                events.append((tick, "note", msg.channel))
    events.sort(key=lambda e: e[0])
    # Tick to seconds through the tempo map.
    tempo_at = [(0, 500000)]
    for tick, kind, value in events:
        if kind == "tempo":
            if tempo_at[-1][0] == tick:
                tempo_at[-1] = (tick, value)
            else:
                tempo_at.append((tick, value))

    def seconds_at(tick):
        s, last_tick, last_tempo = 0.0, 0, tempo_at[0][1]
        for t, tempo in tempo_at:
            if t > tick:
                break
            s += (t - last_tick) * last_tempo / 1e6 / tpb
            last_tick, last_tempo = t, tempo
        return s + (tick - last_tick) * last_tempo / 1e6 / tpb

    notes = [t for t, k, _ in events if k == "note"]
    if not notes:
        return None
    first_tick = notes[0]
    first_s = seconds_at(first_tick)
    end_s = first_s + seconds
    in_excerpt = [t for t in notes if seconds_at(t) <= end_s]
    tempos = sorted(set(v for t, v in tempo_at if seconds_at(t) <= end_s))
    changes = len(tempos) > 1 and max(tempos) / min(tempos) > 1.005
    metres = [v for t, k, v in events if k == "metre" and seconds_at(t) <= end_s]
    num, den = metres[0] if metres else (4, 4)
    # The beat: the quarter note, or the dotted quarter in compound metre.
    beat_ticks = tpb * 4 / den
    if den == 8 and num in (6, 9, 12):
        beat_ticks = tpb * 1.5
    # Played freely: notes off a grid of sixteenths and eighth triplets.
    def on_grid(t):
        for div in (4, 6):
            step = tpb / div
            if abs(t / step - round(t / step)) * step <= tpb / 48:
                return True
        return False
    share = sum(on_grid(t) for t in in_excerpt) / len(in_excerpt)
    tempo = tempo_at[0][1]
    for t, v in tempo_at:
        if seconds_at(t) <= first_s:
            tempo = v
    quarter_bpm = 60e6 / tempo
    bpm = quarter_bpm * tpb / beat_ticks
    # The grid is the file's own from tick 0: a beat at 0 s (the render
    # starts at tick 0), so the first beat is known.
    return {
        "bpm_file": bpm, "bpm": fold(bpm), "first_beat_s": 0.0, "first_note_s": first_s,
        "metre": "%d/%d" % (num, den), "tempo_changes": changes, "on_grid": share,
        "free": share < 0.6, "notes": len(in_excerpt),
    }


def cut_midi(path, out, end_s):
    """The MIDI file up to end_s seconds as one track, every note and pedal
    released there: the render then stops soon after (with a note held on,
    fluidsynth renders for ever)."""
    import mido
    mid = mido.MidiFile(path)
    merged = mido.MidiTrack()
    tempo, total = 500000, 0.0
    for msg in mido.merge_tracks(mid.tracks):
        total += mido.tick2second(msg.time, mid.ticks_per_beat, tempo)
        if msg.type == "set_tempo":
            tempo = msg.tempo
        if total > end_s:
            break
        if msg.type != "end_of_track":
            merged.append(msg)
    for channel in range(16):
        for control in (64, 123, 120):  # sustain off, all notes off, all sound off
            merged.append(mido.Message("control_change", channel=channel, control=control, value=0, time=0))
    merged.append(mido.MetaMessage("end_of_track", time=0))
    new = mido.MidiFile(type=0, ticks_per_beat=mid.ticks_per_beat)
    new.tracks.append(merged)
    new.save(out)


# ---------------------------------------------------------------- hydrogen truth

def hydrogen_truth(path):
    root = ET.parse(path).getroot()
    bpm = float(root.findtext("bpm"))
    swing = float(root.findtext("swing_factor") or 0)
    return {"bpm_file": bpm, "bpm": fold(bpm), "first_beat_s": 0.0, "metre": "4/4",
            "tempo_changes": False, "free": False, "swing": swing}


# ---------------------------------------------------------------- sources

def sources():
    out = []
    for p in sorted(glob.glob(HYDROGEN_SONGS)):
        out.append({"name": "hydrogen/" + os.path.splitext(os.path.basename(p))[0], "kind": "hydrogen", "path": p})
    for pkg in MIDI_PACKAGES:
        for p in package_files(pkg, ".mid"):
            name = pkg.replace("-data", "") + "/" + os.path.splitext(os.path.basename(p))[0]
            out.append({"name": name, "kind": "midi", "path": p})
    return out


def safe(name):
    return name.replace("/", "__")


def render_one(src, seconds, variants):
    d = cache_dir()
    base = os.path.join(d, safe(src["name"]))
    meta_path = base + ".json"
    wav = base + ".wav"
    if src["kind"] == "midi":
        truth = midi_truth(src["path"], seconds)
        if truth is None:
            return None
    else:
        truth = hydrogen_truth(src["path"])
    truth.update({"name": src["name"], "source": src["path"], "seconds": seconds})
    if not os.path.exists(wav) or not os.path.exists(meta_path) or \
            json.load(open(meta_path)).get("seconds") != seconds:
        tmp = base + ".tmp.wav"
        if src["kind"] == "midi":
            cut = base + ".cut.mid"
            cut_midi(src["path"], cut, truth["first_note_s"] + seconds + 1)
            # Without reverb and chorus: four times faster, and the beat is in the notes.
            run(["fluidsynth", "-q", "-n", "-i", "-R", "0", "-C", "0", "-F", tmp, "-r", "44100", "-g", "0.6",
                 SOUNDFONT, cut], timeout=600)
            os.remove(cut)
        else:
            run(["h2cli", "-s", src["path"], "-o", tmp, "-r", "44100", "-b", "16"])
        # The excerpt: from 0 s (the grid's time 0) to the first note plus seconds.
        end = truth.get("first_note_s", 0.0) + seconds
        run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", tmp, "-t", "%.3f" % end, "-ac", "2",
             "-c:a", "pcm_s16le", wav])
        os.remove(tmp)
    json.dump(truth, open(meta_path, "w"), indent=1)
    for v in variants:
        path = variant_path(src["name"], v)
        if os.path.exists(path) and os.path.getmtime(path) >= os.path.getmtime(wav):
            continue
        make_variant(wav, v, path, src["name"])
    return truth


def variant_path(name, variant):
    base = os.path.join(cache_dir(), safe(name))
    ext = {"wav": ".wav", "mp3": ".mp3", "aac": ".m4a", "22k": ".22k.wav", "noise": ".noise.wav",
           "silence": ".silence.wav"}[variant]
    return base + ext


def make_variant(wav, variant, out, name):
    ff = ["ffmpeg", "-nostdin", "-v", "error", "-y"]
    if variant == "mp3":
        run(ff + ["-i", wav, "-c:a", "libmp3lame", "-b:a", "128k", out])
    elif variant == "aac":
        run(ff + ["-i", wav, "-c:a", "aac", "-b:a", "128k", out])
    elif variant == "22k":
        run(ff + ["-i", wav, "-ar", "22050", "-c:a", "pcm_s16le", out])
    elif variant == "silence":
        run(ff + ["-i", wav, "-af", "adelay=%d:all=1" % int(SILENCE_S * 1000), "-c:a", "pcm_s16le", out])
    elif variant == "noise":
        # White noise 20 dB below the music's RMS level, seeded by the name.
        rms = music_rms(wav)
        amp = rms * 0.1 * math.sqrt(3)  # uniform noise of that RMS
        seed = sum(map(ord, name)) % 100000
        run(ff + ["-i", wav, "-f", "lavfi", "-i", "anoisesrc=color=white:amplitude=%.6f:seed=%d:sample_rate=44100"
                  % (min(1.0, amp), seed),
                  "-filter_complex", "[1:a]aformat=channel_layouts=stereo[n];[0:a][n]amix=inputs=2:duration=first:normalize=0",
                  "-c:a", "pcm_s16le", out])


def music_rms(wav):
    raw = run(["ffmpeg", "-nostdin", "-v", "error", "-i", wav, "-ac", "1", "-f", "f32le", "-"]).stdout
    n = len(raw) // 4
    vals = struct.unpack("<%df" % n, raw[:n * 4])
    # Only where there is sound, so leading silence does not lower it.
    sq = [v * v for v in vals if abs(v) > 1e-4]
    return math.sqrt(sum(sq) / max(1, len(sq)))


# ---------------------------------------------------------------- measuring

def measure_pulvax(beat, path):
    t0 = time.process_time()
    p = subprocess.run([beat, "beat", path, "--json"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    cpu = time.process_time() - t0
    if p.returncode != 0 or not p.stdout.strip():
        return {"bpm": None, "first_beat_s": None, "confidence": 0.0, "reliable": False}
    j = json.loads(p.stdout.decode())
    return {"bpm": j["bpm"], "first_beat_s": j["first_beat_s"], "confidence": j["confidence"],
            "reliable": j.get("reliable", True)}


def measure_aubio(path):
    # aubio 0.4.9's "aubio tempo" prints the tempo only ("117.89 bpm").
    p = subprocess.run(["aubio", "tempo", "-i", path], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    for line in p.stdout.decode().split("\n"):
        words = line.split()
        if len(words) == 2 and words[1] == "bpm":
            try:
                return {"bpm": float(words[0]), "first_beat_s": None}
            except ValueError:
                pass
    return {"bpm": None, "first_beat_s": None}


def measure_bpm_tools(path):
    dec = subprocess.Popen(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-ac", "1", "-ar", "44100",
                            "-f", "f32le", "-"], stdout=subprocess.PIPE)
    p = subprocess.run(["bpm", "-m", "60", "-x", "200", "-f", "%.3f"], stdin=dec.stdout, stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE)
    dec.wait()
    try:
        return {"bpm": float(p.stdout.decode().strip()), "first_beat_s": None}
    except ValueError:
        return {"bpm": None, "first_beat_s": None}


def phase_error_s(found_first, found_bpm, truth_first, truth_bpm):
    """Distance from the found first beat to the nearest true beat."""
    period = 60 / truth_bpm
    d = (found_first - truth_first) % period
    return min(d, period - d)


def judge(truth, r, shift_s):
    out = {"acc1": False, "acc2": False, "exact": False, "phase_ms": None, "right": False}
    if r.get("bpm") is None:
        return out
    t, f = truth["bpm"], r["bpm"]
    out["acc1"] = abs(f - t) <= 0.04 * t
    out["exact"] = abs(f - t) <= 0.05
    out["acc2"] = any(abs(f - t * m) <= 0.04 * t * m for m in (1, 2, 0.5, 3, 1 / 3.0))
    if r.get("first_beat_s") is not None and truth.get("first_beat_s") is not None:
        out["phase_ms"] = 1000 * phase_error_s(r["first_beat_s"], f, truth["first_beat_s"] + shift_s, t)
    # Right: a grid that bounces on the beat: the tempo within 4 % and the
    # beats within 40 ms where the first beat is known.
    out["right"] = out["acc1"] and (out["phase_ms"] is None or out["phase_ms"] <= 40)
    return out


def pct(xs):
    return "%d %%" % round(100.0 * sum(xs) / len(xs)) if xs else "-"


def summary_row(label, judged):
    phases = [j["phase_ms"] for j in judged if j["phase_ms"] is not None and j["acc1"]]
    med = "%.0f ms" % statistics.median(phases) if phases else "-"
    within = pct([p <= 40 for p in phases]) if phases else "-"
    return "| %s | %d | %s | %s | %s | %s | %s |" % (
        label, len(judged), pct([j["exact"] for j in judged]), pct([j["acc1"] for j in judged]),
        pct([j["acc2"] for j in judged]), med, within)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = ap.add_subparsers(dest="cmd", required=True)
    r = sub.add_parser("render")
    r.add_argument("--seconds", type=float, default=60)
    r.add_argument("--only", nargs="*")
    r.add_argument("--variants", action="store_true")
    t = sub.add_parser("table")
    t.add_argument("--beat", default="build/native/pulvax-run")
    t.add_argument("--seconds", type=float, default=60)
    t.add_argument("--only", nargs="*")
    t.add_argument("--peers", action="store_true")
    t.add_argument("--variants", action="store_true")
    t.add_argument("--rows", action="store_true", help="print every song's row")
    c = sub.add_parser("check")
    c.add_argument("--beat", required=True)
    c.add_argument("--seconds", type=float, default=12)
    c.add_argument("--only", nargs="+", required=True)
    a = ap.parse_args()
    a.variants = getattr(a, "variants", False)

    srcs = [s for s in sources() if not a.only or any(o in s["name"] for o in a.only)]
    variants = VARIANTS if a.variants else ["wav"]
    truths = []
    for s in srcs:
        try:
            tr = render_one(s, a.seconds, variants)
        except subprocess.CalledProcessError as e:
            print("beat_corpus: %s: %s" % (s["name"], e.stderr.decode(errors="replace").strip()), file=sys.stderr)
            continue
        except Exception as e:  # a file mido cannot read
            print("beat_corpus: %s: left out: %s" % (s["name"], e), file=sys.stderr)
            continue
        if tr is not None:
            truths.append(tr)
    steady = [tr for tr in truths if not tr["free"] and not tr["tempo_changes"]]
    if a.cmd == "render":
        for tr in truths:
            flag = "free" if tr["free"] else "tempo changes" if tr["tempo_changes"] else "steady"
            print("%-45s %7.2f BPM (file %7.2f) %s %s" % (tr["name"], tr["bpm"], tr["bpm_file"], tr["metre"], flag))
        print("%d files, %d steady" % (len(truths), len(steady)))
        return 0

    if a.cmd == "check":
        failures = 0
        for tr in truths:
            res = measure_pulvax(a.beat, variant_path(tr["name"], "wav"))
            j = judge(tr, res, 0.0)
            ok = j["right"] and res["reliable"] and abs(res["bpm"] - tr["bpm"]) <= 0.005 * tr["bpm"]
            failures += not ok
            print("%s %s: %.2f BPM, found %s, confidence %.2f, beats %s ms off" % (
                "ok  " if ok else "FAIL", tr["name"], tr["bpm"], res["bpm"], res["confidence"], j["phase_ms"]))
        if len(truths) != len(a.only):
            print("FAIL: %d of %d songs rendered" % (len(truths), len(a.only)))
            failures += 1
        return 1 if failures else 0

    finders = [("pulvax", lambda p: measure_pulvax(a.beat, p))]
    if a.peers:
        finders += [("aubio 0.4.9 (`aubio tempo`)", measure_aubio), ("bpm-tools (`bpm -m 60 -x 200`)", measure_bpm_tools)]
    results = {}  # (finder, variant) -> list of (truth, result, judged)
    for tr in steady:
        for v in variants:
            path = variant_path(tr["name"], v)
            shift = SILENCE_S if v == "silence" else 0.0
            # The peers on the originals only: they are slow, and the
            # variants are there to check this finder.
            for fname, fn in finders if v == "wav" else finders[:1]:
                res = fn(path)
                results.setdefault((fname, v), []).append((tr, res, judge(tr, res, shift)))
    print("%d steady songs (%d rendered, %d left out as played freely, %d with tempo changes), %g s each" % (
        len(steady), len(truths), sum(tr["free"] for tr in truths),
        sum(tr["tempo_changes"] and not tr["free"] for tr in truths), a.seconds))
    print()
    print("| finder | songs | within 0.05 BPM | tempo within 4 % | x2 /2 x3 /3 allowed | median phase error | phase within 40 ms |")
    print("|---|---|---|---|---|---|---|")
    for (fname, v), rows in results.items():
        label = fname if v == "wav" else "%s, %s" % (fname, v)
        print(summary_row(label, [j for _, _, j in rows]))
    # Calibration of the confidence, and the refusal threshold.
    print()
    print("| pulvax confidence | answers | right | share right |")
    print("|---|---|---|---|")
    allp = [(res, j) for (fname, v), rows in results.items() if fname == "pulvax" for _, res, j in rows]
    bins = [0, 0.1, 0.2, 0.35, 0.5, 0.6, 0.7, 0.8, 0.9, 1.01]
    for lo, hi in zip(bins, bins[1:]):
        inbin = [j["right"] for res, j in allp if lo <= (res["confidence"] or 0) < hi]
        print("| %.2f - %.2f | %d | %d | %s |" % (lo, min(hi, 1.0), len(inbin), sum(inbin), pct(inbin)))
    wrong = [res for res, j in allp if not j["right"]]
    right = [res for res, j in allp if j["right"]]
    refused_wrong = sum(not res["reliable"] for res in wrong)
    kept_right = sum(res["reliable"] for res in right)
    print()
    print("refused as unreliable: %d of %d wrong answers (%s), %d of %d right ones kept (%s)" % (
        refused_wrong, len(wrong), pct([not r["reliable"] for r in wrong]), kept_right, len(right),
        pct([r["reliable"] for r in right])))
    if a.rows:
        print()
        print("| song | variant | BPM | found | confidence | phase ms | right |")
        print("|---|---|---|---|---|---|---|")
        for (fname, v), rows in results.items():
            if fname != "pulvax":
                continue
            for tr, res, j in rows:
                print("| %s | %s | %.2f | %s | %.2f | %s | %s |" % (
                    tr["name"], v, tr["bpm"], "%.3f" % res["bpm"] if res["bpm"] else "none",
                    res["confidence"] or 0, "%.0f" % j["phase_ms"] if j["phase_ms"] is not None else "-",
                    "yes" if j["right"] else "NO"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
