// The engine's thread. Every request from the page carries an id and gets one
// reply with that id; a search also sends progress messages while it runs.
// A search runs in slices so that messages (a new game, a cancel) are read
// between them.
'use strict';
importScripts('engine.js');

const SLICE_SECONDS = 0.05;
const MOVE = 0;
const HINT = 1;

let engine = null;
const ready = createEngine().then((m) => { engine = m; });

const call = (name, ret, types = [], args = []) => engine.ccall(name, ret, types, args);
const state = (ply = -1) => JSON.parse(call('uttt_state', 'string', ['number'], [ply]));

// Zero-delay turns of the event loop (timers would be clamped to 4 ms).
const channel = new MessageChannel();
const pending = [];
channel.port1.onmessage = () => pending.shift()();
const yieldThen = (fn) => { pending.push(fn); channel.port2.postMessage(0); };

// The running search: its request and how it reports when done.
let search = null;

function cancelSearch() {
  if (!search) return;
  call('uttt_cancel_search', null);
  const { id } = search;
  search = null;
  postMessage({ id, cancelled: true });
}

// Runs slices of the search begun for request id until it is done, then
// calls finish with the last progress.
function runSearch(id, seconds, purpose, finish) {
  call('uttt_begin_search', null, ['number', 'number'], [seconds, purpose]);
  search = { id };
  const step = () => {
    if (!search || search.id !== id) return;  // cancelled meanwhile
    const progress = JSON.parse(call('uttt_search_slice', 'string', ['number'], [SLICE_SECONDS]));
    if (!progress.done) {
      postMessage({ progress: { ...progress, seconds } });
      yieldThen(step);
      return;
    }
    search = null;
    finish(progress);
  };
  yieldThen(step);
}

const handlers = {
  init(msg) {
    if (msg.seed !== undefined) call('uttt_seed', null, ['number'], [msg.seed >>> 0]);
    const poolNodes = call('uttt_pool_nodes', 'number', ['number'], [msg.poolNodes || 0]);
    return { poolNodes, state: state() };
  },
  newGame() { call('uttt_new_game', null); return { state: state() }; },
  play(msg) {
    const ok = call('uttt_play', 'number', ['number'], [msg.move]) === 1;
    return { ok, state: state() };
  },
  undo(msg) { call('uttt_undo', null, ['number'], [msg.count]); return { state: state() }; },
  load(msg) {
    const error = call('uttt_load', 'string', ['string'], [msg.line]);
    return { error, state: state() };
  },
  state(msg) { return { state: state(msg.ply) }; },
  think(msg) {
    const purpose = msg.purpose === 'hint' ? HINT : MOVE;
    call('uttt_set_evaluation', null, ['number'], [msg.evaluation === 'network' ? 1 : 0]);
    runSearch(msg.id, msg.seconds, purpose, (progress) => {
      const reply = { id: msg.id, progress, state: state() };
      if (purpose === HINT) reply.top = JSON.parse(call('uttt_top_moves', 'string', ['number'], [3]));
      postMessage(reply);
    });
    return undefined;  // the reply comes when the search is done
  },
  cancel() { cancelSearch(); return {}; },
  // Iterations of a search of each position (record lines), run as a hint is.
  bench(msg) {
    const results = [];
    const next = (i) => {
      if (i === msg.records.length) { postMessage({ id: msg.id, results }); return; }
      call('uttt_seed', null, ['number'], [1]);
      call('uttt_set_evaluation', null, ['number'], [0]);
      call('uttt_load', 'string', ['string'], [msg.records[i]]);
      runSearch(msg.id, msg.seconds, HINT, (p) => {
        results.push({ record: msg.records[i], iterations: p.iterations, elapsed: p.elapsed });
        next(i + 1);
      });
    };
    next(0);
    return undefined;
  },
};

onmessage = async (event) => {
  await ready;
  const msg = event.data;
  if (msg.type !== 'cancel' && msg.type !== 'state') cancelSearch();
  const reply = handlers[msg.type](msg);
  if (reply !== undefined) postMessage({ id: msg.id, ...reply });
};
