// Finding and starting outside programs, for FormHost implementations.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kelvanis {

// The full path of the first executable regular file `name` in the folders
// of `search_path` (a PATH value: folders separated by ":", an empty entry
// meaning the current folder); none when no folder holds one.
std::optional<std::string> FindProgram(const std::string& name, const std::string& search_path);

// FindProgram on the PATH of the environment ("/usr/local/bin:/usr/bin:/bin"
// when PATH is unset).
std::optional<std::string> FindProgramOnPath(const std::string& name);

// Starts argv[0] (a path, not searched for) with the arguments argv[1..],
// without a shell and without waiting for it. The program runs in a process
// of its own session whose parent is not this process, so no zombie stays
// behind. True when the program was started, false when argv is empty or
// the program could not be executed.
bool SpawnDetached(const std::vector<std::string>& argv);

}  // namespace kelvanis
