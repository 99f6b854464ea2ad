// "Drucken" in the real window, printed through a CUPS scheduler of the
// test's own; the document it received is read back.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "cupssandbox.h"
#include "dateofbirthedit.h"
#include "printedsheet.h"
#include "testsupport.h"
#include "unit1.h"

using namespace kennfix;

namespace {
constexpr int kJobTimeoutMs = 30'000;
const QString kFooter = QStringLiteral("Erstellt am 08.12.2026 mit Programm Kennfix – © die Kennfix-Entwickler");
}

class TestPrintout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void printsRightAfterStart();
    void printsFieldsAsTheyStand();
    void noDefaultPrinterThenOne();

private:
    // Presses "Drucken" and gives the lines of the sheet that arrived.
    QStringList printedSheet();

    std::unique_ptr<CupsSandbox> m_cups;
    std::unique_ptr<ShownWindow> m_window;
};

void TestPrintout::init()
{
    m_cups = std::make_unique<CupsSandbox>();
    QVERIFY2(m_cups->Start(), qPrintable(m_cups->Error()));
    m_window = std::make_unique<ShownWindow>();
    QVERIFY(m_window->waitForActive());
}

void TestPrintout::cleanup()
{
    m_window.reset();  // waits for a job still being handed over
    m_cups.reset();
}

QStringList TestPrintout::printedSheet()
{
    const qsizetype before = m_cups->Documents().size();
    ClickThroughWindow(m_window->form->BtnDrucken);
    [&] { QTRY_COMPARE_WITH_TIMEOUT(m_cups->Documents().size(), before + 1, kJobTimeoutMs); }();
    if (m_cups->Documents().size() != before + 1)
        return {};
    const PrintedSheet sheet = ReadPrintedSheet(m_cups->Documents().last());
    if (!sheet.fault.isEmpty())
        qWarning("%s", qPrintable(sheet.fault));
    return sheet.fault.isEmpty() ? sheet.lines : QStringList();
}

void TestPrintout::printsRightAfterStart()
{
    QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
             qPrintable(m_cups->Error()));
    // Blanks at the end of a line do not show on paper: the empty date field
    // reads "  .  ." there.
    QCOMPARE(printedSheet(),
             (QStringList{QStringLiteral("Berechnung eTIN"), QStringLiteral("Name:"), QStringLiteral("Vorname:"),
                          QStringLiteral("Geburtsdatum:   .  ."), QStringLiteral("Die eTIN lautet:"), kFooter}));
    QVERIFY(m_window->boxes.boxes.isEmpty());
}

// The sheet shows the fields as they stand, not as they were computed: a
// name changed afterwards goes beside the old eTIN, lower case and blanks as
// typed.
void TestPrintout::printsFieldsAsTheyStand()
{
    QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
             qPrintable(m_cups->Error()));
    m_window->form->LEdiName->setText(QStringLiteral("Müller"));
    m_window->form->LEdiVorname->setText(QStringLiteral("Hans"));
    m_window->form->LEdiVorname->setFocus();
    QTest::keyClick(m_window->form->LEdiVorname, Qt::Key_Tab);
    QTest::keyClicks(m_window->form->MEdiGebDat, QStringLiteral("3.7.61"));
    ClickThroughWindow(m_window->form->BtnRechnen);
    QCOMPARE(m_window->form->LabTIN->text(), QStringLiteral("MLLRHNSA61G03A"));

    m_window->form->LEdiName->setText(QStringLiteral("schön-schulze"));
    m_window->form->LEdiVorname->setText(QStringLiteral(" josé  maría"));
    QCOMPARE(printedSheet(),
             (QStringList{QStringLiteral("Berechnung eTIN"), QStringLiteral("Name: schön-schulze"),
                          QStringLiteral("Vorname:  josé  maría"), QStringLiteral("Geburtsdatum: 3 .7 .61"),
                          QStringLiteral("Die eTIN lautet: MLLRHNSA61G03A"), kFooter}));
}

void TestPrintout::noDefaultPrinterThenOne()
{
    ClickThroughWindow(m_window->form->BtnDrucken);
    QCOMPARE(m_window->boxes.boxes.size(), 1);
    QCOMPARE(m_window->boxes.boxes[0].title, QStringLiteral("Kennfix"));
    QCOMPARE(m_window->boxes.boxes[0].text, QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt."));
    QVERIFY(m_cups->Documents().isEmpty());

    // The next press looks again.
    QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
             qPrintable(m_cups->Error()));
    QCOMPARE(printedSheet().value(0), QStringLiteral("Berechnung eTIN"));
    QCOMPARE(m_window->boxes.boxes.size(), 1);
}

QTEST_MAIN(TestPrintout)
#include "tst_printout.moc"
