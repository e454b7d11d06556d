// Times the WebAssembly library's text report of a folder of cards: the files are read
// into memory first, then two run()s are timed, the first of a fresh process (the
// engine still compiling the WebAssembly's hot code) and a second one. Writes the
// report to OUT and the two times in milliseconds to standard output.
//   node web-report.mjs MORNSTAVE.mjs FOLDER OUT
import { readdirSync, readFileSync, writeFileSync } from "node:fs";
import { basename, join } from "node:path";
import { pathToFileURL } from "node:url";

const [library, folder, out] = process.argv.slice(2);
const { default: createMornstave } = await import(pathToFileURL(library).href);
const mornstave = await createMornstave();
const name = basename(folder);
const files = {};
for (const file of readdirSync(folder)) files[`${name}/${file}`] = new Uint8Array(readFileSync(join(folder, file)));
const times = [];
for (let round = 0; round < 2; ++round) {
  const start = performance.now();
  const { stdout } = mornstave.run(["--encoding=cp932", name], files);
  times.push(Math.round(performance.now() - start));
  writeFileSync(out, stdout);
}
console.log(times.join(" "));
