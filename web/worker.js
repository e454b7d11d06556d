// The page's worker: holds the chosen files and runs the library over them, so that
// the page stays responsive however many cards there are. Appended to the library's
// source in one classic worker.
const ready = createMornstave();
let files = new Map();

self.onmessage = async (event) => {
  const { id, kind } = event.data;
  try {
    const mornstave = await ready;
    if (kind === "files") {
      const reader = new FileReaderSync();
      files = new Map();
      for (const [path, file] of event.data.files) {
        files.set(path, new Uint8Array(reader.readAsArrayBuffer(file)));
        if (files.size % 500 === 0) self.postMessage({ id, progress: files.size });
      }
      self.postMessage({ id });
      return;
    }
    const result = mornstave.run(event.data.args, files);
    self.postMessage({ id, result }, [result.stdout.buffer, result.stderr.buffer]);
  } catch (error) {
    self.postMessage({ id, error: String(error && error.message ? error.message : error) });
  }
};
