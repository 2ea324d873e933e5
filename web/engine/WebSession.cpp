#include "WebSession.h"

#include <algorithm>
#include <cmath>

#include "Game.h"
#include "Node.h"
#include "NodePool.h"
#include "SearchParameters.h"

namespace {

// Iterations a search phase runs before it looks at the clock, so that even a
// zero thinking time answers from a searched tree.
constexpr std::uint64_t kMinIterations = 256;
// The clock is read once per this many iterations.
constexpr std::uint64_t kClockInterval = 64;
// Longest thinking time taken literally (a day); the pool bounds longer ones.
constexpr double kMaxSeconds = 24 * 3600.0;

bool isIndexDigit(char c) { return c >= '0' && c <= '8'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// "move N "PAIR"", the start of a message about the pair of move N.
std::string movePair(std::size_t n, std::string_view pair) {
  std::string out("move ");
  out.append(std::to_string(n)).append(" \"").append(pair).append("\"");
  return out;
}

}  // namespace

WebSession::WebSession(std::uint64_t poolNodes) {
  NodePool::setMaxSize(poolNodes);
  newGame();
}

WebSession::~WebSession() { delete top_; }

void WebSession::newGame() {
  phase_ = Phase::Idle;
  delete top_;
  top_ = nullptr;
  top_ = new Node();
  node_ = top_;
  position_ = Position();
  moves_.clear();
  winRates_.clear();
}

std::string WebSession::load(std::string_view line) {
  // Pairs of non-blank characters, as the record format reads them.
  std::vector<int> wanted;
  std::string pair;
  Position p;
  for (char c : line) {
    if (isBlank(c)) continue;
    pair += c;
    if (pair.size() < 2) continue;
    const std::string where = movePair(wanted.size() + 1, pair);
    if (!isIndexDigit(pair[0]) || !isIndexDigit(pair[1]))
      return where + ": quadrant and cell must be digits 0-8";
    const int q = pair[0] - '0';
    const int cell = pair[1] - '0';
    if (p.winner != 0) return where + ": the game is already over";
    if (!p.isLegal(q, cell)) return where + ": not a legal move here";
    p.play(q, cell);
    wanted.push_back(9 * q + cell);
    pair.clear();
  }
  if (!pair.empty())
    return movePair(wanted.size() + 1, pair) + ": the cell digit is missing";
  newGame();
  for (int m : wanted) play(m);
  return "";
}

bool WebSession::play(int move) {
  if (searching() || move < 0 || move > 80 || !position_.isLegal(move / 9, move % 9)) return false;
  append(move, -1);
  return true;
}

void WebSession::append(int move, double winRate) {
  node_->setChild(Move(move / 9, move % 9));
  node_ = node_->getChild(0);  // setChild leaves that child alone
  position_.play(move / 9, move % 9);
  moves_.push_back(move);
  winRates_.push_back(winRate);
}

void WebSession::undo(int count) {
  if (count <= 0) return;
  std::vector<int> keep = moves_;
  std::vector<double> rates = winRates_;
  const std::size_t n = keep.size() - std::min<std::size_t>(keep.size(), static_cast<std::size_t>(count));
  keep.resize(n);
  rates.resize(n);
  newGame();
  for (std::size_t i = 0; i < n; ++i) append(keep[i], rates[i]);
}

Position WebSession::positionAt(std::size_t ply) const {
  Position p;
  for (std::size_t i = 0; i < std::min(ply, moves_.size()); ++i) p.play(moves_[i] / 9, moves_[i] % 9);
  return p;
}

std::vector<int> WebSession::legalMoves(const Position& position) {
  std::vector<int> legal;
  for (int m = 0; m < 81; ++m)
    if (position.isLegal(m / 9, m % 9)) legal.push_back(m);
  return legal;
}

std::string WebSession::record() const {
  std::string line;
  for (int m : moves_) {
    if (!line.empty()) line += ' ';
    line += static_cast<char>('0' + m / 9);
    line += static_cast<char>('0' + m % 9);
  }
  return line;
}

void WebSession::beginSearch(double seconds, Purpose purpose) {
  purpose_ = purpose;
  iterations_ = 0;
  phaseIterations_ = 0;
  poolFull_ = false;
  immediateWin_ = -1;
  start_ = Clock::now();
  const double budget = std::min(seconds > 0 ? seconds : 0.0, kMaxSeconds);
  auto after = [this](double s) {
    return start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
  };
  searchEnd_ = after(budget);
  phaseEnd_ = purpose == Purpose::Move ? after(budget * searchParameters().firstSearchShare) : searchEnd_;
  phase_ = Phase::Broad;
  numP1Wins = numP2Wins = numTies = 0;
  if (purpose == Purpose::Move) {
    if (const std::unique_ptr<Move> win = isWin(node_)) immediateWin_ = 9 * win->global + win->local;
  }
}

WebSession::Progress WebSession::searchSlice(double sliceSeconds) {
  const Clock::time_point sliceEnd =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(sliceSeconds));
  if (immediateWin_ >= 0 && phase_ != Phase::Idle) {
    phase_ = Phase::Idle;
    append(immediateWin_, 1.0);
  }
  while (phase_ != Phase::Idle) {
    if (runPhase(std::min(sliceEnd, phaseEnd_))) endPhase();
    else break;  // the slice is used up
  }
  Progress progress;
  progress.done = phase_ == Phase::Idle;
  progress.iterations = iterations_;
  progress.elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
  progress.poolFull = poolFull_;
  progress.poolBytes = NodePool::bytesReserved();
  progress.winAtOnce = immediateWin_ >= 0;
  return progress;
}

bool WebSession::runPhase(Clock::time_point limit) {
  const SearchScope scope(node_);
  for (;;) {
    if (NodePool::size() <= kFreeNodeThreshold) {
      poolFull_ = true;
      return true;
    }
    select(node_);
    ++iterations_;
    ++phaseIterations_;
    if (phaseIterations_ % kClockInterval != 0) continue;
    const Clock::time_point now = Clock::now();
    if (phaseIterations_ >= kMinIterations && now >= phaseEnd_) return true;
    if (now >= limit && phaseIterations_ >= kMinIterations) return false;
  }
}

void WebSession::endPhase() {
  phaseIterations_ = 0;
  if (phase_ == Phase::Broad && purpose_ == Purpose::Move) {
    // Keep only the most visited move, and deepen it with the rest of the time.
    Node::Children children = node_->getChildren();
    std::sort(children.begin(), children.end(), visitSort);
    while (children.size() > 1) {
      NodePool::returnNode(children.back());
      children.pop_back();
    }
    phase_ = Phase::Deep;
    phaseEnd_ = searchEnd_;
    return;
  }
  phase_ = Phase::Idle;
  if (purpose_ == Purpose::Move) chooseMove();
}

void WebSession::chooseMove() {
  const Node* best = nullptr;
  for (std::size_t i = 0; i < node_->getNumChildren(); ++i) {
    const Node* c = node_->getChild(i);
    if (c == nullptr) continue;
    if (best == nullptr || c->getNumVisits() > best->getNumVisits() ||
        (c->getNumVisits() == best->getNumVisits() && tieBreakDraw()))
      best = c;
  }
  if (best == nullptr) {
    // The pool never let the root be expanded: any legal move will do.
    append(legalMoves(position_).front(), -1);
    return;
  }
  const double visits = best->getNumVisits();
  append(best->getMoveCode(), visits > 0 ? best->getNumWins() / visits : -1);
}

std::vector<WebSession::Share> WebSession::topMoves(std::size_t count) const {
  std::vector<Share> shares;
  double total = 0;
  for (std::size_t i = 0; i < node_->getNumChildren(); ++i) {
    const Node* c = node_->getChild(i);
    if (c == nullptr || c->getNumVisits() <= 0) continue;
    shares.push_back({c->getMoveCode(), static_cast<double>(c->getNumVisits())});
    total += c->getNumVisits();
  }
  std::sort(shares.begin(), shares.end(), [](const Share& a, const Share& b) { return a.share > b.share; });
  if (shares.size() > count) shares.resize(count);
  for (Share& s : shares) s.share /= total;
  return shares;
}
