// fuzz_rules: one input is one rule file. The host's check reads it
// (readRuleFacts) and, whatever that says, the plug-in reads it too, its
// own way: a copy of the plug-in in a private folder, loaded once, builds a
// new converter with registConvert for each input, which reads the input
// as the config.xml beside the copy. When both accept the rules, a small
// fixed Java file is converted with them, so that the rule tables are used
// as well as built.
#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "FuzzSupport.h"
#include "plugin/HostObjects.h"
#include "plugin/Plugin.h"
#include "run/Runner.h"

namespace {

namespace fs = std::filesystem;

using RegistFunction = tala::IConvert* (*)(tala::IConvertHost*);

// One name of each kind the seeds' rules know, reached the ways the host
// tells vendor code: imports, a subclass, fields, calls with and without
// the arguments a params rule asks for, strings and a switch.
constexpr char kProbe[] = R"(package probe;

import net.olddb.Session;
import net.olddb.pool.OldPool;
import static net.olddb.OldTypes.VARCHAR2;
import net.olddb.*;

public class Probe extends Session implements Runnable {
    private Session session = OldPool.create("jdbc:olddb://host", 4);
    int type = OldTypes.VARCHAR2 + VARCHAR2 + Session.DEFAULT_TIMEOUT;

    @Override
    public void run() {
        Class.forName("net.olddb.jdbc.OldDriver");
        Result rows = session.run("SELECT NVL(a, 0) FROM t");
        while (rows.next()) System.out.println(rows.text(1));
        new BulkLoader().load(session, "t", rows);
        session.timeout = 3;
        rows.forEach(row -> row.text(1));
        switch (Mode.READ_ONLY) {
        case READ_ONLY:
            break;
        default:
            close();
        }
    }
}
)";

constexpr char kFirstRules[] = R"(<KeyWords><Key kind="package" code="olddb"/></KeyWords>)";

struct RulesBench {
    std::string dir;
    std::string config;
    host::RunOptions options;
    host::RuleSet rules;
    host::OutputTree* output = nullptr;
    host::Host* service = nullptr;
    RegistFunction regist = nullptr;
    // The plug-in never frees a converter: every one stays reachable here
    // (the bench itself is never destroyed), so LeakSanitizer does not take
    // them for leaks.
    std::vector<tala::IConvert*> converters;
};

RulesBench& bench() {
    static RulesBench* made = new RulesBench;
    return *made;
}

void writeText(const std::string& path, const std::string& text) {
    if (!fuzz::writeInput(path, reinterpret_cast<const uint8_t*>(text.data()), text.size()))
        fuzz::fail("cannot write " + path);
}

void setUp() {
    RulesBench& made = bench();
    made.dir = fuzz::makePrivateDir("nidus-fuzz-rules");
    made.config = made.dir + "config.xml";
    made.options.sourceDir = made.dir + "src/";
    made.options.outputDir = made.dir + "out/";
    std::error_code error;
    fs::create_directories(made.options.sourceDir, error);
    fs::create_directories(made.options.outputDir, error);
    std::string copy = made.dir + fs::path(NIDUS_PLUGIN).filename().string();
    fs::copy_file(NIDUS_PLUGIN, copy, error);
    if (error) fuzz::fail("cannot copy the plug-in " NIDUS_PLUGIN " to " + made.dir);
    writeText(made.options.sourceDir + "Probe.java", kProbe);
    writeText(made.config, kFirstRules);

    fuzz::quietDesk(host::AnswerMode::kYes);
    made.output = new host::OutputTree(made.options.outputDir);
    made.service = new host::Host(made.options.sourceDir, made.output->staging(), "English");
    host::LoadedPlugin loaded;
    std::string reason;
    if (!host::loadPlugin(copy, std::string(), made.service, loaded, reason)) fuzz::fail(reason);
    made.converters.push_back(loaded.convert);
    made.regist = reinterpret_cast<RegistFunction>(dlsym(loaded.handle, "registConvert"));
    if (made.regist == nullptr) fuzz::fail("the plug-in copy has no registConvert");
    made.service->takeLog();
}

// The probe through the converter just built, as nidus-convert would run
// it with these rules.
void convertProbe(RulesBench& made, tala::IConvert& convert) {
    made.service->setConverter(&convert);
    fuzz::runChecked(made.options, *made.service, convert, *made.output);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::restartAfterAlarm();
    RulesBench& made = bench();
    if (!fuzz::writeInput(made.config, data, size)) fuzz::fail("cannot write " + made.config);
    fuzz::resetDesk();
    host::RuleFacts facts;
    std::string reason;
    std::string text;
    bool checked = host::checkRuleFile(made.config, reason, &text) &&
                   host::readRuleFacts(made.config, facts, reason);
    made.rules = host::readRuleSet(text);
    made.options.ruleSet = &made.rules;
    tala::IConvert* convert = made.regist(made.service);
    if (convert == nullptr) fuzz::fail("registConvert gave no converter");
    made.converters.push_back(convert);
    made.options.rules = facts;
    if (checked && !facts.packageKeywords.empty()) convertProbe(made, *convert);
    made.service->takeLog();
    return 0;
}
