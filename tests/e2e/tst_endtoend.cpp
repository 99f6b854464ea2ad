// Kennfix as a person uses it on a Linux desktop of the test's own
// (desktopsession.h: an X server, the openbox window manager and the
// accessibility bus): started as the desktop starts it, typed into and
// clicked with xdotool, read by a screen reader over AT-SPI, and printing to
// a CUPS scheduler of the test's own, which may stop answering, or to a
// print server that never answers; all without a word on standard error.

#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

#include "tests/e2e/accessibletree.h"
#include "tests/e2e/desktopsession.h"
#include "tests/e2e/desktopwindow.h"
#include "tests/e2e/typedpeople.h"
#include "tests/print/cupssandbox.h"
#include "tests/print/printedsheet.h"
#include "tests/print/silentprintserver.h"

namespace {

constexpr int kWaitMs = DesktopSession::kWaitMs;
// "Programm beenden" and the close box end the program at once, even while
// a print job waits for a server that does not answer.
constexpr int kEndsAtOnceMs = 5'000;
// The program gives up on a look-up of the default printer after 15 s.
constexpr int kLookUpTimeOutWaitMs = 60'000;
// Frames centred on the screen to within this many pixels.
constexpr int kCentreTolerance = 3;

constexpr QSize kClientSize(391, 314);
// Centres of the buttons and the name field in the window, at 96 dots per inch.
constexpr QPoint kBtnRechnen(304, 44);
constexpr QPoint kBtnDrucken(304, 81);
constexpr QPoint kBtnClose(304, 118);
constexpr QRect kLEdiName(96, 32, 121, 21);

// How far the frame's centre lies from the screen's, or why it cannot be
// told; empty when it stands in the centre.
QString OffCentre(const std::optional<DesktopSession::Placement>& placement)
{
    if (!placement)
        return QStringLiteral("the window's place and frame cannot be read");
    const QPoint off = placement->frame.center() - QRect(QPoint(0, 0), DesktopSession::kScreenSize).center();
    if (std::abs(off.x()) <= kCentreTolerance && std::abs(off.y()) <= kCentreTolerance)
        return {};
    return QStringLiteral("frame %1,%2 %3x%4 (client %5,%6 %7x%8) is %9,%10 px off the centre")
        .arg(placement->frame.x())
        .arg(placement->frame.y())
        .arg(placement->frame.width())
        .arg(placement->frame.height())
        .arg(placement->client.x())
        .arg(placement->client.y())
        .arg(placement->client.width())
        .arg(placement->client.height())
        .arg(off.x())
        .arg(off.y());
}

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void computesAndPrints_data();
    void computesAndPrints();
    void changedNamesPrintNoEtin();
    void pastedDateWithFourDigitYear();
    void invalidDateShowsErrorBox();
    void placedInTheCentreWithItsFrame();
    void doubledAt192Dpi();
    void readByScreenReaders();
    void silentPrintServerHoldsUpNothing();
    void stoppedSchedulerTimesOutTheLookUp();

private:
    bool startProgram(const QProcessEnvironment& environment, QSize clientSize = kClientSize);
    void click(QPoint point) { m_kennfix->Click(point); }
    void type(const QString& text) { m_kennfix->Type(text); }
    void key(const QString& name) { m_kennfix->Key(name); }
    // Types the names into a fresh window, in tab order, and tabs on into the date field.
    void typeNames(const QString& family, const QString& first)
    {
        type(family);
        key(QStringLiteral("Tab"));
        type(first);
        key(QStringLiteral("Tab"));
    }
    // The program's visible windows titled "Kennfix": its window and its error boxes.
    QStringList windowsNamedKennfix() { return m_kennfix->Windows(QStringLiteral("^Kennfix$")); }
    // Waits for an error box of the program and gives its window.
    QString waitForErrorBox(int timeoutMs = kWaitMs) { return m_kennfix->WaitForBox(timeoutMs); }
    // Waits for an error box that reads `text`, closes it with Enter and
    // waits until it is gone; says what went wrong, empty when nothing did.
    QString answerErrorBox(const QString& text, int timeoutMs = kWaitMs);
    // The program's objects on the accessibility bus, as soon as one of them
    // satisfies `wanted`; empty when none did in time.
    QList<Accessible> accessibleObjects(const std::function<bool(const Accessible&)>& wanted);
    bool readsOut(const QString& text);
    QImage nameField();
    // For a person to look at; the test checks none of it.
    void saveScreenshot(const QString& name) { m_kennfix->SaveScreenshot(name); }

    std::unique_ptr<DesktopSession> m_desktop;
    std::unique_ptr<CupsSandbox> m_cups;
    // The program under test, started anew by startProgram().
    std::unique_ptr<DesktopWindow> m_kennfix;
    QString m_window;
};

void TestEndToEnd::initTestCase()
{
    m_desktop = std::make_unique<DesktopSession>();
    QVERIFY2(m_desktop->Start(), qPrintable(m_desktop->Error()));
    QVERIFY2(BindLettersToKeys(*m_desktop), "xmodmap could not bind the letters the test types");
    m_cups = std::make_unique<CupsSandbox>();
    QVERIFY2(m_cups->Start(), qPrintable(m_cups->Error()));
    QVERIFY2(m_cups->AddQueue(QStringLiteral("kennfix")) && m_cups->SetDefault(QStringLiteral("kennfix")),
             qPrintable(m_cups->Error()));
}

void TestEndToEnd::cleanup()
{
    if (m_kennfix) {
        // Nothing on standard error: Qt's English warnings do not reach the user.
        const QStringList errors = m_kennfix->End();
        m_kennfix.reset();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
    }
    m_cups->Resume();
    QVERIFY(m_desktop->SetDpi(96));
}

// As the desktop starts it: no arguments, German locale.
bool TestEndToEnd::startProgram(const QProcessEnvironment& environment, QSize clientSize)
{
    QProcessEnvironment programEnvironment = m_desktop->Environment(environment);
    programEnvironment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    m_kennfix = std::make_unique<DesktopWindow>(*m_desktop, programEnvironment);
    if (!m_kennfix->Start(qEnvironmentVariable("KENNFIX_PROGRAM"), QStringLiteral("^Kennfix$")) ||
        windowsNamedKennfix().size() != 1)
        return false;
    m_window = m_kennfix->Window();
    const auto placement = m_desktop->PlacementOf(m_window);
    if (!placement || placement->client.size() != clientSize) {
        qWarning("the window is %s", placement ? qPrintable(QStringLiteral("%1x%2").arg(placement->client.width()).arg(placement->client.height()))
                                               : "not to be found");
        return false;
    }
    return true;
}

QString TestEndToEnd::answerErrorBox(const QString& text, int timeoutMs)
{
    if (waitForErrorBox(timeoutMs).isEmpty())
        return QStringLiteral("no error box \"%1\"").arg(text);
    if (!readsOut(text))
        return QStringLiteral("the error box does not read \"%1\"").arg(text);
    key(QStringLiteral("Return"));
    if (!QTest::qWaitFor([this] { return windowsNamedKennfix().size() == 1; }, kWaitMs))
        return QStringLiteral("Enter did not close the error box \"%1\"").arg(text);
    return {};
}

QList<Accessible> TestEndToEnd::accessibleObjects(const std::function<bool(const Accessible&)>& wanted)
{
    QList<Accessible> objects;
    const bool found = QTest::qWaitFor(
        [&] {
            objects = ReadAccessibleTree(*m_desktop, m_kennfix->Process().processId());
            return std::any_of(objects.cbegin(), objects.cend(), wanted);
        },
        kWaitMs);
    return found ? objects : QList<Accessible>();
}

// True when a screen reader can read `text` as a label of the program.
bool TestEndToEnd::readsOut(const QString& text)
{
    return !accessibleObjects([&](const Accessible& a) { return a.role == QLatin1String("label") && a.name == text; })
                .isEmpty();
}

QImage TestEndToEnd::nameField()
{
    const auto placement = m_desktop->PlacementOf(m_window);
    return placement ? m_desktop->Screenshot().copy(kLEdiName.translated(placement->client.topLeft())) : QImage();
}

void TestEndToEnd::computesAndPrints_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("date");  // as typed into the date field
    QTest::addColumn<QString>("etin");
    for (const TypedPerson& person : kTypedPeople)
        QTest::newRow(person.tag) << QString::fromUtf8(person.family) << QString::fromUtf8(person.first)
                                  << QString::fromUtf8(person.date) << QString::fromUtf8(person.etin);
}

void TestEndToEnd::computesAndPrints()
{
    QFETCH(QString, family);
    QFETCH(QString, first);
    QFETCH(QString, date);
    QFETCH(QString, etin);
    QVERIFY2(startProgram(m_cups->Environment()), "the window did not appear at 391x314");

    typeNames(family, first);
    type(date);
    click(kBtnRechnen);
    const qsizetype before = m_cups->Documents().size();
    click(kBtnDrucken);
    QTRY_COMPARE_WITH_TIMEOUT(m_cups->Documents().size(), before + 1, kWaitMs);

    const PrintedSheet sheet = ReadPrintedSheet(m_cups->Documents().last());
    QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault));
    QCOMPARE(sheet.lines.value(1), QStringLiteral("Name: ") + family);
    QCOMPARE(sheet.lines.value(2), QStringLiteral("Vorname: ") + first);
    QCOMPARE(sheet.lines.value(4), QStringLiteral("Die eTIN lautet: ") + etin);

    click(kBtnClose);
    QVERIFY(m_kennfix->Process().waitForFinished(kWaitMs));
    QCOMPARE(m_kennfix->Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_kennfix->Process().exitCode(), 0);
}

// Names changed after the calculation and printed without computing again:
// the sheet carries the new names and no eTIN, not another person's, and a
// screen reader hears the eTIN go.
void TestEndToEnd::changedNamesPrintNoEtin()
{
    QVERIFY2(startProgram(m_cups->Environment()), "the window did not appear at 391x314");
    typeNames(QStringLiteral("Müller"), QStringLiteral("Hans"));
    type(QStringLiteral("010280"));
    click(kBtnRechnen);
    const auto isEtinLabel = [](const Accessible& a) { return a.description == QLatin1String("Die eTIN lautet"); };
    QVERIFY2(!accessibleObjects([&](const Accessible& a) { return isEtinLabel(a) && a.name == "MLLRHNSA80B01H"; }).isEmpty(),
             "the eTIN is not on the accessibility bus");

    click(kLEdiName.center());
    key(QStringLiteral("ctrl+a"));
    type(QStringLiteral("Schmidt"));
    key(QStringLiteral("Tab"));  // selects the first name
    type(QStringLiteral("Petra"));
    QVERIFY2(!accessibleObjects([&](const Accessible& a) { return isEtinLabel(a) && a.name.isEmpty(); }).isEmpty(),
             "the eTIN label still reads out an eTIN");

    const qsizetype before = m_cups->Documents().size();
    click(kBtnDrucken);
    QTRY_COMPARE_WITH_TIMEOUT(m_cups->Documents().size(), before + 1, kWaitMs);
    const PrintedSheet sheet = ReadPrintedSheet(m_cups->Documents().last());
    QVERIFY2(sheet.fault.isEmpty(), qPrintable(sheet.fault));
    // Blanks at the end of a line do not show on paper.
    QCOMPARE(sheet.lines.mid(1, 4), (QStringList{QStringLiteral("Name: Schmidt"), QStringLiteral("Vorname: Petra"),
                                                 QStringLiteral("Geburtsdatum: 01.02.80"), QStringLiteral("Die eTIN lautet:")}));

    click(kBtnClose);
    QVERIFY(m_kennfix->Process().waitForFinished(kWaitMs));
    QCOMPARE(m_kennfix->Process().exitCode(), 0);
}

// A date copied from another program with the whole year goes in with its
// last two digits, through the desktop's real clipboard.
void TestEndToEnd::pastedDateWithFourDigitYear()
{
    QVERIFY2(startProgram(m_cups->Environment()), "the window did not appear at 391x314");
    typeNames(QStringLiteral("Müller"), QStringLiteral("Hans"));
    QVERIFY2(m_desktop->SetClipboard(QStringLiteral("01.02.1980\n")), "xclip did not fill the clipboard");
    key(QStringLiteral("ctrl+v"));
    click(kBtnRechnen);
    QVERIFY2(!accessibleObjects([](const Accessible& a) {
                 return a.name == QLatin1String("Geburtsdatum") && a.text == QStringLiteral("01.02.80");
             }).isEmpty(),
             "the date field does not read 01.02.80");
    QVERIFY2(readsOut(QStringLiteral("MLLRHNSA80B01H")), "the window does not show the eTIN of 01.02.1980");

    click(kBtnClose);
    QVERIFY(m_kennfix->Process().waitForFinished(kWaitMs));
    QCOMPARE(m_kennfix->Process().exitCode(), 0);
}

void TestEndToEnd::invalidDateShowsErrorBox()
{
    QVERIFY2(startProgram(m_cups->Environment()), "the window did not appear at 391x314");
    type(QStringLiteral("Meier"));
    key(QStringLiteral("Tab"));
    type(QStringLiteral("Li"));
    key(QStringLiteral("Tab"));
    type(QStringLiteral("310280"));
    click(kBtnRechnen);
    // The error box is a second window titled "Kennfix", in the centre too.
    const QString box = waitForErrorBox();
    QVERIFY(!box.isEmpty());
    const QString offCentre = OffCentre(m_desktop->PlacementOf(box));
    QVERIFY2(offCentre.isEmpty(), qPrintable(offCentre));
    const QString answered = answerErrorBox(QStringLiteral("'31.02.80' is not a valid date."));
    QVERIFY2(answered.isEmpty(), qPrintable(answered));
    QCOMPARE(m_kennfix->Process().state(), QProcess::Running);

    click(kBtnClose);
    QVERIFY(m_kennfix->Process().waitForFinished(kWaitMs));
    QCOMPARE(m_kennfix->Process().exitCode(), 0);
}

// The window manager puts a title bar above the window; the window stands in
// the centre with it.
void TestEndToEnd::placedInTheCentreWithItsFrame()
{
    QVERIFY2(startProgram(m_cups->Environment()), "the window did not appear at 391x314");
    const auto placement = m_desktop->PlacementOf(m_window);
    QVERIFY(placement && placement->frame.top() < placement->client.top());  // a frame to centre
    const QString offCentre = OffCentre(placement);
    QVERIFY2(offCentre.isEmpty(), qPrintable(offCentre));
    saveScreenshot(QStringLiteral("kennfix-96dpi.png"));
}

// At 192 dots per inch the window and everything in it doubles, and no text
// is cut off: the window tests that measure every control's text run on this
// desktop.
void TestEndToEnd::doubledAt192Dpi()
{
    QVERIFY(m_desktop->SetDpi(192));
    QVERIFY2(startProgram(m_cups->Environment(), kClientSize * 2), "the window did not appear at 782x628");
    const QString offCentre = OffCentre(m_desktop->PlacementOf(m_window));
    QVERIFY2(offCentre.isEmpty(), qPrintable(offCentre));
    saveScreenshot(QStringLiteral("kennfix-192dpi.png"));

    QProcess windowTests;
    QProcessEnvironment environment = m_desktop->Environment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    windowTests.setProcessEnvironment(environment);
    windowTests.setProcessChannelMode(QProcess::MergedChannels);
    windowTests.start(qEnvironmentVariable("KENNFIX_WINDOW_TESTS"),
                      {QStringLiteral("nothingClipped"), QStringLiteral("statusBarShowsWholeNotice"),
                       QStringLiteral("statusBarCoversWhatLiesBelow")});
    QVERIFY(windowTests.waitForFinished(kLookUpTimeOutWaitMs));
    const QByteArray output = windowTests.readAll();
    QVERIFY2(windowTests.exitStatus() == QProcess::NormalExit && windowTests.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("Totals: 5 passed, 0 failed"), output.constData());
}

// What a screen reader says: each field by its label, each button by its
// text, and the eTIN by a label that takes no focus.
void TestEndToEnd::readByScreenReaders()
{
    QVERIFY2(startProgram(m_cups->Environment()), "the window did not appear at 391x314");
    type(QStringLiteral("Müller"));
    key(QStringLiteral("Tab"));
    type(QStringLiteral("Hans"));
    click(kBtnRechnen);
    const QString etin = QStringLiteral("MLLRHNSA00A01Q");
    const QList<Accessible> objects = accessibleObjects([&](const Accessible& a) { return a.name == etin; });
    QVERIFY2(!objects.isEmpty(), "the eTIN is not on the accessibility bus");

    const QList<QPair<QString, QString>> controls = {
        {"text", "Familienname"},       {"text", "Vorname"},      {"text", "Geburtsdatum"},
        {"push button", "eTIN berechnen"}, {"push button", "Drucken"}, {"push button", "Programm beenden"},
    };
    for (const auto& [role, name] : controls) {
        const auto named = std::count_if(objects.cbegin(), objects.cend(), [&](const Accessible& a) { return a.name == name; });
        QVERIFY2(named == 1, qPrintable(QStringLiteral("%1 objects named \"%2\"").arg(named).arg(name)));
        const Accessible& control = *std::find_if(objects.cbegin(), objects.cend(), [&](const Accessible& a) { return a.name == name; });
        QCOMPARE(control.role, role);
        QVERIFY2(control.states.contains(QLatin1String("focusable")), qPrintable(name));
    }
    const Accessible& family = *std::find_if(objects.cbegin(), objects.cend(), [](const Accessible& a) { return a.name == QLatin1String("Familienname"); });
    QCOMPARE(family.text.value_or(QString()), QStringLiteral("Müller"));

    const Accessible& label = *std::find_if(objects.cbegin(), objects.cend(), [&](const Accessible& a) { return a.name == etin; });
    QCOMPARE(label.role, QStringLiteral("label"));
    QCOMPARE(label.description, QStringLiteral("Die eTIN lautet"));
    QVERIFY2(!label.states.contains(QLatin1String("focusable")), qPrintable(label.states.join(u' ')));
}

// A print server that takes the connection and never answers: the window
// goes on painting and taking input, a second "Drucken" is answered, and
// "Programm beenden" ends the program at once.
void TestEndToEnd::silentPrintServerHoldsUpNothing()
{
    SilentPrintServer silent;
    QVERIFY2(silent.Start(), qPrintable(silent.Error()));
    QVERIFY2(startProgram(silent.Environment()), "the window did not appear at 391x314");
    click(kBtnDrucken);
    QTRY_COMPARE_WITH_TIMEOUT(silent.Connections(), 1, kWaitMs);

    const QImage before = nameField();
    QVERIFY(!before.isNull());
    click(kLEdiName.center());
    type(QStringLiteral("Meier"));
    QTRY_VERIFY_WITH_TIMEOUT(nameField() != before, kWaitMs);
    QVERIFY(!accessibleObjects([](const Accessible& a) {
                 return a.name == QLatin1String("Familienname") && a.text == QStringLiteral("Meier");
             }).isEmpty());

    click(kBtnDrucken);
    QVERIFY(!waitForErrorBox().isEmpty());
    saveScreenshot(QStringLiteral("kennfix-druckvorgang-laeuft.png"));
    const QString answered = answerErrorBox(QStringLiteral("Druckvorgang läuft."));
    QVERIFY2(answered.isEmpty(), qPrintable(answered));

    click(kBtnClose);
    QVERIFY2(m_kennfix->Process().waitForFinished(kEndsAtOnceMs), "the program is still running");
    QCOMPARE(m_kennfix->Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_kennfix->Process().exitCode(), 0);
}

// The scheduler stops answering (SIGSTOP) while the program runs: the
// look-up gives up after its time-out, the next "Drucken" prints once the
// scheduler answers again, and the close box ends the program at once while
// a job waits at its hand-over.
void TestEndToEnd::stoppedSchedulerTimesOutTheLookUp()
{
    QVERIFY2(startProgram(m_cups->Environment()), "the window did not appear at 391x314");
    m_cups->Pause();
    click(kBtnDrucken);
    click(kBtnDrucken);
    QString answered = answerErrorBox(QStringLiteral("Druckvorgang läuft."));
    QVERIFY2(answered.isEmpty(), qPrintable(answered));
    answered = answerErrorBox(QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt."), kLookUpTimeOutWaitMs);
    QVERIFY2(answered.isEmpty(), qPrintable(answered));

    m_cups->Resume();
    const qsizetype before = m_cups->Documents().size();
    click(kBtnDrucken);
    QTRY_COMPARE_WITH_TIMEOUT(m_cups->Documents().size(), before + 1, kWaitMs);

    m_cups->Pause();
    click(kBtnDrucken);
    click(kBtnDrucken);  // the job waits at its hand-over
    answered = answerErrorBox(QStringLiteral("Druckvorgang läuft."));
    QVERIFY2(answered.isEmpty(), qPrintable(answered));
    key(QStringLiteral("alt+F4"));  // the window manager's close
    QVERIFY2(m_kennfix->Process().waitForFinished(kEndsAtOnceMs), "the program is still running");
    QCOMPARE(m_kennfix->Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_kennfix->Process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
