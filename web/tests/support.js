// Test support: a static file server for the built page on 127.0.0.1, and
// Debian's Chromium driven headless by playwright-core (no browser download).
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const repo = path.resolve(__dirname, '..', '..');
const siteDir = path.resolve(process.env.UTTT_SITE || path.join(repo, 'build', 'web', 'site'));
// Screenshots and other artefacts (ignored by git).
const outputDir = path.join(__dirname, 'output');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
};

// Serves siteDir on a free port; resolves to { url, bytesSent(), close() }.
function serve() {
  let bytes = 0;
  const server = http.createServer((req, res) => {
    const urlPath = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.join(siteDir, urlPath === '/' ? 'index.html' : urlPath);
    if (!file.startsWith(siteDir + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      res.writeHead(404).end();
      return;
    }
    const body = fs.readFileSync(file);
    bytes += body.length;
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    res.end(body);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      const url = `http://127.0.0.1:${server.address().port}/`;
      resolve({ url, bytesSent: () => bytes, close: () => new Promise((r) => server.close(r)) });
    });
  });
}

// A fresh headless Chromium with its own profile.
async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'uttt-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 1100, height: 900 },
    hasTouch: true,  // pages take taps as well as clicks
  });
  return {
    context,
    close: async () => {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// The page opened at query (e.g. "?seed=1&seconds=0.05"), ready for play.
// Every console error, page error and request outside the site is recorded
// in page.problems.
async function openPage(context, server, query = '') {
  const page = await context.newPage();
  page.problems = [];
  page.on('console', (m) => { if (m.type() === 'error') page.problems.push(`console: ${m.text()}`); });
  page.on('pageerror', (e) => page.problems.push(`page error: ${e.message}`));
  context.on('request', (r) => {
    if (!r.url().startsWith(server.url) && !r.url().startsWith('data:')) page.problems.push(`request: ${r.url()}`);
  });
  await page.goto(server.url + query);
  await page.waitForSelector('body[data-ready="true"]');
  return page;
}

// The engine's state as the page shows it: the record and the status line.
const record = (page) => page.inputValue('#record');
const status = (page) => page.textContent('#status');

// Waits until the player may click (or the game is over).
async function waitForPlayer(page) {
  await page.waitForFunction(() => {
    const s = document.querySelector('#status').textContent;
    return document.body.dataset.busy === 'false' && /Your move|You win|computer wins|A tie/.test(s);
  });
}

const legalCells = (page) => page.$$eval('#board .cell.legal', (cells) => cells.map((c) => Number(c.dataset.move)));

// Plays a whole game by clicking: a legal cell chosen by a seeded generator
// each turn, until the game ends. Returns the number of the player's moves.
async function playToEnd(page, seed) {
  let s = seed >>> 0;
  let moves = 0;
  for (;;) {
    await waitForPlayer(page);
    const legal = await legalCells(page);
    if (legal.length === 0) return moves;
    s = (Math.imul(s, 1664525) + 1013904223) >>> 0;
    const before = (await record(page)).length;
    await page.click(`#board .cell[data-move="${legal[s % legal.length]}"]`);
    await page.waitForFunction((n) => document.querySelector('#record').value.length > n, before);
    moves++;
  }
}

module.exports = { serve, launch, openPage, record, status, waitForPlayer, legalCells, playToEnd, outputDir, repo };
