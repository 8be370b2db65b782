// The page's WebAssembly module against the native tools:
//   - the beat of generated WAV files: web_beat_json must print what
//     `pulvax-run beat FILE --json` prints, byte for byte, at several frame
//     rates and nudges; a broken file gets the reader's own message;
//   - the resampling: a 16-bit 4:4:4 YUV4MPEG2 clip through the real module
//     (pulvax-run) and the same samples through web_resample, for each phase.
// Usage: node wasm_test.js MODULE.wasm PULVAX-RUN WORKDIR
"use strict";

const fs = require("fs");
const path = require("path");
const { execFileSync, spawnSync } = require("child_process");
const pulvaxWasmHost = require("../wasm_host.js");
const { songSamples, wavBytes } = require("./songs.js");
const { testArguments, check, run } = require("./checks.js");

const [wasmPath, runPath, workDir] = testArguments(3, "node wasm_test.js MODULE.wasm PULVAX-RUN WORKDIR");

const songs = [
  { name: "pcm16_stereo_128", bpm: 128, rate: 44100, channels: 2, format: "pcm16", firstS: 0.37 },
  { name: "float_mono_174", bpm: 174, rate: 48000, channels: 1, format: "float32", firstS: 0.025 },
  { name: "pcm24_stereo_96_3", bpm: 96.3, rate: 22050, channels: 2, format: "pcm24", firstS: 0.05 },
  { name: "pcm16_mono_70", bpm: 70, rate: 44100, channels: 1, format: "pcm16", firstS: 0.9 },
];
const rates = [[30, 1, 0], [30000, 1001, 0], [24000, 1001, -15], [60, 1, 25.5], [25, 1, -400]];

async function beatCases(host) {
  for (const song of songs) {
    const file = path.join(workDir, song.name + ".wav");
    const samples = songSamples({ ...song, seconds: 20 });
    fs.writeFileSync(file, wavBytes(samples, song.rate, song.channels, song.format));
    const wav = host.readWav(new Uint8Array(fs.readFileSync(file)));
    check(!wav.error && wav.rate === song.rate, song.name + ": read " + JSON.stringify(wav.error));
    if (wav.error) continue;
    check(host.findBeat(wav.samples, wav.rate), song.name + ": no beat found");
    for (const [num, den, nudge] of rates) {
      const fps = den === 1 ? String(num) : num + "/" + den;
      const native = execFileSync(runPath, ["beat", file, "--json", "--fps", fps, "--beat-nudge", String(nudge)],
        { encoding: "utf8" });
      const wasm = host.beatJson(num, den, nudge);
      check(wasm === native, `${song.name} at ${fps} fps, nudge ${nudge}:\n  native ${native}  wasm   ${wasm}`);
      // The page's own values come from the same arithmetic.
      const parsed = JSON.parse(native);
      const e = host.editor(num, den, nudge, 0, 0);
      check(e.period === parsed.period && e.periodDiv === parsed.period_div && e.bpmX10 === parsed.bpm_x10 &&
        e.startFrame === parsed.start_frame, `${song.name} at ${fps}: editor values ${JSON.stringify(e)}`);
    }
    // Passed to another instance (the page's main thread) the beat stays the same.
    const other = await pulvaxWasmHost().instantiate(fs.readFileSync(wasmPath));
    other.setBeat(host.getBeat());
    check(other.beatJson(30, 1, 0) === host.beatJson(30, 1, 0), song.name + ": beat handed over");
  }

  // A file cut short: the reader's message, as the native tool gives it.
  const whole = fs.readFileSync(path.join(workDir, songs[0].name + ".wav"));
  const cut = path.join(workDir, "cut.wav");
  fs.writeFileSync(cut, whole.subarray(0, 30));
  const native = spawnSync(runPath, ["beat", cut, "--json"], { encoding: "utf8" });
  const wasm = host.readWav(new Uint8Array(fs.readFileSync(cut)));
  check(native.status === 1 && wasm.error && native.stderr.includes(wasm.error),
    `cut WAV: native "${native.stderr.trim()}", wasm "${wasm.error}"`);
  // Silence: no beat.
  check(!host.findBeat(new Float32Array(44100 * 5), 44100), "silence: a beat found");
}

// Editor samples <-> 16-bit video-range samples, as pulvax-run converts them
// (offset 16 * 256 and span 219 * 256 for luma, 128 * 256 and 224 * 256 for
// chroma; to the nearest, halves up).
const roundDiv = (n, d) => Math.floor((2 * n + d) / (2 * d));
const scales = [[4096, 56064], [32768, 57344], [32768, 57344]];
const toYc = (v, c) => roundDiv((v - scales[c][0]) * 4096, scales[c][1]);
const fromYc = (s, c) => Math.min(65535, Math.max(0, roundDiv(s * scales[c][1], 4096) + scales[c][0]));

function y4mFrames(buf, w, h) {
  const header = buf.indexOf(0x0a);
  const frames = [];
  let at = header + 1;
  const planeBytes = 2 * w * h;
  while (at < buf.length) {
    check(buf.toString("latin1", at, at + 6) === "FRAME\n", "y4m frame header");
    at += 6;
    frames.push(buf.subarray(at, at + 3 * planeBytes));
    at += 3 * planeBytes;
  }
  return frames;
}

async function resampleCases(host) {
  const w = 97, h = 53, area = w * h;
  // A picture with edges and gradients in every plane.
  const planes = Buffer.alloc(6 * area);
  for (let y = 0; y < h; y++) {
    for (let x = 0; x < w; x++) {
      const i = y * w + x;
      planes.writeUInt16LE(4096 + ((x * 577 + y * 311 + ((x >> 3) ^ (y >> 2)) * 4000) % 56064), 2 * i);
      planes.writeUInt16LE(4096 + ((x * 1013 + y * 97) % 57000), 2 * (area + i));
      planes.writeUInt16LE(((y * 1499 + (x & 4) * 9000) % 65000) + 200, 2 * (2 * area + i));
    }
  }
  const frames = 5;  // a cycle of 5 frames: frame n shows phase n
  const input = path.join(workDir, "picture.y4m");
  const parts = [Buffer.from(`YUV4MPEG2 W${w} H${h} F30:1 Ip A1:1 C444p16\n`, "latin1")];
  for (let f = 0; f < frames; f++) parts.push(Buffer.from("FRAME\n", "latin1"), planes);
  fs.writeFileSync(input, Buffer.concat(parts));

  const yc = new Int16Array(3 * area);
  for (let c = 0; c < 3; c++) {
    for (let i = 0; i < area; i++) yc[3 * i + c] = toYc(planes.readUInt16LE(2 * (c * area + i)), c);
  }
  const picture = host.picture(w, h);
  picture.setYc(yc);
  for (const [refX, refY] of [[30, 40], [96, 0], [2000, 2000], [0, 26]]) {
    const output = path.join(workDir, `bounced_${refX}_${refY}.y4m`);
    execFileSync(runPath, [input, "--period-div", "1", "--period", String(frames), "--stretch-frames", "1",
      "--start-frame", "0", "--ref-x", String(refX), "--ref-y", String(refY), "-o", output], { stdio: "pipe" });
    const out = y4mFrames(fs.readFileSync(output), w, h);
    check(out.length === frames, "frames out");
    for (let f = 0; f < out.length; f++) {
      const phase = host.framePhase(frames, 1, 1, 0, f);
      check(phase === f, `frame ${f}: phase ${phase}`);
      picture.render(phase, refX, refY);
      const got = picture.yc();
      if (phase === 0) {
        // Unchanged frames are written as they were read.
        check(out[f].equals(planes) && got.every((v, i) => v === yc[i]), "phase 0 changed the picture");
        continue;
      }
      let diff = 0;
      for (let c = 0; c < 3; c++) {
        for (let i = 0; i < area; i++) {
          if (fromYc(got[3 * i + c], c) !== out[f].readUInt16LE(2 * (c * area + i))) diff++;
        }
      }
      check(diff === 0, `phase ${phase} about (${refX}, ${refY}): ${diff} samples differ from the module's`);
      check(!out[f].equals(planes), `phase ${phase} about (${refX}, ${refY}): picture unchanged`);
    }
  }
  picture.free();
}

// A typed frame rate, read by the tool's own parser: the forms --fps takes and
// the ones it refuses.
function fpsCases(host) {
  const cases = [
    ["30", [30, 1]], ["30000/1001", [30000, 1001]], ["30000:1001", [30000, 1001]],
    ["29.97", [2997, 100]], ["23.976", [23976, 1000]], ["59.940", [59940, 1000]],
    ["0", null], ["1.2345", null], ["+30", null], ["-30/1", null], ["30/0", null],
    ["30.", null], [".5", [5, 10]], ["30 fps", null], ["", null], ["1234567890", null],
  ];
  for (const [text, want] of cases) {
    const got = host.parseFps(text);
    check(JSON.stringify(got) === JSON.stringify(want), `--fps '${text}': ${JSON.stringify(got)}`);
  }
}

let level = "";
run(async () => {
  const host = await pulvaxWasmHost().instantiate(fs.readFileSync(wasmPath));
  await beatCases(host);
  await resampleCases(host);
  fpsCases(host);
  level = host.resampleLevel();
}, () => "wasm: beat JSON and resampled frames match the native tools (" + level + " kernels)");
