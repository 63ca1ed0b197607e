#include <stdlib.h>

#include <memory>

#include "cli/cli.h"
#include "cli/cli_platform.h"

namespace gamelist_cli {

namespace {

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
  return resolved ? std::string(resolved.get()) : std::string();
}

}  // namespace

bool IsSameFile(const std::string& output, const std::string& folder, const std::string& name) {
  const std::size_t slash = output.rfind('/');
  const std::string output_folder = slash == std::string::npos ? "." : output.substr(0, slash + 1);
  const std::string output_name = slash == std::string::npos ? output : output.substr(slash + 1);
  if (output_name != name) return false;
  const std::string a = RealPath(output_folder);
  return !a.empty() && a == RealPath(folder);
}

std::string DefaultOutput(const std::string& folder) {
  return folder.ends_with('/') ? folder + "gamelist.xml" : folder + "/gamelist.xml";
}

void WriteText(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace gamelist_cli

int main(int argc, char** argv) {
  return gamelist_cli::Run(std::vector<std::string>(argv + 1, argv + argc));
}
