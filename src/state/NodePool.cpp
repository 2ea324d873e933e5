#include "NodePool.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "Node.h"

namespace {

// A free slot holds the link to the next free slot in its first bytes.
union Slot {
  Slot* next;
  alignas(Node) unsigned char bytes[sizeof(Node)];
};

constexpr std::size_t kChunkSlots = std::size_t{1} << 16;  // 2 MiB of 32-byte nodes

struct Pool {
  std::uint64_t capacity = NodePool::kDefaultCapacity;
  std::uint64_t alive = 0;
  Slot* freeList = nullptr;
  std::vector<std::unique_ptr<Slot[]>> chunks;
  std::size_t used = kChunkSlots;  // slots handed out of the newest chunk
};

Pool& pool() {
  static Pool p;
  return p;
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
  p.capacity = capacity;
}

void* NodePool::allocate() {
  Pool& p = pool();
  if (p.alive >= p.capacity) throw std::bad_alloc();
  Slot* slot = p.freeList;
  if (slot != nullptr) {
    p.freeList = slot->next;
  } else {
    if (p.used == kChunkSlots) {
      p.chunks.push_back(std::make_unique_for_overwrite<Slot[]>(kChunkSlots));
      p.used = 0;
    }
    slot = p.chunks.back().get() + p.used++;
  }
  ++p.alive;
  return slot;
}

void NodePool::deallocate(void* raw) noexcept {
  if (raw == nullptr) return;
  Pool& p = pool();
  auto* slot = static_cast<Slot*>(raw);
  slot->next = p.freeList;
  p.freeList = slot;
  --p.alive;
}

std::uint64_t NodePool::bytesReserved() {
  return pool().chunks.size() * kChunkSlots * sizeof(Slot);
}
