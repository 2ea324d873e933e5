#include "Node.h"

#include <array>
#include <cmath>
#include <limits>
#include <new>
#include <ostream>
#include <stdexcept>

#include "ChildArena.h"
#include "NodePool.h"
#include "UctScore.h"

namespace {

// Positions of the most recently visited path, one entry per depth. A node's
// position depends only on the moves above it, which never change, so an
// entry stays right for as long as its node lives; the destructor and init
// clear an entry that names their node.
struct CacheEntry {
  const Node* node = nullptr;
  Position position;
};

constexpr std::size_t kMaxDepth = 256;  // depth is a uint8_t
std::array<CacheEntry, kMaxDepth> positionCache;

void forget(const Node* node, std::uint8_t depth) {
  if (positionCache[depth].node == node) positionCache[depth].node = nullptr;
}

}  // namespace

void* Node::operator new(std::size_t size) {
  if (size != sizeof(Node)) throw std::bad_alloc();
  return NodePool::allocate();
}

void Node::operator delete(void* p) noexcept { NodePool::deallocate(p); }

Node::~Node() {
  forget(this, depth_);
  releaseChildren();
}

void Node::releaseChildren() {
  for (std::uint8_t i = 0; i < numChildren_; ++i) delete children_[i];
  childArena::release(children_, sizeClass_);
  children_ = nullptr;
  numChildren_ = 0;
  sizeClass_ = 0;
}

void Node::init() { (void)position(); }

void Node::init(int global, int local, Node* parent, bool evaluate) {
  if (global < 0 || global > 8 || local < 0 || local > 8)
    throw std::out_of_range("move index outside 0-8");
  if (parent != nullptr && parent->depth_ == kMaxDepth - 1)
    throw std::length_error("game tree deeper than any game");
  forget(this, depth_);
  releaseChildren();
  parent_ = parent;
  move_ = static_cast<std::uint8_t>(9 * global + local);
  depth_ = static_cast<std::uint8_t>(parent != nullptr ? parent->depth_ + 1 : 1);
  visits_ = 0;
  wins_ = 0;
  if (evaluate) (void)position();
}

const Position& Node::position() const {
  CacheEntry& mine = positionCache[depth_];
  if (mine.node == this) return mine.position;

  // Climb to the nearest ancestor whose position is cached, then replay the
  // moves down to this node, caching every position on the way.
  std::array<const Node*, kMaxDepth> path;
  std::size_t n = 0;
  const Node* x = this;
  while (x != nullptr && positionCache[x->depth_].node != x) {
    path[n++] = x;
    x = x->parent_;
  }
  Position pos = x != nullptr ? positionCache[x->depth_].position : Position{};
  while (n > 0) {
    const Node* y = path[--n];
    if (y->hasMove()) pos.play(y->move_ / 9, y->move_ % 9);
    positionCache[y->depth_] = CacheEntry{y, pos};
  }
  return mine.position;
}

double Node::getUCT() const {
  const std::int32_t parentVisits = parent_ != nullptr ? parent_->visits_ : 0;
  return getUCT(uct::explorationNumerator(parentVisits));
}

void Node::setNumChildren(std::uint32_t n) {
  const std::uint32_t needed = numChildren_ + n;
  if (needed <= childArena::capacityOf(sizeClass_)) return;
  const unsigned cls = childArena::classFor(needed);
  Node** grown = childArena::allocate(cls);
  for (std::uint8_t i = 0; i < numChildren_; ++i) grown[i] = children_[i];
  childArena::release(children_, sizeClass_);
  children_ = grown;
  sizeClass_ = static_cast<std::uint8_t>(cls);
}

void Node::addChild(Node* child) {
  if (numChildren_ == childArena::capacityOf(sizeClass_)) setNumChildren(1);
  children_[numChildren_++] = child;
}

void Node::setChild(const Move& move) {
  const int code = 9 * move.global + move.local;
  Node* keep = nullptr;
  for (std::uint8_t i = 0; i < numChildren_; ++i) {
    Node* c = children_[i];
    if (c == nullptr) continue;
    if (keep == nullptr && c->move_ == code) {
      keep = c;
    } else {
      delete c;
    }
  }
  numChildren_ = 0;  // consistent even if making the new child throws
  if (keep == nullptr) {
    keep = new Node();
    try {
      keep->init(move.global, move.local, this, false);
    } catch (...) {
      delete keep;
      throw;
    }
  }
  addChild(keep);
}

void Node::buildBoard2D(Board2D& board) const {
  const Position& p = position();
  for (int q = 0; q < 9; ++q)
    for (int c = 0; c < 9; ++c) board[q][c] = p.cell(q, c);
}

void Node::buildQuadrant(Quadrant& states) const {
  const Position& p = position();
  for (int q = 0; q < 9; ++q) states[q] = p.quadrantState(q);
}

void Node::buildQuadrant(Quadrant& cells, int q) const {
  const Position& p = position();
  for (int c = 0; c < 9; ++c) cells[c] = p.cell(q, c);
}

void Node::printTrace(std::ostream& out) const {
  std::array<std::uint8_t, kMaxDepth> moves;
  std::size_t n = 0;
  for (const Node* x = this; x != nullptr; x = x->parent_)
    if (x->hasMove()) moves[n++] = x->move_;
  bool first = true;
  while (n > 0) {
    const std::uint8_t m = moves[--n];
    if (!first) out << ' ';
    out << static_cast<char>('0' + m / 9) << static_cast<char>('0' + m % 9);
    first = false;
  }
}
