#include "ChildArena.h"

#include <array>
#include <memory>
#include <new>
#include <vector>

namespace childArena {
namespace {

constexpr unsigned kClasses = 18;  // 0 (none), 1..9, 18, 27, ..., 81
constexpr std::size_t kChunkPointers = std::size_t{1} << 17;  // 1 MiB per chunk

struct Arena {
  std::array<Node**, kClasses> freeLists{};
  std::vector<std::unique_ptr<Node*[]>> chunks;
  std::size_t used = kChunkPointers;  // pointers handed out of the newest chunk
};

Arena& arena() {
  static Arena a;
  return a;
}

}  // namespace

unsigned classFor(unsigned n) {
  if (n <= 9) return n;
  if (n > kMaxChildren) throw std::bad_alloc();
  return 8 + (n + 8) / 9;
}

unsigned capacityOf(unsigned sizeClass) {
  return sizeClass <= 9 ? sizeClass : (sizeClass - 8) * 9;
}

Node** allocate(unsigned sizeClass) {
  Arena& a = arena();
  if (Node** head = a.freeLists[sizeClass]) {
    // A free array keeps the next free array of its class in its first slot.
    a.freeLists[sizeClass] = reinterpret_cast<Node**>(head[0]);
    return head;
  }
  const std::size_t cap = capacityOf(sizeClass);
  if (a.used + cap > kChunkPointers) {
    a.chunks.push_back(std::make_unique_for_overwrite<Node*[]>(kChunkPointers));
    a.used = 0;
  }
  Node** block = a.chunks.back().get() + a.used;
  a.used += cap;
  return block;
}

void release(Node** array, unsigned sizeClass) {
  if (array == nullptr || sizeClass == 0) return;
  Arena& a = arena();
  array[0] = reinterpret_cast<Node*>(a.freeLists[sizeClass]);
  a.freeLists[sizeClass] = array;
}

std::uint64_t bytesReserved() {
  return arena().chunks.size() * kChunkPointers * sizeof(Node*);
}

}  // namespace childArena
