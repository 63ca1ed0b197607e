#pragma once
// The list the gamelist benchmarks use: 100,000 ROM file names, one in ten
// Chinese. scripts/bench writes the same names for the ROM folder and for
// gamelist-cli's list.
#include <string>
#include <vector>

namespace bench {

std::vector<std::string> TypicalLines();

}  // namespace bench
