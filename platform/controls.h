// The widgets behind the dialog framework where a plain Qt widget does not
// behave as the program needs: the dialog window itself, the up-down control
// and the trackbar. They stay standard widgets underneath, so accessibility
// and the tests' clicks and keys work on them as on any other.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QToolButton>

#include <functional>

#include "platform/win_defs.h"

namespace velk {

class CDialog;

// The window of a CDialog. Its events become messages to the dialog.
// F1 sends the Help command to the application's main window.
class DialogWindow : public QDialog {
public:
    DialogWindow(CDialog* owner, QWidget* parent);
    CDialog* Owner() const { return owner_; }

    void reject() override;  // Esc: the cancel command
    void accept() override;  // not used by Qt here; the OK command for completeness

    // The window menu (see CMenu): made here, with its Close entry, and opened
    // by Alt+Space and a right click on the background. Null until made.
    QMenu* MakeSystemMenu();
    QMenu* SystemMenu() const { return systemMenu_; }
    void ShowSystemMenu(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;  // close box, Alt+F4: WM_SYSCOMMAND SC_CLOSE
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SendSysCommand(UINT id);
    void SendHelpCommand();

    CDialog* owner_;
    QMenu* systemMenu_ = nullptr;
};

// Up-down control with an automatic buddy: the arrows (and the up and down
// keys in the buddy) step the buddy's integer within the range and write it
// back as a plain integer. Text typed into the buddy is never limited.
class UpDownControl : public QWidget {
public:
    explicit UpDownControl(QWidget* parent);

    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return buddy_; }
    QToolButton* UpArrow() const { return up_; }
    QToolButton* DownArrow() const { return down_; }

    // UDM_SETRANGE: lParam packs the upper limit in the low word and the lower
    // limit in the high word, both 16-bit two's complement. "Up" moves towards
    // the upper limit, whichever of the two is larger.
    void SetRange(int lower, int upper);
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int Position() const { return pos_; }

    // One step up (+1) or down (-1).
    void Step(int direction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddy_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int lower_ = 100;  // the platform's range before UDM_SETRANGE: 100 down to 0
    int upper_ = 0;
    int pos_ = 0;
};

// Horizontal trackbar. Every scroll action is one WM_HSCROLL with its scroll
// code; releasing the mouse ends the tracking (TB_THUMBPOSITION after a drag,
// then TB_ENDTRACK) and sends NM_RELEASEDCAPTURE. Keys as on the platform:
// left/up and page up decrease, right/down and page down increase.
class Trackbar : public QSlider {
public:
    using Notify = std::function<void(UINT message, UINT code, int position)>;
    explicit Trackbar(QWidget* parent);
    void SetNotify(Notify notify) { notify_ = std::move(notify); }
    void SetTrackbarRange(int minimum, int maximum);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void Send(UINT message, UINT code, int position);
    Notify notify_;
    bool dragged_ = false;
    bool keyTracking_ = false;
};

}  // namespace velk
