#pragma once
// The one exception type of the portable core. Messages are UTF-8 and say
// what failed and why, so the window and the CLI can show them as they are.
#include <stdexcept>
#include <string>

namespace gamelist {

class GamelistError : public std::runtime_error {
 public:
  explicit GamelistError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace gamelist
