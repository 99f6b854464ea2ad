#pragma once

// The main window's two message windows: the message dialog for an entry
// that is missing, and the error box under the program's title. Every
// message the main window shows goes through here.

#include <QMessageBox>

namespace kennfix {

inline const QString kApplicationTitle = QStringLiteral("Kennfix");

// The message dialog for an entry that is missing: caption "Fehler", stop
// icon, one OK button that Enter and Escape both press, text unchanged.
// Ctrl+C copies caption, text and button as plain text with CR LF line ends.
class MessageDialog : public QMessageBox {
    Q_OBJECT
public:
    explicit MessageDialog(const QString& text, QWidget* parent = nullptr);

    // What Ctrl+C puts on the clipboard.
    QString clipboardText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Shows the message dialog and waits for it to close.
void ShowMessageDialog(const QString& text);

// The error box: caption "Kennfix", stop icon, OK. A full stop is appended
// unless the text is empty or ends in "." or a character below it.
void ShowErrorBox(const QString& message);

// The text of the error box for `message`.
QString ErrorBoxText(const QString& message);

}  // namespace kennfix
