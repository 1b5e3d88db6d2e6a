// What the tests need from the system: temporary folders, files, and
// loading a copy of the plug-in the way a host does.
#pragma once

#include <string>

#include "IConvert.h"

namespace nidustest {

using RegistFunction = tala::IConvert* (*)(tala::IConvertHost*);

// The directory separator the plug-in uses on this system.
extern const char kSeparator;
// What a line break the plug-in writes looks like in its output files.
extern const char* const kLineEnd;

std::string makeTempDir();
void removeTree(const std::string& path);
void makeDirs(const std::string& path);
bool fileExists(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

// The file name of the plug-in library.
std::string pluginFileName();
// Copies the built plug-in into dir and loads that copy; returns its
// registConvert, or null when it cannot be loaded.
RegistFunction loadPluginCopy(const std::string& dir);

}  // namespace nidustest
