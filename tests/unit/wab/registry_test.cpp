// The program finds the library through HKLM, which for build/bin/quorvia
// is build/etc/quorvia/machine.reg: the build must have written it.
#include "platform/module/module.h"
#include "settings/settings.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(WabRegistration, BuildTreeHklmNamesTheBuiltLibrary) {
    qv::platform::SetModuleFileNameForTesting(QV_BUILD_PROGRAM);
    const std::string path =
        ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath", "", "");
    qv::platform::SetModuleFileNameForTesting("");
    EXPECT_EQ(path, QV_WAB_LIBRARY);
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
}

} // namespace
