// The remembered port through the running program: read once as the main
// window opens, written once as it is destroyed, whichever way it ends, before
// the link is closed; a profile that cannot be used never stops the program.
#include <sys/resource.h>

#include <csignal>

#include "shell_fixture.h"

namespace velk::test {
namespace {

using RememberedPort = ShellTest;

// What the window selects for what the file holds, and what closing it
// unchanged writes back.
TEST_F(RememberedPort, StoredTextSelectsItsEntryAndClosingWritesTheSelectorsText)
{
    struct Case {
        const char* name;
        std::optional<std::string> file;  // nullopt: no file
        int selected;
        const char* written;
    };
    const Case cases[] = {
        {"no file", std::nullopt, 1, "COM1"},
        {"no key", "[Device]\nBaud=9600\n", 1, "COM1"},
        {"automatic detection", "[Device]\nPort=(自動認識)\n", 0, "(自動認識)"},
        {"COM12", "[Device]\nPort=COM12\n", 12, "COM12"},
        {"typed by hand", "[device]\nport=com12\n", 12, "COM12"},
        {"COM255", "[Device]\nPort=COM255\n", 255, "COM255"},
        {"COM256", "[Device]\nPort=COM256\n", -1, ""},
        {"empty value", "[Device]\nPort=\n", -1, ""},
        {"COM1 with a space", "[Device]\nPort=COM 1\n", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(ProfileFile());
        if (c.file) WriteFile(*c.file);
        EXPECT_EQ(RunProgram([&](CSensorDlg& dlg) {
                      EXPECT_EQ(Selection(dlg), c.selected);
                      QTest::mouseClick(Item(dlg, IDOK), Qt::LeftButton);  // Exit
                  }),
                  FALSE);
        EXPECT_EQ(StoredPort(), c.written);
        EXPECT_TRUE(boxes_.empty());
    }
}

TEST_F(RememberedPort, TheOperatorsChoiceIsStoredAndSelectedInTheNextRun)
{
    struct Case {
        const char* name;
        std::vector<Qt::Key> keys;  // in the port selector, from COM1
        int selected;
        const char* stored;
    };
    const Case cases[] = {
        {"automatic detection", {Qt::Key_Home}, 0, "(自動認識)"},
        {"COM12", std::vector<Qt::Key>(11, Qt::Key_Down), 12, "COM12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(ProfileFile());
        RunProgram([&](CSensorDlg& dlg) {
            ASSERT_EQ(dlg.m_hWnd->focusWidget(), Item(dlg, IDC_PORT_SELECTOR));
            for (Qt::Key k : c.keys) Key(dlg, k);
            EXPECT_EQ(Selection(dlg), c.selected);
            Key(dlg, Qt::Key_Escape);
        });
        EXPECT_EQ(StoredPort(), c.stored);
        RunProgram([&](CSensorDlg& dlg) {
            EXPECT_EQ(Selection(dlg), c.selected);
            Key(dlg, Qt::Key_Escape);
        });
    }
}

// Exit, Esc, the close box and Close in the window menu all write the port.
TEST_F(RememberedPort, EveryWayOfEndingWritesThePort)
{
    struct Case {
        const char* name;
        std::function<void(CSensorDlg&)> close;
    };
    const Case cases[] = {
        {"Exit", [&](CSensorDlg& dlg) { QTest::mouseClick(Item(dlg, IDOK), Qt::LeftButton); }},
        {"Esc", [&](CSensorDlg& dlg) { Key(dlg, Qt::Key_Escape); }},
        {"close box", [&](CSensorDlg& dlg) { dlg.m_hWnd->close(); }},
        {"window menu", [&](CSensorDlg& dlg) {
             Key(dlg, Qt::Key_Space, Qt::AltModifier);
             QMenu* menu = OpenMenu();
             ASSERT_NE(menu, nullptr);
             QTest::keyClick(menu, Qt::Key_C);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile("[Device]\nPort=COM1\n");
        RunProgram([&](CSensorDlg& dlg) {
            Key(dlg, Qt::Key_Down);  // COM2
            c.close(dlg);
            EXPECT_TRUE(dlg.Ended());
        });
        EXPECT_EQ(StoredPort(), "COM2");
    }
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(RememberedPort, ClosingWhileConnectedWritesTheProfileBeforeTheClosingCommand)
{
    ProfileAtClose atClose(ProfileFile());
    BoardEnd board(atClose.Hook());
    ASSERT_TRUE(board.ok());
    board.SetLines(Tick);
    WriteFile("[Device]\nPort=COM5\n" + PortsSection({{5, board.DevicePath()}, {6, board.DevicePath()}}));
    RunProgram([&](CSensorDlg& dlg) {
        Key(dlg, Qt::Key_Down);  // COM6: the file still says COM5
        QTest::mouseClick(Item(dlg, IDC_CONNECT), Qt::LeftButton);
        ASSERT_NE(dlg.m_hPort, INVALID_HANDLE_VALUE) << dlg.m_failure;
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.GetDlgItemText(IDC_RECEIVED).rfind("#tick", 0) == 0; }, 3000));
        Key(dlg, Qt::Key_Escape);
    });
    ASSERT_TRUE(board.WaitForCount("$ACT", 1)) << "no $ACT";
    const std::optional<std::string> profile = atClose.Text();
    ASSERT_TRUE(profile.has_value());
    EXPECT_EQ(Profile::FromText(*profile).GetString("Device", "Port"), "COM6");
    EXPECT_TRUE(board.Frames().back().rfind("$ACT", 0) == 0);
    EXPECT_TRUE(boxes_.empty());
}

// Esc ends the window without a word; the field that fails shows its message
// once, while the window is destroyed, and the port is written all the same.
TEST_F(RememberedPort, EscWithAMalformedNumberShowsOneMessageWhileClosingAndStillWrites)
{
    WriteFile("[Device]\nPort=COM1\n");
    RunProgram([&](CSensorDlg& dlg) {
        Key(dlg, Qt::Key_End);  // COM255
        Type(dlg, IDC_INT_RED, "12x");
        Key(dlg, Qt::Key_Escape);
        EXPECT_TRUE(boxes_.empty());  // nothing from the cancel itself
    });
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "正の整数を入力してください。");
    EXPECT_EQ(boxes_[0].caption, AfxGetAppName());
    EXPECT_TRUE(boxes_[0].mainWindowClosing);
    EXPECT_EQ(StoredPort(), "COM255");
}

TEST_F(RememberedPort, ClosingKeepsEveryOtherLineOfTheFile)
{
    const std::string before =
        "; velk profile\n"
        "[Ports]\n"
        "; the adapter on the bench\n"
        "COM3=/dev/ttyUSB7\n"
        "COM4=\n"
        "[Device]\n"
        "Port=COM1\n"
        "Colour=blue\n"
        "[Other]\n"
        "key=value with spaces\n"
        "; trailing remark\n";
    WriteFile(before);
    RunProgram([&](CSensorDlg& dlg) {
        Key(dlg, Qt::Key_Down);
        Key(dlg, Qt::Key_Down);  // COM3
        Key(dlg, Qt::Key_Escape);
    });
    const std::optional<std::string> after = ReadFile();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(StoredPort(), "COM3");
    for (const char* line : {"; velk profile", "[Ports]", "; the adapter on the bench", "COM3=/dev/ttyUSB7", "COM4=",
                             "[Device]", "Colour=blue", "[Other]", "key=value with spaces", "; trailing remark"})
        EXPECT_NE(after->find(std::string(line) + "\n"), std::string::npos) << line << "\n" << *after;
    EXPECT_EQ(after->find("Port=COM1"), std::string::npos);
}

TEST_F(RememberedPort, AMissingDirectoryIsCreated)
{
    const std::filesystem::path dir = configDir_ / "not" / "yet";
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    RunProgram([&](CSensorDlg& dlg) { Key(dlg, Qt::Key_Escape); });
    EXPECT_EQ(ProfileFile().parent_path(), dir);
    EXPECT_EQ(StoredPort(), "COM1");
}

// A directory where the file should be, or binary content: the window starts
// with the default, says nothing, and leaves the thing alone when it closes.
TEST_F(RememberedPort, AnUnusableProfileNeverStopsTheProgram)
{
    const std::string garbage("\x7F" "ELF\x02\x01\x01\0\0\0[Device]\nPort=COM9\n\xFF\xFE", 29);
    struct Case {
        const char* name;
        std::function<void()> make;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"directory",
         [&] { std::filesystem::create_directories(ProfileFile() / "inside"); },
         [&] { EXPECT_TRUE(std::filesystem::is_directory(ProfileFile() / "inside")); }},
        {"binary", [&] { WriteFile(garbage); }, [&] { EXPECT_EQ(ReadFile(), garbage); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(ProfileFile());
        c.make();
        RunProgram([&](CSensorDlg& dlg) {
            EXPECT_EQ(Selection(dlg), 1);
            Key(dlg, Qt::Key_Down);
            Key(dlg, Qt::Key_Escape);
        });
        c.check();
        EXPECT_TRUE(boxes_.empty());
    }
}

// A write that fails half-way (the file-size limit stands in for a full disk)
// leaves the old file byte for byte, says nothing, and the link still closes.
TEST_F(RememberedPort, AFailedWriteLeavesTheOldFileWholeAndTheLinkStillCloses)
{
    BoardEnd board;
    ASSERT_TRUE(board.ok());
    board.SetLines(Tick);
    const std::string before = "[Device]\nPort=COM1\n" + PortsSection({{1, board.DevicePath()}});
    ASSERT_GT(before.size(), 1024u);
    WriteFile(before);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    RunProgram([&](CSensorDlg& dlg) {
        QTest::mouseClick(Item(dlg, IDC_CONNECT), Qt::LeftButton);
        ASSERT_NE(dlg.m_hPort, INVALID_HANDLE_VALUE) << dlg.m_failure;
        Key(dlg, Qt::Key_Down);  // COM2, so that a write would change the file
        rlimit tiny = saved;
        tiny.rlim_cur = 512;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
        Key(dlg, Qt::Key_Escape);
    });
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(ReadFile(), before);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(board.WaitForCount("$ACT", 1)) << "no $ACT";
    std::size_t leftovers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(configDir_))
        if (entry.path() != ProfileFile()) ++leftovers;
    EXPECT_EQ(leftovers, 0u) << "a temporary file was left behind";
}

}  // namespace
}  // namespace velk::test
