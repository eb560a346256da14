// The program's start-up routine run for real: CSensorApp::InitInstance with
// the main window modal, a test's script running inside the modal loop, every
// message box answered and recorded, and a configuration directory per test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/profile.h"
#include "platform/window.h"
#include "tests/support/board_end.h"
#include "tests/support/pty_pair.h"
#include "tests/support/shown_boxes.h"
#include "tests/support/test_root.h"
#include "ui/app.h"
#include "ui/sensor_dlg.h"

namespace velk::test {

// Numbered report lines for a board end, so that a test sees the received
// text change from one tick to the next.
inline std::string Tick(unsigned n) { return "#tick " + std::to_string(n) + "\n"; }

// The profile file as it stood when "$ACT" reached a board end whose hook this
// is: nullopt before that, "<no file>" when there was none.
class ProfileAtClose {
public:
    explicit ProfileAtClose(std::filesystem::path file) : file_(std::move(file)) {}

    BoardEnd::FrameHook Hook()
    {
        return [this](const std::string& frame) {
            if (frame.rfind("$ACT", 0) != 0) return;
            std::string text = "<no file>";
            if (std::ifstream in{file_, std::ios::binary}) {
                std::ostringstream all;
                all << in.rdbuf();
                text = all.str();
            }
            std::lock_guard lock(mutex_);
            text_ = std::move(text);
        };
    }
    std::optional<std::string> Text() const
    {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    std::filesystem::path file_;
    mutable std::mutex mutex_;
    std::optional<std::string> text_;
};

// Activates `dialog`'s window, runs `script` inside its modal loop, and ends
// the dialog with a failure if the script left it open. Active itself, not
// only through its owner: F1 and other shortcuts need that.
template <class Dialog>
void DriveModal(Dialog& dialog, const std::function<void(Dialog&)>& script, const char* what)
{
    dialog.m_hWnd->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&dialog] { return QApplication::activeWindow() == dialog.m_hWnd; }, 2000));
    script(dialog);
    if (!dialog.Ended()) {
        ADD_FAILURE() << what << " was left open";
        dialog.EndDialog(IDCANCEL);
    }
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        configDir_ = TestRoot() / name;
        std::filesystem::create_directories(configDir_);
        ::setenv("XDG_CONFIG_HOME", configDir_.c_str(), 1);
    }

    std::filesystem::path ProfileFile() const { return ProfilePath(AfxGetAppName()); }

    void WriteFile(const std::string& text) const
    {
        std::ofstream out(ProfileFile(), std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::optional<std::string> ReadFile() const
    {
        std::ifstream in(ProfileFile(), std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    std::optional<std::string> StoredPort() const { return Profile(ProfileFile()).GetString("Device", "Port"); }

    // Runs InitInstance; `script` runs inside the main window's modal loop once
    // the window is up and active, and must end the window. Returns what
    // InitInstance returned.
    BOOL RunProgram(const std::function<void(CSensorDlg&)>& script)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = dynamic_cast<CSensorDlg*>(app_.m_pMainWnd);
            if (dlg == nullptr) {
                ADD_FAILURE() << "the main window is not the application's main window";
                return;
            }
            ran = true;
            dlg_ = dlg;
            DriveModal(*dlg, script, "the main window");
        });
        const BOOL result = app_.InitInstance();
        dlg_ = nullptr;
        EXPECT_TRUE(ran);
        EXPECT_EQ(app_.m_pMainWnd, nullptr);
        return result;
    }

    // ---- inside a script
    QWidget* Item(CSensorDlg& dlg, int id) const { return dlg.GetDlgItem(id)->m_hWnd; }
    int Selection(CSensorDlg& dlg) const { return static_cast<int>(dlg.m_portSelector.SendMessage(CB_GETCURSEL)); }
    void Key(CSensorDlg& dlg, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) const
    {
        QWidget* focus = dlg.m_hWnd->focusWidget();
        QTest::keyClick(focus != nullptr ? focus : dlg.m_hWnd, key, mods);
    }
    // Replaces an edit box's text as an operator does: focus, select all, type.
    void Type(CSensorDlg& dlg, int id, const QString& text) const
    {
        QWidget* edit = Item(dlg, id);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    }
    // The window menu that is open, if any.
    static QMenu* OpenMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
    static std::vector<std::string> MenuTexts(QMenu* menu)
    {
        std::vector<std::string> texts;
        for (QAction* a : menu->actions()) texts.push_back(a->text().toStdString());
        return texts;
    }

    CSensorApp app_;
    std::filesystem::path configDir_;
    // mainWindowClosing: the main window's modal run had ended.
    ShownBoxes boxes_{[this] { return dlg_ != nullptr && dlg_->Ended(); }};

private:
    CSensorDlg* dlg_ = nullptr;
};

}  // namespace velk::test
