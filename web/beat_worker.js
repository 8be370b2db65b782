// The beat Worker's body, started from its own source text (a page opened
// from file:// may not start a Worker from a file): it takes the module's
// bytes once, then songs, and answers each with the beat found.
//   in:  {type: "init", wasm}                 out: {type: "ready"}
//        {type: "wav", bytes}                 out: {type: "stage", stage: "analysing"},
//        {type: "samples", samples, rate}          {type: "done", found, beat, onsets, samples?, rate?, ms}
//                                                  or {type: "error", error}
function pulvaxBeatWorker(pulvaxWasmHost) {
  "use strict";
  let ready = null;
  self.onmessage = async (event) => {
    const m = event.data;
    try {
      if (m.type === "init") {
        ready = pulvaxWasmHost().instantiate(m.wasm);
        await ready;
        self.postMessage({ type: "ready" });
        return;
      }
      const host = await ready;
      let samples = m.samples, rate = m.rate;
      const reply = { type: "done" };
      if (m.type === "wav") {
        const wav = host.readWav(new Uint8Array(m.bytes));
        if (wav.error) {
          self.postMessage({ type: "error", error: wav.error });
          return;
        }
        samples = wav.samples;
        rate = wav.rate;
        reply.samples = samples;
        reply.rate = rate;
      }
      self.postMessage({ type: "stage", stage: "analysing" });
      const t0 = performance.now();
      reply.found = host.findBeat(samples, rate);
      reply.ms = performance.now() - t0;
      reply.beat = host.getBeat();
      reply.onsets = host.onsets();
      self.postMessage(reply, reply.samples ? [reply.samples.buffer] : []);
    } catch (e) {
      self.postMessage({ type: "error", error: String(e && e.message || e) });
    }
  };
}
