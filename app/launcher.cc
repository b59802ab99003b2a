#include "app/launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kelvanis {

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Closes `fd` when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Close(); }
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

}  // namespace

std::optional<std::string> FindProgram(const std::string& name, const std::string& search_path) {
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  size_t start = 0;
  while (true) {
    size_t end = search_path.find(':', start);
    const std::string entry =
        search_path.substr(start, end == std::string::npos ? end : end - start);
    const std::string folder = entry.empty() ? std::string(".") : entry;
    const std::string candidate = folder + (folder.back() == '/' ? "" : "/") + name;
    if (IsExecutableFile(candidate)) return candidate;
    if (end == std::string::npos) return std::nullopt;
    start = end + 1;
  }
}

std::optional<std::string> FindProgramOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  return FindProgram(name, path ? path : "/usr/local/bin:/usr/bin:/bin");
}

bool SpawnDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  // Everything the children use is made before fork: after it, in a process
  // that may run several threads, only async-signal-safe calls are allowed.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  // The grandchild reports a failed exec through this pipe; a successful
  // exec closes its end, which the parent reads as end of file.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  FileDescriptor read_end(fds[0]);
  FileDescriptor write_end(fds[1]);

  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    // The intermediate child: starts the program and ends at once, so the
    // program is adopted by init (or the nearest subreaper), which reaps it.
    pid_t grandchild = fork();
    if (grandchild < 0) {
      int error = errno;
      (void)!write(fds[1], &error, sizeof error);
      _exit(1);
    }
    if (grandchild == 0) {
      setsid();
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      execv(args[0], args.data());
      int error = errno;
      (void)!write(fds[1], &error, sizeof error);
      _exit(127);
    }
    _exit(0);
  }

  write_end.Close();
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  do {
    got = read(read_end.get(), &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  return got == 0;
}

}  // namespace kelvanis
