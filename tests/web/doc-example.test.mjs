// The Node example of docs/web.md, taken from the page as a user copies it, run with
// the built library on the folder typed the ways users type it and on a folder with
// subfolders, a broken card and a card without an estimate.
//
//   node doc-example.test.mjs MORNSTAVE.mjs EXAMPLES DOCS/web.md

import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";

const [library, examples, page] = process.argv.slice(2).map((p) => path.resolve(p));

// The indented block under the example's heading, up to the next unindented text.
const lines = fs.readFileSync(page, "utf8").split("\n");
const start = lines.findIndex((line) => line.startsWith("    // node report.mjs"));
assert.ok(start > 0, "the example is in the page");
const block = [];
for (const line of lines.slice(start)) {
  if (line !== "" && !line.startsWith("    ")) break;
  block.push(line.slice(4));
}
const imported = '"./build-web/mornstave.mjs"';
const source = block.join("\n");
assert.ok(source.includes(imported), "the example imports the built library");

const work = fs.mkdtempSync(path.join(os.tmpdir(), "mornstave-doc-example-"));
try {
  fs.writeFileSync(path.join(work, "report.mjs"), source.replace(imported, JSON.stringify(pathToFileURL(library).href)));
  fs.cpSync(examples, path.join(work, "examples"), { recursive: true });
  // A scenario with subfolders: a card two levels down, one cut short, another file.
  const scenario = path.join(work, "シナリオ");
  fs.mkdirSync(path.join(scenario, "part 2", "deep"), { recursive: true });
  fs.copyFileSync(path.join(examples, "skill7.vnt"), path.join(scenario, "part 2", "deep", "Skill7.VNT"));
  fs.copyFileSync(path.join(examples, "skill1.vnt"), path.join(scenario, "skill1.vnt"));
  fs.writeFileSync(path.join(scenario, "part 2", "skill2.vnt"), fs.readFileSync(path.join(examples, "skill2.vnt")).subarray(0, 40));
  fs.writeFileSync(path.join(scenario, "part 2", "notes.txt"), "not a card");

  const report = (folder) => {
    const result = spawnSync("node", ["report.mjs", folder], { cwd: work, encoding: "utf8", timeout: 60000 });
    assert.equal(result.status, 0, `${folder}: ${result.stderr}`);
    assert.ok(!result.stdout.includes("undefined"), `${folder}: ${result.stdout}`);
    return result.stdout;
  };

  const expected = report("examples");
  const shown = expected.trimEnd().split("\n");
  assert.equal(shown.length, 7);
  assert.equal(shown[0], "examples/skill1.vnt 3 3.6124107142857147");  // as the page says
  assert.equal(shown[6], "examples/skill7.vnt 9 -");
  for (const typed of ["examples/", "./examples", "./examples/", path.join(work, "examples")]) {
    assert.equal(report(typed), expected, typed);
  }

  // A folder's own cards first, then each subfolder; a card cut short is an I/O error.
  assert.deepEqual(report(scenario).trimEnd().split("\n"), [
    "シナリオ/skill1.vnt 3 3.6124107142857147",
    "シナリオ/part 2/skill2.vnt I/O例外",
    "シナリオ/part 2/deep/Skill7.VNT 9 -",
  ]);
  console.log("PASS the Node example of docs/web.md");
} catch (error) {
  console.log(`FAIL the Node example of docs/web.md: ${error.message}`);
  process.exitCode = 1;
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}
