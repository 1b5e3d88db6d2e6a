// StagedFiles: what a converted file must be before it takes its place in
// the output: there, not empty, Java, in the source's layout where that
// can be given back; and the source, unchanged, in place of what fails.
#include "layout/LayoutRestore.h"
#include "run/Runner.h"
#include "syntax/FileText.h"

namespace host {

namespace {

// Whether text parses as Java; where not, why.
bool parsesAsJava(JavaSource& parsed, const std::string& text, std::string& why) {
    if (!parsed.parse(text)) {
        why = parsed.reason();
        return false;
    }
    return parsed.namesAsLexed(why);
}

}  // namespace

// A converted Java file must be there, not empty, and parse again (a rule's
// replacement text may not be Java); otherwise the unchanged source takes
// its place. Where the source's layout comes back, the parse of the
// restored text is the check; else the plug-in's text is parsed.
bool Runner::checkStaged(FileReport& report, const JavaSource& source,
                         const std::string& sourceText) {
    std::string text;
    std::string why;
    if (!readFileText(output.stagedPath(report.path), text)) {
        why = "the converted text cannot be read back";
    } else if (text.empty()) {
        why = "the converted text is empty";
    } else {
        std::string restored;
        bool staged =
            options.sourceLayout && restoreStaged(report, source, sourceText, text, restored);
        if (report.result == FileResult::kFailed) return false;
        JavaSource converted;
        std::string unparsed;
        if (!staged && !parsesAsJava(converted, text, unparsed)) {
            why = "the converted text does not parse (" + unparsed + ")";
            report.layoutNote.clear();
        } else {
            if (report.result == FileResult::kConverted && options.ruleSet != nullptr)
                noteStagedLeftovers(report, staged ? restored : text, staged ? nullptr : &converted);
            if (output.keepMode(options.sourceDir + report.path, report.path, why)) return true;
        }
    }
    output.drop(report.path);
    report.result = FileResult::kFailed;
    keepUnchanged(report, why);
    return false;
}

// The keywords left in the text that stays: the restored one (cut by the
// lexer only when its bytes hold a keyword, which a converted text seldom
// does), or the plug-in's (its parse at hand).
void Runner::noteStagedLeftovers(FileReport& report, const std::string& text,
                                 JavaSource* parsed) const {
    if (parsed != nullptr) {
        parsed->cutTextTokens();
        report.leftovers = findLeftovers(parsed->textTokens(), options.ruleSet->keywords);
        return;
    }
    report.leftovers = findLeftovers(text, options.ruleSet->keywords);
}

// The converted text in the source's layout, staged in place of the
// plug-in's; a file whose tokens did not change at all is the source
// itself, unchanged. Where the layout cannot be restored the plug-in's
// stays, with a note.
// true when the restored text (or the source) is staged.
bool Runner::restoreStaged(FileReport& report, const JavaSource& source,
                           const std::string& sourceText, const std::string& convertedText,
                           std::string& text) {
    std::string reason;
    switch (restoreFile(sourceText, source, convertedText, text, reason)) {
    case Restored::kFailed:
        report.layoutNote = "layout as the plug-in wrote it: " + reason;
        return false;
    case Restored::kUnchanged:
        report.result = FileResult::kCopied;
        report.tokensKept = true;
        break;
    case Restored::kChanged:
        break;
    }
    if (output.stageText(text, report.path, reason)) return true;
    output.drop(report.path);
    report.result = FileResult::kFailed;
    keepUnchanged(report, "the converted text cannot be written: " + reason);
    return false;
}

// The source, byte for byte, in the output instead of what failed; the
// report says why, and whether even that copy failed.
void Runner::keepUnchanged(FileReport& report, const std::string& why) {
    std::string reason;
    if (!output.stageCopy(options.sourceDir + report.path, report.path, reason) ||
        !output.commit(report.path, reason)) {
        output.drop(report.path);
        output.removePlaced(report.path);
        report.reason = why + "; not in the output: " + reason;
        return;
    }
    report.reason = why + "; copied unchanged";
}

bool Runner::place(FileReport& report) {
    std::string reason;
    if (output.commit(report.path, reason)) return true;
    output.drop(report.path);
    output.removePlaced(report.path);
    report.result = FileResult::kFailed;
    report.reason = "not in the output: " + reason;
    return false;
}

}  // namespace host
