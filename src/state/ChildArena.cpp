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

namespace {

Node** pop(Arena& a, unsigned sizeClass) {
  Node** head = a.freeLists[sizeClass];
  // A free array keeps the next free array of its class in its first slot.
  if (head != nullptr) a.freeLists[sizeClass] = reinterpret_cast<Node**>(head[0]);
  return head;
}

void push(Arena& a, Node** array, unsigned sizeClass) {
  array[0] = reinterpret_cast<Node*>(a.freeLists[sizeClass]);
  a.freeLists[sizeClass] = array;
}

// Files a free span of len pointers under classes whose capacity it fills
// exactly: a multiple of 9 as one array, otherwise its odd part first.
void pushSpan(Arena& a, Node** span, std::size_t len) {
  while (len > 0) {
    const std::size_t piece = (len <= 9 || len % 9 == 0) ? len : len % 9;
    push(a, span, classFor(static_cast<unsigned>(piece)));
    span += piece;
    len -= piece;
  }
}

}  // namespace

Node** allocate(unsigned sizeClass) {
  Arena& a = arena();
  if (Node** head = pop(a, sizeClass)) return head;
  const std::size_t cap = capacityOf(sizeClass);
  // Before growing, cut the array from a free one of a larger class: the mix
  // of sizes a search asks for shifts over a game, and arrays kept only for
  // their own class would make the arena grow with every shift.
  for (unsigned larger = sizeClass + 1; larger < kClasses; ++larger) {
    if (Node** block = pop(a, larger)) {
      pushSpan(a, block + cap, capacityOf(larger) - cap);
      return block;
    }
  }
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
  push(arena(), array, sizeClass);
}

std::uint64_t bytesReserved() {
  return arena().chunks.size() * kChunkPointers * sizeof(Node*);
}

}  // namespace childArena
