// A FormHost for tests: records what the window asks of its desktop.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/form_host.h"

namespace kelvanis::testing {

class RecordingHost : public FormHost {
 public:
  explicit RecordingHost(std::string exe_name = "") : exe_name_(std::move(exe_name)) {}

  std::string ExeName() override { return exe_name_; }
  void Close() override { ++close_count; }
  void ShowException(const std::string& message) override { exceptions.push_back(message); }
  // Records the request and, when `spawn` is set, really starts the program
  // with SpawnDetached.
  bool StartProgram(const std::vector<std::string>& argv) override;

  void set_exe_name(std::string exe_name) { exe_name_ = std::move(exe_name); }

  int close_count = 0;
  std::vector<std::string> exceptions;
  std::vector<std::vector<std::string>> started;
  bool spawn = false;
  bool start_result = true;  // what StartProgram answers when `spawn` is off

 private:
  std::string exe_name_;
};

}  // namespace kelvanis::testing
