// What the window's logic needs of the desktop it runs on. The GTK window
// implements it for the program; tests implement it with a recorder.
#pragma once

#include <string>
#include <vector>

namespace kelvanis {

class FormHost {
 public:
  virtual ~FormHost() = default;

  // The full path of the running program (/proc/self/exe for the program).
  virtual std::string ExeName() = 0;

  // Closes the main window; the program then ends with exit code 0.
  virtual void Close() = 0;

  // The exception report: shows `message` (UTF-8) to the user, modally,
  // titled "Kelvanis". The event loop goes on afterwards.
  virtual void ShowException(const std::string& message) = 0;

  // Starts argv[0] (a path) with the arguments argv[1..] without a shell
  // and without waiting; the child is reaped when it ends. False when the
  // program could not be started.
  virtual bool StartProgram(const std::vector<std::string>& argv) = 0;
};

}  // namespace kelvanis
