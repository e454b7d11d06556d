// Debian's Chromium, headless, for the page tests: a fresh profile in `profileDir`, and
// no background traffic, so that every request a test sees is the page's own.
import path from "node:path";
import puppeteer from "puppeteer-core";

export async function launchChromium(profileDir, stepTimeout) {
  return puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: false,  // the flag below says it, as on the command line
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync",
           `--user-data-dir=${path.resolve(profileDir)}`],
    timeout: stepTimeout,
    protocolTimeout: stepTimeout,
  });
}
