// The ranking pages in a real browser: 1,000 entries of a mode, written
// straight into the store, list page by page in both sorts, each entry once
// with continuous ranks; names that break the game's rules (markup, quotes,
// an ampersand) show as text and run nothing; the front page shows each
// mode's top five.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { gameDir, launchBrowser, runCases, startServer, watchedPage } from './harness.mjs';

const game = gameDir();
const kEntries = 1000;
const kHostile = ['<img/src=x/onerror=alert(1)>', '"quoted"', 'a&b', '</td><script>alert(2)</script>'];

function nameOf(i) {
  return i <= kHostile.length ? kHostile[i - 1] : `p${String(i).padStart(4, '0')}`;
}

// Entry i scores 10 * i and chains i % 7 (ties on chain keep the store's order).
function fillStore(database) {
  const rows = [];
  for (let i = 1; i <= kEntries; i++) {
    const name = nameOf(i).replaceAll("'", "''");
    rows.push(`('plimo','${name}',${10 * i},${i % 7},printf('%016x',${i}),'2026/01/01 00:00:00',printf('%064x',${i}),x'00')`);
  }
  const sql = 'INSERT INTO entries (mode, name, score, max_rensa, replay_key, date, archive_hash, archive) VALUES ' +
    rows.join(',') + ';';
  execFileSync('sqlite3', [database, sql]);
}

async function rowsOf(page) {
  return page.$$eval('table.ranking tbody tr', (trs) => trs.map((tr) => {
    const cells = [...tr.querySelectorAll('td')];
    return { rank: Number(cells[0].textContent), name: cells[1].textContent, score: Number(cells[2].textContent.replaceAll(',', '')),
             chain: Number(cells[3].textContent), watch: tr.querySelector('a')?.getAttribute('href') };
  }));
}

const server = await startServer(game);
const browser = await launchBrowser();
const problems = [];
try {
  fillStore(server.database);
  await new Promise((r) => setTimeout(r, 1200));  // the list cache is at most a second old
  const page = await watchedPage(browser, problems);

  await runCases([
    ['every entry once, page by page, in both sorts', async () => {
      for (const sort of ['score', 'chain']) {
        const seen = [];
        for (let number = 1; number <= kEntries / 50; number++) {
          await page.goto(`${server.base}/ranking/plimo?page=${number}&sort=${sort}`);
          const rows = await rowsOf(page);
          assert.equal(rows.length, 50, `${sort} page ${number}`);
          seen.push(...rows);
        }
        assert.deepEqual(seen.map((row) => row.rank), Array.from({ length: kEntries }, (_, i) => i + 1));
        assert.equal(new Set(seen.map((row) => row.name)).size, kEntries, `${sort}: every name once`);
        const key = sort === 'score' ? 'score' : 'chain';
        for (let i = 1; i < seen.length; i++) assert.ok(seen[i - 1][key] >= seen[i][key], `${sort} order at rank ${i + 1}`);
        assert.ok(seen.every((row) => /^\/watch\/plimo\/[0-9a-f]{16}$/.test(row.watch)), 'watch links');
      }
      await page.goto(`${server.base}/ranking/plimo?page=21`);
      assert.equal((await rowsOf(page)).length, 0, 'a page past the end is empty');
    }],
    ['names that break the rules show as text and run nothing', async () => {
      await page.goto(`${server.base}/ranking/plimo?page=20`);
      const names = (await rowsOf(page)).map((row) => row.name);
      for (const hostile of kHostile) assert.ok(names.includes(hostile), `${hostile} shown as text`);
      assert.equal(await page.$$eval('table img, table script', (found) => found.length), 0, 'no markup from a name');
      const shots = process.env.PLIMO_WEB_SHOTS;
      if (shots) await page.screenshot({ path: path.join(shots, 'ranking_page.png'), fullPage: true });
    }],
    ['the front page shows each mode with its top five', async () => {
      await page.goto(`${server.base}/`);
      const text = await page.$eval('main', (main) => main.textContent);
      for (const mode of ['plimo', 'yoiko', 'wanpaku']) assert.ok(text.includes(mode), mode);
      for (let i = kEntries; i > kEntries - 5; i--) assert.ok(text.includes(nameOf(i)), `top five: ${nameOf(i)}`);
      assert.ok(!text.includes(nameOf(kEntries - 5)), 'only five');
    }],
    ['no dialog, console error or failed request', async () => {
      assert.deepEqual(problems, []);
    }],
  ]);
} finally {
  await browser.close();
  await server.stop();
}
