// ProgramFiles: where the files that come with nidus-convert lie (the
// plug-in, exact mode's helper jar), found from the program's own path so
// that an installed tree works wherever it is put.
#pragma once

#include <string>

namespace host {

// The folder of the program's support files in an installed tree, relative
// to the folder of the program (bin/).
constexpr char kInstalledFilesDir[] = "../lib/nidus";

// The file `name` that comes with the program: beside the program, else in
// the installed tree's lib/nidus/; else, for a program that runs from the
// build folder it was built in, `built` (where the build put it). When none
// of them exists, the installed place, so that a message names where the
// file was looked for; empty when the program's own path is unknown.
std::string programFile(const std::string& name, const std::string& built);

}  // namespace host
