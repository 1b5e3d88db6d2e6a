// Support for the conversion host's tests.
#include "HostTestSupport.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "names/CompilerNames.h"
#include "names/NameResolution.h"
#include "plugin/Plugin.h"
#include "run/SourceTree.h"
#include "syntax/JavaSource.h"

namespace hosttest {

namespace fs = std::filesystem;

namespace {

bool isRule(const std::string& line, char c) {
    return line.size() >= 3 &&
           std::all_of(line.begin(), line.end(), [c](char x) { return x == c; });
}

std::string joinLines(const std::vector<std::string>& lines) {
    size_t end = lines.size();
    while (end > 0 && lines[end - 1].empty()) --end;  // blank lines between cases
    std::string text;
    for (size_t i = 0; i < end; ++i) text += lines[i] + "\n";
    return text;
}

// The name of the file a case is stored in: its public type, else Case.
std::string javaFileName(const std::string& input) {
    static const char* kinds[] = {"public class ", "public interface ", "public enum ",
                                  "public record "};
    for (const char* kind : kinds) {
        size_t found = input.find(kind);
        if (found == std::string::npos) continue;
        size_t start = found + std::string(kind).size();
        size_t end = start;
        while (end < input.size() &&
               (isalnum(static_cast<unsigned char>(input[end])) || input[end] == '_'))
            ++end;
        return input.substr(start, end - start) + ".java";
    }
    return "Case.java";
}

std::string testNameOf(const std::string& file, const std::string& name) {
    std::string result = file + "_";
    for (char c : name) result += isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return result;
}

std::string withCrLf(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

}  // namespace

std::vector<CorpusCase> loadCorpus(const std::string& dir) {
    std::vector<CorpusCase> cases;
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == ".txt") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    for (const std::string& path : files) {
        std::istringstream in(readFile(path));
        std::string stem = fs::path(path).stem().string();
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        size_t i = 0;
        while (i < lines.size()) {
            if (!isRule(lines[i], '=')) {
                ++i;
                continue;
            }
            CorpusCase corpusCase;
            corpusCase.file = stem;
            std::istringstream header(i + 1 < lines.size() ? lines[i + 1] : std::string());
            std::string word;
            while (header >> word) {
                if (word[0] == ':') {
                    corpusCase.flags.insert(word.substr(1));
                } else {
                    corpusCase.name += (corpusCase.name.empty() ? "" : " ") + word;
                }
            }
            i += 3;
            std::vector<std::string> input;
            while (i < lines.size() && !isRule(lines[i], '-')) input.push_back(lines[i++]);
            ++i;
            std::vector<std::string> expected;
            std::vector<std::string> exact;
            bool inExact = false;
            for (; i < lines.size() && !isRule(lines[i], '='); ++i) {
                if (isRule(lines[i], '~')) {
                    inExact = true;
                } else {
                    (inExact ? exact : expected).push_back(lines[i]);
                }
            }
            corpusCase.input = joinLines(input);
            if (corpusCase.flags.count("crlf") != 0) corpusCase.input = withCrLf(corpusCase.input);
            corpusCase.expected = joinLines(expected);
            if (inExact) corpusCase.exactExpected = joinLines(exact);
            corpusCase.unchanged = corpusCase.expected == "(unchanged)\n";
            corpusCase.testName = testNameOf(stem, corpusCase.name);
            corpusCase.relPath = corpusCase.testName + "/" + javaFileName(corpusCase.input);
            cases.push_back(corpusCase);
        }
    }
    return cases;
}

void PrintTo(const CorpusCase& corpusCase, std::ostream* out) {
    *out << corpusCase.testName;
}

void writeCorpus(const std::string& dir, const std::vector<CorpusCase>& cases) {
    std::map<std::string, std::string> texts;
    const std::string equals(80, '=');
    const std::string dashes(80, '-');
    const std::string tildes(80, '~');
    for (const CorpusCase& corpusCase : cases) {
        std::string& text = texts[corpusCase.file];
        std::string name = corpusCase.name;
        for (const std::string& flag : corpusCase.flags) name += " :" + flag;
        std::string input = corpusCase.input;
        input.erase(std::remove(input.begin(), input.end(), '\r'), input.end());
        text += equals + "\n" + name + "\n" + equals + "\n" + input + dashes + "\n" +
                (corpusCase.unchanged ? std::string("(unchanged)\n") : corpusCase.expected) +
                (corpusCase.exactExpected.empty() ? std::string()
                                                  : tildes + "\n" + corpusCase.exactExpected);
    }
    for (const auto& entry : texts) writeFile(dir + "/" + entry.first + ".txt", entry.second);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void writeFile(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

namespace {

// The temporary folders of this test process, removed when it ends.
struct TempDirs {
    std::vector<std::string> dirs;
    ~TempDirs() {
        std::error_code error;
        for (const std::string& dir : dirs) fs::remove_all(dir, error);
    }
};

TempDirs& tempDirs() {
    static TempDirs made;
    return made;
}

}  // namespace

std::string makeTempDir() {
    char pattern[] = "/tmp/nidus-host-test-XXXXXX";
    char* made = mkdtemp(pattern);
    if (made == nullptr) return std::string();
    tempDirs().dirs.push_back(made);
    return made;
}

std::string quote(const std::string& text) {
    std::string result = "'";
    for (char c : text) {
        if (c == '\'') {
            result += "'\\''";
        } else {
            result += c;
        }
    }
    return result + "'";
}

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    // A command that hangs is ended, with what it printed so far, rather
    // than holding up the whole suite.
    std::string bounded = "timeout -k 10 300 sh -c " + quote(command + " 2>&1") + " 2>&1 </dev/null";
    FILE* pipe = popen(bounded.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, count);
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool haveJavac() {
    return runCommand("javac -version").exitCode == 0;
}

bool haveExactMode() {
    return NIDUS_EXACT_MODE != 0 && haveJavac();
}

std::string compileClasses(const std::string& dir) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.path().extension() == ".java") files.push_back(entry.path().string());
    }
    std::string classes = makeTempDir();
    std::string command = "javac -encoding UTF-8 -nowarn -d " + quote(classes);
    for (const std::string& file : files) command += " " + quote(file);
    return runCommand(command).exitCode == 0 ? classes : std::string();
}

std::string compileJava(const std::vector<std::string>& files, const std::string& sourcePath) {
    std::string classes = makeTempDir();
    std::string command =
        "javac -encoding UTF-8 -nowarn -d " + quote(classes) + " -sourcepath " + quote(sourcePath);
    for (const std::string& file : files) command += " " + quote(file);
    CommandResult result = runCommand(command);
    fs::remove_all(classes);
    return result.exitCode == 0 ? std::string() : result.output;
}

namespace {

std::vector<std::string> linesWithoutImports(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 7, "import ") != 0)
            lines.push_back(line);
    }
    return lines;
}

std::string withoutBlanks(const std::string& line) {
    std::string text;
    for (char c : line) {
        if (!isspace(static_cast<unsigned char>(c))) text += c;
    }
    return text;
}

// The line comment that ends line: from the first "//" outside quotes.
std::string lineComment(const std::string& line) {
    char quote = 0;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        if (quote != 0) {
            if (line[i] == '\\')
                ++i;
            else if (line[i] == quote)
                quote = 0;
        } else if (line[i] == '"' || line[i] == '\'') {
            quote = line[i];
        } else if (line.compare(i, 2, "//") == 0) {
            return line.substr(i);
        }
    }
    return std::string();
}

bool endsInBlank(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return !line.empty() && (line.back() == ' ' || line.back() == '\t');
}

}  // namespace

std::vector<std::string> layoutFaults(const std::string& source, const std::string& output) {
    std::vector<std::string> before = linesWithoutImports(source);
    std::vector<std::string> after = linesWithoutImports(output);
    if (before.size() != after.size())
        return {std::to_string(after.size()) + " lines besides imports instead of " +
                std::to_string(before.size())};
    std::vector<std::string> faults;
    for (size_t i = 0; i < before.size(); ++i) {
        std::string at = "line " + std::to_string(i + 1) + " (imports aside): ";
        if (before[i] != after[i] && withoutBlanks(before[i]) == withoutBlanks(after[i]))
            faults.push_back(at + "differs only in white space: " + after[i]);
        std::string comment = lineComment(before[i]);
        if (!comment.empty() && lineComment(after[i]) != comment)
            faults.push_back(at + "the line comment moved or changed: " + after[i]);
        if (endsInBlank(after[i]) && !endsInBlank(before[i]))
            faults.push_back(at + "gains a trailing blank: " + after[i]);
    }
    return faults;
}

std::vector<std::string> listTree(const std::string& dir) {
    std::vector<std::string> files;
    if (!fs::is_directory(dir)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        // The output root's mark is nidus-convert's own, not output.
        if (entry.path() == fs::path(dir) / ".nidus-convert") continue;
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), dir).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace hosttest

namespace hosttest {

namespace {

// One line per name leaf: "LINE TEXT KIND QUALIFIED", with "?KIND" when the
// name is left unresolved.
std::string leafDump(const host::Leaf& leaf) {
    std::string line =
        std::to_string(leaf.line) + " " + leaf.text + " " + std::to_string(leaf.kind);
    if (!leaf.qualified.empty()) line += " " + leaf.qualified;
    if (leaf.unresolved != 0) line += " ?" + std::to_string(leaf.unresolved);
    return line + "\n";
}

// A leaf's kind and qualified name, and the kind it stands for when
// unresolved.
std::string leafAnswer(const host::Leaf& leaf) {
    std::string answer = std::to_string(leaf.kind);
    if (!leaf.qualified.empty()) answer += " " + leaf.qualified;
    if (leaf.unresolved != 0) answer += " ?" + std::to_string(leaf.unresolved);
    return answer;
}

// Operators, literals, keywords and comments are never names.
bool isNameLeaf(const host::Leaf& leaf) {
    switch (leaf.kind) {
    case host::kKindOperator:
    case host::kKindString:
    case host::kKindLiteral:
    case host::kKindKeyword:
    case host::kKindNote:
        return leaf.unresolved != 0;
    default:
        return true;
    }
}

// The cases as one tree, parsed and scanned for their types and members;
// null for a case that does not parse.
std::vector<std::unique_ptr<host::JavaSource>> parseCorpus(const std::vector<CorpusCase>& cases,
                                                           const host::RuleFacts& rules,
                                                           host::TreeTypes& types) {
    std::vector<std::unique_ptr<host::JavaSource>> sources;
    for (const CorpusCase& corpusCase : cases) {
        sources.push_back(std::make_unique<host::JavaSource>());
        if (!sources.back()->parse(corpusCase.input)) sources.back().reset();
    }
    for (auto& source : sources)
        if (source) host::collectDeclarations(*source, types, rules);
    host::resolveDeferredTypes(types, rules);
    return sources;
}

}  // namespace

std::map<std::string, std::string> nameDumps(const std::vector<CorpusCase>& cases,
                                             const std::string& rulesPath) {
    std::map<std::string, std::string> dumps;
    host::RuleFacts rules;
    std::string reason;
    if (!host::readRuleFacts(rulesPath, rules, reason)) return dumps;
    host::TreeTypes types;
    std::vector<std::unique_ptr<host::JavaSource>> sources = parseCorpus(cases, rules, types);
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string& text = dumps[cases[i].file];
        text += "== " + cases[i].name + "\n";
        if (!sources[i]) {
            text += "(not parsed)\n";
            continue;
        }
        host::resolveNames(*sources[i], types, rules);
        for (const host::Leaf& leaf : sources[i]->leaves())
            if (isNameLeaf(leaf)) text += leafDump(leaf);
    }
    return dumps;
}

std::string exactNameDifferences(const std::vector<CorpusCase>& cases, const std::string& rulesPath,
                                 const std::string& sourceDir, const std::string& classpath,
                                 int& unresolved, std::string& reason) {
    unresolved = 0;
    host::RuleFacts rules;
    host::CompilerNames names;
    if (!host::readRuleFacts(rulesPath, rules, reason) ||
        !host::startExactMode(classpath, sourceDir + "/",
                              host::listJavaFiles(sourceDir + "/", std::string()),
                              host::CompilerChoice(), false, nullptr, names, reason))
        return std::string();
    host::TreeTypes types;
    std::vector<std::unique_ptr<host::JavaSource>> sources = parseCorpus(cases, rules, types);
    std::string text;
    std::vector<host::NameRecord> records;
    for (size_t i = 0; i < cases.size(); ++i) {
        if (!sources[i] || !names.recordsOf(cases[i].relPath, records)) continue;
        host::resolveNames(*sources[i], types, rules);
        std::vector<host::Leaf> own = sources[i]->leaves();
        host::resolveNames(*sources[i], types, rules, &records);
        const std::vector<host::Leaf>& exact = sources[i]->leaves();
        std::string lines;
        for (size_t j = 0; j < exact.size() && j < own.size(); ++j) {
            if (cases[i].flags.count("nocompile") == 0 && exact[j].unresolved != 0) ++unresolved;
            if (leafAnswer(own[j]) == leafAnswer(exact[j])) continue;
            lines += std::to_string(exact[j].line) + " " + exact[j].text + ": " +
                     leafAnswer(own[j]) + " -> " + leafAnswer(exact[j]) + "\n";
        }
        if (!lines.empty()) text += "== " + cases[i].file + ": " + cases[i].name + "\n" + lines;
    }
    return text;
}

}  // namespace hosttest
