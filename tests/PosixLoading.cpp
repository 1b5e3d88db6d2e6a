// Loading the plug-in on POSIX: the rule file is read beside the path the
// host loaded the library from, also when that path is a link.
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>

#include "PluginTest.h"

namespace nidustest {
namespace {

using PosixLoading = PluginTest;

TEST_F(PosixLoading, RulesAreReadBesideTheLinkTheLibraryWasLoadedThrough) {
    const std::string target = root + "/target";
    const std::string link = root + "/link";
    makeDirs(target);
    makeDirs(link);
    std::filesystem::copy_file(NIDUS_PLUGIN_PATH, target + "/libnidus.so");
    ASSERT_EQ(0, symlink((target + "/libnidus.so").c_str(), (link + "/libnidus.so").c_str()));
    writeFile(link + "/config.xml", kBaseRules);

    void* library = dlopen((link + "/libnidus.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, library);
    adopt(reinterpret_cast<RegistFunction>(dlsym(library, "registConvert")));
    EXPECT_EQ(0, plugin->beginFile());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(PosixLoading, RelativeLoadPathIsTakenFromTheWorkingDirectoryOfTheLoad) {
    writeFile(pluginDir + "/config.xml", kBaseRules);
    std::filesystem::copy_file(NIDUS_PLUGIN_PATH, pluginDir + "/libnidus.so");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(root);
    void* library = dlopen("./plugin/libnidus.so", RTLD_NOW | RTLD_LOCAL);
    std::filesystem::current_path(before);
    ASSERT_NE(nullptr, library);
    // The converter is built after the working directory changed back.
    adopt(reinterpret_cast<RegistFunction>(dlsym(library, "registConvert")));
    EXPECT_EQ(0, plugin->beginFile());
    EXPECT_TRUE(boxes().empty());
}

}  // namespace
}  // namespace nidustest
