// ProgramFiles: the program's support files, beside it, in its installed
// tree, or in its build folder.
#include "names/ProgramFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace host {

namespace {

namespace fs = std::filesystem;

// Whether path lies inside folder (both resolved); an unknown folder holds
// nothing.
bool liesIn(const fs::path& path, const std::string& folder) {
    std::error_code error;
    if (folder.empty()) return false;
    fs::path root = fs::canonical(folder, error);
    if (error) return false;
    auto mismatch = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return mismatch.first == root.end();
}

}  // namespace

std::string programFile(const std::string& name, const std::string& built) {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return std::string();
    fs::path beside = self.parent_path() / name;
    if (fs::is_regular_file(beside, error)) return beside.string();
    fs::path installed = (self.parent_path() / kInstalledFilesDir / name).lexically_normal();
    if (fs::is_regular_file(installed, error)) return installed.string();
    // The build folder's files are only for the program built there: an
    // installed copy never reads a build tree, which may be gone or stale.
    if (!built.empty() && liesIn(self, NIDUS_BUILD_DIR) && fs::is_regular_file(built, error))
        return built;
    return installed.string();
}

}  // namespace host
