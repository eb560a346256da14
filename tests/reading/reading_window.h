// The main window on a pseudo-terminal, for tests of what a reading shows.
// The window is created without a modal loop; the test drives it and waits
// for what it expects with deadlines.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <fstream>
#include <functional>
#include <string>

#include "platform/profile.h"
#include "res/pictures.h"
#include "tests/support/pty_pair.h"
#include "tests/support/shown_boxes.h"
#include "ui/sensor_dlg.h"

namespace velk::test {

inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

// The window with COM1 mapped to `devicePath` (or to nothing) and selected.
class WindowFixture : public ::testing::Test {
protected:
    void OpenWindow(const std::string& devicePath = {})
    {
        ASSERT_TRUE(config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        std::ofstream(ProfilePath(AfxGetAppName())) << "[Device]\nPort=COM1\n" << PortsSection({{1, devicePath}});
        ASSERT_TRUE(dlg_.Create());
        ASSERT_NE(dlg_.m_hWnd, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.m_hWnd));
    }

    void TearDown() override
    {
        if (dlg_.m_hWnd != nullptr) dlg_.DestroyWindow();
    }

    void Click(int id)
    {
        CWnd* button = dlg_.GetDlgItem(id);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button->m_hWnd, Qt::LeftButton);
    }

    void Connect()
    {
        Click(IDC_CONNECT);
        ASSERT_FALSE(dlg_.GetDlgItem(IDC_CONNECT)->IsWindowEnabled()) << "not connected: " << boxes_;
    }
    void Disconnect()
    {
        Click(IDC_DISCONNECT);
        ASSERT_TRUE(dlg_.GetDlgItem(IDC_CONNECT)->IsWindowEnabled());
    }

    std::string Text(int id) const { return dlg_.GetDlgItemText(id); }
    // The received-data text without its line end.
    std::string Received() const
    {
        std::string text = Text(IDC_RECEIVED);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }
    int BarPosition(int id) const
    {
        const auto* bar = qobject_cast<QProgressBar*>(dlg_.GetDlgItem(id)->m_hWnd);
        return bar != nullptr ? bar->value() : -9999;
    }

    QRect ChartRect() const
    {
        return {dlg_.m_chartLeft, dlg_.m_chartTop, dlg_.m_chartWidth, dlg_.m_chartHeight};
    }
    // The window as a fresh paint draws it (every widget painted anew).
    QImage Rendered() const { return dlg_.m_hWnd->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The window as it stands on the screen: what the paints so far have left.
    QImage OnScreen() const
    {
        return dlg_.m_hWnd->screen()->grabWindow(dlg_.m_hWnd->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    ShownBoxes boxes_;
    QTemporaryDir config_;
    CSensorDlg dlg_;
};

// How a shown chart differs from the bare picture: every differing pixel must
// be white (the marker), and together they span `box`.
struct ChartDiff {
    int count = 0;
    int notWhite = 0;
    QRect box;
};

inline ChartDiff DiffFromPicture(const QImage& chart)
{
    static const QImage picture = MakeChartPicture().convertToFormat(QImage::Format_RGB32);
    ChartDiff diff;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            if (chart.pixel(x, y) == picture.pixel(x, y)) continue;
            ++diff.count;
            if (chart.pixel(x, y) != 0xFFFFFFFFu) ++diff.notWhite;
            diff.box |= QRect(x, y, 1, 1);
        }
    return diff;
}

}  // namespace velk::test
