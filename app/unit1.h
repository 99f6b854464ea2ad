#pragma once

// The main window, TForm1 (object name "Form1").
//
// The window's and its controls' names (TForm1, LEdiName, MEdiGebDat,
// BtnRechnen, LabTIN, Memo1, ...) follow the names the window was first
// designed with, prefixes and all, and are kept as they are, so that anyone
// who compares the window with that design finds each control under the
// name it has there. The tests find the controls by these names too (their
// object names).
//
// One calculation: the texts of LEdiName, LEdiVorname and MEdiGebDat are
// converted to Windows-1252 (ansitext.h) and handed to ComputeEtin; the eTIN
// goes into LabTIN. A missing name is answered with the message dialog and
// the focus moves to that field; every error that an action lets escape (an
// invalid date, the date field's check, the printer) goes through RunAction
// to the error box, and LabTIN keeps what it showed.
//
// An eTIN belongs to the entries it was computed from: as soon as the text of
// any of the three fields changes, LabTIN is emptied (and the status bar says
// why for a moment), so the window never shows, and never prints, one person's
// name beside another's eTIN. Focus moves and a refused leave of the date
// field change no text and keep it.
//
// "Drucken" prints the fields and LabTIN as they stand (SheetPrinter); it
// computes nothing.

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace kennfix {

class DateOfBirthEdit;
class SheetPrinter;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    QLineEdit* LEdiName;
    QLineEdit* LEdiVorname;
    QLabel* LabGebDat;
    DateOfBirthEdit* MEdiGebDat;
    QPushButton* BtnRechnen;
    QPushButton* BtnDrucken;
    QPushButton* BtnClose;
    QFrame* PnleTIN;
    QLabel* LabTIN;
    QPlainTextEdit* Memo1;
    QStatusBar* StatusBar1;

    void BtnRechnenClick();
    void BtnDruckenClick();
    void BtnCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* addLabeledEdit(const char* name, const QString& label, QRect geometry);
    QPushButton* addButton(const char* name, const QString& text, QRect geometry, void (TForm1::*click)());
    void clearOutdatedEtin();

    SheetPrinter* m_printer;
    bool m_placed = false;
};

}  // namespace kennfix
