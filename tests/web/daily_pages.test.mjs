// The daily challenge's pages in a real browser: today's page with each
// mode's top ten and the time left, a day's whole board paged and sorted as
// a mode's ranking is, a day's game played in the viewer, and the day
// picker taking the browser to a past day. Today's plimo seed is set to the
// recorded game's before the server draws one, so that the real game is a
// game of the day.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { gameDir, launchBrowser, runCases, startServer, watchedPage } from './harness.mjs';

const game = gameDir();
const fixtures = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', 'fixtures');
const kFilled = 120;
const today = new Date().toISOString().slice(0, 10);
const yesterday = new Date(Date.now() - 86400000).toISOString().slice(0, 10);

// Entry i of the day scores 10 * i and chains i % 5.
function fillStore(database) {
  const rows = [];
  for (let i = 1; i <= kFilled; i++) {
    rows.push(`('plimo@${today}','d${String(i).padStart(3, '0')}',${10 * i},${i % 5},printf('%016x',${i}),` +
      `'${today.replaceAll('-', '/')} 00:00:00',printf('%064x',${i}),x'00')`);
  }
  rows.push(`('yoiko@${yesterday}','early bird',777,4,printf('%016x',9999),'2026/01/01 00:00:00',printf('%064x',9999),x'00')`);
  execFileSync('sqlite3', [server.database,
    'INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive) VALUES ' +
    `${rows.join(',')}; INSERT INTO daily_seeds (day, mode, seed) VALUES ('${today}', 'plimo', 123);`]);
}

async function rowsOf(page, within = 'main') {
  return page.$$eval(`${within} table.ranking tbody tr`, (trs) => trs.map((tr) => {
    const cells = [...tr.querySelectorAll('td')];
    return { rank: Number(cells[0].textContent), name: cells[1].textContent, score: Number(cells[2].textContent),
             chain: Number(cells[3].textContent), watch: tr.querySelector('a')?.getAttribute('href') };
  }));
}

const server = await startServer(game);
const browser = await launchBrowser();
const problems = [];
try {
  fillStore(server.database);
  const recorded = JSON.parse(readFileSync(path.join(fixtures, 'plimo_seed123.json'), 'utf8'));
  const cgi = `${server.base}/cgi-bin/plimoball100/ranking_plimo.cgi`;
  const uploaded = await (await fetch(`${cgi}?UploadDaily?daytaro?${recorded.score}?${recorded.maxRensa}?${today}`,
    { method: 'POST', body: readFileSync(path.join(fixtures, 'plimo_seed123.zip')) })).text();
  assert.equal(uploaded, 'UploadSuccess?1');
  const page = await watchedPage(browser, problems);

  await runCases([
    ["the day's seeds as the game and scripts read them", async () => {
      const json = await (await fetch(`${server.base}/api/daily`)).json();
      assert.equal(json.date, today);
      assert.equal(json.modes.plimo.seed, 123);
      assert.ok(json.ends.endsWith('T00:00:00Z') && json.ends > today);
      const line = await (await fetch(`${cgi}?GetDaily?`, { method: 'POST', body: '' })).text();
      const fields = line.trim().split('?');
      assert.deepEqual(fields.slice(0, 4), [today, '123', String(json.modes.yoiko.seed), String(json.modes.wanpaku.seed)]);
      assert.ok(Number(fields[4]) > 0 && Number(fields[4]) <= 86400);
    }],
    ["today's page: each mode's top ten, the time left and a day picker", async () => {
      await page.goto(`${server.base}/daily`);
      assert.deepEqual(await page.$$eval('main h2', (hs) => hs.map((h) => h.textContent)), ['plimo', 'yoiko', 'wanpaku']);
      const rows = await rowsOf(page, 'main section:first-of-type');
      assert.equal(rows.length, 10);
      assert.equal(rows[0].name, 'daytaro');
      assert.equal(rows[0].score, recorded.score);
      assert.deepEqual(rows.slice(1).map((row) => row.name), Array.from({ length: 9 }, (_, i) => `d${kFilled - i}`));
      const text = await page.$eval('main', (main) => main.textContent);
      assert.match(text, /Time left: \d+ h \d+ min/);
      assert.equal(await page.$eval('input[type=date]', (input) => input.max), today);
      const shots = process.env.PLIMO_WEB_SHOTS;
      if (shots) await page.screenshot({ path: path.join(shots, 'daily_page.png'), fullPage: true });
    }],
    ['the whole day, page by page in both sorts, as the JSON says', async () => {
      for (const sort of ['score', 'chain']) {
        const seen = [];
        await page.goto(`${server.base}/daily/plimo/${today}?sort=${sort}`);
        for (;;) {
          seen.push(...await rowsOf(page));
          const next = await page.$('a[rel=next]');
          if (!next) break;
          await Promise.all([page.waitForNavigation(), next.click()]);
        }
        assert.deepEqual(seen.map((row) => row.rank), Array.from({ length: kFilled + 1 }, (_, i) => i + 1), sort);
        assert.equal(new Set(seen.map((row) => row.name)).size, kFilled + 1);
        for (let i = 1; i < seen.length; i++) assert.ok(seen[i - 1][sort] >= seen[i][sort], `${sort} at ${i + 1}`);
        assert.ok(seen.every((row) => row.watch.startsWith(`/watch/plimo/${today}/`)), 'watch links of the day');
        const shots = process.env.PLIMO_WEB_SHOTS;
        if (shots && sort === 'chain') await page.screenshot({ path: path.join(shots, 'daily_board.png'), fullPage: true });
        const json = await (await fetch(`${server.base}/api/daily/plimo/${today}?sort=${sort}&page=3`)).json();
        assert.equal(json.total, kFilled + 1);
        assert.equal(json.day, today);
        assert.deepEqual(json.entries.map((entry) => entry.name), seen.slice(100).map((row) => row.name));
      }
    }],
    ["a game of the day plays in the viewer", async () => {
      await page.goto(`${server.base}/daily`);
      await Promise.all([page.waitForNavigation(), page.click('main section:first-of-type tbody tr:first-child a')]);
      assert.match(new URL(page.url()).pathname, new RegExp(`^/watch/plimo/${today}/[0-9a-f]{16}$`));
      await page.waitForFunction(() => document.body.dataset.ready !== undefined, { timeout: 30000 });
      assert.equal(await page.evaluate(() => document.body.dataset.ready), '1');
      assert.equal(await page.evaluate(() => document.body.dataset.score), '0', 'the game from its start');
      // Played fast to its end: the score the server took.
      await page.keyboard.press('End');
      await page.waitForFunction(() => document.body.dataset.ended === '1', { timeout: 60000 });
      assert.equal(Number(await page.evaluate(() => document.body.dataset.score)), recorded.score);
    }],
    ['the day picker shows a past day', async () => {
      await page.goto(`${server.base}/daily`);
      await page.$eval('input[type=date]', (input, day) => { input.value = day; }, yesterday);
      await Promise.all([page.waitForNavigation(), page.click('form.day button')]);
      assert.equal(new URL(page.url()).search, `?date=${yesterday}`);
      assert.ok((await page.$eval('h1', (h) => h.textContent)).includes(yesterday));
      const text = await page.$eval('main', (main) => main.textContent);
      assert.ok(text.includes('This day is over'));
      const yoiko = await rowsOf(page, 'main section:nth-of-type(2)');
      assert.deepEqual(yoiko.map((row) => [row.name, row.score]), [['early bird', 777]]);
      assert.equal((await page.goto(`${server.base}/daily?date=2999-01-01`)).status(), 404);
    }],
    ['no dialog, console error or failed request', async () => {
      // The future day's 404 above is the only refused page.
      assert.deepEqual(problems.filter((problem) => !problem.includes('404')), []);
    }],
  ]);
} finally {
  await browser.close();
  await server.stop();
}
