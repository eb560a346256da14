// The profile file: lookups without regard to case, and writes that keep
// every other line and never leave a damaged file behind.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace velk {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) / ("velk-profile-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = dir_ / "velk.INI";
    }
    void TearDown() override { fs::remove_all(dir_); }

    // No file but the profile itself is left in the directory.
    void ExpectNoLeftovers() {
        for (const auto& entry : fs::directory_iterator(dir_))
            EXPECT_EQ(entry.path().filename(), file_.filename()) << entry.path();
    }

    fs::path dir_;
    fs::path file_;
};

TEST(ProfilePath, FromTheConfigurationDirectory) {
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";

    setenv("HOME", "/home/op", 1);
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(ProfilePath("velk"), fs::path("/tmp/cfg/velk.INI"));
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(ProfilePath("velk"), fs::path("/home/op/.config/velk.INI"));
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ProfilePath("velk-demo"), fs::path("/home/op/.config/velk-demo.INI"));

    if (oldXdg != nullptr) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(ProfileTest, LookupIgnoresCaseAndTellsEmptyFromMissing) {
    WriteFile(file_, "; written by hand\n[Device]\nPort=com12\nEmpty=\n[ports]\nCOM5=/dev/ttyUSB0\n");
    const Profile profile(file_);
    EXPECT_EQ(profile.GetString("Device", "Port"), "com12");
    EXPECT_EQ(profile.GetString("DEVICE", "port"), "com12");
    EXPECT_EQ(profile.GetString("Ports", "com5"), "/dev/ttyUSB0");
    EXPECT_EQ(profile.GetString("Device", "Empty"), "");
    EXPECT_EQ(profile.GetString("Device", "Empty", "COM1"), "");
    EXPECT_EQ(profile.GetString("Device", "Missing"), std::nullopt);
    EXPECT_EQ(profile.GetString("Device", "Missing", "COM1"), "COM1");
    EXPECT_EQ(profile.GetString("Nothing", "Port"), std::nullopt);
}

TEST_F(ProfileTest, UnreadableProfilesAreEmpty) {
    const fs::path garbage = dir_ / "garbage.INI";
    std::string bytes = "[Device]\nPort=COM3\n";
    for (int i = 0; i < 512; ++i) bytes += static_cast<char>((i * 37) & 0xFF);
    WriteFile(garbage, bytes);
    const fs::path directory = dir_ / "dir.INI";
    fs::create_directories(directory);

    for (const fs::path& path : {dir_ / "missing.INI", garbage, directory, fs::path("/dev/null")}) {
        SCOPED_TRACE(path);
        const Profile profile(path);
        EXPECT_EQ(profile.GetString("Device", "Port"), std::nullopt);
        EXPECT_EQ(profile.GetString("Device", "Port", "COM1"), "COM1");
    }
    EXPECT_EQ(Profile().GetString("Device", "Port"), std::nullopt);
}

TEST_F(ProfileTest, WriteKeepsEveryOtherLine) {
    WriteFile(file_,
              "; velk settings\n"
              "[Ports]\n"
              "; the adapter on the bench\n"
              "COM5=/dev/serial/by-id/usb-board-if00\n"
              "COM6=\n"
              "[device]\n"
              "port=COM3\n"
              "Other=kept\n"
              "\n"
              "; the end\n");
    ASSERT_TRUE(WriteString(file_, "Device", "Port", "COM12"));
    const std::string text = ReadFile(file_);
    for (const char* kept : {"; velk settings", "; the adapter on the bench", "COM5=/dev/serial/by-id/usb-board-if00",
                             "COM6=", "Other=kept", "; the end"}) {
        SCOPED_TRACE(kept);
        EXPECT_NE(text.find(kept), std::string::npos) << text;
    }
    EXPECT_EQ(text.find("COM3"), std::string::npos) << text;  // replaced, not added beside
    const Profile profile(file_);
    EXPECT_EQ(profile.GetString("Device", "Port"), "COM12");
    EXPECT_EQ(profile.GetString("Ports", "COM6"), "");
    ExpectNoLeftovers();
}

TEST_F(ProfileTest, WriteCreatesTheDirectoryAndValuesRoundTripAsUtf8) {
    const fs::path nested = dir_ / "a" / "b" / "velk.INI";
    ASSERT_TRUE(WriteString(nested, "Device", "Port", "(自動認識)"));
    EXPECT_EQ(Profile(nested).GetString("device", "PORT"), "(自動認識)");
    ASSERT_TRUE(WriteString(nested, "Device", "Port", ""));
    EXPECT_EQ(Profile(nested).GetString("Device", "Port"), "");
}

TEST_F(ProfileTest, FailedWriteLeavesTheOldFileWhole) {
    const std::string old = "[Device]\nPort=COM3\n";
    WriteFile(file_, old);

    // A disk that takes only a few bytes. Root passes permission checks, but
    // not the file size limit.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tiny = saved;
    tiny.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = WriteString(file_, "Device", "Port", "(自動認識)");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(file_), old);
    ExpectNoLeftovers();

    // A directory where the file should be is not replaced.
    const fs::path directory = dir_ / "dir.INI";
    fs::create_directories(directory / "inside");
    EXPECT_FALSE(WriteString(directory, "Device", "Port", "COM1"));
    EXPECT_TRUE(fs::is_directory(directory / "inside"));

    // A parent that is a regular file.
    EXPECT_FALSE(WriteString(file_ / "velk.INI", "Device", "Port", "COM1"));
    EXPECT_EQ(ReadFile(file_), old);
}

TEST_F(ProfileTest, WriteGoesThroughASymbolicLink) {
    const fs::path real = dir_ / "real.INI";
    WriteFile(real, "[Ports]\nCOM1=\n");
    const fs::path link = dir_ / "link.INI";
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteString(link, "Device", "Port", "COM2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Profile(real).GetString("Device", "Port"), "COM2");
    EXPECT_EQ(Profile(real).GetString("Ports", "COM1"), "");
}

}  // namespace
}  // namespace velk
