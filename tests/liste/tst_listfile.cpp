// Reading a list file for the window and saving it: the saved file is what
// the engine writes from the file as kennfix-batch calls it, with the same
// rights; a list changed since it was read or while it is read, the list
// itself as the target, and a pipe are refused without leaving anything
// behind; a save asks before it replaces anything.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "liste/listfile.h"
#include "listengine/files.h"
#include "tests/liste/stafflist.h"

namespace kennfix::liste {
namespace {

listengine::ListOptions Options()
{
    listengine::ListOptions options;
    options.currentYear = test::kReadInYear;
    return options;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(nicht lesbar)");
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

std::string Local(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

mode_t Mode(const QString& path)
{
    struct stat st {};
    return ::stat(Local(path).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

class TestListFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void savedAsTheEngineWritesIt_data();
    void savedAsTheEngineWritesIt();
    void aChangedListIsNotSaved();
    void aListChangedWhileReadIsNotShown();
    void theListItselfIsNeverTheTarget();
    void aListThatCannotBeRead();
    void aPipeIsNoList();
    void cancelled();
    void askedBeforeReplacing();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // The files in the folder, to see that nothing was left behind.
    QStringList files() const { return QDir(m_dir->path()).entryList(QDir::Files, QDir::Name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestListFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestListFile::savedAsTheEngineWritesIt_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::newRow("UTF-8, every kind of row") << QByteArray(test::kStaffList.data(), test::kStaffList.size());
    QTest::newRow("Windows-1252, CR LF") << QByteArray("Familienname;Vorname;Geburtsdatum\r\nM\xFCller;J\xFCrgen;01.02.80\r\n");
    // "Unicode text" of a spreadsheet: UTF-16 LE with its mark, tabs.
    QByteArray utf16("\xFF\xFE", 2);
    for (const char c : QByteArray("Familienname\tVorname\tGeburtsdatum\nMeier\tLi\t15.05.1990\n"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    utf16.chop(2);
    QTest::newRow("UTF-16 LE") << utf16;
}

// The same bytes and the same rights as kennfix-batch's way through the
// engine (ProcessListFile) gives them.
void TestListFile::savedAsTheEngineWritesIt()
{
    QFETCH(QByteArray, list);
    QVERIFY(Write(path("liste.csv"), list));
    QVERIFY(::chmod(Local(path("liste.csv")).c_str(), 0640) == 0);
    const mode_t mask = ::umask(022);

    const LoadedList loaded = ReadListFile(Local(path("liste.csv")), Options());
    SaveListFile(loaded, Local(path("fenster.csv")));
    listengine::ProcessListFile(Local(path("liste.csv")), Local(path("kommandozeile.csv")), Options());
    ::umask(mask);

    QCOMPARE(Contents(path("fenster.csv")), Contents(path("kommandozeile.csv")));
    QCOMPARE(Mode(path("fenster.csv")), mode_t{0640});
    QCOMPARE(Mode(path("kommandozeile.csv")), mode_t{0640});
    QCOMPARE(files(), QStringList({"fenster.csv", "kommandozeile.csv", "liste.csv"}));
}

// Saved is what is shown: a list changed on disk after it was read, by as
// little as one letter or a line more, is not saved, and the file saved
// before stays as it was.
void TestListFile::aChangedListIsNotSaved()
{
    const QByteArray list(test::kStaffList.data(), test::kStaffList.size());
    const struct {
        const char* tag;
        QByteArray changed;
    } changes[] = {
        {"one letter", QByteArray(list).replace("Hans", "Hanz")},
        {"a line more", list + "1007;Meier;Li;15.05.1990;;Lohn\n"},
        {"no list any more", "Name;Vorname\n"},
    };
    for (const auto& change : changes) {
        QVERIFY(Write(path("liste.csv"), list));
        QVERIFY(Write(path("ergebnis.csv"), "alt"));
        const LoadedList loaded = ReadListFile(Local(path("liste.csv")), Options());
        QVERIFY(Write(path("liste.csv"), change.changed));
        try {
            SaveListFile(loaded, Local(path("ergebnis.csv")));
            QFAIL(change.tag);
        } catch (const ListFileError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("seit dem Öffnen verändert")), e.what());
        }
        QCOMPARE(Contents(path("ergebnis.csv")), QByteArray("alt"));
        QCOMPARE(files(), QStringList({"ergebnis.csv", "liste.csv"}));
    }
}

void TestListFile::theListItselfIsNeverTheTarget()
{
    const QByteArray list(test::kStaffList.data(), test::kStaffList.size());
    QVERIFY(Write(path("liste.csv"), list));
    QVERIFY(QFile::link(QStringLiteral("liste.csv"), path("verweis.csv")));
    QCOMPARE(::link(QFile::encodeName(path("liste.csv")).constData(),
                    QFile::encodeName(path("zweiter-name.csv")).constData()),
             0);
    const LoadedList loaded = ReadListFile(Local(path("liste.csv")), Options());
    for (const char* target : {"liste.csv", "verweis.csv", "zweiter-name.csv"}) {
        try {
            SaveListFile(loaded, Local(path(target)));
            QFAIL(target);
        } catch (const ListFileError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("„%1“ ist die Liste selbst. Sie wird nicht "
                                                                 "überschrieben; bitte einen anderen Namen wählen.")
                                                      .arg(path(target)));
        }
        QCOMPARE(Contents(path("liste.csv")), list);
    }
    QCOMPARE(files(), QStringList({"liste.csv", "verweis.csv", "zweiter-name.csv"}));
}

// The engine's reason with the line, and nothing written.
void TestListFile::aListThatCannotBeRead()
{
    QVERIFY(Write(path("liste.csv"), "Familienname;Vorname;Geburtsdatum\nMeier;Li;15.05.1990\n\"offen;Li;01.02.80\n"));
    try {
        ReadListFile(Local(path("liste.csv")), Options());
        QFAIL("read");
    } catch (const listengine::ListError& e) {
        QCOMPARE(e.line(), std::size_t{3});
    }
    QCOMPARE(files(), QStringList({"liste.csv"}));
}

// A named pipe would hold the reading until someone writes to it, and the
// saving until someone reads it; it could not be read a second time for
// saving either. Refused at once, as list and as target: nobody is at the
// pipe's other end here, and a wait would hang the test.
void TestListFile::aPipeIsNoList()
{
    QVERIFY(::mkfifo(Local(path("pipe")).c_str(), 0600) == 0);
    try {
        ReadListFile(Local(path("pipe")), Options());
        QFAIL("read");
    } catch (const listengine::FileError& e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("keine gewöhnliche Datei")), e.what());
    }
    QVERIFY(Write(path("liste.csv"), QByteArray(test::kStaffList.data(), test::kStaffList.size())));
    const LoadedList loaded = ReadListFile(Local(path("liste.csv")), Options());
    try {
        SaveListFile(loaded, Local(path("pipe")));
        QFAIL("save");
    } catch (const listengine::FileError& e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("keine gewöhnliche Datei")), e.what());
    }
    QCOMPARE(files(), QStringList({"liste.csv"}));
}

// Another program rewrites the list while it is read: cut short, or as
// long as before with other bytes. What was read is not shown.
void TestListFile::aListChangedWhileReadIsNotShown()
{
    const auto staff = [](int rows, const QByteArray& name) {
        QByteArray list("Familienname;Vorname;Geburtsdatum\n");
        for (int i = 0; i < rows; ++i)
            list += name + ";Li;15.05.1990\n";
        return list;
    };
    const QByteArray list = staff(20000, "Meier");
    const struct {
        const char* tag;
        QByteArray rewritten;
    } rewrites[] = {
        {"cut short", staff(5000, "Meier")},
        {"as long, other bytes", staff(20000, "Maier")},
    };
    for (const auto& rewrite : rewrites) {
        QVERIFY(Write(path("liste.csv"), list));
        // Written long ago, as lists are, so that the rewrite is newer even
        // on a file system that keeps coarse times.
        const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
        QVERIFY(::utimensat(AT_FDCWD, Local(path("liste.csv")).c_str(), old, 0) == 0);
        bool rewritten = false;
        const auto rewriteOnce = [&](std::uint64_t, std::uint64_t) {
            if (!rewritten)
                rewritten = Write(path("liste.csv"), rewrite.rewritten);
            return true;
        };
        try {
            ReadListFile(Local(path("liste.csv")), Options(), rewriteOnce);
            QFAIL(rewrite.tag);
        } catch (const ListChangedError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("wurde verändert, während es gelesen wurde")),
                     e.what());
        }
        QVERIFY2(rewritten, rewrite.tag);
        // Read again, it is the list as it is now.
        QCOMPARE(ReadListFile(Local(path("liste.csv")), Options()).table->rowCount(),
                 std::size_t(rewrite.rewritten.count('\n') - 1));
    }
}

void TestListFile::cancelled()
{
    QByteArray list("Familienname;Vorname;Geburtsdatum\n");
    for (int i = 0; i < 20000; ++i)
        list += "Meier;Li;15.05.1990\n";
    QVERIFY(Write(path("liste.csv"), list));
    const auto stop = [](std::uint64_t, std::uint64_t) { return false; };
    QVERIFY_THROWS_EXCEPTION(listengine::ListCancelled, ReadListFile(Local(path("liste.csv")), Options(), stop));
    const LoadedList loaded = ReadListFile(Local(path("liste.csv")), Options());
    QCOMPARE(loaded.table->rowCount(), std::size_t{20000});
    QVERIFY_THROWS_EXCEPTION(listengine::ListCancelled, SaveListFile(loaded, Local(path("ergebnis.csv")), stop));
    QCOMPARE(files(), QStringList({"liste.csv"}));
}

// The save asks once the list is complete, before it replaces anything: a
// no leaves the old file and nothing else; a yes puts the new one in place.
void TestListFile::askedBeforeReplacing()
{
    QVERIFY(Write(path("liste.csv"), QByteArray(test::kStaffList.data(), test::kStaffList.size())));
    QVERIFY(Write(path("ergebnis.csv"), "alt"));
    const LoadedList loaded = ReadListFile(Local(path("liste.csv")), Options());
    QStringList filesWhenAsked;
    const auto ask = [&](bool answer) {
        return [&, answer] {
            filesWhenAsked = files();
            return answer && Contents(path("ergebnis.csv")) == "alt";
        };
    };
    QVERIFY_THROWS_EXCEPTION(listengine::ListCancelled, SaveListFile(loaded, Local(path("ergebnis.csv")), {}, ask(false)));
    QCOMPARE(filesWhenAsked.size(), 3);  // the temporary file beside the two
    QCOMPARE(Contents(path("ergebnis.csv")), QByteArray("alt"));
    QCOMPARE(files(), QStringList({"ergebnis.csv", "liste.csv"}));

    SaveListFile(loaded, Local(path("ergebnis.csv")), {}, ask(true));
    listengine::ProcessListFile(Local(path("liste.csv")), Local(path("kommandozeile.csv")), Options());
    QCOMPARE(Contents(path("ergebnis.csv")), Contents(path("kommandozeile.csv")));
}

}  // namespace kennfix::liste

QTEST_GUILESS_MAIN(kennfix::liste::TestListFile)
#include "tst_listfile.moc"
