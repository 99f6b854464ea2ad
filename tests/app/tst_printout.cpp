// "Drucken" in the real window, printed through a CUPS scheduler of the
// test's own; the document it received is read back.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "app/dateofbirthedit.h"
#include "app/print/sheetprinter.h"
#include "app/unit1.h"
#include "tests/app/testsupport.h"
#include "tests/print/cupssandbox.h"
#include "tests/print/printedsheet.h"
#include "tests/print/silentprintserver.h"

using namespace kennfix;

namespace {
constexpr int kJobTimeoutMs = 30'000;

// Counts the events of one type that reach a widget.
class EventCounter : public QObject {
public:
    EventCounter(QObject* watched, QEvent::Type type, int& count) : m_type(type), m_count(count)
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type)
            ++m_count;
        return false;
    }

private:
    QEvent::Type m_type;
    int& m_count;
};
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
    void silentPrintServerHoldsUpNothing();

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
    m_window.reset();  // leaves a job that still waits for the print server
    m_cups.reset();
    QTRY_COMPARE_WITH_TIMEOUT(SheetPrinter::RunningThreads(), 0, kJobTimeoutMs);
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

// The sheet shows the fields as they stand, lower case and blanks as typed,
// and the eTIN only while it is theirs: a name changed after the calculation
// goes on paper without the old eTIN, and printing computes nothing.
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
                          QStringLiteral("Die eTIN lautet:"), kFooter}));
    QCOMPARE(m_window->form->LabTIN->text(), QString());
}

void TestPrintout::noDefaultPrinterThenOne()
{
    ClickThroughWindow(m_window->form->BtnDrucken);
    QTRY_COMPARE(m_window->boxes.boxes.size(), 1);
    QCOMPARE(m_window->boxes.boxes[0].title, QStringLiteral("Kennfix"));
    QCOMPARE(m_window->boxes.boxes[0].text, QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt."));
    QVERIFY(m_cups->Documents().isEmpty());

    // The next press looks again.
    QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
             qPrintable(m_cups->Error()));
    QCOMPARE(printedSheet().value(0), QStringLiteral("Berechnung eTIN"));
    QCOMPARE(m_window->boxes.boxes.size(), 1);
}

// A print server that takes the connection and never answers holds up
// neither the window's input and painting nor its closing.
void TestPrintout::silentPrintServerHoldsUpNothing()
{
    SilentPrintServer silent;
    QVERIFY2(silent.Start(), qPrintable(silent.Error()));
    TForm1* form = m_window->form.get();
    ClickThroughWindow(form->BtnDrucken);
    QTRY_COMPARE(silent.Connections(), 1);

    int paints = 0;
    EventCounter painted(form->LEdiName, QEvent::Paint, paints);
    form->LEdiName->setFocus();
    QTest::keyClicks(form->LEdiName, QStringLiteral("Meier"));
    QCOMPARE(form->LEdiName->text(), QStringLiteral("Meier"));
    QTRY_VERIFY(paints > 0);

    ClickThroughWindow(form->BtnDrucken);
    QTRY_COMPARE(m_window->boxes.boxes.size(), 1);
    QCOMPARE(m_window->boxes.boxes[0].text, QStringLiteral("Druckvorgang läuft."));

    bool closed = false;
    connect(form, &QObject::destroyed, this, [&] { closed = true; });
    form->setAttribute(Qt::WA_DeleteOnClose);
    ClickThroughWindow(form->BtnClose);
    QTRY_VERIFY(closed);
    m_window->form.release();  // deleted on close
    QCOMPARE(SheetPrinter::RunningThreads(), 1);  // the look-up still waits, on its own
    silent.Release();
}

QTEST_MAIN(TestPrintout)
#include "tst_printout.moc"
