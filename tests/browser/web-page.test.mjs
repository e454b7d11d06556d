// The one-file page build-web/mornstave.html in Debian's headless Chromium, opened
// from disk: a generated folder goes in through its folder input; the table holds
// every card; a card opens with its report, and selecting a field highlights exactly
// its bytes; the broken card marks the byte where reading stopped; the JSON download
// is the native program's document; 比較 with a second version shows the comparison;
// a card of 8 MB nested to the depth bound leaves every other card shown and the page
// usable, and an example's first piece of advice shows the changed card's report
// beside its own; and no request leaves the page, no console error.
// Prints how long the page took to show the cards (a figure, not a check).
//
//   node web-page.test.mjs PAGE MORNSTAVE BENCHDATA EXAMPLES [CARDS] [SCREENSHOT.png]

import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { launchChromium } from "./chromium.mjs";

const [pageFile, mornstave, benchdata, examples] = process.argv.slice(2, 6).map((p) => path.resolve(p));
const cardCount = Number(process.argv[6] || 300);
const screenshot = process.argv[7] && path.resolve(process.argv[7]);
const stepTimeout = 120_000;
let browser;
const deadline = setTimeout(() => {
  console.error("web-page: timed out");
  browser?.process()?.kill("SIGKILL");
  process.exit(1);
}, 280_000);

const failures = [];
const check = (condition, what) => { if (!condition) failures.push(what); };
const work = fs.mkdtempSync(path.join(os.tmpdir(), "mornstave-web-page-"));
// The native program in the folder the page's paths are relative to.
const native = (...args) => execFileSync(mornstave, args, { cwd: work, env: { ...process.env, LC_ALL: "C.UTF-8" },
                                                          stdio: ["ignore", "pipe", "ignore"], maxBuffer: 1 << 30 });
try {
  const tree = path.join(work, "cards");
  execFileSync(benchdata, ["tree", tree, String(cardCount), "--oddities"]);
  const downloads = path.join(work, "downloads");
  browser = await launchChromium(path.join(work, "profile"), stepTimeout);
  const tab = await browser.newPage();
  tab.setDefaultTimeout(stepTimeout);
  await tab.setViewport({ width: 1400, height: 900 });
  const cdp = await browser.target().createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads, eventsEnabled: true });
  const problems = [];
  const requests = [];
  const url = pathToFileURL(pageFile).href;
  tab.on("console", (message) => { if (message.type() === "error") problems.push(message.text()); });
  tab.on("pageerror", (error) => problems.push(String(error)));
  // blob: URLs are the page's own objects in memory (its worker, a download).
  tab.on("request", (request) => { if (request.url() !== url && !request.url().startsWith("blob:")) requests.push(request.url()); });
  await tab.goto(url, { waitUntil: "load" });

  const started = Date.now();
  await (await tab.$("#pick-folder")).uploadFile(tree);
  await tab.waitForSelector("body[data-ready=true]");
  const frame = await (await tab.$("#summary")).contentFrame();
  await frame.waitForSelector("body[data-ready=true]");
  await tab.waitForFunction(() => window.mornstaveTimings.drawn);
  // The page's own moments, counted from the upload: the browser lists the folder's
  // files before the page sees any.
  const at = await tab.evaluate((started) => {
    const since = (moment) => Math.round(moment + performance.timeOrigin - started);
    const { chosen, read, analysed, drawn } = window.mornstaveTimings;
    return { chosen: since(chosen), read: since(read), analysed: since(analysed), drawn: since(drawn) };
  }, started);
  console.log(`web-page: ${cardCount} cards and the odd files shown in ${at.drawn} ms: files listed by the browser ` +
              `${at.chosen} ms, read ${at.read - at.chosen} ms, analysed ${at.analysed - at.read} ms, summary drawn ` +
              `${at.drawn - at.analysed} ms`);

  // The table: every card the native summary has, in its order.
  const expected = JSON.parse(native("--summary", "--format=json", "-r", "cards"));
  await frame.select("#page-size", "0");
  const shown = await frame.$$eval("#cards tbody tr td.path", (cells) => cells.map((cell) => cell.textContent));
  check(JSON.stringify(shown) === JSON.stringify(expected.summary.rows.map((row) => row.path)),
        `table of ${shown.length} rows, native ${expected.summary.rows.length}`);

  // A card from the table: its report block and its "name" field's bytes.
  const first = expected.summary.rows[0].path;
  await frame.click("#cards tbody tr td.name button");
  await tab.waitForSelector("#card-view[open]");
  await tab.waitForFunction((p) => document.getElementById("card-path").textContent === p, {}, first);
  const report = await tab.$eval("#card-report", (pre) => pre.textContent);
  check(report === native(first).toString(), "the card's report block as the text report");
  const bytes = fs.readFileSync(path.join(work, first));
  // The field list is the native JSON listing's, field by field.
  const listing = JSON.parse(native("--explain", "--format=json", first)).cards[0];
  const listed = await tab.$$eval("#card-fields li:not(.error)", (items) => items.map((li) =>
    [Number(li.dataset.offset), Number(li.dataset.size), li.querySelector(".field").textContent, li.querySelector(".value").textContent]));
  check(JSON.stringify(listed) === JSON.stringify(listing.fields.map((f) => [f.offset, f.size, f.path, f.shown])),
        "the field list as the native listing");
  const { offset, size } = listing.fields.find((field) => field.name === "name");
  await tab.click(`#card-fields li[data-offset="${offset}"]`);
  const marked = await tab.$$eval("#card-hex span.sel", (spans) => spans.map((s) => [Number(s.dataset.offset), s.textContent]));
  const wanted = [...bytes.subarray(offset, offset + size)]
    .map((byte, i) => [offset + i, byte.toString(16).toUpperCase().padStart(2, "0")]);
  check(JSON.stringify(marked) === JSON.stringify(wanted), `name field highlighted: ${JSON.stringify(marked)}`);
  await tab.click("#card-close");

  // The broken card, from the failures: the byte where reading stopped.
  const broken = "cards/area0/skill-broken.vnt";
  const stopAt = JSON.parse(native("--explain", "--format=json", broken)).cards[0].end.offset;
  await frame.$$eval("#failures li", (items, p) => items.find((li) => li.textContent.startsWith(p + ": ")).click(), broken);
  await tab.waitForFunction((p) => document.getElementById("card-path").textContent === p, {}, broken);
  const stops = await tab.$$eval("#card-hex span.stop", (spans) => spans.map((s) => Number(s.dataset.offset)));
  check(JSON.stringify(stops) === JSON.stringify([stopAt]), `stop marked at ${stops}, reading stopped at ${stopAt}`);
  if (screenshot) {
    await tab.click("#card-close");
    await frame.click("#cards tbody tr:nth-child(3) td.name button");
    await tab.waitForSelector("#card-view[open]");
    const items = await tab.$$("#card-fields li");
    await items[Math.min(12, items.length - 1)].click();
    await tab.screenshot({ path: screenshot.replace(/\.png$/, "-card.png") });
  }
  await tab.click("#card-close");
  if (screenshot) await tab.screenshot({ path: screenshot });

  // The JSON download, byte for byte.
  await tab.click("[data-download=json]");
  const saved = path.join(downloads, "cards.json");
  for (let i = 0; i < 600 && !fs.existsSync(saved); ++i) await new Promise((resolve) => setTimeout(resolve, 100));
  await new Promise((resolve) => setTimeout(resolve, 300));
  check(fs.existsSync(saved) && fs.readFileSync(saved).equals(native("--format=json", "-r", "--", "cards")),
        "the JSON download is the native document");

  // 比較: a second version of the folder, one card holding another's bytes, shows the
  // comparison's page with that card changed.
  const next = path.join(work, "next");
  fs.cpSync(tree, next, { recursive: true });
  const cardFiles = fs.readdirSync(next).filter((name) => /^skill.*\.vnt$/i.test(name)).sort();
  fs.copyFileSync(path.join(next, cardFiles[1]), path.join(next, cardFiles[0]));
  await (await tab.$("#pick-compare")).uploadFile(next);
  await tab.waitForFunction(() => document.getElementById("summary").contentDocument?.title === "技能カードの比較" ||
                                  document.getElementById("status").textContent.startsWith("エラー"));
  check(await tab.evaluate(() => !document.getElementById("status").textContent.startsWith("エラー")),
        `比較: ${await tab.evaluate(() => document.getElementById("status").textContent)}`);
  const compared = await tab.evaluate(() => {
    const doc = document.getElementById("summary").contentDocument;
    return [...doc.querySelectorAll("section.pair")].map((s) => [s.className, s.querySelector(".path").textContent]);
  });
  check(compared.length === 1 && compared[0][0] === "pair changed" && compared[0][1] === cardFiles[0],
        `the comparison shows the one changed card: ${JSON.stringify(compared)}`);

  // A card of 8 MB nested to the depth bound, whose report and JSON entry run to
  // gigabytes, with the seven examples: every card is in the table, the page stays
  // usable and an example opens.
  const deep = path.join(work, "deep");
  fs.cpSync(examples, deep, { recursive: true });
  execFileSync(benchdata, ["deepest", path.join(deep, "skill-deepest.vnt"), "8"]);
  await tab.evaluate(() => { delete document.body.dataset.ready; });
  await (await tab.$("#pick-folder")).uploadFile(deep);
  await tab.waitForSelector("body[data-ready=true]");
  const deepFrame = await (await tab.$("#summary")).contentFrame();
  await deepFrame.waitForSelector("body[data-ready=true]");
  await deepFrame.select("#page-size", "0");
  const deepShown = await deepFrame.$$eval("#cards tbody tr td.path", (cells) => cells.map((cell) => cell.textContent));
  const deepCards = fs.readdirSync(deep).filter((name) => /^skill.*\.vnt$/.test(name)).map((name) => `deep/${name}`);
  check(JSON.stringify([...deepShown].sort()) === JSON.stringify(deepCards.sort()),
        `with the deepest card: table of ${JSON.stringify(deepShown)}`);
  check(!(await tab.$eval("#status", (node) => node.textContent)).includes("エラー"), "with the deepest card: no error");
  const example = deepShown.find((shownPath) => shownPath.endsWith("/skill1.vnt"));
  const exampleRow = deepShown.indexOf(example) + 1;
  await deepFrame.click(`#cards tbody tr:nth-child(${exampleRow}) td.name button`);
  await tab.waitForFunction((p) => document.getElementById("card-path").textContent === p, {}, example);
  check(await tab.$eval("#card-report", (pre) => pre.textContent) === native(example).toString(),
        "with the deepest card: an example's report");
  // Its advice, as the native JSON entry has it; the first piece, chosen from the
  // keyboard, shows the card so changed beside its own report, with the advice's
  // estimate on the level line (general notation, three digits).
  const advice = JSON.parse(native("--format=json", "--advise", example)).cards[0].advice;
  const listedAdvice = await tab.$$eval("#card-advice-list button", (buttons) => buttons.map((b) => b.textContent));
  check(advice.length > 0 && JSON.stringify(listedAdvice) === JSON.stringify(advice.map((piece) => piece.text)),
        `the example's advice listed: ${JSON.stringify(listedAdvice)}`);
  await tab.focus("#card-advice-list li:first-child button");
  await tab.keyboard.press("Enter");
  await tab.waitForFunction(() => !document.getElementById("card-advised").hidden);
  const advised = await tab.$eval("#card-advised-report", (pre) => pre.textContent);
  const advisedLevel = `\nlevel: ${String(Number(advice[0].estimate.toPrecision(3)))}\n`;
  check(advised.startsWith(`[${example}]\n`) && advised.includes(advisedLevel) && advised !== native(example).toString(),
        `the changed card's report has ${JSON.stringify(advisedLevel)}: ${advised}`);
  const [own, changed] = await tab.$$eval("#card-report, #card-advised-report", (pres) => pres.map((pre) => {
    const box = pre.getBoundingClientRect();
    return { left: box.left, right: box.right, top: box.top };
  }));
  check(changed.left >= own.right - 1 && Math.abs(changed.top - own.top) < 40,
        `the two reports side by side: ${JSON.stringify([own, changed])}`);
  await tab.click("#card-close");

  check(requests.length === 0, `requests: ${requests.join(", ")}`);
  check(problems.length === 0, `console errors: ${problems.join(" | ")}`);
} catch (error) {
  failures.push(String(error && error.stack || error));
} finally {
  await browser?.close();
  clearTimeout(deadline);
  fs.rmSync(work, { recursive: true, force: true });
}
for (const failure of failures) console.error(`web-page: ${failure}`);
if (failures.length) process.exit(1);
console.log("web-page: all checks passed");
