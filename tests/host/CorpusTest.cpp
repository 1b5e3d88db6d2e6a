// Java in, Java out: every case of tests/host/corpus/*.txt is one file of a
// source tree that nidus-convert converts once with the corpus rules; each
// case compares its output file, and the converted tree (and the input
// tree) must compile with javac against stubs of the two vendors' APIs.
// With a JDK, the tree is converted in exact mode too, with the old
// vendor's stubs as the classpath.
// NIDUS_UPDATE_CORPUS=1 writes the outputs back as the expected texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "HostTestSupport.h"
#include "names/Classifier.h"
#include "names/DeclarationReader.h"
#include "names/JdkNames.h"
#include "names/NameResolution.h"
#include "plugin/Plugin.h"
#include "plugin/RuleCoverage.h"
#include "plugin/StatementLayout.h"
#include "run/Prefilter.h"
#include "run/TreeScan.h"
#include "syntax/JavaSource.h"
#include "syntax/LightScan.h"
#include "syntax/MembersText.h"

namespace hosttest {
namespace {

namespace fs = std::filesystem;

struct CorpusRun {
    std::vector<CorpusCase> cases;
    std::string sourceDir;
    std::string outputDir;
    CommandResult result;
    std::string report;  // exact mode's --report
    std::string reportText;  // the --report of the run in the present mode
};

// The old vendor's stubs, compiled: exact mode's classpath.
const std::string& oldVendorClasses() {
    static const std::string classes = compileClasses(NIDUS_STUBS_DIR "/olddb");
    return classes;
}

CorpusRun& corpusRun() {
    static CorpusRun run = [] {
        CorpusRun made;
        made.cases = loadCorpus(NIDUS_CORPUS_DIR);
        std::string root = makeTempDir();
        made.sourceDir = root + "/src";
        made.outputDir = root + "/out";
        for (const CorpusCase& corpusCase : made.cases)
            writeFile(made.sourceDir + "/" + corpusCase.relPath, corpusCase.input);
        made.result = runCommand(std::string(NIDUS_CONVERT) + " --answer yes --rules " +
                                 quote(std::string(NIDUS_CORPUS_DIR) + "/config.xml") +
                                 " --report " + quote(root + "/report.json") + " -o " +
                                 quote(made.outputDir) + " " + quote(made.sourceDir));
        made.reportText = readFile(root + "/report.json");
        if (getenv("NIDUS_UPDATE_CORPUS") != nullptr) {
            for (CorpusCase& corpusCase : made.cases) {
                if (!corpusCase.unchanged)
                    corpusCase.expected = readFile(made.outputDir + "/" + corpusCase.relPath);
            }
            writeCorpus(NIDUS_CORPUS_DIR, made.cases);
        }
        return made;
    }();
    return run;
}

// The same tree converted in exact mode, with its report. Needs a JDK.
// The update mode writes the outputs that differ from the expected texts
// back as exact mode's.
CorpusRun& exactRun() {
    static CorpusRun run = [] {
        CorpusRun made = corpusRun();
        std::string root = makeTempDir();
        made.outputDir = root + "/out";
        made.report = root + "/report.json";
        made.result =
            runCommand(std::string(NIDUS_CONVERT) + " --answer yes --rules " +
                       quote(std::string(NIDUS_CORPUS_DIR) + "/config.xml") + " --classpath " +
                       quote(oldVendorClasses()) + " --report " + quote(made.report) + " -o " +
                       quote(made.outputDir) + " " + quote(made.sourceDir));
        if (getenv("NIDUS_UPDATE_CORPUS") != nullptr) {
            for (CorpusCase& corpusCase : made.cases) {
                std::string output = readFile(made.outputDir + "/" + corpusCase.relPath);
                bool same = corpusCase.unchanged ? output == corpusCase.input
                                                 : output == corpusCase.expected;
                corpusCase.exactExpected = same                         ? std::string()
                                           : output == corpusCase.input ? "(unchanged)\n"
                                                                        : output;
            }
            writeCorpus(NIDUS_CORPUS_DIR, made.cases);
        }
        return made;
    }();
    return run;
}

std::vector<CorpusCase> corpusCases() {
    return loadCorpus(NIDUS_CORPUS_DIR);
}

// A case's output and listing in a run, in exact mode or not.
void checkCase(const CorpusCase& corpusCase, const CorpusRun& run, bool exact) {
    std::string output = readFile(run.outputDir + "/" + corpusCase.relPath);
    const std::string& expected =
        exact && !corpusCase.exactExpected.empty() ? corpusCase.exactExpected : corpusCase.expected;
    if (expected == "(unchanged)\n") {
        EXPECT_EQ(corpusCase.input, output) << "the file should be copied byte for byte";
    } else {
        EXPECT_EQ(expected, output);
        EXPECT_EQ(std::vector<std::string>(), layoutFaults(corpusCase.input, output));
        host::JavaSource parsed;
        EXPECT_TRUE(parsed.parse(output)) << "converted output does not parse: " << parsed.reason();
    }
    // A file that did not parse or whose conversion failed is listed as
    // failed; one with names left as written that a rule changes, to check.
    const std::string& summary = run.result.output;
    size_t failedList = std::min(summary.find("\nfailed files"), summary.size());
    // A failed file's line: PATH:LINE: REASON, as a compiler writes it.
    std::string listed = "\n" + run.sourceDir + "/" + corpusCase.relPath + ":";
    size_t failed = summary.find(listed, failedList);
    std::string reason;
    if (failed != std::string::npos) {
        size_t start = summary.find(": ", failed + listed.size()) + 2;
        reason = summary.substr(start, summary.find('\n', start) - start);
    }
    if (corpusCase.flags.count("error") != 0) {
        ASSERT_NE(std::string::npos, failed) << summary;
        EXPECT_EQ(0u, reason.find("not parsed")) << reason;
    } else if (corpusCase.flags.count(exact ? "exactfails" : "fails") != 0) {
        ASSERT_NE(std::string::npos, failed) << summary;
        // In plain words: the name without a rule, the call that does not
        // fit its rule.
        EXPECT_TRUE(reason.find("no rule for ") == 0 || reason.find("the rule for ") == 0)
            << reason;
    } else {
        EXPECT_EQ(std::string::npos, failed) << summary;
    }
    std::string toCheck = "  " + corpusCase.relPath + ": line ";
    bool checked = summary.substr(0, failedList).find(toCheck) != std::string::npos;
    EXPECT_EQ(corpusCase.flags.count(exact ? "exactcheck" : "check") != 0, checked) << summary;
}

class CorpusTest : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(CorpusTest, ConvertsToTheExpectedText) {
    checkCase(GetParam(), corpusRun(), false);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusTest, ::testing::ValuesIn(corpusCases()),
                         [](const ::testing::TestParamInfo<CorpusCase>& info) {
                             return info.param.testName;
                         });

std::vector<std::string> compiledCases(const std::string& root) {
    std::vector<std::string> files;
    for (const CorpusCase& corpusCase : corpusRun().cases) {
        if (corpusCase.flags.count("nocompile") == 0)
            files.push_back(root + "/" + corpusCase.relPath);
    }
    return files;
}

TEST(CorpusRunTest, EveryCaseIsCopiedByteForByteWhenNoRuleTouchesIt) {
    CorpusRun& run = corpusRun();
    std::string root = makeTempDir();
    writeFile(root + "/rules.xml",
              "<KeyWords><Key kind=\"package\" code=\"nosuchvendor\"/></KeyWords>\n"
              "<Classes><class src=\"NoSuchClass\" to=\"Other\"/></Classes>\n");
    CommandResult result =
        runCommand(std::string(NIDUS_CONVERT) + " --rules " + quote(root + "/rules.xml") + " -o " +
                   quote(root + "/out") + " " + quote(run.sourceDir));
    EXPECT_NE(std::string::npos, result.output.find(" 0 converted, ")) << result.output;
    for (const CorpusCase& corpusCase : run.cases)
        EXPECT_EQ(corpusCase.input, readFile(root + "/out/" + corpusCase.relPath))
            << corpusCase.testName;
}

// The summary and the report without what differs from run to run: the
// time, the output root.
std::string withoutTimes(const std::string& text, const std::string& outputDir) {
    std::string kept;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(outputDir) != std::string::npos) continue;
        size_t at = line.find("\"seconds\": ");
        if (at != std::string::npos) line.erase(at);
        at = line.find(" questions asked; ");
        if (at != std::string::npos) line.erase(at);
        kept += line + "\n";
    }
    return kept;
}

// Neither the prefilter nor the worker processes change anything: the
// corpus converted in one process without the prefilter, and by three
// workers, gives the tree, the report and the summary of the first run. In
// exact mode the compiler then attributes every file, where the first run
// had it attribute only those that can name the vendor.
TEST(CorpusRunTest, ComesOutTheSameInOneProcessWithoutThePrefilterAndWithThreeWorkers) {
    struct Mode {
        std::string options;
        bool exact;
    };
    std::vector<Mode> modes = {{"-j 1 --no-prefilter", false}, {"-j 3", false}};
    if (haveExactMode())
        modes.push_back({"-j 1 --no-prefilter --classpath " + quote(oldVendorClasses()), true});
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.options);
        CorpusRun& run = mode.exact ? exactRun() : corpusRun();
        std::string root = makeTempDir();
        CommandResult result = runCommand(
            std::string(NIDUS_CONVERT) + " " + mode.options + " --answer yes --rules " +
            quote(std::string(NIDUS_CORPUS_DIR) + "/config.xml") + " --report " +
            quote(root + "/report.json") + " -o " + quote(root + "/out") + " " +
            quote(run.sourceDir));
        std::vector<std::string> files = listTree(root + "/out");
        EXPECT_EQ(listTree(run.outputDir), files);
        for (const std::string& file : files)
            EXPECT_EQ(readFile(run.outputDir + "/" + file), readFile(root + "/out/" + file)) << file;
        EXPECT_EQ(withoutTimes(run.result.output, run.outputDir),
                  withoutTimes(result.output, root + "/out"));
        std::string report = mode.exact ? readFile(run.report) : run.reportText;
        EXPECT_EQ(withoutTimes(report, run.outputDir),
                  withoutTimes(readFile(root + "/report.json"), root + "/out"));
    }
}

// What the prefilter skips is what the plug-in would copy: every corpus
// file that it skips, built against the whole corpus, has no name under
// the rules (and some are skipped: the cases named "... never parsed"
// among them).
TEST(CorpusRunTest, FilesThePrefilterSkipsHoldNoNameUnderTheRules) {
    CorpusRun& run = corpusRun();
    std::string rulesPath = std::string(NIDUS_CORPUS_DIR) + "/config.xml";
    host::RuleFacts facts;
    std::string reason;
    ASSERT_TRUE(host::readRuleFacts(rulesPath, facts, reason)) << reason;
    host::RuleSet rules = host::readRuleSet(readFile(rulesPath));
    host::PrefilterKeys keys = host::prefilterKeys(rules, facts);
    ASSERT_EQ("", keys.off);
    // The scan as a run does it, and the types as a parse of every file
    // gives them.
    host::TreeScan scan;
    host::TreeScan everyFile;
    scan.start(run.cases.size(), false);
    everyFile.start(run.cases.size(), true);
    std::vector<std::string> paths;
    for (size_t i = 0; i < run.cases.size(); ++i) {
        paths.push_back(run.sourceDir + "/" + run.cases[i].relPath);
        host::FileBytes bytes = host::readJavaBytes(paths.back(), keys);
        scan.addBytes(i, bytes);
        everyFile.addBytes(i, bytes);
    }
    scan.leaveUnread(paths);
    everyFile.leaveUnread(paths);
    std::vector<size_t> round;
    for (size_t i = 0; i < run.cases.size(); ++i)
        if (scan.kept(i)) round.push_back(i);
    while (!round.empty()) {
        for (size_t file : round) {
            host::FileScan parsed = host::scanJavaFile(paths[file], facts);
            scan.addParse(file, parsed, facts);
        }
        round = scan.keepFilesNamingLeads(facts.packageKeywords);
    }
    for (size_t i = 0; i < run.cases.size(); ++i) {
        host::FileScan parsed = host::scanJavaFile(paths[i], facts);
        everyFile.addParse(i, parsed, facts);
    }
    const host::TreeTypes& types = everyFile.types();
    size_t skipped = 0;
    for (size_t i = 0; i < run.cases.size(); ++i) {
        const std::string& name = run.cases[i].testName;
        const std::string skip = "never_parsed";
        if (name.size() > skip.size() &&
            name.compare(name.size() - skip.size(), skip.size(), skip) == 0) {
            EXPECT_FALSE(scan.kept(i)) << name;
        }
        if (scan.kept(i)) continue;
        ++skipped;
        host::JavaSource source;
        ASSERT_TRUE(source.parse(run.cases[i].input)) << run.cases[i].testName;
        host::resolveNames(source, types, facts);
        EXPECT_TRUE(host::findRuleUses(source, host::layOutSteps(source), rules).empty()) << run.cases[i].testName;
        for (const host::Leaf& leaf : source.leaves()) {
            for (const std::string& keyword : facts.packageKeywords)
                EXPECT_FALSE(host::containsPackage(leaf.qualified, keyword))
                    << run.cases[i].testName << ": " << leaf.text;
        }
    }
    EXPECT_GT(skipped, 0u);
}

// Exact mode's test of a file's records for a keyword, which reads them
// one by one only where their text holds a keyword's first part: a
// keyword across a record's owner and name, one in either, and none.
TEST(CorpusRunTest, RecordsHoldAKeywordAcrossTheirOwnerAndName) {
    struct {
        const char* records;
        const char* keyword;
        bool holds;
    } cases[] = {
        {"P\t7\t12\tnet\tolddb\n", "net.olddb", true},
        {"C\t7\t14\tnet.olddb\tSession\n", "olddb", true},
        {"M\t3\t7\tcom.acme.Store\tolddb\t\n", "olddb", true},
        {"M\t3\t7\tjava.net.URL\topenStream\t\n", "net.olddb", false},
        {"L\t3\t8\t-\tnetwork\n", "net", false},
        {"F\t3\t8\tcom.acme.olddbx.Store\tsession\n", "olddb", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.holds, host::recordsTextHoldsKeyword(c.records, {c.keyword}))
            << c.records << c.keyword;
}

// What the run knows of a file it does not parse is what the parse would
// give: every corpus file's bytes declare the types its parse declares,
// and hold every name of its code.
TEST(CorpusRunTest, TheBytesOfEveryFileDeclareWhatItsParseDeclares) {
    host::RuleFacts facts{{"olddb"}, {}, {}};
    size_t parsedCases = 0;
    size_t readByReader = 0;
    for (const CorpusCase& corpusCase : corpusRun().cases) {
        host::JavaSource source;
        if (!source.parse(corpusCase.input)) continue;
        ++parsedCases;
        SCOPED_TRACE(corpusCase.testName);
        host::TreeTypes declared;
        host::collectDeclarations(source, declared, facts);
        host::LightScan scan = host::lightScan(corpusCase.input);
        std::set<std::string> types;
        for (const std::string& type : scan.types)
            types.insert(scan.package.empty() ? type : scan.package + "." + type);
        EXPECT_EQ(declared.qualifiedNames, types);
        // Without its bodies the file declares the same members, but for
        // the types declared inside a body (local ones), which no other
        // file can name.
        host::JavaSource blanked;
        ASSERT_TRUE(blanked.parse(host::withoutBodies(corpusCase.input, scan))) << blanked.reason();
        host::FileScan members;
        host::FileScan blankedMembers;
        host::collectDeclarations(blanked, blankedMembers.declared, facts);
        for (auto& type : declared.members) {
            if (blankedMembers.declared.members.count(type.first) != 0)
                members.declared.members.insert(type);
        }
        blankedMembers.declared.qualifiedNames.clear();
        blankedMembers.declared.byPackage.clear();
        EXPECT_EQ(host::encodeScan(members), host::encodeScan(blankedMembers));
        // The declaration reader gives the members that the parse of the
        // members text gives, wherever it takes the text.
        host::MembersText lean = host::membersText(corpusCase.input, scan);
        host::JavaSource leanParse;
        ASSERT_TRUE(leanParse.parse(lean.text)) << leanParse.reason();
        host::FileScan parsed;
        host::collectDeclarations(lean.text, leanParse.root(), parsed.declared, facts, &lean);
        parsed.declared.qualifiedNames.clear();
        parsed.declared.byPackage.clear();
        host::FileScan read;
        if (host::readDeclarations(lean, facts, read.declared.members)) {
            ++readByReader;
            EXPECT_EQ(host::encodeScan(parsed), host::encodeScan(read));
        }
        for (const std::string& name : source.codeNames())
            EXPECT_TRUE(std::binary_search(scan.identifiers.begin(), scan.identifiers.end(), name))
                << name;
        // A name only called is no field or variable anywhere in the file.
        host::JavaSource resolved;
        ASSERT_TRUE(resolved.parse(corpusCase.input));
        host::resolveNames(resolved, host::TreeTypes(), facts);
        auto calledOnly = [&scan](const std::string& name) {
            auto at = std::lower_bound(scan.identifiers.begin(), scan.identifiers.end(), name);
            return at != scan.identifiers.end() && *at == name &&
                   (scan.places[at - scan.identifiers.begin()] & host::kCalledOnly) != 0;
        };
        for (const host::Leaf& leaf : resolved.leaves()) {
            bool field = leaf.kind == host::kKindMember || leaf.kind == host::kKindOwnMember ||
                         leaf.kind == host::kKindVariable;
            EXPECT_FALSE(field && calledOnly(leaf.text)) << leaf.text << " at line " << leaf.line;
        }
        // The leaves' vector is made to measure by the lexer's count.
        source.cutLeaves();
        EXPECT_GE(host::lexedTokenCount(corpusCase.input), source.leaves().size());
    }
    // The reader leaves few files to the parse: records, and names that the
    // grammar may read as keywords.
    EXPECT_GE(readByReader * 5, parsedCases * 4) << readByReader << " of " << parsedCases;
}

TEST(CorpusRunTest, ExitsWithOneBecauseSomeCasesFail) {
    // The corpus holds a file that does not parse and one that fails.
    EXPECT_EQ(1, corpusRun().result.exitCode) << corpusRun().result.output;
}

// Every name's kind and qualified name, per case, against the golden dump
// beside the corpus file (NAME.names): a change in name resolution shows as
// a diff there. NIDUS_UPDATE_CORPUS=1 writes the dumps back.
TEST(CorpusRunTest, NamesResolveAsTheGoldenDumpSays) {
    std::map<std::string, std::string> dumps =
        nameDumps(corpusCases(), std::string(NIDUS_CORPUS_DIR) + "/config.xml");
    ASSERT_FALSE(dumps.empty()) << "the corpus rules cannot be read";
    for (const auto& entry : dumps) {
        std::string path = std::string(NIDUS_CORPUS_DIR) + "/" + entry.first + ".names";
        if (getenv("NIDUS_UPDATE_CORPUS") != nullptr) writeFile(path, entry.second);
        EXPECT_EQ(readFile(path), entry.second) << path;
    }
}

TEST(CorpusRunTest, InputTreeCompilesAgainstTheOldVendor) {
    if (!haveJavac()) GTEST_SKIP() << "no javac";
    EXPECT_EQ("", compileJava(compiledCases(corpusRun().sourceDir), NIDUS_STUBS_DIR "/olddb"));
}

TEST(CorpusRunTest, ConvertedTreeCompilesAgainstTheNewVendor) {
    if (!haveJavac()) GTEST_SKIP() << "no javac";
    EXPECT_EQ("", compileJava(compiledCases(corpusRun().outputDir), NIDUS_STUBS_DIR "/newdb"));
}

// Exact mode: one run of the whole corpus (one compiler run), every case
// checked against its expected text, or exact mode's where that differs.
TEST(CorpusRunTest, EveryCaseConvertsToItsExpectedTextInExactMode) {
    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    ASSERT_NE("", oldVendorClasses());
    for (const CorpusCase& corpusCase : exactRun().cases) {
        SCOPED_TRACE(corpusCase.testName);
        checkCase(corpusCase, exactRun(), true);
    }
}

TEST(CorpusRunTest, ExactModesConvertedTreeCompilesAgainstTheNewVendor) {
    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    EXPECT_EQ("", compileJava(compiledCases(exactRun().outputDir), NIDUS_STUBS_DIR "/newdb"));
}

// A user with an incomplete classpath learns from the report which names
// the compiler could not resolve, file by file, and from the summary that
// there are such.
TEST(CorpusRunTest, ExactModeReportsTheCompilersErrorsPerFile) {
    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    std::string report = readFile(exactRun().report);
    std::string unknown =
        "{\"path\": \"resolution_a_receiver_of_unknown_type_beside_a_static_on_"
        "demand_import/Case.java\", \"status\": \"converted\", "
        "\"compiler_errors\": 1, \"first_compiler_error\": {\"line\": 6, "
        "\"message\": \"cannot find symbol; symbol: class Codec; location: "
        "class corpus.unknownreceiver.Encoder\"}}";
    EXPECT_NE(std::string::npos, report.find(unknown)) << report;
    EXPECT_NE(std::string::npos, report.find("\"compiler_errors\": 0}")) << report;
    EXPECT_NE(std::string::npos, exactRun().result.output.find("the compiler found errors in "))
        << exactRun().result.output;
}

// Where exact mode's names differ from the host's own, case by case
// (corpus/exact.differences), so that every difference is one a reviewer
// has seen: a name the host guessed or could not resolve. In the cases
// that compile, the compiler leaves nothing unresolved.
TEST(CorpusRunTest, ExactNamesDifferFromTheHostsOnlyAsListed) {
    if (!haveExactMode()) GTEST_SKIP() << "no exact mode";
    int unresolved = -1;
    std::string reason;
    std::string differences =
        exactNameDifferences(corpusCases(), std::string(NIDUS_CORPUS_DIR) + "/config.xml",
                             corpusRun().sourceDir, oldVendorClasses(), unresolved, reason);
    ASSERT_EQ("", reason);
    std::string path = std::string(NIDUS_CORPUS_DIR) + "/exact.differences";
    if (getenv("NIDUS_UPDATE_CORPUS") != nullptr) writeFile(path, differences);
    EXPECT_EQ(readFile(path), differences);
    EXPECT_EQ(0, unresolved);
}

}  // namespace
}  // namespace hosttest
