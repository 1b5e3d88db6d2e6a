// FileText: a file's bytes, read whole, as every layer that reads a source
// file reads it.
#pragma once

#include <string>

namespace host {

// false when the file cannot be opened or read to its end; text then holds
// what was read.
bool readFileText(const std::string& path, std::string& text);

}  // namespace host
