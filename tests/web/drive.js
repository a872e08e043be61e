// Drives the web page in headless Chromium through the cases of cases.txt (a map's files chosen
// where a case names them) and keeps what it shows for test_web: node drive.js NPMDIR URL CASES OUTDIR.  For each case, in OUTDIR/NAME/:
// summary.csv (the text of #summary), canvas.png (the canvas after the keys), messages.tsv (the
// messages beside the fields), address.txt (the query after the keys), reloaded.png (the canvas
// of that address loaded afresh), files/ (every file the page offers), timing.json.
"use strict";
const fs = require("fs");
const path = require("path");
const [npmdir, base, casesFile, outdir] = process.argv.slice(2);
const root = path.join(__dirname, "..", "..");  // the maps' files are named from there
const {chromium} = require(path.join(npmdir, "node_modules", "playwright-core"));

// The flags Debian's chromium needs as root with no display.
const FLAGS = ["--no-sandbox", "--disable-gpu", "--headless=new", "--force-device-scale-factor=1"];

async function canvasPng(page) {
  const url = await page.evaluate(() => document.getElementById("scene").toDataURL("image/png"));
  return Buffer.from(url.split(",")[1], "base64");
}

async function open(browser, query) {
  const page = await browser.newPage({viewport: {width: 1700, height: 1000}});
  const errors = [];
  page.on("pageerror", (e) => errors.push(String(e)));
  page.on("console", (m) => { if (m.type() === "error") errors.push(m.text()); });
  await page.goto(base + "?" + query);
  await page.evaluate(() => window.agvweb.ready);
  return {page, errors};
}

async function main() {
  const browser = await chromium.launch({executablePath: "/usr/bin/chromium", args: FLAGS});
  const cases = fs.readFileSync(casesFile, "utf8").split("\n")
    .filter((l) => l && !l.startsWith("#")).map((l) => l.split("\t"));
  let failed = 0;
  for (const [name, query, keys, files] of cases) {
    const dir = path.join(outdir, name);
    fs.rmSync(dir, {recursive: true, force: true});
    fs.mkdirSync(path.join(dir, "files"), {recursive: true});
    const {page, errors} = await open(browser, query);
    // A map's files chosen as a user chooses them: the pass is computed in it again.
    if (files) {
      await page.setInputFiles("#mapfiles", files.split(" ").map((f) => path.join(root, f)));
      await page.waitForFunction(() => location.search.includes("map="));
    }
    // The keys as a user types them, on the page (not in a field).
    await page.locator("#scene").click({position: {x: 1, y: 1}});
    for (const k of keys === "-" ? "" : keys) await page.keyboard.press(k);
    fs.writeFileSync(path.join(dir, "summary.csv"), await page.textContent("#summary"));
    fs.writeFileSync(path.join(dir, "canvas.png"), await canvasPng(page));
    const messages = await page.evaluate(() =>
      [...document.querySelectorAll(".msg")].filter((m) => m.textContent)
        .map((m) => m.id.replace(/^msg-/, "") + "\t" + m.textContent + "\n").join(""));
    fs.writeFileSync(path.join(dir, "messages.tsv"), messages);
    const address = await page.evaluate(() => location.search.slice(1));
    fs.writeFileSync(path.join(dir, "address.txt"), address + "\n");
    for (const f of await page.evaluate(() => window.agvweb.files()))
      fs.writeFileSync(path.join(dir, "files", f), await page.evaluate((n) => window.agvweb.file(n), f));
    const timing = await page.evaluate(() => window.agvweb.timing);
    fs.writeFileSync(path.join(dir, "timing.json"), JSON.stringify(timing) + "\n");
    await page.close();
    // The address after the keys is the view: loaded afresh, it shows the same canvas.
    const again = await open(browser, address);
    fs.writeFileSync(path.join(dir, "reloaded.png"), await canvasPng(again.page));
    await again.page.close();
    for (const e of errors.concat(again.errors)) {
      console.error(`${name}: the page reported: ${e}`);
      failed++;
    }
    console.log(`${name}: done (first frame ${timing.firstFrame.toFixed(0)} ms after load, ` +
                `pass ${timing.pass.toFixed(1)} ms)`);
  }
  await browser.close();
  process.exit(failed ? 1 : 0);
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
