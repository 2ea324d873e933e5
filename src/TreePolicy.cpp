#include <array>
#include <cstdlib>

#include "Game.h"
#include "NodePool.h"

std::int32_t numP1Wins = 0;
std::int32_t numP2Wins = 0;
std::int32_t numTies = 0;

Node* getChildHighestUCT(Node* node) {
  Node::Children children = node->getChildren();
  if (children.empty()) return nullptr;
  // The parent's part of the score is the same for every child: work it out once.
  const double numerator = uct::explorationNumerator(node->getNumVisits());
  double bestScore = 0.0;
  int bestIndex = -1;
  const int n = static_cast<int>(children.size());
  for (int i = 0; i < n; ++i) {
    const Node* child = children[i];
    if (child == nullptr) continue;
    const double score = child->getUCT(numerator);
    if (score > bestScore) {
      bestIndex = i;
      bestScore = score;
    } else if (score == bestScore && tieBreakDraw()) {
      bestIndex = i;
    }
  }
  // No child won a place (all scored below 0, or 0 with every draw keeping
  // the start value): stay inside the children rather than index -1.
  return children[bestIndex < 0 ? 0 : bestIndex];
}

void select(Node* root) {
  Node* node = root;
  while (!node->hasNoChildren()) {
    Node* next = getChildHighestUCT(node);
    if (next == nullptr) break;
    node = next;
  }
  node->init();
  if (const int winner = node->getWinner(); winner != 0) {
    backpropogate(node, winner);
  } else if (!node->hasMove() || node->getNumVisits() != 0) {
    expand(node);
  } else {
    backpropogate(node, runSimulation(node));
  }
}

void expand(Node* node) {
  if (!node->hasNoChildren()) return;
  const Position pos = node->position();

  // Candidates as 9 * quadrant + cell, in quadrant then cell order, in a
  // fixed array: expansion is on the hot path and allocates nothing itself.
  std::array<std::uint8_t, 81> candidates;
  unsigned k = 0;
  auto addQuadrant = [&](int q) {
    unsigned empty = lines::kFull & ~static_cast<unsigned>(pos.occupied(q));
    for (int c = 0; c < 9; ++c)
      if (empty >> c & 1u) candidates[k++] = static_cast<std::uint8_t>(9 * q + c);
  };
  const std::uint16_t open = pos.openQuadrants();
  const int sentTo = node->getLocal();
  if (node->hasMove() && (open >> sentTo & 1u)) {
    addQuadrant(sentTo);
  } else {
    for (int q = 0; q < 9; ++q)
      if (open >> q & 1u) addQuadrant(q);
  }

  if (NodePool::size() < k) return;
  node->setNumChildren(k);
  for (unsigned i = 0; i < k; ++i) {
    Node* child = NodePool::getNode();
    child->init(candidates[i] / 9, candidates[i] % 9, node, false);
    node->addChild(child);
  }
  if (node->hasNoChildren()) throw "No Children...";

  Node* child = node->getChild(static_cast<std::size_t>(std::rand()) % k);
  backpropogate(child, runSimulation(child));
}

void backpropogate(Node* node, int result) {
  if (result == -1) {
    ++numTies;
    for (Node* x = node; x != nullptr; x = x->getParent()) x->incrementVisits(1);
    return;
  }
  if (result == 1) ++numP1Wins;
  if (result == 2) ++numP2Wins;
  // Players alternate level by level, so the winner made the moves of every
  // other node on the path: which ones follows from the starting node alone.
  bool winnerMovedHere = result == node->getPlayer();
  for (Node* x = node; x != nullptr; x = x->getParent()) {
    if (winnerMovedHere) x->incrementWins(1);
    x->incrementVisits(1);
    winnerMovedHere = !winnerMovedHere;
  }
}
