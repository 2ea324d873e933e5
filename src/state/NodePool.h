#pragma once

#include <cstdint>

class Node;

// The bounded allocator of tree nodes. Every Node lives in pool memory: the
// search takes nodes with getNode, and Node's own operator new and delete
// route through the pool too, so a tree freed with `delete` node by node
// gives its nodes back exactly like returnNode does. Memory is taken from the
// heap in chunks as nodes are first needed and reused through a free list.
class NodePool {
 public:
  // Capacity of the program's pool (12,582,912 nodes): a search at the default
  // thinking time is ended by the clock, not by the pool, and a full pool with
  // its children arrays keeps the program well under 1 GiB resident.
  static constexpr std::uint64_t kDefaultCapacity = (std::uint64_t{1} << 23) + (std::uint64_t{1} << 22);

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

  // Sets the capacity, for tests and tools that want a small pool. Throws
  // std::invalid_argument when more nodes than that are alive.
  static void setMaxSize(std::uint64_t capacity);

  // Raw node-sized memory, used by Node's operator new/delete. allocate throws
  // std::bad_alloc at capacity; deallocate accepts only what allocate gave.
  static void* allocate();
  static void deallocate(void* p) noexcept;

  // Bytes taken from the heap for node storage so far.
  static std::uint64_t bytesReserved();
};
