#include "TerminalSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>

namespace {

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

// The master side of a new pseudo-terminal, closed on destruction.
struct Master {
  int fd = -1;
  std::string slaveName;
  Master() {
    fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) fail("posix_openpt");
    char name[128];
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0) fail("ptsname");
    slaveName = name;
    const winsize size{24, 80, 0, 0};
    ::ioctl(fd, TIOCSWINSZ, &size);
  }
  ~Master() { ::close(fd); }
  Master(const Master&) = delete;
  Master& operator=(const Master&) = delete;
};

}  // namespace

SessionResult runInTerminal(const std::string& path, const std::vector<std::string>& argv,
                            const ProcessOptions& options) {
  ::signal(SIGPIPE, SIG_IGN);
  Master master;
  const pid_t pid = ::fork();
  if (pid < 0) fail("fork");
  if (pid == 0) {
    // A new session whose controlling terminal is the pseudo-terminal.
    if (::setsid() < 0) ::_exit(126);
    const int slave = ::open(master.slaveName.c_str(), O_RDWR);
    if (slave < 0 || ::ioctl(slave, TIOCSCTTY, 0) != 0) ::_exit(126);
    if (::dup2(slave, 0) < 0 || ::dup2(slave, 1) < 0 || ::dup2(slave, 2) < 0) ::_exit(126);
    if (slave > 2) ::close(slave);
    execChild(path, argv, options);
  }

  SessionResult result;
  bool typed = options.input.empty();
  const auto deadline = std::chrono::steady_clock::now() + options.timeout;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 && !result.killed) {
      ::kill(pid, SIGKILL);
      result.killed = result.timedOut = true;
    }
    pollfd fd{master.fd, POLLIN, 0};
    const int ready = ::poll(&fd, 1, result.killed ? 1000 : static_cast<int>(left.count()) + 1);
    if (ready < 0 && errno != EINTR) fail("poll");
    if (ready <= 0) {
      if (result.killed) break;
      continue;
    }
    char chunk[4096];
    const ssize_t n = ::read(master.fd, chunk, sizeof chunk);
    // EIO: every process holding the terminal has closed it.
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      break;
    }
    result.out.append(chunk, static_cast<std::size_t>(n));
    if (!typed) {
      // Small enough for the terminal's input queue: one write takes it all.
      if (::write(master.fd, options.input.data(), options.input.size()) < 0) fail("write");
      typed = true;
    }
  }

  waitForExit(pid, result);
  return result;
}
