// The parameter commands of the main window against the simulated board: the
// exact frames the board receives, and what the window shows.
#include <QAbstractSlider>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>

#include <chrono>

#include "platform/controls.h"
#include "simulator/simulated_board.h"
#include "window_fixture.h"

namespace velk::test {
namespace {

const std::string kHandshake = "$ACV*54";
const std::string kStart = "$ACS0064*53";
const std::string kClose = "$ACT*56";

class ParametersTest : public WindowFixture {
protected:
    // The board with the options given, its terminal mapped to COM1.
    void StartBoard(sim::BoardOptions options = {})
    {
        options.noise = 0.0;
        options.seed = 1;
        board_ = std::make_unique<sim::SimulatedBoard>(std::move(options));
        ASSERT_TRUE(board_->Start());
        OpenWindow(board_->DevicePath());
    }

    // Disconnects and returns every frame the board received: "$ACT" is the
    // last frame, so everything sent before it has arrived.
    std::vector<std::string> FramesThroughDisconnect()
    {
        Click(IDC_DISCONNECT);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        for (;;) {
            const auto frames = board_->Frames();
            if (!frames.empty() && frames.back() == kClose) return frames;
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "no \"$ACT\" frame";
                return frames;
            }
            board_->WaitForFrames(frames.size() + 1, 100);
        }
    }

    Trackbar* Slider() const { return dynamic_cast<Trackbar*>(Item(IDC_LED_SLIDER)); }

    std::unique_ptr<sim::SimulatedBoard> board_;
};

TEST_F(ParametersTest, SetParametersWithTheDefaults)
{
    StartBoard();
    Connect();
    Click(IDC_SET_PARAMETERS);

    EXPECT_EQ(FramesThroughDisconnect(),
              (std::vector<std::string>{kHandshake, kStart, "$ACL00*4E", kDefaultWrite, kClose}));
    EXPECT_TRUE(boxes_.empty());
}

// Field widths are minimum widths, and the up-down ranges limit no typed text.
TEST_F(ParametersTest, ValuesBeyondTheirFieldsAreWrittenInFull)
{
    StartBoard();
    Connect();
    Type(IDC_CAP_RED, "300");
    Click(IDC_SET_PARAMETERS);
    Type(IDC_CAP_GREEN, "16");
    Type(IDC_INT_BLUE, "4096");
    Click(IDC_SET_PARAMETERS);

    EXPECT_EQ(From(FramesThroughDisconnect(), 3),
              (std::vector<std::string>{"$ACW12C,0F,0F,0F,03FF,03FF,03FF,03FF*4F",
                                        "$ACW12C,10,0F,0F,03FF,03FF,1000,03FF*3A", kClose}));
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Text(IDC_CAP_RED), "300");
    EXPECT_EQ(Dlg().m_intBlue, 4096u);
}

TEST_F(ParametersTest, SensorResetSendsThreeCommandsAndShowsTheDefaults)
{
    StartBoard();
    Connect();
    Click(IDC_OFFSET_MODE);  // on
    const std::vector<QString> typed = {"3", "4", "5", "6", "100", "200", "300", "400", "-7", "8", "-9", "10"};
    for (std::size_t i = 0; i < typed.size(); ++i) Type(kParameterEdits[i], typed[i]);
    Click(IDC_SENSOR_RESET);

    EXPECT_EQ(ParameterTexts(), kDefaultTexts);
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(Item(IDC_OFFSET_MODE))->isChecked());
    EXPECT_EQ(Dlg().m_offsetMode, 0);
    EXPECT_EQ(Dlg().m_offsetRed, 0);
    EXPECT_TRUE(Enabled(IDC_SENSOR_RESET));
    EXPECT_EQ(From(FramesThroughDisconnect(), 3),
              (std::vector<std::string>{"$ACO01*4C", "$ACH*4A", kDefaultWrite, "$ACO00*4D", kClose}));
    EXPECT_TRUE(boxes_.empty());
}

// The reply fills the boxes in id order (red, green, blue, clear per group)
// and leaves the offset-mode box as it was; this board writes negative
// OFFSETs with a minus sign.
TEST_F(ParametersTest, ParameterReplyFillsTheBoxesInIdOrder)
{
    sim::BoardOptions options;
    options.offsets = {-5, 3, -128, 127};
    StartBoard(options);
    Connect();
    Click(IDC_OFFSET_MODE);  // on
    const std::vector<QString> sent = {"1", "2", "3", "4", "100", "200", "300", "400"};
    for (std::size_t i = 0; i < sent.size(); ++i) Type(kParameterEdits[i], sent[i]);
    Click(IDC_SET_PARAMETERS);
    for (int id : kParameterEdits) Type(id, "9");  // typed, never sent: the reply replaces it

    Click(IDC_READ_PARAMETERS);
    const std::vector<std::string> expected = {"1", "2", "3", "4", "100", "200", "300", "400", "-5", "3", "-128", "127"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return ParameterTexts() == expected; }, 5000));
    EXPECT_EQ(ParameterTexts(), expected);
    EXPECT_EQ(Dlg().m_offsetBlue, -128);
    EXPECT_EQ(Dlg().m_intClear, 400u);
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(Item(IDC_OFFSET_MODE))->isChecked());
    EXPECT_EQ(Dlg().m_offsetMode, 1);

    EXPECT_EQ(From(FramesThroughDisconnect(), 3),
              (std::vector<std::string>{"$ACO01*4C", "$ACW01,02,03,04,0064,00C8,012C,0190*7C", "$ACR*50", kClose}));
}

TEST_F(ParametersTest, OffsetModeClickedTwice)
{
    StartBoard();
    Connect();
    auto* box = qobject_cast<QAbstractButton*>(Item(IDC_OFFSET_MODE));
    Click(IDC_OFFSET_MODE);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(Dlg().m_offsetMode, 1);
    Click(IDC_OFFSET_MODE);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(Dlg().m_offsetMode, 0);

    EXPECT_EQ(From(FramesThroughDisconnect(), 3), (std::vector<std::string>{"$ACO01*4C", "$ACO00*4D", kClose}));
}

// With a malformed CAP box the operator sees the message, and the command
// still goes out: the boxes before it with their new values, that box and
// every later one with their previous values.
TEST_F(ParametersTest, MalformedCapBoxShowsTheMessageAndSendsThePreviousValues)
{
    StartBoard();
    Connect();
    Type(IDC_CAP_RED, "7");
    Type(IDC_CAP_GREEN, "x1");
    Type(IDC_INT_RED, "100");
    Type(IDC_OFFSET_RED, "-3");
    Click(IDC_SET_PARAMETERS);

    EXPECT_EQ(Messages(), std::vector<std::string>{"正の整数を入力してください。"});
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_CAP_GREEN));
    EXPECT_EQ(Edit(IDC_CAP_GREEN)->selectedText(), "x1");
    EXPECT_EQ(Dlg().m_capRed, 7u);
    EXPECT_EQ(Dlg().m_intRed, 1023u);
    EXPECT_EQ(Dlg().m_offsetRed, 0);
    EXPECT_EQ(From(FramesThroughDisconnect(), 3),
              (std::vector<std::string>{"$ACW07,0F,0F,0F,03FF,03FF,03FF,03FF*08", kClose}));
}

// Every scroll action is one WM_HSCROLL, and the label and the command follow
// each: a key gives its step and the end of tracking, two equal frames.
TEST_F(ParametersTest, SliderKeysSendTheLevelOnEveryNotification)
{
    StartBoard();
    Connect();
    Trackbar* slider = Slider();
    ASSERT_NE(slider, nullptr);
    slider->setFocus();

    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(Text(IDC_LED_LEVEL), "255");
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(Text(IDC_LED_LEVEL), "0");
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(Text(IDC_LED_LEVEL), "1");
    QTest::keyClick(slider, Qt::Key_PageDown);  // a page is a fifth of the range, as on the platform
    EXPECT_EQ(Text(IDC_LED_LEVEL), "52");

    EXPECT_EQ(From(FramesThroughDisconnect(), 3),
              (std::vector<std::string>{"$ACLFF*4E", "$ACLFF*4E", "$ACL00*4E", "$ACL00*4E", "$ACL01*4F",
                                        "$ACL01*4F", "$ACL34*49", "$ACL34*49", kClose}));
    EXPECT_EQ(board_->Registers().ledLevel, 52u);
}

// A drag sends the level at each step; the release gives the final position,
// ends the tracking and releases the mouse, and each of those sends it again.
TEST_F(ParametersTest, SliderDragEndsWithTheReleasedLevel)
{
    StartBoard();
    Connect();
    Trackbar* slider = Slider();
    ASSERT_NE(slider, nullptr);
    ASSERT_TRUE(board_->WaitForFrames(3, 3000));  // the connect's frames
    const std::size_t before = board_->Frames().size();

    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = Qt::Horizontal;
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = slider->value();
    option.tickPosition = slider->tickPosition();
    option.subControls = QStyle::SC_All;
    const QPoint handle =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, handle);
    QTest::mouseMove(slider, handle + QPoint(slider->width() / 3, 0));
    QTest::mouseMove(slider, QPoint(slider->width() + 20, handle.y()));  // past the end: the top of the range
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width() + 20, handle.y()));
    EXPECT_EQ(Text(IDC_LED_LEVEL), "255");

    // Two steps of the drag, then the final position, the end of tracking and the release.
    const auto frames = From(FramesThroughDisconnect(), before);
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[0].rfind("$ACL", 0), 0u);
    EXPECT_NE(frames[0], "$ACL00*4E");
    EXPECT_NE(frames[0], "$ACLFF*4E");
    EXPECT_EQ(From(frames, 1), (std::vector<std::string>{"$ACLFF*4E", "$ACLFF*4E", "$ACLFF*4E", "$ACLFF*4E", kClose}));
}

// The slider's handlers run the exchange first: with a malformed box, each
// notification shows the message, then the level goes out all the same.
TEST_F(ParametersTest, SliderWithAMalformedBoxShowsTheMessageBeforeEachLevel)
{
    StartBoard();
    Connect();
    Type(IDC_OFFSET_CLEAR, "--1");
    Trackbar* slider = Slider();
    ASSERT_NE(slider, nullptr);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);

    EXPECT_EQ(Messages(), (std::vector<std::string>{"整数を入力してください。", "整数を入力してください。"}));
    EXPECT_EQ(Text(IDC_LED_LEVEL), "1");
    EXPECT_EQ(From(FramesThroughDisconnect(), 3), (std::vector<std::string>{"$ACL01*4F", "$ACL01*4F", kClose}));
}

// While disconnected the slider changes only its label; the position goes to
// the board at the next connect.
TEST_F(ParametersTest, SliderWhileDisconnectedIsSentAtTheNextConnect)
{
    StartBoard();
    Trackbar* slider = Slider();
    ASSERT_NE(slider, nullptr);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(Text(IDC_LED_LEVEL), "255");
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(Text(IDC_LED_LEVEL), "254");
    EXPECT_TRUE(board_->Frames().empty());

    Connect();
    EXPECT_EQ(FramesThroughDisconnect(), (std::vector<std::string>{kHandshake, kStart, "$ACLFE*4D", kClose}));
}

// The arrows and the arrow keys step the buddy's integer within the up-down's
// range and change nothing else; the member follows at the next exchange.
TEST_F(ParametersTest, UpDownArrowsStepWithinTheirRanges)
{
    StartBoard();
    struct Case {
        int edit;
        QString start;
        bool up;
        bool key;  // the arrow key in the buddy instead of a click on the arrow
        std::string expected;
    };
    const Case cases[] = {
        {IDC_CAP_RED, "15", true, false, "15"},       {IDC_CAP_RED, "15", false, false, "14"},
        {IDC_CAP_CLEAR, "0", false, true, "0"},        {IDC_CAP_CLEAR, "0", true, true, "1"},
        {IDC_INT_RED, "1023", true, false, "1023"},    {IDC_INT_CLEAR, "1022", true, true, "1023"},
        {IDC_INT_BLUE, "0", false, false, "0"},        {IDC_OFFSET_RED, "0", false, false, "-1"},
        {IDC_OFFSET_GREEN, "-128", false, true, "-128"}, {IDC_OFFSET_CLEAR, "127", true, false, "127"},
        {IDC_OFFSET_BLUE, "126", true, true, "127"},   {IDC_OFFSET_BLUE, "-127", false, true, "-128"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.edit << " from " << c.start.toStdString() << (c.up ? " up" : " down")
                                        << (c.key ? " by key" : " by arrow"));
        Type(c.edit, c.start);
        const auto* spin = dynamic_cast<UpDownControl*>(Item(c.edit - IDC_CAP_RED + IDC_SPIN_CAP_RED));
        ASSERT_NE(spin, nullptr);
        ASSERT_EQ(spin->Buddy(), Edit(c.edit));
        if (c.key) QTest::keyClick(Edit(c.edit), c.up ? Qt::Key_Up : Qt::Key_Down);
        else QTest::mouseClick(c.up ? spin->UpArrow() : spin->DownArrow(), Qt::LeftButton);
        EXPECT_EQ(Text(c.edit), c.expected);
    }
    EXPECT_EQ(Dlg().m_offsetBlue, 0);  // no exchange yet
    EXPECT_TRUE(board_->Frames().empty());
}

TEST_F(ParametersTest, UpDownRangesAsSet)
{
    StartBoard();
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(IDC_SPIN_CAP_RED + i);
        const auto* spin = dynamic_cast<UpDownControl*>(Item(IDC_SPIN_CAP_RED + i));
        ASSERT_NE(spin, nullptr);
        const int lower = i < 8 ? 0 : -128;
        const int upper = i < 4 ? 15 : i < 8 ? 1023 : 127;
        EXPECT_EQ(spin->Lower(), lower);
        EXPECT_EQ(spin->Upper(), upper);
        EXPECT_EQ(spin->Buddy(), Edit(kParameterEdits[i]));
    }
}

// ---- the test's own board end, for exact "$ADR" lines

using ParameterLineTest = ConnectedToBoardEnd;

TEST_F(ParameterLineTest, EightDigitNegativeOffsetsAndShortFields)
{
    // Short fields are not sign-extended: 80 is 128; FFFFFF80 and -80 are -128.
    far_.SetLine("$ADR0A,0B,0C,0D,0100,0200,0300,03FF,FFFFFF80,-5,80,-80*00\r\n");
    const std::vector<std::string> expected = {"10", "11", "12", "13", "256", "512", "768", "1023", "-128", "-5", "128", "-128"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return ParameterTexts() == expected; }, 5000));
    EXPECT_EQ(ParameterTexts(), expected);
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(Item(IDC_OFFSET_MODE))->isChecked());
    EXPECT_EQ(Dlg().m_offsetRed, -128);
    EXPECT_EQ(Dlg().m_offsetBlue, 128);
}

// A reply with fewer than twelve fields changes nothing but the received-data
// text: neither the members nor the boxes (typed text included).
TEST_F(ParameterLineTest, ShortReplyChangesNothingButTheReceivedText)
{
    Type(IDC_CAP_RED, "6");
    const auto textsBefore = ParameterTexts();
    const std::string line = "$ADR01,02,03,04,0005,0006,0007,0008,09,0A,0B*00\n";  // eleven fields
    far_.SetLine(line);
    ASSERT_TRUE(WaitForText(IDC_RECEIVED, line));
    EXPECT_EQ(ParameterTexts(), textsBefore);
    EXPECT_EQ(Dlg().m_capRed, 15u);
    EXPECT_EQ(Dlg().m_intRed, 1023u);
    EXPECT_EQ(Dlg().m_offsetClear, 0);
}

}  // namespace
}  // namespace velk::test
