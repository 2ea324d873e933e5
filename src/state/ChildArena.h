#pragma once

#include <cstdint>

class Node;

// Storage for the children arrays of tree nodes. Arrays come in a few size
// classes (1-9 exactly, then multiples of 9 up to 81, the most legal moves a
// position can have) and are recycled through one free list per class, so a
// search that expands nodes does not call the general heap once the arena has
// grown to its working size.
namespace childArena {

inline constexpr unsigned kMaxChildren = 81;

// Size class holding n (1-81) pointers; 0 for n == 0.
unsigned classFor(unsigned n);
// Number of pointers an array of the class holds.
unsigned capacityOf(unsigned sizeClass);

// An array of the class; throws std::bad_alloc when memory runs out.
Node** allocate(unsigned sizeClass);
// Gives the array back for reuse by the same class. Null is ignored.
void release(Node** array, unsigned sizeClass);

// Bytes the arena has taken from the heap so far (for memory reports).
std::uint64_t bytesReserved();

}  // namespace childArena
