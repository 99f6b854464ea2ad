// The list window offscreen: opening a list (by name, by dropping it), the
// summary, the switch to the rows that need attention, a list that cannot
// be read, saving through the save dialog, cancelling a long read, Ctrl+Q.

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "boxwatcher.h"
#include "files.h"
#include "listjobs.h"
#include "listwindow.h"
#include "stafflist.h"

namespace kennfix::liste {
namespace {

constexpr int kWaitMs = 20'000;

batch::ListOptions Options()
{
    batch::ListOptions options;
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

// Answers the next file dialog, once it is open, with `answer`.
void AnswerFileDialog(std::function<void(QFileDialog&)> answer)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        answer(*dialog);
    });
    timer->start(10);
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
    void savesWhereTheDialogProposes();
    void cancellingKeepsTheListShown();
    void droppedFileOpens();
    void ctrlQCloses();

private:
    bool openAndWait(const QString& path);
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QAbstractItemModel* model() const { return m_window->rows->model(); }

    QTemporaryDir m_dir;
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
}

void TestListWindow::init()
{
    m_boxes.boxes.clear();
    m_window = std::make_unique<ListWindow>(Options());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestListWindow::cleanup()
{
    m_window.reset();
}

bool TestListWindow::openAndWait(const QString& file)
{
    m_window->openList(file);
    return QTest::qWaitFor([this] { return !m_window->jobs().running(); }, kWaitMs) && m_window->list() &&
           m_window->list()->path == QFile::encodeName(file).toStdString();
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

// Ctrl+S proposes <name>-etin.csv beside the list and Enter saves there,
// what the engine writes from the file; the next Ctrl+S proposes the same.
void TestListWindow::savesWhereTheDialogProposes()
{
    QVERIFY(openAndWait(path("personal.csv")));
    QString proposed;
    AnswerFileDialog([&](QFileDialog& dialog) {
        proposed = dialog.selectedFiles().value(0);
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(proposed, path("personal-etin.csv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->jobText->text(),
                              QStringLiteral("Gespeichert als „%1“.").arg(path("personal-etin.csv")), kWaitMs);
    batch::ProcessListFile(QFile::encodeName(path("personal.csv")).toStdString(),
                           QFile::encodeName(path("batch.csv")).toStdString(), Options());
    QCOMPARE(Contents(path("personal-etin.csv")), Contents(path("batch.csv")));

    AnswerFileDialog([&](QFileDialog& dialog) {
        proposed = dialog.selectedFiles().value(0);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::keyClick(m_window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(proposed, path("personal-etin.csv"));
    QVERIFY(!m_window->jobs().running());
    QVERIFY(m_boxes.boxes.isEmpty());
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
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->jobs().threadBusy(), kWaitMs);
    QTest::qWait(50);  // anything the reading sent has arrived by now
    QCOMPARE(m_window->windowTitle(), QStringLiteral("personal.csv – Kennfix Liste"));
    QCOMPARE(model()->rowCount(), 7);
    // The same list opens in full afterwards.
    QVERIFY(openAndWait(path("lang.csv")));
    QCOMPARE(model()->rowCount(), 300'000);
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
