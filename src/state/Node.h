#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <limits>

#include "Board.h"
#include "Move.h"
#include "Position.h"
#include "UctScore.h"

// One position of the game and one vertex of the search tree.
//
// A node stores only how it was reached (its parent and its move) and the
// search statistics; its position is worked out from the chain of moves above
// it and kept in a small per-depth cache, so that a descent that follows the
// previous one mostly re-reads cached positions. Layout (32 bytes on x86-64):
//
//   Node*   parent      8   null at the top of the tree
//   Node**  children    8   array from the child arena, or null
//   int32   visits      4
//   int32   wins        4   wins of the player who made this node's move
//   uint8   numChildren 1   at most 81
//   uint8   sizeClass   1   child arena class of the array
//   uint8   move        1   9 * quadrant + cell, 0xFF for the initial position
//   uint8   depth       1   moves from the initial position
//   (4 bytes padding)
//
// Nodes live in NodePool memory (see NodePool.h): `new Node()` takes a pool
// node and `delete` hands one back, with its whole subtree.
class Node {
 public:
  // The children sequence itself, seen through a handle: sorting it, removing
  // from its end or taking its last element changes the node's children.
  class Children {
   public:
    explicit Children(Node& owner) : owner_(&owner) {}
    Node** begin() const { return owner_->children_; }
    Node** end() const { return owner_->children_ + owner_->numChildren_; }
    std::size_t size() const { return owner_->numChildren_; }
    bool empty() const { return owner_->numChildren_ == 0; }
    Node*& operator[](std::size_t i) const { return owner_->children_[i]; }
    Node*& back() const { return owner_->children_[owner_->numChildren_ - 1]; }
    // Drops the last entry without destroying the node it points to.
    void pop_back() const { --owner_->numChildren_; }

   private:
    Node* owner_;
  };

  // The initial position: empty board, no move, player 2 "moved last" so that
  // player 1 moves first, no parent, no children.
  Node() = default;
  // Destroys every non-null child with its subtree, then frees the array.
  ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;

  // Makes sure the node's position is at hand. Accessors work without it
  // (they compute on demand), so calling it is a hint, never a requirement;
  // repeated calls are harmless and keep the counts.
  void init();
  // Turns a fresh node into the child of parent reached by (global, local),
  // with no visits, wins or children. With evaluate set, the new position is
  // worked out at once; expansion passes false and lets it be computed lazily.
  void init(int global, int local, Node* parent, bool evaluate);

  std::int32_t getNumVisits() const { return visits_; }
  std::int32_t getNumWins() const { return wins_; }
  void incrementVisits(std::int32_t n) { visits_ += n; }
  void incrementWins(std::int32_t n) { wins_ += n; }

  // Selection score as a child: wins/visits + sqrt(2 ln(parent visits) / visits);
  // +infinity while unvisited, so unvisited children are tried first. Never NaN.
  double getUCT() const;
  // The same score with 2 ln(parent visits) already worked out (see UctScore.h),
  // for scans over many children; equal to getUCT() bit for bit.
  double getUCT(double explorationNumerator) const {
    if (visits_ <= 0) return std::numeric_limits<double>::infinity();
    return uct::score(wins_, visits_, explorationNumerator);
  }

  // Who made this node's move: 1 or 2 (2 for the initial position).
  int getPlayer() const { return (depth_ & 1u) ? 1 : 2; }
  // 0 while the game goes on, 1 or 2 for the winner, -1 for a tie.
  int getWinner() const { return position().winner; }
  // Quadrant the next move must be in, or -1 for a free choice.
  int getNextQuadrant() const { return position().next; }

  int getGlobal() const { return hasMove() ? move_ / 9 : -1; }
  int getLocal() const { return hasMove() ? move_ % 9 : -1; }
  bool hasMove() const { return move_ != kNoMove; }
  // The move that led here; (-1, -1) for the initial position.
  Move getMove() const { return Move(getGlobal(), getLocal()); }
  int getDepth() const { return depth_; }

  Children getChildren() { return Children(*this); }
  bool hasNoChildren() const { return numChildren_ == 0; }
  Node* getChild(std::size_t i) const { return children_[i]; }
  Node* getParent() const { return parent_; }

  // Reserves room for n children about to be added.
  void setNumChildren(std::uint32_t n);
  // Appends a child, growing the array when needed.
  void addChild(Node* child);

  // Moves to the position after move: reuses the child for that move if there
  // is one (keeping its searched subtree), makes it otherwise, and hands every
  // other child back to the pool. Afterwards that child is the only and so the
  // last element of getChildren(). Expects a legal move; throws std::bad_alloc
  // when a new child is needed and the pool has no free node.
  void setChild(const Move& move);

  // Whether move may be played now. Indexes outside 0-8 are simply illegal.
  bool isLegal(const Move& move) const { return position().isLegal(move.global, move.local); }

  void buildBoard2D(Board2D& board) const;
  void buildQuadrant(Quadrant& states) const;
  void buildQuadrant(Quadrant& cells, int q) const;

  // The moves from the initial position to here, as one record line without
  // its line end: digit pairs "quadrant cell" separated by blanks.
  void printTrace(std::ostream& out) const;

  // The position this node stands for. The reference stays valid until the
  // next position of the same depth is asked for; copy it to keep it.
  const Position& position() const;

 private:
  static constexpr std::uint8_t kNoMove = 0xFF;

  Node* parent_ = nullptr;
  Node** children_ = nullptr;
  std::int32_t visits_ = 0;
  std::int32_t wins_ = 0;
  std::uint8_t numChildren_ = 0;
  std::uint8_t sizeClass_ = 0;
  std::uint8_t move_ = kNoMove;
  std::uint8_t depth_ = 0;

  void releaseChildren();
};

static_assert(sizeof(Node) == 32, "keep the tree node compact: it is most of the search's memory");
