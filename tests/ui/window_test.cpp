// The main window as template 102 builds it: its state at start, keyboard
// behaviour, the data exchange's failure order and the ways it ends.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "platform/controls.h"
#include "platform/text_exchange.h"
#include "dialog_fixture.h"

namespace velk::test {
namespace {

using WindowTest = UiFixture;

TEST_F(WindowTest, StartsDisconnectedWithTheTemplatesTextsAndTheMembersDefaults)
{
    WriteProfile(nullptr, {});
    Open();

    EXPECT_EQ(Window()->windowTitle().toStdString(), "VELK-C4-M210ｻﾝﾌﾟﾙ");
    ExpectConnected(false);
    EXPECT_TRUE(qobject_cast<QPushButton*>(Item(IDC_CONNECT))->isDefault());
    EXPECT_FALSE(qobject_cast<QPushButton*>(Item(IDOK))->isDefault());
    EXPECT_EQ(Window()->focusWidget(), Item(IDC_PORT_SELECTOR));

    const std::pair<int, const char*> texts[] = {
        {IDC_CAP_RED, "15"},       {IDC_CAP_GREEN, "15"},     {IDC_CAP_BLUE, "15"},      {IDC_CAP_CLEAR, "15"},
        {IDC_INT_RED, "1023"},     {IDC_INT_GREEN, "1023"},   {IDC_INT_BLUE, "1023"},    {IDC_INT_CLEAR, "1023"},
        {IDC_OFFSET_RED, "0"},     {IDC_OFFSET_GREEN, "0"},   {IDC_OFFSET_BLUE, "0"},    {IDC_OFFSET_CLEAR, "0"},
        {IDC_LEVEL_RED, "0"},      {IDC_LEVEL_GREEN, "0"},    {IDC_LEVEL_BLUE, "0"},     {IDC_LEVEL_CLEAR, "0"},
        {IDC_LED_LEVEL, "0"},      {IDC_HUE, "H:000"},        {IDC_SATURATION, "S:000"}, {IDC_VALUE, "V:000"},
        {IDC_RECEIVED, "受信ﾃﾞｰﾀがここに表示されます"},
        {IDC_CONNECT, "通信開始(&S)"}, {IDOK, "終了(&X)"},
    };
    for (const auto& [id, text] : texts) EXPECT_EQ(Text(id), text) << id;

    EXPECT_FALSE(qobject_cast<QPushButton*>(Item(IDC_OFFSET_MODE))->isChecked());
    EXPECT_EQ(Dlg().m_ledSlider.SendMessage(TBM_GETPOS), 0);
    for (int id : {IDC_BAR_RED, IDC_BAR_GREEN, IDC_BAR_BLUE, IDC_BAR_CLEAR}) {
        auto* bar = qobject_cast<QProgressBar*>(Item(id));
        EXPECT_EQ(bar->value(), 0);
        EXPECT_EQ(bar->maximum(), 1023);
    }
    EXPECT_FALSE(Item(IDC_CHART)->isVisible());

    // 256 entries in insertion order; with no profile entry COM1 is selected.
    auto* selector = qobject_cast<QComboBox*>(Item(IDC_PORT_SELECTOR));
    ASSERT_EQ(selector->count(), 256);
    EXPECT_EQ(selector->itemText(0).toStdString(), "(自動認識)");
    for (int i = 1; i <= 255; ++i) EXPECT_EQ(selector->itemText(i), QStringLiteral("COM%1").arg(i));
    EXPECT_EQ(Dlg().m_portSelector.SendMessage(CB_GETCURSEL), 1);
    EXPECT_EQ(Text(IDC_PORT_SELECTOR), "COM1");
}

TEST_F(WindowTest, RemembersThePortFromTheProfileAndShowsItsDeviceAsTooltip)
{
    struct Case {
        const char* stored;
        int index;
    };
    const Case cases[] = {{"(自動認識)", 0}, {"com12", 12}, {"COM255", 255}, {"COM256", -1}, {"", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteProfile(c.stored, {{12, "/dev/pts/velk-test"}});
        Open();
        EXPECT_EQ(Dlg().m_portSelector.SendMessage(CB_GETCURSEL), c.index);
        if (c.index == 12) {
            EXPECT_EQ(Item(IDC_PORT_SELECTOR)->toolTip().toStdString(), "COM12: /dev/pts/velk-test");
        }
        Dlg().DestroyWindow();
    }
}

TEST_F(WindowTest, ClientAreaAndChartFollowTheDialogUnits)
{
    WriteProfile("COM1", {});
    Open();
    EXPECT_EQ(Window()->size(), QSize(663, 599));
    EXPECT_EQ(Dlg().m_chartWidth, 360);
    EXPECT_EQ(Dlg().m_chartHeight, 328);
    EXPECT_EQ(Dlg().m_chartLeft, 291);
    EXPECT_EQ(Dlg().m_chartTop, 260);
    EXPECT_LE(Dlg().m_chartLeft + Dlg().m_chartWidth, 663);
    EXPECT_LE(Dlg().m_chartTop + Dlg().m_chartHeight, 599);

    // An up-down sits at the right end of its buddy, which is narrower by its width.
    EXPECT_EQ(Item(IDC_CAP_RED)->geometry(), QRect(154, 59, 54 - 11, 18));
    EXPECT_EQ(Item(IDC_SPIN_CAP_RED)->geometry(), QRect(154 + 43, 59, 11, 18));
    EXPECT_EQ(static_cast<UpDownControl*>(Item(IDC_SPIN_CAP_RED))->Buddy(), Item(IDC_CAP_RED));

    // The first control in template order is on top: the group box lies behind
    // the edit box it frames.
    const QPoint inEdit = Item(IDC_CAP_RED)->geometry().center();
    EXPECT_EQ(Window()->childAt(inEdit), Item(IDC_CAP_RED));
}

TEST_F(WindowTest, TabOrderIsTheTemplateOrderAmongEnabledTabStops)
{
    WriteProfile("COM1", {});
    Open();
    const int expected[] = {IDC_PORT_SELECTOR, IDC_CONNECT,      IDC_CAP_RED,        IDC_CAP_GREEN,
                            IDC_CAP_BLUE,      IDC_CAP_CLEAR,    IDC_INT_RED,        IDC_INT_GREEN,
                            IDC_INT_BLUE,      IDC_INT_CLEAR,    IDC_OFFSET_RED,     IDC_OFFSET_GREEN,
                            IDC_OFFSET_BLUE,   IDC_OFFSET_CLEAR, IDC_LED_SLIDER,     IDOK,
                            IDC_PORT_SELECTOR};
    for (int id : expected) {
        EXPECT_EQ(QApplication::focusWidget(), Item(id)) << id;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST_F(WindowTest, AltCMovesTheFocusToThePortSelector)
{
    WriteProfile("COM1", {});
    Open();
    Item(IDC_INT_GREEN)->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Item(IDC_INT_GREEN));
    QTest::keyClick(Item(IDC_INT_GREEN), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_PORT_SELECTOR));
}

TEST_F(WindowTest, EnterInAnEditBoxRunsConnect)
{
    WriteProfile("COM2", {});  // COM2 has no device: Connect shows why
    Open();
    Item(IDC_OFFSET_BLUE)->setFocus();
    QTest::keyClick(Item(IDC_OFFSET_BLUE), Qt::Key_Return);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません");
    EXPECT_FALSE(Dlg().Ended());
}

// The exchange from the controls visits the INT clear box before the INT blue
// box; a failure shows its message, selects the box and stops: members before
// it are stored, that member and all later ones keep their values.
TEST_F(WindowTest, ValidationFailureStopsTheExchangeInItsOrder)
{
    WriteProfile("COM1", {});
    Open();
    auto* capRed = qobject_cast<QLineEdit*>(Item(IDC_CAP_RED));
    capRed->setText(" 7 ");
    qobject_cast<QLineEdit*>(Item(IDC_INT_RED))->setText("1000");
    qobject_cast<QLineEdit*>(Item(IDC_INT_BLUE))->setText("abc");
    qobject_cast<QLineEdit*>(Item(IDC_INT_CLEAR))->setText("-1");
    qobject_cast<QLineEdit*>(Item(IDC_OFFSET_RED))->setText("-20");
    Dlg().m_offsetRed = 5;  // a member the failing exchange must not reach

    EXPECT_EQ(Dlg().UpdateData(TRUE), FALSE);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, kParseUnsignedMessage);
    EXPECT_EQ(boxes_[0].caption, AfxGetAppName());
    EXPECT_EQ(boxes_[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
    auto* intClear = qobject_cast<QLineEdit*>(Item(IDC_INT_CLEAR));
    EXPECT_EQ(QApplication::focusWidget(), intClear);
    EXPECT_EQ(intClear->selectedText(), "-1");
    EXPECT_EQ(Dlg().m_capRed, 7u);
    EXPECT_EQ(Dlg().m_intRed, 1000u);
    EXPECT_EQ(Dlg().m_intClear, 1023u);
    EXPECT_EQ(Dlg().m_intBlue, 1023u);
    EXPECT_EQ(Dlg().m_offsetRed, 5);

    intClear->setText("12");
    EXPECT_EQ(Dlg().UpdateData(TRUE), FALSE);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_INT_BLUE));
    EXPECT_EQ(Dlg().m_intClear, 12u);

    qobject_cast<QLineEdit*>(Item(IDC_INT_BLUE))->setText("+8");
    qobject_cast<QLineEdit*>(Item(IDC_OFFSET_GREEN))->setText("1.5");
    EXPECT_EQ(Dlg().UpdateData(TRUE), FALSE);
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[2].text, kParseSignedMessage);
    EXPECT_EQ(Dlg().m_intBlue, 8u);
    EXPECT_EQ(Dlg().m_offsetRed, -20);
}

TEST_F(WindowTest, ExitWithABadFieldStaysOpenAndEndsWithOkOnceItPasses)
{
    WriteProfile("COM1", {});
    Open();
    auto* intRed = qobject_cast<QLineEdit*>(Item(IDC_INT_RED));
    intRed->setText("x");
    Click(IDOK);
    EXPECT_FALSE(Dlg().Ended());
    EXPECT_TRUE(Window()->isVisible());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), intRed);

    intRed->setText("99");
    Click(IDOK);
    EXPECT_TRUE(Dlg().Ended());
    EXPECT_EQ(Dlg().Result(), IDOK);
    EXPECT_EQ(Dlg().m_intRed, 99u);
    EXPECT_EQ(boxes_.size(), 1u);
}

// Esc and the close box are the cancel command: no exchange, no message.
TEST_F(WindowTest, EscAndTheCloseBoxCancelWithoutExchange)
{
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Esc");
        WriteProfile("COM1", {});
        Open();
        qobject_cast<QLineEdit*>(Item(IDC_CAP_RED))->setText("bad");
        if (closeBox) Window()->close();
        else QTest::keyClick(Item(IDC_PORT_SELECTOR), Qt::Key_Escape);
        EXPECT_TRUE(Dlg().Ended());
        EXPECT_EQ(Dlg().Result(), IDCANCEL);
        EXPECT_TRUE(boxes_.empty());
        EXPECT_EQ(Dlg().m_capRed, 15u);
        Dlg().DestroyWindow();  // the close's own exchange (OnDestroy) may speak now
        boxes_.clear();
    }
}

TEST_F(WindowTest, UpDownArrowsStepTheBuddyWithinTheRange)
{
    WriteProfile("COM1", {});
    Open();
    auto* updown = static_cast<UpDownControl*>(Item(IDC_SPIN_OFFSET_CLEAR));
    auto* edit = qobject_cast<QLineEdit*>(Item(IDC_OFFSET_CLEAR));
    ASSERT_EQ(updown->Buddy(), edit);
    EXPECT_EQ(updown->Lower(), -128);
    EXPECT_EQ(updown->Upper(), 127);

    QTest::mouseClick(updown->DownArrow(), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "-1");
    edit->setText("126");
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(edit->text(), "127");
    QTest::keyClick(edit, Qt::Key_Up);  // the end of the range
    EXPECT_EQ(edit->text(), "127");
    edit->setText("5000");  // typed text is never limited; the arrows go on from their own position
    EXPECT_EQ(edit->text(), "5000");
    QTest::mouseClick(updown->DownArrow(), Qt::LeftButton);
    EXPECT_EQ(edit->text(), "126");
    EXPECT_EQ(Dlg().m_offsetClear, 0) << "the member follows only at the next exchange";
}

}  // namespace
}  // namespace velk::test
