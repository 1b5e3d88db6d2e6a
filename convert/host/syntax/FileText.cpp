// FileText: reading a file whole.
#include "syntax/FileText.h"

#include <fstream>
#include <sstream>

namespace host {

bool readFileText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    if (in) buffer << in.rdbuf();
    text = buffer.str();
    return in && !in.bad();
}

}  // namespace host
