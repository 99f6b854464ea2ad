// The real program on real files: exit status, messages, and that a failed
// run leaves no output file behind.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kennfix-batch-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path Write(const std::string& name, std::string_view content)
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Runs kennfix-batch with the arguments (given to the shell as they
    // stand) and standard input from `stdinPath`; returns the exit status.
    int Run(const std::string& arguments, const fs::path& stdinPath = "/dev/null")
    {
        const std::string command = std::string(KENNFIX_BATCH_PROGRAM) + " " + arguments + " < '" +
                                    stdinPath.string() + "' > '" + (m_dir / "stdout").string() + "' 2> '" +
                                    (m_dir / "stderr").string() + "'";
        const int status = std::system(command.c_str());
        m_stdout = Read(m_dir / "stdout");
        m_stderr = Read(m_dir / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path m_dir;
    std::string m_stdout;
    std::string m_stderr;
};

TEST_F(ProgramTest, FileToFile)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum\r\nMüller;Hans;01.02.80\r\n");
    const fs::path output = m_dir / "out.csv";
    EXPECT_EQ(Run("'" + input.string() + "' '" + output.string() + "'"), 0);
    EXPECT_EQ(Read(output), "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\r\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\r\n");
    EXPECT_EQ(m_stdout, "");
    EXPECT_EQ(m_stderr, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 4) << "a temporary file is left";
}

TEST_F(ProgramTest, StandardInputToStandardOutputWithBadRows)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum\nMeier;;01.02.80\nMeier;Li;01.02.80\n");
    EXPECT_EQ(Run("--year 2026", input), 1);
    EXPECT_EQ(m_stdout,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMeier;;01.02.80;;Vorname fehlt\n"
              "Meier;Li;01.02.80;MREILIXX80B01Z;\n");
    EXPECT_EQ(m_stderr, "kennfix-batch: 1 von 2 Zeilen ohne eTIN; den Grund nennt die Spalte Fehler.\n");
}

TEST_F(ProgramTest, Windows1252ListWithOptions)
{
    const fs::path input = Write("in.csv", "Name,Rufname,Geboren\n\"M\xFCller\",Hans,1980-02-01\n");
    EXPECT_EQ(Run("--delimiter , --family-name-column Name --first-name-column rufname --birth-date-column Geboren "
                  "--date-separator - --date-order ymd --output-encoding utf-8 '" + input.string() + "'"),
              0);
    EXPECT_EQ(m_stdout, "Name,Rufname,Geboren,eTIN,Fehler\nMüller,Hans,1980-02-01,MLLRHNSA80B01H,\n");
}

TEST_F(ProgramTest, MissingColumnsExitWith2AndNoOutputFile)
{
    const fs::path input = Write("in.csv", "Name;Vorname;Geburtsdatum\nMeier;Li;01.02.80\n");
    const fs::path output = m_dir / "out.csv";
    EXPECT_EQ(Run("'" + input.string() + "' '" + output.string() + "'"), 2);
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(m_stderr, "kennfix-batch: " + input.string() +
                            ": Zeile 1: In der Kopfzeile fehlt die Spalte „Familienname“ (gefunden: „Name“, "
                            "„Vorname“, „Geburtsdatum“). Andere Spaltennamen geben --family-name-column, "
                            "--first-name-column und --birth-date-column an; das Trennzeichen gibt --delimiter an.\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 3) << "a temporary file is left";
}

TEST_F(ProgramTest, TruncatedQuotedFieldNamesItsLine)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum\nMeier;Li;01.02.80\nMeier;\"Li;01.02.80\n");
    EXPECT_EQ(Run("", input), 2);
    EXPECT_EQ(m_stderr, "kennfix-batch: Zeile 3: Ein Feld in Anführungszeichen wird bis zum Ende der Datei nicht "
                        "geschlossen.\n");
}

TEST_F(ProgramTest, EmptyFileExitsWith2)
{
    const fs::path input = Write("in.csv", "");
    EXPECT_EQ(Run("'" + input.string() + "'"), 2);
    EXPECT_EQ(m_stdout, "");
    EXPECT_NE(m_stderr.find("Die Eingabe ist leer"), std::string::npos) << m_stderr;
}

TEST_F(ProgramTest, UsageErrorsExitWith2)
{
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"'" + (m_dir / "missing.csv").string() + "'", "missing.csv“ kann nicht gelesen werden: No such file"},
        {"--delimiter x", "--delimiter erwartet ; , oder tab"},
        {"--encoding latin9", "--encoding erwartet auto, utf-8 oder windows-1252"},
        {"--date-order tmj", "--date-order erwartet dmy, mdy oder ymd"},
        {"--year zwei", "Ungültiger Wert"},
        {"--unknown", "Unbekannte Option"},
        {"a b c", "ein Argument zu viel"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.arguments), 2) << c.arguments;
        EXPECT_NE(m_stderr.find(c.message), std::string::npos) << c.arguments << ": " << m_stderr;
    }
}

TEST_F(ProgramTest, HelpIsGerman)
{
    EXPECT_EQ(Run("--help"), 0);
    for (const char* text : {"Aufruf: kennfix-batch [OPTIONEN] [EINGABE] [AUSGABE]", "Rückgabewert:", "--encoding",
                             "Geburtsdatum fehlt", "Name enthält nicht"})
        EXPECT_NE(m_stdout.find(text), std::string::npos) << text;
}

}  // namespace
