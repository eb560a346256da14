// The main window built offscreen on a profile of the test's own, with every
// message box answered and recorded.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile.h"
#include "platform/window.h"
#include "tests/support/pty_pair.h"
#include "tests/support/shown_boxes.h"
#include "ui/sensor_dlg.h"

namespace velk::test {

inline constexpr int kConnectedSet[] = {IDC_DISCONNECT,    IDC_SET_PARAMETERS, IDC_READ_PARAMETERS,
                                        IDC_WHITE_BALANCE, IDC_SENSOR_RESET,   IDC_OFFSET_MODE};

class UiFixture : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (dlg_) dlg_->DestroyWindow();
        dlg_.reset();
        std::error_code ec;
        std::filesystem::remove(ProfilePath(AfxGetAppName()), ec);
    }

    // The profile: [Device] Port (none: no key) and a [Ports] section that maps
    // the given ports and gives every other port no device.
    static void WriteProfile(const char* port, std::initializer_list<std::pair<int, std::string>> mapped)
    {
        std::ofstream out(ProfilePath(AfxGetAppName()), std::ios::trunc);
        if (port != nullptr) out << "[Device]\nPort=" << port << "\n";
        out << PortsSection(mapped);
    }

    void Open()
    {
        dlg_ = std::make_unique<CSensorDlg>();
        ASSERT_TRUE(dlg_->Create());
        QWidget* window = dlg_->m_hWnd;
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    CSensorDlg& Dlg() { return *dlg_; }
    QWidget* Window() { return dlg_->m_hWnd; }
    QWidget* Item(int id) const
    {
        CWnd* item = dlg_->GetDlgItem(id);
        return item != nullptr ? item->m_hWnd : nullptr;
    }
    std::string Text(int id) const { return dlg_->GetDlgItemText(id); }
    bool Enabled(int id) const { return dlg_->GetDlgItem(id)->IsWindowEnabled() != FALSE; }
    void Click(int id) { QTest::mouseClick(Item(id), Qt::LeftButton); }
    void Select(int index) { dlg_->m_portSelector.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)); }

    void ExpectConnected(bool connected)
    {
        EXPECT_EQ(Enabled(IDC_CONNECT), !connected);
        for (int id : kConnectedSet) EXPECT_EQ(Enabled(id), connected) << id;
        EXPECT_EQ(dlg_->m_hPort != INVALID_HANDLE_VALUE, connected);
    }

    ShownBoxes boxes_;

private:
    std::unique_ptr<CSensorDlg> dlg_;
};

}  // namespace velk::test
