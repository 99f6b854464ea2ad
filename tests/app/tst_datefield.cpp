// The date-of-birth field in the real window: what the user sees, what the
// calculation gets, and the check when the field is left.

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "app/dateofbirthedit.h"
#include "app/unit1.h"
#include "tests/app/testsupport.h"

using namespace kennfix;

namespace {
const QString kLeaveRefused =
    QStringLiteral("Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.");
}

class TestDateField : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsEmpty();
    void typing_data();
    void typing();
    void halfFilledDayAndMonthCompute();
    void letterAfterTabBlanksAndBlocksLeavingUntilEscape();
    void onlyDayThenTabHighlightsYear();
    void incompleteYearDropsButtonPresses();
    void closeBoxClosesWithIncompleteYear();
    void enterChecksAtOnce();
    void pasteFillsFromCaret();
    void pasteWholeDateWithFourDigitYear();
    void clickHighlightsPosition();
    void untouchedFieldLeavesFreely();
    void separatorFollowsRegionalSettings();
    void highlightOnlyWhileFocused();
    void clickOnEtinIsNoLeaving();

private:
    DateOfBirthEdit* field() const { return m_window->form->MEdiGebDat; }
    void tabIntoField();
    void expectRefusal(int boxes);

    std::unique_ptr<ShownWindow> m_window;
};

void TestDateField::init()
{
    m_window = std::make_unique<ShownWindow>();
    QVERIFY(m_window->waitForActive());
    m_window->form->LEdiName->setText(QStringLiteral("Meier"));
    m_window->form->LEdiVorname->setText(QStringLiteral("Li"));
}

void TestDateField::cleanup()
{
    m_window.reset();
}

void TestDateField::tabIntoField()
{
    m_window->form->LEdiVorname->setFocus();
    QTest::keyClick(m_window->form->LEdiVorname, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), field());
}

// The message box came `boxes` times in all, the last one the leave check's,
// and the focus is back in the field.
void TestDateField::expectRefusal(int boxes)
{
    QCOMPARE(m_window->boxes.boxes.size(), boxes);
    QCOMPARE(m_window->boxes.boxes.last().title, QStringLiteral("Kennfix"));
    QCOMPARE(m_window->boxes.boxes.last().text, kLeaveRefused);
    QTRY_COMPARE(QApplication::focusWidget(), field());
}

void TestDateField::startsEmpty()
{
    QCOMPARE(field()->text(), QStringLiteral("__.__.__"));
    QCOMPARE(field()->fieldText(), QStringLiteral("  .  .  "));
}

void TestDateField::typing_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::newRow("all digits") << "120380" << "12.03.80" << "12.03.80" << 0;
    QTest::newRow("separator jumps") << "3.7.61" << "3_.7_.61" << "3 .7 .61" << 0;
    QTest::newRow("letter refused") << "1x2" << "12.__.__" << "12.  .  " << 1;
    QTest::newRow("separator in the year") << "120380." << "12.03.80" << "12.03.80" << 1;
    QTest::newRow("nothing after the year") << "1203801" << "12.03.80" << "12.03.80" << 1;
}

void TestDateField::typing()
{
    QFETCH(QString, keys);
    QFETCH(QString, screen);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    tabIntoField();
    QTest::keyClicks(field(), keys);
    QCOMPARE(field()->text(), screen);
    QCOMPARE(field()->fieldText(), text);
    QCOMPARE(m_window->platform.beeps, beeps);
}

void TestDateField::halfFilledDayAndMonthCompute()
{
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("3.7.61"));
    ClickThroughWindow(m_window->form->BtnRechnen);
    QVERIFY(m_window->boxes.boxes.isEmpty());
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MREILIXX61G03S"));
}

void TestDateField::letterAfterTabBlanksAndBlocksLeavingUntilEscape()
{
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("120380"));
    QTest::keyClick(field(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_window->form->BtnRechnen);

    QTest::keyClick(m_window->form->BtnRechnen, Qt::Key_Backtab);
    QCOMPARE(field()->selectedText(), QStringLiteral("12.03.80"));
    QTest::keyClick(field(), Qt::Key_A);
    QCOMPARE(field()->text(), QStringLiteral("__.__.__"));
    QCOMPARE(m_window->platform.beeps, 1);

    QTest::keyClick(field(), Qt::Key_Tab);
    expectRefusal(1);
    QCOMPARE(m_window->platform.beeps, 2);
    QCOMPARE(field()->text(), QStringLiteral("__.__.__"));

    QTest::keyClick(field(), Qt::Key_Escape);
    QCOMPARE(field()->text(), QStringLiteral("12.03.80"));
    QTest::keyClick(field(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_window->form->BtnRechnen);
    QCOMPARE(m_window->boxes.boxes.size(), 1);
}

void TestDateField::onlyDayThenTabHighlightsYear()
{
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("12"));
    QTest::keyClick(field(), Qt::Key_Tab);
    expectRefusal(1);
    QCOMPARE(field()->selectionStart(), 6);
    QCOMPARE(field()->selectedText(), QStringLiteral("_"));
    // The text stays as typed; finishing the year lets the field go.
    QCOMPARE(field()->fieldText(), QStringLiteral("12.  .  "));
    QTest::keyClicks(field(), QStringLiteral("80"));
    QTest::keyClick(field(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_window->form->BtnRechnen);
}

// A press that would take the focus out of the field is dropped while the
// year is incomplete: no calculation, no printout, no end.
void TestDateField::incompleteYearDropsButtonPresses()
{
    m_window->form->LabTIN->setText(QStringLiteral("BEFORE"));
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("1203"));

    ClickThroughWindow(m_window->form->BtnRechnen);
    expectRefusal(1);
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("BEFORE"));

    ClickThroughWindow(m_window->form->BtnClose);
    expectRefusal(2);
    QVERIFY(m_window->form->isVisible());

    ClickThroughWindow(m_window->form->LEdiName);
    expectRefusal(3);
    QCOMPARE(field()->fieldText(), QStringLiteral("12.03.  "));
    QVERIFY(m_window->form->isVisible());
}

void TestDateField::closeBoxClosesWithIncompleteYear()
{
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("12"));
    QVERIFY(m_window->form->close());
    QVERIFY(m_window->boxes.boxes.isEmpty());
}

void TestDateField::enterChecksAtOnce()
{
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("1203"));
    QTest::keyClick(field(), Qt::Key_Return);
    expectRefusal(1);
    QCOMPARE(field()->selectionStart(), 6);
}

void TestDateField::pasteFillsFromCaret()
{
    tabIntoField();
    QTest::keyClick(field(), Qt::Key_Home);
    QApplication::clipboard()->setText(QStringLiteral("12.03.19801"));
    QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field()->text(), QStringLiteral("12.03.19"));

    // A pasted incomplete year counts as a change and is caught.
    QTest::keyClick(field(), Qt::Key_Escape);
    QApplication::clipboard()->setText(QStringLiteral("1"));
    QTest::keyClick(field(), Qt::Key_End);
    QTest::keyClick(field(), Qt::Key_Left);
    QTest::keyClick(field(), Qt::Key_Left);
    QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field()->text(), QStringLiteral("__.__.1_"));
    QTest::keyClick(field(), Qt::Key_Tab);
    expectRefusal(1);
}

// Dates copied from other programs carry the whole year; the field holds
// its last two digits, not its first.
void TestDateField::pasteWholeDateWithFourDigitYear()
{
    tabIntoField();
    QApplication::clipboard()->setText(QStringLiteral("12.03.1980\r\n"));
    QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field()->text(), QStringLiteral("12.03.80"));
    ClickThroughWindow(m_window->form->BtnRechnen);
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MREILIXX80C12K"));
}

void TestDateField::clickHighlightsPosition()
{
    // The first point of the field that lies at position 3, the month's first digit.
    int x = 0;
    while (x < field()->width() && field()->cursorPositionAt(QPoint(x, field()->height() / 2)) < 3)
        ++x;
    ClickThroughWindow(field(), QPoint(x + 1, field()->height() / 2));
    QCOMPARE(QApplication::focusWidget(), field());
    QCOMPARE(field()->selectionStart(), 3);
    QCOMPARE(field()->selectedText(), QStringLiteral("_"));
    QTest::keyClicks(field(), QStringLiteral("7"));
    QCOMPARE(field()->fieldText(), QStringLiteral("  .7 .  "));

    // Behind the last position nothing is highlighted.
    ClickThroughWindow(field(), QPoint(field()->width() - 3, field()->height() / 2));
    QCOMPARE(field()->selectedText(), QString());
    QCOMPARE(field()->cursorPosition(), 8);
}

void TestDateField::untouchedFieldLeavesFreely()
{
    tabIntoField();
    QTest::keyClick(field(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_window->form->BtnRechnen);
    ClickThroughWindow(m_window->form->BtnRechnen);
    QVERIFY(m_window->boxes.boxes.isEmpty());
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MREILIXX00A01I"));
}

// The text on screen keeps the separator it was shown with; the text handed
// to the calculation takes the current one.
void TestDateField::separatorFollowsRegionalSettings()
{
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("120380"));
    m_window->platform.settings = {'/', DateOrder::DayMonthYear};
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(field(), &change);
    QCOMPARE(field()->text(), QStringLiteral("12.03.80"));
    QCOMPARE(field()->fieldText(), QStringLiteral("12/03/80"));
    ClickThroughWindow(m_window->form->BtnRechnen);
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MREILIXX80C12K"));

    // The order too: year first, a pasted four-digit year is cut at the front.
    m_window->platform.settings = {'-', DateOrder::YearMonthDay};
    QApplication::sendEvent(field(), &change);
    tabIntoField();
    QApplication::clipboard()->setText(QStringLiteral("1980-03-12"));
    QTest::keyClick(field(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field()->fieldText(), QStringLiteral("80-03-12"));
    ClickThroughWindow(m_window->form->BtnRechnen);
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MREILIXX80C12K"));
}

// Only the control with the focus shows a highlight: the field's goes when
// the focus leaves it, by a click or by the program, and comes back with it.
void TestDateField::highlightOnlyWhileFocused()
{
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("120380"));
    QTest::keyClick(field(), Qt::Key_Home);
    QCOMPARE(field()->selectedText(), QStringLiteral("1"));

    ClickThroughWindow(m_window->form->LEdiVorname);
    QCOMPARE(QApplication::focusWidget(), m_window->form->LEdiVorname);
    QVERIFY(!field()->hasSelectedText());

    tabIntoField();
    QCOMPARE(field()->selectedText(), QStringLiteral("12.03.80"));

    // "Name fehlt" puts the focus into the name field.
    m_window->form->LEdiName->clear();
    ClickThroughWindow(m_window->form->BtnRechnen);
    QTRY_COMPARE(QApplication::focusWidget(), m_window->form->LEdiName);
    QVERIFY(!field()->hasSelectedText());

    ClickThroughWindow(field(), QPoint(field()->width() - 3, field()->height() / 2));
    QCOMPARE(QApplication::focusWidget(), field());
    QCOMPARE(field()->cursorPosition(), 8);
    QTest::keyClick(field(), Qt::Key_Left);
    QCOMPARE(field()->selectedText(), QStringLiteral("0"));
}

// The eTIN takes no focus, so a click on it, even to select it, leaves the
// date field neither checked nor without its highlight.
void TestDateField::clickOnEtinIsNoLeaving()
{
    QLabel* etin = m_window->form->LabTIN;
    etin->setText(QStringLiteral("MREILIXX00A01I"));
    etin->adjustSize();
    tabIntoField();
    QTest::keyClicks(field(), QStringLiteral("12"));

    ClickThroughWindow(etin);
    QTest::mouseDClick(m_window->form->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       etin->mapTo(m_window->form.get(), etin->rect().center()));
    QCOMPARE(etin->selectedText(), QStringLiteral("MREILIXX00A01I"));
    QVERIFY(m_window->boxes.boxes.isEmpty());
    QCOMPARE(m_window->platform.beeps, 0);
    QCOMPARE(QApplication::focusWidget(), field());
    QCOMPARE(field()->selectedText(), QStringLiteral("_"));
    QCOMPARE(field()->selectionStart(), 3);
}

QTEST_MAIN(TestDateField)
#include "tst_datefield.moc"
