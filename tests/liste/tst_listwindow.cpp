// The list window offscreen: opening a list (by name, by dropping it), the
// summary, the switch to the rows that need attention, lists that cannot be
// read and their messages, choosing the columns of a list whose header
// lacks one, a list changed while it is read, saving through the save
// dialog, cancelling a read or a save at every moment that matters (forced
// with a gate in the system calls, systemgate.h), a pipe, the columns'
// widths, the file dialogs, Ctrl+Q.

#include <QAbstractProxyModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "liste/columnsdialog.h"
#include "liste/listjobs.h"
#include "liste/listwindow.h"
#include "listengine/files.h"
#include "tests/liste/stafflist.h"
#include "tests/liste/systemgate.h"
#include "tests/qtfrontend/boxwatcher.h"

namespace kennfix::liste {
namespace {

constexpr int kWaitMs = 20'000;

listengine::ListOptions Options()
{
    listengine::ListOptions options;
    options.currentYear = test::kReadInYear;
    return options;
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the next modal dialog of type Dialog, once it is open, with
// `answer`. The answer waits with `owner`, which the test's cleanup empties,
// so that an answer a test did not need never reaches the next one.
template <typename Dialog>
void Answer(QObject* owner, std::function<void(Dialog&)> answer)
{
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        answer(*dialog);
    });
    timer->start(10);
}


std::string Local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Written long ago, as lists are: a rewrite while it is read is newer even
// on a file system that keeps coarse times.
bool WrittenLongAgo(const QString& path)
{
    const timespec longAgo[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    return ::utimensat(AT_FDCWD, Local(path).c_str(), longAgo, 0) == 0;
}

QByteArray Utf16LE(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text)
        bytes += QByteArray(1, char(c.unicode() & 0xFF)) + QByteArray(1, char(c.unicode() >> 8));
    return bytes;
}

// The longest stretch of a text without a blank or a line break: what a
// message box cannot wrap.
qsizetype LongestUnbroken(const QString& text)
{
    qsizetype longest = 0;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+"))))
        longest = std::max(longest, word.size());
    return longest;
}

}  // namespace

class TestListWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensAndSummarises();
    void switchShowsOnlyRowsThatNeedAttention();
    void aListThatCannotBeReadKeepsTheOneShown();
    void messagesAPersonCanRead_data();
    void messagesAPersonCanRead();
    void columnsChosenForThisListOnly();
    void aUtf16ListSeparatedBySemicolons();
    void aListChangedWhileReadIsReadAgain();
    void savesWhereTheDialogProposes();
    void aSavedNameShowsAsMessagesShowIt_data();
    void aSavedNameShowsAsMessagesShowIt();
    void cancellingKeepsTheListShown();
    void aStuckReadHoldsUpNothing();
    void aPipeIsRefusedAtOnce();
    void cancelBeforeThePointOfNoReturnReplacesNothing();
    void pastThePointOfNoReturnTheSaveEnds();
    void closingPastThePointOfNoReturn();
    void columnsFitWhatTheScreenShows();
    void fileDialogsSpeakGerman();
    void droppedFileOpens();
    void ctrlQCloses();

private:
    bool openAndWait(const QString& path);
    bool waitForJobThreadsToEnd();
    void answerFileDialog(std::function<void(QFileDialog&)> answer) { Answer<QFileDialog>(&m_answers, std::move(answer)); }
    // Opens `file` and answers the column dialog with `answer`; false when
    // the dialog did not come or the reading did not end.
    bool openAnsweringColumns(const QString& file, std::function<void(ColumnsDialog&)> answer);
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QAbstractItemModel* model() const { return m_window->rows->model(); }

    QTemporaryDir m_dir;
    QObject m_answers;
    BoxWatcher m_boxes;
    std::unique_ptr<ListWindow> m_window;
};

void TestListWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(Write(path("personal.csv"), QByteArray(test::kStaffList.data(), test::kStaffList.size())));
    // Quoting left open in line 3.
    QVERIFY(Write(path("kaputt.csv"), "Familienname;Vorname;Geburtsdatum\nMeier;Li;15.05.1990\n\"offen;Li;01.02.80\n"));
    QByteArray longList("Familienname;Vorname;Geburtsdatum\n");
    for (int i = 0; i < 300'000; ++i)
        longList += "Müller;Hans;01.02.1980\n";
    QVERIFY(Write(path("lang.csv"), longList));
    QVERIFY(Write(path("nachname.csv"), "Nachname;Vorname;Geb.-Datum\nMeier;Li;15.05.1991\n"));
    QVERIFY(Write(path("utf16.csv"), Utf16LE(QStringLiteral("Familienname;Vorname;Geburtsdatum\r\nMüller;Hans;01.02.1980\r\n"))));
}

void TestListWindow::init()
{
    m_boxes.boxes.clear();
    m_boxes.answer = Qt::Key_Return;
    m_window = std::make_unique<ListWindow>(Options());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestListWindow::cleanup()
{
    qDeleteAll(m_answers.children());
    m_window.reset();
}

bool TestListWindow::openAndWait(const QString& file)
{
    m_window->openList(file);
    return QTest::qWaitFor([this] { return !m_window->jobs().running(); }, kWaitMs) && m_window->list() &&
           m_window->list()->path == QFile::encodeName(file).toStdString();
}

// A thread of the window's jobs posts its reports to the window's thread
// before it counts itself out. Once none is at work, everything they sent
// is queued; it is delivered here, so that whatever the window does with a
// late report is done before the test looks.
bool TestListWindow::waitForJobThreadsToEnd()
{
    if (!QTest::qWaitFor([this] { return !m_window->jobs().threadBusy(); }, kWaitMs))
        return false;
    QCoreApplication::sendPostedEvents(&m_window->jobs());
    return true;
}

bool TestListWindow::openAnsweringColumns(const QString& file, std::function<void(ColumnsDialog&)> answer)
{
    const auto asked = std::make_shared<bool>(false);
    Answer<ColumnsDialog>(&m_answers, [asked, answer](ColumnsDialog& dialog) {
        *asked = true;
        answer(dialog);
    });
    m_window->openList(file);
    return QTest::qWaitFor([&] { return *asked && !m_window->jobs().running(); }, kWaitMs);
}

void TestListWindow::opensAndSummarises()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kennfix Liste"));
    QVERIFY(!m_window->saveButton->isEnabled());
    QVERIFY(!m_window->attentionOnly->isEnabled());
    QVERIFY(openAndWait(path("personal.csv")));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"));
    QCOMPARE(m_window->summary->text(),
             QStringLiteral("6 Zeilen: 4 mit eTIN, 2 mit Fehler, 2 gespeicherte eTINs weichen ab."));
    QCOMPARE(model()->rowCount(), 7);
    QVERIFY(m_window->saveButton->isEnabled());
    QVERIFY(m_window->attentionOnly->isEnabled());
    QVERIFY(m_window->progress->isHidden());
    QVERIFY(m_window->cancelButton->isHidden());
    QVERIFY(m_boxes.boxes.isEmpty());
}

// The row the cursor is on stays current when it is shown. (Its key, Alt+N,
// is pressed in the end-to-end test: Qt's offscreen platform has no
// mnemonics.)
void TestListWindow::switchShowsOnlyRowsThatNeedAttention()
{
    QVERIFY(openAndWait(path("personal.csv")));
    m_window->rows->setCurrentIndex(model()->index(3, 1));  // 1004, its stored eTIN deviates
    QTest::mouseClick(m_window->attentionOnly, Qt::LeftButton);
    QVERIFY(m_window->attentionOnly->isChecked());
    QCOMPARE(model()->rowCount(), 4);
    QCOMPARE(m_window->rows->currentIndex().row(), 1);
    QCOMPARE(m_window->rows->currentIndex().data().toString(), QStringLiteral("Meier"));
    QTest::mouseClick(m_window->attentionOnly, Qt::LeftButton);
    QCOMPARE(model()->rowCount(), 7);
    QCOMPARE(m_window->rows->currentIndex().row(), 3);
}

// The error box names the file and the line; the list shown stays, and the
// file is not written.
void TestListWindow::aListThatCannotBeReadKeepsTheOneShown()
{
    QVERIFY(openAndWait(path("personal.csv")));
    const QByteArray broken = Contents(path("kaputt.csv"));
    m_window->openList(path("kaputt.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes.boxes.size(), 1, kWaitMs);
    const ShownBox& box = m_boxes.boxes.first();
    QCOMPARE(box.title, QStringLiteral("Kennfix Liste"));
    QVERIFY(box.stopIcon);
    QVERIFY2(box.text.startsWith(u'„' + path("kaputt.csv") + QStringLiteral("“ kann nicht als Liste gelesen werden.")),
             qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("Zeile 3: ")), qPrintable(box.text));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"));
    QCOMPARE(model()->rowCount(), 7);
    QVERIFY(m_window->saveButton->isEnabled());
    QCOMPARE(Contents(path("kaputt.csv")), broken);
}

// What is quoted of a file is cut short and the box wraps it; a sentence
// keeps its own mark; nothing speaks of a command line.
void TestListWindow::messagesAPersonCanRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("end");  // how the box's text ends
    QByteArray binary(4096, '\0');
    binary.replace(0, 8, "\x89PNG\r\n\x1A\n");
    QTest::newRow("a binary file") << binary
                                   << QStringLiteral("Ist die Datei eine Liste im CSV-Format mit einer Kopfzeile?");
    QTest::newRow("a quote left open until the row is too long")
        << QByteArray("Familienname;Vorname;Geburtsdatum\n\"") + QByteArray(17 << 20, 'x')
        << QStringLiteral("Fehlt ein schließendes Anführungszeichen?");
}

void TestListWindow::messagesAPersonCanRead()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, end);
    QVERIFY(Write(path("datei"), file));
    m_window->openList(path("datei"));
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes.boxes.size(), 1, kWaitMs);
    const QString text = m_boxes.boxes.first().text;
    QVERIFY2(text.startsWith(u'„' + path("datei") + QStringLiteral("“ kann nicht als Liste gelesen werden.")), qPrintable(text));
    QVERIFY2(text.endsWith(end), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("--")), qPrintable(text));
    QVERIFY2(LongestUnbroken(text) <= 60, qPrintable(text));
}

// A header with other names: the window asks which columns to read, with the
// names that fit chosen; the list is read so, and the next list is read with
// the window's options again.
void TestListWindow::columnsChosenForThisListOnly()
{
    QStringList offered;
    QVERIFY(openAnsweringColumns(path("nachname.csv"), [&](ColumnsDialog& dialog) {
        offered = {dialog.familyNameBox->currentText(), dialog.firstNameBox->currentText(),
                   dialog.birthDateBox->currentText()};
        for (const QComboBox* box : {dialog.delimiterBox, dialog.familyNameBox, dialog.firstNameBox, dialog.birthDateBox})
            QVERIFY(box && !box->accessibleName().isEmpty());
        // One column for two jobs is no choice: by keyboard, first name as family name.
        dialog.firstNameBox->setFocus();
        QTest::keyClick(dialog.firstNameBox, Qt::Key_Up);
        QVERIFY(!dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
        QTest::keyClick(dialog.firstNameBox, Qt::Key_Down);
        QVERIFY(dialog.buttons->button(QDialogButtonBox::Ok)->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_Return);
    }));
    QCOMPARE(offered, QStringList({"Nachname", "Vorname", "Geb.-Datum"}));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("nachname.csv – Kennfix Liste"));
    QCOMPARE(model()->rowCount(), 1);
    QCOMPARE(model()->index(0, 3).data().toString(), QStringLiteral("MREILIXX91E15Z"));
    QVERIFY(m_boxes.boxes.isEmpty());

    // Not kept: asked again, and Escape leaves the list shown.
    QVERIFY(openAndWait(path("personal.csv")));
    QVERIFY(openAnsweringColumns(path("nachname.csv"), [](ColumnsDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"));
    QVERIFY(m_boxes.boxes.isEmpty());
}

// "Unicode text" separated by ";" is read as tab-separated, which finds no
// column: the window offers ";", and saves as kennfix-batch does with it.
void TestListWindow::aUtf16ListSeparatedBySemicolons()
{
    QString delimiter;
    QVERIFY(openAnsweringColumns(path("utf16.csv"), [&](ColumnsDialog& dialog) {
        delimiter = dialog.delimiterBox->currentText();
        dialog.accept();
    }));
    QCOMPARE(delimiter, QStringLiteral("Semikolon (;)"));
    QCOMPARE(model()->rowCount(), 1);
    QCOMPARE(model()->index(0, 0).data().toString(), QStringLiteral("Müller"));
    QCOMPARE(model()->index(0, 3).data().toString(), QStringLiteral("MLLRHNSA80B01H"));

    m_window->saveAs(path("utf16-etin.csv"));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->jobText->text().startsWith(QStringLiteral("Gespeichert als")), kWaitMs);
    listengine::ListOptions semicolon = Options();
    semicolon.delimiter = ';';
    listengine::ProcessListFile(Local(path("utf16.csv")), Local(path("batch.csv")), semicolon);
    QCOMPARE(Contents(path("utf16-etin.csv")), Contents(path("batch.csv")));
}

// Rewritten by another program while it is read: nothing of it is shown,
// and the window offers to read it again.
void TestListWindow::aListChangedWhileReadIsReadAgain()
{
    QVERIFY(openAndWait(path("personal.csv")));
    for (const Qt::Key answer : {Qt::Key_Escape, Qt::Key_Return}) {
        m_boxes.boxes.clear();
        m_boxes.answer = answer;
        QVERIFY(Write(path("wechsel.csv"), Contents(path("lang.csv"))));
        QVERIFY(WrittenLongAgo(path("wechsel.csv")));
        test::SystemGate::Close(test::SystemGate::Call::Read, Local(path("wechsel.csv")));
        m_window->openList(path("wechsel.csv"));
        QTRY_VERIFY_WITH_TIMEOUT(test::SystemGate::Holds(), kWaitMs);
        QVERIFY(Write(path("wechsel.csv"), "Familienname;Vorname;Geburtsdatum\nMeier;Li;15.05.1991\n"));
        test::SystemGate::Open();
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.boxes.size(), 1, kWaitMs);
        const ShownBox& box = m_boxes.boxes.first();
        QVERIFY2(box.text.contains(QStringLiteral("wurde verändert, während es gelesen wurde")), qPrintable(box.text));
        QCOMPARE(box.buttons, QStringList({"Erneut lesen", "Abbrechen"}));
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->jobs().running(), kWaitMs);
        if (answer == Qt::Key_Escape) {
            QCOMPARE(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"));
            QCOMPARE(model()->rowCount(), 7);
        } else {
            QCOMPARE(m_window->windowTitle(), QStringLiteral("wechsel.csv – Kennfix Liste"));
            QCOMPARE(model()->rowCount(), 1);
        }
    }
}

// Ctrl+S proposes <name>-etin.csv beside the list and Enter saves there,
// what the engine writes from the file; the next Ctrl+S proposes the same.
void TestListWindow::savesWhereTheDialogProposes()
{
    QVERIFY(openAndWait(path("personal.csv")));
    QString proposed;
    answerFileDialog([&](QFileDialog& dialog) {
        proposed = dialog.selectedFiles().value(0);
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(proposed, path("personal-etin.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->jobText->text(),
                              QStringLiteral("Gespeichert als „%1“.").arg(path("personal-etin.csv")), kWaitMs);
    listengine::ProcessListFile(QFile::encodeName(path("personal.csv")).toStdString(),
                           QFile::encodeName(path("batch.csv")).toStdString(), Options());
    QCOMPARE(Contents(path("personal-etin.csv")), Contents(path("batch.csv")));

    answerFileDialog([&](QFileDialog& dialog) {
        proposed = dialog.selectedFiles().value(0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(proposed, path("personal-etin.csv"));
    QVERIFY(!m_window->jobs().running());
    QVERIFY(m_boxes.boxes.isEmpty());
}

// The status line names the saved file as the engine's messages do: a line
// break or a terminal's control character in the name is shown escaped.
void TestListWindow::aSavedNameShowsAsMessagesShowIt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("ziel.csv") << QStringLiteral("ziel.csv");
    QTest::newRow("a line break") << QStringLiteral("zwei\nzeilen.csv") << QStringLiteral("zwei\\nzeilen.csv");
    QTest::newRow("an escape sequence") << QStringLiteral("\x1B[2Jrot.csv") << QStringLiteral("\\u001B[2Jrot.csv");
}

void TestListWindow::aSavedNameShowsAsMessagesShowIt()
{
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QVERIFY(openAndWait(path("personal.csv")));
    m_window->saveAs(path(name));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->jobText->text(), QStringLiteral("Gespeichert als „%1“.").arg(path(shown)), kWaitMs);
    QVERIFY(QFile::exists(path(name)));
}

// "Abbrechen" during a read: the window is at once as it was, and what the
// reading had done never arrives.
void TestListWindow::cancellingKeepsTheListShown()
{
    QVERIFY(openAndWait(path("personal.csv")));
    m_window->openList(path("lang.csv"));
    QVERIFY(m_window->progress->isVisible());
    QVERIFY(m_window->cancelButton->isVisible());
    QVERIFY(!m_window->saveButton->isEnabled());
    QTest::mouseClick(m_window->cancelButton, Qt::LeftButton);
    QCOMPARE(m_window->jobText->text(), QStringLiteral("Abgebrochen."));
    QVERIFY(m_window->progress->isHidden());
    QVERIFY(m_window->saveButton->isEnabled());
    QVERIFY(waitForJobThreadsToEnd());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"));
    QCOMPARE(model()->rowCount(), 7);
    // The same list opens in full afterwards.
    QVERIFY(openAndWait(path("lang.csv")));
    QCOMPARE(model()->rowCount(), 300'000);
}

// A read that hangs in the system, as on a network drive that no longer
// answers: "Abbrechen" frees the window at once, the next list opens while
// the first still hangs, and what the first does in the end is dropped.
void TestListWindow::aStuckReadHoldsUpNothing()
{
    QVERIFY(Write(path("haengt.csv"), Contents(path("nachname.csv"))));
    test::SystemGate::Close(test::SystemGate::Call::Read, Local(path("haengt.csv")));
    m_window->openList(path("haengt.csv"));
    QTRY_VERIFY_WITH_TIMEOUT(test::SystemGate::Holds(), kWaitMs);
    QTest::mouseClick(m_window->cancelButton, Qt::LeftButton);
    QCOMPARE(m_window->jobText->text(), QStringLiteral("Abgebrochen."));
    QVERIFY(openAndWait(path("personal.csv")));
    QVERIFY(test::SystemGate::Holds());
    test::SystemGate::Open();
    QVERIFY(waitForJobThreadsToEnd());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"));
    QVERIFY(m_boxes.boxes.isEmpty());
}

// A named pipe nobody reads or writes: refused at once as list and as
// target, in German, and the window goes on.
void TestListWindow::aPipeIsRefusedAtOnce()
{
    QVERIFY(::mkfifo(Local(path("pipe.csv")).c_str(), 0600) == 0);
    m_window->openList(path("pipe.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes.boxes.size(), 1, kWaitMs);
    QCOMPARE(m_boxes.boxes.last().text,
             u'„' + path("pipe.csv") + QStringLiteral("“ ist keine gewöhnliche Datei und kann nicht als Liste gelesen werden."));

    QVERIFY(openAndWait(path("personal.csv")));
    m_window->saveAs(path("pipe.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes.boxes.size(), 2, kWaitMs);
    QCOMPARE(m_boxes.boxes.last().text,
             u'„' + path("pipe.csv") +
                 QStringLiteral("“ ist keine gewöhnliche Datei; eine Liste wird nur in eine gewöhnliche Datei gespeichert."));
    QVERIFY(Write(path("frei.csv"), Contents(path("personal.csv"))));
    QVERIFY(openAndWait(path("frei.csv")));
    QVERIFY(::unlink(Local(path("pipe.csv")).c_str()) == 0);
}

// "Abbrechen" while the save still reads the list: "Abgebrochen.", and the
// file saved before is there as it was, nothing beside it.
void TestListWindow::cancelBeforeThePointOfNoReturnReplacesNothing()
{
    QVERIFY(openAndWait(path("personal.csv")));
    QVERIFY(Write(path("ziel.csv"), "alt"));
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    test::SystemGate::Close(test::SystemGate::Call::Read, Local(path("personal.csv")));
    m_window->saveAs(path("ziel.csv"));
    QTRY_VERIFY_WITH_TIMEOUT(test::SystemGate::Holds(), kWaitMs);
    QTest::mouseClick(m_window->cancelButton, Qt::LeftButton);
    QCOMPARE(m_window->jobText->text(), QStringLiteral("Abgebrochen."));
    test::SystemGate::Open();
    QVERIFY(waitForJobThreadsToEnd());
    QCOMPARE(Contents(path("ziel.csv")), QByteArray("alt"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
    QCOMPARE(m_window->jobText->text(), QStringLiteral("Abgebrochen."));
    QVERIFY(m_boxes.boxes.isEmpty());
}

// Once the save puts its file in place (here held in fsync, as by a slow
// disk) it can no longer be cancelled: "Abbrechen" is gone, Escape changes
// nothing, and the window says "Gespeichert als …" of the complete file.
void TestListWindow::pastThePointOfNoReturnTheSaveEnds()
{
    QVERIFY(openAndWait(path("personal.csv")));
    QVERIFY(Write(path("ziel.csv"), "alt"));
    test::SystemGate::Close(test::SystemGate::Call::Fsync, Local(path("ziel.csv")));
    m_window->saveAs(path("ziel.csv"));
    QTRY_VERIFY_WITH_TIMEOUT(test::SystemGate::Holds(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->jobText->text(), QStringLiteral("„ziel.csv“ wird fertig gespeichert …"), kWaitMs);
    QVERIFY(m_window->cancelButton->isHidden());
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    m_window->cancelJob();  // as an Escape that came before the window knew
    QCOMPARE(m_window->jobText->text(), QStringLiteral("„ziel.csv“ wird fertig gespeichert …"));
    QVERIFY(m_window->jobs().running());
    test::SystemGate::Open();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->jobText->text(), QStringLiteral("Gespeichert als „%1“.").arg(path("ziel.csv")),
                              kWaitMs);
    listengine::ProcessListFile(Local(path("personal.csv")), Local(path("batch.csv")), Options());
    QCOMPARE(Contents(path("ziel.csv")), Contents(path("batch.csv")));
}

// The window closed while a save puts its file in place: the program gives
// it a moment (main.cpp); should it not end in time, its temporary file is
// removed, and the old file is there, never half a new one.
void TestListWindow::closingPastThePointOfNoReturn()
{
    QVERIFY(openAndWait(path("personal.csv")));
    listengine::ProcessListFile(Local(path("personal.csv")), Local(path("batch.csv")), Options());
    for (const bool endsInTime : {true, false}) {
        QVERIFY(Write(path("ziel.csv"), "alt"));
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        test::SystemGate::Close(test::SystemGate::Call::Fsync, Local(path("ziel.csv")));
        m_window->saveAs(path("ziel.csv"));
        QTRY_VERIFY_WITH_TIMEOUT(test::SystemGate::Holds(), kWaitMs);
        m_window->close();
        if (endsInTime) {
            test::SystemGate::Open();
            QVERIFY(m_window->jobs().abandon(kWaitMs));
            QCOMPARE(Contents(path("ziel.csv")), Contents(path("batch.csv")));
        } else {
            QVERIFY(!m_window->jobs().abandon(50));
            listengine::RemoveTemporaryFiles();
            QCOMPARE(Contents(path("ziel.csv")), QByteArray("alt"));
            QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
            test::SystemGate::Open();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->jobs().threadBusy() && !m_window->jobs().running(), kWaitMs);
        QCOMPARE(Contents(path("ziel.csv")), endsInTime ? Contents(path("batch.csv")) : QByteArray("alt"));
        m_window->show();
    }
}

// Each column as wide as what the rows on the screen hold: Prüfung shows
// the computed eTIN whole; the last column takes what is left.
void TestListWindow::columnsFitWhatTheScreenShows()
{
    m_window->resize(2000, 600);  // room for every column
    QVERIFY(openAndWait(path("personal.csv")));
    const std::size_t check = *m_window->list()->table->layout().checkColumn;
    const int column = static_cast<int>(check);
    const QString longest = QStringLiteral("Prüfzeichen falsch, berechnet: YNYLJSMR52B28A");
    QVERIFY(m_window->rows->columnWidth(column) > m_window->rows->fontMetrics().horizontalAdvance(longest));
    QHeaderView* header = m_window->rows->horizontalHeader();
    const int last = model()->columnCount() - 1;
    QCOMPARE(header->sectionViewportPosition(last) + header->sectionSize(last), m_window->rows->viewport()->width());
}

// Qt's own dialog, never the desktop's, and sizes and dates in German even
// under the C locale (a test run of its own).
void TestListWindow::fileDialogsSpeakGerman()
{
    QVERIFY(openAndWait(path("personal.csv")));
    QString size, date, expectedSize, expectedDate;
    bool ownDialog = false;
    answerFileDialog([&](QFileDialog& dialog) {
        ownDialog = dialog.testOption(QFileDialog::DontUseNativeDialog);
        QAbstractProxyModel* shown = dialog.proxyModel();
        const auto* files = shown ? qobject_cast<const QFileSystemModel*>(shown->sourceModel()) : nullptr;
        if (files) {
            const QModelIndex file = files->index(path("personal.csv"));
            QTRY_VERIFY_WITH_TIMEOUT(files->lastModified(file).isValid(), kWaitMs);
            size = shown->mapFromSource(file.siblingAtColumn(1)).data().toString();
            date = shown->mapFromSource(file.siblingAtColumn(3)).data().toString();
            const QLocale german(QLocale::German, QLocale::Germany);
            expectedSize = german.formattedDataSize(files->size(file));
            expectedDate = german.toString(files->lastModified(file), QLocale::ShortFormat);
        }
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    m_window->chooseList();
    QVERIFY(ownDialog);
    QCOMPARE(size, expectedSize);
    QCOMPARE(date, expectedDate);
    QVERIFY2(size.endsWith(QStringLiteral(" Bytes")), qPrintable(size));
}

void TestListWindow::droppedFileOpens()
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("personal.csv"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &drop);
    QTRY_COMPARE_WITH_TIMEOUT(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"), kWaitMs);

    // Two files, or something that is no file, are not taken.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(path("personal.csv")), QUrl::fromLocalFile(path("lang.csv"))});
    QDragEnterEvent enterTwo(QPoint(10, 10), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &enterTwo);
    QVERIFY(!enterTwo.isAccepted());
    QMimeData text;
    text.setText(QStringLiteral("Müller;Hans;01.02.1980"));
    QDragEnterEvent enterText(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &enterText);
    QVERIFY(!enterText.isAccepted());
}

void TestListWindow::ctrlQCloses()
{
    m_window->openList(path("lang.csv"));
    QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m_window->isVisible());
    QVERIFY(!m_window->jobs().running());
}

}  // namespace kennfix::liste

QTEST_MAIN(kennfix::liste::TestListWindow)
#include "tst_listwindow.moc"
