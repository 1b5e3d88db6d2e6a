// CompilerSetup: finds java and the helper's jar for exact mode, and reads
// --classpath's value.
#include "names/CompilerSetup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "names/ProgramFiles.h"

namespace host {

namespace {

namespace fs = std::filesystem;

constexpr char kJarName[] = "nidus-names.jar";

bool isExecutable(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// JAVA_HOME's java, else the first java on PATH; empty when none.
std::string findJava() {
    const char* home = getenv("JAVA_HOME");
    if (home != nullptr && *home != '\0' && isExecutable(std::string(home) + "/bin/java"))
        return std::string(home) + "/bin/java";
    const char* path = getenv("PATH");
    std::istringstream dirs(path == nullptr ? "" : path);
    for (std::string dir; std::getline(dirs, dir, ':');) {
        std::string java = (dir.empty() ? std::string(".") : dir) + "/java";
        if (isExecutable(java)) return java;
    }
    return std::string();
}

std::string findJar() {
    std::string jar = programFile(kJarName, NIDUS_NAMES_JAR_DEFAULT);
    std::error_code error;
    return !jar.empty() && fs::is_regular_file(jar, error) ? jar : std::string();
}

}  // namespace

bool readClasspath(const std::string& value, std::string& classpath, std::string& reason) {
    if (value.empty() || value[0] != '@') {
        classpath = value;
        return true;
    }
    std::string path = value.substr(1);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = "cannot read the classpath file " + path + ": " + strerror(errno);
        return false;
    }
    classpath.clear();
    for (std::string line; std::getline(in, line);) {
        size_t first = line.find_first_not_of(" \t\r");
        size_t last = line.find_last_not_of(" \t\r");
        if (first == std::string::npos) continue;
        classpath += (classpath.empty() ? "" : ":") + line.substr(first, last - first + 1);
    }
    return true;
}

bool findCompiler(CompilerSetup& setup, std::string& reason) {
    setup.java = findJava();
    if (setup.java.empty()) {
        reason = std::string(kNeedsJdk) + "no java program in JAVA_HOME or on PATH";
        return false;
    }
    setup.jar = findJar();
    if (setup.jar.empty()) {
        reason = std::string(kNeedsJdk) + "nidus-convert was built without one, so its helper " +
                 kJarName + " is missing";
        return false;
    }
    return true;
}

}  // namespace host
