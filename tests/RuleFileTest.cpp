// Reading config.xml: every check of the rule file with its message, its
// channel (host log or message box) and its line, in both languages, and
// what a failed load leaves usable.
#include <filesystem>

#include "PluginTest.h"

namespace nidustest {
namespace {

const char* const kKey = "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>";

class RuleFile : public PluginTest {
protected:
    // Loads a copy of the plug-in of its own with this config.xml and
    // forgets what earlier copies logged and showed.
    void loadFresh(const std::string& xml) {
        host.log.clear();
        messageBoxes().shown.clear();
        ASSERT_NE(nullptr, loadRawIn("plugin" + std::to_string(++copies), xml));
    }

    // Whether the loaded rules let the plug-in take a file; a refusal shows
    // its box, which is taken off the record again.
    bool usable() {
        sourceFile("");
        size_t shown = boxes().size();
        int result = plugin->beginFile();
        EXPECT_EQ(result == 0 ? shown : shown + 1, boxes().size());
        messageBoxes().shown.resize(shown);
        return result == 0;
    }

    // Where the current copy looks for its rule file.
    std::string configPath() const {
        return std::filesystem::canonical(pluginDir).string() + kSeparator + "config.xml";
    }

    int copies = 0;
};

TEST_F(RuleFile, EachCheckLogsItsMessageAndLineAndStopsTheLoad) {
    struct Case {
        const char* name;
        std::string xml;
        const char* message;
        int line;
        bool usable;
    };
    const std::string key = kKey;
    const Case cases[] = {
        {"Key without attributes", "<KeyWords><Key/></KeyWords>", "Attribute is null!", 92, false},
        {"Key without attributes after a keyword",
         "<KeyWords><Key kind=\"package\" code=\"a\"/><Key/></KeyWords>", "Attribute is null!", 92,
         true},
        {"item without attributes", key + "<Imports><item/></Imports>", "Attribute is null!", 115,
         true},
        {"item without code",
         "<Imports><item name=\"a\"><change code=\"b\"/></item></Imports>" + key,
         "Convert item is null!", 124, false},
        {"item without code and with a bare change",
         key + "<Imports><item name=\"a\"><change/></item></Imports>", "Convert item is null!", 124,
         true},
        {"item with empty code",
         key + "<Imports><item code=\"\"><change code=\"b\"/></item></Imports>",
         "Convert item is null!", 124, true},
        {"change without attributes", key + "<Imports><item code=\"a\"><change/></item></Imports>",
         "Attribute is null!", 132, true},
        {"change without code",
         key + "<Imports><item code=\"a\"><change name=\"b\"/></item></Imports>",
         "Convert items is null!", 141, true},
        {"item without change",
         key + "<Imports><item code=\"a\"><changes code=\"b\"/></item></Imports>",
         "Convert items is null!", 141, true},
        {"class without attributes", key + "<Classes><class/></Classes>", "Attribute is null!", 153,
         true},
        {"member without attributes", key + "<Members><member/></Members>", "Attribute is null!",
         175, true},
        {"method without attributes", key + "<Methods><method/></Methods>", "Attribute is null!",
         196, true},
        {"method without src", key + "<Methods><method to=\"b\"/></Methods>",
         "Convert item is null!", 210, true},
        {"method with empty to", key + "<Methods><method src=\"a\" to=\"\"/></Methods>",
         "Convert item is null!", 210, true},
        {"method without src and with a bare param",
         key + "<Methods><method to=\"b\" params=\"1\"><param/></method></Methods>",
         "Convert item is null!", 210, true},
        {"param without attributes",
         key + "<Methods><method src=\"a\" to=\"b\" params=\"1\"><param/></method></Methods>",
         "Attribute is null!", 218, true},
        {"word without attributes", key + "<Words><word/></Words>", "Attribute is null!", 264,
         true},
        {"failure before the keywords", "<Classes><class/></Classes>" + key, "Attribute is null!",
         153, false},
        {"no keyword at all", "<Classes><class src=\"A\" to=\"B\"/></Classes>",
         "Key words is null!", 83, false},
        {"keys that are no package",
         "<KeyWords><Key kind=\"Package\" code=\"a\"/><Key code=\"b\"/><Key kind=\"package \" "
         "code=\"c\"/><Key kind=\"package\" code=\"\"/><Key kind=\"package\"/></KeyWords>",
         "Key words is null!", 83, false},
        {"sections wrapped in a root element", "<Rules>" + key + "</Rules>", "Key words is null!",
         83, false},
        {"section and child names in other case",
         "<Keywords><Key kind=\"package\" code=\"a\"/></Keywords>"
         "<KeyWords><key kind=\"package\" code=\"a\"/></KeyWords>",
         "Key words is null!", 83, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadFresh(c.xml);
        ASSERT_EQ(1u, log().size());
        EXPECT_EQ(c.message, log()[0].message);
        EXPECT_EQ("", log()[0].detail);
        EXPECT_EQ("TalaConfig", log()[0].file);
        EXPECT_EQ(c.line, log()[0].line);
        EXPECT_TRUE(boxes().empty());
        EXPECT_EQ(c.usable, usable());
    }
}

TEST_F(RuleFile, DeclarationCommentsAndUnknownNamesAreSkippedAndAttributesTakenInAnyOrder) {
    loadFresh(
        "<?xml version=\"1.0\" encoding=\"GBK\"?><!-- rules --><Notes/><KeyWords><Other/><Key "
        "note=\"x\" code=\"olddb\" kind=\"package\"/></KeyWords>");
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(usable());
}

TEST_F(RuleFile, ParamChecksShowTheirBoxInTheHostsLanguage) {
    struct Case {
        const char* name;
        const char* params;
        const char* english;
        const char* chinese;
    };
    const char* const listError = "Parameter list error!";
    const char* const listErrorZh = "\xB2\xCE\xCA\xFD\xC1\xD0\xB1\xED\xB4\xED\xCE\xF3!";
    const char* const notSet = "Default value is not set!";
    const char* const notSetZh = "\xC4\xAC\xC8\xCF\xD6\xB5\xC3\xBB\xD3\xD0\xC9\xE8\xD6\xC3!";
    const Case cases[] = {
        {"second param numbered 3", "<param new=\"1\" old=\"1\"/><param new=\"3\" old=\"2\"/>",
         listError, listErrorZh},
        {"first param numbered 2", "<param new=\"2\" old=\"1\"/>", listError, listErrorZh},
        {"first param numbered 0", "<param new=\"0\" old=\"1\"/>", listError, listErrorZh},
        {"param without new", "<param old=\"1\"/>", listError, listErrorZh},
        {"param without new and default", "<param type=\"string\"/>", listError, listErrorZh},
        {"param without old and default", "<param new=\"1\" type=\"string\"/>", notSet, notSetZh},
        {"param with empty default", "<param new=\"1\" default=\"\"/>", notSet, notSetZh},
        {"second param without default", "<param new=\"1\" old=\"1\"/><param new=\"2\"/>", notSet,
         notSetZh},
    };
    for (const Case& c : cases) {
        for (const char* language : {"English", "Chinese"}) {
            SCOPED_TRACE(std::string(c.name) + ", " + language);
            host.language = language;
            loadFresh(std::string(kKey) + "<Methods><method src=\"f\" to=\"g\" params=\"2\">" +
                      c.params + "</method></Methods>");
            ASSERT_EQ(1u, boxes().size());
            EXPECT_EQ(host.language == "Chinese" ? c.chinese : c.english, boxes()[0].text);
            EXPECT_EQ("error", boxes()[0].caption);
            EXPECT_EQ(0x30u, boxes()[0].flags);
            EXPECT_TRUE(log().empty());
            EXPECT_TRUE(usable());
        }
    }
}

TEST_F(RuleFile, MissingOrMalformedFileIsShownWithItsFullPath) {
    struct Case {
        const char* name;
        const char* xml;
        const char* english;
        const char* chinese;
    };
    const Case cases[] = {
        {"no config.xml", "", "File does not exist", "\xCE\xC4\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA"},
        {"end tag of another element", "<KeyWords><Key kind=\"package\" code=\"a\"/></Words>",
         "File format error", "\xCE\xC4\xBC\xFE\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3"},
        {"crossed elements", "<KeyWords><Key kind=\"package\" code=\"a\"></KeyWords></Key>",
         "File format error", "\xCE\xC4\xBC\xFE\xB8\xF1\xCA\xBD\xB4\xED\xCE\xF3"},
    };
    for (const Case& c : cases) {
        for (const char* language : {"English", "Chinese", "chinese"}) {
            SCOPED_TRACE(std::string(c.name) + ", " + language);
            host.language = language;
            loadFresh(c.xml);
            ASSERT_EQ(1u, boxes().size());
            EXPECT_EQ(configPath(), boxes()[0].text);
            EXPECT_EQ(host.language == "Chinese" ? c.chinese : c.english, boxes()[0].caption);
            EXPECT_EQ(0x30u, boxes()[0].flags);
            EXPECT_TRUE(log().empty());
            EXPECT_FALSE(usable());
        }
    }
}

TEST_F(RuleFile, OtherXmlErrorsFailWithoutAnyMessage) {
    const char* const files[] = {
        "",
        "<KeyWords><Key kind=package code=\"a\"/></KeyWords>",
        "<KeyWords><Key kind=\"package\" kind=\"package\" code=\"a\"/></KeyWords>",
        "<KeyWords><Key kind=\"package\" code=\"a\"/></KeyWords><",
        "<KeyWords><Key kind=\"package\" code=\"a\"/>",
    };
    for (const char* xml : files) {
        SCOPED_TRACE(xml);
        host.log.clear();
        messageBoxes().shown.clear();
        pluginDir = root + kSeparator + "plugin" + std::to_string(++copies);
        makeDirs(pluginDir);
        // Written here, so that an empty file exists.
        writeFile(pluginDir + kSeparator + "config.xml", xml);
        ASSERT_NE(nullptr, loadRaw(""));
        EXPECT_TRUE(log().empty());
        EXPECT_TRUE(boxes().empty());
        EXPECT_FALSE(usable());
    }
}

// The path buffer holds 260 bytes with its terminator: a rule file whose
// path is longer than 259 bytes cannot be named, so it counts as missing.
TEST_F(RuleFile, ConfigPathLongerThanThePathBufferCountsAsMissing) {
    const std::string base = std::filesystem::canonical(root).string() + kSeparator;
    const std::string tail = std::string(1, kSeparator) + "config.xml";
    for (size_t length : {259u, 260u}) {
        SCOPED_TRACE(length);
        std::string dirName = "p" + std::to_string(length) + "-";
        dirName += std::string(length - base.size() - tail.size() - dirName.size(), 'x');
        host.log.clear();
        messageBoxes().shown.clear();
        pluginDir = base + dirName;
        makeDirs(pluginDir);
        ASSERT_EQ(length, configPath().size());
        ASSERT_NE(nullptr, loadRaw(kKey));
        EXPECT_TRUE(log().empty());
        if (length == 259u) {
            EXPECT_TRUE(boxes().empty());
            EXPECT_TRUE(usable());
        } else {
            ASSERT_EQ(1u, boxes().size());
            EXPECT_EQ(configPath(), boxes()[0].text);
            EXPECT_EQ("File does not exist", boxes()[0].caption);
            EXPECT_FALSE(usable());
        }
    }
}

}  // namespace
}  // namespace nidustest
