// Report: missing rules, hits and the JSON report.
#include "cli/Report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "cli/InitRules.h"
#include "plugin/Plugin.h"

namespace host {

namespace {

// The length of the valid UTF-8 sequence at at, or 0 when the byte there
// starts none (overlong forms and surrogates are not valid).
size_t utf8Length(const std::string& text, size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return 1;
    size_t length = lead >= 0xc2 && lead <= 0xdf   ? 2
                    : lead >= 0xe0 && lead <= 0xef ? 3
                    : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                   : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xc0) != 0x80) return 0;
    }
    unsigned char second = static_cast<unsigned char>(text[at + 1]);
    if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0) ||
        (lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second >= 0x90))
        return 0;
    return length;
}

// JSON text of a string. Valid UTF-8 passes as it is; a byte that is not
// part of valid UTF-8 (a file name in Latin-1) is written as the escape of
// the lone surrogate U+DC80 + byte, which no valid UTF-8 holds, so the
// report stays valid UTF-8 and the bytes can be had back.
std::string quoted(const std::string& text) {
    std::string json = "\"";
    size_t at = 0;
    while (at < text.size()) {
        char c = text[at];
        unsigned char byte = static_cast<unsigned char>(c);
        size_t length = utf8Length(text, at);
        char escape[8];
        if (length > 1) {
            json.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (length == 0) {
            snprintf(escape, sizeof escape, "\\u%04x", 0xdc00 + byte);
            json += escape;
        } else if (byte < 0x20) {
            snprintf(escape, sizeof escape, "\\u%04x", byte);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

template <typename Items, typename Write>
std::string array(const Items& items, Write write) {
    std::string json = "[";
    bool first = true;
    for (const auto& item : items) {
        json += (first ? "\n    " : ",\n    ") + write(item);
        first = false;
    }
    return json + (first ? "]" : "\n  ]");
}

const char* statusOf(const FileReport& file) {
    switch (file.result) {
    case FileResult::kConverted:
        return "converted";
    case FileResult::kCopied:
        if (file.excluded) return "excluded";
        return file.tokensKept ? "unchanged" : "copied";
    case FileResult::kLink:
        return "copied";
    case FileResult::kNotParsed:
        return "not-parsed";
    case FileResult::kFailed:
    case FileResult::kRefused:
        return "failed";
    }
    return "failed";
}

// A copied file's errors are left out: it names nothing that the rules act
// on, and without the prefilter, when the compiler attributes every file,
// the report stays the same.
bool toldCompilerErrors(const FileReport& file) {
    return file.result != FileResult::kCopied && file.result != FileResult::kLink;
}

// Exact mode: the compiler's errors in an attributed file, so that a user
// with an incomplete classpath learns which names (and jars) it missed.
std::string compilerErrorsJson(const FileReport& file, const CompilerNames* compiler) {
    if (compiler == nullptr || !toldCompilerErrors(file)) return std::string();
    const CompilerErrors* errors = compiler->errorsOf(file.path);
    if (errors == nullptr) return std::string();
    std::string json = ", \"compiler_errors\": " + std::to_string(errors->count);
    if (errors->count > 0)
        json += ", \"first_compiler_error\": {\"line\": " + std::to_string(errors->line) +
                ", \"message\": " + quoted(errors->message) + "}";
    return json;
}

std::string fileJson(const FileReport& file, const CompilerNames* compiler) {
    std::string json =
        "{\"path\": " + quoted(file.path) + ", \"status\": \"" + statusOf(file) + "\"";
    if (file.result == FileResult::kFailed || file.result == FileResult::kNotParsed) {
        json += ", \"reason\": " + quoted(file.reason) +
                ", \"line\": " + std::to_string(file.line) +
                ", \"statement\": " + quoted(file.statement);
        json += ", \"messages\": " + array(file.messages, quoted);
        json +=
            ", \"log\": " + array(file.log, [](const LogLine& line) {
                return quoted(line.file + ":" + std::to_string(line.line) + ": " + line.message);
            });
    }
    return json + compilerErrorsJson(file, compiler) + "}";
}

std::string missingJson(const MissingRule& missing) {
    std::string json = "{\"kind\": \"" + std::string(useKindName(missing.kind)) +
                       "\", \"name\": " + quoted(missing.name);
    if (missing.kind == UseKind::kMethod) {
        std::string arities;
        for (int arity : missing.arities)
            arities += (arities.empty() ? "" : ", ") + std::to_string(arity);
        json += ", \"arities\": [" + arities + "]";
    }
    json += ", \"files\": " + array(missing.places, [](const std::pair<std::string, int>& place) {
                return "{\"path\": " + quoted(place.first) +
                       ", \"line\": " + std::to_string(place.second) + "}";
            });
    return json + "}";
}

// "line 12: text" of the names to check.
std::string toCheckJson(const std::string& path, const std::string& place) {
    size_t colon = place.find(':');
    int line = atoi(place.c_str() + 5);
    std::string name = colon == std::string::npos ? place : place.substr(colon + 2);
    return "{\"path\": " + quoted(path) + ", \"line\": " + std::to_string(line) +
           ", \"name\": " + quoted(name) + "}";
}

std::string summaryJson(const RunReport& report) {
    char seconds[32];
    snprintf(seconds, sizeof seconds, "%.2f", report.seconds);
    return "{\"files\": " + std::to_string(report.files.size()) +
           ", \"converted\": " + std::to_string(report.converted) +
           ", \"copied\": " + std::to_string(report.copied + report.links) +
           ", \"excluded\": " + std::to_string(report.excluded) +
           ", \"failed\": " + std::to_string(report.failed) +
           ", \"questions\": " + std::to_string(messageDesk().questions) +
           ", \"seconds\": " + seconds + "}";
}

}  // namespace

std::vector<MissingRule> collectMissing(const RunReport& report) {
    std::map<std::pair<int, std::string>, MissingRule> byName;
    for (const FileReport& file : report.files) {
        for (const NameUse& use : file.uses) {
            if (use.rule != nullptr || use.kind == UseKind::kWord) continue;
            MissingRule& missing = byName[{static_cast<int>(use.kind), use.name}];
            missing.kind = use.kind;
            missing.name = use.name;
            missing.keys.insert(use.key);
            if (use.arity >= 0) missing.arities.insert(use.arity);
            missing.places.emplace_back(file.path, use.line);
            missing.files.insert(file.path);
            missing.compilerOnly = missing.compilerOnly && use.compilerOnly;
        }
    }
    std::vector<MissingRule> list;
    for (auto& entry : byName) list.push_back(std::move(entry.second));
    return list;
}

std::vector<int> countHits(const RunReport& report, const RuleSet& rules) {
    std::vector<int> hits(rules.entries.size(), 0);
    for (const FileReport& file : report.files) {
        for (const NameUse& use : file.uses) {
            if (use.rule != nullptr) ++hits[static_cast<size_t>(use.rule - rules.entries.data())];
        }
    }
    return hits;
}

std::vector<std::string> filesWithCompilerErrorsTold(const RunReport& report) {
    std::vector<std::string> files;
    for (const FileReport& file : report.files) {
        if (toldCompilerErrors(file)) files.push_back(file.path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool writeReport(const std::string& path, const RunReport& report, const RuleSet& rules,
                 std::string& reason, const CompilerNames* compiler) {
    std::vector<int> hits = countHits(report, rules);
    std::vector<size_t> indices;
    for (size_t i = 0; i < rules.entries.size(); ++i) indices.push_back(i);
    std::vector<std::string> toCheck;
    std::vector<std::string> leftovers;
    std::vector<std::string> dropped;
    for (const FileReport& file : report.files) {
        for (const std::string& place : file.leftAsWritten)
            toCheck.push_back(toCheckJson(file.path, place));
        if (file.result == FileResult::kConverted) {
            for (const NameUse* use : droppedQualifiers(file.uses))
                dropped.push_back("{\"path\": " + quoted(file.path) +
                                  ", \"line\": " + std::to_string(use->line) +
                                  ", \"name\": " + quoted(use->key) +
                                  ", \"to\": " + quoted(use->rule->to) + "}");
        }
        for (const Leftover& leftover : file.leftovers)
            leftovers.push_back("{\"path\": " + quoted(file.path) +
                                ", \"line\": " + std::to_string(leftover.line) +
                                ", \"text\": " + quoted(leftover.text) + "}");
    }
    std::string json =
        "{\n  \"summary\": " + summaryJson(report) + ",\n  \"files\": " +
        array(report.files, [&](const FileReport& file) { return fileJson(file, compiler); }) +
        ",\n  \"missing_rules\": " + array(collectMissing(report), missingJson) +
        ",\n  \"rules\": " +
        array(indices,
              [&](size_t i) {
                  const RuleEntry& rule = rules.entries[i];
                  return "{\"section\": " + quoted(rule.section) +
                         ", \"src\": " + quoted(rule.src) + ", \"to\": " + quoted(rule.to) +
                         ", \"hits\": " + std::to_string(hits[i]) + "}";
              }) +
        ",\n  \"to_check\": " + array(toCheck, [](const std::string& s) { return s; }) +
        ",\n  \"dropped_qualifiers\": " + array(dropped, [](const std::string& s) { return s; }) +
        ",\n  \"leftovers\": " + array(leftovers, [](const std::string& s) { return s; }) +
        ",\n  \"left_out\": " + array(report.leftOut, quoted) +
        ",\n  \"questions\": " +
        array(messageDesk().asked,
              [](const std::pair<std::string, bool>& question) {
                  return "{\"text\": " + quoted(question.first) + ", \"answer\": \"" +
                         (question.second ? "yes" : "no") + "\"}";
              }) +
        "\n}\n";
    if (writeTextFile(path, json, reason)) return true;
    reason = "the report: " + reason;
    return false;
}

}  // namespace host
