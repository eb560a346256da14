#include "platform/controls.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>

#include "platform/window.h"

namespace velk {

// ---- DialogWindow

DialogWindow::DialogWindow(CDialog* owner, QWidget* parent) : QDialog(parent), owner_(owner)
{
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { SendHelpCommand(); });
}

QMenu* DialogWindow::MakeSystemMenu()
{
    if (systemMenu_ != nullptr) return systemMenu_;
    systemMenu_ = new QMenu(this);
    QAction* close = systemMenu_->addAction(QStringLiteral("閉じる(&C)\tAlt+F4"));
    close->setData(QVariant::fromValue(static_cast<qulonglong>(SC_CLOSE)));
    connect(systemMenu_, &QMenu::triggered, this,
            [this](QAction* action) { SendSysCommand(static_cast<UINT>(action->data().toULongLong())); });
    auto* open = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    open->setContext(Qt::WindowShortcut);
    connect(open, &QShortcut::activated, this, [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
    return systemMenu_;
}

void DialogWindow::ShowSystemMenu(const QPoint& globalPos)
{
    // Not modal: the chosen entry arrives through QMenu::triggered once the
    // menu has closed, and the window's timers go on meanwhile.
    if (systemMenu_ != nullptr) systemMenu_->popup(globalPos);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // Only what no control took: the background, static texts, group boxes.
    if (systemMenu_ == nullptr) {
        event->ignore();
        return;
    }
    ShowSystemMenu(event->globalPos());
}

void DialogWindow::SendSysCommand(UINT id)
{
    Message msg = SysCommandMessage(id);
    owner_->SendWindowMessage(msg);
}

void DialogWindow::SendHelpCommand()
{
    // Whichever dialog has the focus, the Help command goes to the
    // application's main window (to this one when there is none).
    CDialog* target = owner_;
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd != nullptr)
        if (auto* main = dynamic_cast<CDialog*>(app->m_pMainWnd); main != nullptr && main->m_hWnd != nullptr)
            target = main;
    Message msg = CommandMessage(ID_HELP, 0);
    target->SendWindowMessage(msg);
}

void DialogWindow::reject()
{
    Message msg = CommandMessage(IDCANCEL);
    owner_->SendWindowMessage(msg);
}

void DialogWindow::accept()
{
    Message msg = CommandMessage(IDOK);
    owner_->SendWindowMessage(msg);
}

void DialogWindow::paintEvent(QPaintEvent* /*event*/)
{
    Message msg;
    msg.message = WM_PAINT;
    owner_->SendWindowMessage(msg);
}

void DialogWindow::timerEvent(QTimerEvent* event) { owner_->TimerFired(event->timerId()); }

void DialogWindow::closeEvent(QCloseEvent* event)
{
    // The window ends, if at all, through the cancel command and EndDialog.
    event->ignore();
    Message msg = SysCommandMessage(SC_CLOSE);
    owner_->SendWindowMessage(msg);
}

// ---- UpDownControl

namespace {

// The buddy's integer as the up-down reads it: decimal with an optional sign,
// nothing else; false for any other text.
bool BuddyInt(const QString& text, int* value)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first != last && *first == '+') ++first;
    int v = 0;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || first == last) return false;
    *value = v;
    return true;
}

}  // namespace

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const struct {
        QToolButton* button;
        Qt::ArrowType arrow;
        const char* name;
        int direction;
    } arrows[] = {{up_, Qt::UpArrow, "Up", 1}, {down_, Qt::DownArrow, "Down", -1}};
    for (const auto& a : arrows) {
        a.button->setArrowType(a.arrow);
        a.button->setAutoRepeat(true);
        a.button->setFocusPolicy(Qt::NoFocus);
        a.button->setAccessibleName(QString::fromLatin1(a.name));
        a.button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(a.button);
        const int direction = a.direction;
        connect(a.button, &QToolButton::clicked, this, [this, direction] { Step(direction); });
    }
}

void UpDownControl::SetBuddy(QLineEdit* buddy)
{
    buddy_ = buddy;
    if (buddy_ != nullptr) buddy_->installEventFilter(this);
}

void UpDownControl::SetRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
}

void UpDownControl::Step(int direction)
{
    const int lo = std::min(lower_, upper_);
    const int hi = std::max(lower_, upper_);
    // The buddy's text counts when it is a number within the range; otherwise
    // the control goes on from its own position.
    int current = pos_;
    if (buddy_ != nullptr) {
        int v = 0;
        if (BuddyInt(buddy_->text(), &v) && v >= lo && v <= hi) current = v;
    }
    const long next = static_cast<long>(current) + (upper_ >= lower_ ? direction : -direction);
    pos_ = current;
    if (next < lo || next > hi) return;  // at the end of the range: nothing changes
    pos_ = static_cast<int>(next);
    if (buddy_ != nullptr) buddy_->setText(QString::number(pos_));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Trackbar

Trackbar::Trackbar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTickPosition(QSlider::TicksBothSides);
    SetTrackbarRange(0, 100);
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
        UINT code = TB_THUMBTRACK;
        switch (action) {
        case SliderSingleStepAdd: code = TB_LINEDOWN; break;
        case SliderSingleStepSub: code = TB_LINEUP; break;
        case SliderPageStepAdd: code = TB_PAGEDOWN; break;
        case SliderPageStepSub: code = TB_PAGEUP; break;
        case SliderToMinimum: code = TB_TOP; break;
        case SliderToMaximum: code = TB_BOTTOM; break;
        case SliderMove: code = TB_THUMBTRACK; dragged_ = true; break;
        default: return;
        }
        // Only thumb tracking carries the position; the slider's position is
        // already the new one here (its value follows after).
        Send(WM_HSCROLL, code, code == TB_THUMBTRACK ? sliderPosition() : 0);
    });
}

void Trackbar::SetTrackbarRange(int minimum, int maximum)
{
    setRange(minimum, maximum);
    // Ticks only at both ends; the page is a fifth of the range, as the platform sets it.
    setTickInterval(std::max(1, maximum - minimum));
    setPageStep(std::max(1, (maximum - minimum) / 5));
    setSingleStep(1);
}

void Trackbar::Send(UINT message, UINT code, int position)
{
    if (notify_) notify_(message, code, position);
}

void Trackbar::mousePressEvent(QMouseEvent* event)
{
    dragged_ = false;
    QSlider::mousePressEvent(event);
}

void Trackbar::mouseReleaseEvent(QMouseEvent* event)
{
    QSlider::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    if (dragged_) Send(WM_HSCROLL, TB_THUMBPOSITION, sliderPosition());
    dragged_ = false;
    Send(WM_HSCROLL, TB_ENDTRACK, 0);
    Send(WM_NOTIFY, NM_RELEASEDCAPTURE, 0);
}

void Trackbar::keyPressEvent(QKeyEvent* event)
{
    SliderAction action = SliderNoAction;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: action = SliderSingleStepSub; break;
    case Qt::Key_Right:
    case Qt::Key_Down: action = SliderSingleStepAdd; break;
    case Qt::Key_PageUp: action = SliderPageStepSub; break;
    case Qt::Key_PageDown: action = SliderPageStepAdd; break;
    case Qt::Key_Home: action = SliderToMinimum; break;
    case Qt::Key_End: action = SliderToMaximum; break;
    default: QSlider::keyPressEvent(event); return;
    }
    keyTracking_ = true;
    triggerAction(action);
    event->accept();
}

void Trackbar::keyReleaseEvent(QKeyEvent* event)
{
    if (keyTracking_ && !event->isAutoRepeat()) {
        keyTracking_ = false;
        Send(WM_HSCROLL, TB_ENDTRACK, 0);
        event->accept();
        return;
    }
    QSlider::keyReleaseEvent(event);
}

}  // namespace velk
