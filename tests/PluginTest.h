// The fixture every plug-in test uses: a temporary source tree, a copy of
// the plug-in loaded with the test's rule file, the scripted host, and
// verbs that make a test case a few lines of intent.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptedHost.h"
#include "TestPlatform.h"

namespace nidustest {

// A small rule set: the package keyword olddb and the import rule the
// fixture uses to open a writing pass.
extern const char* const kBaseRules;

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the plug-in with exactly this config.xml ("" for none at all).
    tala::IConvert* loadRaw(const std::string& configXml);
    // Loads the plug-in with kBaseRules followed by these rules.
    tala::IConvert* load(const std::string& rules = "");
    // Loads a further copy of the plug-in from its own folder dirName under
    // the test's root, with exactly this config.xml, and makes it the
    // current plug-in. Each copy reads the host's language when it is built.
    tala::IConvert* loadRawIn(const std::string& dirName, const std::string& configXml);
    // Builds a converter through a loaded library's registConvert and makes
    // it the current one.
    tala::IConvert* adopt(RegistFunction regist);

    // The current source file: written under the source root at relDir.
    void sourceFile(const std::string& content, const std::string& relDir = "",
                    const std::string& name = "Main.java");
    // Where the plug-in writes the current file.
    std::string outputPath() const;
    std::string written() const;

    // Starts the writing pass of the current file: a checking pass that
    // counts one conversion, then endFile, which opens the output file.
    void beginWriting();
    // Ends the writing pass and returns what was written.
    std::string finishWriting();

    int convert(const StmtSpec& desc);
    int runBody(const std::vector<StmtSpec>& body, int mode = tala::kBodyClosed);

    // Text with LF line breaks as the output file has them on this system.
    static std::string lines(const std::string& text);

    const std::vector<LogLine>& log() const { return host.log; }
    const std::vector<MessageBoxCall>& boxes() const { return messageBoxes().shown; }
    void answer(int value) { messageBoxes().answers.push_back(value); }

    std::string root;
    std::string pluginDir;
    ScriptedHost host;
    tala::IConvert* plugin = nullptr;
};

// The output is the input, byte for byte.
#define EXPECT_COPIED(source, output) EXPECT_EQ(source, output)

}  // namespace nidustest
