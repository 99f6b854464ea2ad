#include "messageboxes.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

#include "platform.h"
#include "windowframe.h"

namespace kennfix {
namespace {

// After a modal box the focus goes back where it was.
void ExecKeepingFocus(QMessageBox& box)
{
    QPointer<QWidget> focus = QApplication::focusWidget();
    box.adjustSize();
    CentreOnScreen(box);
    box.exec();
    if (focus) {
        focus->activateWindow();
        focus->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace

MessageDialog::MessageDialog(const QString& text, QWidget* parent) : QMessageBox(parent)
{
    setWindowTitle(QStringLiteral("Fehler"));
    setIcon(QMessageBox::Critical);
    setText(text);
    setTextFormat(Qt::PlainText);
    setFont(QApplication::font("QMessageBox"));
    QPushButton* ok = addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    setDefaultButton(ok);
    setEscapeButton(ok);
}

QString MessageDialog::clipboardText() const
{
    const QString line = QString(27, u'-') + QStringLiteral("\r\n");
    QString copied = line + windowTitle() + QStringLiteral("\r\n") + line + text() + QStringLiteral("\r\n") + line;
    for (const QAbstractButton* button : buttons())
        copied += button->text() + QStringLiteral("   ");
    return copied + QStringLiteral("\r\n") + line;
}

void MessageDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CurrentPlatform().beep();
        QApplication::clipboard()->setText(clipboardText());
        return;
    }
    QMessageBox::keyPressEvent(event);
}

void ShowMessageDialog(const QString& text)
{
    MessageDialog dialog(text, QApplication::activeWindow());
    ExecKeepingFocus(dialog);
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowErrorBox(const QString& message)
{
    ShowErrorBoxTitled(kApplicationTitle, ErrorBoxText(message));
}

void ShowErrorBoxTitled(const QString& title, const QString& message)
{
    QMessageBox box(QMessageBox::Critical, title, message, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    ExecKeepingFocus(box);
}

bool AskTitled(const QString& title, const QString& question, const QString& acceptText)
{
    QMessageBox box(QMessageBox::Warning, title, question, QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton* accept = box.addButton(acceptText, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(accept);
    box.setEscapeButton(cancel);
    ExecKeepingFocus(box);
    return box.clickedButton() == accept;
}

}  // namespace kennfix
