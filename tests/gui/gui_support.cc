#include "tests/gui/gui_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace kelvanis::gui_test {
namespace {

pid_t xvfb_pid = -1;

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

bool StartXvfb() {
  int fds[2];
  if (pipe(fds) != 0) return false;
  // Xvfb writes the display number it chose to the pipe.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::string fd = std::to_string(fds[1]);
  const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen",  "0",
                        "1280x1024x24", "-nolisten",  "tcp",      "-noreset", nullptr};
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  xvfb_pid = pid;
  std::string number;
  pollfd pfd{fds[0], POLLIN, 0};
  auto deadline = Clock::now() + std::chrono::seconds(20);
  while (Remaining(deadline) > 0 && poll(&pfd, 1, Remaining(deadline)) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    StopXvfb();
    return false;
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  return true;
}

void StopXvfb() {
  if (xvfb_pid <= 0) return;
  kill(xvfb_pid, SIGTERM);
  waitpid(xvfb_pid, nullptr, 0);
  xvfb_pid = -1;
}

bool RunUntil(const std::function<bool()>& done, int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    if (Remaining(deadline) == 0) return done();
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
  }
  return true;
}

void RunFor(int ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  RunUntil([&] { return Remaining(deadline) == 0; }, ms + 1000);
}

std::string EvalJs(WebKitWebView* view, const std::string& script, std::string* error,
                   int timeout_ms) {
  struct State {
    bool done = false;
    std::string value;
    std::string error;
  } state;
  webkit_web_view_evaluate_javascript(
      view, script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
      [](GObject* object, GAsyncResult* result, gpointer data) {
        auto* state = static_cast<State*>(data);
        GError* err = nullptr;
        JSCValue* value =
            webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(object), result, &err);
        if (!value) {
          state->error = err ? err->message : "no value";
          g_clear_error(&err);
        } else {
          if (!jsc_value_is_undefined(value) && !jsc_value_is_null(value)) {
            char* text = jsc_value_to_string(value);
            state->value = text ? text : "";
            g_free(text);
          }
          g_object_unref(value);
        }
        state->done = true;
      },
      &state);
  if (!RunUntil([&] { return state.done; }, timeout_ms)) {
    // The callback still points at `state`: wait for it without a limit
    // would hang, so keep iterating a little and report the timeout.
    RunUntil([&] { return state.done; }, 5000);
    if (error) *error = "timeout";
    if (!state.done) abort();
    return std::string();
  }
  if (error) *error = state.error;
  return state.value;
}

bool WaitForPage(WebKitWebView* view, const std::string& part, int timeout_ms) {
  return RunUntil(
      [&] {
        const char* uri = webkit_web_view_get_uri(view);
        return uri && std::string(uri).find(part) != std::string::npos &&
               !webkit_web_view_is_loading(view) &&
               EvalJs(view, "document.readyState", nullptr, 2000) == "complete";
      },
      timeout_ms);
}

Child::~Child() { Stop(); }

bool Child::Start(const std::vector<std::string>& argv, bool capture_stdout,
                  const std::vector<std::string>& extra_env) {
  std::vector<std::string> env_strings;
  for (char** e = environ; *e; ++e) env_strings.emplace_back(*e);
  for (const std::string& entry : extra_env) {
    std::string name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(env_strings, [&](const std::string& s) { return s.rfind(name, 0) == 0; });
    env_strings.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  int fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (capture_stdout) {
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  }
  // Resolve argv[0] on the PATH given to the child.
  std::string program = argv[0];
  for (const std::string& s : env_strings) {
    if (s.rfind("PATH=", 0) != 0 || program.find('/') != std::string::npos) continue;
    std::stringstream dirs(s.substr(5));
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
      std::string candidate = dir + "/" + program;
      if (access(candidate.c_str(), X_OK) == 0) {
        program = candidate;
        break;
      }
    }
  }
  int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (capture_stdout) {
    close(fds[1]);
    out_fd_ = fds[0];
  }
  if (rc != 0) {
    pid_ = -1;
    return false;
  }
  return true;
}

bool Child::ReadLine(std::string* line, int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    size_t newline = pending_.find('\n');
    if (newline != std::string::npos) {
      *line = pending_.substr(0, newline);
      pending_.erase(0, newline + 1);
      return true;
    }
    if (out_fd_ < 0 || Remaining(deadline) == 0) return false;
    pollfd pfd{out_fd_, POLLIN, 0};
    if (poll(&pfd, 1, Remaining(deadline)) <= 0) return false;
    char buffer[512];
    ssize_t n = read(out_fd_, buffer, sizeof buffer);
    if (n <= 0) return false;
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

bool Child::Wait(int* exit_code, int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (pid_ > 0) {
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      pid_ = -1;
      if (exit_code) *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return true;
    }
    if (Remaining(deadline) == 0) return false;
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(5000);
  }
  return false;
}

void Child::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int exit_code;
    if (!Wait(&exit_code, 3000) && pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }
  if (out_fd_ >= 0) {
    close(out_fd_);
    out_fd_ = -1;
  }
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kelvanis-gui-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  path_ = made ? made : pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

bool CopyProgramFolder(const std::filesystem::path& dest) {
  const char* source = getenv("KELVANIS_PROGRAM_DIR");
  if (!source) source = KELVANIS_PROGRAM_DIR;
  std::error_code ec;
  std::filesystem::copy(
      source, dest,
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
      ec);
  return !ec;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream data;
  data << in.rdbuf();
  return data.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

bool StartRecordingServer(Child& server, const std::string& log, std::string* port) {
  return server.Start({"python3", std::string(KELVANIS_TEST_DIR) + "/recording_server.py", log},
                      true) &&
         server.ReadLine(port);
}

std::string LoggedField(const std::string& line, const std::string& key) {
  const std::string start = "\"" + key + "\": \"";
  const size_t at = line.find(start);
  if (at == std::string::npos) return "";
  const size_t begin = at + start.size();
  return line.substr(begin, line.find('"', begin) - begin);
}

std::string LoggedBody(const std::string& line) {
  const std::string hex = LoggedField(line, "body");
  std::string body;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    body += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return body;
}

}  // namespace kelvanis::gui_test
