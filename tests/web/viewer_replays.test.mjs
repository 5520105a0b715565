// The watch page against the real ranking server: every replay shown ends
// where the server's own check (plimoball verify-replay) says it ends,
// whether it is jumped to the end, played to it from a jump, or cut short.
//   node viewer_replays.test.mjs BUILD/game
import { readFileSync, writeFileSync, mkdtempSync, rmSync } from 'node:fs';
import { inflateRawSync } from 'node:zlib';
import os from 'node:os';
import path from 'node:path';
import assert from 'node:assert/strict';
import * as h from './harness.mjs';
import { unzip } from '../../web/viewer/zip.js';

const game = h.gameDir();
const fixtures = path.resolve(new URL('../fixtures', import.meta.url).pathname);
const kFrameBytes = 112;
const scratch = mkdtempSync(path.join(os.tmpdir(), 'plimo-cuts-'));
const server = await h.startServer(game);
// The server registers a game once, however it is packed: another archive of
// a registered game (frames past its end, say) goes to a server of its own.
const moreServers = [];
const browser = await h.launchBrowser();
const problems = [];
const page = await h.watchedPage(browser, problems);
let uploads = 0;

// Uploads an archive (once: the server takes a game once) and returns the
// key, the check's answer and the server that holds it.
const entered = new Map();
async function enter(mode, archive) {
  const known = entered.get(archive.toString('base64'));
  if (known) return known;
  const file = path.join(scratch, `entry${uploads}.zip`);
  writeFileSync(file, archive);
  const expected = h.verifyReplay(game, file);
  const name = `web${uploads++}`;
  for (let i = 0; ; i++) {
    const holder = i === 0 ? server : moreServers[i - 1] ?? (moreServers[i - 1] = await h.startServer(game));
    try {
      const key = await h.upload(holder.base, mode, name, expected, archive);
      entered.set(archive.toString('base64'), { key, expected, base: holder.base });
      return { key, expected, base: holder.base };
    } catch (error) {
      if (!String(error.message).includes('replay already registered')) throw error;
    }
  }
}

function assertResult(result, expected, what) {
  assert.equal(result.ended, '1', `${what}: the end is shown`);
  assert.deepEqual({ frame: Number(result.frame), score: Number(result.score), chain: Number(result.chain),
    state: result.state }, { frame: expected.frames, score: expected.score, chain: expected.maxRensa,
    state: expected.state }, what);
}

// The panel's Level, as the page shows it.
async function hudLevel() {
  return page.$eval('[data-hud="level"]', (node) => node.textContent);
}

// Clicks the timeline at a share of its width.
async function clickTimeline(share) {
  const box = await (await page.$('.track')).boundingBox();
  await page.mouse.click(box.x + box.width * share, box.y + box.height / 2);
}

async function frameNow() {
  await h.settle(page);
  return Number((await h.pageResult(page)).frame);
}

const kFixtures = [['plimo', 'plimo_seed123.zip'], ['yoiko', 'yoiko_seed456.zip'], ['wanpaku', 'wanpaku_seed789.zip'],
  ['plimo', 'plimo_seed123_past_end.zip']];

const cases = [];
for (const [mode, file] of kFixtures) {
  cases.push([`${file}: End reaches the checked result`, async () => {
    const { key, expected, base } = await enter(mode, readFileSync(path.join(fixtures, file)));
    const opened = await h.openWatch(page, base, mode, key);
    assert.equal(opened.ready, '1');
    await page.keyboard.press('End');
    assertResult(await h.waitForEnd(page), expected, file);
    // The result panel says the same to a person.
    const lines = await page.$$eval('.result p', (nodes) => nodes.map((node) => node.textContent));
    assert.deepEqual(lines, [`Score ${expected.score}`, `Max chain ${expected.maxRensa}`, expected.state]);
    // The level numbered as the game's HUD numbers it ("LV:", tests/menu/
    // HelpLevelTest): 1 for a game just begun, the rules' level plus one.
    assert.equal(await hudLevel(), String(expected.level + 1), `${file}: the level at the end`);
    await page.keyboard.press('Home');
    await h.settle(page);
    assert.equal(await hudLevel(), '1', `${file}: the level at the start`);
  }]);
}

cases.push(['a jump to the middle, then played at x4 from near the end, ends as checked', async () => {
  const { key, expected } = await enter('wanpaku', readFileSync(path.join(fixtures, 'wanpaku_seed789.zip')));
  await h.openWatch(page, server.base, 'wanpaku', key);
  await page.keyboard.press('p');
  await page.waitForFunction(() => document.body.dataset.paused === '1');
  await clickTimeline(0.5);
  const middle = await frameNow();
  assert.ok(Math.abs(middle - expected.frames / 2) < expected.frames / 50, `timeline middle at ${middle}`);
  // Back and forth by frames and pieces lands where it says.
  await page.keyboard.press('ArrowRight');
  assert.equal(await frameNow(), middle + 1);
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await frameNow(), middle - 1);
  await page.keyboard.down('Shift');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.up('Shift');
  const nextPiece = await frameNow();
  assert.ok(nextPiece > middle, 'next piece is later');
  await page.keyboard.press('PageUp');
  assert.equal(await frameNow(), nextPiece - Math.floor(10000 / 17), '10 s back');
  await page.keyboard.down('Shift');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.up('Shift');
  assert.ok(await frameNow() < nextPiece - Math.floor(10000 / 17), 'previous piece is earlier');
  // Played, not jumped, over the last stretch.
  await clickTimeline(0.997);
  await h.settle(page);
  assert.equal((await h.pageResult(page)).ended, '0');
  await page.keyboard.press('5');
  await page.keyboard.press('p');
  assertResult(await h.waitForEnd(page, 60000), expected, 'played to the end');
  await page.keyboard.press('p');
  await page.keyboard.press('Home');
  assert.equal(await frameNow(), 0);
  assert.equal((await h.pageResult(page)).ended, '0', 'the result is hidden again');
}]);

// A key frame with some keys down.
function keyFrame(...keys) {
  const frame = Buffer.alloc(kFrameBytes);
  for (const key of keys) frame.writeInt32LE(1, key * 4);
  return frame;
}
const kKeyZ = 8;
const kKeyX = 9;
const kKeyC = 10;

// A recorded game cut at `frames`, then played on by a player who drops at
// once and turns the camera now and then, until the game ends and is
// confirmed (the server takes finished games only). `tail` extra bytes of a
// cut-off frame may follow: they are never played.
function playedOn(keyLog, frames, seed, tail) {
  const frameIndex = (n) => [kKeyX, kKeyZ, kKeyC][(n + seed) % 3];
  const extra = [];
  for (let n = 0; n < 9000; n++) extra.push(n % 6 === 0 ? keyFrame(frameIndex(Math.floor(n / 6))) : keyFrame());
  extra.push(keyFrame(kKeyX).subarray(0, tail));
  return Buffer.concat([keyLog.subarray(0, frames * kFrameBytes), ...extra]);
}

cases.push(['21 games cut and played on end where the check ends them', async () => {
  const kShares = [0.03, 0.12, 0.27, 0.41, 0.58, 0.73, 0.88];
  let checked = 0;
  for (const [mode, file] of kFixtures.slice(0, 3)) {
    const members = await unzip(readFileSync(path.join(fixtures, file)), async (packed) => new Uint8Array(inflateRawSync(packed)));
    const keyLog = members.find((m) => m.name.endsWith('replay_key.dat'));
    const frames = keyLog.bytes.length / kFrameBytes;
    for (const [i, share] of kShares.entries()) {
      const cutAt = Math.floor(frames * share);
      const log = playedOn(Buffer.from(keyLog.bytes), cutAt, i, i % 3 === 1 ? 57 : 0);
      const archive = h.packZip(members.map((m) => (m === keyLog ? { name: m.name, bytes: log } : m)));
      const { key, expected } = await enter(mode, archive);
      await h.openWatch(page, server.base, mode, key);
      await page.keyboard.press('End');
      assertResult(await h.waitForEnd(page), expected, `${file} cut at frame ${cutAt}`);
      checked++;
    }
  }
  assert.ok(checked >= 20, `${checked} archives`);
}]);

cases.push(['a screenshot shows the box and coloured balls', async () => {
  const { key } = await enter('yoiko', readFileSync(path.join(fixtures, 'yoiko_seed456.zip')));
  await h.openWatch(page, server.base, 'yoiko', key);
  await page.keyboard.press('p');
  await clickTimeline(0.6);
  await page.waitForFunction(() => document.body.dataset.paused === '1');
  const out = process.env.PLIMO_WEB_SHOTS ?? scratch;
  const shot = path.join(out, 'viewer-yoiko.png');
  await page.screenshot({ path: shot });
  console.log(`     screenshot: ${shot}`);
  // Pixels of the field by kind: brick red-brown, turf green, and the balls'
  // saturated hues.
  const counts = await page.evaluate(() => {
    const source = document.querySelector('canvas.field');
    const copy = document.createElement('canvas');
    copy.width = source.width;
    copy.height = source.height;
    const context = copy.getContext('2d');
    context.drawImage(source, 0, 0);
    const data = context.getImageData(0, 0, copy.width, copy.height).data;
    const hues = { red: 0, yellow: 0, green: 0, blue: 0, purple: 0, brick: 0 };
    for (let i = 0; i < data.length; i += 4) {
      const [r, g, b] = [data[i] / 255, data[i + 1] / 255, data[i + 2] / 255];
      const max = Math.max(r, g, b);
      const min = Math.min(r, g, b);
      const saturation = max === 0 ? 0 : (max - min) / max;
      if (saturation < 0.3 || max < 0.3) continue;
      let hue;
      if (max === r) hue = (60 * ((g - b) / (max - min)) + 360) % 360;
      else if (max === g) hue = 60 * ((b - r) / (max - min)) + 120;
      else hue = 60 * ((r - g) / (max - min)) + 240;
      if (hue < 15 || hue >= 340) hues.red++;
      else if (hue < 35) hues.brick++;
      else if (hue < 70) hues.yellow++;
      else if (hue < 160) hues.green++;
      else if (hue < 250) hues.blue++;
      else hues.purple++;
    }
    return hues;
  });
  const ballHues = ['red', 'yellow', 'green', 'blue', 'purple'].filter((hue) => counts[hue] > 150);
  assert.ok(counts.brick + counts.red > 2000, `brick walls: ${JSON.stringify(counts)}`);
  assert.ok(counts.green > 500, `turf and green balls: ${JSON.stringify(counts)}`);
  assert.ok(ballHues.length >= 3, `ball colours seen: ${JSON.stringify(counts)}`);
}]);

cases.push(['a key the server does not know shows a message', async () => {
  const before = problems.length;
  const result = await h.openWatch(page, server.base, 'plimo', 'no-such-replay');
  assert.equal(result.ready, '0');
  const text = await page.$eval('.error', (node) => node.textContent);
  assert.match(text, /cannot be shown/);
  assert.match(text, /No replay "no-such-replay"/);
  // The one 404 is the point of this case, not a fault.
  problems.splice(before, problems.length - before,
    ...problems.slice(before).filter((p) => !/status of 404/.test(p)));
}]);

cases.push(['a damaged download shows a message', async () => {
  const { key } = await enter('plimo', readFileSync(path.join(fixtures, 'plimo_seed123.zip')));
  const good = readFileSync(path.join(fixtures, 'plimo_seed123.zip'));
  const damaged = [good.subarray(0, good.length - 40), Buffer.concat([good.subarray(0, 200), Buffer.alloc(100, 7),
    good.subarray(300)]), Buffer.from('not a zip at all')];
  for (const bytes of damaged) {
    await page.setRequestInterception(true);
    const answer = (request) => {
      if (request.url().includes('DownloadReplay')) {
        request.respond({ status: 200, contentType: 'application/zip', body: bytes });
      } else {
        request.continue();
      }
    };
    page.on('request', answer);
    const result = await h.openWatch(page, server.base, 'plimo', key);
    page.off('request', answer);
    await page.setRequestInterception(false);
    assert.equal(result.ready, '0');
    assert.ok(result.error.length > 0);
    assert.match(await page.$eval('.error', (node) => node.textContent), /cannot be shown/);
  }
}]);

cases.push(['no console errors, page errors or dialogs', async () => {
  assert.deepEqual(problems, []);
}]);

try {
  await h.runCases(cases);
} finally {
  await browser.close();
  for (const other of moreServers) await other.stop();
  await server.stop();
  rmSync(scratch, { recursive: true, force: true });
}
