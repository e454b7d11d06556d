// The HTML summary of a generated folder of 2,000 cards in Debian's headless Chromium,
// driven through the DevTools protocol: it loads with no console error and no fetch,
// its table holds every card, a click on a column header sorts it (差 as the core does), the filter finds a
// card, and a click on a plot point opens that card's block as the text report writes it.
// Then a page of the same cards with hostile ones added (names of markup, script and
// terminal controls; a stated level of 2^31 - 1, an estimate of -2*10^10): no element
// is made from a card's text, no script of theirs runs, the title stays, the axis
// labels fit, the far-off cards sit at the edge and the others keep the plot.
// SUMMARY_SCREENSHOT=FILE saves a picture of that page's plot.
//
//   node summary-page.test.mjs MORNSTAVE BENCHDATA
//
// Ends by itself: every step has a time limit, and the whole run one more.

import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { launchChromium } from "./chromium.mjs";

const [mornstave, benchdata] = process.argv.slice(2).map((p) => path.resolve(p));
const cardCount = 2000;
const stepTimeout = 60_000;
let browser;

const deadline = setTimeout(() => {
  console.error("summary-page: timed out");
  browser?.process()?.kill("SIGKILL");
  process.exit(1);
}, 240_000);

const failures = [];
function check(condition, what) {
  if (!condition) failures.push(what);
}

// Every skill*.vnt of a tree, as the console walks it (case aside).
function cardFiles(folder) {
  const found = [];
  for (const entry of fs.readdirSync(folder, { withFileTypes: true })) {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) found.push(...cardFiles(full));
    else if (/^skill.*\.vnt$/i.test(entry.name)) found.push(full);
  }
  return found;
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), "mornstave-browser-"));
try {
  const tree = path.join(work, "cards");
  const page = path.join(work, "summary.html");
  execFileSync(benchdata, ["tree", tree, String(cardCount), "--oddities"]);
  execFileSync(mornstave, ["--summary", "-r", tree, "-o", page], { stdio: ["ignore", "ignore", "ignore"] });
  const expected = cardFiles(tree).sort();

  browser = await launchChromium(path.join(work, "profile"), stepTimeout);
  const tab = await browser.newPage();
  tab.setDefaultTimeout(stepTimeout);
  await tab.setViewport({ width: 1280, height: 900 });
  const problems = [];
  const requests = [];
  const url = pathToFileURL(page).href;
  tab.on("console", (message) => { if (message.type() === "error") problems.push(message.text()); });
  tab.on("pageerror", (error) => problems.push(String(error)));
  const pages = new Set([url]);
  tab.on("request", (request) => { if (!pages.has(request.url())) requests.push(request.url()); });
  await tab.goto(url, { waitUntil: "load" });
  await tab.waitForSelector("body[data-ready=true]");

  const summary = await tab.$eval("#summary", (script) => JSON.parse(script.textContent));
  check(summary.rows.length + summary.failures.length === expected.length,
        `${summary.rows.length} rows and ${summary.failures.length} failures for ${expected.length} files`);

  // Every card in the table, once all rows are shown; the failure listed below it.
  const shownPaths = async () => tab.$$eval("#cards tbody tr td.path", (cells) => cells.map((c) => c.textContent));
  check((await shownPaths()).length === 100, "a page of 100 rows at first");
  await tab.select("#page-size", "0");
  const tablePaths = await shownPaths();
  const failedPaths = summary.failures.map((f) => f.path);
  check(JSON.stringify([...tablePaths, ...failedPaths].sort()) === JSON.stringify(expected),
        "the table and the failures are not every card file");
  check(tablePaths.length === cardCount + 2, `${tablePaths.length} table rows`);
  const failureTexts = await tab.$$eval("#failures li", (items) => items.map((i) => i.textContent));
  check(failureTexts.length === 1 && failureTexts[0].startsWith(failedPaths[0] + ": "), "failure list");

  // A click on a header sorts by that column; a second click turns the order round.
  const column = (key) => tab.$$eval(`#cards tbody tr td.${key}`, (cells) => cells.map((c) => c.textContent));
  const ordered = (values, descending) => values.every((v, i) => i === 0 || (descending ? values[i - 1] >= v : values[i - 1] <= v));
  await tab.click("#cards th[data-key=level]");
  const levels = (await column("level")).map(Number);
  check(levels.length === tablePaths.length && ordered(levels, true), "not sorted by level, largest first");
  check(await tab.$eval("#cards th[data-key=level]", (th) => th.getAttribute("aria-sort")) === "descending", "aria-sort");
  await tab.click("#cards th[data-key=level]");
  check(ordered((await column("level")).map(Number), false), "second click: not ascending");
  await tab.click("#cards th[data-key=path]");
  const byPath = await shownPaths();
  check(ordered(byPath, false) && byPath.length === tablePaths.length, "not sorted by path");
  // 差 sorts as the core's --sort=difference wrote the rows: by absolute value, largest first.
  await tab.click("#cards th[data-key=difference]");
  check(JSON.stringify(await shownPaths()) === JSON.stringify(summary.rows.map((r) => r.path)),
        "差 does not sort as the core does");
  check(JSON.stringify(await column("estimate")) === JSON.stringify(summary.rows.map((r) => r.cells.estimate)),
        "the estimates shown are not the core's texts");

  // The filter box finds the card whose name holds a comma, a quote and a line break.
  await tab.type("#filter", "skill-odd");
  const names = await tab.$$eval("#cards tbody tr td.name", (cells) => cells.map((c) => c.textContent));
  check(names.length === 1 && names[0] === 'コンマ, と"引用符"と\n改行', `filter: ${JSON.stringify(names)}`);
  await tab.click("#filter", { clickCount: 3 });
  await tab.keyboard.press("Backspace");

  // A click on a plot point (the last drawn, so nothing covers it) opens the card's block.
  const points = await tab.$$("#plot circle.pt");
  check(points.length === summary.rows.filter((r) => r.estimate !== null).length, `${points.length} points`);
  const point = points[points.length - 1];
  const row = summary.rows[Number(await point.evaluate((p) => p.getAttribute("data-row")))];
  await point.click();
  await tab.waitForSelector("#card[open]");
  const shown = await tab.$eval("#card-text", (pre) => pre.textContent);
  const block = execFileSync(mornstave, ["--encoding=utf-8", row.path]).toString("utf8");
  check(shown + "\n" === block, `the opened block is not ${row.path}'s report`);

  const ordinary = await tab.evaluate(() => ({
    title: document.title,
    tags: [...new Set([...document.querySelectorAll("*")].map((e) => e.tagName))].sort().join(),
    scripts: document.scripts.length,
  }));

  // The same cards and the hostile ones.
  const hostile = path.join(work, "hostile");
  const hostilePage = path.join(work, "hostile.html");
  execFileSync(benchdata, ["hostile", hostile]);
  execFileSync(mornstave, ["--summary", "-r", tree, hostile, "-o", hostilePage], { stdio: ["ignore", "ignore", "ignore"] });
  const dialogs = [];
  tab.on("dialog", async (dialog) => { dialogs.push(dialog.message()); await dialog.dismiss(); });
  pages.add(pathToFileURL(hostilePage).href);
  await tab.goto(pathToFileURL(hostilePage).href, { waitUntil: "load" });
  await tab.waitForSelector("body[data-ready=true]");
  await tab.select("#page-size", "0");
  const seen = await tab.evaluate(() => {
    const box = document.getElementById("plot").viewBox.baseVal;
    const labels = [...document.querySelectorAll("#plot text:not([transform])")].map((t) => t.getBBox());
    const points = [...document.querySelectorAll("#plot circle.pt")];
    const inner = points.filter((p) => !p.classList.contains("edge"));
    const spread = (key) => {
      const values = inner.map((p) => Number(p.getAttribute(key)));
      return Math.max(...values) - Math.min(...values);
    };
    return {
      title: document.title,
      tags: [...new Set([...document.querySelectorAll("*")].map((e) => e.tagName))].sort().join(),
      scripts: document.scripts.length,
      ran: window.hostile,
      names: [...document.querySelectorAll("#cards td.name")].map((c) => c.textContent),
      labelsFit: labels.every((b) => b.x >= 0 && b.x + b.width <= box.width && b.y >= 0 && b.y + b.height <= box.height),
      edge: points.length - inner.length,
      spreadX: spread("cx") / box.width,
      spreadY: spread("cy") / box.height,
    };
  });
  check(seen.ran === undefined && dialogs.length === 0, `a card's script ran: ${seen.ran} ${dialogs.join()}`);
  check(seen.title === ordinary.title, `the title became ${JSON.stringify(seen.title)}`);
  check(seen.tags === ordinary.tags && seen.scripts === ordinary.scripts, `elements made from card texts: ${seen.tags}`);
  for (const name of ["<script>window.hostile = 1</script>", "</script><img src=x onerror=\"window.hostile = 2\">",
                      "<svg onload=\"window.hostile = 3\"><title>owned</title></svg>", "\x1b]0;owned\x07\x1b[2J"]) {
    check(seen.names.includes(name), `the name ${JSON.stringify(name)} is not shown as text`);
  }
  check(seen.labelsFit, "an axis label lies outside the plot");
  check(seen.edge >= 2 && seen.edge <= 20, `${seen.edge} points at the edge, not the few far-off cards`);
  check(seen.spreadX > 0.3 && seen.spreadY > 0.3, `the other cards crowd into ${seen.spreadX} x ${seen.spreadY} of the plot`);
  if (process.env.SUMMARY_SCREENSHOT) {
    await (await tab.$("#plot-section")).screenshot({ path: process.env.SUMMARY_SCREENSHOT });
  }

  check(problems.length === 0, `console errors: ${problems.join(" | ")}`);
  check(requests.length === 0, `the page fetched: ${requests.join(" ")}`);
  await browser.close();
} catch (error) {
  failures.push(String(error?.stack ?? error));
  await browser?.close().catch(() => {});
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}
clearTimeout(deadline);
if (failures.length > 0) {
  console.error("summary-page: FAILED\n  " + failures.join("\n  "));
  process.exit(1);
}
console.log(`summary-page: ${cardCount + 2} cards shown, sorted, filtered and opened from the plot; hostile names shown as text only; no console error, no fetch`);
