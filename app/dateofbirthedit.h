#pragma once

// MEdiGebDat, the date-of-birth field: a line edit that shows the rules of
// DateMask. Every key, click and clipboard action goes to the mask, and the
// widget shows the mask's text and highlight; nothing reaches the line
// edit's own editing.
//
// The field refuses to be left by Tab or by a click on another control while
// it is modified and its year incomplete: the move and a button press that
// caused it are dropped, and the error goes to the error box through
// RunAction. Closing the window moves no focus and is never held up.

#include <QLineEdit>

#include "app/datemask/datemask.h"

namespace kennfix {

class DateOfBirthEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateOfBirthEdit(QWidget* parent = nullptr);

    // Always 8 characters: day, separator, month, separator, two-digit year,
    // with a blank in every position left empty ("  .  .  " when untouched).
    QString fieldText() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Runs the leave check; false when the field must keep the focus.
    bool mayLeave(DateMask::LeaveResult result);
    void type(const QString& text);
    void copy();
    void cut();
    void paste();
    void showMask();

    DateMask m_mask;
};

}  // namespace kennfix
