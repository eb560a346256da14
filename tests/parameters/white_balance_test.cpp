// White balance: exact readings from the test's own board end give the exact
// frames; with the simulated board, balancing makes a grey target grey.
#include <QAbstractSlider>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>

#include "platform/controls.h"
#include "simulator/simulated_board.h"
#include "window_fixture.h"

namespace velk::test {
namespace {

constexpr int kLevelTexts[4] = {IDC_LEVEL_RED, IDC_LEVEL_GREEN, IDC_LEVEL_BLUE, IDC_LEVEL_CLEAR};
constexpr int kIntEdits[4] = {IDC_INT_RED, IDC_INT_GREEN, IDC_INT_BLUE, IDC_INT_CLEAR};
const std::string kClose = "$ACT*56";

using Four = std::array<std::string, 4>;

class WhiteBalanceTest : public ConnectedToBoardEnd {
protected:
    Four Texts(const int (&ids)[4]) const { return {Text(ids[0]), Text(ids[1]), Text(ids[2]), Text(ids[3])}; }

    // INT values into the set the way the operator does it: typed, then Set parameters.
    void SendIntValues(const Four& values)
    {
        for (int i = 0; i < 4; ++i) Type(kIntEdits[i], QString::fromStdString(values[i]));
        Click(IDC_SET_PARAMETERS);
    }

    // The board reports `line` from now on; waits until the window shows it.
    void Report(const std::string& line, const Four& shown)
    {
        far_.SetLine(line);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Texts(kLevelTexts) == shown; }, 5000)) << line;
    }

    std::vector<std::string> FramesThroughDisconnect()
    {
        Click(IDC_DISCONNECT);
        EXPECT_TRUE(far_.WaitForFrame(kClose));
        return far_.Frames();
    }

};

// The worked examples, equal levels and a zero level among others, each
// through the reading pipeline (the blue level is the one shown after its gain).
TEST_F(WhiteBalanceTest, ReadingsGiveTheExactCommand)
{
    struct Case {
        const char* note;
        std::string line;
        Four shown;
        Four ints;
        Four balanced;
        std::string intsFrame;
        std::string balancedFrame;
    };
    const std::string ints500 = "$ACW0F,0F,0F,0F,01F4,01F4,01F4,01F4*79";
    const Case cases[] = {
        {"INT 500", "$ADD200,280,2D8,384*00\n", {"512", "640", "800", "900"}, {"500", "500", "500", "500"},
         {"634", "507", "406", "361"}, ints500, "$ACW0F,0F,0F,0F,027A,01FB,0196,0169*08"},
        {"INT 1023, two limited", "$ADD200,280,2D8,384*00\n", {"512", "640", "800", "900"},
         {"1023", "1023", "1023", "1023"}, {"1023", "1023", "831", "738"}, kDefaultWrite,
         "$ACW0F,0F,0F,0F,03FF,03FF,033F,02E2*7A"},
        {"clear outside the average", "$ADD12C,1C2,222,3E8*00\n", {"300", "450", "600", "1000"},
         {"1023", "1023", "1023", "1023"}, {"1023", "1023", "767", "460"}, kDefaultWrite,
         "$ACW0F,0F,0F,0F,03FF,03FF,02FF,01CC*7A"},
        {"equal levels", "$ADD2BC,2BC,27D,2BC*00\n", {"700", "700", "700", "700"}, {"1", "500", "1023", "2000"},
         {"1", "500", "1023", "1023"}, "$ACW0F,0F,0F,0F,0001,01F4,03FF,07D0*7B",
         "$ACW0F,0F,0F,0F,0001,01F4,03FF,03FF*0B"},
        {"red level zero", "$ADD0,190,2D8,258*00\n", {"0", "400", "800", "600"}, {"500", "500", "500", "500"},
         {"500", "500", "250", "333"}, ints500, "$ACW0F,0F,0F,0F,01F4,01F4,00FA,014D*0F"},
    };
    std::vector<std::string> expected = {"$ACV*54", "$ACS0064*53", "$ACL00*4E"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        SendIntValues(c.ints);
        Report(c.line, c.shown);
        Click(IDC_WHITE_BALANCE);
        EXPECT_EQ(Texts(kIntEdits), c.balanced);
        expected.push_back(c.intsFrame);
        expected.push_back(c.balancedFrame);
    }
    expected.push_back(kClose);
    EXPECT_EQ(FramesThroughDisconnect(), expected);
    EXPECT_TRUE(boxes_.empty());
}

// Before the first reading every level shows "0": every INT value stays, and
// the command still goes out.
TEST_F(WhiteBalanceTest, ZeroLevelsBeforeTheFirstReadingKeepTheIntValues)
{
    ASSERT_EQ(Texts(kLevelTexts), (Four{"0", "0", "0", "0"}));
    Click(IDC_WHITE_BALANCE);
    EXPECT_EQ(Texts(kIntEdits), (Four{"1023", "1023", "1023", "1023"}));
    EXPECT_EQ(From(FramesThroughDisconnect(), 3), (std::vector<std::string>{kDefaultWrite, kClose}));
    EXPECT_TRUE(boxes_.empty());
}

// Balancing starts from the members: what was typed since the last exchange
// is neither used nor kept, in the INT boxes or any other.
TEST_F(WhiteBalanceTest, TypedValuesNotSentAreOverwritten)
{
    Report("$ADD200,280,2D8,384*00\n", {"512", "640", "800", "900"});
    Type(IDC_INT_RED, "500");
    Type(IDC_CAP_RED, "3");
    Type(IDC_OFFSET_RED, "9");
    Click(IDC_WHITE_BALANCE);

    EXPECT_EQ(Texts(kIntEdits), (Four{"1023", "1023", "831", "738"}));
    EXPECT_EQ(Text(IDC_CAP_RED), "15");
    EXPECT_EQ(Text(IDC_OFFSET_RED), "0");
    EXPECT_EQ(From(FramesThroughDisconnect(), 3),
              (std::vector<std::string>{"$ACW0F,0F,0F,0F,03FF,03FF,033F,02E2*7A", kClose}));
    EXPECT_TRUE(boxes_.empty());
}

// Results that 32-bit arithmetic would get wrong: a product that wraps to a
// small number, a negative average read as a huge unsigned quotient, a level
// text beyond the 32-bit range. The board sees only 0 to 1023. The level
// texts are set directly (the test's board sends no reading that would
// replace them).
TEST_F(WhiteBalanceTest, ArithmeticIn64BitsLimitedToTheRegister)
{
    struct Case {
        const char* note;
        Four levels;
        Four ints;
        Four balanced;
        std::string balancedFrame;
    };
    const Case cases[] = {
        // 1000 x 4294968 is 2^32 + 704: wrapped, that gives INT 0.
        {"wrapping product", {"1000", "1000", "1000", "1000"}, {"4294968", "1023", "1023", "1023"},
         {"1023", "1023", "1023", "1023"}, kDefaultWrite},
        // A = -999; as unsigned numbers the quotients would be near 2^32.
        {"negative average", {"-3000", "1", "1", "1000"}, {"1023", "1023", "1023", "1023"},
         {"1023", "0", "0", "0"}, "$ACW0F,0F,0F,0F,03FF,0000,0000,0000*7A"},
        {"level beyond 32 bits", {"99999999999", "1000", "1000", "1000"}, {"1023", "1023", "1023", "1023"},
         {"341", "1023", "1023", "1023"}, "$ACW0F,0F,0F,0F,0155,03FF,03FF,03FF*7B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        SendIntValues(c.ints);
        for (int i = 0; i < 4; ++i) Dlg().SetDlgItemText(kLevelTexts[i], c.levels[i].c_str());
        Click(IDC_WHITE_BALANCE);
        EXPECT_EQ(Texts(kIntEdits), c.balanced);
        EXPECT_TRUE(far_.WaitForFrame(c.balancedFrame));
        EXPECT_EQ(far_.Frames().back(), c.balancedFrame);
    }
    EXPECT_TRUE(far_.WaitForFrame("$ACW0F,0F,0F,0F,418938,03FF,03FF,03FF*75"));
    EXPECT_TRUE(boxes_.empty());
}

// ---- end to end with the simulated board

class WhiteBalanceEndToEndTest : public WindowFixture {
protected:
    std::array<int, 3> ShownRgb() const
    {
        return {std::atoi(Text(IDC_LEVEL_RED).c_str()), std::atoi(Text(IDC_LEVEL_GREEN).c_str()),
                std::atoi(Text(IDC_LEVEL_BLUE).c_str())};
    }
    // Highest over lowest of the three; 0 until every one shows a level.
    static double Spread(const std::array<int, 3>& rgb)
    {
        const int lo = std::min({rgb[0], rgb[1], rgb[2]});
        const int hi = std::max({rgb[0], rgb[1], rgb[2]});
        return lo > 0 ? static_cast<double>(hi) / lo : 0.0;
    }
};

// A grey target read with INT values left from other light is far from grey;
// one balance brings red, green and blue within 3 % of each other.
TEST_F(WhiteBalanceEndToEndTest, BalancingMakesAGreyTargetGrey)
{
    sim::BoardOptions options;
    options.target = {0.6, 0.6, 0.6};
    options.noise = 1.0;
    options.seed = 7;
    sim::SimulatedBoard board(options);
    ASSERT_TRUE(board.Start());
    OpenWindow(board.DevicePath());
    Connect();

    auto* slider = qobject_cast<QAbstractSlider*>(Item(IDC_LED_SLIDER));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);  // LED at full level
    const QString ints[4] = {"1023", "600", "800", "1023"};
    for (int i = 0; i < 4; ++i) {
        Type(IDC_INT_RED + i, ints[i]);
    }
    Click(IDC_SET_PARAMETERS);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Spread(ShownRgb()) > 1.3; }, 5000))
        << "levels before balancing: " << Text(IDC_LEVEL_RED) << " " << Text(IDC_LEVEL_GREEN) << " "
        << Text(IDC_LEVEL_BLUE);

    Click(IDC_WHITE_BALANCE);
    const auto balanced = [&] {
        const double spread = Spread(ShownRgb());
        return spread > 0.0 && spread <= 1.03;
    };
    EXPECT_TRUE(QTest::qWaitFor(balanced, 5000))
        << "levels after balancing: " << Text(IDC_LEVEL_RED) << " " << Text(IDC_LEVEL_GREEN) << " "
        << Text(IDC_LEVEL_BLUE) << "; INT " << Text(IDC_INT_RED) << " " << Text(IDC_INT_GREEN) << " "
        << Text(IDC_INT_BLUE);
    const auto registers = board.Registers();
    EXPECT_EQ(registers.integration[0], Dlg().m_intRed);
    EXPECT_EQ(registers.integration[1], Dlg().m_intGreen);
    EXPECT_EQ(registers.integration[2], Dlg().m_intBlue);
    EXPECT_TRUE(boxes_.empty());
    Click(IDC_DISCONNECT);
}

}  // namespace
}  // namespace velk::test
