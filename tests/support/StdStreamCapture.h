#pragma once

#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

// Redirects std::cout and std::cerr into strings for the lifetime of the
// object and, when constructed with an input text, feeds std::cin from it.
// The original stream buffers are put back on destruction, and std::cin's
// error flags are cleared so that reading to the end leaves no trace.
class StdStreamCapture {
 public:
  StdStreamCapture()
      : oldOut_(std::cout.rdbuf(out_.rdbuf())), oldErr_(std::cerr.rdbuf(err_.rdbuf())) {}
  explicit StdStreamCapture(const std::string& input) : StdStreamCapture() {
    in_.str(input);
    oldIn_ = std::cin.rdbuf(in_.rdbuf());
  }
  ~StdStreamCapture() {
    std::cout.rdbuf(oldOut_);
    std::cerr.rdbuf(oldErr_);
    if (oldIn_ != nullptr) {
      std::cin.rdbuf(oldIn_);
      std::cin.clear();
    }
  }
  StdStreamCapture(const StdStreamCapture&) = delete;
  StdStreamCapture& operator=(const StdStreamCapture&) = delete;

  // Everything written to std::cout / std::cerr so far.
  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }

 private:
  // The string streams come first: the saved buffers are taken while they are built.
  std::ostringstream out_;
  std::ostringstream err_;
  std::istringstream in_;
  std::streambuf* oldOut_;
  std::streambuf* oldErr_;
  std::streambuf* oldIn_ = nullptr;
};
