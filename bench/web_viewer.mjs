// The watch page's speed in headless Chromium against the real ranking
// server: first paint, the time to open the wanpaku fixture (unpack, check
// and scan: 153,135 frames) and the time of jumps across it. Medians of
// RUNS page loads.
//   node bench/web_viewer.mjs BUILD/game [RUNS]
import { readFileSync } from 'node:fs';
import path from 'node:path';
import * as h from '../tests/web/harness.mjs';

const game = h.gameDir();
const runs = Number(process.argv[3] ?? 5);
const fixture = path.resolve(new URL('../tests/fixtures/wanpaku_seed789.zip', import.meta.url).pathname);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const server = await h.startServer(game);
const browser = await h.launchBrowser();
try {
  const archive = readFileSync(fixture);
  const expected = h.verifyReplay(game, fixture);
  const key = await h.upload(server.base, 'wanpaku', 'bench', expected, archive);
  const figures = { firstPaint: [], open: [], unzip: [], copy: [], scan: [], ready: [], jumps: [] };
  const kShares = [0.9, 0.1, 0.5, 0.999, 0.25, 0.75];
  for (let run = 0; run < runs; run++) {
    const page = await h.watchedPage(browser, []);
    const started = Date.now();
    await h.openWatch(page, server.base, 'wanpaku', key);
    figures.ready.push(Date.now() - started);
    const page0 = await page.evaluate(() => ({
      paint: performance.getEntriesByName('first-paint')[0]?.startTime ?? NaN,
      open: Number(document.body.dataset.openMs),
      unzip: Number(document.body.dataset.unzipMs),
      copy: Number(document.body.dataset.copyMs),
      scan: Number(document.body.dataset.scanMs),
    }));
    figures.unzip.push(page0.unzip);
    figures.copy.push(page0.copy);
    figures.scan.push(page0.scan);
    figures.firstPaint.push(page0.paint);
    figures.open.push(page0.open);
    await page.keyboard.press('p');
    const track = await (await page.$('.track')).boundingBox();
    for (const share of kShares) {
      await page.mouse.click(track.x + track.width * share, track.y + track.height / 2);
      await h.settle(page);
      figures.jumps.push(Number(await page.evaluate(() => document.body.dataset.jumpMs)));
    }
    await page.close();
  }
  console.log(`wanpaku fixture, ${expected.frames} frames, ${runs} page loads (median, ms):`);
  console.log(`  first paint of the watch page      ${median(figures.firstPaint).toFixed(0)}`);
  console.log(`  open (unzip, check, scan)          ${median(figures.open).toFixed(0)}`);
  console.log(`    unzip (inflate)                  ${median(figures.unzip).toFixed(0)}`);
  console.log(`    copy into WebAssembly, CRC       ${median(figures.copy).toFixed(0)}`);
  console.log(`    check and scan                   ${median(figures.scan).toFixed(0)}`);
  console.log(`  page ready (navigation to loaded)  ${median(figures.ready).toFixed(0)}`);
  console.log(`  jump (${kShares.length} places a load)  median ${median(figures.jumps).toFixed(1)}, worst ${Math.max(...figures.jumps).toFixed(1)}`);
} finally {
  await browser.close();
  await server.stop();
}
