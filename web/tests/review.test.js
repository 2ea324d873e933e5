// Reviewing games: copying the move list, loading a record line (and being
// told which pair of a bad one is wrong), stepping through the moves.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { serve, launch, openPage, record, status, waitForPlayer, legalCells } = require('./support');

let server;
let browser;
before(async () => {
  server = await serve();
  browser = await launch();
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: server.url.replace(/\/$/, '') });
});
after(async () => { await browser.close(); await server.close(); });

// A finished game that X wins, in 23 moves.
const WON_BY_X = '03 37 73 33 32 26 65 50 06 60 00 36 64 43 31 15 54 40 30 57 75 56 63';

async function load(page, line) {
  await page.fill('#load-line', line);
  await page.click('#load');
  await page.waitForFunction(() => document.body.dataset.busy === 'false' && document.querySelector('#load-message').textContent);
  return page.textContent('#load-message');
}

test('the moves are copied as a record line that loads the same game', async () => {
  const page = await openPage(browser.context, server, '?seed=8&seconds=0.05');
  await page.click('#new');
  for (let i = 0; i < 3; i++) {
    await waitForPlayer(page);
    const before = (await record(page)).length;
    await page.click(`#board .cell[data-move="${(await legalCells(page))[0]}"]`);
    await page.waitForFunction((n) => document.querySelector('#record').value.length > n, before);
  }
  await waitForPlayer(page);
  const line = await record(page);
  assert.match(line, /^[0-8]{2}( [0-8]{2}){5}$/);
  await page.click('#copy');
  const copied = await page.evaluate(() => navigator.clipboard.readText());
  assert.equal(copied, line);

  const fresh = await openPage(browser.context, server, '?seconds=0.05');
  assert.equal(await load(fresh, copied), 'Loaded 6 moves.');
  assert.equal(await record(fresh), line);
  assert.match(await status(fresh), /Your move \(X\)/);  // X is to move in the loaded game
  assert.deepEqual([...page.problems, ...fresh.problems], []);
});

test('a record line loads however its pairs are spaced, and a finished game can be stepped through', async () => {
  const page = await openPage(browser.context, server);
  assert.equal(await load(page, WON_BY_X.replace(/ /g, '').replace(/^(..)/, '$1\t  ')), 'Loaded 23 moves.');
  assert.equal(await record(page), WON_BY_X);
  assert.match(await status(page), /You win/);
  assert.ok(await page.$$eval('#board .quadrant.won-x', (q) => q.length) >= 3);
  assert.equal(await legalCells(page).then((c) => c.length), 0);

  const marks = () => page.$$eval('#board .cell .mark', (m) => m.length);
  await page.click('#first');
  await page.waitForFunction(() => document.querySelector('#ply').textContent === '0 / 23');
  assert.equal(await marks(), 0);
  for (let i = 1; i <= 3; i++) {
    await page.click('#forward');
    await page.waitForFunction((n) => document.querySelector('#ply').textContent === `${n} / 23`, i);
  }
  assert.equal(await marks(), 3);
  assert.equal(await page.getAttribute('#board .cell.last', 'data-move'), String(9 * 7 + 3));
  await page.click('#back');
  await page.waitForFunction(() => document.querySelector('#ply').textContent === '2 / 23');
  assert.equal(await marks(), 2);
  await page.click('#last');
  await page.waitForFunction(() => document.querySelector('#ply').textContent === '23 / 23');
  assert.equal(await marks(), 23);
  assert.deepEqual(page.problems, []);
});

test('a bad record line is refused with a message naming the bad pair, and the game stays', async () => {
  const page = await openPage(browser.context, server);
  await load(page, '40 04');
  const cases = [
    ['40 49 51', /move 2 "49".*digits 0-8/],
    ['40 0x', /move 2 "0x".*digits 0-8/],
    ['40 04 4', /move 3 "4".*cell digit is missing/],
    ['40 41 14', /move 2 "41".*not a legal move/],   // 40 sends O to quadrant 0
    [`${WON_BY_X} 22`, /move 24 "22".*already over/],
  ];
  for (const [line, message] of cases) {
    assert.match(await load(page, line), message, line);
    assert.match(await page.textContent('#load-message'), /^Not loaded/);
    assert.equal(await record(page), '40 04', 'the game on the board is kept');
  }
  assert.deepEqual(page.problems, []);
});
