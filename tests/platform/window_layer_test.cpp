// The window layer's controls, timers, message boxes and dispatch, on a
// dialog of the test's own built from template 102.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/window.h"
#include "res/resource.h"

namespace velk {
namespace {

using Clock = std::chrono::steady_clock;

class TestDlg : public CDialog {
public:
    TestDlg() : CDialog(IDD_SENSOR_DIALOG) {}

    void OnTimer(UINT_PTR id)
    {
        ticks.push_back(Clock::now());
        if (id != 1) return;
        if (blockFirstTickMs > 0 && ticks.size() == 1) {
            const auto until = Clock::now() + std::chrono::milliseconds(blockFirstTickMs);
            while (Clock::now() < until) {
            }
            blockEnded = Clock::now();
        }
        if (inBox) {
            ++ticksInBox;
            if (ticksInBox == 3)
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    seenText = box->text().toStdString();
                    seenCaption = box->windowTitle().toStdString();
                    seenDetail = box->detailedText().toStdString();
                    seenIcon = box->icon();
                    box->accept();
                }
        }
    }
    void OnConnectClicked()
    {
        inBox = true;
        MessageBox("ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません", "ﾃﾞﾊﾞｲｽｴﾗｰ", MB_ICONWARNING, "COM3 (/dev/x): busy\n");
        inBox = false;
    }
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar)
    {
        events.push_back({WM_HSCROLL, code, static_cast<int>(pos), static_cast<int>(bar->SendMessage(TBM_GETPOS))});
    }
    void OnReleased(NMHDR* header, LRESULT* result)
    {
        events.push_back({WM_NOTIFY, header->code, static_cast<int>(header->idFrom), 0});
        *result = 0;
    }

    struct Event {
        UINT message;
        UINT code;
        int arg;
        int position;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;
    std::vector<Clock::time_point> ticks;
    int blockFirstTickMs = 0;
    Clock::time_point blockEnded;
    bool inBox = false;
    int ticksInBox = 0;
    std::string seenText, seenCaption, seenDetail;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;

protected:
    bool OnWindowMessage(Message& msg) override { return DispatchThroughMap(*this, kMap, msg); }

private:
    static const MessageMapEntry<TestDlg> kMap[4];
};

const MessageMapEntry<TestDlg> TestDlg::kMap[4] = {
    {WM_TIMER, 0, kFromWindow, &TestDlg::OnTimer},
    {WM_COMMAND, BN_CLICKED, IDC_CONNECT, &TestDlg::OnConnectClicked},
    {WM_HSCROLL, 0, kAnyControl, &TestDlg::OnHScroll},
    {WM_NOTIFY, NM_RELEASEDCAPTURE, IDC_LED_SLIDER, &TestDlg::OnReleased},
};

class WindowLayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dlg.Create()); }
    void TearDown() override { dlg.DestroyWindow(); }
    CWnd& Item(int id) { return *dlg.GetDlgItem(id); }
    TestDlg dlg;
};

TEST_F(WindowLayerTest, ComboBoxMessages)
{
    CWnd& combo = Item(IDC_PORT_SELECTOR);
    for (const char* text : {"(自動認識)", "COM1", "COM12", "com1"})
        combo.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(combo.SendMessage(CB_GETCURSEL), -1);
    EXPECT_EQ(combo.GetWindowText(), "") << "no selection, no text";

    struct Find {
        int start;
        const char* text;
        LRESULT found;
    };
    const Find finds[] = {{-1, "com12", 2}, {-1, "COM1", 1}, {1, "COM1", 3}, {3, "COM1", 1},
                          {-1, "COM", CB_ERR}, {-1, "", CB_ERR}, {-1, "(自動認識)", 0}};
    for (const Find& f : finds) {
        SCOPED_TRACE(f.text);
        EXPECT_EQ(combo.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(f.start), reinterpret_cast<LPARAM>(f.text)),
                  f.found);
    }
    EXPECT_EQ(combo.SendMessage(CB_SETCURSEL, 2), 2);
    EXPECT_EQ(combo.GetWindowText(), "COM12");
    EXPECT_EQ(combo.SendMessage(CB_SETCURSEL, 4), CB_ERR);
    EXPECT_EQ(combo.SendMessage(CB_GETCURSEL), -1) << "an index past the end clears the selection";
}

TEST_F(WindowLayerTest, ProgressBarShowsAPositionOutsideItsRangeAtTheNearestEnd)
{
    CWnd& bar = Item(IDC_BAR_RED);
    auto* widget = qobject_cast<QProgressBar*>(bar.m_hWnd);
    EXPECT_EQ(bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 1023)), MAKELPARAM(0, 100));
    EXPECT_EQ(widget->orientation(), Qt::Vertical);
    EXPECT_FALSE(widget->isTextVisible());
    const std::pair<int, int> cases[] = {{500, 500}, {1023, 1023}, {5000, 1023}, {-3, 0}, {0, 0}};
    for (const auto& [pos, shown] : cases) {
        bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(static_cast<LPARAM>(pos)));
        EXPECT_EQ(widget->value(), shown) << pos;
    }
}

TEST_F(WindowLayerTest, UpDownRangeIsPackedUpperLowLowerHigh)
{
    dlg.GetDlgItem(1043)->SendMessage(UDM_SETRANGE, 0, MAKELPARAM(127, -128));
    auto* edit = qobject_cast<QLineEdit*>(Item(IDC_OFFSET_RED).m_hWnd);
    edit->setText("-128");
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(edit->text(), "-128");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "-127");

    // Before any range the platform's default runs from 100 down to 0: up decreases.
    auto* cap = qobject_cast<QLineEdit*>(Item(IDC_CAP_RED).m_hWnd);
    cap->setText("50");
    QTest::keyClick(cap, Qt::Key_Up);
    EXPECT_EQ(cap->text(), "49");
}

TEST_F(WindowLayerTest, TrackbarNotifiesEveryScrollActionAndTheRelease)
{
    CWnd& slider = Item(IDC_LED_SLIDER);
    slider.SendMessage(TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
    auto* widget = qobject_cast<QSlider*>(slider.m_hWnd);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Right);
    QTest::keyClick(widget, Qt::Key_PageDown);
    QTest::keyClick(widget, Qt::Key_Up);
    QTest::keyClick(widget, Qt::Key_End);
    using E = TestDlg::Event;
    EXPECT_EQ(dlg.events, (std::vector<E>{{WM_HSCROLL, TB_LINEDOWN, 0, 1},
                                          {WM_HSCROLL, TB_ENDTRACK, 0, 1},
                                          {WM_HSCROLL, TB_PAGEDOWN, 0, 52},
                                          {WM_HSCROLL, TB_ENDTRACK, 0, 52},
                                          {WM_HSCROLL, TB_LINEUP, 0, 51},
                                          {WM_HSCROLL, TB_ENDTRACK, 0, 51},
                                          {WM_HSCROLL, TB_BOTTOM, 0, 255},
                                          {WM_HSCROLL, TB_ENDTRACK, 0, 255}}));

    // A click on the channel left of the thumb: a page back, then the release.
    dlg.events.clear();
    QStyleOptionSlider option;
    option.initFrom(widget);
    option.orientation = Qt::Horizontal;
    option.minimum = 0;
    option.maximum = 255;
    option.sliderPosition = 255;
    const QRect handle = widget->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(handle.left() - 20, widget->height() / 2));
    ASSERT_GE(dlg.events.size(), 3u);
    EXPECT_EQ(dlg.events.front(), (E{WM_HSCROLL, TB_PAGEUP, 0, 204}));
    EXPECT_EQ(dlg.events[dlg.events.size() - 2], (E{WM_HSCROLL, TB_ENDTRACK, 0, 204}));
    EXPECT_EQ(dlg.events.back(), (E{WM_NOTIFY, NM_RELEASEDCAPTURE, IDC_LED_SLIDER, 0}));
}

// A tick that comes due while a handler runs arrives once afterwards, not as
// a backlog; KillTimer stops the ticks.
TEST_F(WindowLayerTest, ALateTickNeverPilesUp)
{
    dlg.blockFirstTickMs = 200;  // four periods
    dlg.SetTimer(1, 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.ticks.size() >= 3; }, 3000));
    std::size_t soonAfter = 0;
    for (std::size_t i = 1; i < dlg.ticks.size(); ++i)
        if (dlg.ticks[i] - dlg.blockEnded < std::chrono::milliseconds(25)) ++soonAfter;
    EXPECT_LE(soonAfter, 1u);
    EXPECT_EQ(dlg.KillTimer(1), TRUE);
    const std::size_t stopped = dlg.ticks.size();
    QTest::qWait(120);
    EXPECT_EQ(dlg.ticks.size(), stopped);
    EXPECT_EQ(dlg.KillTimer(1), FALSE);
}

// The real message box: text, caption, icon and expandable detail, modal,
// while the window's ticks go on.
TEST_F(WindowLayerTest, TicksContinueWhileAMessageBoxIsOpen)
{
    dlg.SetTimer(1, 20);
    QTest::mouseClick(Item(IDC_CONNECT).m_hWnd, Qt::LeftButton);  // returns once the box is closed
    EXPECT_FALSE(dlg.inBox);
    EXPECT_EQ(dlg.ticksInBox, 3);
    EXPECT_EQ(dlg.seenText, "ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません");
    EXPECT_EQ(dlg.seenCaption, "ﾃﾞﾊﾞｲｽｴﾗｰ");
    EXPECT_EQ(dlg.seenDetail, "COM3 (/dev/x): busy\n");
    EXPECT_EQ(dlg.seenIcon, QMessageBox::Warning);
}

TEST_F(WindowLayerTest, ControlsByIdAndWindowText)
{
    EXPECT_EQ(dlg.GetDlgItem(9999), nullptr);
    EXPECT_EQ(Item(IDC_LED_SLIDER).GetWindowText(), "Slider1");
    EXPECT_EQ(Item(IDC_DISCONNECT).EnableWindow(TRUE), TRUE) << "it was disabled";
    EXPECT_EQ(Item(IDC_DISCONNECT).EnableWindow(FALSE), FALSE);

    const char* line = "$ADD0001,0002,0003,0004*1F\r\n";
    dlg.SetDlgItemText(IDC_RECEIVED, line);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RECEIVED), line);
    char small[6];
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RECEIVED, small, sizeof small), 5);
    EXPECT_STREQ(small, "$ADD0");
    dlg.SetDlgItemText(IDC_RECEIVED, "受信");  // six bytes: a copy never ends inside a character
    EXPECT_EQ(dlg.GetDlgItemText(IDC_RECEIVED, small, 5), 3);
    EXPECT_STREQ(small, "受");
}

}  // namespace
}  // namespace velk

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);  // test discovery runs without ctest's environment
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
