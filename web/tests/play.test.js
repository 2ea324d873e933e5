// Playing against the computer by pointer: whole games for each side, clicks
// the rules refuse, taking back and asking for a hint.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { serve, launch, openPage, record, status, waitForPlayer, legalCells, playToEnd, outputDir } = require('./support');

let server;
let browser;
before(async () => { server = await serve(); browser = await launch(); });
after(async () => { await browser.close(); await server.close(); });

const pairs = (line) => (line ? line.split(' ') : []);

test('a whole game as X, by clicks, ends with a result and a screenshot', async () => {
  const page = await openPage(browser.context, server, '?seed=1&seconds=0.05');
  await page.click('#new');
  const moves = await playToEnd(page, 7);
  assert.ok(moves >= 9, `at least nine moves of mine, played ${moves}`);
  assert.match(await status(page), /You win|computer wins|A tie/);
  assert.equal(await legalCells(page).then((c) => c.length), 0, 'nothing is playable once the game is over');
  const line = await record(page);
  assert.match(line, /^([0-8]{2} )*[0-8]{2}$/);
  // The computer judged each of its moves: one point per move in the chart.
  const points = await page.$$eval('#chart circle', (c) => c.length);
  assert.equal(points, Math.floor(pairs(line).length / 2));
  // A game-winning reply is played without a search, and the page says so.
  assert.doesNotMatch(await page.textContent('#iterations'), /^0 iterations/);
  fs.mkdirSync(outputDir, { recursive: true });
  await page.screenshot({ path: path.join(outputDir, 'finished-game.png'), fullPage: true });
  assert.deepEqual(page.problems, []);
});

test('a whole game as O: the computer opens, then answers each click', async () => {
  const page = await openPage(browser.context, server, '?seed=2&seconds=0.05');
  await page.check('input[name="side"][value="2"]');
  await page.click('#new');
  await waitForPlayer(page);
  assert.equal(pairs(await record(page)).length, 1, 'the computer moved first');
  const moves = await playToEnd(page, 11);
  assert.ok(moves >= 9);
  assert.match(await status(page), /You win|computer wins|A tie/);
  assert.deepEqual(page.problems, []);
});

test('a click on a cell the rules refuse changes nothing', async () => {
  const page = await openPage(browser.context, server, '?seed=3&seconds=0.05');
  await page.click('#new');
  await page.click('#board .cell[data-move="40"]');  // centre of the centre
  await waitForPlayer(page);
  const line = await record(page);
  const legal = new Set(await legalCells(page));
  const refused = [0, 40, 80, 8, 72].filter((m) => !legal.has(m));
  assert.ok(refused.length > 0);
  // What the board shows, leaving aside which cell keeps the keyboard focus.
  const shown = () => page.$$eval('#board .cell, #board .quadrant',
    (els) => els.map((e) => `${e.className}|${e.getAttribute('aria-label') || ''}`).join('\n'));
  const board = await shown();
  // The cells say they are disabled; a click reaches them anyway.
  for (const m of refused) await page.click(`#board .cell[data-move="${m}"]`, { force: true });
  // Keyboard too: Enter on a refused cell.
  await page.focus(`#board .cell[data-move="${refused[0]}"]`);
  await page.keyboard.press('Enter');
  await page.waitForTimeout(200);
  assert.equal(await record(page), line);
  assert.ok((await shown()) === board, 'the board is drawn as before');
  assert.deepEqual(page.problems, []);
});

test('moves by keyboard alone: arrows to a cell, Enter to play it', async () => {
  const page = await openPage(browser.context, server, '?seed=4&seconds=0.05');
  await page.click('#new');
  await page.focus('#board .cell[data-move="40"]');
  await page.keyboard.press('ArrowLeft');   // row 4, column 3: quadrant 4, cell 3
  await page.keyboard.press('ArrowLeft');   // column 2: quadrant 3, cell 5
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('Enter');
  await waitForPlayer(page);
  assert.equal(pairs(await record(page))[0], '43');
});

test('take back undoes my move and the reply, and I can play again', async () => {
  const page = await openPage(browser.context, server, '?seed=5&seconds=0.05');
  await page.click('#new');
  await page.click('#board .cell[data-move="40"]');
  await waitForPlayer(page);
  const afterFirst = await record(page);
  const legal = await legalCells(page);
  await page.click(`#board .cell[data-move="${legal[0]}"]`);
  await page.waitForFunction((n) => document.querySelector('#record').value.length > n, afterFirst.length);
  await waitForPlayer(page);
  assert.equal(pairs(await record(page)).length, 4);
  await page.click('#undo');
  await page.waitForFunction((l) => document.querySelector('#record').value === l, afterFirst);
  assert.deepEqual(await legalCells(page), legal, 'the same choice as before');
  await page.click('#undo');
  await page.waitForFunction(() => document.querySelector('#record').value === '');
  await page.click('#board .cell[data-move="0"]');
  await waitForPlayer(page);
  assert.equal(pairs(await record(page))[0], '00');
  assert.deepEqual(page.problems, []);
});

test('a hint marks the top moves on legal cells by their share of visits', async () => {
  const page = await openPage(browser.context, server, '?seed=6&seconds=0.2');
  await page.click('#new');
  await page.click('#hint');
  await page.waitForSelector('#board .cell .hint');
  const hints = await page.$$eval('#board .cell', (cells) => cells
    .filter((c) => c.querySelector('.hint'))
    .map((c) => ({ legal: c.classList.contains('legal'), share: parseInt(c.querySelector('.hint').textContent, 10) })));
  assert.ok(hints.length >= 1 && hints.length <= 3);
  for (const h of hints) assert.ok(h.legal && h.share >= 0 && h.share <= 100);
  assert.equal(await record(page), '', 'a hint plays nothing');
  assert.deepEqual(page.problems, []);
});

test('a search that uses up its memory stops early and says so', async () => {
  const page = await openPage(browser.context, server, '?seed=9&seconds=5&pool=20000');
  assert.match(await page.textContent('#memory-note'), /256 MB.*0\.02 million positions/s);
  await page.check('input[name="side"][value="2"]');
  const started = Date.now();
  await page.click('#new');
  await waitForPlayer(page);
  assert.ok(Date.now() - started < 4000, 'stopped before its thinking time');
  assert.match(await status(page), /stopped early.*memory/);
  assert.equal(pairs(await record(page)).length, 1);
  assert.deepEqual(page.problems, []);
});

test('on a phone in the dark: the square board fits the width and plays by tap', async () => {
  const page = await openPage(browser.context, server, '?seed=10&seconds=0.05');
  await page.setViewportSize({ width: 360, height: 740 });
  await page.emulateMedia({ colorScheme: 'dark' });
  const fit = await page.evaluate(() => {
    const b = document.querySelector('#board').getBoundingClientRect();
    return { scroll: document.documentElement.scrollWidth, width: innerWidth, w: b.width, h: b.height,
      background: getComputedStyle(document.body).backgroundColor };
  });
  assert.ok(fit.scroll <= fit.width, 'no sideways scrolling');
  assert.ok(Math.abs(fit.w - fit.h) < 2 && fit.w > 300, `board ${fit.w} x ${fit.h}`);
  assert.notEqual(fit.background, 'rgb(250, 250, 247)', 'the dark scheme is followed');
  await page.tap('#new');
  await page.tap('#board .cell[data-move="40"]');
  await waitForPlayer(page);
  assert.equal(pairs(await record(page)).length, 2);
  assert.deepEqual(page.problems, []);
});

test('the computer can be guided by its value network as well as playouts', async () => {
  const page = await openPage(browser.context, server, '?seed=12&seconds=0.1');
  await page.selectOption('#evaluation', 'network');
  await page.check('input[name="side"][value="2"]');
  await page.click('#new');
  await waitForPlayer(page);
  await page.click(`#board .cell[data-move="${(await legalCells(page))[0]}"]`);
  await page.waitForFunction(() => document.querySelector('#record').value.split(' ').length >= 3);
  await waitForPlayer(page);
  assert.match(await page.textContent('#iterations'), /[1-9][\d,]* iterations/);
  assert.deepEqual(page.problems, []);
});
