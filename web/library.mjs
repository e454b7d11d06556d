// Mornstave as an ES module for Node 18+ and browsers: the console program compiled
// to WebAssembly, the wasm carried inline so that nothing is fetched.
//
//   import createMornstave from "./mornstave.mjs";
//   const mornstave = await createMornstave();
//   const { status, stdout, stderr } = mornstave.run(["--format=json", "scenario"], files);
//   const { report } = mornstave.advisedReport("scenario/skill1.vnt", 0, files);
//
// files maps relative paths ("scenario/skill1.vnt") to Uint8Arrays; stdout and stderr
// are Uint8Arrays with exactly the bytes the console program writes for that tree.

/*@GLUE@*/

const wasmBase64 = "@WASM_BASE64@";

function decodeBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// A path the console would see as one file below the run's folder, or a TypeError.
function partsOf(path) {
  const parts = typeof path === "string" ? path.split("/") : [];
  if (parts.length === 0 || parts.some((part) => part === "" || part === "." || part === "..")) {
    throw new TypeError(`mornstave.run: not a relative file path: ${JSON.stringify(path)}`);
  }
  return parts;
}

// What run() throws when the WebAssembly memory cannot hold a run's work or output:
// a RangeError, with outOfMemory set. The instance stays usable for smaller runs.
class OutOfMemory extends RangeError {
  constructor() {
    super("mornstave.run: the WebAssembly memory ran out (a card or the output is too large)");
    this.outOfMemory = true;
  }
}

export default async function createMornstave() {
  const module = await createMornstaveModule({ wasmBinary: decodeBase64(wasmBase64), print() {}, printErr() {} });
  const FS = module.FS;
  const MEMFS = FS.filesystems.MEMFS;
  const root = "/run";
  // The given files are read-only (their contents are the caller's arrays); folders
  // take new files, so that -o FILE works, though the file is gone after the call.
  const fileMode = 0o100444;
  const folderMode = 0o40755;

  // The files go in as nodes of an in-memory file system mounted for the call: no path
  // is resolved for them, and the contents are the caller's arrays, not copies (the
  // program only reads them). Unmounting drops the whole tree at once.
  function plant(top, entries) {
    const folders = new Map([["", top]]);
    for (const [path, bytes] of entries) {
      const parts = partsOf(path);
      if (!(bytes instanceof Uint8Array)) throw new TypeError(`mornstave.run: ${path} is not a Uint8Array`);
      let folder = top;
      for (let i = 0; i < parts.length - 1; ++i) {
        const key = parts.slice(0, i + 1).join("/");
        let next = folders.get(key);
        if (!next) {
          if (parts[i] in folder.contents) throw new TypeError(`mornstave.run: ${key} is both a file and a folder`);
          next = MEMFS.createNode(folder, parts[i], folderMode, 0);
          folders.set(key, next);
        }
        folder = next;
      }
      const name = parts[parts.length - 1];
      if (name in folder.contents) throw new TypeError(`mornstave.run: ${path} is given twice or is also a folder`);
      const node = MEMFS.createNode(folder, name, fileMode, 0);
      node.contents = bytes;
      node.usedBytes = bytes.length;
    }
  }

  // The given files in their own folder for one call of the module, which is also
  // handed them by path.
  function within(files, call) {
    const entries = files instanceof Map ? [...files] : Object.entries(files);
    const byPath = files instanceof Map ? files : new Map(entries);
    FS.mkdir(root);
    FS.mount(MEMFS, {}, root);
    try {
      plant(FS.lookupPath(root).node, entries);
      FS.chdir(root);
      const result = call(byPath);
      if (result.outOfMemory) throw new OutOfMemory();
      return result;
    } finally {
      FS.chdir("/");
      FS.unmount(root);
      FS.rmdir(root);
    }
  }

  // The summary alone, for a front end's own list: its JSON (rows, failures, totals)
  // as the summary member of `--summary --format=json` writes it, without the cards'
  // entries. Folders are walked with their subfolders.
  function summary(paths, files = {}, { order = "difference" } = {}) {
    if (!Array.isArray(paths) || !paths.every((path) => typeof path === "string")) {
      throw new TypeError("mornstave.summary: paths must be an array of strings");
    }
    if (!["difference", "level", "estimate", "path"].includes(order)) {
      throw new TypeError(`mornstave.summary: no order ${JSON.stringify(order)}`);
    }
    return within(files, (byPath) => module.summaryJson(paths, order, byPath)).json;
  }

  // The report block of the card at path changed by its piece of advice number index
  // (from 0, in the order of its JSON entry's advice), as the text report writes a
  // card's block in UTF-8: {report} with its bytes, or {error} for a card that cannot
  // be read or has no such advice ({error, adviceCount}).
  function advisedReport(path, index, files = {}) {
    if (typeof path !== "string") throw new TypeError("mornstave.advisedReport: path must be a string");
    if (!Number.isSafeInteger(index)) throw new TypeError("mornstave.advisedReport: index must be an integer");
    // Beyond the module's int every index is past the card's advice as well.
    const asked = Math.max(-1, Math.min(index, 0x7fffffff));
    const result = within(files, () => module.advisedReport(path, asked));
    if (result.adviceCount !== undefined) {
      return { error: `mornstave.advisedReport: ${path} has no advice ${index} (it has ${result.adviceCount})`,
               adviceCount: result.adviceCount };
    }
    return result.error !== undefined ? { error: result.error } : { report: result.report };
  }

  // Every call starts from an empty folder holding only the given files, which is
  // removed again whatever happens: no call sees another's files.
  function run(args, files = {}) {
    if (!Array.isArray(args) || !args.every((arg) => typeof arg === "string")) {
      throw new TypeError("mornstave.run: args must be an array of strings");
    }
    return within(files, (byPath) => module.runCommandLine(args, byPath));
  }

  return { run, summary, advisedReport };
}
