// Times the WebAssembly library's text report of a folder of cards: the files are read
// into memory first, then one run() (the first of a fresh process) is timed. Writes
// the report to OUT and the milliseconds to standard output.
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
const start = performance.now();
const { stdout } = mornstave.run(["--encoding=cp932", name], files);
const elapsed = performance.now() - start;
writeFileSync(out, stdout);
console.log(Math.round(elapsed));
