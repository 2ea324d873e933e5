// The random-playout search, pinned: from fixed seeds, the root children's
// visits, wins and ties after a fixed number of iterations must stay exactly
// what they were when the playout became one leaf evaluation among others.
// A change here means the playout path now plays differently.

#include <cstdint>
#include <memory>
#include <string>

#include "Node.h"
#include "SearchTestSupport.h"

namespace searchtest {
namespace {

std::uint64_t fnv1a(const std::string& text) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ULL;
  }
  return h;
}

// The counts of root's children after n iterations, as text.
std::string signature(Node* root, int n) {
  {
    const SearchScope scope(root);
    for (int i = 0; i < n; ++i) select(root);
  }
  std::string text;
  for (std::size_t i = 0; i < root->getNumChildren(); ++i) {
    const Node* c = root->getChild(i);
    text += std::to_string(c->getMoveCode()) + ":" + std::to_string(c->getNumVisits()) + "/" +
            std::to_string(c->getNumWins()) + "/" + std::to_string(c->getNumTies()) + " ";
  }
  return text;
}

class PlayoutSignatureTest : public SearchTest {};

TEST_F(PlayoutSignatureTest, SeededSearchesGiveThePinnedCounts) {
  const struct {
    std::string record;
    std::uint64_t hash;
  } cases[] = {
      {"", 0x8ac0f4dd31dc2a12ULL},
      {"40 04 41 14 43", 0xa8fd5904879c292fULL},
      {"44 40 03 34 41 14 43 33 30 01 10 00 04 42 28 88 87 73 35 57", 0xd6d39f3d1465bbbaULL},
      {kLinesFreeChoice, 0x6461105983a0ed7cULL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    std::srand(7);
    g_seed = 7u;
    playoutRandom().reseed(7);
    auto top = std::make_unique<Node>();
    Node* root = play(top.get(), c.record);
    const std::string text = signature(root, 4000);
    EXPECT_EQ(fnv1a(text), c.hash) << std::hex << fnv1a(text) << "\n" << text;
  }
}

}  // namespace
}  // namespace searchtest
