#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

// A bot running as a child process: `/bin/sh -c COMMAND` with its standard
// input and output on pipes to us and its standard error collected for
// reports. The child leads a process group of its own, so that whatever the
// command starts is killed along with it.
class BotProcess {
 public:
  using Clock = std::chrono::steady_clock;

  enum class Status {
    Ok,       // done: the text was written, or a line was read
    Timeout,  // the deadline passed first
    Closed,   // the bot closed its end: it exited or shut the stream
  };

  // Starts the command. Throws std::system_error when the pipes or the
  // process cannot be made (a command that does not exist still starts: the
  // shell reports it and exits with status 127).
  explicit BotProcess(const std::string& command);
  // Kills the process group and reaps the child.
  ~BotProcess();
  BotProcess(const BotProcess&) = delete;
  BotProcess& operator=(const BotProcess&) = delete;

  // Writes all of text to the bot's standard input by the deadline.
  Status send(std::string_view text, Clock::time_point deadline);
  // Waits until the deadline for one line on the bot's standard output and
  // stores it without its line end. Text left unfinished when the bot closes
  // its output counts as a line; a line longer than 4096 bytes is cut there.
  Status readLine(std::string& line, Clock::time_point deadline);

  // Closes the bot's standard input, so that its next read finds the end.
  void closeInput();

  // How the child ended, waiting for it until the deadline: "exited with
  // status N", "killed by signal N", or "still running" (it is not killed).
  std::string exitDescription(Clock::time_point deadline);
  // The last non-empty line the bot wrote to standard error, or "".
  std::string lastErrorLine() const;

  // Kills the whole process group and reaps the child; harmless when repeated.
  void kill();

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  int toBot_ = -1;
  int fromBot_ = -1;
  int errorsFromBot_ = -1;
  std::string out_;
  std::string errors_;

  // Waits until the deadline for output (collecting both streams) or, with
  // forWrite, for room in the input pipe; false when the deadline passed.
  bool pump(Clock::time_point deadline, bool forWrite);
  void collectErrors();
};
