#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "Board.h"
#include "Move.h"
#include "NodePool.h"
#include "Position.h"
#include "Proof.h"

// How a node's discarded subtrees go back to the pool: at once, or handed to
// the reclaimer (Node::discard) for callers on a move clock, which must not
// spend time that grows with the size of what they throw away.
enum class Disposal { immediate, deferred };

// One position of the game and one vertex of the search tree.
//
// A node stores how it was reached (its parent and its move), the search
// statistics and where its children are; its position is worked out from the
// moves above it when asked for, and the search carries positions down its
// descent instead. Layout (24 bytes, nodes named by pool slot index):
//
//   uint32  parent       slot of the parent, NodePool::kNone at the top
//   uint32  children     slot of the first child of a run, or a list number
//   int32   visits
//   int32   wins         wins of the player who made this node's move
//   int32   ties         ties among the visits (never counted as wins)
//   uint8   numChildren  at most 81
//   uint8   move         9 * quadrant + cell, 0xFF for the initial position
//   uint8   depth        moves from the initial position
//   uint8   flags        bit 0: children kept as a list of pointers, not a
//                        run; bits 4-5: what the search proved (see
//                        getProof); bit 6: the children are every legal
//                        move, as expansion made them (see hasEveryMove)
//
// Expansion lays a node's children side by side in the pool (a run), which is
// what the search scans. When a caller asks for the children sequence itself
// (to sort it, shorten it or add to it), the node switches to a list of
// pointers that the caller edits in place.
class Node {
 public:
  // The children sequence itself: sorting it, removing from its end, nulling
  // entries or taking its last element changes the node's children.
  class Children {
   public:
    // Switches owner to a list of pointers if its children are a run.
    explicit Children(Node& owner);
    Node** begin() const { return data_; }
    Node** end() const { return data_ + owner_->numChildren_; }
    std::size_t size() const { return owner_->numChildren_; }
    bool empty() const { return owner_->numChildren_ == 0; }
    Node*& operator[](std::size_t i) const { return data_[i]; }
    Node*& back() const { return data_[owner_->numChildren_ - 1]; }
    // Drops the last entry without destroying the node it points to.
    void pop_back() const { --owner_->numChildren_; }

   private:
    Node* owner_;
    Node** data_;
  };

  // The initial position: empty board, no move, player 2 "moved last" so that
  // player 1 moves first, no parent, no children.
  Node() = default;
  // Destroys every non-null child with its subtree, then frees their storage.
  ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  // Nodes live in pool slots: new takes one (std::bad_alloc when none is
  // free), delete gives one back.
  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;

  // Kept for callers that announce they will read the position; the position
  // is worked out on demand, so this does nothing a later call needs.
  void init() {}
  // Turns a fresh node into the child of parent reached by (global, local),
  // with no visits, wins or children. Throws std::out_of_range for indexes
  // outside 0-8 and std::invalid_argument for a parent outside the pool. The
  // flag is accepted for callers that want the position at once; it is not
  // needed, since positions are computed on demand.
  void init(int global, int local, Node* parent, bool evaluate);

  std::int32_t getNumVisits() const { return visits_; }
  std::int32_t getNumWins() const { return wins_; }
  // Ties among the visits; a tie is never a win.
  std::int32_t getNumTies() const { return ties_; }
  void incrementVisits(std::int32_t n) { visits_ += n; }
  void incrementWins(std::int32_t n) { wins_ += n; }
  void incrementTies(std::int32_t n) { ties_ += n; }

  // What the search has proven about this position (see Proof.h); kept
  // with the node for as long as it lives.
  uct::Proof getProof() const { return static_cast<uct::Proof>((flags_ >> 4) & 3); }
  void setProof(uct::Proof proof) {
    flags_ = static_cast<std::uint8_t>((flags_ & ~0x30) | (static_cast<unsigned>(proof) << 4));
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
  // 9 * quadrant + cell of the move that led here; only for a node with a move.
  int getMoveCode() const { return move_; }
  int getDepth() const { return depth_; }

  // The children sequence (see Children). Turns a run into a list.
  Children getChildren() { return Children(*this); }
  bool hasNoChildren() const { return numChildren_ == 0; }
  std::size_t getNumChildren() const { return numChildren_; }
  // Element i of the children sequence (null if a caller nulled it).
  Node* getChild(std::size_t i) const;
  Node* getParent() const { return parent_ == NodePool::kNone ? nullptr : NodePool::at(parent_); }
  // The first child when the children are a run of adjacent nodes, else null:
  // child i is then runBegin()[i]. For scans that read siblings in order.
  const Node* runBegin() const {
    return listed() || numChildren_ == 0 ? nullptr : NodePool::at(children_);
  }
  Node* runBegin() { return listed() || numChildren_ == 0 ? nullptr : NodePool::at(children_); }
  // Whether the children are one per legal move, as addChildren made them and
  // nobody has changed since (setChild, addChild or the sequence clear it).
  bool hasEveryMove() const { return flags_ & kEveryMove; }

  // Makes room for n more children about to be added one by one. Throws
  // std::length_error beyond 81 children.
  void setNumChildren(std::uint32_t n);
  // Appends a child. Throws std::length_error beyond 81 children.
  void addChild(Node* child);
  // Gives a childless node one child per move code (9 * quadrant + cell), in
  // order, as one run of adjacent pool nodes. Throws std::bad_alloc, adding
  // nothing, when the pool has fewer free nodes than moves.
  void addChildren(const std::uint8_t* moveCodes, unsigned count);

  // Moves to the position after move: reuses the child for that move if there
  // is one (keeping its searched subtree), makes it otherwise, and hands every
  // other child back to the pool, at once or through discard(). Afterwards
  // that child is the only and so the last element of getChildren(). Expects
  // a legal move; throws std::bad_alloc when a new child is needed and the
  // pool has no free node.
  void setChild(const Move& move, Disposal others = Disposal::immediate);

  // Deferred freeing. discard() takes a node that is no longer any node's
  // child (its parent dropped it, or it is a tree's top) with its whole
  // subtree, in constant time; its nodes stay allocated (counted as used by
  // the pool) until reclaim() frees them, a bounded amount at a time. The
  // discarded nodes are linked through their parent field, so this costs no
  // memory beyond the nodes themselves.
  static void discard(Node* node);
  // Frees discarded nodes, oldest subtrees' tops first: stops once at least
  // `budget` nodes are freed (a node's children go as one group, so up to 81
  // more) or nothing waits. Returns how many it freed.
  static std::uint64_t reclaim(std::uint64_t budget);
  // Whether discarded nodes wait for reclaim().
  static bool hasDiscards();

  // Whether move may be played now. Indexes outside 0-8 are simply illegal.
  bool isLegal(const Move& move) const { return position().isLegal(move.global, move.local); }

  void buildBoard2D(Board2D& board) const;
  void buildQuadrant(Quadrant& states) const;
  void buildQuadrant(Quadrant& cells, int q) const;

  // The moves from the initial position to here, as one record line without
  // its line end: digit pairs "quadrant cell" separated by blanks.
  void printTrace(std::ostream& out) const;

  // The position this node stands for, replayed from the moves above it (the
  // last one asked for is cached).
  Position position() const;

 private:
  static constexpr std::uint8_t kNoMove = 0xFF;

  std::uint32_t parent_ = NodePool::kNone;
  std::uint32_t children_ = 0;
  std::int32_t visits_ = 0;
  std::int32_t wins_ = 0;
  std::int32_t ties_ = 0;
  std::uint8_t numChildren_ = 0;
  std::uint8_t move_ = kNoMove;
  std::uint8_t depth_ = 0;
  std::uint8_t flags_ = 0;

  static constexpr std::uint8_t kListed = 1;
  static constexpr std::uint8_t kEveryMove = 0x40;
  bool listed() const { return flags_ & kListed; }

  // The move codes from this node up to the top, last move first; returns
  // how many (the depth of a game tree is below 256).
  std::size_t movesFromTop(std::array<std::uint8_t, 256>& moves) const;
  Node** list() const;
  void makeListed();
  void releaseChildren();
  // Frees the children that have no children of their own, discards the
  // others and drops the children sequence; returns how many it freed.
  std::uint64_t discardChildren();
  bool hasChildStorage() const { return numChildren_ != 0 || listed(); }
};

static_assert(sizeof(Node) == 24, "keep the tree node compact: it is most of the search's memory");

inline Node* NodePool::at(std::uint32_t index) {
  return reinterpret_cast<Node*>(base_ + std::size_t{index} * sizeof(Node));
}

inline std::uint32_t NodePool::indexOf(const Node* node) {
  return static_cast<std::uint32_t>((reinterpret_cast<const unsigned char*>(node) - base_) /
                                    static_cast<std::ptrdiff_t>(sizeof(Node)));
}

inline Node* Node::getChild(std::size_t i) const {
  return listed() ? list()[i] : NodePool::at(children_ + static_cast<std::uint32_t>(i));
}
