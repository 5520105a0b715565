// What the browser tests share: the real ranking server on a free port with
// a throw-away database, entries uploaded with the game's own protocol, the
// expected results from `plimoball verify-replay`, and headless Chromium
// watching for console errors and dialogs.
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { createRequire } from 'node:module';

// puppeteer-core is pinned with the viewer's packages in web/.
const puppeteer = createRequire(new URL('../../web/package.json', import.meta.url))('puppeteer-core');

export const kChromiumArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--use-gl=swiftshader',
  '--enable-unsafe-swiftshader', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--no-first-run'];

// The build folder's game directory: PLIMO_GAME_DIR, or the first argument.
export function gameDir() {
  const dir = process.env.PLIMO_GAME_DIR ?? process.argv[2];
  if (!dir) throw new Error('usage: node TEST.mjs BUILD/game');
  return path.resolve(dir);
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
    server.on('error', reject);
  });
}

export async function startServer(game) {
  const folder = mkdtempSync(path.join(os.tmpdir(), 'plimo-web-'));
  const port = await freePort();
  const database = path.join(folder, 'ranking.sqlite');
  const child = spawn(path.join(game, 'plimoball-ranking-server'),
    ['--listen', `127.0.0.1:${port}`, '--db', database, '--web-root', path.join(game, 'web'), '--upload-rate', '0'],
    { stdio: ['ignore', 'ignore', 'pipe'] });
  let log = '';
  child.stderr.on('data', (chunk) => { log += chunk; });
  const base = `http://127.0.0.1:${port}`;
  for (let i = 0; i < 100; i++) {
    try {
      if ((await fetch(`${base}/healthz`)).ok) break;
    } catch { /* not up yet */ }
    if (child.exitCode !== null) throw new Error(`the ranking server ended: ${log}`);
    await new Promise((r) => setTimeout(r, 100));
  }
  return {
    base,
    database,
    log: () => log,
    async stop() {
      child.kill('SIGTERM');
      await new Promise((r) => (child.exitCode !== null ? r() : child.once('exit', r)));
      rmSync(folder, { recursive: true, force: true });
    },
  };
}

// The check's own answer for an archive (a file path).
export function verifyReplay(game, archivePath) {
  return JSON.parse(execFileSync(path.join(game, 'plimoball'), ['verify-replay', archivePath], { encoding: 'utf8' }));
}

// Uploads as the game does; returns the entry's replay key from the list.
export async function upload(base, mode, name, expected, archive) {
  const cgi = `${base}/cgi-bin/plimoball100/ranking_${mode}.cgi`;
  const answer = await (await fetch(`${cgi}?UploadRanking?${name}?${expected.score}?${expected.maxRensa}`,
    { method: 'POST', body: archive })).text();
  if (!answer.startsWith('UploadSuccess')) throw new Error(`upload of ${name} refused: ${answer}`);
  const list = await (await fetch(`${cgi}?GetRankingList?`, { method: 'POST', body: '' })).text();
  const line = list.split('\n').map((l) => l.split('?')).find((fields) => fields[0] === name);
  if (!line) throw new Error(`${name} is not in the ${mode} list`);
  return line[3];
}

// A stored-order ZIP of deflated members, as the game packs replays.
export function packZip(members) {
  const locals = [];
  const centrals = [];
  let offset = 0;
  for (const { name, bytes } of members) {
    const nameBytes = Buffer.from(name);
    const packed = zlib.deflateRawSync(bytes);
    const crc = zlib.crc32(bytes);
    const local = Buffer.alloc(30);
    local.writeUInt32LE(0x04034b50, 0);
    local.writeUInt16LE(20, 4);
    local.writeUInt16LE(8, 8);
    local.writeUInt32LE(crc, 14);
    local.writeUInt32LE(packed.length, 18);
    local.writeUInt32LE(bytes.length, 22);
    local.writeUInt16LE(nameBytes.length, 26);
    const central = Buffer.alloc(46);
    central.writeUInt32LE(0x02014b50, 0);
    central.writeUInt16LE(20, 4);
    central.writeUInt16LE(20, 6);
    central.writeUInt16LE(8, 10);
    central.writeUInt32LE(crc, 16);
    central.writeUInt32LE(packed.length, 20);
    central.writeUInt32LE(bytes.length, 24);
    central.writeUInt16LE(nameBytes.length, 28);
    central.writeUInt32LE(offset, 42);
    locals.push(local, nameBytes, packed);
    centrals.push(central, nameBytes);
    offset += local.length + nameBytes.length + packed.length;
  }
  const directory = Buffer.concat(centrals);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0);
  end.writeUInt16LE(members.length, 8);
  end.writeUInt16LE(members.length, 10);
  end.writeUInt32LE(directory.length, 12);
  end.writeUInt32LE(offset, 16);
  return Buffer.concat([...locals, directory, end]);
}

export async function launchBrowser() {
  return puppeteer.launch({ executablePath: '/usr/bin/chromium', args: kChromiumArgs, headless: true });
}

// A page that records every console error, page error, failed request and
// dialog into `problems` (dialogs are dismissed).
export async function watchedPage(browser, problems, viewport = { width: 1000, height: 760 }) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(`console: ${message.text()}`);
  });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('dialog', async (dialog) => {
    problems.push(`dialog: ${dialog.message()}`);
    await dialog.dismiss();
  });
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
  return page;
}

// The viewer's results as the page reports them in body's data attributes.
export async function pageResult(page) {
  return page.evaluate(() => ({ ...document.body.dataset }));
}

// Opens /watch/MODE/KEY and waits until the replay is loaded (or refused).
export async function openWatch(page, base, mode, key) {
  await page.goto(`${base}/watch/${mode}/${encodeURIComponent(key)}`);
  await page.waitForFunction(() => document.body.dataset.ready !== undefined, { timeout: 30000 });
  return pageResult(page);
}

// Until the page has drawn twice: what a key or click did is shown.
export async function settle(page) {
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}

export async function waitForEnd(page, timeout = 60000) {
  await page.waitForFunction(() => document.body.dataset.ended === '1', { timeout });
  return pageResult(page);
}

// A tiny test runner: named cases run in order, failures counted, exit status set.
export async function runCases(cases) {
  let failed = 0;
  // PLIMO_WEB_ONLY=text runs only the cases whose names hold it.
  const only = process.env.PLIMO_WEB_ONLY;
  if (only) cases = cases.filter(([name]) => name.includes(only));
  for (const [name, body] of cases) {
    const started = Date.now();
    try {
      await body();
      console.log(`ok   ${name} (${Date.now() - started} ms)`);
    } catch (error) {
      failed++;
      console.log(`FAIL ${name}: ${error.stack ?? error}`);
    }
  }
  console.log(failed ? `${failed} of ${cases.length} failed` : `all ${cases.length} passed`);
  process.exitCode = failed ? 1 : 0;
}
