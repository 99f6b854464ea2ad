// The Windows programs as a clerk uses them on a German Windows desktop:
// here Wine, in a prefix of the tests' own (make-wine-prefix.sh), on a
// desktop of the test's own (Xvfb and openbox, desktopsession.h). kennfix.exe
// is typed into and clicked with xdotool; its eTIN and its messages are read
// as a Windows user takes them, through the clipboard: the eTIN label's
// "Kopieren" and Ctrl+C in a message box. The date order comes from the
// regional settings in the prefix's registry. kennfix-liste.exe opens a list
// given on its command line and saves what kennfix-batch writes.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string_view>

#include "tests/e2e/desktopsession.h"
#include "tests/e2e/typedpeople.h"
#include "tests/liste/stafflist.h"
#include "tests/windows/kennfixplaces.h"
#include "tests/windows/winewindow.h"

namespace {

constexpr int kWaitMs = DesktopSession::kWaitMs;

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestWineEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void computesAsTyped_data();
    void computesAsTyped();
    void dateOrderFromTheRegionalSettings_data();
    void dateOrderFromTheRegionalSettings();
    void messagesAndTheLeaveCheck();
    void listeSavesWhatKennfixBatchWrites();
    void listeOpensThroughWindowsOwnDialog();
    void listeSaysWhatIsWrongWithItsCallInABox_data();
    void listeSaysWhatIsWrongWithItsCallInABox();

private:
    bool start(const QString& program, const QStringList& arguments, const QString& title, const QString& folder = {});
    bool setShortDateFormat(const QString& format);
    QStringList windows(const QString& title) { return m_wine->Windows(title); }
    QString xdotool(const QStringList& arguments) { return m_wine->Xdotool(arguments); }
    void click(QPoint point, int button = 1) { m_wine->Click(point, button); }
    void type(const QString& text) { m_wine->Type(text); }
    void key(const QString& name) { m_wine->Key(name); }
    bool typeFirst(const QString& text) { return m_wine->TypeChecked(text); }
    // The eTIN as the label's "Kopieren" puts it on the clipboard.
    QString copiedEtin();
    QString answerMessageBox() { return m_wine->AnswerMessageBox(); }
    QString endsWithin(int timeoutMs) { return m_wine->EndsWithin(timeoutMs); }
    // For a person to look at; the test checks none of it.
    void saveScreenshot(const QString& name) { m_wine->SaveScreenshot(name); }
    // The user's registry (HKCU) as lines of an export; empty on failure.
    QStringList userRegistry();
    // What a list window has kept of the lists it saw since `registryBefore`:
    // registry entries of file dialogs, of Qt, of ours, recent documents.
    QString rememberedSince(const QStringList& registryBefore);
    void writeStaffList(const QString& path);

    std::unique_ptr<DesktopSession> m_desktop;
    // The program under test, started anew by start().
    std::unique_ptr<WineWindow> m_wine;
    QString m_window;
};

void TestWineEndToEnd::initTestCase()
{
    for (const char* name : {"KENNFIX_WINDOWS_PROGRAMS", "KENNFIX_WINE_RUN", "KENNFIX_WINE_PREFIX", "KENNFIX_BATCH_PROGRAM"})
        QVERIFY2(qEnvironmentVariableIsSet(name), name);
    m_desktop = std::make_unique<DesktopSession>();
    QVERIFY2(m_desktop->Start(), qPrintable(m_desktop->Error()));
    QVERIFY2(BindLettersToKeys(*m_desktop), "xmodmap could not bind the letters the test types");
}

void TestWineEndToEnd::cleanup()
{
    if (m_wine) {
        // Nothing on standard error: Qt's English warnings do not reach the user.
        const QStringList errors = m_wine->End();
        m_wine.reset();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
    }
    QVERIFY(setShortDateFormat(QStringLiteral("dd.MM.yyyy")));
}

bool TestWineEndToEnd::start(const QString& program, const QStringList& arguments, const QString& title,
                             const QString& folder)
{
    m_wine = std::make_unique<WineWindow>(*m_desktop, m_desktop->Environment());
    if (!m_wine->Start(program, title, arguments, folder))
        return false;
    m_window = m_wine->Window();
    return true;
}

QStringList TestWineEndToEnd::userRegistry()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("hkcu.reg"));
    const WineWindow wine(*m_desktop, m_desktop->Environment());
    if (!wine.RunToEnd({QStringLiteral("reg"), QStringLiteral("export"), QStringLiteral("HKCU"), QStringLiteral("Z:") + file,
                        QStringLiteral("/y")}))
        return {};
    QFile exported(file);
    if (!exported.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = exported.readAll();
    // reg writes UTF-16 with a byte order mark.
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    return text.split(QRegularExpression(QStringLiteral("\\r?\\n")), Qt::SkipEmptyParts);
}

QString TestWineEndToEnd::rememberedSince(const QStringList& registryBefore)
{
    const QStringList after = userRegistry();
    if (after.isEmpty())
        return QStringLiteral("the registry could not be read");
    const QRegularExpression kept(QStringLiteral("ComDlg32|QtProject|RecentDocs|Kennfix|Personalliste"),
                                  QRegularExpression::CaseInsensitiveOption);
    QStringList remembered;
    for (const QString& line : after) {
        if (!registryBefore.contains(line) && kept.match(line).hasMatch())
            remembered << line;
    }
    // Recent documents are links in the user's Recent folder.
    const QDir users(qEnvironmentVariable("KENNFIX_WINE_PREFIX") + QStringLiteral("/drive_c/users"));
    for (const QString& user : users.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir recent(users.filePath(user + QStringLiteral("/AppData/Roaming/Microsoft/Windows/Recent")));
        for (const QString& link : recent.entryList(QDir::Files))
            remembered << recent.filePath(link);
    }
    return remembered.join(u'\n');
}

void TestWineEndToEnd::writeStaffList(const QString& path)
{
    QFile file(path);
    const std::string_view text = kennfix::liste::test::kStaffList;
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.data(), qint64(text.size())) == qint64(text.size()));
}

// As the regional settings of the Control Panel write it.
bool TestWineEndToEnd::setShortDateFormat(const QString& format)
{
    const WineWindow wine(*m_desktop, m_desktop->Environment());
    return wine.RunToEnd({QStringLiteral("reg"), QStringLiteral("add"), QStringLiteral("HKCU\\Control Panel\\International"),
                          QStringLiteral("/v"), QStringLiteral("sShortDate"), QStringLiteral("/d"), format,
                          QStringLiteral("/f")});
}

QString TestWineEndToEnd::copiedEtin()
{
    return m_wine->CopyThroughMenu(kLabTIN);
}

void TestWineEndToEnd::computesAsTyped_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("etin");
    for (const TypedPerson& person : kTypedPeople)
        QTest::newRow(person.tag) << QString::fromUtf8(person.family) << QString::fromUtf8(person.first)
                                  << QString::fromUtf8(person.date) << QString::fromUtf8(person.etin);
}

// Titled "Kennfix" at its size; the name fields and the date field in tab
// order; "eTIN berechnen" and "Programm beenden".
void TestWineEndToEnd::computesAsTyped()
{
    QFETCH(QString, family);
    QFETCH(QString, first);
    QFETCH(QString, date);
    QFETCH(QString, etin);
    QVERIFY2(start(QStringLiteral("kennfix.exe"), {}, QStringLiteral("^Kennfix$")), "no window titled Kennfix");
    const auto placement = m_desktop->PlacementOf(m_window);
    QVERIFY(placement);
    QCOMPARE(placement->client.size(), kClientSize);

    QVERIFY2(typeFirst(family), "the family name did not arrive");
    key(QStringLiteral("Tab"));
    type(first);
    key(QStringLiteral("Tab"));
    type(date);
    click(kBtnRechnen);
    QCOMPARE(copiedEtin(), etin);
    if (QTest::currentDataTag() == QLatin1String("umlaut"))
        saveScreenshot(QStringLiteral("kennfix-windows.png"));

    click(kBtnClose);
    const QString ended = endsWithin(kWaitMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

void TestWineEndToEnd::dateOrderFromTheRegionalSettings_data()
{
    QTest::addColumn<QString>("shortDate");
    QTest::addColumn<QString>("typed");  // 1 February 1980
    QTest::newRow("ISO") << QStringLiteral("yyyy-MM-dd") << QStringLiteral("800201");
    QTest::newRow("USA") << QStringLiteral("M/d/yyyy") << QStringLiteral("020180");
}

void TestWineEndToEnd::dateOrderFromTheRegionalSettings()
{
    QFETCH(QString, shortDate);
    QFETCH(QString, typed);
    QVERIFY(setShortDateFormat(shortDate));
    QVERIFY2(start(QStringLiteral("kennfix.exe"), {}, QStringLiteral("^Kennfix$")), "no window titled Kennfix");
    QVERIFY2(typeFirst(QStringLiteral("Müller")), "the family name did not arrive");
    key(QStringLiteral("Tab"));
    type(QStringLiteral("Hans"));
    key(QStringLiteral("Tab"));
    type(typed);
    click(kBtnRechnen);
    const QString etin = copiedEtin();
    if (etin != QLatin1String("MLLRHNSA80B01H"))
        saveScreenshot(QStringLiteral("kennfix-windows-date-order-%1.png").arg(QString::fromLatin1(QTest::currentDataTag())));
    QCOMPARE(etin, QStringLiteral("MLLRHNSA80B01H"));
    click(kBtnClose);
    QVERIFY(endsWithin(kWaitMs).isEmpty());
}

// An impossible date, and a date field left half filled.
void TestWineEndToEnd::messagesAndTheLeaveCheck()
{
    QVERIFY2(start(QStringLiteral("kennfix.exe"), {}, QStringLiteral("^Kennfix$")), "no window titled Kennfix");
    QVERIFY2(typeFirst(QStringLiteral("Meier")), "the family name did not arrive");
    key(QStringLiteral("Tab"));
    type(QStringLiteral("Li"));
    key(QStringLiteral("Tab"));
    type(QStringLiteral("310280"));
    click(kBtnRechnen);
    QString copied = answerMessageBox();
    QVERIFY2(copied.contains(QStringLiteral("'31.02.80' is not a valid date.")), qPrintable(copied));
    QCOMPARE(m_wine->Process().state(), QProcess::Running);

    // Half a date, left with Tab.
    click(kMEdiGebDat);
    key(QStringLiteral("End"));
    key(QStringLiteral("BackSpace"));
    key(QStringLiteral("BackSpace"));
    key(QStringLiteral("Tab"));
    copied = answerMessageBox();
    QVERIFY2(copied.contains(QStringLiteral("Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.")),
             qPrintable(copied));
    key(QStringLiteral("Escape"));
    click(kBtnClose);
    const QString ended = endsWithin(kWaitMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
}

// From the command line (as "Öffnen mit" and a list dropped on the program
// start it), with umlauts in the list's name: Ctrl+S and Enter in Windows'
// save dialog save the file it proposes, the bytes kennfix-batch writes;
// nothing of it is remembered.
void TestWineEndToEnd::listeSavesWhatKennfixBatchWrites()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString list = QStringLiteral("Personalliste Müller.csv");
    writeStaffList(dir.filePath(list));
    const QStringList registryBefore = userRegistry();
    QVERIFY(!registryBefore.isEmpty());
    const QString title = QStringLiteral("^") + QRegularExpression::escape(list) + u' ';
    QVERIFY2(start(QStringLiteral("kennfix-liste.exe"), {list}, title, dir.path()), "no window showing the list");
    saveScreenshot(QStringLiteral("kennfix-liste-windows.png"));
    key(QStringLiteral("ctrl+s"));
    QTRY_VERIFY_WITH_TIMEOUT(!windows(QStringLiteral("^Liste mit eTIN speichern")).isEmpty(), kWaitMs);
    saveScreenshot(QStringLiteral("kennfix-liste-windows-save-dialog.png"));
    key(QStringLiteral("Return"));
    const QString saved = dir.filePath(QStringLiteral("Personalliste Müller-etin.csv"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(saved), kWaitMs);

    QProcess batch;
    batch.start(qEnvironmentVariable("KENNFIX_BATCH_PROGRAM"), {dir.filePath(list), dir.filePath(QStringLiteral("batch.csv"))});
    QVERIFY(batch.waitForFinished(kWaitMs));
    QCOMPARE(batch.exitCode(), 1);  // some rows need attention
    QTRY_COMPARE_WITH_TIMEOUT(Contents(saved), Contents(dir.filePath(QStringLiteral("batch.csv"))), kWaitMs);
    // Nothing else is left in the folder: no temporary file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

    xdotool({"windowactivate", "--sync", m_window});
    key(QStringLiteral("ctrl+q"));
    const QString ended = endsWithin(kWaitMs);
    if (!ended.isEmpty())
        saveScreenshot(QStringLiteral("kennfix-liste-windows-still-running.png"));
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
    const QString remembered = rememberedSince(registryBefore);
    QVERIFY2(remembered.isEmpty(), qPrintable(remembered));
}

// Ctrl+O shows Windows' own dialog, in German, in the working folder; the
// list typed there opens, and nothing of it is remembered.
void TestWineEndToEnd::listeOpensThroughWindowsOwnDialog()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeStaffList(dir.filePath(QStringLiteral("Personalliste Müller.csv")));
    const QStringList registryBefore = userRegistry();
    QVERIFY(!registryBefore.isEmpty());
    QVERIFY2(start(QStringLiteral("kennfix-liste.exe"), {}, QStringLiteral("^Kennfix Liste$"), dir.path()),
             "no list window");
    // A list window that has just appeared may not take keys yet.
    QElapsedTimer waited;
    waited.start();
    do
        key(QStringLiteral("ctrl+o"));
    while (!QTest::qWaitFor([&] { return !windows(QStringLiteral("^Liste öffnen$")).isEmpty(); }, 3'000) &&
           waited.elapsed() < kWaitMs);
    QVERIFY(!windows(QStringLiteral("^Liste öffnen$")).isEmpty());
    xdotool({"windowactivate", "--sync", windows(QStringLiteral("^Liste öffnen$")).first()});
    type(QStringLiteral("Personalliste Müller.csv"));
    saveScreenshot(QStringLiteral("kennfix-liste-windows-open-dialog.png"));
    key(QStringLiteral("Return"));
    QTRY_VERIFY_WITH_TIMEOUT(!windows(QStringLiteral("^Personalliste Müller.csv ")).isEmpty(), kWaitMs);

    xdotool({"windowactivate", "--sync", m_window});
    key(QStringLiteral("ctrl+q"));
    const QString ended = endsWithin(kWaitMs);
    QVERIFY2(ended.isEmpty(), qPrintable(ended));
    const QString remembered = rememberedSince(registryBefore);
    QVERIFY2(remembered.isEmpty(), qPrintable(remembered));
}

// Started from Explorer, a shortcut or "Öffnen mit", a window program has
// no standard error: what is wrong with its call is said in its error box,
// and the program ends with status 2 once the box is closed.
void TestWineEndToEnd::listeSaysWhatIsWrongWithItsCallInABox_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--unbekannt")}
                                    << QStringLiteral("Unbekannte Option „--unbekannt“.");
    QTest::newRow("one argument too many") << QStringList{QStringLiteral("Liste.csv"), QStringLiteral("Zweite.csv")}
                                           << QStringLiteral("Ein Argument zu viel: „Zweite.csv“.");
}

void TestWineEndToEnd::listeSaysWhatIsWrongWithItsCallInABox()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    // The box is the program's only window.
    QVERIFY2(start(QStringLiteral("kennfix-liste.exe"), arguments, QStringLiteral("^Kennfix Liste$")), "no box");
    saveScreenshot(QStringLiteral("kennfix-liste-windows-call-refused.png"));
    QVERIFY(m_wine->SetClipboard(QStringLiteral("-")));
    xdotool({"windowactivate", "--sync", m_window});
    key(QStringLiteral("ctrl+c"));
    QString copied;
    QVERIFY(QTest::qWaitFor(
        [&] {
            copied = m_wine->Clipboard();
            return copied != QLatin1String("-");
        },
        kWaitMs));
    copied.remove(u'\r');
    QVERIFY2(copied.contains(message + QStringLiteral("\nHilfe: kennfix-liste --help")), qPrintable(copied));
    QVERIFY2(copied.contains(QStringLiteral("Kennfix Liste")), qPrintable(copied));
    key(QStringLiteral("Return"));
    QVERIFY(m_wine->Process().waitForFinished(kWaitMs));
    QCOMPARE(m_wine->Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_wine->Process().exitCode(), 2);
}

QTEST_GUILESS_MAIN(TestWineEndToEnd)
#include "tst_wine_endtoend.moc"
