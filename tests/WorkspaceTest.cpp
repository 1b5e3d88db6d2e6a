// The output workspace: where a file lands under the output root, the
// directories made for it, overwriting, and the failures to create.
#include <algorithm>
#include <filesystem>

#include "PluginTest.h"

namespace nidustest {
namespace {

const std::string kSep(1, kSeparator);
const char* const kSource = "class Main {\r\n\tint x;\n}\n";

class Workspace : public PluginTest {
protected:
    // Ends a checking pass that converted nothing: the file is copied.
    int copyFile() {
        EXPECT_EQ(0, plugin->beginFile());
        return plugin->endFile();
    }

    // Ends a checking pass that counted a conversion: the output is opened.
    int openFile() {
        EXPECT_EQ(0, plugin->beginFile());
        EXPECT_EQ(0, convert(statement("import net.olddb.Probe;")
                                 .kind(tala::kStmtImport)
                                 .withNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4")));
        return plugin->endFile();
    }

    // Runs the current file to its end either way; returns endFile's first
    // result. An opened file gets the line "written".
    int runFile(bool open) {
        if (!open) return copyFile();
        int result = openFile();
        if (result == 1) {
            EXPECT_EQ(0, plugin->outputText("written"));
            EXPECT_EQ(0, plugin->endFile());
        }
        return result;
    }
};

TEST_F(Workspace, OutputRootIsTheSettingOrTheSourceRootWithConvert) {
    struct Case {
        const char* name;
        std::string setting;
        std::string root;
    };
    const std::string src = host.srcPath;
    const Case cases[] = {
        {"empty setting", "", src + "Convert" + kSep},
        {"setting equal to the source root", src, src + "Convert" + kSep},
        {"other directory", root + kSep + "out" + kSep, root + kSep + "out" + kSep},
        {"source root in other case", root + kSep + "SRC" + kSep, root + kSep + "SRC" + kSep},
        // Pieces are joined as they are: no separator is put in.
        {"source root without its separator", src.substr(0, src.size() - 1),
         src.substr(0, src.size() - 1)},
    };
    load();
    const std::string relDir = "a" + kSep + "b" + kSep;
    int file = 0;
    for (bool open : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (open ? ", opened" : ", copied"));
            host.outPath = c.setting;
            std::string name = "F" + std::to_string(++file) + ".java";
            sourceFile(kSource, relDir, name);
            EXPECT_EQ(open ? 1 : 0, runFile(open));
            EXPECT_EQ(open ? lines("written\n") : kSource, readFile(c.root + relDir + name));
        }
    }
    // On a system whose file names ignore case SRC is the source root.
    if (kSeparator == '/') {
        EXPECT_FALSE(fileExists(root + kSep + "SRC" + kSep + "Convert"));
    }
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Workspace, MissingDirectoriesAreMadeLevelByLevelAndExistingOnesKept) {
    load();
    host.outPath = root + kSep + "out" + kSep + "x" + kSep + "y" + kSep;
    sourceFile(kSource, "a" + kSep + "b" + kSep + "c" + kSep);
    EXPECT_EQ(0, copyFile());
    EXPECT_COPIED(kSource,
                  readFile(host.outPath + "a" + kSep + "b" + kSep + "c" + kSep + "Main.java"));

    const std::string kept = host.outPath + "a" + kSep + "b" + kSep + "keep.txt";
    writeFile(kept, "kept");
    sourceFile(kSource, "a" + kSep + "b" + kSep + "d" + kSep + "e" + kSep);
    EXPECT_EQ(1, runFile(true));
    EXPECT_EQ(lines("written\n"), written());
    EXPECT_EQ("kept", readFile(kept));
    EXPECT_TRUE(log().empty());
}

TEST_F(Workspace, ExistingOutputFileIsOverwrittenByCopyAndByOpen) {
    load();
    sourceFile(kSource);
    makeDirs(host.srcPath + "Convert");
    const std::string old = "an older output, longer than anything written now\n";
    writeFile(outputPath(), old);
    EXPECT_EQ(0, copyFile());
    EXPECT_COPIED(kSource, written());

    writeFile(outputPath(), old);
    EXPECT_EQ(1, runFile(true));
    EXPECT_EQ(lines("written\n"), written());
}

TEST_F(Workspace, LargeBinaryFileIsCopiedByteForByte) {
    load();
    std::string source;
    for (size_t i = 0; i < 200000; ++i) source += static_cast<char>((i * 7 + i / 256) % 256);
    sourceFile(source, "bin" + kSep);
    EXPECT_EQ(0, copyFile());
    EXPECT_COPIED(source, written());
}

// A copy that cannot be completed fails the file: the host then knows the
// output tree lacks it. /dev/full takes the open and fails the writes, at the
// close for a short file and during the copy for a long one.
TEST_F(Workspace, CopyThatCannotBeWrittenFailsTheFile) {
    struct Case {
        const char* name;
        bool posixOnly;
        std::string content;
    };
    const Case cases[] = {
        {"directory in the way", false, kSource},
        {"full device, short file", true, kSource},
        {"full device, long file", true, std::string(200000, 'x')},
    };
    load();
    for (const Case& c : cases) {
        if (c.posixOnly && kSeparator != '/') continue;
        SCOPED_TRACE(c.name);
        if (c.posixOnly) {
            host.outPath = "/dev/";
            sourceFile(c.content, "", "full");
        } else {
            host.outPath = "";
            sourceFile(c.content);
            makeDirs(outputPath());
        }
        const auto modeBefore = std::filesystem::status(outputPath()).permissions();
        EXPECT_EQ(-1, copyFile());
        // What stands in the way is written to at most, never changed.
        EXPECT_EQ(modeBefore, std::filesystem::status(outputPath()).permissions());
    }
    EXPECT_TRUE(std::filesystem::is_directory(host.srcPath + "Convert" + kSep + "Main.java"));
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes().empty());
}

// A copy keeps the source's permission bits, over an existing output file
// too: a script keeps its execute bit.
TEST_F(Workspace, CopyKeepsThePermissionBitsOfTheSource) {
    if (kSeparator != '/') GTEST_SKIP() << "permission bits are POSIX";
    using std::filesystem::perms;
    struct Case {
        const char* name;
        perms source;
        bool outputExists;
    };
    const Case cases[] = {
        {"executable script", perms(0755), false},
        {"private file", perms(0600), false},
        {"executable over a private output", perms(0750), true},
        {"read-only file", perms(0444), false},
    };
    load();
    int file = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string content = "#!/bin/sh\necho " + std::to_string(++file) + "\n";
        sourceFile(content, "bin" + kSep, "run" + std::to_string(file) + ".sh");
        std::filesystem::permissions(host.srcPath + host.relPath + host.fileName, c.source);
        if (c.outputExists) {
            makeDirs(host.srcPath + "Convert" + kSep + host.relPath);
            writeFile(outputPath(), "an older output\n");
            std::filesystem::permissions(outputPath(), perms(0600));
        }
        EXPECT_EQ(0, copyFile());
        EXPECT_COPIED(content, written());
        EXPECT_EQ(c.source, std::filesystem::status(outputPath()).permissions());
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(Workspace, CopyOntoTheSourceFileItselfLeavesItIntact) {
    load();
    // The output root names the source root with one more separator, so
    // the output path is the source file's own path.
    host.outPath = host.srcPath + kSep;
    sourceFile(kSource);
    EXPECT_EQ(0, copyFile());
    EXPECT_COPIED(kSource, readFile(host.srcPath + "Main.java"));
}

TEST_F(Workspace, CopyWithoutSourceRootFailsSilently) {
    load();
    sourceFile(kSource);
    host.srcPath = "";
    host.outPath = root + kSep + "out" + kSep;
    EXPECT_EQ(-1, copyFile());
    EXPECT_FALSE(fileExists(host.outPath));
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes().empty());
}

// A relative directory of single-letter components that makes the output
// path of Main.java exactly length bytes long under outRoot.
std::string relDirFor(const std::string& outRoot, size_t length) {
    size_t rest = length - outRoot.size() - std::string("Main.java").size();
    std::string relDir;
    while (rest > 0) {
        size_t part = std::min<size_t>(rest - 1, 100);
        relDir += std::string(part, 'd') + kSep;
        rest -= part + 1;
    }
    return relDir;
}

TEST_F(Workspace, OutputThatCannotBeCreatedShowsCreateFailInEnglishCutTo299Bytes) {
    struct Case {
        size_t pathLength;
        std::string language;
    };
    // "Create " and " fail!" add 13 bytes: 286 fits the 300-byte buffer.
    const Case cases[] = {
        {60, "English"}, {60, "Chinese"}, {286, "English"}, {287, "English"}, {420, "Chinese"}};
    int copy = 0;
    for (const Case& c : cases) {
        // The Windows file calls with narrow paths stop at MAX_PATH (260
        // bytes), so there only the short cases can reach the open.
        if (kSeparator == '\\' && c.pathLength >= 260) continue;
        SCOPED_TRACE(std::to_string(c.pathLength) + " bytes, " + c.language);
        host.language = c.language;
        ASSERT_NE(nullptr, loadRawIn("plugin" + std::to_string(++copy), kBaseRules));
        messageBoxes().shown.clear();
        host.outPath = root + kSep + "out" + std::to_string(copy) + kSep;
        sourceFile(kSource, relDirFor(host.outPath, c.pathLength));
        const std::string path = host.outPath + host.relPath + host.fileName;
        ASSERT_EQ(c.pathLength, path.size());
        // A directory where the output file should be cannot be opened.
        makeDirs(path);
        EXPECT_EQ(-1, openFile());
        ASSERT_EQ(1u, boxes().size());
        EXPECT_EQ(("Create " + path + " fail!").substr(0, 299), boxes()[0].text);
        EXPECT_EQ("Message", boxes()[0].caption);
        EXPECT_EQ(0x30u, boxes()[0].flags);
        EXPECT_EQ(0, plugin->outputText("nowhere"));
    }
    EXPECT_TRUE(log().empty());
}

TEST_F(Workspace, DirectoryThatCannotBeMadeIsLoggedWithItsOwnPath) {
    load();
    const std::string outRoot = root + kSep + "out" + kSep;
    makeDirs(outRoot);
    writeFile(outRoot + "file", "a file, not a directory");
    struct Case {
        const char* name;
        std::string relDir;
        std::string failed;
        std::string made;
    };
    const std::string longName(300, 'n');
    const Case cases[] = {
        {"file in the way", "file" + kSep + "sub" + kSep, outRoot + "file" + kSep + "sub", ""},
        {"name too long", "made" + kSep + longName + kSep + "x" + kSep,
         outRoot + "made" + kSep + longName, outRoot + "made"},
    };
    for (bool open : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (open ? ", opened" : ", copied"));
            host.log.clear();
            host.outPath = outRoot;
            sourceFile(kSource, "", "Main.java");
            host.relPath = c.relDir;
            EXPECT_EQ(-1, runFile(open));
            ASSERT_EQ(1u, log().size());
            EXPECT_EQ(c.failed, log()[0].message);
            EXPECT_EQ("", log()[0].detail);
            EXPECT_EQ("TalaBase", log()[0].file);
            if (!c.made.empty()) {
                EXPECT_TRUE(std::filesystem::is_directory(c.made));
            }
        }
    }
    EXPECT_TRUE(boxes().empty());
}

}  // namespace
}  // namespace nidustest
