// kennfix-liste as a clerk uses it on a Linux desktop of the test's own
// (desktopsession.h: an X server, the openbox window manager and the
// accessibility bus): started with a list as a file manager starts it,
// saved with Ctrl+S and Enter into the file kennfix-batch writes, read by a
// screen reader, asking for the columns of a list with other names, keeping
// no record of where lists live, and ended with Ctrl+Q in the middle of a
// list of two million rows, which it holds in well under 300 MB. It never
// says a word on standard error.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "tests/e2e/accessibletree.h"
#include "tests/e2e/desktopsession.h"
#include "tests/e2e/desktopwindow.h"
#include "tests/liste/stafflist.h"

namespace {

constexpr int kWaitMs = DesktopSession::kWaitMs;
// Ctrl+Q and the close box end the program at once, also in the middle of
// a long list.
constexpr int kEndsAtOnceMs = 5'000;
constexpr int kLongListRows = 2'000'000;
constexpr qint64 kMemoryLimitKiB = 300 * 1024;

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t Mode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A value in KiB from /proc/PID/status, e.g. VmHWM (the peak resident size).
qint64 StatusKiB(qint64 pid, const char* field)
{
    const QString status = QString::fromLatin1(Contents(QStringLiteral("/proc/%1/status").arg(pid)));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^%1:\\s*(\\d+) kB$").arg(QLatin1String(field)), QRegularExpression::MultilineOption)
            .match(status);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

}  // namespace

class TestListeEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void savesWhatKennfixBatchWrites();
    void readByScreenReaders();
    void asksForTheColumns();
    void remembersNothing();
    void longListInLittleMemory();
    void ctrlQInTheMiddleOfALongList();

private:
    // Starts kennfix-liste with `list` as a file manager does, in the list's
    // folder, in German unless `environment` says otherwise, and waits for
    // its window; `loaded`: until it shows the list.
    bool startProgram(const QString& list, bool loaded = true, const QProcessEnvironment& environment = {});
    QString xdotool(const QStringList& arguments) { return m_liste->Xdotool(arguments); }
    void key(const QString& name) { m_liste->Key(name); }
    // The program's visible windows whose title matches `pattern`.
    QStringList windows(const QString& pattern) { return m_liste->Windows(pattern); }
    bool waitForWindow(const QString& pattern, int timeoutMs = kWaitMs) { return m_liste->WaitForWindow(pattern, timeoutMs); }
    // Waits for the program to end; says what went wrong, empty when it ended well.
    QString endsWithin(int timeoutMs) { return m_liste->EndsWithin(timeoutMs); }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList files() const { return QDir(m_dir->path()).entryList(QDir::Files, QDir::Name); }
    // For a person to look at; the test checks none of it.
    void saveScreenshot(const QString& name) { m_liste->SaveScreenshot(name); }
    // personal.csv, with every kind of row; lang.csv, two million rows.
    bool writeStaffList();
    bool writeLongList();
    // Waits until a screen reader reads the switch as checked or not.
    bool switchIs(bool checked);

    std::unique_ptr<DesktopSession> m_desktop;
    std::unique_ptr<QTemporaryDir> m_dir;
    // The program under test, started anew by startProgram().
    std::unique_ptr<DesktopWindow> m_liste;
};

void TestListeEndToEnd::initTestCase()
{
    m_desktop = std::make_unique<DesktopSession>();
    QVERIFY2(m_desktop->Start(), qPrintable(m_desktop->Error()));
}

void TestListeEndToEnd::cleanup()
{
    // Nothing on standard error: Qt's English warnings do not reach the user.
    const QStringList errors = m_liste ? m_liste->End() : QStringList();
    m_liste.reset();
    m_dir.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
}

bool TestListeEndToEnd::startProgram(const QString& list, bool loaded, const QProcessEnvironment& environment)
{
    QProcessEnvironment programEnvironment = m_desktop->Environment();
    programEnvironment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    for (const QString& name : environment.keys())
        programEnvironment.insert(name, environment.value(name));
    // Titled "Kennfix Liste" at first, "<list> – Kennfix Liste" once it has read the list.
    const QString title = loaded ? QStringLiteral("^") + QRegularExpression::escape(QFileInfo(list).fileName()) + u' '
                                 : QStringLiteral("Kennfix Liste$");
    m_liste = std::make_unique<DesktopWindow>(*m_desktop, programEnvironment);
    return m_liste->Start(qEnvironmentVariable("KENNFIX_LISTE_PROGRAM"), title, {list}, QFileInfo(list).absolutePath(),
                          loaded ? 3 * kWaitMs : kWaitMs);
}

bool TestListeEndToEnd::switchIs(bool checked)
{
    return QTest::qWaitFor(
        [&] {
            const QList<Accessible> objects = ReadAccessibleTree(*m_desktop, m_liste->Process().processId());
            return std::any_of(objects.cbegin(), objects.cend(), [&](const Accessible& a) {
                return a.role == QLatin1String("check box") && a.states.contains(QLatin1String("checked")) == checked;
            });
        },
        kWaitMs);
}

bool TestListeEndToEnd::writeStaffList()
{
    QFile list(path("personal.csv"));
    const std::string_view text = kennfix::liste::test::kStaffList;
    return list.open(QIODevice::WriteOnly) && list.write(text.data(), qint64(text.size())) == qint64(text.size());
}

bool TestListeEndToEnd::writeLongList()
{
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedChannels);
    maker.start(qEnvironmentVariable("KENNFIX_MAKE_STAFF_LIST"), {QString::number(kLongListRows), path("lang.csv")});
    return maker.waitForFinished(kWaitMs) && maker.exitCode() == 0;
}

// From the command line, Ctrl+S and Enter: the file that the save dialog
// proposes is the one kennfix-batch writes from the same list, with the
// same rights.
void TestListeEndToEnd::savesWhatKennfixBatchWrites()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(writeStaffList());
    QVERIFY(QFile::setPermissions(path("personal.csv"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY2(startProgram(path("personal.csv")), "no window showing personal.csv");
    saveScreenshot(QStringLiteral("kennfix-liste.png"));
    // Alt+N: only the rows that need attention, and back.
    key(QStringLiteral("alt+n"));
    QVERIFY2(switchIs(true), "Alt+N did not switch to the rows that need attention");
    saveScreenshot(QStringLiteral("kennfix-liste-nur-probleme.png"));
    key(QStringLiteral("alt+n"));
    QVERIFY2(switchIs(false), "Alt+N did not switch back to all rows");

    key(QStringLiteral("ctrl+s"));
    QVERIFY2(waitForWindow(QStringLiteral("^Liste mit eTIN speichern")), "no save dialog");
    saveScreenshot(QStringLiteral("kennfix-liste-speichern.png"));
    key(QStringLiteral("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(files().contains(QStringLiteral("personal-etin.csv")), kWaitMs);

    QProcess batch;
    batch.start(qEnvironmentVariable("KENNFIX_BATCH_PROGRAM"), {path("personal.csv"), path("batch.csv")});
    QVERIFY(batch.waitForFinished(kWaitMs));
    QCOMPARE(batch.exitCode(), 1);  // some rows need attention
    QCOMPARE(Contents(path("personal-etin.csv")), Contents(path("batch.csv")));
    QCOMPARE(Mode(path("personal-etin.csv")), Mode(path("batch.csv")));
    QCOMPARE(Mode(path("personal-etin.csv")), mode_t{0640});

    key(QStringLiteral("ctrl+q"));
    const QString ended = endsWithin(kEndsAtOnceMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

// What a screen reader says: the controls by their names, and a row with a
// Fehler or a deviating eTIN by its reason, not by its colour alone.
void TestListeEndToEnd::readByScreenReaders()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(writeStaffList());
    QVERIFY2(startProgram(path("personal.csv")), "no window showing personal.csv");

    QList<Accessible> objects;
    const auto named = [&](const QString& name) {
        return std::find_if(objects.cbegin(), objects.cend(), [&](const Accessible& a) { return a.name == name; });
    };
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     objects = ReadAccessibleTree(*m_desktop, m_liste->Process().processId());
                     return named(QStringLiteral("1005")) != objects.cend();
                 },
                 kWaitMs),
             "the table's cells are not on the accessibility bus");
    const QList<QPair<QString, QString>> controls = {
        {"push button", "Öffnen…"},
        {"push button", "Speichern…"},
        {"check box", "Nur Zeilen mit Fehler oder Abweichung"},
        {"table", "Liste"},
    };
    for (const auto& [role, name] : controls) {
        const auto control = named(name);
        QVERIFY2(control != objects.cend(), qPrintable(QStringLiteral("nothing named \"%1\"").arg(name)));
        QCOMPARE(control->role, role);
        QVERIFY2(control->states.contains(QLatin1String("focusable")), qPrintable(name));
    }
    QCOMPARE(named(QStringLiteral("1005"))->description, QStringLiteral("Fehler: Geburtsdatum liegt in der Zukunft"));
    QCOMPARE(named(QStringLiteral("1004"))->description, QStringLiteral("Prüfung: weicht ab (Geburtsdatum), berechnet: MREILIXX91E15Z"));
    // The stored eTIN itself says which of its characters differ.
    QCOMPARE(named(QStringLiteral("MREILIXX90E15Y"))->description,
             QStringLiteral("Prüfung: weicht ab (Geburtsdatum), berechnet: MREILIXX91E15Z; Abweichend: Geburtsdatum "
                            "(Zeichen 9–13), Prüfzeichen (Zeichen 14)"));
    QCOMPARE(named(QStringLiteral("1001"))->description, QString());
}

// A list whose columns have other names: a small dialog asks which to read,
// with those that fit chosen; a screen reader reads its controls, and Enter
// reads the list.
void TestListeEndToEnd::asksForTheColumns()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QFile list(path("nachname.csv"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("Personalnummer;Nachname;Vorname;Geb.-Datum;eTIN\n"
               "1001;Müller;Hans;01.02.1980;MLLRHNSA80B01H\n"
               "1004;Meier;Li;15.05.1991;MREILIXX90E15Y\n");
    list.close();
    QVERIFY2(startProgram(path("nachname.csv"), false), "no window");
    QVERIFY2(waitForWindow(QStringLiteral("^Spalten w.+hlen")), "no dialog asking for the columns");
    xdotool({"windowactivate", "--sync", windows(QStringLiteral("^Spalten w.+hlen")).first()});
    // A screen reader reads each box by its label, then what is chosen.
    QList<Accessible> objects;
    const auto comboBoxes = [&] {
        QStringList read;
        for (const Accessible& a : objects) {
            if (a.role == QLatin1String("combo box"))
                read << a.labelledBy + u' ' + a.name;
        }
        return read;
    };
    QVERIFY2(QTest::qWaitFor(
                 [&] {
                     objects = ReadAccessibleTree(*m_desktop, m_liste->Process().processId());
                     return comboBoxes().size() == 4;
                 },
                 kWaitMs),
             qPrintable(comboBoxes().join(u',')));
    QCOMPARE(comboBoxes(), QStringList({"Trennzeichen: Semikolon (;)", "Familienname: Nachname", "Vorname: Vorname",
                                        "Geburtsdatum: Geb.-Datum"}));
    saveScreenshot(QStringLiteral("kennfix-liste-spalten.png"));
    key(QStringLiteral("Return"));
    QVERIFY2(waitForWindow(QStringLiteral("^nachname\\.csv ")), "the list was not read with the columns chosen");
    saveScreenshot(QStringLiteral("kennfix-liste-abweichung.png"));
    key(QStringLiteral("ctrl+q"));
    const QString ended = endsWithin(kEndsAtOnceMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

// Open and save with a home folder of its own, under the C locale: nothing
// is written there, no folder of a list and no setting. The file dialog is
// German all the same (a screenshot to look at).
void TestListeEndToEnd::remembersNothing()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(writeStaffList());
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        environment.insert(QLatin1String(name), home.filePath(QLatin1String(name)));
    QVERIFY2(startProgram(path("personal.csv"), true, environment), "no window showing personal.csv");

    key(QStringLiteral("ctrl+o"));
    QVERIFY2(waitForWindow(QStringLiteral("^Liste .+ffnen")), "no open dialog");
    saveScreenshot(QStringLiteral("kennfix-liste-oeffnen-c-locale.png"));
    key(QStringLiteral("Escape"));
    QVERIFY2(QTest::qWaitFor([&] { return windows(QStringLiteral("^Liste .+ffnen")).isEmpty(); }, kWaitMs), "the dialog stays");
    key(QStringLiteral("ctrl+s"));
    QVERIFY2(waitForWindow(QStringLiteral("^Liste mit eTIN speichern")), "no save dialog");
    key(QStringLiteral("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(files().contains(QStringLiteral("personal-etin.csv")), kWaitMs);
    key(QStringLiteral("ctrl+q"));
    const QString ended = endsWithin(kEndsAtOnceMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));

    QStringList written;
    QDirIterator entries(home.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (entries.hasNext())
        written << entries.next();
    QVERIFY2(written.isEmpty(), qPrintable(written.join(u' ')));
}

// Two million rows: read in the background, held in well under 300 MB, and
// the window closes at once in the middle of saving them, leaving no
// temporary file.
void TestListeEndToEnd::longListInLittleMemory()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(writeLongList());
    QVERIFY2(startProgram(path("lang.csv")), "no window showing lang.csv");
    const qint64 peak = StatusKiB(m_liste->Process().processId(), "VmHWM");
    qInfo("%d rows read; peak resident size %lld KiB (%.0f MiB), now %lld KiB", kLongListRows, peak, peak / 1024.0,
          StatusKiB(m_liste->Process().processId(), "VmRSS"));
    QVERIFY2(peak > 0 && peak < kMemoryLimitKiB, qPrintable(QStringLiteral("peak resident size %1 KiB").arg(peak)));
    saveScreenshot(QStringLiteral("kennfix-liste-lang.png"));

    key(QStringLiteral("ctrl+s"));
    QVERIFY2(waitForWindow(QStringLiteral("^Liste mit eTIN speichern")), "no save dialog");
    key(QStringLiteral("Return"));
    QVERIFY2(QTest::qWaitFor([&] { return files().size() > 1; }, kWaitMs), "saving did not begin");
    key(QStringLiteral("ctrl+q"));
    const QString ended = endsWithin(kEndsAtOnceMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
    // The list, and the saved list only if the save ended first.
    const QStringList left = files();
    QVERIFY2(left == QStringList({"lang.csv"}) || left == QStringList({"lang-etin.csv", "lang.csv"}),
             qPrintable(left.join(u' ')));
    if (left.size() == 2)
        QCOMPARE(QFileInfo(path("lang-etin.csv")).size() > QFileInfo(path("lang.csv")).size(), true);
}

// Ctrl+Q while the list is still being read: the program ends at once.
void TestListeEndToEnd::ctrlQInTheMiddleOfALongList()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(writeLongList());
    QVERIFY2(startProgram(path("lang.csv"), false), "no window");
    // The reading is not over yet: the title does not name the list.
    QVERIFY2(windows(QStringLiteral("^lang\\.csv ")).isEmpty(), "the list had been read before Ctrl+Q");
    key(QStringLiteral("ctrl+q"));
    const QString ended = endsWithin(kEndsAtOnceMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
    QCOMPARE(files(), QStringList({"lang.csv"}));
}

QTEST_GUILESS_MAIN(TestListeEndToEnd)
#include "tst_liste_endtoend.moc"
