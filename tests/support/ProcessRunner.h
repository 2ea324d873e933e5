#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Move.h"

// Running a console session, either as a real process or in this process, and
// collecting everything it wrote, standard output and standard error apart.

struct SessionResult {
  // The exit status when the process exited normally, else -1.
  int exitStatus = -1;
  // The signal that ended the process, else 0.
  int signal = 0;
  // Set when the run was cut short: by the timeout, or by stopWhenOutput.
  bool killed = false;
  bool timedOut = false;
  std::string out;
  std::string err;
};

struct ProcessOptions {
  // The whole of standard input; it is closed once written unless
  // keepInputOpen is set, in which case a read past it waits.
  std::string input;
  bool keepInputOpen = false;
  // Working directory of the process; empty keeps ours.
  std::string cwd;
  // The process is killed when it runs longer than this.
  std::chrono::milliseconds timeout{std::chrono::seconds(60)};
  // When not empty, the process is killed as soon as its standard output
  // holds this text.
  std::string stopWhenOutput;
  // Changes to the environment the process inherits: each name is set to its
  // value, or removed when the value is nullopt.
  std::vector<std::pair<std::string, std::optional<std::string>>> environment;
};

// Runs the executable at path with the full argument vector argv (argv[0],
// the name the program sees, included) and waits for it to end.
SessionResult runProcess(const std::string& path, const std::vector<std::string>& argv,
                         const ProcessOptions& options);

// For a forked child: moves to options.cwd, applies options.environment and
// runs the executable at path with argv. Never returns; the child exits with
// 126 when it cannot set up and 127 when the program cannot be run.
[[noreturn]] void execChild(const std::string& path, const std::vector<std::string>& argv,
                            const ProcessOptions& options);

// Waits for the child process pid to end and records how it ended in result.
void waitForExit(int pid, SessionResult& result);

// The path held by the environment variable name, or a test failure naming it.
std::string binaryFromEnvironment(const char* name);

// Runs session in this process with std::cin reading input and std::cout and
// std::cerr captured; the streams are put back (and std::cin's state cleared)
// even when session throws, and the exception passes on. exitStatus is 0.
SessionResult runInProcess(const std::function<void()>& session, const std::string& input);

// As above, but standard input is one line at a time from nextLine, asked
// only when the session wants to read; nullopt ends the input. The session's
// output so far can be seen through the out string passed in.
SessionResult runInProcess(const std::function<void()>& session,
                           const std::function<std::optional<std::string>(const std::string& out)>& nextLine);

// A fresh empty directory under the system's temporary directory, removed
// with its contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Makes dir the working directory while the object lives.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& dir);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// The whole content of the file at path; empty when it cannot be read.
std::string readFile(const std::string& path);

// The lines of text without their line ends; a last line without one counts.
std::vector<std::string> linesOf(const std::string& text);

// One report of the computer's turn as the game program prints it.
struct TurnReport {
  // False when the search's own lines were missing: a move that wins at once.
  bool searched = false;
  std::int64_t searchSpace = 0;
  Move move;
  std::int64_t wins = 0;
  std::int64_t visits = 0;
};

// Reads the computer's turn report that starts at offset pos of out: "Getting
// Move"; the free node count, the three search counters and the children's
// win sum, unless the move wins at once; the search space size; the move;
// the new position's wins and visits; and their quotient as the confidence.
// On success pos is moved past it; otherwise why tells what did not fit.
std::optional<TurnReport> readTurnReport(const std::string& out, std::size_t& pos, std::string& why);
