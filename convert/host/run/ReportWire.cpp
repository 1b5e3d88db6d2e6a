// ReportWire: a file's report packed for the way from a worker process to
// the parent. A rule travels as its place in the rule set, which both
// processes read from the same file.
#include <cstddef>

#include "run/FileReport.h"
#include "run/Wire.h"

namespace host {

namespace {

long long ruleIndex(const RuleEntry* rule, const RuleSet& rules) {
    if (rule == nullptr || rules.entries.empty()) return -1;
    return static_cast<long long>(rule - rules.entries.data());
}

const RuleEntry* ruleAt(long long index, const RuleSet& rules) {
    if (index < 0 || index >= static_cast<long long>(rules.entries.size())) return nullptr;
    return &rules.entries[static_cast<size_t>(index)];
}

void putUses(Writer& out, const std::vector<NameUse>& uses, const RuleSet& rules) {
    out.number(static_cast<long long>(uses.size()));
    for (const NameUse& use : uses) {
        out.number(static_cast<long long>(use.kind)).text(use.name).text(use.key);
        out.number(use.arity).number(use.line).number(static_cast<long long>(use.leaf));
        out.number(ruleIndex(use.rule, rules)).number(use.keptWithoutRule).number(use.compilerOnly);
    }
}

std::vector<NameUse> getUses(Reader& in, const RuleSet& rules) {
    std::vector<NameUse> uses;
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        NameUse use;
        use.kind = static_cast<UseKind>(in.number());
        use.name = in.text();
        use.key = in.text();
        use.arity = static_cast<int>(in.number());
        use.line = static_cast<int>(in.number());
        use.leaf = static_cast<size_t>(in.number());
        use.rule = ruleAt(in.number(), rules);
        use.keptWithoutRule = in.number() != 0;
        use.compilerOnly = in.number() != 0;
        uses.push_back(use);
    }
    return uses;
}

}  // namespace

std::string encodeReport(const FileReport& report, const RuleSet& rules) {
    Writer out;
    out.text(report.path).number(static_cast<long long>(report.result)).text(report.reason);
    out.text(report.linkTarget);
    out.number(static_cast<long long>(report.log.size()));
    for (const LogLine& line : report.log) out.text(line.message).text(line.file).number(line.line);
    out.texts(report.messages).texts(report.questions).texts(report.leftAsWritten);
    out.text(report.layoutNote);
    out.number(report.line).text(report.statement);
    putUses(out, report.uses, rules);
    out.number(report.tokensKept).number(report.excluded);
    out.number(static_cast<long long>(report.leftovers.size()));
    for (const Leftover& leftover : report.leftovers) out.number(leftover.line).text(leftover.text);
    return out.done();
}

bool decodeReport(const std::string& packed, const RuleSet& rules, FileReport& report) {
    Reader in(packed);
    report.path = in.text();
    report.result = static_cast<FileResult>(in.number());
    report.reason = in.text();
    report.linkTarget = in.text();
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        LogLine line;
        line.message = in.text();
        line.file = in.text();
        line.line = static_cast<int>(in.number());
        report.log.push_back(line);
    }
    report.messages = in.texts();
    report.questions = in.texts();
    report.leftAsWritten = in.texts();
    report.layoutNote = in.text();
    report.line = static_cast<int>(in.number());
    report.statement = in.text();
    report.uses = getUses(in, rules);
    report.tokensKept = in.number() != 0;
    report.excluded = in.number() != 0;
    for (long long i = in.number(); in.ok() && i > 0; --i) {
        Leftover leftover;
        leftover.line = static_cast<int>(in.number());
        leftover.text = in.text();
        report.leftovers.push_back(leftover);
    }
    return in.atEnd();
}

}  // namespace host
