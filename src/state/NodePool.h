#pragma once

#include <cstdint>

class Node;

// The bounded allocator of tree nodes. Every Node lives in one array of
// node-sized slots: the search takes a node's children as one run of adjacent
// slots (so a scan over siblings reads memory in order), while Node's own
// operator new and delete take and give back single slots, so a tree freed
// with `delete` node by node gives its nodes back exactly like returnNode.
// A node names another by its slot index (32 bits), which keeps nodes small.
//
// Free slots are tracked in a bitmap. Runs are found by a cursor that sweeps
// the slots in use (next fit); fresh memory is touched only when the sweep
// reaches the end while the used area is still below its budget, so memory
// in use stays close to the live nodes and siblings stay side by side.
class NodePool {
 public:
  // Capacity of the program's pool (12,582,912 nodes): a search at the default
  // thinking time is ended by the clock, not by the pool, and a full pool
  // keeps the program well under 600 MB resident.
  static constexpr std::uint64_t kDefaultCapacity = (std::uint64_t{1} << 23) + (std::uint64_t{1} << 22);
  // Slot index meaning "no node".
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // Free nodes: capacity minus the nodes alive.
  static std::uint64_t size();
  // Capacity: the most nodes alive at once.
  static std::uint64_t maxSize();

  // A blank node (the initial position, no parent, no children) taken from the
  // free nodes. Throws std::bad_alloc when none is free.
  static Node* getNode();
  // Destroys the node with its whole subtree and counts every node of it as
  // free again. Null is ignored. The caller must have unlinked the node from
  // its parent's children, or drop that entry right after.
  static void returnNode(Node* node);

  // Sets the capacity, for tests and tools that want another pool size.
  // Throws std::invalid_argument when more nodes than that are alive, or when
  // the slot array must grow while nodes are alive.
  static void setMaxSize(std::uint64_t capacity);

  // One raw slot, used by Node's operator new/delete. allocate throws
  // std::bad_alloc at capacity; deallocate accepts only what the pool gave.
  static void* allocate();
  static void deallocate(void* p) noexcept;

  // n (1-81) adjacent raw slots; returns the index of the first. Throws
  // std::bad_alloc when fewer than n nodes are free. The slots go back one by
  // one through deallocate or together through deallocateRun.
  static std::uint32_t allocateRun(unsigned n);
  static void deallocateRun(std::uint32_t first, unsigned n) noexcept;

  // The slot with this index, and the index of a slot. Defined in Node.h.
  static Node* at(std::uint32_t index);
  static std::uint32_t indexOf(const Node* node);

  // Whether p is a slot of the pool.
  static bool owns(const void* p);

  // Bytes of node storage in use: slots up to the highest one ever used, and
  // the bitmap over them.
  static std::uint64_t bytesReserved();

  // Base of the slot array, for at() and indexOf(); null before first use.
  static inline unsigned char* base_ = nullptr;
};
