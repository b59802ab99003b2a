// Helpers for the desktop tests: a private Xvfb for the test process, a
// main loop that runs until a condition holds or a time limit passes,
// JavaScript in a WebKitWebView, child processes started and ended by pid,
// and fresh copies of the program folder.
#pragma once

#include <webkit2/webkit2.h>

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelvanis::gui_test {

// Starts Xvfb on a free display and points DISPLAY at it; StopXvfb ends it.
// False when Xvfb could not be started.
bool StartXvfb();
void StopXvfb();

// Runs the default main context until done() holds; false on timeout.
bool RunUntil(const std::function<bool()>& done, int timeout_ms = 20000);

// Runs the main context for about `ms` milliseconds.
void RunFor(int ms);

// Evaluates `script` in the view's main frame and returns its value as text
// ("" for undefined/null). `error` (if given) gets a failure message.
std::string EvalJs(WebKitWebView* view, const std::string& script, std::string* error = nullptr,
                   int timeout_ms = 10000);

// Waits until the view has finished loading a URL that contains `part`.
bool WaitForPage(WebKitWebView* view, const std::string& part, int timeout_ms = 20000);

// A child process, ended by pid (SIGTERM, then SIGKILL) when destroyed.
class Child {
 public:
  Child() = default;
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Starts argv (argv[0] searched on PATH) with stdout to a pipe when
  // capture_stdout; extra_env entries "NAME=value" are added.
  bool Start(const std::vector<std::string>& argv, bool capture_stdout = false,
             const std::vector<std::string>& extra_env = {});
  // Reads one line of the child's stdout (without the newline).
  bool ReadLine(std::string* line, int timeout_ms = 10000);
  // Waits for the child to end; false on timeout. exit_code: -1 when it
  // did not exit normally.
  bool Wait(int* exit_code, int timeout_ms);
  void Stop();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1;
  std::string pending_;
};

// A temporary folder removed with its contents when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Copies the built program folder (the environment's KELVANIS_PROGRAM_DIR,
// else the build's) into `dest`.
bool CopyProgramFolder(const std::filesystem::path& dest);

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& data);

// Starts recording_server.py, which appends every request it gets to `log`
// as one JSON line; `port` gets the port it listens on at 127.0.0.1.
bool StartRecordingServer(Child& server, const std::string& log, std::string* port);
// A text member ("method", "path", "content_type") of one logged request;
// "" when the line has none.
std::string LoggedField(const std::string& line, const std::string& key);
// The body of one logged request, as the bytes the server received.
std::string LoggedBody(const std::string& line);

}  // namespace kelvanis::gui_test
