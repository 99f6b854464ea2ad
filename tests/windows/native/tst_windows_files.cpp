// The list engine's file rules in Windows' own form, run on Windows (under
// Wine in the tests): who may read what we write, files other programs hold
// open, read-only files, long paths with umlauts. The engine's other rules
// are the same on both systems and tested on Linux.
//
//   tst_windows_files.exe              runs the tests
//   tst_windows_files.exe --hold PATH  holds PATH open without sharing it
//                                      until its standard input closes

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "listengine/files.h"

using namespace kennfix::listengine;

namespace {

const std::string kList = "Familienname;Vorname;Geburtsdatum\r\nMüller;Jürgen;03.04.1975\r\n";
const std::string kResultStart = "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\r\nMüller;Jürgen;03.04.1975;MLLRJRGN75D03";

// "\\?\" lifts the 260-character limit for the test's own calls too.
std::wstring Long(const QString& path)
{
    return L"\\\\?\\" + QDir::toNativeSeparators(path).toStdWString();
}

std::string Utf8(const QString& path)
{
    return path.toStdString();
}

bool WriteBytes(const QString& path, const std::string& bytes)
{
    const HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return ::CloseHandle(file) && ok;
}

std::string ReadBytes(const QString& path)
{
    const HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<fehlt>";
    std::string bytes(1 << 16, '\0');
    DWORD got = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

QStringList FilesIn(const QString& folder)
{
    QStringList names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((Long(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    names.sort();
    return names;
}

QString UserSid()
{
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256];
    DWORD size = sizeof buffer;
    ::GetTokenInformation(token, TokenUser, buffer, size, &size);
    ::CloseHandle(token);
    wchar_t* text = nullptr;
    ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text);
    const QString sid = QString::fromWCharArray(text);
    ::LocalFree(text);
    return sid;
}

// A file's access list in the system's own notation (SDDL), "%USER%" for
// the user running the tests.
QString AccessList(const QString& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(Long(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS)
        return QStringLiteral("<nicht lesbar>");
    wchar_t* text = nullptr;
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                           nullptr);
    QString list = QString::fromWCharArray(text);
    ::LocalFree(text);
    ::LocalFree(descriptor);
    return list.replace(UserSid(), QStringLiteral("%USER%"));
}

// Who may read a file by its access list: the SIDs of the entries that
// allow reading its data, sorted. Wine keeps no access lists of its own; it
// renders a file's Unix mode as one, so this is what both can compare.
QStringList Readers(const QString& path)
{
    const QString list = AccessList(path);
    QStringList readers;
    for (const QString& entry : list.mid(list.indexOf(QLatin1Char('('))).split(QLatin1Char(')'), Qt::SkipEmptyParts)) {
        const QStringList fields = entry.mid(1).split(QLatin1Char(';'));  // type;flags;rights;;;sid
        if (fields.size() != 6 || fields[0] != QLatin1String("A"))
            continue;
        const QString rights = fields[2];
        bool hex = false;
        const uint mask = rights.toUInt(&hex, 16);
        if ((hex && (mask & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL))) ||
            QRegularExpression(QStringLiteral("^(..)*(FA|FR|GA|GR)")).match(rights).hasMatch())
            readers << fields[5];
    }
    readers.sort();
    return readers;
}

bool SetAccessList(const QString& path, QString sddl)
{
    sddl.replace(QStringLiteral("%USER%"), UserSid());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.toStdWString().c_str(), SDDL_REVISION_1, &descriptor,
                                                                nullptr))
        return false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
    std::wstring name = Long(path);
    const DWORD result = ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                                                 nullptr, list, nullptr);
    ::LocalFree(descriptor);
    return result == ERROR_SUCCESS;
}

// Another program holding `path` open without sharing it, as Excel does
// with the lists it shows: this test program itself, with --hold.
class Holder {
public:
    explicit Holder(const QString& path)
    {
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold"), path});
        m_holding = m_process.waitForReadyRead(30'000) && m_process.readAll().startsWith("gehalten");
    }
    ~Holder()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(30'000);
    }
    bool Holding() const { return m_holding; }

private:
    QProcess m_process;
    bool m_holding = false;
};

int HoldUntilInputCloses(const QString& path)
{
    const HANDLE file = ::CreateFileW(Long(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), "gehalten\n", 9, &written, nullptr);
    char byte;
    DWORD got = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &got, nullptr) && got > 0) {
    }
    ::CloseHandle(file);
    return 0;
}

}  // namespace

class TestWindowsFiles : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Personalabteilung Müller");
        QVERIFY(::CreateDirectoryW(Long(m_folder).c_str(), nullptr));
        QVERIFY(WriteBytes(m_folder + QStringLiteral("/Liste.csv"), kList));
    }
    void cleanup()
    {
        // Read-only files are made writable again, so that the folder goes.
        for (const QString& name : FilesIn(m_folder))
            ::SetFileAttributesW(Long(m_folder + QLatin1Char('/') + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        QDir(m_folder).removeRecursively();
    }

    // Nothing we write is more readable than what we read: a new output
    // gets the list's readers, not those its folder would give, and an
    // existing output keeps its own.
    void readers_data()
    {
        QTest::addColumn<QString>("listAccess");
        QTest::addColumn<QString>("existingAccess");  // empty: the output is new
        const QString usersRead = QStringLiteral("D:P(A;;FA;;;%USER%)(A;;FR;;;BU)");
        const QString userAlone = QStringLiteral("D:P(A;;FA;;;%USER%)");
        const QString everybodyRead = QStringLiteral("D:P(A;;FA;;;%USER%)(A;;FR;;;WD)");
        QTest::newRow("new output, a list for the users") << usersRead << QString();
        QTest::newRow("new output, a list for the user alone") << userAlone << QString();
        QTest::newRow("an existing output keeps its readers") << everybodyRead << userAlone;
    }
    void readers()
    {
        QFETCH(QString, listAccess);
        QFETCH(QString, existingAccess);
        const QString list = m_folder + QStringLiteral("/Liste.csv");
        const QString output = m_folder + QStringLiteral("/Ergebnis für Jürgen.csv");
        QVERIFY(SetAccessList(list, listAccess));
        if (!existingAccess.isEmpty())
            QVERIFY(WriteBytes(output, "alt") && SetAccessList(output, existingAccess));
        const QStringList expected = existingAccess.isEmpty() ? Readers(list) : Readers(output);
        QVERIFY(!expected.isEmpty());

        ProcessListFile(Utf8(list), Utf8(output), ListOptions{});
        QCOMPARE(Readers(output), expected);
        QVERIFY(ReadBytes(output).starts_with(kResultStart));
    }

    // The temporary file is made with the rights the result will have:
    // there is no moment in which more may read it.
    void theTemporaryFileHasTheListsReaders()
    {
        const QString list = m_folder + QStringLiteral("/Liste.csv");
        QVERIFY(SetAccessList(list, QStringLiteral("D:P(A;;FA;;;%USER%)(A;;FR;;;BU)")));
        InputFile input(Utf8(list));
        OutputFile output(Utf8(m_folder + QStringLiteral("/neu.csv")), input.NewOutputRights());
        QStringList temporary = FilesIn(m_folder);
        temporary.removeOne(QStringLiteral("Liste.csv"));
        QCOMPARE(temporary.size(), 1);
        QCOMPARE(Readers(m_folder + QLatin1Char('/') + temporary.first()), Readers(list));
    }

    // Excel keeps the lists it shows locked: the list or the output held
    // by another program is named, and nothing is written or left.
    void filesHeldByAnotherProgram_data()
    {
        QTest::addColumn<QString>("held");
        QTest::newRow("the list") << QStringLiteral("Liste.csv");
        QTest::newRow("the output") << QStringLiteral("Ergebnis.csv");
    }
    void filesHeldByAnotherProgram()
    {
        QFETCH(QString, held);
        QVERIFY(WriteBytes(m_folder + QStringLiteral("/Ergebnis.csv"), "alt"));
        const QStringList before = FilesIn(m_folder);
        {
            Holder holder(m_folder + QLatin1Char('/') + held);
            QVERIFY(holder.Holding());
            try {
                ProcessListFile(Utf8(m_folder + QStringLiteral("/Liste.csv")), Utf8(m_folder + QStringLiteral("/Ergebnis.csv")),
                                ListOptions{});
                QFAIL("a file another program holds was used");
            } catch (const FileError& error) {
                const QString message = QString::fromUtf8(error.what());
                QVERIFY2(message.startsWith(QStringLiteral("„") + m_folder + QLatin1Char('/') + held +
                                            QStringLiteral("“ ist in einem anderen Programm geöffnet, z. B. in Excel.")),
                         qPrintable(message));
            }
        }  // let go: what it held is unchanged
        QCOMPARE(FilesIn(m_folder), before);
        QCOMPARE(ReadBytes(m_folder + QStringLiteral("/Ergebnis.csv")), std::string("alt"));
    }

    void aReadOnlyOutputIsNotReplaced()
    {
        const QString output = m_folder + QStringLiteral("/Ergebnis.csv");
        QVERIFY(WriteBytes(output, "alt"));
        QVERIFY(::SetFileAttributesW(Long(output).c_str(), FILE_ATTRIBUTE_READONLY));
        const QStringList before = FilesIn(m_folder);
        try {
            ProcessListFile(Utf8(m_folder + QStringLiteral("/Liste.csv")), Utf8(output), ListOptions{});
            QFAIL("a read-only file was replaced");
        } catch (const FileError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("„") + output + QStringLiteral("“ ist schreibgeschützt und wird nicht ersetzt."));
        }
        QCOMPARE(FilesIn(m_folder), before);
        QCOMPARE(ReadBytes(output), std::string("alt"));
    }

    // Deep folders of a file server, with umlauts, far beyond 260
    // characters: a list is read there and its result written and replaced.
    void longPathsWithUmlauts()
    {
        QString folder = m_folder;
        for (int depth = 0; depth < 6; ++depth) {
            folder += QStringLiteral("/Lohnbüro Größe Ärzte Überstunden %1 — Jahresabschluß").arg(depth);
            QVERIFY(::CreateDirectoryW(Long(folder).c_str(), nullptr));
        }
        const QString list = folder + QStringLiteral("/Personalliste Müller.csv");
        const QString output = folder + QStringLiteral("/Ergebnis für Jürgen.csv");
        QVERIFY2(output.size() > 400, qPrintable(QString::number(output.size())));
        QVERIFY(WriteBytes(list, kList));
        for (int run = 0; run < 2; ++run) {  // made, then replaced
            ProcessListFile(Utf8(list), Utf8(output), ListOptions{});
            QVERIFY(ReadBytes(output).starts_with(kResultStart));
            QCOMPARE(FilesIn(folder), QStringList({QStringLiteral("Ergebnis für Jürgen.csv"),
                                                   QStringLiteral("Personalliste Müller.csv")}));
        }
    }

    // The list itself is never the output, whatever name reaches it: Windows
    // finds files whatever their case, drops dots and blanks at the end of a
    // name, and a second drive letter or a hard link gives the same file
    // another path. Refused before anything is read, with one message.
    void theListItselfByAnyName_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("its own name") << QStringLiteral("Liste.csv");
        QTest::newRow("another case") << QStringLiteral("LISTE.CSV");
        QTest::newRow("a dot at the end") << QStringLiteral("Liste.csv.");
        QTest::newRow("a blank at the end") << QStringLiteral("Liste.csv ");
        QTest::newRow("a hard link") << QStringLiteral("Zweiter Name.csv");
        QTest::newRow("another drive letter") << QStringLiteral("K:/Liste.csv");
    }
    void theListItselfByAnyName()
    {
        QFETCH(QString, output);
        const QString list = m_folder + QStringLiteral("/Liste.csv");
        QVERIFY(::CreateHardLinkW(Long(m_folder + QStringLiteral("/Zweiter Name.csv")).c_str(), Long(list).c_str(), nullptr));
        // K: a second drive letter for the drive of the test's folder, as
        // "subst" or a second mapping of a network share gives one. Wine
        // takes drive letters only from its prefix (dosdevices), where the
        // test's command line puts K: beside C:; on Windows it is made here.
        const QString drive = m_folder.left(2);
        const bool defined = ::GetDriveTypeW(L"K:\\") == DRIVE_NO_ROOT_DIR;
        if (defined)
            QVERIFY(::DefineDosDeviceW(0, L"K:", (drive + QLatin1Char('\\')).toStdWString().c_str()));
        const QString path = output.startsWith(QStringLiteral("K:"))
                                 ? QStringLiteral("K:") + m_folder.mid(2) + QLatin1Char('/') + output.mid(3)
                                 : m_folder + QLatin1Char('/') + output;
        const QStringList before = FilesIn(m_folder);
        try {
            ProcessListFile(Utf8(list), Utf8(path), ListOptions{});
            QFAIL("the list was written over");
        } catch (const FileError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("„") + path +
                         QStringLiteral("“ ist die Liste selbst. Sie wird nicht überschrieben; bitte einen anderen "
                                        "Namen wählen."));
        }
        if (defined)
            ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"K:", nullptr);
        QCOMPARE(FilesIn(m_folder), before);
        QCOMPARE(ReadBytes(list), kList);
        // Another file in the folder is an output like any other.
        ProcessListFile(Utf8(list), Utf8(m_folder + QStringLiteral("/liste-etin.csv")), ListOptions{});
        QVERIFY(ReadBytes(m_folder + QStringLiteral("/liste-etin.csv")).starts_with(kResultStart));
    }

    // Names Windows reserves for devices reach the device, not a file: they
    // are refused as such, in any case, with an extension, with dots and
    // blanks at the end. Names that only look like one are files.
    void devicesNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("device");
        for (const char* name : {"CON", "NUL", "AUX.csv", "com1.csv", "Prn", "LPT9.Liste.csv", "nul.csv. ", "CON .csv",
                                 "com\u00B9.csv", "conout$"})
            QTest::newRow(name) << QString::fromUtf8(name) << true;
        for (const char* name : {"COM10.csv", "CONSOLE.csv", "LPT.csv", "Konto AUX.csv", "nul-liste.csv"})
            QTest::newRow(name) << QString::fromUtf8(name) << false;
    }
    void devicesNamesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(bool, device);
        const QString output = m_folder + QLatin1Char('/') + name;
        try {
            ProcessListFile(Utf8(m_folder + QStringLiteral("/Liste.csv")), Utf8(output), ListOptions{});
            QVERIFY2(!device, "a device name was written to");
            QVERIFY(ReadBytes(output).starts_with(kResultStart));
        } catch (const FileError& error) {
            QVERIFY2(device, error.what());
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("„") + output +
                         QStringLiteral("“ ist ein Name, den Windows für ein Gerät vorbehält (wie CON, PRN, AUX, "
                                        "NUL, COM1 oder LPT1, auch mit einer Endung wie .csv); eine Datei dieses "
                                        "Namens kann nicht angelegt werden. Bitte einen anderen Namen wählen."));
            QCOMPARE(FilesIn(m_folder), QStringList{QStringLiteral("Liste.csv")});
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("--hold"))
        return HoldUntilInputCloses(arguments[2]);
    TestWindowsFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windows_files.moc"
