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
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/profile.h"
#include "platform/window.h"
#include "ui/app.h"
#include "ui/sensor_dlg.h"

namespace velk::test {

extern std::filesystem::path g_testRoot;

struct ShownBox {
    std::string text;
    std::string caption;
    UINT type = 0;
    QWidget* owner = nullptr;
    bool mainWindowClosing = false;  // the main window's modal run had ended
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        configDir_ = g_testRoot / name;
        std::filesystem::create_directories(configDir_);
        ::setenv("XDG_CONFIG_HOME", configDir_.c_str(), 1);
        previousSeam_ = SetMessageBoxSeam({&ShellTest::Answer, this});
    }
    void TearDown() override { SetMessageBoxSeam(previousSeam_); }

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
            dlg->m_hWnd->activateWindow();
            EXPECT_TRUE(QTest::qWaitFor([dlg] { return QApplication::activeWindow() == dlg->m_hWnd; }, 2000));
            script(*dlg);
            if (!dlg->Ended()) {
                ADD_FAILURE() << "the script left the window open";
                dlg->EndDialog(IDCANCEL);
            }
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
    std::vector<ShownBox> boxes_;

private:
    static int Answer(const MessageBoxRequest& request, void* context)
    {
        auto* self = static_cast<ShellTest*>(context);
        self->boxes_.push_back({request.text, request.caption, request.type, request.owner,
                                self->dlg_ != nullptr && self->dlg_->Ended()});
        return IDOK;
    }

    CSensorDlg* dlg_ = nullptr;
    MessageBoxSeam previousSeam_;
};

}  // namespace velk::test
