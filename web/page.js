// The beat page: opens a song, finds its beat in a Worker, shows the grid over
// the waveform and the values for the editor, plays the song with clicks and
// previews the bounce. The numbers all come from the WebAssembly module (the
// finder's and the filter's own code); this file only shows them.
(function () {
  "use strict";

  const $ = (id) => document.getElementById(id);
  const wasmBytes = pulvaxWasmHost().base64ToBytes(pulvaxWasmBase64);
  const videoExtensions = /\.(mp4|m4v|mov|webm|mkv|avi)$/i;
  // Where the browser's decoder resamples to when the file is not WAV.
  const decodeRate = 44100;
  const previewMaxW = 640, previewMaxH = 360;

  const s = {
    lang: /^ja\b/i.test(navigator.language || "") ? "ja" : "en",
    host: null,
    worker: null,
    busy: false,
    fileName: "",
    audio: null,       // {buffer: AudioBuffer, mono: Float32Array, rate, duration}
    beat: null,        // the finder's numbers (web_beat_fields)
    octave: 0,
    nudge: 0,
    fps: [30, 1],
    songFrame: 0,
    editor: null,
    view: { start: 0, span: 1 },
    ctx: null,
    playing: null,     // {source, startedAt, offset, clicks, nextBeat, timer}
    position: 0,       // seconds into the song when not playing
    picture: null,     // {kind, pic, w, h, refX, refY, origW, origH, cache: Map}
    video: null,       // HTMLVideoElement of the opened file, if it is a video
    lastFrame: null,
    stats: { renders: 0, renderMs: 0, timings: null, opened: 0, failed: 0 },
  };
  window.pulvaxPage = s;  // for the tests and for curious users

  // ---- words ----
  function t(key, fields) {
    let text = (pulvaxText[s.lang] && pulvaxText[s.lang][key]) || pulvaxText.en[key] || key;
    if (fields) text = text.replace(/\{(\w+)\}/g, (m, k) => (k in fields ? fields[k] : m));
    return text;
  }
  function applyLanguage() {
    document.documentElement.lang = s.lang;
    document.title = t("title");
    for (const el of document.querySelectorAll("[data-t]")) el.textContent = t(el.dataset.t);
    for (const el of document.querySelectorAll("[data-t-placeholder]")) el.placeholder = t(el.dataset.tPlaceholder);
    if (s.statusKey) setStatus(s.statusKey, s.statusFields, s.statusError);
    if (s.editor) showValues();
    drawPreview(true);
  }
  function setStatus(key, fields, error) {
    s.statusKey = key;
    s.statusFields = fields;
    s.statusError = !!error;
    const el = $("status");
    el.textContent = key ? t(key, fields) : "";
    el.classList.toggle("error", !!error);
  }
  // A file that failed: its message, and the last song's values put away so
  // that they do not look like this file's.
  function fail(key, fields) {
    s.stats.failed++;
    s.beat = null;
    s.editor = null;
    $("result").hidden = true;
    setBusy(false);
    setStatus(key, fields, true);
  }
  function setBusy(busy) {
    s.busy = busy;
    $("progress").hidden = !busy;
  }

  // ---- frame rate ----
  // "30", "30000/1001", "30000:1001" or a decimal with at most three places,
  // read by pulvax-run's own code for --fps; spaces around it do not count.
  function parseFps(text) { return s.host.parseFps(text.trim()); }
  function fpsValue() { return s.fps[0] / s.fps[1]; }

  // ---- the Worker ----
  function startWorker() {
    const source = "(" + pulvaxBeatWorker.toString() + ")(" + pulvaxWasmHost.toString() + ");";
    const url = URL.createObjectURL(new Blob([source], { type: "text/javascript" }));
    const worker = new Worker(url);
    URL.revokeObjectURL(url);
    worker.postMessage({ type: "init", wasm: wasmBytes });
    return worker;
  }
  function analyse(message, transfer) {
    return new Promise((resolve, reject) => {
      s.worker.onmessage = (e) => {
        const m = e.data;
        if (m.type === "stage") setStatus(m.stage);
        else if (m.type === "done") resolve(m);
        else if (m.type === "error") reject(new Error(m.error));
      };
      s.worker.onerror = (e) => reject(new Error(e.message || "worker"));
      s.worker.postMessage(message, transfer || []);
    });
  }

  function looksLikeWav(bytes) {
    const tag = (at) => String.fromCharCode(...bytes.subarray(at, at + 4));
    return bytes.length >= 12 && tag(0) === "RIFF" && tag(8) === "WAVE";
  }

  function monoOf(buffer) {
    const n = buffer.length, channels = buffer.numberOfChannels;
    const mono = new Float32Array(n);
    for (let c = 0; c < channels; c++) {
      const data = buffer.getChannelData(c);
      for (let i = 0; i < n; i++) mono[i] += data[i];
    }
    if (channels > 1) for (let i = 0; i < n; i++) mono[i] /= channels;
    return mono;
  }

  // ---- opening a file ----
  async function openFile(file) {
    if (!file || s.busy) return;
    stop();
    const t0 = performance.now();
    s.fileName = file.name;
    setBusy(true);
    setStatus("reading");
    try {
      const bytes = new Uint8Array(await file.arrayBuffer());
      let reply, buffer, mono, rate, decodeMs;
      if (looksLikeWav(bytes)) {
        // The finder's own reader, so that a WAV gives the native tool's beat.
        reply = await analyse({ type: "wav", bytes: bytes.buffer }, [bytes.buffer]);
        mono = reply.samples;
        rate = reply.rate;
        decodeMs = performance.now() - t0 - reply.ms;
        buffer = new AudioBuffer({ length: Math.max(1, mono.length), sampleRate: Math.min(768000, Math.max(3000, rate)), numberOfChannels: 1 });
        buffer.copyToChannel(mono, 0);
      } else {
        setStatus("decoding");
        const offline = new OfflineAudioContext(1, 1, decodeRate);
        try {
          buffer = await offline.decodeAudioData(bytes.buffer);
        } catch (e) {
          fail("cannot_decode", { file: file.name });
          return;
        }
        mono = monoOf(buffer);
        rate = buffer.sampleRate;
        decodeMs = performance.now() - t0;
        const copy = mono.slice();
        reply = await analyse({ type: "samples", samples: copy, rate }, [copy.buffer]);
      }
      const totalMs = performance.now() - t0;
      s.stats.timings = { totalMs, decodeMs, analyseMs: reply.ms };
      s.stats.opened++;
      setBusy(false);
      s.audio = { buffer, mono, rate, duration: mono.length / rate };
      if (!reply.found) {
        fail("not_found", { file: file.name, onsets: reply.onsets });
        return;
      }
      s.beat = reply.beat;
      s.host.setBeat(reply.beat);
      s.octave = 0;
      s.position = 0;
      s.view = { start: 0, span: Math.min(s.audio.duration, 12) };
      setStatus("found", {
        file: file.name, seconds: (totalMs / 1000).toFixed(2),
        decode: (decodeMs / 1000).toFixed(2), analyse: (reply.ms / 1000).toFixed(2),
      });
      $("result").hidden = false;
      openVideo(file);
      update();
    } catch (e) {
      fail("wav_error", { file: file.name, error: String(e.message || e) });
    }
  }

  // ---- the values ----
  function update() {
    if (!s.beat) return;
    s.editor = s.host.editor(s.fps[0], s.fps[1], s.nudge, s.octave, s.songFrame);
    if (s.playing) {
      // Clicks from the new grid on, after those already scheduled.
      s.playing.nextBeat = Math.ceil((currentPosition() + 0.2 - s.editor.firstBeatS) / beatSeconds());
    }
    showValues();
    drawWave(true);
    drawPreview(true);
  }
  function showValues() {
    const e = s.editor;
    $("tempo").textContent = e.bpm.toFixed(1) + " " + t("bpm");
    $("tempo-full").textContent = "(" + e.bpm.toFixed(4) + ")";
    const conf = $("confidence");
    conf.textContent = e.confidence.toFixed(2) + " — " + t(e.checkByEar ? "check_by_ear" : "steady");
    conf.className = e.checkByEar ? "warn" : "good";
    $("octave-half").textContent = "÷2 " + s.beat[5].toFixed(1) + " " + t("bpm");
    $("octave-double").textContent = "×2 " + s.beat[3].toFixed(1) + " " + t("bpm");
    $("octave-half").classList.toggle("on", s.octave < 0);
    $("octave-found").classList.toggle("on", s.octave === 0);
    $("octave-double").classList.toggle("on", s.octave > 0);
    $("v-period-div").textContent = e.periodDiv;
    $("v-period").textContent = e.period;
    $("v-start").textContent = e.startFrame;
    $("v-stretch").textContent = e.stretchFrames;
    $("v-bpm10").textContent = e.bpmX10;
    $("h-period").textContent = t("period_hint", { frames: e.framesPerBeat.toFixed(4) });
    $("h-start").textContent = t("start_hint", { frame: e.firstBeatFrame.toFixed(2) });
    $("h-stretch").textContent = t("stretch_hint", { seconds: (4 * e.stretchFrames / fpsValue()).toFixed(3) });
    const p = s.picture;
    $("v-ref-x").textContent = p ? Math.floor(p.origW / 2) : "";
    $("v-ref-y").textContent = p ? Math.floor(p.origH / 2) : "";
  }

  // ---- the waveform ----
  const wave = $("wave");
  let waveImage = null;
  function beatSeconds() { return 60 / s.editor.bpm; }
  function drawWave(full) {
    if (!s.audio || !s.editor) return;
    const g = wave.getContext("2d");
    const W = wave.width, H = wave.height;
    const { start, span } = s.view;
    if (full || !waveImage) {
      g.fillStyle = "#14181e";
      g.fillRect(0, 0, W, H);
      const mono = s.audio.mono, rate = s.audio.rate;
      g.fillStyle = "#5f9ea0";
      const mid = H / 2;
      for (let x = 0; x < W; x++) {
        const i0 = Math.max(0, Math.floor((start + span * x / W) * rate));
        const i1 = Math.min(mono.length, Math.floor((start + span * (x + 1) / W) * rate));
        let lo = 0, hi = 0;
        const step = Math.max(1, Math.floor((i1 - i0) / 400));
        for (let i = i0; i < i1; i += step) {
          const v = mono[i];
          if (v < lo) lo = v;
          if (v > hi) hi = v;
        }
        g.fillRect(x, mid - hi * mid, 1, Math.max(1, (hi - lo) * mid));
      }
      // The beat grid: every beat, stronger every fourth, the first one marked.
      const beat = beatSeconds(), first = s.editor.firstBeatS;
      const k0 = Math.ceil((start - first) / beat), k1 = Math.floor((start + span - first) / beat);
      if (k1 - k0 < W / 2) {
        for (let k = k0; k <= k1; k++) {
          const x = Math.round((first + k * beat - start) / span * W) + 0.5;
          g.strokeStyle = k === 0 ? "#ff6b4a" : k % 4 === 0 ? "rgba(255,255,255,0.75)" : "rgba(255,255,255,0.3)";
          g.lineWidth = k === 0 ? 3 : 1;
          g.beginPath();
          g.moveTo(x, 0);
          g.lineTo(x, H);
          g.stroke();
          if (k === 0) {
            g.fillStyle = "#ff6b4a";
            g.font = "bold 14px sans-serif";
            g.fillText("1", x + 4, 15);
          }
        }
      }
      waveImage = g.getImageData(0, 0, W, H);
      const max = Math.max(0, s.audio.duration - span);
      $("scroll").value = max > 0 ? Math.round(start / max * 1000) : 0;
    } else {
      g.putImageData(waveImage, 0, 0);
    }
    const pos = currentPosition();
    const x = Math.round((pos - start) / span * W) + 0.5;
    g.strokeStyle = "#ffd54a";
    g.lineWidth = 2;
    g.beginPath();
    g.moveTo(x, 0);
    g.lineTo(x, H);
    g.stroke();
    $("clock").textContent = pos.toFixed(2) + " s";
  }
  function setView(start, span) {
    const d = s.audio.duration;
    span = Math.min(d, Math.max(1, span));
    start = Math.min(Math.max(0, start), Math.max(0, d - span));
    s.view = { start, span };
    drawWave(true);
  }
  function zoom(factor) {
    const centre = s.playing ? currentPosition() : s.view.start + s.view.span / 2;
    const span = s.view.span * factor;
    setView(centre - span / 2, span);
  }

  // ---- playback ----
  function currentPosition() {
    if (!s.playing) return s.position;
    return s.playing.offset + (s.ctx.currentTime - s.playing.startedAt);
  }
  function clickBuffer(ctx) {
    const n = Math.round(ctx.sampleRate * 0.03);
    const b = ctx.createBuffer(1, n, ctx.sampleRate);
    const d = b.getChannelData(0);
    for (let i = 0; i < n; i++) d[i] = Math.sin(2 * Math.PI * 1500 * i / ctx.sampleRate) * Math.exp(-i / (ctx.sampleRate * 0.006));
    return b;
  }
  function play() {
    if (!s.audio || !s.editor) return;
    if (!s.ctx) {
      s.ctx = new AudioContext();
      s.click = clickBuffer(s.ctx);
      s.songGain = s.ctx.createGain();
      s.clickGain = s.ctx.createGain();
      s.songGain.connect(s.ctx.destination);
      s.clickGain.connect(s.ctx.destination);
    }
    s.ctx.resume();
    levels();
    if (s.position >= s.audio.duration - 0.05) s.position = 0;
    const source = s.ctx.createBufferSource();
    source.buffer = s.audio.buffer;
    source.connect(s.songGain);
    const startedAt = s.ctx.currentTime + 0.05;
    source.start(startedAt, s.position);
    source.onended = () => { if (s.playing && s.playing.source === source) stop(true); };
    const beat = beatSeconds(), first = s.editor.firstBeatS;
    s.playing = { source, startedAt, offset: s.position, clicks: [], nextBeat: Math.ceil((s.position - first) / beat) };
    s.playing.timer = setInterval(scheduleClicks, 25);
    scheduleClicks();
    $("play").dataset.t = "stop";
    $("play").textContent = t("stop");
    requestAnimationFrame(tick);
  }
  function scheduleClicks() {
    const p = s.playing;
    if (!p) return;
    const beat = beatSeconds(), first = s.editor.firstBeatS;
    const horizon = currentPosition() + 0.2;
    for (;;) {
      const at = first + p.nextBeat * beat;
      if (at > horizon) break;
      if (at >= p.offset && at < s.audio.duration) {
        const c = s.ctx.createBufferSource();
        c.buffer = s.click;
        c.connect(s.clickGain);
        c.start(p.startedAt + (at - p.offset));
        p.clicks.push(c);
        if (p.clicks.length > 16) p.clicks.shift();
      }
      p.nextBeat++;
    }
  }
  function stop(ended) {
    const p = s.playing;
    if (!p) return;
    s.position = ended ? 0 : currentPosition();
    s.playing = null;
    clearInterval(p.timer);
    try { p.source.stop(); } catch (e) { /* already stopped */ }
    for (const c of p.clicks) try { c.stop(); } catch (e) { /* already played */ }
    $("play").dataset.t = "play";
    $("play").textContent = t("play");
    drawWave(false);
    drawPreview(false);
  }
  function levels() {
    if (!s.ctx) return;
    s.songGain.gain.value = +$("song-level").value;
    s.clickGain.gain.value = +$("click-level").value;
  }
  function seek(pos) {
    const wasPlaying = !!s.playing;
    if (wasPlaying) stop();
    s.position = Math.min(Math.max(0, pos), s.audio.duration);
    if (wasPlaying) play();
    else {
      drawWave(false);
      drawPreview(false);
    }
  }
  function tick() {
    if (!s.playing) return;
    const pos = currentPosition();
    if (pos < s.view.start || pos > s.view.start + s.view.span) setView(pos - s.view.span * 0.1, s.view.span);
    drawWave(false);
    drawPreview(false);
    requestAnimationFrame(tick);
  }

  s.seek = (seconds) => seek(seconds);

  // ---- the bounce preview ----
  const preview = $("preview");
  function setPicture(kind, w, h, origW, origH, fill) {
    if (s.picture) s.picture.pic.free();
    const pic = s.host.picture(w, h);
    fill(pic);
    preview.width = w;
    preview.height = h;
    s.picture = { kind, pic, w, h, refX: Math.floor(w / 2), refY: Math.floor(h / 2), origW, origH, cache: new Map() };
    s.lastFrame = null;
    if (s.editor) showValues();
    drawPreview(true);
  }
  function useTestCard() {
    const [w, h] = s.host.testCardSize();
    setPicture("card", w, h, w, h, (pic) => pic.setTestCard(0));
  }
  // An image, video or canvas, scaled to fit the preview.
  function useDrawable(kind, source, origW, origH) {
    const k = Math.min(1, previewMaxW / origW, previewMaxH / origH);
    const w = Math.max(1, Math.round(origW * k)), h = Math.max(1, Math.round(origH * k));
    const c = document.createElement("canvas");
    c.width = w;
    c.height = h;
    const g = c.getContext("2d");
    g.drawImage(source, 0, 0, w, h);
    const rgba = g.getImageData(0, 0, w, h).data;
    setPicture(kind, w, h, origW, origH, (pic) => pic.setRgba(rgba));
  }
  function openImage(file) {
    const img = new Image();
    const url = URL.createObjectURL(file);
    img.onload = () => {
      useDrawable("image", img, img.naturalWidth, img.naturalHeight);
      URL.revokeObjectURL(url);
    };
    img.onerror = () => URL.revokeObjectURL(url);
    img.src = url;
  }
  function openVideo(file) {
    const option = $("picture").querySelector("option[value=video]");
    option.disabled = true;
    if (s.video) URL.revokeObjectURL(s.video.src);
    s.video = null;
    if (!(/^video\//.test(file.type) || videoExtensions.test(file.name))) {
      if (s.picture && s.picture.kind === "video") { $("picture").value = "card"; useTestCard(); }
      return;
    }
    const v = document.createElement("video");
    v.muted = true;
    v.preload = "auto";
    v.onloadeddata = () => {
      if (!v.videoWidth) return;
      v.currentTime = Math.min(1, v.duration / 2 || 0);
    };
    v.onseeked = () => {
      s.video = v;
      option.disabled = false;
      $("picture").value = "video";
      useDrawable("video", v, v.videoWidth, v.videoHeight);
    };
    v.src = URL.createObjectURL(file);
  }
  // The timeline frame shown at the song's current position.
  function currentFrame() {
    return s.songFrame + Math.floor(currentPosition() * s.fps[0] / s.fps[1] + 1e-9);
  }
  function drawPreview(force) {
    const p = s.picture;
    if (!p || !s.editor) return;
    const e = s.editor;
    const frame = currentFrame();
    const phase = s.host.framePhase(e.period, e.periodDiv, e.stretchFrames, e.startFrame, frame);
    if (!force && frame === s.lastFrame) return;
    s.lastFrame = frame;
    let image;
    if (p.kind === "card") {
      // The built-in clip moves on with the frames.
      const t0 = performance.now();
      p.pic.setTestCard(((frame % 120) + 120) % 120);
      p.pic.render(Math.max(0, phase), p.refX, p.refY);
      image = new ImageData(p.pic.rgba(), p.w, p.h);
      countRender(t0);
    } else {
      const key = Math.max(0, phase);
      image = p.cache.get(key);
      if (!image) {
        const t0 = performance.now();
        p.pic.render(key, p.refX, p.refY);
        image = new ImageData(p.pic.rgba(), p.w, p.h);
        countRender(t0);
        p.cache.set(key, image);
      }
    }
    preview.getContext("2d").putImageData(image, 0, 0);
    $("preview-info").textContent = t("preview_info", { frame, phase: phase < 0 ? t("before_start") : phase });
    $("preview-info").dataset.frame = frame;
    $("preview-info").dataset.phase = phase;
  }
  function countRender(t0) {
    s.stats.renders++;
    s.stats.renderMs += performance.now() - t0;
  }
  // Milliseconds per preview frame (resampling and conversion to RGBA) for a
  // w x h picture, over n frames of every phase.
  s.benchPreview = (w, h, n) => {
    const pic = s.host.picture(w, h);
    const rgba = new Uint8ClampedArray(4 * w * h);
    for (let i = 0; i < rgba.length; i++) rgba[i] = (i * 2654435761) >>> 24;
    pic.setRgba(rgba);
    const t0 = performance.now();
    for (let i = 0; i < n; i++) {
      pic.render(1 + (i % 4), w >> 1, h >> 1);
      new ImageData(pic.rgba(), w, h);
    }
    const ms = (performance.now() - t0) / n;
    pic.free();
    return ms;
  };

  // ---- copying ----
  async function copy(button) {
    const text = $(button.dataset.copy).textContent;
    let ok = false;
    try {
      await navigator.clipboard.writeText(text);
      ok = true;
    } catch (e) {
      const area = document.createElement("textarea");
      area.value = text;
      document.body.appendChild(area);
      area.select();
      ok = document.execCommand("copy");
      area.remove();
    }
    if (ok) {
      button.textContent = t("copied");
      setTimeout(() => { button.textContent = t("copy"); }, 1200);
    }
  }

  // ---- wiring ----
  function wire() {
    $("language").onclick = () => {
      s.lang = s.lang === "ja" ? "en" : "ja";
      applyLanguage();
    };
    $("file").onchange = (e) => {
      openFile(e.target.files[0]);
      e.target.value = "";  // the same file again is a new choice
    };
    const drop = $("drop");
    document.addEventListener("dragover", (e) => { e.preventDefault(); drop.classList.add("over"); });
    document.addEventListener("dragleave", (e) => { if (!e.relatedTarget) drop.classList.remove("over"); });
    document.addEventListener("drop", (e) => {
      e.preventDefault();
      drop.classList.remove("over");
      const file = e.dataTransfer.files[0];
      if (!file) return;
      if (/^image\//.test(file.type) && s.beat) {
        $("picture").value = "image";
        openImage(file);
      } else openFile(file);
    });
    $("octave-half").onclick = () => { s.octave = -1; update(); };
    $("octave-found").onclick = () => { s.octave = 0; update(); };
    $("octave-double").onclick = () => { s.octave = 1; update(); };
    const nudge = $("nudge");
    const setNudge = (v) => {
      s.nudge = Math.max(-1000, Math.min(1000, Number.isFinite(v) ? v : 0));
      nudge.value = s.nudge;
      update();
    };
    nudge.onchange = () => setNudge(parseFloat(nudge.value));
    $("nudge-minus").onclick = () => setNudge(s.nudge - 10);
    $("nudge-plus").onclick = () => setNudge(s.nudge + 10);
    const fps = $("fps"), custom = $("fps-custom");
    fps.onchange = () => {
      custom.hidden = fps.value !== "custom";
      if (fps.value === "custom") {
        custom.focus();
        return;
      }
      s.fps = parseFps(fps.value);
      update();
    };
    custom.onchange = () => {
      const r = parseFps(custom.value);
      custom.classList.toggle("warn", !r);
      if (r) {
        s.fps = r;
        update();
      }
    };
    const song = $("song-frame");
    song.onchange = () => {
      const v = parseInt(song.value, 10);
      s.songFrame = Number.isFinite(v) ? Math.max(-100000, Math.min(100000, v)) : 0;
      song.value = s.songFrame;
      update();
    };
    $("play").onclick = () => (s.playing ? stop() : play());
    document.addEventListener("keydown", (e) => {
      // Space plays and stops, except while typing in a field.
      if (e.code !== "Space" || !s.editor || /^(INPUT|SELECT|TEXTAREA|BUTTON)$/.test(e.target.tagName)) return;
      e.preventDefault();
      if (s.playing) stop();
      else play();
    });
    $("song-level").oninput = levels;
    $("click-level").oninput = levels;
    $("zoom-in").onclick = () => zoom(0.5);
    $("zoom-out").onclick = () => zoom(2);
    $("zoom-all").onclick = () => setView(0, s.audio.duration);
    $("scroll").oninput = (e) => {
      const max = Math.max(0, s.audio.duration - s.view.span);
      setView(max * e.target.value / 1000, s.view.span);
    };
    wave.addEventListener("wheel", (e) => {
      if (!s.audio) return;
      e.preventDefault();
      if (e.ctrlKey || e.metaKey) zoom(e.deltaY > 0 ? 1.25 : 0.8);
      else setView(s.view.start + s.view.span * (e.deltaX + e.deltaY) / 1000, s.view.span);
    }, { passive: false });
    wave.onclick = (e) => {
      const r = wave.getBoundingClientRect();
      seek(s.view.start + s.view.span * (e.clientX - r.left) / r.width);
    };
    const picture = $("picture"), imageFile = $("image-file");
    picture.onchange = () => {
      if (picture.value === "card") useTestCard();
      else if (picture.value === "video" && s.video) useDrawable("video", s.video, s.video.videoWidth, s.video.videoHeight);
      else if (picture.value === "image") imageFile.click();
    };
    imageFile.onchange = (e) => { if (e.target.files[0]) openImage(e.target.files[0]); };
    for (const b of document.querySelectorAll("button.copy")) b.onclick = () => copy(b);
  }

  async function start() {
    applyLanguage();
    wire();
    s.worker = startWorker();
    s.host = await pulvaxWasmHost().instantiate(wasmBytes);
    useTestCard();
    document.body.dataset.ready = "1";
  }
  start().catch((e) => fail("wav_error", { file: "PULVAX", error: String(e.message || e) }));
})();
