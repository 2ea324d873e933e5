#include "BotProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// Longest line kept whole; longer answers are cut, and judged, there.
constexpr std::size_t kMaxLine = 4096;
// Standard error kept for reports: the tail of what the bot wrote.
constexpr std::size_t kErrorTail = 4096;

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Milliseconds from now to the deadline, rounded up, for poll.
int millisecondsUntil(BotProcess::Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - BotProcess::Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1000 * 1000));
}

// Appends what fd has now to `to`; closes fd at end of file or on an error.
void drain(int& fd, std::string& to) {
  std::array<char, 65536> chunk;
  const ssize_t n = ::read(fd, chunk.data(), chunk.size());
  if (n > 0) {
    to.append(chunk.data(), static_cast<std::size_t>(n));
  } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
    closeFd(fd);
  }
}

// A bot that exits while we write to it must cost it the game, not end the
// runner: writes to a closed pipe fail with EPIPE instead of raising SIGPIPE.
void ignoreBrokenPipes() {
  static std::once_flag once;
  std::call_once(once, [] { ::signal(SIGPIPE, SIG_IGN); });
}

struct PipeEnds {
  int read = -1;
  int write = -1;
};

PipeEnds makePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) fail("pipe2");
  return {fds[0], fds[1]};
}

void setNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) fail("fcntl");
}

}  // namespace

BotProcess::BotProcess(const std::string& command) {
  ignoreBrokenPipes();
  PipeEnds in = makePipe();
  PipeEnds out = makePipe();
  PipeEnds err = makePipe();
  const char* const argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_ = ::fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls from here to exec: the runner may have threads.
    ::setpgid(0, 0);
    ::dup2(in.read, 0);
    ::dup2(out.write, 1);
    ::dup2(err.write, 2);
    ::signal(SIGPIPE, SIG_DFL);  // an ignored signal would stay ignored across exec
    ::execve("/bin/sh", const_cast<char* const*>(argv), environ);
    ::_exit(127);
  }
  const int forkErrno = errno;
  ::close(in.read);
  ::close(out.write);
  ::close(err.write);
  toBot_ = in.write;
  fromBot_ = out.read;
  errorsFromBot_ = err.read;
  if (pid_ < 0) {
    closeFd(toBot_);
    closeFd(fromBot_);
    closeFd(errorsFromBot_);
    errno = forkErrno;
    fail("fork");
  }
  // Also here, so that the group exists before any kill, whoever runs first.
  ::setpgid(pid_, pid_);
  try {
    setNonBlocking(toBot_);
    setNonBlocking(fromBot_);
    setNonBlocking(errorsFromBot_);
  } catch (...) {
    kill();
    throw;
  }
}

BotProcess::~BotProcess() { kill(); }

bool BotProcess::pump(Clock::time_point deadline, bool forWrite) {
  std::array<pollfd, 3> fds{};
  nfds_t n = 0;
  for (int fd : {fromBot_, errorsFromBot_}) {
    if (fd >= 0) fds[n++] = {fd, POLLIN, 0};
  }
  if (forWrite && toBot_ >= 0) fds[n++] = {toBot_, POLLOUT, 0};
  if (n == 0) return true;
  const int ready = ::poll(fds.data(), n, millisecondsUntil(deadline));
  if (ready < 0 && errno != EINTR) fail("poll");
  if (ready <= 0) return Clock::now() < deadline;
  for (nfds_t i = 0; i < n; ++i) {
    if (fds[i].revents == 0) continue;
    if (fds[i].fd == fromBot_) drain(fromBot_, out_);
    if (fds[i].fd == errorsFromBot_) collectErrors();
  }
  return true;
}

void BotProcess::collectErrors() {
  drain(errorsFromBot_, errors_);
  if (errors_.size() > 2 * kErrorTail) errors_.erase(0, errors_.size() - kErrorTail);
}

BotProcess::Status BotProcess::send(std::string_view text, Clock::time_point deadline) {
  while (!text.empty()) {
    if (toBot_ < 0) return Status::Closed;
    const ssize_t n = ::write(toBot_, text.data(), text.size());
    if (n > 0) {
      text.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      closeFd(toBot_);
      return Status::Closed;
    }
    // The pipe is full: the bot is not reading. Wait, collecting its output.
    if (!pump(deadline, true)) return Status::Timeout;
  }
  return Status::Ok;
}

BotProcess::Status BotProcess::readLine(std::string& line, Clock::time_point deadline) {
  for (;;) {
    const std::size_t end = out_.find('\n');
    if (end != std::string::npos && end < kMaxLine) {
      line = out_.substr(0, end);
      out_.erase(0, end + 1);
      return Status::Ok;
    }
    if (out_.size() >= kMaxLine || (fromBot_ < 0 && !out_.empty())) {
      line = out_.substr(0, kMaxLine);
      out_.erase(0, line.size());
      return Status::Ok;
    }
    if (fromBot_ < 0) return Status::Closed;
    if (!pump(deadline, false)) return Status::Timeout;
  }
}

void BotProcess::closeInput() { closeFd(toBot_); }

std::string BotProcess::exitDescription(Clock::time_point deadline) {
  while (!reaped_) {
    const pid_t done = ::waitpid(pid_, &status_, WNOHANG);
    if (done == pid_ || (done < 0 && errno != EINTR)) {
      reaped_ = done == pid_;
      break;
    }
    if (Clock::now() >= deadline) return "still running";
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!reaped_) return "lost (no such child)";
  while (errorsFromBot_ >= 0 && pump(Clock::now(), false)) {
    if (millisecondsUntil(deadline) == 0) break;
  }
  if (WIFEXITED(status_)) return "exited with status " + std::to_string(WEXITSTATUS(status_));
  if (WIFSIGNALED(status_)) return "killed by signal " + std::to_string(WTERMSIG(status_));
  return "ended";
}

std::string BotProcess::lastErrorLine() const {
  std::size_t end = errors_.size();
  while (end > 0) {
    while (end > 0 && (errors_[end - 1] == '\n' || errors_[end - 1] == '\r')) --end;
    const std::size_t start = errors_.rfind('\n', end == 0 ? 0 : end - 1);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    if (end > from) return errors_.substr(from, end - from);
    end = from;
  }
  return "";
}

void BotProcess::kill() {
  if (pid_ <= 0) return;
  // The whole group: the shell and whatever it started.
  ::kill(-pid_, SIGKILL);
  while (!reaped_) {
    if (::waitpid(pid_, &status_, 0) == pid_ || errno != EINTR) reaped_ = true;
  }
  pid_ = -1;
  closeFd(toBot_);
  closeFd(fromBot_);
  closeFd(errorsFromBot_);
}
