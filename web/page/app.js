// The page's controller: keeps what the player sees in step with the engine,
// which runs in a worker (worker.js) and alone knows the rules.
import { Board, playerName } from './board.js';
import { drawChart } from './chart.js';

const $ = (id) => document.getElementById(id);

// ---- The worker: requests with promised replies, progress as it comes.
const worker = new Worker('worker.js');
let nextId = 1;
const waiting = new Map();
worker.onmessage = ({ data }) => {
  if (data.id === undefined) { showProgress(data.progress); return; }
  const resolve = waiting.get(data.id);
  waiting.delete(data.id);
  markBusy();
  if (resolve) resolve(data);
};
// body[data-busy] says whether a request is out, so that whoever drives the
// page (a test) can wait for it to settle.
function markBusy() { document.body.dataset.busy = String(waiting.size > 0); }
worker.onerror = (e) => { setStatus(`The engine failed: ${e.message}`); };
function ask(type, fields = {}) {
  const id = nextId++;
  return new Promise((resolve) => {
    waiting.set(id, resolve);
    markBusy();
    worker.postMessage({ type, id, ...fields });
  });
}

// ---- What the page shows.
const params = new URLSearchParams(location.search);
const game = {
  side: 1,          // the player's mark
  state: null,      // the engine's state of the whole game
  view: null,       // the state at the ply on show
  viewPly: 0,
  thinking: false,
  busy: false,
  hint: null,
  message: '',
};

const board = new Board($('board'), onCellPlay);

function setStatus(text) { $('status').textContent = text; }

function seconds() {
  const level = $('level').value;
  const value = level === 'custom' ? Number($('custom-seconds').value) : Number(level);
  return Number.isFinite(value) && value > 0 ? Math.min(value, 600) : 3;
}

const atEnd = () => game.viewPly === game.state.length;
const computerSide = () => 3 - game.side;
const playerOfPly = (i) => (i % 2 === 0 ? 1 : 2);

function describe(state) {
  if (state.winner === -1) return 'A tie.';
  if (state.winner > 0) return state.winner === game.side ? 'You win!' : 'The computer wins.';
  const where = state.next >= 0 ? `in quadrant ${state.next}` : 'in any open quadrant';
  return state.toMove === game.side ? `Your move (${playerName(game.side)}), ${where}.` : `The computer's move, ${where}.`;
}

function render() {
  const s = game.state;
  const view = game.view || s;
  const live = atEnd();
  const canPlay = live && !game.thinking && s.winner === 0 && s.toMove === game.side;
  board.render(view, { legal: canPlay, hint: live ? game.hint : null });
  $('board').classList.toggle('review', !live);
  // While the computer thinks, the status says so until it is done.
  if (!game.thinking) {
    setStatus(live ? [game.message, describe(s)].filter(Boolean).join(' ')
      : `Move ${game.viewPly} of ${s.length}. Step forward to the last move to play on.`);
  }
  $('record').value = s.record;
  $('ply').textContent = `${game.viewPly} / ${s.length}`;
  $('first').disabled = $('back').disabled = game.viewPly === 0;
  $('forward').disabled = $('last').disabled = live;
  $('undo').disabled = game.thinking || !s.length;
  $('hint').disabled = !canPlay;
  $('load').disabled = game.thinking;
  drawChart($('chart'), s.winRates, game.viewPly);
}

function show(state) {
  game.state = state;
  game.view = state;
  game.viewPly = state.length;
  render();
}

async function viewPly(ply) {
  const target = Math.max(0, Math.min(ply, game.state.length));
  const { state } = await ask('state', { ply: target });
  game.viewPly = target;
  game.view = state;
  render();
}

// ---- Playing.
// Progress bar over the thinking time, and the iterations so far.
function showProgress(p) {
  $('progress').value = p.seconds > 0 ? Math.min(1, p.elapsed / p.seconds) : 1;
  $('iterations').textContent = p.winAtOnce ? 'A winning move: no search needed.'
    : `${p.iterations.toLocaleString('en')} iterations, tree ${Math.round(p.poolBytes / 1e6)} MB`;
}

async function computerMove() {
  const s = game.state;
  if (s.winner !== 0 || s.toMove !== computerSide()) return;
  game.thinking = true;
  game.hint = null;
  game.message = '';
  const total = seconds();
  $('progress').value = 0;
  setStatus('The computer is thinking…');
  render();
  const reply = await ask('think', { seconds: total, purpose: 'move', evaluation: $('evaluation').value });
  game.thinking = false;
  if (reply.cancelled) return;
  showProgress({ ...reply.progress, seconds: 0 });
  if (reply.progress.poolFull) game.message = 'The computer stopped early: the memory for its search was used up.';
  show(reply.state);
}

async function onCellPlay(move) {
  const s = game.state;
  if (!s || game.thinking || game.busy || !atEnd() || s.toMove !== game.side || !s.legal.includes(move)) return;
  game.busy = true;  // one move per turn, however fast the clicks come
  const reply = await ask('play', { move });
  game.busy = false;
  if (!reply.ok) return;
  game.hint = null;
  game.message = '';
  show(reply.state);
  await computerMove();
}

async function newGame() {
  game.side = Number(new FormData($('new-game')).get('side'));
  game.hint = null;
  game.message = '';
  game.thinking = false;
  $('progress').value = 0;
  $('iterations').textContent = '';
  const { state } = await ask('newGame');
  show(state);
  await computerMove();
}

// Undoes the player's last move with the computer's reply to it.
async function takeBack() {
  const s = game.state;
  let keep = s.length;
  while (keep > 0 && playerOfPly(keep - 1) !== game.side) keep--;
  if (keep === 0) return;
  keep--;
  const { state } = await ask('undo', { count: s.length - keep });
  game.hint = null;
  game.message = '';
  show(state);
}

async function hint() {
  game.thinking = true;
  render();
  const total = seconds();
  setStatus('Looking for a hint…');
  const reply = await ask('think', { seconds: total, purpose: 'hint', evaluation: $('evaluation').value });
  game.thinking = false;
  if (reply.cancelled) return;
  showProgress({ ...reply.progress, seconds: 0 });
  game.hint = reply.top;
  game.message = 'Hint: the computer\'s favourite moves, by share of its search.';
  render();
}

async function copyRecord() {
  const text = game.state.record;
  try {
    await navigator.clipboard.writeText(text);
  } catch {
    $('record').select();
    document.execCommand('copy');
  }
  setStatus('Moves copied.');
}

async function load(line) {
  const reply = await ask('load', { line });
  if (reply.error) {
    $('load-message').textContent = `Not loaded: ${reply.error}.`;
    return;
  }
  $('load-message').textContent = `Loaded ${reply.state.length} moves.`;
  // Play on as the side to move, from the loaded position.
  game.side = reply.state.winner === 0 ? reply.state.toMove : game.side;
  document.querySelector(`input[name="side"][value="${game.side}"]`).checked = true;
  game.hint = null;
  game.message = '';
  show(reply.state);
}

// ---- Wiring.
$('new-game').addEventListener('submit', (e) => { e.preventDefault(); newGame(); });
$('level').addEventListener('change', () => { $('custom-label').hidden = $('level').value !== 'custom'; });
$('undo').addEventListener('click', takeBack);
$('hint').addEventListener('click', hint);
$('copy').addEventListener('click', copyRecord);
$('load-form').addEventListener('submit', (e) => { e.preventDefault(); load($('load-line').value); });
$('first').addEventListener('click', () => viewPly(0));
$('back').addEventListener('click', () => viewPly(game.viewPly - 1));
$('forward').addEventListener('click', () => viewPly(game.viewPly + 1));
$('last').addEventListener('click', () => viewPly(game.state.length));

// Tests and curious players: ?seed=N repeats the engine's random choices,
// ?seconds=S sets a custom thinking time, ?pool=N a smaller search tree.
(async () => {
  const seed = params.has('seed') ? Number(params.get('seed')) : undefined;
  const { state, poolNodes } = await ask('init', { seed, poolNodes: Number(params.get('pool')) || 0 });
  if (params.has('seconds')) {
    $('level').value = 'custom';
    $('custom-label').hidden = false;
    $('custom-seconds').value = params.get('seconds');
  }
  $('pool-size').textContent = `${(poolNodes / 1e6).toLocaleString('en')} million positions`;
  show(state);
  document.body.dataset.ready = 'true';
})();

// For the browser tests: the engine's speed on given positions.
window.benchEngine = (records, secs) => ask('bench', { records, seconds: secs });
