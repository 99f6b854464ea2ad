#include "app/dateofbirthedit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

#include <optional>

#include "app/actions.h"
#include "app/platform.h"

namespace kennfix {
namespace {

char32_t SeparatorOf(const DateSettings& settings)
{
    return static_cast<unsigned char>(settings.separator);
}

// The widget that a mouse press on `widget` would give the focus to.
QWidget* ClickFocusTarget(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus))
            return w;
    }
    return nullptr;
}

std::optional<DateMask::Key> MaskKey(int key)
{
    switch (key) {
    case Qt::Key_Left: return DateMask::Key::Left;
    case Qt::Key_Right: return DateMask::Key::Right;
    case Qt::Key_Up: return DateMask::Key::Up;
    case Qt::Key_Down: return DateMask::Key::Down;
    case Qt::Key_Home: return DateMask::Key::Home;
    case Qt::Key_End: return DateMask::Key::End;
    case Qt::Key_Delete: return DateMask::Key::Delete;
    case Qt::Key_Backspace: return DateMask::Key::Backspace;
    case Qt::Key_Escape: return DateMask::Key::Escape;
    default: return std::nullopt;
    }
}

}  // namespace

DateOfBirthEdit::DateOfBirthEdit(QWidget* parent)
    : QLineEdit(parent),
      m_mask(SeparatorOf(CurrentPlatform().dateSettings()), CurrentPlatform().dateSettings().order)
{
    setMaxLength(DateMask::kLength);
    setAcceptDrops(false);
    setDragEnabled(false);
    showMask();
}

QString DateOfBirthEdit::fieldText() const
{
    return QString::fromStdU32String(m_mask.FieldText());
}

void DateOfBirthEdit::showMask()
{
    setText(QString::fromStdU32String(m_mask.ScreenText()));
    const DateMask::Range highlight = m_mask.Highlight();
    if (highlight.length > 0)
        setSelection(highlight.start, highlight.length);
    else
        setCursorPosition(m_mask.Caret());
}

bool DateOfBirthEdit::mayLeave(DateMask::LeaveResult result)
{
    if (result == DateMask::LeaveResult::Passed)
        return true;
    showMask();
    CurrentPlatform().beep();
    RunAction([] { throw ActionError(QString::fromUtf8(DateMask::kLeaveRefusedMessage)); });
    return false;
}

bool DateOfBirthEdit::event(QEvent* event)
{
    if (event->type() == QEvent::LocaleChange) {
        const DateSettings settings = CurrentPlatform().dateSettings();
        m_mask.SetCurrentSeparator(SeparatorOf(settings));
        m_mask.SetCurrentOrder(settings.order);
    }
    return QLineEdit::event(event);
}

// Tab and Shift+Tab.
bool DateOfBirthEdit::focusNextPrevChild(bool next)
{
    if (!mayLeave(m_mask.Leave()))
        return true;
    return QLineEdit::focusNextPrevChild(next);
}

// While the field has the focus, a press on another control of the window
// that would take the focus runs the leave check first; when it fails the
// press is dropped, so a button does not fire. The press is caught on its
// way into the window, before Qt moves the focus to the control.
bool DateOfBirthEdit::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && watched == window()->windowHandle() && window()->focusWidget() == this) {
        const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
        QWidget* pressed = window()->childAt(position);
        QWidget* target = pressed ? ClickFocusTarget(pressed) : nullptr;
        if (target && target != this && !mayLeave(m_mask.Leave()))
            return true;
    }
    return QLineEdit::eventFilter(watched, event);
}

void DateOfBirthEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
        m_mask.FocusIn(DateMask::FocusReason::Tab);
        break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;  // the focus comes back to the field after a box or another window
    default:
        // A click is placed by the press that follows.
        m_mask.FocusIn(DateMask::FocusReason::Other);
        break;
    }
    if (QWindow* handle = window()->windowHandle())
        handle->installEventFilter(this);
    showMask();
}

void DateOfBirthEdit::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        if (QWindow* handle = window()->windowHandle())
            handle->removeEventFilter(this);
        m_mask.FocusOut();
    }
    QLineEdit::focusOutEvent(event);
    showMask();
}

void DateOfBirthEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        mayLeave(m_mask.PressEnter());
    } else if (const auto key = MaskKey(event->key())) {
        m_mask.Press(*key);
    } else if (!event->text().isEmpty() && event->text().front().isPrint() &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        type(event->text());
    } else {
        // Not the field's: let the window have it, never the line edit's own editing.
        QWidget::keyPressEvent(event);
        return;
    }
    showMask();
}

void DateOfBirthEdit::inputMethodEvent(QInputMethodEvent* event)
{
    type(event->commitString());
    showMask();
    event->accept();
}

void DateOfBirthEdit::type(const QString& text)
{
    for (char32_t c : text.toStdU32String()) {
        if (m_mask.Type(c) == DateMask::KeyResult::Rejected)
            CurrentPlatform().beep();
    }
}

void DateOfBirthEdit::copy()
{
    const std::u32string copied = m_mask.Copy();
    if (!copied.empty())
        QApplication::clipboard()->setText(QString::fromStdU32String(copied));
}

void DateOfBirthEdit::cut()
{
    const std::u32string copied = m_mask.Cut();
    if (!copied.empty())
        QApplication::clipboard()->setText(QString::fromStdU32String(copied));
}

void DateOfBirthEdit::paste()
{
    m_mask.Paste(QApplication::clipboard()->text().toStdU32String());
}

void DateOfBirthEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_mask.Click(cursorPositionAt(event->position().toPoint()));
        showMask();
    }
    event->accept();
}

// Dragging, double clicks and the middle button would select or paste past
// the mask.
void DateOfBirthEdit::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void DateOfBirthEdit::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

void DateOfBirthEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void DateOfBirthEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* cutAction = menu.addAction(QStringLiteral("Ausschneiden"), this, [this] { cut(); });
    QAction* copyAction = menu.addAction(QStringLiteral("Kopieren"), this, [this] { copy(); });
    menu.addAction(QStringLiteral("Einfügen"), this, [this] { paste(); });
    const bool highlighted = m_mask.Highlight().length > 0;
    cutAction->setEnabled(highlighted);
    copyAction->setEnabled(highlighted);
    menu.exec(event->globalPos());
    showMask();
}

}  // namespace kennfix
