// The functions the page's worker calls in the WebAssembly module. Strings go
// back as JSON in a buffer that stays valid until the next call.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Game.h"
#include "Random.h"
#include "WebSession.h"

namespace {

std::unique_ptr<WebSession> session;
std::uint64_t poolNodes = kBrowserPoolNodes;
std::string reply;

WebSession& current() {
  if (!session) session = std::make_unique<WebSession>(poolNodes);
  return *session;
}

// JSON has no NaN.
std::string number(double x) { return x != x ? "null" : std::to_string(x); }

template <class T, class F>
std::string array(const std::vector<T>& items, F each) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ',';
    out += each(items[i]);
  }
  return out + "]";
}

std::string integers(const std::vector<int>& items) {
  return array(items, [](int v) { return std::to_string(v); });
}

}  // namespace

extern "C" {

// Makes every later search repeatable for the same seed and timing: the
// tie-break and expansion generators and the playouts'.
EMSCRIPTEN_KEEPALIVE void uttt_seed(unsigned seed) {
  g_seed = seed;
  std::srand(seed);
  playoutRandom().reseed(seed);
}

// Capacity of the node pool, in nodes. A smaller pool may be asked for
// before the first game (for small devices, or to see the search stop when
// the pool is used up); nodes beyond the browser's share are refused.
EMSCRIPTEN_KEEPALIVE double uttt_pool_nodes(double wanted) {
  if (!session && wanted >= 1000 && wanted < static_cast<double>(kBrowserPoolNodes))
    poolNodes = static_cast<std::uint64_t>(wanted);
  return static_cast<double>(poolNodes);
}

EMSCRIPTEN_KEEPALIVE void uttt_new_game() { current().newGame(); }

// 1 when the move (9 * quadrant + cell) was played, 0 when it is not legal.
EMSCRIPTEN_KEEPALIVE int uttt_play(int move) { return current().play(move) ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE void uttt_undo(int count) { current().undo(count); }

// "" when the record line was loaded, else why not, naming the bad pair.
EMSCRIPTEN_KEEPALIVE const char* uttt_load(const char* line) {
  reply = current().load(line);
  return reply.c_str();
}

// The game seen after its first ply moves (all of them for a negative ply):
// {"ply", "length", "cells" (81 digits, quadrant by quadrant: 0 empty, 1 X,
// 2 O), "quadrants" (0 open, 1 or 2 won, -1 full), "next" (forced quadrant or
// -1), "toMove", "winner" (0 going on, 1 or 2, -1 tie), "legal" (move codes),
// "last" (move code or -1), "record", "winRates" (per ply, -1 for none)}.
EMSCRIPTEN_KEEPALIVE const char* uttt_state(int ply) {
  const WebSession& s = current();
  const std::size_t length = s.moves().size();
  const std::size_t at = ply < 0 ? length : std::min<std::size_t>(static_cast<std::size_t>(ply), length);
  const Position p = s.positionAt(at);
  std::string cells;
  for (int q = 0; q < 9; ++q)
    for (int c = 0; c < 9; ++c) cells += static_cast<char>('0' + p.cell(q, c));
  std::vector<int> quadrants;
  for (int q = 0; q < 9; ++q) quadrants.push_back(p.quadrantState(q));
  reply = "{\"ply\":" + std::to_string(at) + ",\"length\":" + std::to_string(length) +
          ",\"cells\":\"" + cells + "\",\"quadrants\":" + integers(quadrants) +
          ",\"next\":" + std::to_string(p.winner == 0 ? p.next : -1) +
          ",\"toMove\":" + std::to_string(p.playerToMove()) + ",\"winner\":" + std::to_string(p.winner) +
          ",\"legal\":" + integers(WebSession::legalMoves(p)) +
          ",\"last\":" + std::to_string(at > 0 ? s.moves()[at - 1] : -1) + ",\"record\":\"" + s.record() +
          "\",\"winRates\":" + array(s.winRates(), number) + "}";
  return reply.c_str();
}

// How the computer judges a position it reaches: 0 by random playouts to
// the end, 1 by random playouts with its value network's priors (the way
// the network plays strongest). Applies from the next search on.
EMSCRIPTEN_KEEPALIVE void uttt_set_evaluation(int network) {
  defaultSearch().priorVisits = network == 1 ? kStrongPriorVisits : 0;
  defaultSearch().priorAt = kStrongPriorAt;
  defaultSearch().priorWide = kStrongPriorWide;
}

// purpose 0: the computer's move, 1: a hint.
EMSCRIPTEN_KEEPALIVE void uttt_begin_search(double seconds, int purpose) {
  current().beginSearch(seconds, purpose == 1 ? WebSession::Purpose::Hint : WebSession::Purpose::Move);
}

// {"done", "iterations", "elapsed" (seconds), "poolFull", "poolBytes", "winAtOnce"} after one slice.
EMSCRIPTEN_KEEPALIVE const char* uttt_search_slice(double seconds) {
  const WebSession::Progress p = current().searchSlice(seconds);
  reply = std::string("{\"done\":") + (p.done ? "true" : "false") +
          ",\"iterations\":" + std::to_string(p.iterations) + ",\"elapsed\":" + number(p.elapsed) +
          ",\"poolFull\":" + (p.poolFull ? "true" : "false") +
          ",\"poolBytes\":" + std::to_string(p.poolBytes) +
          ",\"winAtOnce\":" + (p.winAtOnce ? "true" : "false") + "}";
  return reply.c_str();
}

EMSCRIPTEN_KEEPALIVE void uttt_cancel_search() { current().cancelSearch(); }

// After a hint: [[move code, share of visits], ...], most visited first.
EMSCRIPTEN_KEEPALIVE const char* uttt_top_moves(int count) {
  reply = array(current().topMoves(static_cast<std::size_t>(count < 0 ? 0 : count)),
                [](const WebSession::Share& s) {
                  return "[" + std::to_string(s.move) + "," + number(s.share) + "]";
                });
  return reply.c_str();
}

}  // extern "C"
