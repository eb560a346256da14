// The window menu, the About box and Help through the running program.
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "res/resource.h"
#include "res/templates.h"
#include "shell_fixture.h"
#include "ui/about_dlg.h"

namespace velk::test {
namespace {

// Runs `inside` in the About box's modal loop each time one opens while the
// watcher lives; a box that `inside` leaves open is closed with a failure.
class AboutWatcher : public QObject {
public:
    explicit AboutWatcher(std::function<void(CAboutDlg&)> inside) : inside_(std::move(inside))
    {
        qApp->installEventFilter(this);
    }
    ~AboutWatcher() override { qApp->removeEventFilter(this); }
    int Opened() const { return opened_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show) return false;
        auto* window = dynamic_cast<DialogWindow*>(watched);
        auto* about = window != nullptr ? dynamic_cast<CAboutDlg*>(window->Owner()) : nullptr;
        if (about == nullptr) return false;
        ++opened_;
        QTimer::singleShot(0, this, [this, about] { DriveModal(*about, inside_, "the About box"); });
        return false;
    }

private:
    std::function<void(CAboutDlg&)> inside_;
    int opened_ = 0;
};

void PressInAbout(CAboutDlg& about, Qt::Key key)
{
    QWidget* focus = about.m_hWnd->focusWidget();
    QTest::keyClick(focus != nullptr ? focus : about.m_hWnd, key);
}

using WindowMenu = ShellTest;

TEST_F(WindowMenu, ARightClickOnTheBackgroundOrAltSpaceOffersCloseAndTheAboutEntry)
{
    struct Case {
        const char* name;
        std::function<void(CSensorDlg&)> open;
    };
    const Case cases[] = {
        {"right click on the background",
         [&](CSensorDlg& dlg) {
             QTest::mouseClick(dlg.m_hWnd, Qt::RightButton, {}, QPoint(DluToPixelsX(300), DluToPixelsY(3)));
         }},
        {"right click on a static text",
         [&](CSensorDlg& dlg) {
             const auto labels = dlg.m_hWnd->findChildren<QLabel*>();
             auto it = std::find_if(labels.begin(), labels.end(),
                                    [](QLabel* l) { return l->text() == QStringLiteral("HSV色空間"); });
             ASSERT_NE(it, labels.end());
             QTest::mouseClick(*it, Qt::RightButton);
         }},
        {"Alt+Space", [&](CSensorDlg& dlg) { Key(dlg, Qt::Key_Space, Qt::AltModifier); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AboutWatcher watcher([&](CAboutDlg& about) { PressInAbout(about, Qt::Key_Return); });
        RunProgram([&](CSensorDlg& dlg) {
            c.open(dlg);
            QMenu* menu = OpenMenu();
            ASSERT_NE(menu, nullptr);
            EXPECT_EQ(MenuTexts(menu), (std::vector<std::string>{"閉じる(&C)\tAlt+F4", "VELK のﾊﾞｰｼﾞｮﾝ情報(&A)..."}));
            QTest::keyClick(menu, Qt::Key_A);  // returns once the About box has closed
            EXPECT_EQ(watcher.Opened(), 1);
            EXPECT_EQ(OpenMenu(), nullptr);
            EXPECT_FALSE(dlg.Ended());
            Key(dlg, Qt::Key_Escape);
        });
        EXPECT_EQ(watcher.Opened(), 1);
    }
}

TEST_F(WindowMenu, OnlyIdsThatDifferFromSixteenInTheLowFourBitsOpenTheAboutBox)
{
    const std::pair<UINT, bool> cases[] = {{16, true}, {17, true}, {31, true}, {32, false}, {0, false}, {15, false},
                                           {0xF010, false}};
    RunProgram([&](CSensorDlg& dlg) {
        for (const auto& [id, opens] : cases) {
            SCOPED_TRACE(id);
            AboutWatcher watcher([&](CAboutDlg& about) { PressInAbout(about, Qt::Key_Escape); });
            Message msg;
            msg.message = WM_SYSCOMMAND;
            msg.id = static_cast<int>(id);
            msg.wParam = id;
            dlg.SendWindowMessage(msg);  // through the message map to OnSysCommand
            EXPECT_EQ(watcher.Opened(), opens ? 1 : 0);
            EXPECT_FALSE(dlg.Ended());
        }
        Key(dlg, Qt::Key_Escape);
    });
}

using AboutBox = ShellTest;

// Template 100 as built: caption, size, owner, icon 128, four texts and the
// default OK button; Enter and Esc close it and leave a live connection, the
// main window and its controls as they were.
TEST_F(AboutBox, ShowsTemplate100AndClosesWithEnterOrEscLeavingTheLinkAsItWas)
{
    BoardEnd board;
    ASSERT_TRUE(board.ok());
    board.SetLines(Tick);
    WriteFile("[Device]\nPort=COM4\n" + PortsSection({{4, board.DevicePath()}}));
    std::size_t closings = 0;
    for (Qt::Key closeKey : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(closeKey == Qt::Key_Return ? "Enter" : "Esc");
        RunProgram([&](CSensorDlg& dlg) {
            QTest::mouseClick(Item(dlg, IDC_CONNECT), Qt::LeftButton);
            ASSERT_NE(dlg.m_hPort, INVALID_HANDLE_VALUE) << dlg.m_failure;
            ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.GetDlgItemText(IDC_RECEIVED).rfind("#tick", 0) == 0; }, 3000));
            Type(dlg, IDC_CAP_GREEN, "7");
            QWidget* focusBefore = dlg.m_hWnd->focusWidget();

            AboutWatcher watcher([&](CAboutDlg& about) {
                QWidget* w = about.m_hWnd;
                EXPECT_EQ(w->windowTitle().toStdString(), "このｿﾌﾄについて");
                EXPECT_EQ(w->size(), QSize(DluToPixelsX(235), DluToPixelsY(119)));
                EXPECT_EQ(w->parentWidget(), dlg.m_hWnd);  // owned by the main window
                EXPECT_EQ(QApplication::activeModalWidget(), w);
                EXPECT_TRUE(dlg.m_hWnd->isVisible());

                const auto labels = w->findChildren<QLabel*>();
                const auto buttons = w->findChildren<QPushButton*>();
                ASSERT_EQ(labels.size() + buttons.size(), 6);
                ASSERT_EQ(buttons.size(), 1);
                EXPECT_EQ(buttons[0]->text().toStdString(), "OK");
                EXPECT_TRUE(buttons[0]->isDefault());
                EXPECT_EQ(w->focusWidget(), buttons[0]);

                // Icon 128: stripes red, yellow, green, cyan, blue, magenta, red.
                QImage icon;
                std::vector<std::string> texts;
                for (QLabel* l : labels) {
                    if (!l->pixmap().isNull()) icon = l->pixmap().toImage();
                    else texts.push_back(l->text().toStdString());
                }
                ASSERT_FALSE(icon.isNull());
                const int unit = icon.width() / 16;
                const std::pair<int, QRgb> stripes[] = {{0, qRgb(255, 0, 0)},    {2, qRgb(255, 255, 0)},
                                                        {5, qRgb(0, 255, 0)},    {8, qRgb(0, 255, 255)},
                                                        {10, qRgb(0, 0, 255)},   {13, qRgb(255, 0, 255)},
                                                        {15, qRgb(255, 0, 0)}};
                for (const auto& [column, colour] : stripes)
                    EXPECT_EQ(icon.pixel(column * unit + unit / 2, icon.height() / 2) & 0xFFFFFF, colour & 0xFFFFFF)
                        << column;
                ASSERT_EQ(texts.size(), 4u);
                std::vector<std::string> expected;
                for (const DialogItem& item : kAboutDialogTemplate.items)
                    if (item.cls == ControlClass::Static && (item.style & SS_TYPEMASK) != SS_ICON) expected.push_back(item.text);
                std::sort(texts.begin(), texts.end());
                std::sort(expected.begin(), expected.end());
                EXPECT_EQ(texts, expected);

                // Polling goes on behind the box.
                const std::string seen = dlg.GetDlgItemText(IDC_RECEIVED);
                EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.GetDlgItemText(IDC_RECEIVED) != seen; }, 3000));

                PressInAbout(about, closeKey);
                EXPECT_TRUE(about.Ended());
            });
            dlg.OnSysCommand(IDM_ABOUTBOX, 0);
            EXPECT_EQ(watcher.Opened(), 1);

            EXPECT_NE(dlg.m_hPort, INVALID_HANDLE_VALUE);
            EXPECT_FALSE(Item(dlg, IDC_CONNECT)->isEnabled());
            EXPECT_TRUE(Item(dlg, IDC_DISCONNECT)->isEnabled());
            EXPECT_EQ(dlg.GetDlgItemText(IDC_CAP_GREEN), "7");
            EXPECT_EQ(Selection(dlg), 4);
            EXPECT_FALSE(dlg.Ended());
            EXPECT_TRUE(dlg.m_hWnd->isVisible());
            EXPECT_EQ(dlg.m_hWnd->focusWidget(), focusBefore);
            const std::string seen = dlg.GetDlgItemText(IDC_RECEIVED);
            EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.GetDlgItemText(IDC_RECEIVED) != seen; }, 3000));
            EXPECT_EQ(board.Count("$ACT"), closings);  // the link was not closed
            Key(dlg, Qt::Key_Escape);
        });
        EXPECT_TRUE(board.WaitForCount("$ACT", ++closings));
        EXPECT_TRUE(boxes_.empty());
    }
}

using Help = ShellTest;

// F1 anywhere: the Help command finds no help file and says so in a box
// captioned with the application's name, owned by the window in front.
TEST_F(Help, F1InTheMainWindowAndInTheAboutBoxReportsThatHelpCannotStart)
{
    RunProgram([&](CSensorDlg& dlg) {
        Key(dlg, Qt::Key_F1);
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].owner, dlg.m_hWnd);

        AboutWatcher watcher([&](CAboutDlg& about) {
            PressInAbout(about, Qt::Key_F1);
            ASSERT_EQ(boxes_.size(), 2u);
            EXPECT_EQ(boxes_[1].owner, about.m_hWnd);
            EXPECT_FALSE(about.Ended());
            PressInAbout(about, Qt::Key_Escape);
        });
        dlg.OnSysCommand(IDM_ABOUTBOX, 0);
        EXPECT_EQ(watcher.Opened(), 1);
        EXPECT_FALSE(dlg.Ended());
        Key(dlg, Qt::Key_Escape);
    });
    ASSERT_EQ(boxes_.size(), 2u);
    for (const ShownBox& box : boxes_) {
        EXPECT_EQ(box.text, "ﾍﾙﾌﾟの起動に失敗しました。");
        EXPECT_EQ(box.caption, AfxGetAppName());
        EXPECT_EQ(box.type & MB_ICONMASK, MB_ICONEXCLAMATION);
    }
}

using Start = ShellTest;

// InitInstance runs the window modally and returns FALSE whichever way the
// window ended; the application carries its version record.
TEST_F(Start, InitInstanceRunsTheWindowModallyAndEndsWithFalse)
{
    RunProgram([&](CSensorDlg& dlg) {
        EXPECT_EQ(QApplication::activeModalWidget(), dlg.m_hWnd);
        EXPECT_EQ(dlg.m_hWnd->windowTitle().toStdString(), "VELK-C4-M210ｻﾝﾌﾟﾙ");
        EXPECT_FALSE(dlg.m_hWnd->windowIcon().isNull());
        QTest::mouseClick(Item(dlg, IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(QCoreApplication::applicationVersion().toStdString(), "1.0.0.1");
    EXPECT_EQ(QGuiApplication::desktopFileName().toStdString(), "velk");
}

}  // namespace
}  // namespace velk::test
