#include "NodePool.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "Node.h"

namespace {

struct alignas(Node) Slot {
  unsigned char bytes[sizeof(Node)];
};

// Fresh memory is taken this many slots at a time.
constexpr std::uint64_t kGrowSlots = std::uint64_t{1} << 16;

// The slot array is aligned to 2 MiB, the size of a huge page, so that a
// kernel set to use huge pages everywhere can back it with them.
constexpr std::size_t kHugePage = std::size_t{1} << 21;
struct FreeAligned {
  void operator()(Slot* p) const noexcept { ::operator delete[](p, std::align_val_t{kHugePage}); }
};

struct Pool {
  std::uint64_t capacity = NodePool::kDefaultCapacity;
  std::uint64_t alive = 0;
  std::unique_ptr<Slot[], FreeAligned> slots;
  std::uint64_t arraySlots = 0;  // length of slots
  std::uint64_t used = 0;        // slots [0, used) have been handed out at some time
  std::uint64_t cursor = 0;      // where the next search for a run starts
  std::vector<std::uint64_t> freeBits;  // bit set: slot free (over [0, arraySlots))

  // The used area may grow to this before the sweep wraps around to reuse
  // freed slots: a little room over the capacity keeps runs easy to find.
  std::uint64_t budget() const { return std::min(arraySlots, capacity + capacity / 16 + kGrowSlots); }
};

Pool& pool() {
  static Pool p;
  return p;
}

// Array length for a capacity: room for the used area's budget and for
// fragmentation beyond it, never below the default pool's.
std::uint64_t arrayFor(std::uint64_t capacity) {
  const std::uint64_t c = std::max(capacity, NodePool::kDefaultCapacity);
  return (c + c / 2 + kGrowSlots + 63) / 64 * 64;
}

void makeArray(Pool& p) {
  p.arraySlots = arrayFor(p.capacity);
  if (p.arraySlots >= NodePool::kNone) throw std::bad_alloc();
  const std::size_t bytes = (p.arraySlots * sizeof(Slot) + kHugePage - 1) / kHugePage * kHugePage;
  p.slots.reset(static_cast<Slot*>(::operator new[](bytes, std::align_val_t{kHugePage})));
  // No huge-page hint: on these kernels a hinted region is compacted and
  // cleared 2 MiB at a time as the tree first reaches it, and that time in
  // the kernel (about 4% of a game's search) outweighed the TLB misses saved.
  p.freeBits.assign(p.arraySlots / 64, ~std::uint64_t{0});
  p.used = 0;
  p.cursor = 0;
  NodePool::base_ = reinterpret_cast<unsigned char*>(p.slots.get());
}


// First slot at or after i and before end whose free bit equals `free`; end if none.
std::uint64_t findBit(const Pool& p, std::uint64_t i, std::uint64_t end, bool free) {
  while (i < end) {
    std::uint64_t word = p.freeBits[i / 64];
    if (!free) word = ~word;
    word &= ~std::uint64_t{0} << (i % 64);
    if (word != 0) return std::min(end, i / 64 * 64 + static_cast<std::uint64_t>(std::countr_zero(word)));
    i = (i / 64 + 1) * 64;
  }
  return end;
}

void setRange(Pool& p, std::uint64_t first, std::uint64_t n, bool free) {
  for (std::uint64_t i = first; i < first + n;) {
    const std::uint64_t bit = i % 64;
    const std::uint64_t take = std::min<std::uint64_t>(64 - bit, first + n - i);
    const std::uint64_t mask = (take == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << take) - 1)) << bit;
    if (free) p.freeBits[i / 64] |= mask;
    else p.freeBits[i / 64] &= ~mask;
    i += take;
  }
}

// A run of n free slots in [from, end), or end when there is none.
std::uint64_t findRun(const Pool& p, std::uint64_t from, std::uint64_t end, unsigned n) {
  std::uint64_t i = from;
  while (i < end) {
    const std::uint64_t start = findBit(p, i, end, true);
    if (start >= end) break;
    const std::uint64_t stop = findBit(p, start, std::min(end, start + n), false);
    if (stop - start >= n) return start;
    i = stop;
  }
  return end;
}

std::uint64_t takeRun(Pool& p, unsigned n) {
  if (p.capacity - p.alive < n) throw std::bad_alloc();
  if (!p.slots) makeArray(p);
  // With nothing alive every slot is free: start over at the front, so a new
  // game's tree is laid out as compactly as the first one.
  if (p.alive == 0) p.cursor = 0;
  // Slots past the used area were never taken, so their bits are set: one
  // sweep from the cursor to the budget covers reuse and fresh memory alike.
  // Then a sweep from the front, then the slack beyond the budget.
  const std::uint64_t budget = p.budget();
  std::uint64_t at = findRun(p, p.cursor, budget, n);
  if (at >= budget) at = findRun(p, 0, budget, n);
  if (at >= budget) at = findRun(p, 0, p.arraySlots, n);
  if (at >= p.arraySlots) throw std::bad_alloc();
  p.used = std::max(p.used, at + n);
  setRange(p, at, n, false);
  p.cursor = at + n;
  p.alive += n;
  return at;
}

}  // namespace

std::uint64_t NodePool::size() {
  const Pool& p = pool();
  return p.capacity - p.alive;
}

std::uint64_t NodePool::maxSize() { return pool().capacity; }

Node* NodePool::getNode() { return new Node(); }

void NodePool::returnNode(Node* node) { delete node; }

void NodePool::setMaxSize(std::uint64_t capacity) {
  Pool& p = pool();
  if (capacity < p.alive) throw std::invalid_argument("node pool capacity below nodes in use");
  if (p.slots && arrayFor(capacity) > p.arraySlots) {
    if (p.alive > 0) throw std::invalid_argument("node pool cannot grow while nodes are in use");
    p.slots.reset();
    p.freeBits.clear();
    base_ = nullptr;
  }
  p.capacity = capacity;
}

void* NodePool::allocate() {
  Pool& p = pool();
  const std::uint64_t index = takeRun(p, 1);  // may create the array
  return p.slots.get() + index;
}

void NodePool::deallocate(void* raw) noexcept {
  if (raw == nullptr) return;
  deallocateRun(indexOf(static_cast<const Node*>(raw)), 1);
}

std::uint32_t NodePool::allocateRun(unsigned n) {
  return static_cast<std::uint32_t>(takeRun(pool(), n));
}

void NodePool::deallocateRun(std::uint32_t first, unsigned n) noexcept {
  Pool& p = pool();
  setRange(p, first, n, true);
  p.alive -= n;
}

bool NodePool::owns(const void* raw) {
  const Pool& p = pool();
  const auto* s = static_cast<const Slot*>(raw);
  return p.slots && s >= p.slots.get() && s < p.slots.get() + p.arraySlots;
}

std::uint64_t NodePool::bytesReserved() {
  const Pool& p = pool();
  return p.used * sizeof(Slot) + (p.used + 63) / 64 * 8;
}
