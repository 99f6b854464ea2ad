#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizeGrip>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocument>

#include <algorithm>
#include <functional>
#include <memory>

#include "app/dateofbirthedit.h"
#include "app/messagedialog.h"
#include "app/unit1.h"
#include "core/etin.h"
#include "tests/app/testsupport.h"
#include "tests/data/referencecases.h"
#include "qtfrontend/qttranslations.h"

using namespace kennfix;

namespace {

// The keys that make the date field hold `fieldText`: the digits of each
// part, and the separator after a day or month of one digit, which moves on
// to the next part early (a part of two digits moves on by itself).
QString KeysFor(const QString& fieldText)
{
    const QStringList parts = fieldText.split(u'.');
    QString keys;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString digits = parts[i].trimmed();
        keys += digits;
        if (i + 1 < parts.size() && digits.size() < 2)
            keys += u'.';
    }
    return keys;
}

// Something the user does to the window after a calculation.
using UserStep = std::function<void(TForm1&)>;

}  // namespace

Q_DECLARE_METATYPE(UserStep)

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layout();
    void missingNameShowsMessageDialog_data();
    void missingNameShowsMessageDialog();
    void computesEtin_data();
    void computesEtin();
    void invalidDateShowsErrorBox();
    void changedEntryEmptiesEtin_data();
    void changedEntryEmptiesEtin();
    void nameFieldRefusesCharactersWithoutAnsiForm();
    void tabOrder();
    void closeButtonEndsAtOnce();
    void messageDialogCopiesItsText();
    void accessibleNames();
    void errorBoxAppendsFullStop_data();
    void errorBoxAppendsFullStop();
    void qtTextsAreGerman();
    void statusBarShowsWholeNotice();
    void statusBarCoversWhatLiesBelow();
    void etinCopiedWithoutTakingFocus();
    void nothingClipped();

private:
    void setEntries(const QString& family, const QString& first);
    void click(QPushButton* button) { ClickThroughWindow(button); }
    void enterDate(const QString& typed);

    std::unique_ptr<ShownWindow> m_window;
};

// Qt's own texts in German, as the program loads them.
void TestMainWindow::initTestCase()
{
    QVERIFY(LoadGermanQtTexts(*qApp));
}

void TestMainWindow::init()
{
    m_window = std::make_unique<ShownWindow>();
    QVERIFY(m_window->waitForActive());
}

void TestMainWindow::cleanup()
{
    m_window.reset();
}

void TestMainWindow::setEntries(const QString& family, const QString& first)
{
    m_window->form->LEdiName->setText(family);
    m_window->form->LEdiVorname->setText(first);
}

// Tab into the date field, which selects it all, and type over it.
void TestMainWindow::enterDate(const QString& typed)
{
    m_window->form->LEdiVorname->setFocus();
    QTest::keyClick(m_window->form->LEdiVorname, Qt::Key_Tab);
    QTest::keyClicks(m_window->form->MEdiGebDat, typed);
}

void TestMainWindow::layout()
{
    QCOMPARE(m_window->form->windowTitle(), QStringLiteral("Kennfix"));
    QCOMPARE(m_window->form->size(), QSize(391, 314));
    QVERIFY(!(m_window->form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_window->form->LEdiName->geometry(), QRect(96, 32, 121, 21));
    QCOMPARE(m_window->form->MEdiGebDat->geometry(), QRect(96, 112, 120, 21));
    QCOMPARE(m_window->form->BtnClose->geometry(), QRect(240, 106, 129, 25));
    QCOMPARE(m_window->form->LEdiName->maxLength(), 40);
    QCOMPARE(m_window->form->LabTIN->text(), QString());
    QVERIFY(m_window->form->LabTIN->font().bold());
    QCOMPARE(m_window->form->LabTIN->font().pixelSize(), 21);
    QCOMPARE(m_window->form->Memo1->toPlainText().split(u'\n').size(), 5);
    QCOMPARE(m_window->form->Memo1->toPlainText().split(u'\n').last(),
             QStringLiteral("an. (Doppelnamen wie z.B. Krümer-Lüdwalt sind erlaubt)"));
    QCOMPARE(m_window->form->MEdiGebDat->fieldText(), QStringLiteral("  .  .  "));

    // Resizing moves the status bar only.
    m_window->form->resize(500, 400);
    QCOMPARE(m_window->form->StatusBar1->geometry(), QRect(0, 380, 500, 20));
    QCOMPARE(m_window->form->BtnRechnen->geometry(), QRect(240, 32, 129, 25));
}

// A missing name is reported in the message dialog, the family name first,
// and the focus goes to the field; the eTIN shown stays.
void TestMainWindow::missingNameShowsMessageDialog_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("field");
    QTest::newRow("both names empty: only the family name") << "" << "" << "Name fehlt" << "LEdiName";
    QTest::newRow("family name empty") << "" << "Hans" << "Name fehlt" << "LEdiName";
    QTest::newRow("first name empty") << "Meier" << "" << "Vorname fehlt" << "LEdiVorname";
}

void TestMainWindow::missingNameShowsMessageDialog()
{
    QFETCH(QString, family);
    QFETCH(QString, first);
    QFETCH(QString, message);
    QFETCH(QString, field);
    setEntries(family, first);
    m_window->form->LabTIN->setText(QStringLiteral("OLD"));
    m_window->form->BtnDrucken->setFocus();
    click(m_window->form->BtnRechnen);
    QCOMPARE(m_window->boxes.boxes.size(), 1);
    const ShownBox& box = m_window->boxes.boxes[0];
    QCOMPARE(box.title, QStringLiteral("Fehler"));
    QCOMPARE(box.text, message);
    QVERIFY(box.stopIcon);
    QCOMPARE(box.className, MessageDialog::staticMetaObject.className());
    QTRY_COMPARE(QApplication::focusWidget(), m_window->form->findChild<QWidget*>(field));
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("OLD"));
}

// The reference cases, typed as a clerk types them; a case whose date field
// is untouched leaves it so.
void TestMainWindow::computesEtin_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("etin");
    for (const test::ReferenceCase& c : test::ReferenceCases()) {
        QTest::newRow(c.name.c_str()) << QString::fromStdString(c.familyName) << QString::fromStdString(c.firstName)
                                      << QString::fromStdString(c.date) << QString::fromStdString(c.etin);
    }
}

void TestMainWindow::computesEtin()
{
    QFETCH(QString, family);
    QFETCH(QString, first);
    QFETCH(QString, date);
    QFETCH(QString, etin);
    QCOMPARE(m_window->platform.date.year(), test::kReferenceYear);
    setEntries(family, first);
    if (date != QString::fromUtf8(kEmptyDateText))
        enterDate(KeysFor(date));
    QCOMPARE(m_window->form->MEdiGebDat->fieldText(), date);
    click(m_window->form->BtnRechnen);
    QVERIFY(m_window->boxes.boxes.isEmpty());
    QCOMPARE(m_window->form->LabTIN->text(), etin);
}

// The date error leaves LabTIN alone; the changed date has emptied it
// already, so no eTIN of the earlier date stays beside the new one.
void TestMainWindow::invalidDateShowsErrorBox()
{
    setEntries(QStringLiteral("Müller"), QStringLiteral("Hans"));
    enterDate(QStringLiteral("120380"));
    click(m_window->form->BtnRechnen);
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MLLRHNSA80C12S"));

    enterDate(QStringLiteral("310280"));
    click(m_window->form->BtnRechnen);
    QCOMPARE(m_window->boxes.boxes.size(), 1);
    QCOMPARE(m_window->boxes.boxes[0].title, QStringLiteral("Kennfix"));
    QCOMPARE(m_window->boxes.boxes[0].text, QStringLiteral("'31.02.80' is not a valid date."));
    QVERIFY(m_window->boxes.boxes[0].stopIcon);
    QCOMPARE(m_window->boxes.boxes[0].className, QMessageBox::staticMetaObject.className());
    QCOMPARE(m_window->form->LabTIN->text(), QString());

    // The program carries on: the next calculation works.
    enterDate(QStringLiteral("010280"));
    click(m_window->form->BtnRechnen);
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MLLRHNSA80B01H"));
}

void TestMainWindow::changedEntryEmptiesEtin_data()
{
    QTest::addColumn<UserStep>("step");
    QTest::addColumn<bool>("empties");

    const auto tabIntoDate = [](TForm1& f) {
        f.LEdiVorname->setFocus();
        QTest::keyClick(f.LEdiVorname, Qt::Key_Tab);
    };
    QTest::newRow("family name typed") << UserStep([](TForm1& f) { QTest::keyClicks(f.LEdiName, "x"); }) << true;
    QTest::newRow("first name erased") << UserStep([](TForm1& f) {
        f.LEdiVorname->setFocus();
        QTest::keyClick(f.LEdiVorname, Qt::Key_Backspace);
    }) << true;
    QTest::newRow("name pasted") << UserStep([](TForm1& f) {
        QApplication::clipboard()->setText(QStringLiteral("Schmidt"));
        f.LEdiName->selectAll();
        f.LEdiName->paste();
    }) << true;
    QTest::newRow("date typed over") << UserStep([=](TForm1& f) {
        tabIntoDate(f);
        QTest::keyClicks(f.MEdiGebDat, "020280");
    }) << true;
    // Escape brings back the date, not the eTIN: that takes a new calculation.
    QTest::newRow("date typed, then Escape") << UserStep([=](TForm1& f) {
        tabIntoDate(f);
        QTest::keyClicks(f.MEdiGebDat, "9");
        QTest::keyClick(f.MEdiGebDat, Qt::Key_Escape);
        QCOMPARE(f.MEdiGebDat->fieldText(), QStringLiteral("01.02.80"));
    }) << true;

    QTest::newRow("focus moves") << UserStep([=](TForm1& f) {
        f.LEdiName->setFocus();
        for (int i = 0; i < 7; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ClickThroughWindow(f.LEdiVorname);
        tabIntoDate(f);
        QTest::keyClick(f.MEdiGebDat, Qt::Key_End);
        ClickThroughWindow(f.LEdiName);
    }) << false;
    QTest::newRow("Escape in the untouched date") << UserStep([=](TForm1& f) {
        tabIntoDate(f);
        QTest::keyClick(f.MEdiGebDat, Qt::Key_Escape);
    }) << false;
    QTest::newRow("refused character") << UserStep([](TForm1& f) { TypeText(f.LEdiName, QStringLiteral("中")); })
                                       << false;
    QTest::newRow("date field full") << UserStep([=](TForm1& f) {
        tabIntoDate(f);
        QTest::keyClick(f.MEdiGebDat, Qt::Key_End);
        QTest::keyClicks(f.MEdiGebDat, "1");
    }) << false;
}

// The window never shows an eTIN beside entries it was not computed from: a
// real change of any entry's text empties LabTIN, whose accessible name
// follows; moving about changes nothing.
void TestMainWindow::changedEntryEmptiesEtin()
{
    QFETCH(UserStep, step);
    QFETCH(bool, empties);
    TForm1& form = *m_window->form;
    setEntries(QStringLiteral("Müller"), QStringLiteral("Hans"));
    enterDate(QStringLiteral("010280"));
    click(form.BtnRechnen);
    QCOMPARE(form.LabTIN->text(), QStringLiteral("MLLRHNSA80B01H"));

    step(form);
    const QString shown = empties ? QString() : QStringLiteral("MLLRHNSA80B01H");
    QCOMPARE(form.LabTIN->text(), shown);
    QCOMPARE(QAccessible::queryAccessibleInterface(form.LabTIN)->text(QAccessible::Name), shown);
    QCOMPARE(form.StatusBar1->currentMessage().isEmpty(), !empties);
    QVERIFY(m_window->boxes.boxes.isEmpty());
    if (!empties)
        return;
    QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Eingabe geändert – bitte die eTIN neu berechnen"));
    QVERIFY(form.StatusBar1->isVisible());

    // The next calculation fills it again and takes the message away.
    click(form.BtnRechnen);
    QVERIFY(!form.LabTIN->text().isEmpty());
    QCOMPARE(form.StatusBar1->currentMessage(), QString());
}

// A character with no place in Windows-1252 would reach the core as nothing
// or as "?"; the field refuses it with a beep, typed or pasted.
void TestMainWindow::nameFieldRefusesCharactersWithoutAnsiForm()
{
    QLineEdit* name = m_window->form->LEdiName;
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Li"));
    TypeText(name, QStringLiteral("中"));
    QCOMPARE(name->text(), QStringLiteral("Li"));
    QCOMPARE(m_window->platform.beeps, 1);

    QApplication::clipboard()->setText(QStringLiteral("u😀"));
    name->paste();
    QCOMPARE(name->text(), QStringLiteral("Li"));
    QCOMPARE(m_window->platform.beeps, 2);

    QApplication::clipboard()->setText(QStringLiteral("ş"));  // has a base letter
    name->paste();
    QCOMPARE(name->text(), QStringLiteral("Liş"));
    QCOMPARE(m_window->platform.beeps, 2);
}

void TestMainWindow::tabOrder()
{
    const QList<QWidget*> order = {m_window->form->LEdiName,   m_window->form->LEdiVorname, m_window->form->MEdiGebDat, m_window->form->BtnRechnen,
                                   m_window->form->BtnDrucken, m_window->form->BtnClose,    m_window->form->Memo1,      m_window->form->LEdiName};
    QCOMPARE(QApplication::focusWidget(), order[0]);
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
    // Tabbing into a name field selects its text.
    m_window->form->LEdiVorname->setText(QStringLiteral("Hans"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(m_window->form->LEdiVorname->selectedText(), QStringLiteral("Hans"));
}

void TestMainWindow::closeButtonEndsAtOnce()
{
    bool closed = false;
    connect(m_window->form.get(), &QObject::destroyed, this, [&] { closed = true; });
    m_window->form->setAttribute(Qt::WA_DeleteOnClose);
    click(m_window->form->BtnClose);
    QVERIFY(m_window->boxes.boxes.isEmpty());
    QTRY_VERIFY(closed);
    m_window->form.release();  // deleted on close
}

void TestMainWindow::messageDialogCopiesItsText()
{
    MessageDialog dialog(QStringLiteral("Name fehlt"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(&dialog, Qt::Key_C, Qt::ControlModifier);
    const QString line = QStringLiteral("---------------------------\r\n");
    QCOMPARE(QApplication::clipboard()->text(),
             line + "Fehler\r\n" + line + "Name fehlt\r\n" + line + "OK   \r\n" + line);
    QCOMPARE(m_window->platform.beeps, 1);
    // Escape presses OK.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
}

// What a screen reader says for each control.
void TestMainWindow::accessibleNames()
{
    setEntries(QStringLiteral("Müller"), QStringLiteral("Hans"));
    click(m_window->form->BtnRechnen);
    const QList<QPair<QWidget*, QString>> expected = {
        {m_window->form->LEdiName, "Familienname"},     {m_window->form->LEdiVorname, "Vorname"},
        {m_window->form->MEdiGebDat, "Geburtsdatum"},   {m_window->form->BtnRechnen, "eTIN berechnen"},
        {m_window->form->BtnDrucken, "Drucken"},        {m_window->form->BtnClose, "Programm beenden"},
        {m_window->form->LabTIN, "MLLRHNSA00A01Q"},
    };
    for (const auto& [widget, name] : expected) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), name);
    }
}

void TestMainWindow::errorBoxAppendsFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Druckvorgang läuft" << "Druckvorgang läuft.";
    QTest::newRow("full stop") << "Mit der Taste ESC machen Sie die Änderungen rückgängig." << "Mit der Taste ESC machen Sie die Änderungen rückgängig.";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("below the full stop") << "(x)" << "(x)";
    QTest::newRow("hyphen") << "x-" << "x-";
    QTest::newRow("slash, above it") << "x/" << "x/.";
    QTest::newRow("digit") << "x1" << "x1.";
}

void TestMainWindow::errorBoxAppendsFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(ErrorBoxText(message), shown);
}

// Qt's own texts are German, as the program's are.
void TestMainWindow::qtTextsAreGerman()
{
    QMenu* menu = OpenContextMenu(m_window->form->LEdiName);
    QVERIFY(menu);
    const QStringList entries = MenuEntries(menu);
    menu->close();
    QCOMPARE(entries, (QStringList{"Rückgängig\tStrg+Z", "Wiederherstellen\tStrg+Y", "Ausschneiden\tStrg+X",
                                   "Kopieren\tStrg+C", "Einfügen\tStrg+V", "Löschen", "Alles auswählen\tStrg+A"}));
}

// The maker's notice reads whole at the window's normal size: its text, in
// the font it is drawn in, fits the part of the label that shows, and the
// label stands clear of the size grip.
void TestMainWindow::statusBarShowsWholeNotice()
{
    QStatusBar* bar = m_window->form->StatusBar1;
    auto* notice = bar->findChild<QLabel*>();
    QVERIFY(notice);
    QVERIFY(notice->isVisible());
    const int textWidth = notice->fontMetrics().horizontalAdvance(notice->text());
    QVERIFY2(textWidth <= notice->contentsRect().width(),
             qPrintable(QStringLiteral("text %1 px, shown %2 px").arg(textWidth).arg(notice->contentsRect().width())));
    QVERIFY(bar->rect().contains(notice->geometry()));
    const auto* grip = bar->findChild<QSizeGrip*>();
    QVERIFY(grip && grip->isVisible());
    QVERIFY(notice->geometry().right() < grip->geometry().left());
}

// Made smaller, the window puts the status bar over the instruction text,
// which must not show through it.
void TestMainWindow::statusBarCoversWhatLiesBelow()
{
    TForm1& form = *m_window->form;
    form.resize(form.width(), 240);
    QStatusBar* bar = form.StatusBar1;
    const QRect barRect = bar->geometry();
    QVERIFY(barRect.intersects(form.Memo1->geometry()));

    const QImage shot = form.grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    const auto* notice = bar->findChild<QLabel*>();
    const auto* grip = bar->findChild<QSizeGrip*>();
    // The empty stretch between the end of the notice and the size grip,
    // where it lies over the instruction text.
    const int from = barRect.left() + notice->geometry().left() + notice->contentsRect().left() +
                     notice->fontMetrics().horizontalAdvance(notice->text()) + 3;
    const int to = std::min(barRect.left() + grip->geometry().left(), form.Memo1->geometry().right()) - 1;
    QVERIFY(from < to);
    const QColor background = bar->palette().color(QPalette::Window);
    for (int x = from; x <= to; ++x) {
        const QColor seen = shot.pixelColor(QPoint(x, barRect.center().y()) * ratio);
        QVERIFY2(seen == background, qPrintable(QStringLiteral("at x = %1: %2 instead of the status bar's %3")
                                                    .arg(x)
                                                    .arg(seen.name(), background.name())));
    }
}

// The eTIN can be selected and copied, is read out by a label, and takes
// no focus.
void TestMainWindow::etinCopiedWithoutTakingFocus()
{
    setEntries(QStringLiteral("Müller"), QStringLiteral("Hans"));
    click(m_window->form->BtnRechnen);
    QLabel* etin = m_window->form->LabTIN;
    QCOMPARE(etin->text(), QStringLiteral("MLLRHNSA00A01Q"));
    m_window->form->LEdiVorname->setFocus();

    QTest::mouseDClick(m_window->form->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       etin->mapTo(m_window->form.get(), etin->rect().center()));
    QCOMPARE(etin->selectedText(), QStringLiteral("MLLRHNSA00A01Q"));
    QCOMPARE(QApplication::focusWidget(), m_window->form->LEdiVorname);

    QApplication::clipboard()->clear();
    QMenu* menu = OpenContextMenu(etin);
    QVERIFY(menu);
    QCOMPARE(MenuEntries(menu), (QStringList{"Kopieren", "Alles auswählen"}));
    menu->actions().constFirst()->trigger();
    menu->close();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("MLLRHNSA00A01Q"));
    QCOMPARE(QApplication::focusWidget(), m_window->form->LEdiVorname);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(etin);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::StaticText);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("MLLRHNSA00A01Q"));
    QVERIFY(!accessible->state().focusable);
}

// Every text shows whole in its control, and every control lies within the
// window. Run at 96 dpi here and at 192 dpi on a real X server by the
// end-to-end test.
void TestMainWindow::nothingClipped()
{
    TForm1& form = *m_window->form;
    setEntries(QStringLiteral("Müller"), QStringLiteral("Hans"));
    click(form.BtnRechnen);
    QVERIFY(!form.LabTIN->text().isEmpty());

    for (QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&form) || widget->size().isEmpty())
            continue;
        const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                            : widget->objectName();
        const QRect inWindow(widget->mapTo(&form, QPoint(0, 0)), widget->size());
        QVERIFY2(form.rect().contains(inWindow), qPrintable(name + QStringLiteral(" lies outside the window")));

        QRect textArea;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            textArea = label->contentsRect();
            text = label->text();
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            textArea = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            text = button->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QVERIFY2(edit->minimumSizeHint().height() <= edit->height(), qPrintable(name + QStringLiteral(" too low")));
            textArea = edit->contentsRect();
            text = edit->text();
        } else {
            continue;
        }
        const QSize textSize = widget->fontMetrics().size(Qt::TextSingleLine, text);
        QVERIFY2(textSize.width() <= textArea.width() && textSize.height() <= textArea.height(),
                 qPrintable(QStringLiteral("%1: \"%2\" needs %3 × %4, has %5 × %6")
                                .arg(name, text)
                                .arg(textSize.width())
                                .arg(textSize.height())
                                .arg(textArea.width())
                                .arg(textArea.height())));
    }

    // The instruction text needs no scrolling.
    const QSizeF document = form.Memo1->document()->size();
    QVERIFY(document.height() <= form.Memo1->viewport()->height());
    QVERIFY(form.Memo1->document()->idealWidth() <= form.Memo1->viewport()->width());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
