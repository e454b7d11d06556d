// The page's worker: holds the chosen files and runs the library over them, so that
// the page stays responsive however many cards there are. Appended to the library's
// source in one classic worker.
let ready = createMornstave();
let files = new Map();

self.onmessage = async (event) => {
  const { id, kind } = event.data;
  try {
    const mornstave = await ready;
    if (kind === "clear") {
      files = new Map();
      self.postMessage({ id });
      return;
    }
    // Files read together: one buffer, each file a view of its part.
    if (kind === "add") {
      const { bytes, paths, sizes } = event.data;
      let offset = 0;
      paths.forEach((path, i) => {
        files.set(path, new Uint8Array(bytes, offset, sizes[i]));
        offset += sizes[i];
      });
      self.postMessage({ id });
      return;
    }
    // A run (or a summary, whose args are the paths, or a changed card's report) may
    // leave out files the page knows to be too large for it.
    const { args, without = [] } = event.data;
    let given = files;
    if (without.length) {
      given = new Map(files);
      for (const path of without) given.delete(path);
    }
    if (kind === "summary") {
      const json = mornstave.summary(args, given);
      self.postMessage({ id, result: json }, [json.buffer]);
      return;
    }
    if (kind === "advised") {
      const result = mornstave.advisedReport(event.data.path, event.data.index, given);
      self.postMessage({ id, result }, result.report ? [result.report.buffer] : []);
      return;
    }
    const result = mornstave.run(args, given);
    self.postMessage({ id, result }, [result.stdout.buffer, result.stderr.buffer]);
  } catch (error) {
    const outOfMemory = Boolean(error && error.outOfMemory) || error instanceof RangeError;
    // Anything but the library's own report of memory may have left the instance
    // half-way through a run: the next request gets a new one.
    if (!(error && error.outOfMemory)) ready = createMornstave();
    self.postMessage({ id, error: String(error && error.message ? error.message : error), outOfMemory });
  }
};
