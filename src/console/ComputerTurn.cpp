#include "ComputerTurn.h"

#include <iostream>

#include "Game.h"

Node* game = nullptr;

Node* AI_move(Node* node, double seconds) {
  std::cout << "Getting Move" << std::endl;
  const Move move = getMove(node, seconds);
  std::cout << "Search Space Size:  " << node->getNumVisits() << std::endl;
  std::cout << "G:  " << move.global << "     L:  " << move.local << std::endl;
  node->setChild(move);
  Node* next = node->getChildren().back();
  std::cout << "W:  " << next->getNumWins() << "    V:  " << next->getNumVisits() << std::endl;
  // No guard against zero visits: a new node reports NaN, as the stream prints it.
  std::cout << "Confidence:  "
            << static_cast<double>(next->getNumWins()) / static_cast<double>(next->getNumVisits())
            << std::endl;
  return next;
}

void deleteGameTree(Node* node) {
  if (node == nullptr) return;
  while (node->getParent() != nullptr) node = node->getParent();
  delete node;
}
