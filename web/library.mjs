// Mornstave as an ES module for Node 18+ and browsers: the console program compiled
// to WebAssembly, the wasm carried inline so that nothing is fetched.
//
//   import createMornstave from "./mornstave.mjs";
//   const mornstave = await createMornstave();
//   const { status, stdout, stderr } = mornstave.run(["--format=json", "scenario"], files);
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

export default async function createMornstave() {
  const module = await createMornstaveModule({ wasmBinary: decodeBase64(wasmBase64), print() {}, printErr() {} });
  const FS = module.FS;
  const root = "/run";

  function removeTree(path) {
    for (const name of FS.readdir(path)) {
      if (name === "." || name === "..") continue;
      const child = `${path}/${name}`;
      if (FS.isDir(FS.lstat(child).mode)) removeTree(child);
      else FS.unlink(child);
    }
    FS.rmdir(path);
  }

  // Every call starts from an empty folder holding only the given files, which is
  // removed again whatever happens: no call sees another's files.
  function run(args, files = {}) {
    if (!Array.isArray(args) || !args.every((arg) => typeof arg === "string")) {
      throw new TypeError("mornstave.run: args must be an array of strings");
    }
    const entries = files instanceof Map ? [...files] : Object.entries(files);
    FS.mkdir(root);
    try {
      const folders = new Set([root]);
      for (const [path, bytes] of entries) {
        const parts = partsOf(path);
        if (!(bytes instanceof Uint8Array)) throw new TypeError(`mornstave.run: ${path} is not a Uint8Array`);
        let folder = root;
        for (const part of parts.slice(0, -1)) {
          folder += `/${part}`;
          if (!folders.has(folder)) {
            FS.mkdir(folder);
            folders.add(folder);
          }
        }
        FS.writeFile(`${root}/${path}`, bytes, { canOwn: true });  // read only: no copy needed
      }
      FS.chdir(root);
      return module.runCommandLine(args);
    } catch (error) {
      if (error instanceof FS.ErrnoError) throw new TypeError(`mornstave.run: the files do not form a tree (${error.code})`);
      throw error;
    } finally {
      FS.chdir("/");
      removeTree(root);
    }
  }

  return { run };
}
