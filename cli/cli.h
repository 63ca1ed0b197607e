#pragma once
#include <string>
#include <vector>

namespace gamelist_cli {

// Runs gamelist-cli on its arguments (UTF-8, program name excluded) and
// returns the exit code: 0 done, 1 failed, 2 bad arguments.
int Run(const std::vector<std::string>& args);

}  // namespace gamelist_cli
