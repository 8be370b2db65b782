// Generated test songs as WAV files: a kick on every beat, a snare on 2 and
// 4, hats on the eighths, after a given silence; deterministic noise.
"use strict";

function noiseSource(seed) {
  let s = seed >>> 0;
  return () => {
    s = (Math.imul(s, 1664525) + 1013904223) >>> 0;
    return s / 2147483648 - 1;
  };
}

// Mono samples (-1..1) of a song at bpm, first beat at first_s, seconds long.
function songSamples({ bpm, rate, seconds, firstS, seed = 1 }) {
  const n = Math.round(seconds * rate);
  const out = new Float64Array(n);
  const noise = noiseSource(seed);
  const beat = 60 / bpm;
  for (let k = 0; ; k++) {
    const t0 = firstS + k * beat / 2;  // eighths
    if (t0 >= seconds) break;
    const i0 = Math.round(t0 * rate);
    const onBeat = k % 2 === 0, backBeat = k % 4 === 2;
    const len = Math.round(0.25 * rate);
    for (let i = 0; i < len && i0 + i < n; i++) {
      const t = i / rate;
      let v = 0;
      if (onBeat) v += 0.6 * Math.sin(2 * Math.PI * (50 * t + 60 * (1 - Math.exp(-t * 30)) / 30)) * Math.exp(-t * 14);
      if (backBeat) v += 0.35 * noise() * Math.exp(-t * 25);
      v += 0.08 * noise() * Math.exp(-t * 120);
      out[i0 + i] += v;
    }
  }
  return out;
}

// A RIFF/WAVE file of the samples: format "pcm16", "pcm24" or "float32", the
// mono signal copied to every channel (the second one at 0.8).
function wavBytes(samples, rate, channels, format) {
  const bytesPer = format === "pcm16" ? 2 : 3 + (format === "float32" ? 1 : 0);
  const dataBytes = samples.length * channels * bytesPer;
  const buf = Buffer.alloc(44 + dataBytes);
  buf.write("RIFF", 0, "latin1");
  buf.writeUInt32LE(36 + dataBytes, 4);
  buf.write("WAVEfmt ", 8, "latin1");
  buf.writeUInt32LE(16, 16);
  buf.writeUInt16LE(format === "float32" ? 3 : 1, 20);
  buf.writeUInt16LE(channels, 22);
  buf.writeUInt32LE(rate, 24);
  buf.writeUInt32LE(rate * channels * bytesPer, 28);
  buf.writeUInt16LE(channels * bytesPer, 32);
  buf.writeUInt16LE(8 * bytesPer, 34);
  buf.write("data", 36, "latin1");
  buf.writeUInt32LE(dataBytes, 40);
  let at = 44;
  for (let i = 0; i < samples.length; i++) {
    for (let c = 0; c < channels; c++) {
      const v = Math.max(-1, Math.min(1, samples[i] * (c === 0 ? 1 : 0.8)));
      if (format === "float32") buf.writeFloatLE(v, at);
      else if (format === "pcm16") buf.writeInt16LE(Math.round(v * 32767), at);
      else buf.writeIntLE(Math.round(v * 8388607), at, 3);
      at += bytesPer;
    }
  }
  return buf;
}

module.exports = { songSamples, wavBytes };
