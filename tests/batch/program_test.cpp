// The real program on real files: exit status, messages, and the file rules
// (permissions, links, pipes, devices, no temporary file left behind).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "listengine/options.h"
#include "tests/listengine/optionsinhelp.h"
#include "tests/lists/listcases.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kList = "Familienname;Vorname;Geburtsdatum\nMüller;Hans;01.02.80\n";
constexpr std::string_view kResult = "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\n";
// For standard input or output: closed, as by <&- or >&- in the shell.
const fs::path kClosed = "(closed)";

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kennfix-batch-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_previousUmask = ::umask(022);
    }
    void TearDown() override
    {
        ::umask(m_previousUmask);
        fs::remove_all(m_dir);
    }

    fs::path Write(const std::string& name, std::string_view content, fs::perms perms = fs::perms(0644))
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << content;
        fs::permissions(path, perms);
        return path;
    }

    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Starts kennfix-batch with the arguments, standard input from `stdinPath`
    // and its output into files of the test's folder.
    pid_t Start(const std::vector<std::string>& arguments, const fs::path& stdinPath = "/dev/null",
                const fs::path& stdoutPath = {})
    {
        std::vector<std::string> command{KENNFIX_BATCH_PROGRAM};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return Spawn(command, stdinPath, stdoutPath);
    }

    // Starts a command found on the PATH, as Start does.
    pid_t Spawn(std::vector<std::string> args, const fs::path& stdinPath = "/dev/null", const fs::path& stdoutPath = {})
    {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string out = stdoutPath.empty() ? (m_dir / "stdout").string() : stdoutPath.string();
        const std::string err = (m_dir / "stderr").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (stdinPath == kClosed)
            posix_spawn_file_actions_addclose(&actions, 0);
        else
            posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
        if (stdoutPath == kClosed)
            posix_spawn_file_actions_addclose(&actions, 1);
        else
            posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // The exit status, or 128 + the signal that ended it.
    int Wait(pid_t pid)
    {
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        m_stdout = fs::exists(m_dir / "stdout") ? Read(m_dir / "stdout") : "";
        m_stderr = Read(m_dir / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int Run(const std::vector<std::string>& arguments, const fs::path& stdinPath = "/dev/null",
            const fs::path& stdoutPath = {})
    {
        return Wait(Start(arguments, stdinPath, stdoutPath));
    }

    // A command run as another user, who must be able to reach the test's folder.
    int RunAs(const std::string& user, const std::vector<std::string>& command)
    {
        std::vector<std::string> args{"runuser", "-u", user, "--"};
        args.insert(args.end(), command.begin(), command.end());
        fs::permissions(m_dir, fs::perms(0755));
        return Wait(Spawn(args));
    }

    // Files in the folder that the test did not make: leftovers.
    std::vector<std::string> Leftovers(std::initializer_list<std::string> expected)
    {
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            const std::string name = entry.path().filename();
            if (name != "stdout" && name != "stderr" && std::find(expected.begin(), expected.end(), name) == expected.end())
                left.push_back(name);
        }
        return left;
    }

    static fs::perms Perms(const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; }

    fs::path m_dir;
    mode_t m_previousUmask = 022;
    std::string m_stdout;
    std::string m_stderr;
};

TEST_F(ProgramTest, FileToFile)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum\r\nMüller;Hans;01.02.80\r\n");
    const fs::path output = m_dir / "out.csv";
    EXPECT_EQ(Run({input, output}), 0);
    EXPECT_EQ(Read(output), "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\r\nMüller;Hans;01.02.80;MLLRHNSA80B01H;\r\n");
    EXPECT_EQ(m_stdout, "");
    EXPECT_EQ(m_stderr, "");
    EXPECT_EQ(Leftovers({"in.csv", "out.csv"}), std::vector<std::string>{}) << "a temporary file is left";
}

// The lists of tests/lists, each with the bytes and the exit status it
// must give; a list that is none leaves no file.
TEST_F(ProgramTest, ListsAsClerksHaveThem)
{
    const std::vector<kennfix::test::ListCase> cases = kennfix::test::ReadListCases(KENNFIX_LIST_CASES);
    ASSERT_FALSE(cases.empty()) << "no cases in " << KENNFIX_LIST_CASES;
    for (const kennfix::test::ListCase& c : cases) {
        const fs::path output = m_dir / (c.name + ".csv");
        EXPECT_EQ(Run({"--year", "2026", c.input, output}), c.status) << c.name << ": " << c.comment << "\n" << m_stderr;
        if (c.status == 2) {
            EXPECT_FALSE(fs::exists(output)) << c.name;
        } else {
            EXPECT_EQ(Read(output), kennfix::test::FileBytes(c.expected)) << c.name << ": " << c.comment;
        }
    }
}

TEST_F(ProgramTest, StandardInputToStandardOutputWithBadRows)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum\nMeier;;01.02.80\nMeier;Li;01.02.80\n");
    EXPECT_EQ(Run({"--year", "2026"}, input), 1);
    EXPECT_EQ(m_stdout,
              "Familienname;Vorname;Geburtsdatum;eTIN;Fehler\nMeier;;01.02.80;;Vorname fehlt\n"
              "Meier;Li;01.02.80;MREILIXX80B01Z;\n");
    EXPECT_EQ(m_stderr, "kennfix-batch: 1 von 2 Zeilen ohne eTIN; den Grund nennt die Spalte Fehler.\n");
}

// The rows are all right, but the header lost characters on its way into
// the output's code page: the user is told, and the exit status says so.
TEST_F(ProgramTest, AHeaderTheOutputCannotHoldExitsWith1)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum;Ort 王\nMüller;Hans;01.02.80;Köln\n");
    EXPECT_EQ(Run({"--output-encoding", "windows-1252", input}), 1);
    EXPECT_EQ(m_stdout, "Familienname;Vorname;Geburtsdatum;Ort ?;eTIN;Fehler\n"
                        "M\xFCller;Hans;01.02.80;K\xF6ln;MLLRHNSA80B01H;\n");
    EXPECT_EQ(m_stderr, "kennfix-batch: Die Kopfzeile enthält Zeichen, die Windows-1252 nicht darstellen kann; sie "
                        "stehen als Grundbuchstabe oder „?“ in der Ausgabe.\n");
}

TEST_F(ProgramTest, StoredEtinsThatDeviateExitWith1)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum;eTIN\nMüller;Hans;01.02.80;MLLRHNSA80B01A\n"
                                           "Meier;Li;01.02.80;\n");
    EXPECT_EQ(Run({input}), 1);
    EXPECT_EQ(m_stdout, "Familienname;Vorname;Geburtsdatum;eTIN;Prüfung;Fehler\n"
                        "Müller;Hans;01.02.80;MLLRHNSA80B01A;Prüfzeichen falsch, berechnet: MLLRHNSA80B01H;\n"
                        "Meier;Li;01.02.80;MREILIXX80B01Z;ergänzt;\n");
    EXPECT_EQ(m_stderr, "kennfix-batch: Bei 1 von 2 Zeilen weicht die gespeicherte eTIN von der berechneten ab; siehe "
                        "die Spalte Prüfung.\n");
}

// A Windows-1252 row in a UTF-8 list, from a file and through a pipe alike.
TEST_F(ProgramTest, FileAndPipeGiveTheSameBytes)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum\nMeier;Li;01.02.80\n"
                                           "Schön;José;28.02.52\nSch\xF6n;Jos\xE9;28.02.52\n");
    const fs::path fromFile = m_dir / "from-file.csv";
    EXPECT_EQ(Run({input, fromFile}), 0);
    const std::string warning = m_stderr;
    EXPECT_EQ(warning, "kennfix-batch: 1 Zeile ist in Windows-1252 geschrieben, die übrigen in UTF-8 (Zeile 4). Jede "
                       "Zeile wurde in ihrer Kodierung gelesen und in UTF-8 ausgegeben.\n");
    const fs::path fifo = m_dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread feed([&] { std::ofstream(fifo, std::ios::binary) << Read(input); });
    EXPECT_EQ(Run({"-", "-"}, fifo), 0);
    feed.join();
    EXPECT_EQ(m_stdout, Read(fromFile));
    EXPECT_EQ(m_stderr, warning);
}

TEST_F(ProgramTest, Windows1252ListWithOptions)
{
    const fs::path input = Write("in.csv", "Name,Rufname,Geboren\n\"M\xFCller\",Hans,1980-02-01\n");
    EXPECT_EQ(Run({"--delimiter", ",", "--family-name-column", "Name", "--first-name-column", "rufname",
                   "--birth-date-column", "Geboren", "--date-separator", "-", "--date-order", "ymd",
                   "--output-encoding", "utf-8", input}),
              0);
    EXPECT_EQ(m_stdout, "Name,Rufname,Geboren,eTIN,Fehler\nMüller,Hans,1980-02-01,MLLRHNSA80B01H,\n");
}

TEST_F(ProgramTest, MissingColumnsExitWith2AndNoOutputFile)
{
    const fs::path input = Write("in.csv", "Name;Vorname;Geburtsdatum\nMeier;Li;01.02.80\n");
    const fs::path output = m_dir / "out.csv";
    EXPECT_EQ(Run({input, output}), 2);
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(m_stderr, "kennfix-batch: " + input.string() +
                            ": Zeile 1: In der Kopfzeile fehlt die Spalte „Familienname“ (gefunden: „Name“, "
                            "„Vorname“, „Geburtsdatum“). Andere Spaltennamen geben --family-name-column, "
                            "--first-name-column und --birth-date-column an; das Trennzeichen gibt --delimiter an.\n");
    EXPECT_EQ(Leftovers({"in.csv"}), std::vector<std::string>{}) << "a temporary file is left";
}

TEST_F(ProgramTest, TruncatedQuotedFieldNamesItsLine)
{
    const fs::path input = Write("in.csv", "Familienname;Vorname;Geburtsdatum\nMeier;Li;01.02.80\nMeier;\"Li;01.02.80\n");
    EXPECT_EQ(Run({}, input), 2);
    EXPECT_EQ(m_stderr, "kennfix-batch: Zeile 3: Ein Feld in Anführungszeichen wird bis zum Ende der Datei nicht "
                        "geschlossen.\n");
}

TEST_F(ProgramTest, EmptyFileExitsWith2)
{
    const fs::path input = Write("in.csv", "");
    EXPECT_EQ(Run({input}), 2);
    EXPECT_EQ(m_stdout, "");
    EXPECT_NE(m_stderr.find("Die Eingabe ist leer"), std::string::npos) << m_stderr;
}

// Every mistake of the call gets a German message of ours; nothing of the
// option parser's English reaches the user.
TEST_F(ProgramTest, UsageErrorsExitWith2InGerman)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    std::vector<Case> cases = {
        {{(m_dir / "missing.csv").string()}, "missing.csv“ kann nicht gelesen werden: Datei oder Verzeichnis nicht gefunden."},
        {{m_dir.string()}, "kann nicht gelesen werden: Ist ein Verzeichnis."},
        {{"--delimiter", "x"}, "--delimiter erwartet ; , oder tab, nicht „x“."},
        {{"--encoding", "latin9"}, "--encoding erwartet auto, utf-8, windows-1252"},
        {{"--date-order", "tmj"}, "--date-order erwartet dmy, mdy oder ymd"},
        {{"--year", "zwei"}, "--year erwartet ein Jahr von 1 bis 9999, nicht „zwei“"},
        {{"--year"}, "Der Option „--year“ fehlt ihr Wert."},
        {{"--encoding", "--year", "2026"}, "--encoding erwartet auto, utf-8, windows-1252, utf-16le oder utf-16be, "
                                           "nicht „--year“."},
        {{"--unknown"}, "Unbekannte Option „--unknown“."},
        {{"--unknown=1"}, "Unbekannte Option „--unknown=1“."},
        {{"a", "b", "c"}, "Ein Argument zu viel: „c“."},
        {{"--first-name-column", "Familienname"}, "ist zugleich als Spalte des Familiennamens und des Vornamens"},
        {{"--family-name-column", "eTIN"}, "kann nicht die Spalte des Familiennamens sein"},
        {{"--birth-date-column", ""}, "Der Name der Spalte des Geburtsdatums ist leer."},
        {{"a\x1B[31m.csv"}, "„a\\u001B[31m.csv“"},  // control characters are shown escaped
    };
    // Every list option takes a value, under each of its names.
    for (const kennfix::listengine::ListOption& option : kennfix::listengine::ListOptionTable()) {
        const std::string name = "--" + std::string(option.name);
        cases.push_back({{name}, "Der Option „" + name + "“ fehlt ihr Wert."});
        if (option.shortName) {
            const std::string shortName{'-', option.shortName};
            cases.push_back({{shortName}, "Der Option „" + shortName + "“ fehlt ihr Wert."});
        }
    }
    for (const Case& c : cases) {
        std::string call;
        for (const std::string& a : c.arguments)
            call += a + " ";
        EXPECT_EQ(Run(c.arguments), 2) << call;
        EXPECT_NE(m_stderr.find(c.message), std::string::npos) << call << ": " << m_stderr;
        for (const char* english : {"The following", "argument", "required", "Expected", "not ", "No such", "\x1B"})
            EXPECT_EQ(m_stderr.find(english), std::string::npos) << call << ": " << m_stderr;
    }
}

// The paragraphs of the rules of a list (scdoc, as the manual page has
// them) as --help shows them: without marks, on one line, and without the
// parts for Windows.
std::vector<std::string> RuleParagraphs(const fs::path& source)
{
    std::ifstream in(source);
    std::vector<std::string> paragraphs{""};
    bool windowsPart = false;
    for (std::string line; std::getline(in, line);) {
        if (line == "; begin Windows" || line == "; end Windows")
            windowsPart = line == "; begin Windows";
        if (windowsPart || line.starts_with("; "))
            continue;
        if (line.empty() || line.starts_with("# ")) {
            paragraphs.emplace_back();
            continue;
        }
        std::string plain;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto isWordChar = [&](std::size_t at) {
                return at < line.size() && std::isalnum(static_cast<unsigned char>(line[at]));
            };
            if (line[i] == '\\' && i + 1 < line.size())
                plain += line[++i];
            else if (line[i] == '_' && i > 0 && isWordChar(i - 1) && isWordChar(i + 1))
                plain += '_';
            else if (line[i] != '*' && line[i] != '_')
                plain += line[i];
        }
        paragraphs.back() += " " + plain;
    }
    std::erase_if(paragraphs, [](const std::string& p) { return p.find_first_not_of(" \t") == std::string::npos; });
    for (std::string& paragraph : paragraphs)
        paragraph = kennfix::test::Collapsed(paragraph);
    return paragraphs;
}

// Columns of UTF-8 text on a terminal (for the letters of our texts).
std::size_t Columns(const std::string& text)
{
    return std::ranges::count_if(text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

TEST_F(ProgramTest, HelpIsGerman)
{
    EXPECT_EQ(Run({"--help"}), 0);
    for (const char* text : {"Aufruf: kennfix-batch [OPTIONEN] [EINGABE] [AUSGABE]", "--encoding", "Die Liste:",
                             "Gespeicherte eTINs:", "Zeichenkodierung:", "Dateien:", "Exit-Status:"})
        EXPECT_NE(m_stdout.find(text), std::string::npos) << text;
    // The rules of a list, every paragraph as the manual page has it,
    // wrapped at 80 columns.
    const std::vector<std::string> paragraphs = RuleParagraphs(KENNFIX_LIST_RULES);
    EXPECT_GT(paragraphs.size(), 20u);
    const std::string help = kennfix::test::Collapsed(m_stdout);
    for (const std::string& paragraph : paragraphs)
        EXPECT_NE(help.find(paragraph), std::string::npos) << paragraph;
    std::istringstream lines(m_stdout.substr(m_stdout.find("Die Liste:")));
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(Columns(line), 80u) << line;
    // The options of the table and no others, with its words; kennfix-liste
    // is held to the same (tests/liste/tst_commandline.cpp).
    EXPECT_EQ(kennfix::test::OptionsInHelp(m_stdout), kennfix::test::OptionsOfTheTable());
}

// New files get the rights of the input (owner only from standard input),
// existing ones keep theirs.
TEST_F(ProgramTest, PermissionsOfTheOutput)
{
    struct Case {
        std::string comment;
        fs::perms input;
        std::optional<fs::perms> existing;  // the output before the run
        bool fromStandardInput;
        fs::perms expected;
    };
    const Case cases[] = {
        {"private list, new output", fs::perms(0600), std::nullopt, false, fs::perms(0600)},
        {"group-readable list, new output", fs::perms(0640), std::nullopt, false, fs::perms(0640)},
        {"executable bits do not carry over", fs::perms(0755), std::nullopt, false, fs::perms(0644)},
        {"from standard input, new output", fs::perms(0644), std::nullopt, true, fs::perms(0600)},
        {"existing output keeps its rights", fs::perms(0600), fs::perms(0644), false, fs::perms(0644)},
        {"existing private output stays so", fs::perms(0644), fs::perms(0600), false, fs::perms(0600)},
    };
    for (const Case& c : cases) {
        const fs::path input = Write("in.csv", kList, c.input);
        const fs::path output = m_dir / "out.csv";
        fs::remove(output);
        if (c.existing)
            Write("out.csv", "alt", *c.existing);
        EXPECT_EQ(c.fromStandardInput ? Run({"-", output}, input) : Run({input, output}), 0) << c.comment;
        EXPECT_EQ(Read(output), kResult) << c.comment;
        EXPECT_EQ(Perms(output), c.expected) << c.comment;
    }
    // Within the umask.
    ::umask(077);
    const fs::path input = Write("in.csv", kList, fs::perms(0644));
    fs::remove(m_dir / "out.csv");
    EXPECT_EQ(Run({input, m_dir / "out.csv"}), 0);
    EXPECT_EQ(Perms(m_dir / "out.csv"), fs::perms(0600));
}

// A read-only output is not replaced, judged by its permission bits for
// whoever runs the program, root too, who might write any file.
TEST_F(ProgramTest, AReadOnlyOutputIsNotReplaced)
{
    struct Case {
        std::string comment;
        fs::perms perms;
        bool replaced;
    };
    const Case cases[] = {
        {"read-only for all", fs::perms(0444), false},
        {"the owner's bits count, not the group's", fs::perms(0464), false},
        {"writable by its owner", fs::perms(0644), true},
    };
    const fs::path input = Write("in.csv", kList);
    for (const Case& c : cases) {
        const fs::path output = Write("out.csv", "alt", c.perms);
        EXPECT_EQ(Run({input, output}), c.replaced ? 0 : 2) << c.comment;
        EXPECT_EQ(Read(output), c.replaced ? std::string(kResult) : "alt") << c.comment;
        if (!c.replaced) {
            EXPECT_EQ(m_stderr, "kennfix-batch: „" + output.string() + "“ ist schreibgeschützt und wird nicht ersetzt.\n");
        }
        EXPECT_EQ(Perms(output), c.perms) << c.comment;
    }
    // Another user's file that only its owner may write.
    if (::geteuid() == 0 && ::getpwnam("nobody")) {
        const fs::path output = Write("theirs.csv", "alt", fs::perms(0644));
        ASSERT_EQ(::chown(output.c_str(), ::getpwnam("nobody")->pw_uid, static_cast<gid_t>(-1)), 0);
        EXPECT_EQ(Run({input, output}), 2);
        EXPECT_EQ(Read(output), "alt");
    }
}

// The list itself is never the output, by whatever name: refused before
// anything is read, with the list as it was. Written in Windows-1252, the
// list's only copy would have lost the "Ł" of a name it cannot hold.
TEST_F(ProgramTest, TheListItselfIsNeverTheOutput)
{
    const std::string list = "Familienname;Vorname;Geburtsdatum\nŁukasiewicz;Jan;21.12.78\n";
    const fs::path input = Write("Liste.csv", list);
    fs::create_symlink("Liste.csv", m_dir / "Verweis.csv");
    fs::create_hard_link(input, m_dir / "Zweiter Name.csv");
    const fs::path viaFolder = m_dir / "." / "Liste.csv";
    for (const fs::path& output : {input, m_dir / "Verweis.csv", m_dir / "Zweiter Name.csv", viaFolder}) {
        for (const fs::path& from : {input, fs::path("-")}) {
            EXPECT_EQ(Run({"--output-encoding", "windows-1252", from, output}, from == "-" ? input : "/dev/null"), 2)
                << output;
            EXPECT_EQ(m_stderr, "kennfix-batch: „" + output.string() +
                                    "“ ist die Liste selbst. Sie wird nicht überschrieben; bitte einen anderen Namen "
                                    "wählen.\n");
            EXPECT_EQ(Read(input), list);
        }
    }
    EXPECT_EQ(Leftovers({"Liste.csv", "Verweis.csv", "Zweiter Name.csv"}), std::vector<std::string>{});
}

// A symbolic link is followed: the link stays, its target gets the list.
// Through a link to nothing no file is created.
TEST_F(ProgramTest, SymbolicLinksAreFollowed)
{
    const fs::path input = Write("in.csv", kList);
    fs::create_directories(m_dir / "elsewhere");
    const fs::path target = Write("elsewhere/target.csv", "alt", fs::perms(0640));
    fs::create_symlink("elsewhere/target.csv", m_dir / "link.csv");
    fs::create_symlink("link.csv", m_dir / "link-to-link.csv");
    EXPECT_EQ(Run({input, m_dir / "link-to-link.csv"}), 0);
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.csv"));
    EXPECT_EQ(Read(target), kResult);
    EXPECT_EQ(Perms(target), fs::perms(0640));

    fs::create_symlink("elsewhere/new.csv", m_dir / "dangling.csv");
    EXPECT_EQ(Run({input, m_dir / "dangling.csv"}), 2);
    EXPECT_EQ(m_stderr, "kennfix-batch: „" + (m_dir / "dangling.csv").string() + "“ ist ein symbolischer Link auf „" +
                            (m_dir / "elsewhere/new.csv").string() +
                            "“; diese Datei gibt es nicht. Durch einen Link wird keine Datei angelegt: bitte das Ziel "
                            "selbst angeben.\n");
    EXPECT_FALSE(fs::exists(m_dir / "elsewhere/new.csv"));
    EXPECT_EQ(Leftovers({"in.csv", "elsewhere", "link.csv", "link-to-link.csv", "dangling.csv"}),
              std::vector<std::string>{});
}

// In a folder that everybody may write to (/tmp), a link of another user is
// not followed, as the kernel's fs.protected_symlinks would not follow it:
// nobody can make us write over a file of ours or create one elsewhere.
TEST_F(ProgramTest, OtherUsersLinksInSharedFoldersAreNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's link is made with runuser, which needs root";
    if (!::getpwnam("nobody"))
        GTEST_SKIP() << "no user \"nobody\" to make another user's link";
    const fs::path input = Write("in.csv", kList);
    const fs::path mine = Write("mine.csv", "alt", fs::perms(0600));
    const fs::path shared = m_dir / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms(01777));
    ASSERT_EQ(RunAs("nobody", {"ln", "-s", mine, shared / "planted.csv"}), 0) << m_stderr;
    ASSERT_EQ(RunAs("nobody", {"ln", "-s", m_dir / "created.csv", shared / "dangling.csv"}), 0) << m_stderr;

    EXPECT_EQ(Run({input, shared / "planted.csv"}), 2);
    EXPECT_EQ(m_stderr, "kennfix-batch: „" + (shared / "planted.csv").string() +
                            "“ ist ein symbolischer Link eines anderen Benutzers in einem Ordner, in den alle schreiben "
                            "dürfen. Ihm wird nicht gefolgt; bitte einen anderen Namen wählen.\n");
    EXPECT_EQ(Read(mine), "alt");
    EXPECT_EQ(Run({input, shared / "dangling.csv"}), 2);
    EXPECT_FALSE(fs::exists(m_dir / "created.csv"));

    // The link's owner follows it, the folder being no other user's; but
    // not to a file that is not there. (A copy of the program, which the
    // build folder may keep from other users.)
    const fs::path program = m_dir / "kennfix-batch";
    fs::copy_file(KENNFIX_BATCH_PROGRAM, program);
    EXPECT_EQ(RunAs("nobody", {program, input, shared / "dangling.csv"}), 2);
    EXPECT_NE(m_stderr.find("diese Datei gibt es nicht"), std::string::npos) << m_stderr;
    EXPECT_FALSE(fs::exists(m_dir / "created.csv"));
    // The caller's own link there is followed.
    fs::create_symlink(mine, shared / "own.csv");
    EXPECT_EQ(Run({input, shared / "own.csv"}), 0) << m_stderr;
    EXPECT_EQ(Read(mine), kResult);
    EXPECT_EQ(Leftovers({"in.csv", "mine.csv", "shared", "kennfix-batch"}), std::vector<std::string>{});
}

// A named pipe or a device is written directly, never replaced by a file.
TEST_F(ProgramTest, PipesAndDevicesAreWrittenDirectly)
{
    const fs::path input = Write("in.csv", kList);
    const fs::path fifo = m_dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Read(fifo); });
    EXPECT_EQ(Run({input, fifo}), 0);
    reader.join();
    EXPECT_EQ(received, kResult);
    EXPECT_TRUE(fs::is_fifo(fifo));

    EXPECT_EQ(Run({input, "/dev/null"}), 0);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Leftovers({"in.csv", "pipe"}), std::vector<std::string>{});
}

// A write that fails names the file and the reason, and leaves no file.
TEST_F(ProgramTest, WriteErrorsNameTheFileAndTheReason)
{
    const fs::path input = Write("in.csv", kList);
    EXPECT_EQ(Run({input, "/dev/full"}), 2);
    EXPECT_EQ(m_stderr, "kennfix-batch: „/dev/full“ kann nicht geschrieben werden: Auf dem Gerät ist kein "
                        "Speicherplatz mehr verfügbar.\n");
    EXPECT_EQ(Run({input}, "/dev/null", "/dev/full"), 2);
    EXPECT_EQ(m_stderr, "kennfix-batch: Die Standardausgabe kann nicht geschrieben werden: Auf dem Gerät ist kein "
                        "Speicherplatz mehr verfügbar.\n");
    EXPECT_EQ(Run({input, m_dir / "no-such-folder" / "out.csv"}), 2);
    EXPECT_NE(m_stderr.find("out.csv“ kann nicht angelegt werden: Datei oder Verzeichnis nicht gefunden."),
              std::string::npos)
        << m_stderr;
}

// A standard stream closed by the caller is said to be closed; nothing is
// read from or written to a file that took its number.
TEST_F(ProgramTest, ClosedStandardStreams)
{
    const fs::path input = Write("in.csv", kList);
    const std::string closedOutput =
        "kennfix-batch: Die Standardausgabe ist geschlossen; die Liste kann nicht geschrieben werden.\n";
    EXPECT_EQ(Run({}, input, kClosed), 2);
    EXPECT_EQ(m_stderr, closedOutput);
    EXPECT_EQ(Run({input}, "/dev/null", kClosed), 2);  // the list's file takes the number of standard output
    EXPECT_EQ(m_stderr, closedOutput);
    EXPECT_EQ(Run({"-", m_dir / "out.csv"}, kClosed), 2);
    EXPECT_EQ(m_stderr, "kennfix-batch: Die Standardeingabe ist geschlossen; es gibt nichts zu lesen.\n");
    EXPECT_EQ(Leftovers({"in.csv"}), std::vector<std::string>{});
}

// Ctrl+C or SIGTERM in the middle of a list: the program dies of the signal
// and leaves neither the output nor its temporary file.
// Also in a folder so deep that the temporary file's path is nearly as long
// as Linux takes.
TEST_F(ProgramTest, SignalsLeaveNoTemporaryFile)
{
    fs::path deep = m_dir;
    while (deep.string().size() < PATH_MAX - 200)
        deep /= std::string(100, 't');
    deep /= std::string(PATH_MAX - 20 - deep.string().size() - 1, 't');
    fs::create_directories(deep);
    const std::vector<std::pair<int, fs::path>> cases{{SIGINT, m_dir}, {SIGTERM, m_dir}, {SIGINT, deep}};
    for (const auto& [signal, folder] : cases) {
        const fs::path fifo = m_dir / "pipe";
        fs::remove(fifo);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const fs::path output = folder / "out.csv";
        const auto written = [&] {
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (entry.path().filename().string().starts_with("out.csv"))
                    names.push_back(entry.path().filename());
            }
            return names;
        };
        // Opened for reading and writing, the pipe is there for the program
        // to open at once; it stays open, so the program waits for more.
        const int writer = ::open(fifo.c_str(), O_RDWR);
        ASSERT_GE(writer, 0);
        const pid_t pid = Start({"-", output}, fifo);
        // Half a list, less than a pipe holds, so that writing never waits.
        std::string rows = "Familienname;Vorname;Geburtsdatum\n";
        for (int i = 0; i < 1000; ++i)
            rows += "Müller;Hans;01.02.80\n";
        ASSERT_EQ(::write(writer, rows.data(), rows.size()), static_cast<ssize_t>(rows.size()));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (written().empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(written().size(), 1u) << "no temporary file appeared";
        EXPECT_TRUE(written()[0].starts_with("out.csv.")) << written()[0];
        EXPECT_EQ(Perms(folder / written()[0]), fs::perms(0600));
        ASSERT_EQ(::kill(pid, signal), 0);
        EXPECT_EQ(Wait(pid), 128 + signal);
        ::close(writer);
        EXPECT_EQ(written(), std::vector<std::string>{}) << "after signal " << signal << " in " << folder.string().size()
                                                         << " bytes deep";
        EXPECT_EQ(Leftovers({"pipe", std::string(100, 't')}), std::vector<std::string>{});
    }
}

}  // namespace
