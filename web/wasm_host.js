// The page's WebAssembly module: loading it (with the few WASI calls its C
// library imports) and calling it with JavaScript values. One function that
// refers to nothing outside itself, so that the beat Worker can be built from
// its source text, and node can require this file in the tests.
function pulvaxWasmHost() {
  "use strict";

  function base64ToBytes(text) {
    if (typeof atob === "function") {
      const bin = atob(text);
      const bytes = new Uint8Array(bin.length);
      for (let i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
      return bytes;
    }
    return new Uint8Array(Buffer.from(text, "base64"));
  }

  // The module does no I/O; these answer its C library's start-up and
  // stream calls. Writes are swallowed, everything else is "not supported".
  function wasiImports(getMemory) {
    const ENOSYS = 52;
    return {
      fd_write(fd, iovs, iovsLen, nwrittenPtr) {
        const view = new DataView(getMemory().buffer);
        let total = 0;
        for (let i = 0; i < iovsLen; i++) total += view.getUint32(iovs + 8 * i + 4, true);
        view.setUint32(nwrittenPtr, total, true);
        return 0;
      },
      fd_close() { return ENOSYS; },
      fd_seek() { return ENOSYS; },
      fd_fdstat_get() { return ENOSYS; },
      environ_sizes_get() { return ENOSYS; },
      environ_get() { return ENOSYS; },
      proc_exit(code) { throw new Error("the WebAssembly module exited (" + code + ")"); },
    };
  }

  // The layout of web_editor_values (web/web_api.h).
  function readEditor(memory, ptr) {
    const v = new DataView(memory.buffer, ptr, 64);
    return {
      bpm: v.getFloat64(0, true),
      firstBeatS: v.getFloat64(8, true),
      confidence: v.getFloat64(16, true),
      framesPerBeat: v.getFloat64(24, true),
      firstBeatFrame: v.getFloat64(32, true),
      bpmX10: v.getInt32(40, true),
      period: v.getInt32(44, true),
      periodDiv: v.getInt32(48, true),
      startFrame: v.getInt32(52, true),
      stretchFrames: v.getInt32(56, true),
      checkByEar: v.getInt32(60, true) !== 0,
    };
  }

  function wrap(instance) {
    const x = instance.exports;
    const memory = x.memory;
    const text = (ptr) => {
      const bytes = new Uint8Array(memory.buffer, ptr);
      let end = 0;
      while (bytes[end] !== 0) end++;
      return new TextDecoder().decode(bytes.subarray(0, end));
    };
    const copyIn = (typed) => {
      const ptr = x.web_alloc(typed.byteLength);
      new Uint8Array(memory.buffer, ptr, typed.byteLength).set(
        new Uint8Array(typed.buffer, typed.byteOffset, typed.byteLength));
      return ptr;
    };
    const beatFields = 8;  // web_beat_fields
    return {
      exports: x,
      memory,
      // A WAV file through the finder's reader: {samples, rate} or {error}.
      readWav(bytes) {
        const ptr = copyIn(bytes);
        const ok = x.web_read_wav(ptr, bytes.byteLength);
        x.web_free(ptr);
        if (!ok) return { error: text(x.web_wav_error()) };
        const count = x.web_wav_count();
        const samples = new Float32Array(memory.buffer, x.web_wav_samples(), count).slice();
        const rate = x.web_wav_rate();
        x.web_wav_release();
        return { samples, rate };
      },
      // Finds the beat and keeps it in the module; true where one was found.
      findBeat(samples, rate) {
        const ptr = copyIn(samples);
        const ok = x.web_find_beat(ptr, samples.length, rate);
        x.web_free(ptr);
        return ok !== 0;
      },
      onsets() { return x.web_beat_onsets(); },
      // The kept beat as numbers (to hand to another instance), and back.
      getBeat() {
        const ptr = x.web_alloc(8 * beatFields);
        x.web_get_beat(ptr);
        const out = Array.from(new Float64Array(memory.buffer, ptr, beatFields));
        x.web_free(ptr);
        return out;
      },
      setBeat(fields) {
        const ptr = copyIn(new Float64Array(fields));
        x.web_set_beat(ptr);
        x.web_free(ptr);
      },
      beatJson(fpsNum, fpsDen, nudgeMs) { return text(x.web_beat_json(fpsNum, fpsDen, nudgeMs)); },
      editor(fpsNum, fpsDen, nudgeMs, octave, songFrame) {
        return readEditor(memory, x.web_editor(fpsNum, fpsDen, nudgeMs, octave, songFrame));
      },
      framePhase(period, periodDiv, stretchFrames, startFrame, frame) {
        return x.web_frame_phase(period, periodDiv, stretchFrames, startFrame, frame);
      },
      resampleLevel() { return text(x.web_resample_level()); },
      // A typed frame rate read as pulvax-run reads --fps: [rate, scale] or null.
      parseFps(typed) {
        const bytes = new TextEncoder().encode(typed + "\0");
        const ptr = copyIn(bytes), out = x.web_alloc(8);
        const ok = x.web_parse_fps(ptr, out) !== 0;
        const r = Array.from(new Int32Array(memory.buffer, out, 2));
        x.web_free(ptr);
        x.web_free(out);
        return ok ? r : null;
      },
      // A w x h picture in the module: its source and output in the editor's
      // YCbCr, and RGBA bytes to show.
      picture(w, h) {
        const area = w * h;
        const src = x.web_alloc(6 * area), dst = x.web_alloc(6 * area), rgba = x.web_alloc(4 * area);
        return {
          w, h,
          setRgba(bytes) {
            new Uint8Array(memory.buffer, rgba, 4 * area).set(bytes);
            x.web_rgba_to_yc(rgba, src, w, h);
          },
          setTestCard(index) { x.web_test_card(src, index); },
          setYc(int16) { new Int16Array(memory.buffer, src, 3 * area).set(int16); },
          // The phase's output: YCbCr (Int16Array, y cb cr per pixel) and RGBA.
          render(phase, refX, refY) {
            x.web_resample(src, dst, w, h, refX, refY, phase);
            x.web_yc_to_rgba(dst, rgba, w, h);
          },
          yc() { return new Int16Array(memory.buffer, dst, 3 * area).slice(); },
          rgba() { return new Uint8ClampedArray(memory.buffer, rgba, 4 * area).slice(); },
          free() { x.web_free(src); x.web_free(dst); x.web_free(rgba); },
        };
      },
      testCardSize() { return [x.web_test_card_w(), x.web_test_card_h()]; },
    };
  }

  async function instantiate(bytes) {
    let memory = null;
    const { instance } = await WebAssembly.instantiate(bytes, {
      wasi_snapshot_preview1: wasiImports(() => memory),
    });
    memory = instance.exports.memory;
    instance.exports._initialize();
    return wrap(instance);
  }

  return { base64ToBytes, instantiate };
}

if (typeof module !== "undefined" && module.exports) module.exports = pulvaxWasmHost;
