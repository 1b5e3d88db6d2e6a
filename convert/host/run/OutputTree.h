// OutputTree: the only way nidus-convert writes. Every output file is first
// written into a staging folder inside the output root, checked, and then
// renamed into its place; nothing is written through a symbolic link, and no
// path leaves the output root. A run that dies leaves only the staging
// folder, which the next run removes first.
#pragma once

#include <sys/types.h>

#include <functional>
#include <set>
#include <string>

#include "run/Faults.h"

namespace host {

// The staging folder's name, directly below the output root.
extern const char kStagingName[];

class OutputTree {
public:
    // root: the canonical output root, ending in "/".
    explicit OutputTree(std::string root);

    // Removes a staging folder left by a run that died, and makes a new
    // one. false with reason.
    bool prepare(std::string& reason);
    // Removes the staging folder and all it still holds.
    void discard();

    // Faults that tests inject into the calls below.
    void injectFaults(const FaultPlan& plan) { faults = plan; }

    const std::string& root() const { return outputRoot; }
    // The staging folder, ending in "/": the plug-in's output root.
    const std::string& staging() const { return stagingRoot; }
    std::string stagedPath(const std::string& rel) const { return stagingRoot + rel; }

    // Copies the source file into the staging folder with its permission
    // bits, checking every read, write and close. false with reason.
    bool stageCopy(const std::string& sourcePath, const std::string& rel,
                   std::string& reason) const;
    // Writes text as the staged file for rel, checking every write and the
    // close. false with reason.
    bool stageText(const std::string& text, const std::string& rel, std::string& reason) const;
    // Stages a symbolic link with the given target text.
    bool stageLink(const std::string& target, const std::string& rel, std::string& reason) const;
    // Gives the staged file the permission bits of the source file.
    bool keepMode(const std::string& sourcePath, const std::string& rel, std::string& reason) const;
    // Moves the staged file into its place below the output root, making
    // the folders on the way; fails where one of them is a symbolic link
    // or no folder. false with reason.
    bool commit(const std::string& rel, std::string& reason) const;
    // Makes the staging folders on the way to rel. Worker processes that
    // stage files side by side find them made: the plug-in makes a folder
    // only where it finds none, and fails when another process has made it
    // in between. false with reason.
    bool stageFolders(const std::string& rel, std::string& reason) const {
        return makeFolders(stagingRoot, rel, true, reason);
    }
    // An empty folder rel (no "/" at its end) with the permission bits of
    // sourcePath: made in the staging folder and renamed into its place;
    // a folder already there stays. false with reason.
    bool placeFolder(const std::string& sourcePath, const std::string& rel,
                     std::string& reason) const;
    // Removes what is staged for rel, if anything.
    void drop(const std::string& rel) const;
    // Removes rel's output from an earlier run, if any: a file whose output
    // fails is not in the output.
    void removePlaced(const std::string& rel) const;

private:
    std::string outputRoot;
    std::string stagingRoot;
    pid_t owner;  // the run's own process
    FaultPlan faults;
    // Folders below the roots known to be folders (not links) this run.
    mutable std::set<std::string> madeFolders;

    bool stage(const std::string& rel, std::string& reason,
               const std::function<bool(int)>& fill) const;
    bool makeFolders(const std::string& base, const std::string& rel, bool refuseLinks,
                     std::string& reason) const;
};

}  // namespace host
