#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Position.h"

class Node;

// Nodes of the search tree in the browser. A full pool of 10 million nodes
// was measured at 246 MiB (24 bytes a node, the slack that keeps runs of
// siblings easy to find, and the bitmap); 9.5 million keep it under 256 MB.
inline constexpr std::uint64_t kBrowserPoolNodes = 9'500'000;

// One game for the page: its moves, the position they lead to, and a search
// that runs in short slices, so that its caller (a Web Worker) can report
// progress and answer messages between slices. Moves are coded 9 * quadrant
// + cell. Every rule comes from the engine's position: the page asks here
// which moves are legal and who has won.
class WebSession {
 public:
  // What a search is for: the computer's move (a broad search, then a
  // deeper one on the chosen move, as the console program thinks; the move is
  // played), or a hint (one search; nothing is played).
  enum class Purpose { Move, Hint };

  // Where a search stands after a slice.
  struct Progress {
    bool done = false;
    std::uint64_t iterations = 0;
    double elapsed = 0;     // seconds since the search began
    bool poolFull = false;  // a search phase ended because the pool was nearly used up
    std::uint64_t poolBytes = 0;  // memory the pool's nodes have taken so far
    bool winAtOnce = false;  // the move wins the game outright and was played without a search
  };

  // A move the search considered, with its share of the root's visits.
  struct Share {
    int move = 0;
    double share = 0;
  };

  // Starts at the initial position; the pool takes at most poolNodes nodes.
  explicit WebSession(std::uint64_t poolNodes = kBrowserPoolNodes);
  ~WebSession();
  WebSession(const WebSession&) = delete;
  WebSession& operator=(const WebSession&) = delete;

  // Drops the game and its tree and starts again at the initial position.
  void newGame();
  // Replaces the game by the one on a record line ("40 45 51 ...": quadrant
  // digit then cell digit per move, blanks anywhere). Returns "" when loaded;
  // otherwise a message that names the first bad pair, and the game is
  // unchanged. Unlike the analyser, which stops quietly there, a page that
  // loads a game refuses what it cannot replay: digits outside 0-8, a digit
  // without its partner, and moves the rules forbid.
  std::string load(std::string_view line);
  // Plays a move for the player to move; false, changing nothing, when the
  // move is illegal (or the game is over, or a search is running).
  bool play(int move);
  // Takes back the last count moves (all of them when there are fewer) by
  // replaying the rest; their search tree is dropped with them.
  void undo(int count);

  const std::vector<int>& moves() const { return moves_; }
  // The position after the first ply moves (clamped to the game's length).
  Position positionAt(std::size_t ply) const;
  const Position& position() const { return position_; }
  // Legal moves in quadrant then cell order; none once the game is over.
  static std::vector<int> legalMoves(const Position& position);
  // The moves as a record line: pairs separated by blanks.
  std::string record() const;
  // Share of won playouts of the searched move at each ply, -1 where the
  // move was not chosen by a search (a player's move). Same length as moves().
  const std::vector<double>& winRates() const { return winRates_; }

  // Starts a search of the current position lasting about seconds (NaN,
  // zero and negative: a short minimal search). A move search finds a move
  // that wins at once without searching. Expects the game not to be over.
  void beginSearch(double seconds, Purpose purpose);
  // Runs the search for at most about sliceSeconds. When a move search is
  // done its move has been played.
  Progress searchSlice(double sliceSeconds);
  bool searching() const { return phase_ != Phase::Idle; }
  // Abandons a running search; the tree keeps what it learnt.
  void cancelSearch() { phase_ = Phase::Idle; }
  // After a hint: the root's children with the most visits, at most count of
  // them, most visited first, each with its share of all the children's visits.
  std::vector<Share> topMoves(std::size_t count) const;

 private:
  using Clock = std::chrono::steady_clock;
  enum class Phase { Idle, Broad, Deep };

  // Runs iterations until the phase's end or limit; true when the phase is over.
  bool runPhase(Clock::time_point limit);
  void endPhase();
  void chooseMove();
  void append(int move, double winRate);

  Node* top_ = nullptr;   // the initial position, which owns the whole tree
  Node* node_ = nullptr;  // the current position
  Position position_;
  std::vector<int> moves_;
  std::vector<double> winRates_;

  Purpose purpose_ = Purpose::Move;
  Phase phase_ = Phase::Idle;
  Clock::time_point start_;
  Clock::time_point phaseEnd_;
  Clock::time_point searchEnd_;
  std::uint64_t iterations_ = 0;
  std::uint64_t phaseIterations_ = 0;
  bool poolFull_ = false;
  int immediateWin_ = -1;
};
