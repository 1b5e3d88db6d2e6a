// The tests' system layer: temporary folders, files, loading a copy of the
// plug-in, and the MessageBoxA the test program exports to it. The only
// test file that differs between Windows and POSIX.
#include "TestPlatform.h"

#if defined(_WIN32)
// winuser.h would declare user32's MessageBoxA, which this program defines.
#define NOUSER
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#include <stdlib.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScriptedHost.h"

namespace nidustest {

#if defined(_WIN32)

const char kSeparator = '\\';
// Text-mode output: the C runtime writes every line feed as CR LF.
const char* const kLineEnd = "\r\n";

std::string makeTempDir() {
    char base[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length > sizeof base) return std::string();
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = std::string(base) + "nidus-test-" +
                           std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return std::string();
}

std::string pluginFileName() {
    return "nidus.dll";
}

#else  // POSIX

const char kSeparator = '/';
const char* const kLineEnd = "\n";

std::string makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nidus-test-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) return std::string();
    return pattern;
}

std::string pluginFileName() {
    return "libnidus.so";
}

#endif

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

// Each test loads its own copy: the plug-in finds config.xml beside the file
// it was loaded from. Copies stay loaded, as a host keeps them.
RegistFunction loadPluginCopy(const std::string& dir) {
    std::string copy = dir + kSeparator + pluginFileName();
    std::error_code error;
    std::filesystem::copy_file(NIDUS_PLUGIN_PATH, copy,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error) return nullptr;
#if defined(_WIN32)
    HMODULE library = LoadLibraryA(copy.c_str());
    if (library == nullptr) return nullptr;
    // The detour through void(*)() is the sanctioned way to change a
    // function pointer's type.
    return reinterpret_cast<RegistFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "registConvert")));
#else
    void* library = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<RegistFunction>(dlsym(library, "registConvert"));
#endif
}

}  // namespace nidustest

// The plug-in shows its messages through this function when the test
// program exports it. On Windows it has user32's signature and calling
// convention, exported under the undecorated name (the link uses
// --kill-at); on POSIX it is a plain C function of the executable.
#if defined(_WIN32)
extern "C" __declspec(dllexport) int __stdcall MessageBoxA(void*, const char* text,
                                                           const char* caption, unsigned flags) {
    return nidustest::answerMessageBox(text, caption, flags);
}
#else
extern "C" __attribute__((visibility("default"))) int MessageBoxA(void*, const char* text,
                                                                  const char* caption,
                                                                  unsigned flags) {
    return nidustest::answerMessageBox(text, caption, flags);
}
#endif
