#include "tests/support/recording_host.h"

#include "app/launcher.h"

namespace kelvanis::testing {

bool RecordingHost::StartProgram(const std::vector<std::string>& argv) {
  started.push_back(argv);
  return spawn ? SpawnDetached(argv) : start_result;
}

}  // namespace kelvanis::testing
