// Window tests: a Qt application on the offscreen platform, and a
// configuration directory of the tests' own, so that no test reads or writes
// the user's profile and every port a test can reach is one it made.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    std::string dir = (std::filesystem::temp_directory_path() / "velk-ui-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) return 1;
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return rc;
}
