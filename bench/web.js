// The web page's speed in headless Chromium: node web.js NPMDIR URL.  For the passes of the
// native benchmarks (agvbench_core: ptppass default_2_3_0 and longest_57_86_3_0, the CP passes
// of curves 1 and 16): the time from the start of the page's load to its first frame, a pass's
// compute time (after 5 passes that let the browser compile the WebAssembly fully: the median
// and the fastest of 15), the time to draw a frame, and the frames a second of the animation
// (the play button: three time steps a frame, as 's' held down).
"use strict";
const path = require("path");
const [npmdir, base] = process.argv.slice(2);
const {chromium} = require(path.join(npmdir, "node_modules", "playwright-core"));

const PASSES = [
  ["PTP default (2, 3, 0)", "path=ptp"],
  ["PTP longest (57.86, 3, 0)", "path=ptp&xf=57.86&yf=3&thf=0"],
  ["CP curve 1", "path=cp&I=1"],
  ["CP curve 16", "path=cp&I=16"],
];
const median = (v) => v.slice().sort((a, b) => a - b)[Math.floor(v.length / 2)];
const WARM = 5, PASSES_TIMED = 15;

async function main() {
  const browser = await chromium.launch({executablePath: "/usr/bin/chromium",
                                         args: ["--no-sandbox", "--disable-gpu", "--headless=new"]});
  console.log("pass                          first frame   pass (median, fastest)   frame   play");
  for (const [name, query] of PASSES) {
    const page = await browser.newPage({viewport: {width: 1700, height: 1000}});
    await page.goto(base + "?" + query);
    await page.evaluate(() => window.agvweb.ready);
    const r = await page.evaluate(async ([WARM, PASSES_TIMED]) => {
      const a = window.agvweb;
      const passes = [], draws = [];
      for (let i = 0; i < WARM; ++i) a.run();
      for (let i = 0; i < PASSES_TIMED; ++i) passes.push(a.run());
      for (let i = 0; i < 30; ++i) {
        const t = performance.now();
        a.draw();
        draws.push(performance.now() - t);
      }
      a.play();
      while (a.playing()) await new Promise((ok) => setTimeout(ok, 50));
      const f = a.frames;
      return {first: a.timing.firstFrame, passes, draws,
              fps: f.length > 1 ? (f.length - 1) * 1000 / (f[f.length - 1] - f[0]) : 0, frames: f.length};
    }, [WARM, PASSES_TIMED]);
    console.log(`${name.padEnd(30)} ${r.first.toFixed(0).padStart(6)} ms ${median(r.passes).toFixed(2).padStart(7)} ms` +
                ` ${Math.min(...r.passes).toFixed(2).padStart(7)} ms` +
                ` ${median(r.draws).toFixed(2).padStart(6)} ms ${r.fps.toFixed(1).padStart(5)} fps (${r.frames} frames)`);
    await page.close();
  }
  await browser.close();
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
