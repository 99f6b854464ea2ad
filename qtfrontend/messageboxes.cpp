#include "qtfrontend/messageboxes.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>

#include "qtfrontend/windowframe.h"

namespace kennfix {

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
