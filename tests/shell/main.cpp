// Shell tests: a Qt application on the offscreen platform. Each test points
// XDG_CONFIG_HOME at a directory of its own below this one.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace velk::test {
std::filesystem::path g_testRoot;
}

int main(int argc, char** argv)
{
    std::string dir = (std::filesystem::temp_directory_path() / "velk-shell-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) return 1;
    velk::test::g_testRoot = dir;
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return rc;
}
