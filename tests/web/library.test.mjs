// The WebAssembly library against the native console program: for the example cards,
// a generated tree with its odd files and cards of extreme numbers (integers beyond
// 2^53, where the shortest digits and the exact ones differ), run() gives the native
// program's status, standard output and standard error byte for byte, for every form
// of output, and summary() the native JSON summary's summary alone; advisedReport()
// gives the block of an example changed by its advice, with the advice's estimate,
// and an error past its advice; each call sees only its own files; bad file maps are
// refused.
//
//   node library.test.mjs MORNSTAVE.mjs MORNSTAVE BENCHDATA EXAMPLES

import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";

const [library, mornstave, benchdata, examples] = process.argv.slice(2).map((p) => path.resolve(p));
const { default: createMornstave } = await import(pathToFileURL(library).href);
const web = await createMornstave();

// Every file below folder, keyed by its path relative to base.
function filesOf(base, folder, files = {}) {
  for (const entry of fs.readdirSync(path.join(base, folder), { withFileTypes: true })) {
    const relative = `${folder}/${entry.name}`;
    if (entry.isDirectory()) filesOf(base, relative, files);
    else files[relative] = new Uint8Array(fs.readFileSync(path.join(base, relative)));
  }
  return files;
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), "mornstave-web-"));
let failed = 0;
try {
  fs.cpSync(examples, path.join(work, "examples"), { recursive: true });
  execFileSync(benchdata, ["tree", path.join(work, "cards"), "300", "--oddities"]);
  execFileSync(benchdata, ["numbers", path.join(work, "numbers")]);
  const files = { ...filesOf(work, "examples"), ...filesOf(work, "cards"), ...filesOf(work, "numbers") };
  // The numbers cards must hold what they are for, or their cases prove nothing.
  const numbersJson = spawnSync(mornstave, ["--format=json", "numbers"], { cwd: work, maxBuffer: 1 << 30 }).stdout.toString();
  const bigIntegers = numbersJson.match(/-?\d{17,}(?![.e\d])/g) || [];
  assert.ok(bigIntegers.some((digits) => !digits.endsWith("00")), "numbers cards with exact integers beyond 2^53");

  const cases = [
    ["--encoding=cp932", "-r", "examples", "cards", "missing.vnt"],
    ["-r", "cards"],
    ["--format=json", "-r", "examples", "cards", "missing.vnt"],
    ["--summary", "--format=csv", "-r", "examples", "cards"],
    ["--summary", "--format=csv", "--encoding=cp932", "--sort=level", "-r", "cards"],
    ["--summary", "--sort=estimate", "-r", "examples", "cards"],
    ["--summary", "--format=html", "-r", "examples", "cards"],
    ["--explain", "--encoding=cp932", "-r", "examples", "cards"],
    ["--explain", "-r", "cards"],
    ["numbers"],
    ["--format=json", "numbers"],
    ["--summary", "--format=json", "--sort=difference", "numbers"],
    ["--summary", "--format=csv", "--sort=estimate", "numbers"],
    ["--summary", "--format=html", "numbers"],
    [],
    ["--format=yaml", "examples"],
    ["--summary", "-o", "cards/summary.csv", "-r", "cards"],  // last: the native one leaves the file
  ];
  for (const args of cases) {
    // The native program under a UTF-8 locale, in the folder the files are relative to.
    const native = spawnSync(mornstave, args, { cwd: work, env: { ...process.env, LC_ALL: "C.UTF-8" },
                                                maxBuffer: 1 << 30 });
    const result = web.run(args, files);
    try {
      assert.equal(result.status, native.status, "status");
      assert.ok(Buffer.from(result.stdout).equals(native.stdout), "standard output");
      assert.ok(Buffer.from(result.stderr).equals(native.stderr), "standard error");
    } catch (error) {
      failed += 1;
      console.error(`library: ${JSON.stringify(args)}: ${error.message}`);
    }
  }

  // summary(): the summary member of the native JSON summary, byte for byte, alone.
  for (const [paths, order] of [[["examples", "cards", "missing.vnt"], "difference"], [["numbers"], "estimate"]]) {
    const native = spawnSync(mornstave, ["--summary", "--format=json", `--sort=${order}`, "-r", ...paths],
                             { cwd: work, maxBuffer: 1 << 30 }).stdout.toString();
    const member = native.slice(native.lastIndexOf(',"summary":') + ',"summary":'.length, -2) + "\n";
    try {
      assert.equal(Buffer.from(web.summary(paths, files, { order })).toString(), member);
    } catch (error) {
      failed += 1;
      console.error(`library: summary ${JSON.stringify(paths)}: ${error.message.slice(0, 400)}`);
    }
  }

  // advisedReport(): each example's every piece of advice gives the block of that card
  // changed, as the report writes a block: its header, the description with as many
  // lines as the card's less the motions removed, and the advice's estimate on the
  // level line (general notation, three digits). A number past the advice, a card
  // without advice and a card that cannot be read give an error instead.
  try {
    const examplePaths = Object.keys(files).filter((p) => p.startsWith("examples/") && p.endsWith(".vnt")).sort();
    const entries = JSON.parse(Buffer.from(web.run(["--format=json", "--advise", ...examplePaths], files).stdout)).cards;
    let pieces = 0;
    for (const entry of entries) {
      const own = Buffer.from(web.run(["--", entry.path], files).stdout).toString();
      entry.advice.forEach((piece, index) => {
        pieces += 1;
        const { report, error } = web.advisedReport(entry.path, index, files);
        assert.equal(error, undefined, `${entry.path} ${index}: ${error}`);
        const block = Buffer.from(report).toString();
        const removed = piece.changes.filter((change) => change.to === null).length;
        assert.ok(block.startsWith(`[${entry.path}]\n`) && block.endsWith("\n\n"), `${entry.path} ${index}: a block`);
        assert.equal(block.split("\n").length, own.split("\n").length - removed, `${entry.path} ${index}: its lines`);
        const level = String(Number(piece.estimate.toPrecision(3)));
        assert.ok(block.includes(`\nlevel: ${level}\n`), `${entry.path} ${index}: level ${level} in\n${block}`);
      });
      const past = web.advisedReport(entry.path, entry.advice.length, files);
      assert.ok(past.report === undefined && past.adviceCount === entry.advice.length, `${entry.path}: past its advice`);
    }
    assert.ok(pieces > 6 && entries.some((entry) => entry.advice.length === 0), "examples with and without advice");
    assert.equal(web.advisedReport("examples/skill1.vnt", -1, files).adviceCount, entries[0].advice.length);
    assert.deepEqual(web.advisedReport("missing.vnt", 0, files), { error: "開けません" });
    assert.throws(() => web.advisedReport("examples/skill1.vnt", 0.5, files), TypeError);
  } catch (error) {
    failed += 1;
    console.error(`library: advisedReport: ${error.message.slice(0, 2000)}`);
  }

  // Nothing stays from one call to the next; a file map that is not a tree of
  // relative paths is refused and leaves nothing behind either.
  const again = web.run(["examples/skill1.vnt"], {});
  assert.equal(Buffer.from(again.stderr).toString(), "examples/skill1.vnt: 開けません\n");
  for (const bad of [{ "../skill1.vnt": files["examples/skill1.vnt"] }, { "/skill1.vnt": new Uint8Array(1) },
                     { "a//skill1.vnt": new Uint8Array(1) }, { "a": new Uint8Array(1), "a/skill1.vnt": new Uint8Array(1) },
                     { "skill1.vnt": "text" }]) {
    assert.throws(() => web.run(["-r", "."], bad), TypeError);
  }
  assert.equal(web.run(["-r", "."], {}).stdout.length, 0);
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}
if (failed) process.exit(1);
console.log("library: every run as the native program's");
