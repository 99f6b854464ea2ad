// Printing the sheet through a real CUPS scheduler of the test's own, and
// reading back the document the scheduler received.

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>

#include "app/print/sheetprinter.h"
#include "tests/print/cupssandbox.h"
#include "tests/print/printedsheet.h"
#include "tests/print/silentprintserver.h"

using kennfix::PrintError;
using kennfix::SheetPrinter;
using kennfix::SheetTexts;

Q_DECLARE_METATYPE(SheetTexts)

namespace {

constexpr int kJobTimeoutMs = 30'000;
// Short, so the tests do not wait long, yet ample for a scheduler that answers.
constexpr std::chrono::milliseconds kLookUpTimeout{3'000};
// Far below the time a silent server holds a client that waits for it.
constexpr qint64 kReturnsAtOnceMs = 10'000;
const QString kNoDefaultPrinter = QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt");

SheetTexts SomeTexts()
{
    return {QStringLiteral("Müller"), QStringLiteral("Hans"), QStringLiteral("01.01.00"),
            QStringLiteral("MLLRHNSA00A01Q"), QStringLiteral("08.12.2026")};
}

// True once the caller's event loop has handled an event posted now.
bool EventLoopTurns(QObject* context)
{
    bool handled = false;
    QTimer::singleShot(0, context, [&handled] { handled = true; });
    return QTest::qWaitFor([&handled] { return handled; }, 5'000);
}

// Presses "Drucken" once and waits for the job to end; gives the message the
// error box would show (without its full stop), empty when it printed.
QString PrintAndWait(SheetPrinter& printer, const SheetTexts& texts)
{
    QSignalSpy failed(&printer, &SheetPrinter::failed);
    QSignalSpy finished(&printer, &SheetPrinter::finished);
    try {
        printer.Print(texts);
    } catch (const PrintError& error) {
        return error.Message();
    }
    if (!finished.wait(kJobTimeoutMs))
        return QStringLiteral("(the job did not end)");
    return failed.isEmpty() ? QString() : failed.constFirst().constFirst().toString();
}

}  // namespace

class TestSheetPrinter : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_cups = std::make_unique<CupsSandbox>();
        QVERIFY2(m_cups->Start(), qPrintable(m_cups->Error()));
    }

    // No thread of one test runs on into the next: each ends once its
    // server answers or goes away.
    void cleanup()
    {
        m_cups.reset();
        QTRY_COMPARE_WITH_TIMEOUT(SheetPrinter::RunningThreads(), 0, kJobTimeoutMs);
    }

    void printsTheSheetAsTheWindowShowsIt_data()
    {
        QTest::addColumn<SheetTexts>("texts");
        QTest::addColumn<QStringList>("printed");  // the lines as they read on paper

        const QString footer = QStringLiteral("Erstellt am 08.12.2026 mit Programm Kennfix – © die Kennfix-Entwickler");
        // Right after the start: empty names, the bare date field, no eTIN.
        QTest::newRow("nothing entered")
            << SheetTexts{{}, {}, QStringLiteral("  .  .  "), {}, QStringLiteral("08.12.2026")}
            << QStringList{QStringLiteral("Berechnung eTIN"), QStringLiteral("Name:"), QStringLiteral("Vorname:"),
                           QStringLiteral("Geburtsdatum:   .  ."), QStringLiteral("Die eTIN lautet:"), footer};
        QTest::newRow("computed") << SomeTexts()
                                  << QStringList{QStringLiteral("Berechnung eTIN"), QStringLiteral("Name: Müller"),
                                                 QStringLiteral("Vorname: Hans"), QStringLiteral("Geburtsdatum: 01.01.00"),
                                                 QStringLiteral("Die eTIN lautet: MLLRHNSA00A01Q"), footer};
        // Lower case, leading and inner blanks as typed; no normalising.
        QTest::newRow("as typed")
            << SheetTexts{QStringLiteral("  von der müller"), QStringLiteral("hans  peter"), QStringLiteral(" 3.07.61"),
                          QStringLiteral("MLLRHNSA00A01Q"), QStringLiteral("29.02.2028")}
            << QStringList{QStringLiteral("Berechnung eTIN"), QStringLiteral("Name:   von der müller"),
                           QStringLiteral("Vorname: hans  peter"), QStringLiteral("Geburtsdatum:  3.07.61"),
                           QStringLiteral("Die eTIN lautet: MLLRHNSA00A01Q"),
                           QStringLiteral("Erstellt am 29.02.2028 mit Programm Kennfix – © die Kennfix-Entwickler")};
    }

    void printsTheSheetAsTheWindowShowsIt()
    {
        QFETCH(SheetTexts, texts);
        QFETCH(QStringList, printed);
        QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
                 qPrintable(m_cups->Error()));

        SheetPrinter printer;
        QCOMPARE(PrintAndWait(printer, texts), QString());

        const QStringList documents = m_cups->Documents();
        QCOMPARE(documents.size(), 1);
        const PrintedSheet sheet = ReadPrintedSheet(documents.first());
        QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault));
        QCOMPARE(sheet.lines, printed);
    }

    void looksForTheDefaultPrinterAgainUntilOneIsFound()
    {
        SheetPrinter printer;
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt"));
        QVERIFY(!printer.IsPrinting());
        QVERIFY(m_cups->Documents().isEmpty());

        QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
                 qPrintable(m_cups->Error()));
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QString());
        QCOMPARE(m_cups->Documents().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_cups->CompletedJobs(), QStringList{QStringLiteral("kennfix-1")}, kJobTimeoutMs);
    }

    void keepsTheFirstDefaultPrinterForTheRun()
    {
        QVERIFY2(m_cups->AddQueue(QStringLiteral("erster")) && m_cups->SetDefault(QStringLiteral("erster")),
                 qPrintable(m_cups->Error()));
        SheetPrinter printer;
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QString());

        // A new default printer goes unnoticed.
        QVERIFY2(m_cups->AddQueue(QStringLiteral("zweiter")) && m_cups->SetDefault(QStringLiteral("zweiter")),
                 qPrintable(m_cups->Error()));
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QString());
        QTRY_COMPARE_WITH_TIMEOUT(m_cups->CompletedJobs(),
                                  (QStringList{QStringLiteral("erster-1"), QStringLiteral("erster-2")}), kJobTimeoutMs);

        // The kept printer gone: its settings cannot be had, and no other printer steps in.
        QVERIFY2(m_cups->RemoveQueue(QStringLiteral("erster")), qPrintable(m_cups->Error()));
        const qsizetype documents = m_cups->Documents().size();
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QStringLiteral("Operation auf ausgewähltem Drucker nicht verfügbar"));
        QCOMPARE(m_cups->Documents().size(), documents);

        // Back again, it prints again.
        QVERIFY2(m_cups->AddQueue(QStringLiteral("erster")), qPrintable(m_cups->Error()));
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QString());
        QCOMPARE(m_cups->Documents().size(), documents + 1);
        QTRY_VERIFY_WITH_TIMEOUT(m_cups->CompletedJobs().contains(QStringLiteral("erster-3")), kJobTimeoutMs);
    }

    void refusesASecondJobWhileOneIsHandedOver()
    {
        QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
                 qPrintable(m_cups->Error()));
        SheetPrinter printer;
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QString());  // the printer is found and kept

        // A scheduler that does not answer holds the next job at its hand-over.
        m_cups->Pause();
        const auto resume = qScopeGuard([this] { m_cups->Resume(); });
        QSignalSpy finished(&printer, &SheetPrinter::finished);
        printer.Print(SomeTexts());  // returns although the scheduler does not answer
        bool inputHandled = false;
        QTimer::singleShot(0, &printer, [&inputHandled] { inputHandled = true; });
        QTRY_VERIFY(inputHandled);
        QVERIFY(printer.IsPrinting());
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QStringLiteral("Druckvorgang läuft"));

        m_cups->Resume();
        QVERIFY(finished.wait(kJobTimeoutMs));
        QVERIFY(!printer.IsPrinting());
        QCOMPARE(m_cups->Documents().size(), 2);
    }

    // A server that takes the connection and never answers: the look-up
    // waits on a thread of its own, a second print is refused meanwhile, and
    // after the time-out there counts to be no default printer. The next
    // print looks again, and prints once a scheduler answers.
    void silentServerTimesOutTheLookUp()
    {
        QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
                 qPrintable(m_cups->Error()));
        auto silent = std::make_unique<SilentPrintServer>();
        QVERIFY2(silent->Start(), qPrintable(silent->Error()));
        SheetPrinter printer(nullptr, kLookUpTimeout);
        QSignalSpy failed(&printer, &SheetPrinter::failed);
        QSignalSpy finished(&printer, &SheetPrinter::finished);

        QElapsedTimer clock;
        clock.start();
        printer.Print(SomeTexts());
        QVERIFY2(clock.elapsed() < kReturnsAtOnceMs, "Print() waited for the print server");
        QVERIFY(printer.IsPrinting());
        QTRY_COMPARE(silent->Connections(), 1);
        QVERIFY(EventLoopTurns(&printer));
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QStringLiteral("Druckvorgang läuft"));

        QVERIFY(finished.wait(kJobTimeoutMs));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.constFirst().constFirst().toString(), kNoDefaultPrinter);
        QVERIFY(!printer.IsPrinting());
        QCOMPARE(SheetPrinter::RunningThreads(), 1);  // still waiting, left to itself

        // Tried again on the next press, on a new connection.
        clock.restart();
        printer.Print(SomeTexts());
        QVERIFY2(clock.elapsed() < kReturnsAtOnceMs, "Print() waited for the print server");
        QTRY_COMPARE(silent->Connections(), 2);
        QVERIFY(finished.wait(kJobTimeoutMs));
        QCOMPARE(failed.size(), 2);

        silent.reset();  // back to the scheduler, which answers
        QTRY_COMPARE_WITH_TIMEOUT(SheetPrinter::RunningThreads(), 0, kJobTimeoutMs);
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QString());
        QCOMPARE(m_cups->Documents().size(), 1);
    }

    // The scheduler itself stops answering (SIGSTOP) before the first print.
    void stoppedSchedulerTimesOutTheLookUpUntilItAnswersAgain()
    {
        QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
                 qPrintable(m_cups->Error()));
        SheetPrinter printer(nullptr, kLookUpTimeout);
        m_cups->Pause();
        const auto resume = qScopeGuard([this] { m_cups->Resume(); });

        QSignalSpy failed(&printer, &SheetPrinter::failed);
        QSignalSpy finished(&printer, &SheetPrinter::finished);
        printer.Print(SomeTexts());
        QVERIFY(EventLoopTurns(&printer));
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QStringLiteral("Druckvorgang läuft"));
        QVERIFY(finished.wait(kJobTimeoutMs));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.constFirst().constFirst().toString(), kNoDefaultPrinter);
        QVERIFY(m_cups->Documents().isEmpty());

        m_cups->Resume();
        QCOMPARE(PrintAndWait(printer, SomeTexts()), QString());
        QCOMPARE(m_cups->Documents().size(), 1);
    }

    // Ending the window ends its printer at once, whatever its thread waits for.
    void destroyedWhileTheLookUpWaits()
    {
        SilentPrintServer silent;
        QVERIFY2(silent.Start(), qPrintable(silent.Error()));
        auto printer = std::make_unique<SheetPrinter>();
        printer->Print(SomeTexts());
        QTRY_COMPARE(silent.Connections(), 1);

        QElapsedTimer clock;
        clock.start();
        printer.reset();
        QVERIFY2(clock.elapsed() < kReturnsAtOnceMs, "the destructor waited for the print server");
        QCOMPARE(SheetPrinter::RunningThreads(), 1);
        silent.Release();
        QTRY_COMPARE_WITH_TIMEOUT(SheetPrinter::RunningThreads(), 0, kJobTimeoutMs);
    }

private:
    std::unique_ptr<CupsSandbox> m_cups;
};

QTEST_MAIN(TestSheetPrinter)
#include "tst_sheetprinter.moc"
