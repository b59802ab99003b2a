// Finding programs on a search path and starting them detached.
#include "app/launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/program_folder.h"

namespace kelvanis {
namespace {

using testing::FileExists;
using testing::ProgramFolder;
using testing::ReadFile;
using testing::WriteFile;

void WriteProgram(const std::string& path, const std::string& text, mode_t mode = 0755) {
  WriteFile(path, text);
  ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}

// A script that writes its argument count and arguments, one a line, to
// `record` (renamed into place whole).
std::string RecordingScript(const std::string& record) {
  return "#!/bin/sh\nPATH=/usr/bin:/bin\n"
         "{ printf '%s\\n' \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" +
         record + ".part'\nmv '" + record + ".part' '" + record + "'\n";
}

// Waits, at most ten seconds, for `path` to appear.
bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 1000; ++i) {
    if (FileExists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(FindProgramTest, TakesTheFirstExecutableFileOnThePath) {
  ProgramFolder folder;
  const std::string a = folder.root() + "a", b = folder.root() + "b/", c = folder.root() + "c";
  std::filesystem::create_directories(a + "/tool");  // a folder, not a program
  std::filesystem::create_directories(b);
  std::filesystem::create_directories(c);
  WriteProgram(b + "tool", "#!/bin/sh\n", 0644);  // not executable
  WriteProgram(c + "/tool", "#!/bin/sh\n");
  WriteProgram(b + "other", "#!/bin/sh\n");
  WriteProgram(c + "/other", "#!/bin/sh\n");

  EXPECT_EQ(FindProgram("tool", a + ":" + b + ":" + c), c + "/tool");
  EXPECT_EQ(FindProgram("other", a + "::" + b + ":" + c), b + "other");
  EXPECT_EQ(FindProgram("missing", a + ":" + b + ":" + c), std::nullopt);
  EXPECT_EQ(FindProgram("tool", a + ":" + b), std::nullopt);
  EXPECT_EQ(FindProgram("c/tool", folder.root()), std::nullopt);  // names only
  EXPECT_EQ(FindProgram("", c), std::nullopt);
}

TEST(SpawnDetachedTest, StartsWithExactArgumentsAndLeavesNoChild) {
  ProgramFolder folder;
  const std::string program = folder.root() + "my tool";
  const std::string record = folder.root() + "record";
  WriteProgram(program, RecordingScript(record));

  EXPECT_TRUE(SpawnDetached({program, "a b", "\"q\" 'r' $HOME;x", ""}));
  ASSERT_TRUE(WaitForFile(record));
  EXPECT_EQ(ReadFile(record), "3\na b\n\"q\" 'r' $HOME;x\n\n");
  // The helper process was reaped, and the program is not our child.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(SpawnDetachedTest, ReportsAProgramThatCannotBeStarted) {
  ProgramFolder folder;
  WriteProgram(folder.root() + "plain", "#!/bin/sh\n", 0644);
  WriteProgram(folder.root() + "bad interpreter", "#!/nonexistent/shell\n");
  EXPECT_FALSE(SpawnDetached({}));
  EXPECT_FALSE(SpawnDetached({folder.root() + "missing"}));
  EXPECT_FALSE(SpawnDetached({folder.root() + "plain"}));
  EXPECT_FALSE(SpawnDetached({folder.root() + "bad interpreter", "x"}));
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace kelvanis
