// The platform layer on Windows (the Win32 calls and the C runtime the
// converter was written against) and on POSIX (their counterparts, with the
// host's own MessageBoxA looked up in the loading process).
#include "Platform.h"

#if defined(_WIN32)
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tala {
namespace platform {

#if defined(_WIN32)

namespace {

// The module handle recorded when the library is attached to a process.
HMODULE moduleHandle = nullptr;

using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

// The identity of an existing file: its volume and its index on it.
bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

bool sameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return fileIdentity(first, a) && fileIdentity(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

std::string getModulePath() {
    std::string path(32768, '\0');
    DWORD length = GetModuleFileNameA(moduleHandle, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return std::string();
    path.resize(length);
    return path;
}

// A host program that shows or scripts messages itself exports a function
// MessageBoxA with the Win32 signature and calling convention, under that
// undecorated name; the library then calls it instead of user32's, as the
// POSIX side calls the one the loading process exports. Only the program's
// own export table is searched, never other loaded DLLs, so user32's own
// MessageBoxA is never mistaken for a host's; a host without the export
// (the usual case) gets the real box.
int messageBox(const std::string& text, const std::string& caption, unsigned flags) {
    MessageBoxFunction function = &MessageBoxA;
    HMODULE program = GetModuleHandleA(nullptr);
    FARPROC symbol = program != nullptr ? GetProcAddress(program, "MessageBoxA") : nullptr;
    // The detour through void(*)() is the sanctioned way to change a function
    // pointer's type; the export has the type of user32's MessageBoxA.
    if (symbol != nullptr)
        function = reinterpret_cast<MessageBoxFunction>(reinterpret_cast<void (*)()>(symbol));
    return function(nullptr, text.c_str(), caption.c_str(), flags);
}

// A file copied onto itself is already in place; CopyFileA would fail.
int copyFile(const std::string& from, const std::string& to) {
    if (sameFile(from, to)) return 0;
    return CopyFileA(from.c_str(), to.c_str(), FALSE) ? 0 : -1;
}

int pathAccess(const std::string& path) {
    return _access(path.c_str(), 0) == 0 ? 0 : -1;
}

int makeDirectory(const std::string& path) {
    return _mkdir(path.c_str()) == 0 ? 0 : -1;
}

FILE* openTextFile(const std::string& path) {
    FILE* file = nullptr;
    if (fopen_s(&file, path.c_str(), "wt+") != 0) return nullptr;
    return file;
}

int closeTextFile(FILE* file) {
    bool failed = ferror(file) != 0;
    if (fclose(file) != 0) failed = true;
    return failed ? -1 : 0;
}

}  // namespace platform
}  // namespace tala

// The loader calls the entry point by its C name; C linkage keeps it so
// whatever the headers declare.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) tala::platform::moduleHandle = instance;
    return TRUE;
}

#else  // POSIX

namespace {

// The library's own path as it was loaded, recorded when the library is
// loaded (the counterpart of the module handle kept at process attach). A
// relative path is made absolute then, so that a later change of the working
// directory cannot move it; links are not resolved, so config.xml is read
// beside the path the host loaded.
std::string& modulePath() {
    static std::string path;
    return path;
}

__attribute__((constructor)) void recordModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&recordModulePath), &info) == 0 || info.dli_fname == nullptr)
        return;
    std::string path = info.dli_fname;
    if (!path.empty() && path[0] != '/') {
        char* directory = getcwd(nullptr, 0);
        if (directory == nullptr) return;
        path = std::string(directory) + "/" + path;
        free(directory);
    }
    modulePath() = path;
}

using MessageBoxFunction = int (*)(void*, const char*, const char*, unsigned);

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kYesNoButtons = 0x04;

bool sameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Copies in to out; -1 when a read or a write fails.
int copyContent(FILE* in, FILE* out) {
    char buffer[65536];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, in)) > 0) {
        if (fwrite(buffer, 1, count, out) != count) return -1;
    }
    return ferror(in) ? -1 : 0;
}

// Gives out the permission bits of in, as a Windows copy keeps a file's
// attributes. Only a regular file takes them: a device or pipe named as the
// target is written to, never changed.
int copyMode(FILE* in, FILE* out) {
    struct stat source {};
    struct stat target {};
    if (fstat(fileno(in), &source) != 0 || fstat(fileno(out), &target) != 0) return -1;
    if (!S_ISREG(target.st_mode)) return 0;
    return fchmod(fileno(out), source.st_mode & 0777) == 0 ? 0 : -1;
}

}  // namespace

std::string getModulePath() {
    return modulePath();
}

// A host that shows or scripts messages exports MessageBoxA; without one the
// message goes to standard error and the default button answers.
int messageBox(const std::string& text, const std::string& caption, unsigned flags) {
    void* symbol = dlsym(RTLD_DEFAULT, "MessageBoxA");
    if (symbol != nullptr) {
        auto function = reinterpret_cast<MessageBoxFunction>(symbol);
        return function(nullptr, text.c_str(), caption.c_str(), flags);
    }
    fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return (flags & kButtonMask) == kYesNoButtons ? 6 : 1;
}

// A file copied onto itself is already in place and left alone: opening
// the target would otherwise empty the source.
int copyFile(const std::string& from, const std::string& to) {
    if (sameFile(from, to)) return 0;
    FILE* in = fopen(from.c_str(), "rb");
    if (in == nullptr) return -1;
    FILE* out = fopen(to.c_str(), "wb");
    if (out == nullptr) {
        fclose(in);
        return -1;
    }
    int result = copyContent(in, out) == 0 && copyMode(in, out) == 0 ? 0 : -1;
    fclose(in);
    if (fclose(out) != 0) result = -1;
    return result;
}

int pathAccess(const std::string& path) {
    return access(path.c_str(), F_OK) == 0 ? 0 : -1;
}

int makeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0777) == 0 ? 0 : -1;
}

FILE* openTextFile(const std::string& path) {
    return fopen(path.c_str(), "w+");
}

int closeTextFile(FILE* file) {
    bool failed = ferror(file) != 0;
    if (fclose(file) != 0) failed = true;
    return failed ? -1 : 0;
}

}  // namespace platform
}  // namespace tala

#endif
