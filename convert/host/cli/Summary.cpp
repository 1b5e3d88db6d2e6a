// Summary: the printed end of a run.
#include "cli/Summary.h"

#include <cstdio>
#include <functional>

#include "plugin/Plugin.h"

namespace host {

namespace {

// Under header, a line for each file with places to check: its path, and
// the places (placesOf) one after another.
using PlacesOf = std::function<std::vector<std::string>(const FileReport&)>;

void printPlacesToCheck(FILE* out, const RunReport& report, const char* header,
                        const PlacesOf& placesOf) {
    bool any = false;
    for (const FileReport& file : report.files) {
        std::vector<std::string> places = placesOf(file);
        if (places.empty()) continue;
        if (!any) fprintf(out, "%s\n", header);
        any = true;
        fprintf(out, "  %s:", file.path.c_str());
        for (const std::string& place : places) fprintf(out, " %s;", place.c_str());
        fprintf(out, "\n");
    }
}

// Converted files that hold a name a rule changes elsewhere, left as
// written here: the type of its receiver is not known, or it is a method
// of a vendor subclass that may override the vendor's.
void printLeftAsWritten(FILE* out, const RunReport& report) {
    printPlacesToCheck(out, report,
                       "to check (converted; a name that a rule changes is left as written: its "
                       "receiver's type is not known, or the method may override a vendor's):",
                       [](const FileReport& file) { return file.leftAsWritten; });
}

// Converted files where a qualified name took its bare name's rule, whose
// replacement leaves the qualifier out.
void printDroppedQualifiers(FILE* out, const RunReport& report) {
    printPlacesToCheck(out, report,
                       "to check (converted; a qualified name took the rule of its bare name, "
                       "whose replacement leaves the qualifier out):",
                       [](const FileReport& file) {
                           std::vector<std::string> places;
                           if (file.result != FileResult::kConverted) return places;
                           for (const NameUse* use : droppedQualifiers(file.uses))
                               places.push_back("line " + std::to_string(use->line) + ": " +
                                                use->key + " becomes " + use->rule->to);
                           return places;
                       });
}

// Links in the source tree, made again as links in the output.
void printLinks(FILE* out, const RunReport& report) {
    if (report.links == 0) return;
    fprintf(out, "links (made again as links with the same target, not followed):\n");
    for (const FileReport& file : report.files) {
        if (file.result == FileResult::kLink)
            fprintf(out, "  %s -> %s\n", file.path.c_str(), file.linkTarget.c_str());
    }
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

// Converted files whose source layout could not be restored.
void printLayoutNotes(FILE* out, const RunReport& report) {
    bool any = false;
    for (const FileReport& file : report.files) {
        if (file.layoutNote.empty()) continue;
        if (!any) fprintf(out, "converted in the plug-in's own layout:\n");
        any = true;
        fprintf(out, "  %s: %s\n", file.path.c_str(), file.layoutNote.c_str());
    }
}

// Vendor keywords that the output's Java files still hold in their code,
// their strings or their javadoc references: names the plug-in left as
// written although the rules concern them, or never reached.
void printLeftovers(FILE* out, const RunReport& report, const std::string& sourceShown) {
    bool any = false;
    for (const FileReport& file : report.files) {
        for (const Leftover& leftover : file.leftovers) {
            if (!any)
                fprintf(out,
                        "to check (a vendor keyword is left in the code, a string or a "
                        "javadoc reference):\n");
            any = true;
            fprintf(out, "%s%s:%d: %s\n", sourceShown.c_str(), file.path.c_str(), leftover.line,
                    leftover.text.c_str());
        }
    }
}

// One failed file in the style of a compiler's message (PATH:LINE: REASON),
// the statement under it, then the plug-in's messages; its log lines with
// verbose.
void printFailure(FILE* out, const FileReport& file, const SummaryOptions& options) {
    std::string path = options.sourceShown + file.path;
    if (file.line > 0) path += ":" + std::to_string(file.line);
    fprintf(out, "%s: %s\n", path.c_str(), oneLine(file.reason).c_str());
    size_t start = 0;
    while (!file.statement.empty() && start <= file.statement.size()) {
        size_t end = file.statement.find('\n', start);
        if (end == std::string::npos) end = file.statement.size();
        fprintf(out, "    | %s\n", file.statement.substr(start, end - start).c_str());
        start = end + 1;
    }
    for (const std::string& message : file.messages)
        fprintf(out, "      message: %s\n", oneLine(message).c_str());
    if (!options.verbose) return;
    for (const LogLine& line : file.log)
        fprintf(out, "      log: %s:%d: %s\n", line.file.c_str(), line.line, line.message.c_str());
}

}  // namespace

void printSummary(const RunReport& report, const SummaryOptions& options) {
    FILE* out = options.out;
    size_t total = report.files.size();
    // Excluded files are copied unchanged, and counted with those copies.
    std::string excluded =
        report.excluded > 0 ? " (" + std::to_string(report.excluded) + " excluded)" : "";
    fprintf(out,
            "nidus-convert: %zu files: %d converted, %d copied unchanged%s, %d failed; "
            "%d questions asked; %.2f s\n",
            total, report.converted, report.copied + report.links, excluded.c_str(),
            report.failed, messageDesk().questions, report.seconds);
    fprintf(out, "output: %s\n", options.outputShown.c_str());
    printLinks(out, report);
    if (!report.leftOut.empty()) {
        fprintf(out, "left out (version-control folders, never copied):");
        for (const std::string& folder : report.leftOut) fprintf(out, " %s", folder.c_str());
        fprintf(out, "\n");
    }
    printLayoutNotes(out, report);
    printLeftAsWritten(out, report);
    printDroppedQualifiers(out, report);
    printLeftovers(out, report, options.sourceShown);
    if (!options.unfired.empty()) fprintf(out, "rules that never fired:\n");
    for (const std::string& rule : options.unfired) fprintf(out, "  %s\n", rule.c_str());
    if (!options.compilerNote.empty()) fprintf(out, "%s\n", options.compilerNote.c_str());
    if (options.missingRules > 0)
        fprintf(out,
                "%d vendor names have no rule (all of them: --report FILE, or --init-rules "
                "FILE for a rule file that lists them)\n",
                options.missingRules);
    if (options.compilerOnlyRules > 0)
        fprintf(out,
                "%d of them only the compiler found (exact mode): a run without --classpath "
                "does not see them, so rules that were enough then are not now; most keep their "
                "name, and --init-rules FILE writes such rules\n",
                options.compilerOnlyRules);
    if (report.failed == 0) return;
    fprintf(out,
            "failed files (kept unchanged in the output where they could be read and written):\n");
    for (const FileReport& file : report.files) {
        if (file.result == FileResult::kFailed || file.result == FileResult::kNotParsed)
            printFailure(out, file, options);
    }
}

}  // namespace host
