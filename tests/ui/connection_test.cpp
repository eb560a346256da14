// The connection lifecycle through the window: connect on a chosen port or by
// automatic detection, polling, disconnect and link loss, each against the
// simulated board (or a scripted far end) on pseudo-terminals.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>

#include "device/framing.h"
#include "dialog_fixture.h"
#include "simulator/simulated_board.h"
#include "tests/support/board_end.h"

namespace velk::test {
namespace {

// A frame as the board logs it: body and checksum, without the carriage return.
std::string Frame(const char* body)
{
    std::string f = *FormatFrame("%s", body);
    f.pop_back();
    return f;
}

std::unique_ptr<sim::SimulatedBoard> StartBoard(sim::BoardOptions options = {})
{
    options.seed = 1;
    auto board = std::make_unique<sim::SimulatedBoard>(std::move(options));
    std::string error;
    EXPECT_TRUE(board->Open(&error)) << error;
    EXPECT_TRUE(board->Start());
    return board;
}

using ConnectionTest = UiFixture;

TEST_F(ConnectionTest, ConnectOnAChosenPortHandshakesStartsReportingAndSendsTheLedLevel)
{
    auto board = StartBoard();
    WriteProfile("COM3", {{3, board->DevicePath()}});
    Open();
    auto* slider = qobject_cast<QSlider*>(Item(IDC_LED_SLIDER));
    slider->setSliderPosition(0x80);  // moved while disconnected: sent at the connect

    Click(IDC_CONNECT);
    ASSERT_TRUE(boxes_.empty()) << boxes_[0].detail;
    ExpectConnected(true);
    ASSERT_TRUE(board->WaitForFrames(3, 2000));
    EXPECT_EQ(board->Frames(), (std::vector<std::string>{Frame("$ACV"), Frame("$ACS0064"), Frame("$ACL80")}));
    EXPECT_EQ(Text(IDC_LED_LEVEL), "128");

    // Polled lines reach the received-data text and the reading pipeline.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text(IDC_RECEIVED).rfind("$ADD", 0) == 0; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text(IDC_LEVEL_RED) != "0"; }, 3000));

    Click(IDC_DISCONNECT);
    ExpectConnected(false);
    ASSERT_TRUE(board->WaitForFrames(4, 2000));
    EXPECT_EQ(board->Frames().back(), Frame("$ACT"));
    const std::string last = Text(IDC_RECEIVED);
    QTest::qWait(150);  // no tick runs once disconnected
    EXPECT_EQ(Text(IDC_RECEIVED), last);
    EXPECT_EQ(board->Frames().size(), 4u);
}

TEST_F(ConnectionTest, APolledLineIsShownExactlyAsRead)
{
    const std::string line = "$XYZ \t\x01\xc3\xa4 odd bytes\r\n";
    BoardEnd end;  // the test's own, so that a tick reads exactly these bytes
    end.SetLine(line);
    WriteProfile("COM7", {{7, end.DevicePath()}});
    Open();
    Click(IDC_CONNECT);
    ExpectConnected(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text(IDC_RECEIVED) == line; }, 3000)) << Text(IDC_RECEIVED);
    EXPECT_EQ(qobject_cast<QLabel*>(Item(IDC_RECEIVED))->text().toStdString(), "$XYZ ä odd bytes");
}

// Automatic detection over: an absent device, a port another opener holds, a
// silent board, a board that answers with something else, then the board.
// Every port that opened heard "$ACV"; the board is found; the selector stays.
TEST_F(ConnectionTest, AutomaticDetectionSkipsEveryPortThatIsNotTheBoard)
{
    PtyPair held;
    OpenError heldError;
    PortHandle holder = velk::OpenDevice(held.slavePath(), &heldError);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE) << heldError.reason;
    sim::BoardOptions silentOptions;
    silentOptions.silent = true;
    auto silent = StartBoard(silentOptions);
    sim::BoardOptions otherOptions;
    otherOptions.handshakeText = "$VELOCITY 12";
    auto other = StartBoard(otherOptions);
    auto board = StartBoard();
    WriteProfile("(自動認識)", {{2, "/nonexistent/velk-tty"},
                               {3, held.slavePath()},
                               {4, silent->DevicePath()},
                               {5, other->DevicePath()},
                               {6, board->DevicePath()}});
    Open();
    Click(IDC_CONNECT);
    EXPECT_TRUE(boxes_.empty());
    ExpectConnected(true);
    EXPECT_EQ(Dlg().m_portSelector.SendMessage(CB_GETCURSEL), 0);

    EXPECT_EQ(silent->Frames(), std::vector<std::string>{Frame("$ACV")});
    EXPECT_EQ(other->Frames(), std::vector<std::string>{Frame("$ACV")});
    ASSERT_TRUE(board->WaitForFrames(3, 2000));
    EXPECT_EQ(board->Frames()[0], Frame("$ACV"));
    EXPECT_EQ(board->Frames()[1], Frame("$ACS0064"));
    EXPECT_EQ(held.Drain(), "") << "the held port was never written";
    ClosePort(holder);
}

TEST_F(ConnectionTest, AFailedConnectShowsWhyAndStaysDisconnected)
{
    PtyPair held;
    PortHandle holder = velk::OpenDevice(held.slavePath());
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    auto other = StartBoard([] {
        sim::BoardOptions o;
        o.handshakeText = "$velk lower case";
        return o;
    }());
    struct Case {
        int index;
        const char* text;
        const char* caption;
        UINT icon;
        std::string inDetail;
    };
    const Case cases[] = {
        {2, "ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません", "ﾃﾞﾊﾞｲｽｴﾗｰ", MB_ICONWARNING, "/nonexistent/velk-tty"},
        {3, "ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません", "ﾃﾞﾊﾞｲｽｴﾗｰ", MB_ICONWARNING, held.slavePath()},
        {5, "ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません", "ﾃﾞﾊﾞｲｽｴﾗｰ", MB_ICONWARNING, "$velk lower case"},
        {9, "ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません", "ﾃﾞﾊﾞｲｽｴﾗｰ", MB_ICONWARNING, "COM9"},
        // only the held port exists among COM1 to COM255 but the board's rival: it is named
        {0, "VELKセンサボードが見つかりません", "自動認識", MB_ICONINFORMATION, held.slavePath()},
    };
    WriteProfile("COM1", {{2, "/nonexistent/velk-tty"}, {3, held.slavePath()}, {5, other->DevicePath()}});
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        boxes_.clear();
        Select(c.index);
        Click(IDC_CONNECT);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, c.text);
        EXPECT_EQ(boxes_[0].caption, c.caption);
        EXPECT_EQ(boxes_[0].type & MB_ICONMASK, c.icon);
        EXPECT_NE(boxes_[0].detail.find(c.inDetail), std::string::npos) << boxes_[0].detail;
        ExpectConnected(false);
    }
    EXPECT_EQ(other->Frames().size(), 2u) << "COM5 answered twice, never with $ACT";
    ClosePort(holder);
}

TEST_F(ConnectionTest, NoSelectionDoesNothing)
{
    auto board = StartBoard();
    WriteProfile("COM256", {{1, board->DevicePath()}});
    Open();
    ASSERT_EQ(Dlg().m_portSelector.SendMessage(CB_GETCURSEL), -1);
    Click(IDC_CONNECT);
    EXPECT_TRUE(boxes_.empty());
    ExpectConnected(false);
    EXPECT_TRUE(board->Frames().empty());
}

TEST_F(ConnectionTest, ABoardThatHangsUpLeavesTheWindowDisconnectedSilently)
{
    sim::BoardOptions options;
    options.hangUpAfterLines = 6;  // the three handshake lines and three readings
    auto board = StartBoard(options);
    WriteProfile("COM1", {{1, board->DevicePath()}});
    Open();
    Click(IDC_CONNECT);
    ExpectConnected(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Enabled(IDC_CONNECT); }, 5000));
    ExpectConnected(false);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Text(IDC_RECEIVED).rfind("$ADD", 0), 0u) << "the last line shown stays";

    // A new connect starts from the beginning.
    auto again = StartBoard();
    WriteProfile("COM1", {{1, again->DevicePath()}});
    Click(IDC_CONNECT);
    ExpectConnected(true);
}

// The picture of the window for the README, connected with live readings, and
// a few facts about where things are in it.
TEST_F(ConnectionTest, WindowRendersWithBarsAndChartWhereTheTemplatePutsThem)
{
    sim::BoardOptions options;
    options.target = {0.85, 0.55, 0.15};
    auto board = StartBoard(options);
    WriteProfile("COM1", {{1, board->DevicePath()}});
    Open();
    qobject_cast<QSlider*>(Item(IDC_LED_SLIDER))->setSliderPosition(90);
    Click(IDC_CONNECT);
    ExpectConnected(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Text(IDC_LEVEL_RED) != "0"; }, 3000));
    QTest::qWait(200);  // a few more readings, so the bars and marker settle
    Item(IDC_PORT_SELECTOR)->setFocus();

    const QImage image = Window()->grab().toImage();
    ASSERT_TRUE(image.save(QStringLiteral(VELK_WINDOW_PNG)));
    const qreal dpr = image.devicePixelRatio();
    auto at = [&](int x, int y) { return image.pixelColor(QPoint(qRound(x * dpr), qRound(y * dpr))); };

    // The chart's picture: yellow at column 59 of its top rows, black at its bottom.
    const int left = Dlg().m_chartLeft;
    const int top = Dlg().m_chartTop;
    const QColor yellow = at(left + 59, top + 1);
    EXPECT_GT(yellow.red(), 240);
    EXPECT_GT(yellow.green(), 240);
    EXPECT_LT(yellow.blue(), 20);
    EXPECT_EQ(at(left + 300, top + Dlg().m_chartHeight - 1), QColor(Qt::black));
    EXPECT_NE(at(left - 2, top + 100), at(left + 2, top + 100)) << "the chart starts at its left edge";

    // Bars: each filled from the bottom up to its level, empty above.
    for (int id : {IDC_BAR_RED, IDC_BAR_GREEN}) {
        SCOPED_TRACE(id);
        const QRect bar = Item(id)->geometry();
        auto* progress = qobject_cast<QProgressBar*>(Item(id));
        ASSERT_GT(progress->value(), 100);
        ASSERT_LT(progress->value(), 1000);
        const QColor bottom = at(bar.center().x(), bar.bottom() - 4);
        const QColor topColour = at(bar.center().x(), bar.top() + 4);
        EXPECT_NE(bottom, topColour);
        EXPECT_EQ(bottom, at(bar.center().x(), bar.top() + bar.height() * 5 / 6));
    }
    EXPECT_EQ(Item(IDC_BAR_RED)->geometry(), QRect(33, 348, 30, 221));
}

}  // namespace
}  // namespace velk::test
