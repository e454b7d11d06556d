// The page's worker: holds the chosen files and runs the library over them, so that
// the page stays responsive however many cards there are. Appended to the library's
// source in one classic worker.
const ready = createMornstave();
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
    const result = mornstave.run(event.data.args, files);
    self.postMessage({ id, result }, [result.stdout.buffer, result.stderr.buffer]);
  } catch (error) {
    self.postMessage({ id, error: String(error && error.message ? error.message : error) });
  }
};
