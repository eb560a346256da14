// Reading lines through the main window: texts, bars and the chart's marker,
// from a far end that writes exact lines and from the simulated board.
#include "tests/reading/reading_window.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "simulator/simulated_board.h"
#include "tests/support/board_end.h"

namespace velk::test {
namespace {

class ReadingWindowTest : public WindowFixture {
protected:
    // Writes one line and waits until the poll has shown it.
    void Feed(const BoardEnd& board, const std::string& line)
    {
        ASSERT_TRUE(board.Send(line + "\n"));
        ASSERT_TRUE(WaitUntil([&] { return Received() == line; })) << "not polled: " << line;
    }

    std::array<std::string, 7> Texts() const
    {
        return {Text(IDC_LEVEL_RED), Text(IDC_LEVEL_GREEN), Text(IDC_LEVEL_BLUE), Text(IDC_LEVEL_CLEAR),
                Text(IDC_HUE),       Text(IDC_SATURATION),  Text(IDC_VALUE)};
    }
    std::array<int, 4> Bars() const
    {
        return {BarPosition(IDC_BAR_RED), BarPosition(IDC_BAR_GREEN), BarPosition(IDC_BAR_BLUE),
                BarPosition(IDC_BAR_CLEAR)};
    }
};

struct LineCase {
    const char* line;
    std::array<const char*, 7> texts;  // red, green, blue', clear; hue, saturation, value
    std::array<int, 4> bars;           // as the bars show them: within 0 to 1023
};

// clang-format off
const LineCase kLines[] = {
    // worked example: blue 728 becomes 800
    {"$ADD200,280,2D8,3FF*00", {"512", "640", "800", "1023", "213", "36", "78"}, {512, 640, 800, 1023}},
    // red and green tie at the maximum: the red formula, just below 60
    {"$ADD2BC,2BC,5B,0*00", {"700", "700", "100", "0", "59", "85", "68"}, {700, 700, 100, 0}},
    // red above 1023 is shown as received; the bar stops at its end
    {"$ADD44C,0,0,0*00", {"1100", "0", "0", "0", "0", "100", "107"}, {1023, 0, 0, 0}},
    // blue FFFFFFFF is -1; -1.1 truncates to -1
    {"$ADD0,0,FFFFFFFF,5*00", {"0", "0", "-1", "5", "60", "0", "0"}, {0, 0, 0, 5}},
    // blue 7FFFFFFF: the gain in 64 bits gives the capped 1023, not a wrapped level
    {"$ADD100,80,7FFFFFFF,10*00", {"256", "128", "1023", "16", "248", "87", "100"}, {256, 128, 1023, 16}},
    // levels at the ends of the int range: max - min needs 64 bits
    {"$ADD7FFFFFFF,80000000,0,0*00",
     {"2147483647", "-2147483648", "0", "0", "329", "200", "209920200"}, {1023, 0, 0, 0}},
    // lower-case digits, grey at full level: no hue, no saturation
    {"$ADD3ff,3ff,3ff,3ff*00", {"1023", "1023", "1023", "1023", "0", "0", "100"}, {1023, 1023, 1023, 1023}},
    // no checksum at all: used like any other line
    {"$ADD1,2,3,4", {"1", "2", "3", "4", "210", "66", "0"}, {1, 2, 3, 4}},
    // all zero
    {"$ADD0,0,0,0*00", {"0", "0", "0", "0", "0", "0", "0"}, {0, 0, 0, 0}},
};
// clang-format on

TEST_F(ReadingWindowTest, EachLineShowsItsLevelsColourAndBars)
{
    BoardEnd board;
    ASSERT_TRUE(board.ok());
    OpenWindow(board.DevicePath());
    // Until the first reading the colour texts keep their letters.
    EXPECT_EQ(Text(IDC_HUE), "H:000");
    EXPECT_EQ(Text(IDC_SATURATION), "S:000");
    EXPECT_EQ(Text(IDC_VALUE), "V:000");
    Connect();

    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.line);
        Feed(board, c.line);
        const auto texts = Texts();
        for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], c.texts[i]) << "text " << i;
        EXPECT_EQ(Bars(), c.bars);
    }
    Disconnect();
}

TEST_F(ReadingWindowTest, ShortLineChangesNothingButTheReceivedText)
{
    BoardEnd board;
    ASSERT_TRUE(board.ok());
    OpenWindow(board.DevicePath());
    Connect();
    Feed(board, "$ADD200,280,2D8,3FF*00");
    const auto texts = Texts();
    const auto bars = Bars();
    const double hue = dlg_.m_hue;
    const double saturation = dlg_.m_saturation;
    const double value = dlg_.m_value;

    for (const char* line : {"$ADD10,20,30", "$ADD10", "$ADD", "$ADD10,20,zz,40*00"}) {
        SCOPED_TRACE(line);
        Feed(board, line);
        EXPECT_EQ(Texts(), texts);
        EXPECT_EQ(Bars(), bars);
        EXPECT_EQ(dlg_.m_hue, hue);
        EXPECT_EQ(dlg_.m_saturation, saturation);
        EXPECT_EQ(dlg_.m_value, value);
    }
    Disconnect();
    // The marker stays where the last whole reading put it.
    EXPECT_TRUE(WaitUntil([&] { return DiffFromPicture(OnScreen().copy(ChartRect())).box == QRect(209, 67, 8, 8); }));
}

// A second reading moves the marker: the screen keeps no trace of the first,
// and nothing shows outside the chart.
TEST_F(ReadingWindowTest, SecondReadingLeavesExactlyOneMarker)
{
    BoardEnd board;
    ASSERT_TRUE(board.ok());
    OpenWindow(board.DevicePath());
    const QImage before = OnScreen();
    Connect();
    // hue 213, row 71; then hue 120, value 512/1023 (row 163)
    Feed(board, "$ADD200,280,2D8,3FF*00");
    ASSERT_TRUE(WaitUntil([&] { return DiffFromPicture(OnScreen().copy(ChartRect())).count == 20; }));
    Feed(board, "$ADD0,200,0,0*00");
    Disconnect();

    const QRect second(116, 159, 8, 8);
    ASSERT_TRUE(WaitUntil([&] { return DiffFromPicture(OnScreen().copy(ChartRect())).box == second; }));
    const QImage after = OnScreen();
    const ChartDiff diff = DiffFromPicture(after.copy(ChartRect()));
    EXPECT_EQ(diff.count, 20);
    EXPECT_EQ(diff.notWhite, 0);

    // Next to the chart nothing changed but the texts, bars and buttons that
    // the connection and the readings change.
    QRegion changing;
    for (int id : {IDC_LEVEL_RED, IDC_LEVEL_GREEN, IDC_LEVEL_BLUE, IDC_LEVEL_CLEAR, IDC_HUE, IDC_SATURATION,
                   IDC_VALUE, IDC_BAR_RED, IDC_BAR_GREEN, IDC_BAR_BLUE, IDC_BAR_CLEAR, IDC_RECEIVED, IDC_CONNECT,
                   IDC_DISCONNECT})
        changing += dlg_.GetDlgItem(id)->m_hWnd->geometry();
    const QRect around = ChartRect().adjusted(-8, -8, 8, 8);
    for (int y = around.top(); y <= around.bottom(); ++y)
        for (int x = around.left(); x <= around.right(); ++x) {
            if (ChartRect().contains(x, y) || !after.rect().contains(x, y) || changing.contains(QPoint(x, y)))
                continue;
            ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
}

// With the simulated board: what the window shows is what the last polled
// line says; it stays while disconnected and a reading after a reconnection
// overwrites it.
TEST_F(ReadingWindowTest, SimulatedBoardReadingsStayUntilTheNextConnection)
{
    sim::BoardOptions options;
    options.target = {0.25, 0.45, 0.5};  // a teal: mid-range levels, marker well inside
    options.ambient = 1.0;  // the levels do not depend on the LED
    options.noise = 3.0;    // so that no two lines in a row are the same
    options.seed = 7;
    sim::SimulatedBoard board(options);
    std::string error;
    ASSERT_TRUE(board.Open(&error)) << error;
    ASSERT_TRUE(board.Start());
    OpenWindow(board.DevicePath());

    // Each reading shown must agree with the line it came from.
    const auto checkReadings = [&](int count) {
        for (int seen = 0; seen < count; ++seen) {
            const std::string last = Received();
            ASSERT_TRUE(WaitUntil([&] { return Received() != last && Received().rfind("$ADD", 0) == 0; }));
            unsigned r = 0, g = 0, b = 0, c = 0;
            ASSERT_EQ(std::sscanf(Received().c_str(), "$ADD%x,%x,%x,%x", &r, &g, &b, &c), 4) << Received();
            EXPECT_EQ(Text(IDC_LEVEL_RED), std::to_string(r));
            EXPECT_EQ(Text(IDC_LEVEL_GREEN), std::to_string(g));
            EXPECT_EQ(Text(IDC_LEVEL_CLEAR), std::to_string(c));
            EXPECT_EQ(Bars()[0], static_cast<int>(r));
            EXPECT_EQ(Bars()[3], static_cast<int>(c));
            for (int id : {IDC_HUE, IDC_SATURATION, IDC_VALUE})
                EXPECT_EQ(Text(id).find_first_not_of("0123456789"), std::string::npos) << Text(id);
        }
    };
    Connect();
    checkReadings(3);

    // While connected the marker follows the readings.
    const auto markerBox = [&] {
        const int x = static_cast<int>(dlg_.m_hue);
        const int y = static_cast<int>((1.0 - dlg_.m_value) * dlg_.m_chartHeight);
        return QRect(x - 4, y - 4, 8, 8) & QRect(0, 0, dlg_.m_chartWidth, dlg_.m_chartHeight);
    };
    ASSERT_TRUE(WaitUntil([&] { return DiffFromPicture(OnScreen().copy(ChartRect())).box == markerBox(); }));
    EXPECT_TRUE(OnScreen().save(QStringLiteral(VELK_READING_PNG)));

    const auto texts = Texts();
    const auto bars = Bars();
    const std::string line = Received();
    const double hue = dlg_.m_hue;
    const double value = dlg_.m_value;
    Disconnect();
    QCoreApplication::processEvents();
    EXPECT_EQ(Texts(), texts);
    EXPECT_EQ(Bars(), bars);
    EXPECT_EQ(Received(), line);
    EXPECT_EQ(dlg_.m_hue, hue);
    EXPECT_EQ(dlg_.m_value, value);

    // The marker stays at the shown hue and value, once.
    EXPECT_EQ(std::to_string(static_cast<int>(hue)), texts[4]);
    EXPECT_TRUE(WaitUntil([&] { return DiffFromPicture(OnScreen().copy(ChartRect())).box == markerBox(); }));

    Connect();
    checkReadings(1);
    Disconnect();
}

}  // namespace
}  // namespace velk::test
