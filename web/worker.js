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
      // Many reads at once: one after another, each would wait on the browser.
      const chosen = event.data.files;
      files = new Map();
      for (let first = 0; first < chosen.length; first += 1000) {
        const some = chosen.slice(first, first + 1000);
        const contents = await Promise.all(some.map(([, file]) => file.arrayBuffer()));
        some.forEach(([path], i) => files.set(path, new Uint8Array(contents[i])));
        self.postMessage({ id, progress: files.size });
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
