// The dialog framework on Qt Widgets.
#include "platform/window.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QToolTip>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/controls.h"
#include "platform/text_exchange.h"
#include "res/pictures.h"
#include "res/resource.h"
#include "res/templates.h"

namespace velk {

namespace {

// The window text of controls whose Qt text is not what the program set:
// statics keep the exact bytes (a received line with its line end, bytes that
// are not UTF-8), and controls that show no text still have one.
constexpr char kTextProperty[] = "velkWindowText";
constexpr char kIdProperty[] = "velkControlId";

QString FromUtf8(const char* text) { return QString::fromUtf8(text != nullptr ? text : ""); }

// One line as a single-line static shows it: line ends and other control
// characters are not drawn.
QString DisplayText(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    text.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return text;
}

QRect ItemRect(const DialogItem& item)
{
    return QRect(DluToPixelsX(item.x), DluToPixelsY(item.y), DluToPixelsX(item.cx), DluToPixelsY(item.cy));
}

QFont TemplateFont(const DialogTemplate& t)
{
    QFont font;
    // The template's face first; on Linux the IPA P Gothic of fonts-ipafont-gothic,
    // then any Japanese sans-serif that fontconfig offers.
    font.setFamilies({FromUtf8(t.faceName), QStringLiteral("IPAPGothic"), QStringLiteral("IPAPゴシック"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                      QStringLiteral("TakaoPGothic"), QStringLiteral("Droid Sans Japanese"),
                      QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(t.pointSize);
    return font;
}

}  // namespace

// ---- CWnd

QWidget* CWnd::Detach()
{
    QWidget* w = m_hWnd;
    m_hWnd = nullptr;
    return w;
}

int CWnd::GetDlgCtrlID() const
{
    if (m_hWnd == nullptr) return 0;
    const QVariant id = m_hWnd->property(kIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    if (m_hWnd == nullptr) return FALSE;
    const BOOL wasDisabled = m_hWnd->isEnabled() ? FALSE : TRUE;
    m_hWnd->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd != nullptr && m_hWnd->isEnabled() ? TRUE : FALSE; }

BOOL CWnd::IsWindowVisible() const { return m_hWnd != nullptr && m_hWnd->isVisible() ? TRUE : FALSE; }

void CWnd::SetWindowText(const char* text)
{
    if (m_hWnd == nullptr) return;
    const QByteArray bytes(text != nullptr ? text : "");
    if (auto* label = qobject_cast<QLabel*>(m_hWnd)) {
        label->setProperty(kTextProperty, bytes);
        label->setText(DisplayText(bytes));
    } else if (auto* edit = qobject_cast<QLineEdit*>(m_hWnd)) {
        edit->setText(QString::fromUtf8(bytes));
    } else if (auto* button = qobject_cast<QAbstractButton*>(m_hWnd)) {
        button->setText(QString::fromUtf8(bytes));
    } else if (auto* group = qobject_cast<QGroupBox*>(m_hWnd)) {
        group->setTitle(QString::fromUtf8(bytes));
    } else if (qobject_cast<QComboBox*>(m_hWnd) != nullptr) {
        // a drop-down list's text is its selected entry
    } else if (auto* dialog = qobject_cast<QDialog*>(m_hWnd)) {
        dialog->setWindowTitle(QString::fromUtf8(bytes));
    } else {
        m_hWnd->setProperty(kTextProperty, bytes);
    }
}

std::string CWnd::GetWindowText() const
{
    if (m_hWnd == nullptr) return {};
    QByteArray bytes;
    if (auto* edit = qobject_cast<QLineEdit*>(m_hWnd)) bytes = edit->text().toUtf8();
    else if (auto* button = qobject_cast<QAbstractButton*>(m_hWnd)) bytes = button->text().toUtf8();
    else if (auto* group = qobject_cast<QGroupBox*>(m_hWnd)) bytes = group->title().toUtf8();
    else if (auto* combo = qobject_cast<QComboBox*>(m_hWnd))
        bytes = combo->currentIndex() >= 0 ? combo->currentText().toUtf8() : QByteArray();
    else if (auto* dialog = qobject_cast<QDialog*>(m_hWnd)) bytes = dialog->windowTitle().toUtf8();
    else bytes = m_hWnd->property(kTextProperty).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int CWnd::GetWindowText(char* buffer, int maxCount) const
{
    if (buffer == nullptr || maxCount <= 0) return 0;
    const std::string text = GetWindowText();
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(maxCount - 1));
    // never end inside a UTF-8 sequence
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_hWnd == nullptr) return 0;
    const auto index = static_cast<int>(static_cast<std::intptr_t>(wParam));
    if (auto* window = dynamic_cast<DialogWindow*>(m_hWnd)) {
        Message msg;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        msg.id = index;
        return window->Owner()->SendWindowMessage(msg);
    }
    if (auto* combo = qobject_cast<QComboBox*>(m_hWnd)) {
        switch (message) {
        case CB_ADDSTRING: {
            // Qt selects the first entry added; the platform's list stays without selection.
            const int selected = combo->currentIndex();
            combo->addItem(FromUtf8(reinterpret_cast<const char*>(lParam)));
            combo->setCurrentIndex(selected);
            return combo->count() - 1;
        }
        case CB_GETCOUNT: return combo->count();
        case CB_GETCURSEL: return combo->currentIndex();
        case CB_SETCURSEL:
            if (index < 0 || index >= combo->count()) {
                combo->setCurrentIndex(-1);  // no selection
                return CB_ERR;
            }
            combo->setCurrentIndex(index);
            return index;
        case CB_FINDSTRINGEXACT: {
            // From the entry after wParam to the end, then from the top; the
            // whole text, without regard to letter case.
            const QString wanted = FromUtf8(reinterpret_cast<const char*>(lParam));
            const int n = combo->count();
            const int start = index < 0 || index >= n ? 0 : index + 1;
            for (int k = 0; k < n; ++k) {
                const int i = (start + k) % n;
                if (combo->itemText(i).compare(wanted, Qt::CaseInsensitive) == 0) return i;
            }
            return CB_ERR;
        }
        default: return 0;
        }
    }
    if (auto* trackbar = dynamic_cast<Trackbar*>(m_hWnd)) {
        switch (message) {
        case TBM_GETPOS: return trackbar->sliderPosition();
        case TBM_SETRANGE:
            trackbar->SetTrackbarRange(LOWORD_SIGNED(lParam), HIWORD_SIGNED(lParam));
            if (wParam != 0) trackbar->update();
            return 0;
        default: return 0;
        }
    }
    if (auto* bar = qobject_cast<QProgressBar*>(m_hWnd)) {
        switch (message) {
        case PBM_SETRANGE: {
            const LRESULT old = MAKELPARAM(bar->minimum(), bar->maximum());
            const int value = bar->value();
            bar->setRange(LOWORD_SIGNED(lParam), HIWORD_SIGNED(lParam));
            bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
            return old;
        }
        case PBM_SETPOS: {
            const int old = bar->value();
            // QProgressBar ignores a value outside its range; the platform's bar
            // shows the nearest end.
            // QProgressBar repaints at once on every new value; with updates off
            // for the moment it waits for the next paint like every other control.
            bar->setUpdatesEnabled(false);
            bar->setValue(std::clamp(index, bar->minimum(), bar->maximum()));
            bar->setUpdatesEnabled(true);
            return old;
        }
        default: return 0;
        }
    }
    if (auto* updown = dynamic_cast<UpDownControl*>(m_hWnd)) {
        if (message == UDM_SETRANGE) updown->SetRange(HIWORD_SIGNED(lParam), LOWORD_SIGNED(lParam));
        return 0;
    }
    return 0;
}

void CWnd::GetWindowRect(CRect* rect) const
{
    if (m_hWnd == nullptr || rect == nullptr) return;
    const QRect r = m_hWnd->isWindow() ? m_hWnd->frameGeometry()
                                       : QRect(m_hWnd->mapToGlobal(QPoint(0, 0)), m_hWnd->size());
    *rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWnd::ScreenToClient(CRect* rect) const
{
    if (m_hWnd == nullptr || rect == nullptr) return;
    const QPoint topLeft = m_hWnd->mapFromGlobal(QPoint(rect->left, rect->top));
    const int dx = topLeft.x() - rect->left;
    const int dy = topLeft.y() - rect->top;
    *rect = {rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
}

void CWnd::GetClientRect(CRect* rect) const
{
    if (m_hWnd == nullptr || rect == nullptr) return;
    *rect = {0, 0, m_hWnd->width(), m_hWnd->height()};
}

void CWnd::InvalidateRect(const CRect* rect, BOOL /*erase*/)
{
    if (m_hWnd == nullptr) return;
    if (rect == nullptr) m_hWnd->update();
    else m_hWnd->update(QRect(rect->left, rect->top, rect->Width(), rect->Height()));
}

void CWnd::SetFocus()
{
    if (m_hWnd != nullptr) m_hWnd->setFocus(Qt::OtherFocusReason);
}

void CWnd::SetToolTip(const std::string& text)
{
    if (m_hWnd != nullptr) m_hWnd->setToolTip(QString::fromStdString(text));
}

// ---- CPaintDC

CPaintDC::CPaintDC(CWnd* window) : painter_(window->m_hWnd) {}

// ---- data exchange

void CDataExchange::Fail(int id)
{
    failed_ = true;
    CWnd* control = m_pDlgWnd->GetDlgItem(id);
    if (control == nullptr) return;
    control->SetFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(control->m_hWnd)) edit->selectAll();
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (pDX->Failed() || control.m_hWnd != nullptr) return;
    if (CWnd* item = pDX->m_pDlgWnd->GetDlgItem(id)) {
        control.Attach(item->m_hWnd);
        pDX->m_pDlgWnd->attached_.push_back(&control);
    }
}

namespace {

template <class T, class Parse>
void ExchangeNumber(CDataExchange* pDX, int id, T& value, const char* format, Parse parse, const char* message)
{
    if (pDX->Failed()) return;
    CWnd* edit = pDX->m_pDlgWnd->GetDlgItem(id);
    if (edit == nullptr) return;
    if (pDX->m_bSaveAndValidate) {
        T parsed{};
        if (!parse(edit->GetWindowText(), &parsed)) {
            AfxMessageBox(message, MB_ICONEXCLAMATION);
            pDX->Fail(id);
            return;
        }
        value = parsed;
    } else {
        char text[32];
        std::snprintf(text, sizeof text, format, value);
        edit->SetWindowText(text);
    }
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int id, std::uint32_t& value)
{
    ExchangeNumber(pDX, id, value, "%u", ParseUnsignedText, kParseUnsignedMessage);
}

void DDX_Text(CDataExchange* pDX, int id, std::int32_t& value)
{
    ExchangeNumber(pDX, id, value, "%d", ParseSignedText, kParseSignedMessage);
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    if (pDX->Failed()) return;
    CWnd* item = pDX->m_pDlgWnd->GetDlgItem(id);
    auto* button = item != nullptr ? qobject_cast<QAbstractButton*>(item->m_hWnd) : nullptr;
    if (button == nullptr) return;
    if (pDX->m_bSaveAndValidate) value = button->isChecked() ? 1 : 0;
    else button->setChecked(value != 0);
}

// ---- CMenu

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text)
{
    if (m_hMenu == nullptr || flags != MF_STRING || text == nullptr) return FALSE;
    QAction* action = m_hMenu->addAction(FromUtf8(text));
    action->setData(QVariant::fromValue(static_cast<qulonglong>(id)));
    return TRUE;
}

// ---- CDialog

CDialog::CDialog(int templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog()
{
    // A window still open here ends without WM_DESTROY: the derived part that
    // would handle it is gone already.
    for (auto& [id, qtId] : timers_)
        if (window_) window_->killTimer(qtId);
    timers_.clear();
    for (CWnd* c : attached_) c->Detach();
    items_.clear();
    systemMenu_.reset();
    m_hWnd = nullptr;
    window_.reset();
}

BOOL CDialog::Build(bool modal)
{
    const DialogTemplate* t = FindDialogTemplate(templateId_);
    if (t == nullptr || window_) return FALSE;
    ended_ = false;
    result_ = -1;

    QWidget* owner = parent_ != nullptr ? parent_->m_hWnd : nullptr;
    if (owner == nullptr && modal && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != nullptr &&
        AfxGetApp()->m_pMainWnd != this)
        owner = AfxGetApp()->m_pMainWnd->m_hWnd;  // the framework makes the main window the owner
    window_ = std::make_unique<DialogWindow>(this, owner);
    QDialog* w = window_.get();
    m_hWnd = w;
    w->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    if (modal) w->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    w->setWindowTitle(FromUtf8(t->caption));
    w->setFont(TemplateFont(*t));
    w->setFixedSize(DluToPixelsX(t->cx), DluToPixelsY(t->cy));
    if ((t->style & WS_SYSMENU) != 0) systemMenu_ = std::make_unique<CMenu>(window_->MakeSystemMenu());

    std::vector<QWidget*> widgets;
    widgets.reserve(t->items.size());
    for (std::size_t i = 0; i < t->items.size(); ++i) {
        const DialogItem& item = t->items[i];
        QRect rect = ItemRect(item);
        QWidget* widget = nullptr;
        switch (item.cls) {
        case ControlClass::Static: {
            auto* label = new QLabel(w);
            label->setTextFormat(Qt::PlainText);
            const std::uint32_t type = item.style & SS_TYPEMASK;
            if (type == SS_ICON) {
                label->setPixmap(LoadIcon(IDR_MAINFRAME).pixmap(32, 32));
                rect.setSize(QSize(32, 32));  // an icon static takes the icon's size
            } else if (type != SS_BITMAP) {
                label->setAlignment((type == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) |
                                    ((item.style & SS_CENTERIMAGE) != 0 ? Qt::AlignVCenter : Qt::AlignTop));
                label->setProperty(kTextProperty, QByteArray(item.text));
                label->setText((item.style & SS_CENTERIMAGE) != 0 ? DisplayText(QByteArray(item.text))
                                                                   : FromUtf8(item.text));
            }
            widget = label;
            break;
        }
        case ControlClass::Button: {
            const std::uint32_t type = item.style & BS_TYPEMASK;
            if (type == BS_GROUPBOX) {
                widget = new QGroupBox(FromUtf8(item.text), w);
                break;
            }
            auto* button = new QPushButton(FromUtf8(item.text), w);
            if (type == BS_AUTOCHECKBOX) {
                // A check box drawn as a push button: pressed while checked,
                // toggled before the click notification. Enter goes to the
                // default button, not to it.
                button->setCheckable(true);
                button->setAutoDefault(false);
            } else {
                button->setAutoDefault(true);
                button->setDefault(type == BS_DEFPUSHBUTTON);
            }
            const int id = item.id;
            QObject::connect(button, &QPushButton::clicked, w, [this, id] {
                Message msg = CommandMessage(id);
                SendWindowMessage(msg);
            });
            widget = button;
            break;
        }
        case ControlClass::Edit: {
            auto* edit = new QLineEdit(w);
            edit->setFrame((item.style & WS_BORDER) != 0);
            widget = edit;
            break;
        }
        case ControlClass::ComboBox: {
            auto* combo = new QComboBox(w);
            // The template's height is that of the dropped list.
            const int closed = std::min(combo->sizeHint().height(), DluToPixelsY(14));
            const int rowHeight = std::max(1, combo->fontMetrics().height() + 2);
            combo->setMaxVisibleItems(std::max(1, (rect.height() - closed) / rowHeight));
            rect.setHeight(closed);
            const int id = item.id;
            QObject::connect(combo, &QComboBox::activated, w, [this, id] {
                Message msg = CommandMessage(id, CBN_SELCHANGE);
                SendWindowMessage(msg);
            });
            widget = combo;
            break;
        }
        case ControlClass::UpDown: {
            auto* updown = new UpDownControl(w);
            // The buddy is the control just before it; aligned right, the
            // up-down takes the right end of the buddy, which gets narrower.
            if (i > 0)
                if (auto* buddy = qobject_cast<QLineEdit*>(widgets[i - 1])) {
                    updown->SetBuddy(buddy);
                    QRect b = buddy->geometry();
                    b.setWidth(b.width() - rect.width());
                    buddy->setGeometry(b);
                    rect = QRect(b.right() + 1, b.top(), rect.width(), b.height());
                }
            widget = updown;
            break;
        }
        case ControlClass::Trackbar: {
            auto* trackbar = new Trackbar(w);
            const int id = item.id;
            trackbar->SetNotify([this, id, trackbar](UINT message, UINT code, int position) {
                Message msg;
                msg.message = message;
                msg.code = code;
                msg.id = id;
                NMHDR header;
                if (message == WM_HSCROLL) {
                    msg.wParam = static_cast<WPARAM>(position);
                    msg.scrollBar = static_cast<CScrollBar*>(GetDlgItem(id));  // made as one below
                } else {
                    header = {trackbar, static_cast<UINT_PTR>(id), code};
                    msg.header = &header;
                }
                SendWindowMessage(msg);
            });
            widget = trackbar;
            break;
        }
        case ControlClass::ProgressBar: {
            auto* bar = new QProgressBar(w);
            bar->setOrientation((item.style & PBS_VERTICAL) != 0 ? Qt::Vertical : Qt::Horizontal);
            bar->setTextVisible(false);
            bar->setRange(0, 100);
            bar->setValue(0);
            widget = bar;
            break;
        }
        }
        widget->setGeometry(rect);
        widget->setProperty(kIdProperty, item.id);
        if (item.cls != ControlClass::Static && item.cls != ControlClass::Edit &&
            !(item.cls == ControlClass::Button && (item.style & BS_TYPEMASK) == BS_GROUPBOX))
            widget->setProperty(kTextProperty, QByteArray(item.text));
        widget->setFocusPolicy((item.style & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::NoFocus);
        if ((item.style & WS_DISABLED) != 0) widget->setEnabled(false);
        if ((item.style & WS_VISIBLE) == 0) widget->setVisible(false);
        widgets.push_back(widget);
        if (item.id != kNoId) {
            // A horizontally scrolling control reaches WM_HSCROLL's handler as a scroll bar.
            std::unique_ptr<CWnd> wnd =
                item.cls == ControlClass::Trackbar ? std::make_unique<CScrollBar>() : std::make_unique<CWnd>();
            wnd->Attach(widget);
            items_.push_back({item.id, std::move(wnd)});
        }
    }

    // The templates were laid out for a font whose Latin letters are narrower
    // than those of the Japanese fonts on Linux: a left-aligned label that does
    // not fit may use the free space up to the next control to its right.
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(widgets[i]);
        const DialogItem& item = t->items[i];
        if (label == nullptr || (item.style & SS_TYPEMASK) != SS_LEFT || label->isHidden()) continue;
        QRect r = label->geometry();
        const int need = label->fontMetrics().horizontalAdvance(label->text()) + 2;
        if (need <= r.width()) continue;
        int limit = w->width();
        for (QWidget* other : widgets) {
            if (other == label || other->isHidden() || qobject_cast<QGroupBox*>(other) != nullptr) continue;
            const QRect o = other->geometry();
            if (o.left() > r.left() && o.top() < r.bottom() && o.bottom() > r.top()) limit = std::min(limit, o.left() - 2);
        }
        r.setWidth(std::max(r.width(), std::min(need, limit - r.left())));
        label->setGeometry(r);
    }

    // A static label's mnemonic moves the focus to the control after it.
    for (std::size_t i = 0; i + 1 < widgets.size(); ++i) {
        const DialogItem& item = t->items[i];
        auto* label = qobject_cast<QLabel*>(widgets[i]);
        if (label != nullptr && (item.style & SS_NOPREFIX) == 0 && std::strchr(item.text, '&') != nullptr)
            label->setBuddy(widgets[i + 1]);
    }
    // The first control in template order is on top.
    for (QWidget* widget : widgets) widget->lower();
    // Tab order: the template order among the tab stops.
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        if ((t->items[i].style & WS_TABSTOP) == 0) continue;
        if (previous != nullptr) QWidget::setTabOrder(previous, widgets[i]);
        previous = widgets[i];
    }

    if (OnInitDialog() != FALSE) {
        for (std::size_t i = 0; i < widgets.size(); ++i)
            if ((t->items[i].style & WS_TABSTOP) != 0 && widgets[i]->isEnabled() &&
                !widgets[i]->isHidden()) {
                widgets[i]->setFocus(Qt::TabFocusReason);
                break;
            }
    }
    if (ended_) return TRUE;  // OnInitDialog ended it already

    // Centred over the owner, or on the screen.
    const QRect area = owner != nullptr ? owner->frameGeometry()
                       : (w->screen() != nullptr ? w->screen()->availableGeometry() : QRect());
    if (area.isValid()) w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
    if ((t->style & WS_VISIBLE) != 0 || modal) w->show();
    return TRUE;
}

BOOL CDialog::Create() { return Build(false); }

int CDialog::DoModal()
{
    if (!Build(true)) return -1;
    if (!ended_) {
        QEventLoop loop;
        loop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        loop_ = nullptr;
    }
    DestroyWindow();
    return result_;
}

void CDialog::EndDialog(int result)
{
    result_ = result;
    ended_ = true;
    if (window_) window_->hide();
    if (loop_ != nullptr) loop_->exit(0);
}

void CDialog::DestroyWindow()
{
    if (!window_) return;
    Message msg;
    msg.message = WM_DESTROY;
    SendWindowMessage(msg);  // the controls are still there
    for (auto& [id, qtId] : timers_) window_->killTimer(qtId);
    timers_.clear();
    for (CWnd* c : attached_) c->Detach();
    attached_.clear();
    items_.clear();
    systemMenu_.reset();
    m_hWnd = nullptr;
    window_.reset();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

CWnd* CDialog::GetDlgItem(int id) const
{
    for (const auto& item : items_)
        if (item.id == id) return item.wnd.get();
    return nullptr;
}

void CDialog::SetDlgItemText(int id, const char* text)
{
    if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

std::string CDialog::GetDlgItemText(int id) const
{
    CWnd* item = GetDlgItem(id);
    return item != nullptr ? item->GetWindowText() : std::string();
}

int CDialog::GetDlgItemText(int id, char* buffer, int maxCount) const
{
    CWnd* item = GetDlgItem(id);
    if (item != nullptr) return item->GetWindowText(buffer, maxCount);
    if (buffer != nullptr && maxCount > 0) buffer[0] = '\0';
    return 0;
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT elapseMs)
{
    if (!window_) return 0;
    KillTimer(id);
    const int qtId = window_->startTimer(static_cast<int>(std::min<UINT>(elapseMs, 0x7FFFFFFF)), Qt::PreciseTimer);
    if (qtId == 0) return 0;
    timers_[id] = qtId;
    return id;
}

BOOL CDialog::KillTimer(UINT_PTR id)
{
    const auto it = timers_.find(id);
    if (it == timers_.end()) return FALSE;
    if (window_) window_->killTimer(it->second);
    timers_.erase(it);
    return TRUE;
}

void CDialog::TimerFired(int qtTimerId)
{
    for (const auto& [id, qtId] : timers_) {
        if (qtId != qtTimerId) continue;
        Message msg;
        msg.message = WM_TIMER;
        msg.wParam = id;
        msg.id = static_cast<int>(id);
        SendWindowMessage(msg);
        return;
    }
}

int CDialog::MessageBox(const char* text, const char* caption, UINT type, const std::string& detail)
{
    MessageBoxRequest request;
    request.owner = m_hWnd;
    request.text = text != nullptr ? text : "";
    request.caption = caption != nullptr ? caption : AfxGetAppName();
    request.detail = detail;
    request.type = type;
    return ShowMessageBox(request);
}

void CDialog::SetIcon(const HICON& icon, BOOL /*bigIcon*/)
{
    // Qt picks the size it needs from one icon.
    if (window_) window_->setWindowIcon(icon);
}

BOOL CDialog::IsIconic() const { return window_ && window_->isMinimized() ? TRUE : FALSE; }

CMenu* CDialog::GetSystemMenu(BOOL /*revert*/) { return window_ ? systemMenu_.get() : nullptr; }

LRESULT CDialog::SendWindowMessage(Message& msg)
{
    if (!OnWindowMessage(msg)) DefaultMessage(msg);
    return msg.message == WM_QUERYDRAGICON ? 0 : msg.result;
}

bool CDialog::OnWindowMessage(Message& /*msg*/) { return false; }

void CDialog::DefaultMessage(Message& msg)
{
    switch (msg.message) {
    case WM_COMMAND:
        if (msg.code == BN_CLICKED && msg.id == IDOK) OnOK();
        else if (msg.code == BN_CLICKED && msg.id == IDCANCEL) OnCancel();
        else if (CWinApp* app = AfxGetApp()) app->OnCmdMsg(msg);  // e.g. the Help command
        break;
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(msg.wParam), msg.lParam); break;
    default: break;
    }
}

void CDialog::OnSysCommand(UINT id, LPARAM /*lParam*/)
{
    if ((id & 0xFFF0) == SC_CLOSE) {
        Message msg = CommandMessage(IDCANCEL);
        SendWindowMessage(msg);
    }
}

void CDialog::OnTimer(UINT_PTR /*id*/) {}

void CDialog::OnDestroy() {}

void CDialog::OnHScroll(UINT /*code*/, UINT /*pos*/, CScrollBar* /*scrollBar*/) {}

// ---- message boxes

namespace {

MessageBoxSeam& Seam()
{
    static MessageBoxSeam seam;
    return seam;
}

int ShowRealMessageBox(const MessageBoxRequest& request)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.type & MB_ICONMASK) {
    case MB_ICONERROR: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, QString::fromStdString(request.caption), QString::fromStdString(request.text),
                    QMessageBox::Ok, request.owner);
    box.setTextFormat(Qt::PlainText);
    if (!request.detail.empty()) box.setDetailedText(QString::fromStdString(request.detail));
    box.exec();
    return IDOK;
}

}  // namespace

MessageBoxSeam SetMessageBoxSeam(MessageBoxSeam seam)
{
    const MessageBoxSeam previous = Seam();
    Seam() = seam;
    return previous;
}

int ShowMessageBox(const MessageBoxRequest& request)
{
    const MessageBoxSeam seam = Seam();
    if (seam.handler != nullptr) return seam.handler(request, seam.context);
    return ShowRealMessageBox(request);
}

int AfxMessageBox(const char* text, UINT type)
{
    MessageBoxRequest request;
    CWinApp* app = AfxGetApp();
    // Owned by the modal window on top (the About box over the main window),
    // else by the main window.
    request.owner = QApplication::activeModalWidget();
    if (request.owner == nullptr)
        request.owner = app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->m_hWnd
                                                                     : QApplication::activeWindow();
    request.text = text != nullptr ? text : "";
    request.caption = AfxGetAppName();
    // The framework's own boxes carry the exclamation icon unless told otherwise.
    request.type = (type & MB_ICONMASK) != 0 ? type : (type | MB_ICONEXCLAMATION);
    return ShowMessageBox(request);
}

// ---- the application

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return FALSE; }

bool CWinApp::OnCmdMsg(Message& /*msg*/) { return false; }

void CWinApp::OnHelp()
{
    // Help would open m_pszHelpFilePath at the context of the dialog that has
    // the focus. The program ships no help file, and nothing on this platform
    // reads that format, so starting help fails, as it does wherever the file
    // is missing.
    AfxMessageBox(LoadString(AFX_IDP_FAILED_TO_LAUNCH_HELP).c_str());
}

CWinApp* AfxGetApp() { return g_app; }

std::string AfxGetAppName()
{
    if (g_app != nullptr && !g_app->m_pszAppName.empty()) return g_app->m_pszAppName;
    if (QCoreApplication::instance() != nullptr)
        return std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).stem().string();
    return {};
}

namespace {

// Written by the signal handler, read by the main thread's notifier.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int /*signal*/)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

// A signal to quit (logout, Ctrl+C, a closed terminal) closes the main window
// as its close box does, so that the port choice is kept and the board is told
// to stop. The handler resets itself: a second signal ends the process as usual.
void CloseMainWindowOnQuitSignals(QObject* parent)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char bytes[16];
        while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        CWinApp* app = AfxGetApp();
        auto* main = app != nullptr ? dynamic_cast<CDialog*>(app->m_pMainWnd) : nullptr;
        if (main == nullptr || main->m_hWnd == nullptr) return;
        Message msg = SysCommandMessage(SC_CLOSE);
        main->SendWindowMessage(msg);
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

}  // namespace

int AfxWinMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    CWinApp* winApp = AfxGetApp();
    if (winApp == nullptr) return 0;
    if (winApp->m_pszAppName.empty() && argc > 0 && argv[0] != nullptr)
        winApp->m_pszAppName = std::filesystem::path(argv[0]).stem().string();
    QCoreApplication::setApplicationName(QString::fromStdString(winApp->m_pszAppName));
    winApp->m_pszHelpFilePath =
        std::filesystem::path(QCoreApplication::applicationFilePath().toStdString()).replace_extension(".HLP").string();
    CloseMainWindowOnQuitSignals(&app);
    winApp->InitInstance();
    return 0;
}

// ---- resources

HICON LoadIcon(int id)
{
    if (id != IDR_MAINFRAME) return {};
    const QImage image = MakeIcon128();
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image));
    // Larger sizes by whole pixels, so the stripes stay sharp.
    for (int scale : {2, 3, 4})
        icon.addPixmap(QPixmap::fromImage(image.scaled(image.size() * scale, Qt::IgnoreAspectRatio,
                                                       Qt::FastTransformation)));
    return icon;
}

QImage LoadBitmap(int id)
{
    if (id != IDB_CHART) return {};
    static const QImage chart = MakeChartPicture();  // made once
    return chart;
}

std::string LoadString(int id)
{
    const char* text = FindStringResource(id);
    return text != nullptr ? text : "";
}

}  // namespace velk
