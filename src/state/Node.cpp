#include "Node.h"

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <ostream>
#include <stdexcept>
#include <vector>

namespace {

constexpr unsigned kMaxChildren = 81;
constexpr std::size_t kMaxDepth = 256;  // depth is a uint8_t

// Lists of child pointers for the few nodes whose children sequence a caller
// has asked for (the game's current position, tests). Each holds up to 81
// entries and is recycled by number.
struct Lists {
  std::vector<std::unique_ptr<Node*[]>> arrays;
  std::vector<std::uint32_t> free;
};

Lists& lists() {
  static Lists l;
  return l;
}

std::uint32_t takeList() {
  Lists& l = lists();
  if (!l.free.empty()) {
    const std::uint32_t id = l.free.back();
    l.free.pop_back();
    return id;
  }
  l.arrays.push_back(std::make_unique<Node*[]>(kMaxChildren));
  return static_cast<std::uint32_t>(l.arrays.size() - 1);
}

void giveBackList(std::uint32_t id) { lists().free.push_back(id); }

// The last position asked for: front ends and tests ask about the same node
// several times in a row. Cleared when its node is destroyed or reused.
struct CachedPosition {
  const Node* node = nullptr;
  Position position;
};
CachedPosition cache;

void forget(const Node* node) {
  if (cache.node == node) cache.node = nullptr;
}

// Forgets the cached position if it belongs to one of the n nodes from first.
void forgetRange(const Node* first, unsigned n) {
  const auto cached = reinterpret_cast<std::uintptr_t>(cache.node);
  if (cached >= reinterpret_cast<std::uintptr_t>(first) && cached < reinterpret_cast<std::uintptr_t>(first + n))
    cache.node = nullptr;
}

// Top of the stack of discarded nodes waiting for reclaim (NodePool::kNone:
// none); each waiting node's parent field holds the slot of the next one.
std::uint32_t discarded = NodePool::kNone;

}  // namespace

Node::Children::Children(Node& owner) : owner_(&owner) {
  if (!owner.listed()) owner.makeListed();
  data_ = owner.list();
}

void* Node::operator new(std::size_t size) {
  if (size != sizeof(Node)) throw std::bad_alloc();
  return NodePool::allocate();
}

void Node::operator delete(void* p) noexcept { NodePool::deallocate(p); }

Node::~Node() {
  forget(this);
  releaseChildren();
}

Node** Node::list() const { return lists().arrays[children_].get(); }

void Node::makeListed() {
  const std::uint32_t id = takeList();
  Node** entries = lists().arrays[id].get();
  for (unsigned i = 0; i < numChildren_; ++i) entries[i] = NodePool::at(children_ + i);
  children_ = id;
  flags_ = static_cast<std::uint8_t>((flags_ | kListed) & ~kEveryMove);
}

void Node::releaseChildren() {
  if (listed()) {
    Node** entries = list();
    for (unsigned i = 0; i < numChildren_; ++i) delete entries[i];
    giveBackList(children_);
  } else if (numChildren_ > 0) {
    // A run goes back to the pool in one piece once its nodes are destroyed.
    // Most of a run is leaves, whose destruction would only write to memory
    // about to be freed: only children with children of their own are
    // visited, and the cached position is forgotten once for the whole run.
    Node* run = NodePool::at(children_);
    for (unsigned i = 0; i < numChildren_; ++i)
      if (run[i].hasChildStorage()) run[i].releaseChildren();
    forgetRange(run, numChildren_);
    NodePool::deallocateRun(children_, numChildren_);
  }
  children_ = 0;
  numChildren_ = 0;
  flags_ &= static_cast<std::uint8_t>(~(kListed | kEveryMove));
}

void Node::discard(Node* node) {
  if (node == nullptr) return;
  // A leaf costs no more to free now than to queue.
  if (!node->hasChildStorage()) {
    delete node;
    return;
  }
  node->parent_ = discarded;
  discarded = NodePool::indexOf(node);
}

bool Node::hasDiscards() { return discarded != NodePool::kNone; }

std::uint64_t Node::reclaim(std::uint64_t budget) {
  std::uint64_t freed = 0;
  while (freed < budget && discarded != NodePool::kNone) {
    Node* node = NodePool::at(discarded);
    discarded = node->parent_;
    freed += node->discardChildren() + 1;
    forget(node);
    NodePool::deallocateRun(NodePool::indexOf(node), 1);
  }
  return freed;
}

std::uint64_t Node::discardChildren() {
  std::uint64_t freed = 0;
  if (listed()) {
    Node** entries = list();
    for (unsigned i = 0; i < numChildren_; ++i) {
      Node* child = entries[i];
      if (child == nullptr) continue;
      if (child->hasChildStorage()) {
        discard(child);
      } else {
        delete child;
        ++freed;
      }
    }
    giveBackList(children_);
  } else if (numChildren_ > 0) {
    // Leaves go back as whole stretches of the run; a child with children
    // keeps its slot until its own turn comes.
    Node* run = NodePool::at(children_);
    forgetRange(run, numChildren_);
    unsigned stretch = 0;
    for (unsigned i = 0; i <= numChildren_; ++i) {
      if (i < numChildren_ && !run[i].hasChildStorage()) continue;
      if (i > stretch) NodePool::deallocateRun(children_ + stretch, i - stretch);
      freed += i - stretch;
      if (i < numChildren_) discard(&run[i]);
      stretch = i + 1;
    }
  }
  children_ = 0;
  numChildren_ = 0;
  flags_ &= static_cast<std::uint8_t>(~(kListed | kEveryMove));
  return freed;
}

void Node::init(int global, int local, Node* parent, bool /*evaluate*/) {
  if (global < 0 || global > 8 || local < 0 || local > 8)
    throw std::out_of_range("move index outside 0-8");
  if (parent != nullptr && !NodePool::owns(parent))
    throw std::invalid_argument("parent node outside the node pool");
  if (parent != nullptr && parent->depth_ == kMaxDepth - 1)
    throw std::length_error("game tree deeper than any game");
  forget(this);
  releaseChildren();
  parent_ = parent != nullptr ? NodePool::indexOf(parent) : NodePool::kNone;
  move_ = static_cast<std::uint8_t>(9 * global + local);
  depth_ = static_cast<std::uint8_t>(parent != nullptr ? parent->depth_ + 1 : 1);
  visits_ = 0;
  wins_ = 0;
  ties_ = 0;
  flags_ = 0;
}

std::size_t Node::movesFromTop(std::array<std::uint8_t, 256>& moves) const {
  std::size_t n = 0;
  for (const Node* x = this; x != nullptr; x = x->getParent())
    if (x->hasMove()) moves[n++] = x->move_;
  return n;
}

Position Node::position() const {
  if (cache.node == this) return cache.position;
  std::array<std::uint8_t, kMaxDepth> moves;
  std::size_t n = movesFromTop(moves);
  Position pos;
  while (n > 0) {
    const std::uint8_t m = moves[--n];
    pos.play(m / 9, m % 9);
  }
  cache.node = this;
  cache.position = pos;
  return pos;
}

void Node::setNumChildren(std::uint32_t n) {
  if (numChildren_ + n > kMaxChildren) throw std::length_error("more than 81 children");
  if (!listed()) makeListed();
}

void Node::addChild(Node* child) {
  if (numChildren_ >= kMaxChildren) throw std::length_error("more than 81 children");
  if (!listed()) makeListed();
  list()[numChildren_++] = child;
}

void Node::addChildren(const std::uint8_t* moveCodes, unsigned count) {
  if (count == 0) return;
  if (numChildren_ != 0) throw std::logic_error("node already has children");
  if (count > kMaxChildren) throw std::length_error("more than 81 children");
  const std::uint32_t first = NodePool::allocateRun(count);
  const std::uint32_t self = NodePool::indexOf(this);
  for (unsigned i = 0; i < count; ++i) {
    Node* child = ::new (NodePool::at(first + i)) Node();
    child->parent_ = self;
    child->move_ = moveCodes[i];
    child->depth_ = static_cast<std::uint8_t>(depth_ + 1);
  }
  if (listed()) giveBackList(children_);
  flags_ = static_cast<std::uint8_t>((flags_ & ~kListed) | kEveryMove);
  children_ = first;
  numChildren_ = static_cast<std::uint8_t>(count);
}

void Node::setChild(const Move& move, Disposal others) {
  const int code = 9 * move.global + move.local;
  Node* keep = nullptr;
  for (unsigned i = 0; i < numChildren_; ++i) {
    Node* c = getChild(i);
    if (c == nullptr) continue;
    if (keep == nullptr && c->move_ == code) {
      keep = c;
    } else if (others == Disposal::deferred && c->hasChildStorage()) {
      discard(c);
    } else if (listed()) {
      delete c;
    } else {
      c->~Node();
      NodePool::deallocateRun(children_ + i, 1);
    }
  }
  if (listed()) giveBackList(children_);
  flags_ &= static_cast<std::uint8_t>(~(kListed | kEveryMove));
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
  // The one remaining child is a run of length one.
  children_ = NodePool::indexOf(keep);
  numChildren_ = 1;
}

void Node::buildBoard2D(Board2D& board) const {
  const Position p = position();
  for (int q = 0; q < 9; ++q)
    for (int c = 0; c < 9; ++c) board[q][c] = p.cell(q, c);
}

void Node::buildQuadrant(Quadrant& states) const {
  const Position p = position();
  for (int q = 0; q < 9; ++q) states[q] = p.quadrantState(q);
}

void Node::buildQuadrant(Quadrant& cells, int q) const {
  const Position p = position();
  for (int c = 0; c < 9; ++c) cells[c] = p.cell(q, c);
}

void Node::printTrace(std::ostream& out) const {
  std::array<std::uint8_t, kMaxDepth> moves;
  std::size_t n = movesFromTop(moves);
  bool first = true;
  while (n > 0) {
    const std::uint8_t m = moves[--n];
    if (!first) out << ' ';
    out << static_cast<char>('0' + m / 9) << static_cast<char>('0' + m % 9);
    first = false;
  }
}
