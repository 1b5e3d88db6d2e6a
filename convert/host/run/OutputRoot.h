// OutputRoot: which folders a run may write, and who owns the output root.
// The roots are compared both as resolved paths and by device and inode, so
// that no spelling (a link, a bind mount) passes the source for another
// folder. The output root is marked as nidus-convert's by a file in it,
// which also holds the lock of the run that writes there and that run's
// process number; a root with that mark mirrors its source after each run.
#pragma once

#include <functional>
#include <set>
#include <string>

namespace host {

// The mark of an output root, directly below it.
extern const char kRootMarkName[];

// Checks the output root against the source root (both absolute, ending
// in "/"). Empty when the pair is safe, else the one-line reason to refuse
// the run: the output root is the source or lies inside it, or holds it.
// isDefault: the root is SOURCE/Convert/, which may lie inside the source
// (it is never read as input) as long as it is a folder of its own and no
// link.
std::string checkOutputRoot(const std::string& sourceRoot, const std::string& outputRoot,
                            bool isDefault);

// Checks a file that the run writes besides the output tree (a report, a
// diff, the completed rules) before the run starts: its folder must exist,
// and it may not lie in the source tree or the output root, nor be the rule
// file. Empty when it is safe, else the reason. what names the option.
std::string checkResultPath(const std::string& what, const std::string& path,
                            const std::string& sourceRoot, const std::string& outputRoot,
                            const std::string& rulesPath);

// Writes text into path through a temporary file beside it, renamed into
// place: a failure leaves the old file, never a part of the new one.
// write fills the temporary file it is given; false with reason.
bool replaceFile(const std::string& path,
                 const std::function<bool(const std::string& temporary, std::string& reason)>& write,
                 std::string& reason);

// The output root's owner for one run: its lock, held until the run's own
// process ends (its workers do not hold it).
class RootOwner {
public:
    RootOwner() = default;
    ~RootOwner();
    RootOwner(const RootOwner&) = delete;
    RootOwner& operator=(const RootOwner&) = delete;

    // Takes the root (absolute, ending in "/"; made when missing): refused
    // when another run holds it, or when it holds files without the mark
    // of an earlier run. false with reason.
    bool claim(const std::string& root, std::string& reason);

    // Removes what lies below the root and is not in kept (paths relative
    // to it), nor the mark or the staging folder: the output of an earlier
    // run that this one did not write again. Folders left empty go too,
    // unless the source has them. Links are removed, never followed.
    void removeStale(const std::set<std::string>& kept, const std::string& sourceRoot) const;

private:
    std::string root;
    int lock = -1;
    bool earlier = false;  // the root held an earlier run's output (its mark)
};

}  // namespace host
