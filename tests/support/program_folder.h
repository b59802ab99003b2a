// A real program folder in a fresh temporary folder: the folder named
// `name`, holding page/ and kelvanis.db with an empty table mcnt. Removed
// with everything in it when the object goes.
#pragma once

#include <string>
#include <vector>

namespace kelvanis::testing {

class ProgramFolder {
 public:
  explicit ProgramFolder(const std::string& name = "program");
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;
  ~ProgramFolder();

  // The folder, ending in "/".
  const std::string& dir() const { return dir_; }
  // The temporary folder that holds it, ending in "/".
  const std::string& root() const { return root_; }
  // A program path inside the folder, as /proc/self/exe would give it.
  std::string exe() const { return dir_ + "kelvanis"; }
  std::string home_page() const { return dir_ + "page/home.html"; }

  // Runs `sql` on kelvanis.db directly; fails the test on an error.
  void Exec(const std::string& sql) const;
  // The rows of `sql`, their columns joined with "|" (NULL as "").
  std::vector<std::string> Query(const std::string& sql) const;

  // Replaces the page folder with a plain file, so no page can be written
  // there (also for root, whom file modes do not stop). RestorePageFolder
  // undoes it.
  void BlockPageFolder() const;
  void RestorePageFolder() const;

 private:
  std::string root_;
  std::string dir_;
};

// The whole content of a file; "" when it cannot be read.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

}  // namespace kelvanis::testing
