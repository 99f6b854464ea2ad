#include "app/messagedialog.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPushButton>

#include "app/platform.h"
#include "qtfrontend/messageboxes.h"

namespace kennfix {

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

}  // namespace kennfix
