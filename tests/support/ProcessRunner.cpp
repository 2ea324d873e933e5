#include "ProcessRunner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) fail("pipe2");
    read = fds[0];
    write = fds[1];
  }
};

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Appends what can be read now; closes fd at end of file or on an error.
void drain(int& fd, std::string& to) {
  char chunk[65536];
  const ssize_t n = ::read(fd, chunk, sizeof chunk);
  if (n > 0) {
    to.append(chunk, static_cast<std::size_t>(n));
  } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
    closeFd(fd);
  }
}

// Standard input fed one line at a time, each asked for only when wanted.
class LineFeed : public std::streambuf {
 public:
  using NextLine = std::function<std::optional<std::string>(const std::string&)>;
  LineFeed(const NextLine& next, const std::stringbuf& out) : next_(next), out_(out) {}

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (ended_) return traits_type::eof();
    std::optional<std::string> line = next_(out_.str());
    if (!line) {
      ended_ = true;
      return traits_type::eof();
    }
    line_ = *line + '\n';
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
  }

 private:
  const NextLine& next_;
  const std::stringbuf& out_;
  std::string line_;
  bool ended_ = false;
};

// Reads the line at pos (without its end) into line; false when no whole line is left.
bool takeLine(const std::string& text, std::size_t& pos, std::string& line) {
  const std::size_t end = text.find('\n', pos);
  if (end == std::string::npos) return false;
  line = text.substr(pos, end - pos);
  pos = end + 1;
  return true;
}

bool isCount(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// A double as the stream writes a whole-numbered sum: digits, maybe a
// fraction, maybe an exponent.
bool isSum(const std::string& s) {
  const std::size_t digits = s.find_first_not_of("0123456789");
  if (digits == 0) return false;
  if (digits == std::string::npos) return true;
  std::size_t rest = digits;
  if (s[rest] == '.') rest = s.find_first_not_of("0123456789", rest + 1);
  if (rest == std::string::npos) return true;
  return s.compare(rest, 2, "e+") == 0 && isCount(s.substr(rest + 2));
}

// Whether line is prefix followed by a count, which goes to value.
bool countAfter(const std::string& line, const std::string& prefix, std::int64_t& value) {
  if (line.compare(0, prefix.size(), prefix) != 0 || !isCount(line.substr(prefix.size()))) return false;
  value = std::stoll(line.substr(prefix.size()));
  return true;
}

SessionResult capture(const std::function<void()>& session, std::streambuf& in, std::stringbuf& out) {
  std::stringbuf err;
  struct Restore {
    std::streambuf* in;
    std::streambuf* out;
    std::streambuf* err;
    ~Restore() {
      std::cin.rdbuf(in);
      std::cin.clear();
      std::cout.rdbuf(out);
      std::cerr.rdbuf(err);
    }
  } restore{std::cin.rdbuf(&in), std::cout.rdbuf(&out), std::cerr.rdbuf(&err)};
  std::cin.clear();
  session();
  SessionResult result;
  result.exitStatus = 0;
  result.out = out.str();
  result.err = err.str();
  return result;
}

}  // namespace

SessionResult runProcess(const std::string& path, const std::vector<std::string>& argv,
                         const ProcessOptions& options) {
  // A program that stops reading early must not take the test down with it.
  ::signal(SIGPIPE, SIG_IGN);
  Pipe in, out, err;
  const pid_t pid = ::fork();
  if (pid < 0) fail("fork");
  if (pid == 0) {
    if (::dup2(in.read, 0) < 0 || ::dup2(out.write, 1) < 0 || ::dup2(err.write, 2) < 0) ::_exit(126);
    execChild(path, argv, options);
  }
  closeFd(in.read);
  closeFd(out.write);
  closeFd(err.write);
  ::fcntl(in.write, F_SETFL, O_NONBLOCK);

  SessionResult result;
  std::size_t written = 0;
  if (options.input.empty() && !options.keepInputOpen) closeFd(in.write);
  const Clock::time_point deadline = Clock::now() + options.timeout;
  auto kill = [&] {
    if (!result.killed) ::kill(pid, SIGKILL);
    result.killed = true;
  };

  while (out.read >= 0 || err.read >= 0) {
    pollfd fds[3];
    nfds_t n = 0;
    for (int fd : {out.read, err.read}) {
      if (fd >= 0) fds[n++] = {fd, POLLIN, 0};
    }
    if (in.write >= 0 && written < options.input.size()) fds[n++] = {in.write, POLLOUT, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 && !result.killed) {
      result.timedOut = true;
      kill();
    }
    if (::poll(fds, n, result.killed ? 1000 : static_cast<int>(left.count()) + 1) < 0 && errno != EINTR)
      fail("poll");
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == out.read) {
        const std::size_t before = result.out.size();
        drain(out.read, result.out);
        const std::string& stop = options.stopWhenOutput;
        const std::size_t from = before >= stop.size() ? before - stop.size() : 0;
        if (!stop.empty() && result.out.find(stop, from) != std::string::npos) kill();
      } else if (fds[i].fd == err.read) {
        drain(err.read, result.err);
      } else {
        const ssize_t k = ::write(in.write, options.input.data() + written, options.input.size() - written);
        if (k > 0) written += static_cast<std::size_t>(k);
        if ((k < 0 && errno != EAGAIN && errno != EINTR) ||
            (written == options.input.size() && !options.keepInputOpen))
          closeFd(in.write);
      }
    }
  }
  closeFd(in.write);
  waitForExit(pid, result);
  return result;
}

void waitForExit(int pid, SessionResult& result) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) fail("waitpid");
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
}

void execChild(const std::string& path, const std::vector<std::string>& argv, const ProcessOptions& options) {
  ::signal(SIGPIPE, SIG_DFL);
  if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(126);
  for (const auto& [name, value] : options.environment) {
    const int failed = value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    if (failed != 0) ::_exit(126);
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(path.c_str(), args.data());
  ::_exit(127);
}

std::string binaryFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    ADD_FAILURE() << "environment variable " << name << " must name the program to test";
    return "/nonexistent";
  }
  return value;
}

SessionResult runInProcess(const std::function<void()>& session, const std::string& input) {
  std::stringbuf in(input, std::ios::in);
  std::stringbuf out(std::ios::out);
  return capture(session, in, out);
}

SessionResult runInProcess(
    const std::function<void()>& session,
    const std::function<std::optional<std::string>(const std::string& out)>& nextLine) {
  std::stringbuf out(std::ios::out);
  LineFeed in(nextLine, out);
  return capture(session, in, out);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "uttt-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) fail("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

WorkingDirectory::WorkingDirectory(const std::string& dir)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(dir);
}

WorkingDirectory::~WorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::optional<TurnReport> readTurnReport(const std::string& out, std::size_t& pos, std::string& why) {
  std::size_t at = pos;
  std::string line;
  const std::size_t start = pos;
  auto fail = [&](const char* expected) {
    pos = start;
    why = std::string("expected ") + expected + " at offset " + std::to_string(at) + ", found [" +
          out.substr(at, 200) + "]";
    return std::nullopt;
  };
  auto next = [&] {
    at = pos;
    return takeLine(out, pos, line);
  };
  TurnReport report;
  std::int64_t ignored = 0;
  if (!next() || line != "Getting Move") return fail("\"Getting Move\"");
  report.searched = out.compare(pos, 20, "Search Space Size:  ") != 0;
  if (report.searched) {
    if (!next() || !isCount(line)) return fail("the free node count");
    if (!next() || !countAfter(line, "    numP1Wins:  ", ignored)) return fail("numP1Wins");
    if (!next() || !countAfter(line, "    numP2Wins:  ", ignored)) return fail("numP2Wins");
    if (!next() || !countAfter(line, "    numTies:    ", ignored)) return fail("numTies");
    if (!next() || !isSum(line)) return fail("the win sum");
  }
  if (!next() || !countAfter(line, "Search Space Size:  ", report.searchSpace))
    return fail("the search space size");
  if (!next() || line.size() != 15 || line.compare(0, 4, "G:  ") != 0 ||
      line.compare(5, 9, "     L:  ") != 0 || line[4] < '0' || line[4] > '8' || line[14] < '0' ||
      line[14] > '8')
    return fail("the move");
  report.move = Move(line[4] - '0', line[14] - '0');
  if (!next()) return fail("wins and visits");
  const std::size_t split = line.find("    V:  ");
  if (split == std::string::npos || !countAfter(line.substr(0, split), "W:  ", report.wins) ||
      !countAfter(line.substr(split), "    V:  ", report.visits))
    return fail("wins and visits");
  std::ostringstream confidence;
  // Worked out at run time, as the program does: a constant 0.0 / 0.0 may
  // fold to a NaN of the other sign.
  volatile double wins = static_cast<double>(report.wins);
  volatile double visits = static_cast<double>(report.visits);
  confidence << "Confidence:  " << wins / visits;
  if (!next() || line != confidence.str()) return fail(confidence.str().c_str());
  return report;
}
