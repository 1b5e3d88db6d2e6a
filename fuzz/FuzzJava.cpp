// fuzz_java: one input is one Java file. It is the whole source tree of a
// conversion run with the example's rules (loaded once): the Runner parses
// it, drives it through the plug-in into a private output folder, answering
// questions yes, and the file must come out converted or byte for byte
// unchanged. The output is emptied after each input. Where the declaration
// reader takes the input's members text and the text parses, the reader
// must give what the parse gives.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "FuzzSupport.h"
#include "names/Classifier.h"
#include "names/DeclarationReader.h"
#include "plugin/HostObjects.h"
#include "plugin/Plugin.h"
#include "run/Runner.h"
#include "run/TreeScan.h"
#include "syntax/LightScan.h"

namespace {

struct JavaBench {
    host::RunOptions options;
    host::RuleSet rules;
    host::OutputTree* output = nullptr;
    host::Host* service = nullptr;
    tala::IConvert* convert = nullptr;
};

// Never destroyed: the converter keeps a pointer to the host, and neither
// is ever freed.
JavaBench& bench() {
    static JavaBench* made = new JavaBench;
    return *made;
}

void setUp() {
    JavaBench& made = bench();
    std::string root = fuzz::makePrivateDir("nidus-fuzz-java");
    made.options.sourceDir = root + "src/";
    made.options.outputDir = root + "out/";
    std::error_code error;
    std::filesystem::create_directories(made.options.sourceDir, error);
    std::filesystem::create_directories(made.options.outputDir, error);
    if (error) fuzz::fail("cannot make the source and output folders in " + root);

    std::string reason;
    std::string text;
    if (!host::checkRuleFile(NIDUS_EXAMPLE_RULES, reason, &text) ||
        !host::readRuleFacts(NIDUS_EXAMPLE_RULES, made.options.rules, reason))
        fuzz::fail(reason);
    made.rules = host::readRuleSet(text);
    made.options.ruleSet = &made.rules;
    made.output = new host::OutputTree(made.options.outputDir);
    fuzz::quietDesk(host::AnswerMode::kYes);
    made.service = new host::Host(made.options.sourceDir, made.output->staging(), "English");
    host::LoadedPlugin loaded;
    if (!host::loadPlugin(NIDUS_PLUGIN, NIDUS_EXAMPLE_RULES, made.service, loaded, reason))
        fuzz::fail(reason);
    if (!made.service->takeLog().empty()) fuzz::fail("the plug-in logged while reading its rules");
    made.service->setConverter(loaded.convert);
    made.convert = loaded.convert;
}

void checkDeclarationReader(const std::string& text, const host::RuleFacts& facts) {
    host::MembersText members = host::membersText(text, host::lightScan(text));
    host::FileScan read;
    if (!host::readDeclarations(members, facts, read.declared.members)) return;
    // A text that does not parse (a value that is no expression, a name
    // that is no UTF-8) gives the parse no members; the reader reads its
    // declarations all the same.
    host::JavaSource parse;
    if (!parse.parse(members.text)) return;
    host::FileScan parsed;
    host::collectDeclarations(members.text, parse.root(), parsed.declared, facts, &members);
    parsed.declared.qualifiedNames.clear();
    parsed.declared.byPackage.clear();
    if (host::encodeScan(read) != host::encodeScan(parsed))
        fuzz::fail("the declaration reader and the parse give other members");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::restartAfterAlarm();
    JavaBench& made = bench();
    if (!fuzz::writeInput(made.options.sourceDir + "Fuzz.java", data, size))
        fuzz::fail("cannot write the input to " + made.options.sourceDir);
    fuzz::resetDesk();
    host::RunReport report =
        fuzz::runChecked(made.options, *made.service, *made.convert, *made.output);
    if (report.refused) fuzz::fail(report.refusal);
    made.service->takeLog();
    checkDeclarationReader(std::string(reinterpret_cast<const char*>(data), size),
                           made.options.rules);
    return 0;
}
