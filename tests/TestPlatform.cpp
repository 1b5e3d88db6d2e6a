// The tests' system layer on POSIX.
#include "TestPlatform.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace nidustest {

const char kSeparator = '/';
const char* const kLineEnd = "\n";

std::string makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nidus-test-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) return std::string();
    return pattern;
}

void removeTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void makeDirs(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
}

bool fileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string pluginFileName() {
    return "libnidus.so";
}

RegistFunction loadPluginCopy(const std::string& dir) {
    std::string copy = dir + kSeparator + pluginFileName();
    std::error_code error;
    std::filesystem::copy_file(NIDUS_PLUGIN_PATH, copy,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) return nullptr;
    // Each test loads its own copy: the plug-in finds config.xml beside the
    // file it was loaded from. Copies stay loaded, as a host keeps them.
    void* library = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<RegistFunction>(dlsym(library, "registConvert"));
}

}  // namespace nidustest
