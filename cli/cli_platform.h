#pragma once
// What gamelist-cli needs that differs between Windows and Linux.
#include <cstdio>
#include <string>

namespace gamelist_cli {

// True when `output` names the entry `name` of `folder` (same folder, same
// name; letter case ignored on Windows).
bool IsSameFile(const std::string& output, const std::string& folder, const std::string& name);

// "FOLDER/gamelist.xml" with the platform's separator.
std::string DefaultOutput(const std::string& folder);

// Writes UTF-8 text to stdout or stderr (as wide text on a Windows console).
void WriteText(std::FILE* stream, const std::string& text);

}  // namespace gamelist_cli
