// The beat page in the system's Chromium (headless), against the native tool:
// served from a loopback server this test starts, and once from file://.
// Opens generated songs (a WAV and an MP3 made by ffmpeg) through the file
// input, checks the values shown against `pulvax-run beat --json`, follows
// them through x2 and /2, the nudge, the frame rate and the song's start
// frame, plays muted and checks the preview advances (and shows the module's
// pixels), and switches to Japanese. Screenshots go to WORKDIR.
// Usage: node page_test.js PAGE-DIR MODULE.wasm PULVAX-RUN WORKDIR [--bench]
//   --bench: times a three-minute MP3 (decoding and analysis) and the
//   preview's frames at 640 x 360 instead.
"use strict";

const fs = require("fs");
const os = require("os");
const path = require("path");
const http = require("http");
const { execFileSync } = require("child_process");
const { chromium } = require("playwright-core");
const pulvaxWasmHost = require("../wasm_host.js");
const { songSamples, wavBytes } = require("./songs.js");
const { testArguments, check, run } = require("./checks.js");

const bench = process.argv.includes("--bench");
const [pageDir, wasmPath, runPath, workDir] = testArguments(4,
  "node page_test.js PAGE-DIR MODULE.wasm PULVAX-RUN WORKDIR [--bench]", ["--bench"]);

function serve(dir) {
  const types = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css" };
  const server = http.createServer((req, res) => {
    const name = path.normalize(decodeURIComponent(new URL(req.url, "http://x").pathname)).replace(/^[/\\]+/, "");
    const file = path.join(dir, name || "index.html");
    if (!file.startsWith(dir) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end();
      return;
    }
    res.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "pulvax-chromium-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: "/usr/bin/chromium",
    headless: true,
    locale: "en-US",
    viewport: { width: 1280, height: 1400 },
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--autoplay-policy=no-user-gesture-required"],
  });
  return { context, profile };
}

function makeSong(name, seconds, bpm) {
  const wav = path.join(workDir, name + ".wav");
  const mp3 = path.join(workDir, name + ".mp3");
  const samples = songSamples({ bpm, rate: 44100, seconds, firstS: 0.37 });
  fs.writeFileSync(wav, wavBytes(samples, 44100, 2, "pcm16"));
  execFileSync("ffmpeg", ["-v", "error", "-nostdin", "-y", "-i", wav, "-codec:a", "libmp3lame", "-b:a", "192k", mp3]);
  // At a rate the browser's decoder would convert, and 24 bits.
  const wav48 = path.join(workDir, name + "_48k.wav");
  fs.writeFileSync(wav48, wavBytes(songSamples({ bpm, rate: 48000, seconds, firstS: 0.37 }), 48000, 2, "pcm24"));
  return { wav, mp3, wav48 };
}

function nativeBeat(file, fps, nudge) {
  return JSON.parse(execFileSync(runPath, ["beat", file, "--json", "--fps", fps, "--beat-nudge", String(nudge || 0)],
    { encoding: "utf8" }));
}

async function openSong(page, file) {
  const before = await page.evaluate(() => window.pulvaxPage.stats.opened);
  await page.setInputFiles("#file", file);
  await page.waitForFunction((n) => window.pulvaxPage.stats.opened > n && !window.pulvaxPage.busy, before,
    { timeout: 30000 });
  check(!(await page.isHidden("#result")), path.basename(file) + ": no result shown");
}

// The same by dragging the file onto the page.
async function dropSong(page, file) {
  const before = await page.evaluate(() => window.pulvaxPage.stats.opened);
  const bytes = fs.readFileSync(file).toString("base64");
  await page.evaluate(([name, b64]) => {
    const bin = atob(b64), data = new Uint8Array(bin.length);
    for (let i = 0; i < bin.length; i++) data[i] = bin.charCodeAt(i);
    const transfer = new DataTransfer();
    transfer.items.add(new File([data], name, { type: "audio/wav" }));
    document.getElementById("drop").dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true }));
  }, [path.basename(file), bytes]);
  await page.waitForFunction((n) => window.pulvaxPage.stats.opened > n && !window.pulvaxPage.busy, before,
    { timeout: 30000 });
}

async function shown(page) {
  return page.evaluate(() => {
    const v = (id) => document.getElementById(id).textContent.trim();
    return { period: +v("v-period"), periodDiv: +v("v-period-div"), bpmX10: +v("v-bpm10"),
      startFrame: +v("v-start"), stretch: +v("v-stretch"), tempo: v("tempo") };
  });
}

function sameValues(got, native, what) {
  check(got.period === native.period && got.periodDiv === native.period_div && got.bpmX10 === native.bpm_x10 &&
    got.startFrame === native.start_frame,
  `${what}: shown ${JSON.stringify(got)}, native period ${native.period}/${native.period_div}, ` +
    `bpm*10 ${native.bpm_x10}, start ${native.start_frame}`);
}

// The editor's period and bpm*10 for a tempo, by hand: hundredths of a frame
// per beat, and ten times the tempo, to the nearest.
function octaveValues(bpm, fps) {
  return { period: Math.floor(fps * 60 / bpm * 100 + 0.5), bpmX10: Math.floor(bpm * 10 + 0.5) };
}

async function pageChecks(page, url, song, shots) {
  const errors = [];
  page.on("pageerror", (e) => errors.push(String(e)));
  await page.goto(url);
  await page.waitForSelector("body[data-ready]", { timeout: 20000 });
  check(await page.textContent("h1") === "PULVAX beat finder", "English from navigator.language");

  // The WAV: exactly the native values (dropped on the page opened from
  // file://), the finder's numbers to the last digit the tool prints.
  const wav = shots === "file" ? song.wav48 : song.wav;
  if (shots === "file") await dropSong(page, wav);
  else await openSong(page, wav);
  const native30 = nativeBeat(wav, "30");
  sameValues(await shown(page), native30, "WAV at 30 fps");
  const beat = await page.evaluate(() => window.pulvaxPage.beat);
  check(+beat[0].toPrecision(12) === native30.bpm && +beat[1].toPrecision(9) === native30.first_beat_s &&
    +beat[2].toPrecision(4) === native30.confidence, `${path.basename(wav)}: page's beat ${beat}, native ${JSON.stringify(native30)}`);
  await page.screenshot({ path: path.join(workDir, shots + "-wav.png"), fullPage: true });
  if (!bench && shots === "file") {
    check(errors.length === 0, "page errors: " + errors.join("; "));
    return;
  }

  // x2 and /2.
  for (const [button, alt] of [["#octave-double", native30.double], ["#octave-half", native30.half]]) {
    await page.click(button);
    const got = await shown(page), want = octaveValues(alt.bpm, 30);
    check(got.period === want.period && got.bpmX10 === want.bpmX10,
      `${button}: shown ${JSON.stringify(got)}, want ${JSON.stringify(want)}`);
  }
  await page.click("#octave-found");
  sameValues(await shown(page), native30, "back to the beat found");

  // Nudge +20 ms (twice +10), then typed -35 ms.
  await page.click("#nudge-plus");
  await page.click("#nudge-plus");
  sameValues(await shown(page), nativeBeat(song.wav, "30", 20), "nudge +20 ms");
  await page.fill("#nudge", "-35");
  await page.press("#nudge", "Enter");
  sameValues(await shown(page), nativeBeat(song.wav, "30", -35), "nudge -35 ms");
  await page.fill("#nudge", "0");
  await page.press("#nudge", "Enter");

  // Frame rates: from the list, and typed in.
  await page.selectOption("#fps", "30000/1001");
  sameValues(await shown(page), nativeBeat(song.wav, "30000/1001"), "29.97 fps");
  await page.selectOption("#fps", "60/1");
  const at60 = await shown(page);
  sameValues(at60, nativeBeat(song.wav, "60"), "60 fps");
  check(at60.stretch === 2, `伸縮F at 60 fps: ${at60.stretch} (want 2: 8 frames, 0.133 s)`);
  await page.selectOption("#fps", "custom");
  await page.fill("#fps-custom", "23.976");
  await page.press("#fps-custom", "Enter");
  sameValues(await shown(page), nativeBeat(song.wav, "23.976"), "23.976 fps typed");
  await page.selectOption("#fps", "30/1");
  check((await shown(page)).stretch === 1, "伸縮F at 30 fps: want 1 (4 frames, 0.133 s)");

  // The song later on the timeline: its beats move with it.
  await page.fill("#song-frame", "100");
  await page.press("#song-frame", "Enter");
  const later = await shown(page);
  check(later.startFrame === native30.start_frame + 100 && later.period === native30.period,
    `song at frame 100: 開始F ${later.startFrame}, want ${native30.start_frame + 100}`);
  await page.fill("#song-frame", "0");
  await page.press("#song-frame", "Enter");

  // Muted playback: the preview follows the song's frames.
  await page.evaluate(() => {
    for (const id of ["song-level", "click-level"]) {
      const el = document.getElementById(id);
      el.value = "0";
      el.dispatchEvent(new Event("input"));
    }
  });
  await page.click("#play");
  const frames = [], phases = new Set();
  for (let i = 0; i < 12; i++) {
    await page.waitForTimeout(120);
    const f = await page.getAttribute("#preview-info", "data-frame");
    frames.push(+f);
    phases.add(await page.getAttribute("#preview-info", "data-phase"));
  }
  await page.screenshot({ path: path.join(workDir, shots + "-playing.png"), fullPage: true });
  await page.click("#play");
  check(frames[frames.length - 1] - frames[0] >= 20, "preview frames while playing: " + frames.join(" "));
  check(phases.size >= 2, "phases seen while playing: " + [...phases].join(" "));

  // The preview shows the module's pixels for the frame, in the phase the
  // filter gives it, at a frame of every phase.
  const host = await pulvaxWasmHost().instantiate(fs.readFileSync(wasmPath));
  for (const rate of [30, 60]) {
    await page.selectOption("#fps", rate + "/1");
    const v = await shown(page);
    for (let want = 0; want <= 4; want++) {
      let frame = 0;
      while (frame < 100 && host.framePhase(v.period, v.periodDiv, v.stretch, v.startFrame, frame) !== want) frame++;
      await page.evaluate((t) => window.pulvaxPage.seek(t), (frame + 0.5) / rate);
      const card = await page.evaluate(() => {
        const c = document.getElementById("preview");
        const info = document.getElementById("preview-info");
        return { frame: +info.dataset.frame, phase: +info.dataset.phase,
          rgba: Array.from(c.getContext("2d").getImageData(0, 0, c.width, c.height).data), w: c.width, h: c.height };
      });
      check(card.frame === frame && card.phase === want, `preview at frame ${frame}: frame ${card.frame}, phase ${card.phase}`);
      const pic = host.picture(card.w, card.h);
      pic.setTestCard(frame % 120);
      pic.render(want, card.w >> 1, card.h >> 1);
      const rgba = pic.rgba();
      pic.free();
      let diff = 0;
      for (let i = 0; i < rgba.length; i++) if (rgba[i] !== card.rgba[i]) diff++;
      check(card.w === 512 && diff === 0, `${rate} fps, preview of frame ${frame} (phase ${want}): ${diff} bytes differ`);
    }
  }
  await page.selectOption("#fps", "30/1");

  // Japanese.
  await page.click("#language");
  check(await page.textContent("h1") === "PULVAX ビート検出", "Japanese title");
  check((await page.textContent("#values")).includes("周期div") &&
    (await page.textContent("h2")) === "PULVAX に入れる値", "Japanese labels");
  check((await page.textContent("#play")) === "再生", "Japanese play button");
  check((await page.textContent("#preview-info")).startsWith("フレーム"), "Japanese preview line");
  await page.screenshot({ path: path.join(workDir, shots + "-ja.png"), fullPage: true });
  await page.click("#language");

  // The MP3, decoded by the browser: the native tool reads it through FFmpeg.
  await openSong(page, song.mp3);
  const mp3 = await shown(page), nativeMp3 = nativeBeat(song.mp3, "30");
  check(mp3.period === nativeMp3.period && mp3.bpmX10 === nativeMp3.bpm_x10 &&
    Math.abs(mp3.startFrame - nativeMp3.start_frame) <= 1,
  `MP3: shown ${JSON.stringify(mp3)}, native ${nativeMp3.period} ${nativeMp3.bpm_x10} ${nativeMp3.start_frame}`);
  await page.screenshot({ path: path.join(workDir, shots + "-mp3.png"), fullPage: true });

  // A picture of the user's: scaled to fit the preview, the reference point
  // at its centre.
  const png = path.join(workDir, "picture.png");
  execFileSync("ffmpeg", ["-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i", "testsrc=size=1000x1000", "-frames:v", "1", png]);
  await page.setInputFiles("#image-file", png);
  await page.waitForFunction(() => document.getElementById("preview").width === 360, null, { timeout: 10000 });
  check(await page.textContent("#v-ref-x") === "500" && await page.textContent("#v-ref-y") === "500", "picture's centre");

  // A video: its sound gives the beat, one of its frames the preview.
  const webm = path.join(workDir, "clip.webm");
  execFileSync("ffmpeg", ["-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i", "testsrc=size=800x450:rate=30",
    "-i", song.wav, "-t", "12", "-c:v", "libvpx", "-b:v", "400k", "-c:a", "libopus", webm]);
  await openSong(page, webm);
  await page.waitForFunction(() => document.getElementById("picture").value === "video", null, { timeout: 10000 });
  const clip = await shown(page), nativeClip = nativeBeat(webm, "30");
  check(clip.period === nativeClip.period && clip.bpmX10 === nativeClip.bpm_x10 &&
    Math.abs(clip.startFrame - nativeClip.start_frame) <= 1,
  `video: shown ${JSON.stringify(clip)}, native ${nativeClip.period} ${nativeClip.bpm_x10} ${nativeClip.start_frame}`);
  check(await page.evaluate(() => document.getElementById("preview").width) === 640 &&
    await page.textContent("#v-ref-x") === "400" && await page.textContent("#v-ref-y") === "225", "video frame's size");
  await page.screenshot({ path: path.join(workDir, shots + "-video.png"), fullPage: true });

  // Files without a beat: a message each, and the page goes on working.
  const silence = path.join(workDir, "silence.wav");
  fs.writeFileSync(silence, wavBytes(new Float64Array(44100 * 8), 44100, 1, "pcm16"));
  const cut = path.join(workDir, "cut.wav");
  fs.writeFileSync(cut, fs.readFileSync(song.wav).subarray(0, 30));
  const cutMessage = host.readWav(new Uint8Array(fs.readFileSync(cut))).error;
  for (const [file, words] of [[silence, "no steady beat"], [cut, cutMessage]]) {
    const before = await page.evaluate(() => window.pulvaxPage.stats.failed);
    await page.setInputFiles("#file", file);
    await page.waitForFunction((n) => window.pulvaxPage.stats.failed > n, before, { timeout: 20000 });
    const status = await page.textContent("#status");
    check(status === path.basename(file) + ": " + words || (file === silence && status.includes(words)), "message: " + status);
    check(await page.isHidden("#result"), "the last song's values still shown under: " + status);
  }
  await page.screenshot({ path: path.join(workDir, shots + "-error.png"), fullPage: true });

  // Not a song at all.
  const junk = path.join(workDir, "junk.mp3");
  fs.writeFileSync(junk, "not a song");
  await page.setInputFiles("#file", junk);
  await page.waitForFunction(() => document.getElementById("status").classList.contains("error"), null, { timeout: 20000 });
  check(errors.length === 0, "page errors: " + errors.join("; "));
}

async function benchmarks(page, url) {
  const long = makeSong("three_minutes", 180, 128);
  await page.goto(url);
  await page.waitForSelector("body[data-ready]", { timeout: 20000 });
  // As long as a user takes to pick a file: the browser finishes compiling
  // the module's optimised code in the meantime.
  await page.waitForTimeout(3000);
  for (let i = 0; i < 3; i++) {
    await openSong(page, long.mp3);
    const t = await page.evaluate(() => window.pulvaxPage.stats.timings);
    console.log(`3-minute MP3, run ${i + 1}: ${(t.totalMs / 1000).toFixed(2)} s ` +
      `(decoding ${(t.decodeMs / 1000).toFixed(2)} s, analysis ${(t.analyseMs / 1000).toFixed(2)} s)`);
  }
  const ms = await page.evaluate(() => window.pulvaxPage.benchPreview(640, 360, 120));
  console.log(`preview 640x360: ${ms.toFixed(2)} ms a frame (${(1000 / ms).toFixed(0)} frames per second)`);
}

run(async () => {
  const server = await serve(path.resolve(pageDir));
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const { context, profile } = await launch();
  try {
    const page = context.pages()[0] || await context.newPage();
    if (bench) {
      await benchmarks(page, url);
    } else {
      const song = makeSong("song", 30, 128);
      await pageChecks(page, url, song, "server");
      await pageChecks(await context.newPage(), "file://" + path.resolve(pageDir, "index.html"), song, "file");
      // A browser set to Japanese opens the page in Japanese.
      const ja = await context.newPage();
      await ja.addInitScript(() => Object.defineProperty(navigator, "language", { get: () => "ja-JP" }));
      await ja.goto(url);
      await ja.waitForSelector("body[data-ready]", { timeout: 20000 });
      check(await ja.textContent("h1") === "PULVAX ビート検出", "Japanese from navigator.language");
    }
  } finally {
    await context.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}, () => (bench ? "" : "page: values, playback, preview and languages as the native tools give them (server and file://)"));
