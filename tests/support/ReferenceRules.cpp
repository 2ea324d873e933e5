#include "ReferenceRules.h"

#include <sstream>
#include <stdexcept>

#include "Node.h"

namespace reference {

const std::array<std::array<int, 3>, 8> kLines = {{
    {0, 1, 2}, {3, 4, 5}, {6, 7, 8},  // rows
    {0, 3, 6}, {1, 4, 7}, {2, 5, 8},  // columns
    {0, 4, 8}, {2, 4, 6},             // diagonals
}};

bool holdsLine(const std::array<int, 9>& values, int player) {
  for (const auto& line : kLines)
    if (values[line[0]] == player && values[line[1]] == player && values[line[2]] == player)
      return true;
  return false;
}

int lineOwner(const std::array<int, 9>& values) {
  return holdsLine(values, 1) ? 1 : holdsLine(values, 2) ? 2 : 0;
}

bool wouldComplete(std::array<int, 9> values, int i, int player) {
  values[i] = player;
  for (const auto& line : kLines)
    if ((line[0] == i || line[1] == i || line[2] == i) && values[line[0]] == player &&
        values[line[1]] == player && values[line[2]] == player)
      return true;
  return false;
}

int potentialCode(const std::array<int, 9>& states, int q) {
  if (states[q] != 0) return 0;
  return (wouldComplete(states, q, 1) ? 1 : 0) | (wouldComplete(states, q, 2) ? 2 : 0);
}

std::array<int, 9> Game::quadrantCells(int q) const {
  std::array<int, 9> v{};
  for (int c = 0; c < 9; ++c) v[c] = cell(q, c);
  return v;
}

int Game::quadrantState(int q) const {
  // No mark lands in a won quadrant, so at most one player can hold a line.
  const std::array<int, 9> v = quadrantCells(q);
  if (const int owner = lineOwner(v); owner != 0) return owner;
  for (int c = 0; c < 9; ++c)
    if (v[c] == 0) return 0;
  return -1;
}

std::array<int, 9> Game::quadrantStates() const {
  std::array<int, 9> s{};
  for (int q = 0; q < 9; ++q) s[q] = quadrantState(q);
  return s;
}

int Game::nextQuadrant() const {
  if (moves.empty()) return -1;
  const int sent = moves.back().second;
  return isOpen(sent) ? sent : -1;
}

int Game::winner() const {
  const std::array<int, 9> s = quadrantStates();
  if (const int owner = lineOwner(s); owner != 0) return owner;
  for (int q = 0; q < 9; ++q)
    if (s[q] == 0) return 0;
  return -1;
}

std::array<bool, 81> Game::legalMask() const {
  std::array<bool, 81> legal{};
  if (winner() != 0) return legal;
  const int next = nextQuadrant();
  for (int g = 0; g < 9; ++g)
    if ((next == -1 || g == next) && isOpen(g))
      for (int l = 0; l < 9; ++l) legal[9 * g + l] = cell(g, l) == 0;
  return legal;
}

bool Game::isLegal(int g, int l) const {
  return g >= 0 && g <= 8 && l >= 0 && l <= 8 && legalMask()[9 * g + l];
}

std::vector<std::pair<int, int>> Game::legalMoves() const {
  const std::array<bool, 81> legal = legalMask();
  std::vector<std::pair<int, int>> out;
  for (int m = 0; m < 81; ++m)
    if (legal[m]) out.emplace_back(m / 9, m % 9);
  return out;
}

void Game::play(int g, int l) {
  if (!isLegal(g, l)) throw std::logic_error("reference: illegal move");
  cells[9 * g + l] = playerToMove();
  moves.emplace_back(g, l);
}

std::pair<int, int> randomMove(const Game& game, std::mt19937& rng) {
  const auto legal = game.legalMoves();
  if (legal.empty()) throw std::logic_error("reference: no legal move");
  return legal[std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(rng)];
}

std::optional<Game> findGame(std::uint32_t seed, int maxGames,
                             const std::function<bool(const Game&)>& wanted) {
  std::mt19937 rng(seed);
  for (int n = 0; n < maxGames; ++n) {
    Game game;
    for (;;) {
      if (wanted(game)) return game;
      if (game.winner() != 0) break;
      const auto [g, l] = randomMove(game, rng);
      game.play(g, l);
    }
  }
  return std::nullopt;
}

::testing::AssertionResult matchesReference(const Node& node, const Game& game) {
  std::ostringstream diff;
  if (node.getPlayer() != game.lastPlayer()) diff << " player " << node.getPlayer();
  if (node.getWinner() != game.winner()) diff << " winner " << node.getWinner();
  if (node.getNextQuadrant() != game.nextQuadrant())
    diff << " next quadrant " << node.getNextQuadrant();
  const std::array<bool, 81> legal = game.legalMask();
  for (int m = 0; m < 81; ++m)
    if (node.isLegal(Move(m / 9, m % 9)) != legal[m])
      diff << " isLegal(" << m / 9 << ", " << m % 9 << ") " << !legal[m];
  const Move expectedMove =
      game.moves.empty() ? Move() : Move(game.moves.back().first, game.moves.back().second);
  if (node.hasMove() != !game.moves.empty() || !(node.getMove() == expectedMove))
    diff << " move " << node.getGlobal() << ' ' << node.getLocal();

  Quadrant states = make_Quadrant();
  node.buildQuadrant(states);
  Board2D board = make_Board2D();
  node.buildBoard2D(board);
  for (int q = 0; q < 9; ++q) {
    if (states[q] != game.quadrantState(q)) diff << " state[" << q << "] " << states[q];
    Quadrant cells = make_Quadrant();
    node.buildQuadrant(cells, q);
    for (int c = 0; c < 9; ++c) {
      if (board[q][c] != game.cell(q, c)) diff << " board[" << q << "][" << c << "] " << board[q][c];
      if (cells[c] != game.cell(q, c)) diff << " cells(" << q << ")[" << c << "] " << cells[c];
    }
  }
  if (diff.str().empty()) return ::testing::AssertionSuccess();
  std::ostringstream moves;
  for (const auto& [g, l] : game.moves) moves << g << l << ' ';
  return ::testing::AssertionFailure() << "after moves [" << moves.str() << "] the node differs:"
                                       << diff.str();
}

Node* replay(Node* root, const Game& game) {
  Node* node = root;
  for (const auto& [g, l] : game.moves) {
    node->setChild(Move(g, l));
    node = node->getChildren().back();
  }
  return node;
}

}  // namespace reference
