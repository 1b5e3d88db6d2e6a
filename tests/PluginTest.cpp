// The plug-in test fixture.
#include "PluginTest.h"

namespace nidustest {

namespace {

// Converters are never freed (the plug-in gives no way to); keeping them
// here, in a list that is itself never destroyed, keeps them reachable for
// the leak checker.
std::vector<tala::IConvert*>& converters() {
    static auto* kept = new std::vector<tala::IConvert*>();
    return *kept;
}

}  // namespace

const char* const kBaseRules =
    "<KeyWords><Key kind=\"package\" code=\"olddb\"/></KeyWords>\n"
    "<Imports><item code=\"net.olddb.Probe\"><change code=\"org.newdb.Probe\"/></item>"
    "</Imports>\n";

void PluginTest::SetUp() {
    root = makeTempDir();
    ASSERT_FALSE(root.empty());
    pluginDir = root + kSeparator + "plugin";
    makeDirs(pluginDir);
    makeDirs(root + kSeparator + "src");
    host.srcPath = root + kSeparator + "src" + kSeparator;
    host.fileName = "Main.java";
    messageBoxes() = MessageBoxes();
}

void PluginTest::TearDown() {
    EXPECT_EQ(0u, host.discipline.outstanding()) << "host objects not given back";
    for (const std::string& problem : host.discipline.misuses()) ADD_FAILURE() << problem;
    EXPECT_TRUE(messageBoxes().answers.empty()) << "scripted answers left unused";
    removeTree(root);
}

tala::IConvert* PluginTest::loadRaw(const std::string& configXml) {
    if (!configXml.empty()) writeFile(pluginDir + kSeparator + "config.xml", configXml);
    return adopt(loadPluginCopy(pluginDir));
}

tala::IConvert* PluginTest::adopt(RegistFunction regist) {
    EXPECT_NE(nullptr, regist);
    if (regist == nullptr) return nullptr;
    plugin = regist(&host);
    converters().push_back(plugin);
    return plugin;
}

tala::IConvert* PluginTest::loadRawIn(const std::string& dirName, const std::string& configXml) {
    pluginDir = root + kSeparator + dirName;
    makeDirs(pluginDir);
    return loadRaw(configXml);
}

tala::IConvert* PluginTest::load(const std::string& rules) {
    return loadRaw(std::string(kBaseRules) + rules);
}

void PluginTest::sourceFile(const std::string& content, const std::string& relDir,
                            const std::string& name) {
    host.relPath = relDir;
    host.fileName = name;
    makeDirs(host.srcPath + relDir);
    writeFile(host.srcPath + relDir + name, content);
}

std::string PluginTest::outputPath() const {
    std::string outRoot = host.outPath.empty() || host.outPath == host.srcPath
                              ? host.srcPath + "Convert" + kSeparator
                              : host.outPath;
    return outRoot + host.relPath + host.fileName;
}

std::string PluginTest::written() const {
    return readFile(outputPath());
}

void PluginTest::beginWriting() {
    ASSERT_NE(nullptr, plugin);
    ASSERT_EQ(0, plugin->beginFile());
    StmtSpec probe = statement("import net.olddb.Probe;")
                         .kind(tala::kStmtImport)
                         .withNodes("import:7 net:16 .:4 olddb:16 .:4 Probe:16 ;:4");
    ASSERT_EQ(0, convert(probe));
    ASSERT_EQ(1, plugin->endFile());
}

std::string PluginTest::finishWriting() {
    EXPECT_EQ(0, plugin->endFile());
    return written();
}

int PluginTest::convert(const StmtSpec& desc) {
    return host.convertStmt(plugin, desc);
}

int PluginTest::runBody(const std::vector<StmtSpec>& body, int mode) {
    host.body = body;
    int result = plugin->convertBody(mode);
    host.body.clear();
    return result;
}

std::string PluginTest::lines(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n')
            result += kLineEnd;
        else
            result += c;
    }
    return result;
}

}  // namespace nidustest
