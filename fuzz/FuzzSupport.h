#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "ComputerTurn.h"
#include "Game.h"
#include "NodePool.h"
#include "Random.h"

// Pieces shared by the fuzz targets: pointing the standard streams at
// in-memory buffers for one run, fixing every random source, and the checks
// that every run of a mode must pass whatever its input.
namespace fuzz {

// Stops the fuzzer with a message; libFuzzer saves the input that led here.
[[noreturn]] inline void fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fuzz invariant broken: %s%s%s\n", what, detail.empty() ? "" : ": ",
               detail.c_str());
  std::abort();
}

// For the lifetime of the object, std::cin reads from `in` and std::cout and
// std::cerr write into strings; the stream states are cleared on both ends so
// that end of input in one run does not leak into the next.
class Console {
 public:
  explicit Console(std::streambuf* in)
      : oldIn_(std::cin.rdbuf(in)), oldOut_(std::cout.rdbuf(&out_)), oldErr_(std::cerr.rdbuf(&err_)) {
    std::cin.clear();
    std::cout.clear();
    std::cerr.clear();
  }
  ~Console() {
    std::cin.rdbuf(oldIn_);
    std::cout.rdbuf(oldOut_);
    std::cerr.rdbuf(oldErr_);
    std::cin.clear();
    std::cout.clear();
    std::cerr.clear();
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }

 private:
  std::stringbuf out_;
  std::stringbuf err_;
  std::streambuf* oldIn_;
  std::streambuf* oldOut_;
  std::streambuf* oldErr_;
};

// The same input must give the same run: the tie-break generator, rand()
// (expansion) and the playout generator all start from fixed states.
inline void seedEverything() {
  g_seed = 1;
  std::srand(1);
  playoutRandom().reseed(1);
}

// With FUZZ_ECHO set in the environment, replaying an input shows the session
// it produced: the captured standard output and error go to the real error stream.
inline void echo(const std::string& out, const std::string& err) {
  if (std::getenv("FUZZ_ECHO") == nullptr) return;
  std::fprintf(stderr, "%s\n--- standard error ---\n%s", out.c_str(), err.c_str());
}

// After a mode returns, no game may be left behind: the global position is
// cleared and every pool node is free again.
inline void checkNothingLeft() {
  if (game != nullptr) fail("game not cleared after the mode returned");
  if (NodePool::size() != NodePool::maxSize())
    fail("nodes leaked", std::to_string(NodePool::maxSize() - NodePool::size()) + " still in use");
}

// Number of lines std::getline finds in text: a last line without a line end counts.
inline std::size_t countLines(const std::string& text) {
  std::size_t n = 0;
  for (char c : text)
    if (c == '\n') ++n;
  if (!text.empty() && text.back() != '\n') ++n;
  return n;
}

// Occurrences of needle in haystack.
inline std::size_t countOf(const std::string& haystack, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + needle.size()))
    ++n;
  return n;
}

// Checks what an interactive game may leave on the console: either one of the
// failure messages alone on standard error, or nothing there and the end
// report as the last thing on standard output.
inline void checkGameEnding(const std::string& out, const std::string& err, bool sideMayBeWrong) {
  if (err.empty()) {
    const std::size_t at = out.rfind("Winner:  ");
    if (at == std::string::npos) fail("game ended without a report or a message");
    const std::string tail = out.substr(at);
    if (tail != "Winner:  0\n\n" && tail != "Winner:  1\n\n" && tail != "Winner:  2\n\n" &&
        tail != "Winner:  -1\n\n")
      fail("end report malformed", tail);
    return;
  }
  // A tiny pool can leave the computer without a searched move; "No
  // Children..." would mean an unfinished position without a legal move, which
  // the rules rule out, so it is a fault here.
  if (err == "No Move found...\n") return;
  if (sideMayBeWrong && err.rfind("Invalid Player Number:  ", 0) == 0 &&
      out.find("Winner:  ") == std::string::npos && out.find("Enter thinking time") == std::string::npos)
    return;
  fail("unexpected message on standard error", err);
}

// What one run of a mode wrote.
struct Session {
  std::string out;
  std::string err;
};

// Runs mode with standard input read from in and its output captured, then
// echoes the session on request and checks that no game or node was left.
template <typename Mode>
Session runMode(std::streambuf* in, Mode mode) {
  Session session;
  {
    Console console(in);
    mode();
    session.out = console.out();
    session.err = console.err();
  }
  echo(session.out, session.err);
  checkNothingLeft();
  return session;
}

}  // namespace fuzz
