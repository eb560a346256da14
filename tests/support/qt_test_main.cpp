// The main of the window tests: a Qt application on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise (test discovery runs the program
// without the tests' environment), on a configuration directory of its own.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "tests/support/test_root.h"

namespace velk::test {
namespace {
std::filesystem::path g_root;
}

const std::filesystem::path& TestRoot() { return g_root; }

}  // namespace velk::test

// LeakSanitizer's rules for what the system's libraries keep for the life of
// the process, built in so that the tests need no variable set for them;
// lsan_rules.h is made from tests/lsan.supp. Defined here, beside main, so
// that linking the main links the rules.
#include "lsan_rules.h"

extern "C" const char* __lsan_default_suppressions()
{
    return velk::test::kLsanRules;
}

int main(int argc, char** argv)
{
    std::string dir = (std::filesystem::temp_directory_path() / "velk-tests-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) return 1;
    velk::test::g_root = dir;
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    int rc = 0;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return rc;
}
