// The platform layer: the few operating-system services the converter layers
// use (the library's own path, message boxes, file copy, directory tests and
// creation, text-mode output files), with one meaning on Windows and POSIX.
// This header and its source are the only files that know the difference.
#pragma once

#include <cstdio>
#include <string>

#if defined(_WIN32)
#define NIDUS_EXPORT extern "C" __declspec(dllexport)
#else
#define NIDUS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace tala {
namespace platform {

// The directory separator of the system and the output subdirectory that is
// used when the output root is the source root.
#if defined(_WIN32)
constexpr char kSeparator = '\\';
constexpr const char* kConvertDir = "Convert\\";
#else
constexpr char kSeparator = '/';
constexpr const char* kConvertDir = "Convert/";
#endif

// Size of a path buffer, terminator included.
constexpr size_t kMaxPath = 260;

// Full path of this library's own file; empty when it cannot be found.
std::string getModulePath();

// Shows a message box without owner window. Returns the answer: 1 for OK,
// 6 for Yes, 7 for No.
int messageBox(const std::string& text, const std::string& caption, unsigned flags);

// Copies a file with its permission bits, overwriting the target. Returns 0,
// or -1 when the copy is missing or incomplete. A file copied onto itself is
// left alone and counts as copied.
int copyFile(const std::string& from, const std::string& to);

// 0 when the path exists, -1 when it does not.
int pathAccess(const std::string& path);

// Creates one directory. Returns 0 or -1.
int makeDirectory(const std::string& path);

// Opens a file for text output, created or truncated; null on failure.
FILE* openTextFile(const std::string& path);

// Closes a file opened by openTextFile. Returns -1 when any earlier write to
// it failed or when the close fails (it flushes what is buffered), else 0.
int closeTextFile(FILE* file);

}  // namespace platform
}  // namespace tala
