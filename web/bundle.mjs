// Assembles build-web/mornstave.mjs (the emscripten module, its wasm inline, and the
// run() wrapper) and build-web/mornstave.html (the page, with the library and its
// worker inline and a policy that admits only its own scripts).
//   node bundle.mjs MODULE.js MODULE.wasm SUMMARY-PAGE.html OUTDIR
import { createHash } from "node:crypto";
import { readFileSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const [glueFile, wasmFile, summaryPageFile, outDir] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const read = (name) => readFileSync(join(here, name), "utf8");
// Replaced by function so that "$" in the inserted text stays as it is.
const fill = (text, mark, value) => {
  if (!text.includes(mark)) throw new Error(`bundle: ${mark} missing`);
  return text.replace(mark, () => value);
};

const library = fill(fill(read("library.mjs"), "/*@GLUE@*/", readFileSync(glueFile, "utf8")),
  "@WASM_BASE64@", readFileSync(wasmFile).toString("base64"));
writeFileSync(join(outDir, "mornstave.mjs"), library);

// Inside a script element "<" may only appear escaped, so no "</script>" ends it early.
const scriptString = (text) => JSON.stringify(text).replace(/</g, "\\u003c");
const hash = (script) => `'sha256-${createHash("sha256").update(script, "utf8").digest("base64")}'`;
// The worker is a classic one (a module worker cannot start from a file:// page), so
// the library's export becomes a plain declaration there.
const workerSource = fill(library, "export default async function", "async function") + "\n" + read("worker.js");
// The page shows the summary in the summary page itself, with the library's summary
// JSON where the console writes it and no report blocks: the page's text before and
// after the summary's place.
const summaryPage = readFileSync(summaryPageFile, "utf8");
const [beforeBlocks, afterBlocks] = summaryPage.split("<!--@BLOCKS@-->");
const [betweenMarks, afterSummary] = (afterBlocks || "").split("<!--@SUMMARY@-->");
if (afterSummary === undefined) throw new Error("bundle: the summary page's marks missing");
const summaryParts = [beforeBlocks + betweenMarks, afterSummary];
const appScript = `\n"use strict";\nconst workerSource = ${scriptString(workerSource)};\n` +
  `const summaryPageParts = ${JSON.stringify(summaryParts).replace(/</g, "\\u003c")};\n${read("app.js")}`;
// The summary page runs in a frame of this page and so under its policy: its script's
// hash is admitted too.
const summaryScripts = [...summaryPage.matchAll(/<script>([\s\S]*?)<\/script>/g)].map((m) => m[1]);
const policy = [
  "default-src 'none'",
  `script-src ${[appScript, ...summaryScripts].map(hash).join(" ")} 'wasm-unsafe-eval'`,
  "worker-src blob:",
  "style-src 'unsafe-inline'",
  "img-src data:",
  "connect-src 'none'",
  "base-uri 'none'",
].join("; ");
writeFileSync(join(outDir, "mornstave.html"), fill(fill(read("app.html"), "@POLICY@", policy), "/*@SCRIPT@*/", appScript));
