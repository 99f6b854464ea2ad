// The file rules as a front end without a command line uses them: saving
// that is cancelled, fails or is abandoned leaves nothing behind.

#include "listengine/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "listengine/internal/systemfile.h"

namespace kennfix::listengine {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kennfix-files-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        std::ofstream list(m_dir / "in.csv");
        list << "Familienname;Vorname;Geburtsdatum\n";
        for (int i = 0; i < 20000; ++i)
            list << "Meier;Li;01.02.80\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::size_t Files() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), {})); }

    fs::path m_dir;
};

TEST_F(FilesTest, CancellingLeavesNoFile)
{
    ListOptions options;
    ListCallbacks callbacks;
    std::uint64_t total = 0;
    callbacks.onProgress = [&](const ListProgress& p) {
        total = p.totalBytes;
        return false;
    };
    EXPECT_THROW(ProcessListFile(m_dir / "in.csv", m_dir / "out.csv", options, callbacks), ListCancelled);
    EXPECT_EQ(total, fs::file_size(m_dir / "in.csv"));
    EXPECT_EQ(Files(), 1u) << "the output or its temporary file is left";
}

TEST_F(FilesTest, AFailedListLeavesTheOldFileAlone)
{
    std::ofstream(m_dir / "out.csv") << "alt";
    std::ofstream(m_dir / "bad.csv") << "Name;Vorname\n";
    ListOptions options;
    EXPECT_THROW(ProcessListFile(m_dir / "bad.csv", m_dir / "out.csv", options), ListError);
    std::ifstream out(m_dir / "out.csv");
    std::string text((std::istreambuf_iterator<char>(out)), {});
    EXPECT_EQ(text, "alt");
    EXPECT_EQ(Files(), 3u);
}

// A program that ends at once while a list is being written (the window
// closed during a save) removes the temporary file first; the target was
// never touched, and committing afterwards fails instead of putting
// anything in its place.
TEST_F(FilesTest, RemovingTemporaryFilesLeavesTheTargetAlone)
{
    std::ofstream(m_dir / "out.csv") << "alt";
    OutputFile output(m_dir / "out.csv", 0644);
    output.Stream() << "neu";
    EXPECT_EQ(Files(), 3u) << "no temporary file beside the target";
    RemoveTemporaryFiles();
    EXPECT_EQ(Files(), 2u);
    EXPECT_THROW(output.Commit(), FileError);
    std::ifstream out(m_dir / "out.csv");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(out)), {}), "alt");
}

// Every file being written is removed, however many there are and however
// deep their folder: a path as long as the system takes (here the longest
// Linux opens) and more files than any fixed number of places would hold.
TEST_F(FilesTest, RemovingTemporaryFilesReachesEveryFileBeingWritten)
{
    // The temporary files' paths ("/out-NN.csv.XXXXXX" more) are a few bytes short of PATH_MAX.
    fs::path deep = fs::absolute(m_dir);
    while (deep.string().size() < PATH_MAX - 200)
        deep /= std::string(100, 'o');
    deep /= std::string(PATH_MAX - 24 - deep.string().size() - 1, 'o');
    fs::create_directories(deep);
    std::vector<std::unique_ptr<OutputFile>> outputs;
    for (int i = 0; i < 40; ++i) {
        const fs::path folder = i % 2 ? deep : m_dir;
        outputs.push_back(std::make_unique<OutputFile>(folder / ("out-" + std::to_string(i) + ".csv"), 0600));
    }
    ASSERT_GT(fs::directory_iterator(deep)->path().string().size(), std::size_t{PATH_MAX - 10});
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 20);
    RemoveTemporaryFiles();
    EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 0) << "left in the deep folder";
    EXPECT_EQ(Files(), 2u) << "the list, the deep folder and nothing else";
}

// The register keeps paths longer than any Linux path, as Windows' are (up
// to 32,767 UTF-16 units, three UTF-8 bytes each), and forgets each once it
// is unregistered.
TEST(TemporaryRegister, HoldsPathsOfAnyLength)
{
    static std::vector<std::string> seen;
    const auto collect = [] {
        seen.clear();
        internal::ForEachTemporary([](const char* path) { seen.emplace_back(path); });
        std::sort(seen.begin(), seen.end());
        return seen;
    };
    const std::string longest = "C:\\" + std::string(3 * 32767, 'u') + ".csv.abcdef";
    const std::string shorter = "C:\\kurz.csv.abcdef";
    internal::RegisterTemporary(shorter);
    internal::RegisterTemporary(longest);
    // Compared whole, not printed: a failure would print 100,000 letters.
    EXPECT_TRUE(collect() == (std::vector<std::string>{shorter, longest}));
    internal::UnregisterTemporary(longest);
    EXPECT_TRUE(collect() == std::vector<std::string>{shorter});
    internal::RegisterTemporary(longest + "x");
    EXPECT_TRUE(collect() == (std::vector<std::string>{shorter, longest + "x"}));
    internal::UnregisterTemporary(longest + "x");
    internal::UnregisterTemporary(shorter);
    EXPECT_TRUE(collect().empty());
}

// The last moment a save can be cancelled is once its result is complete,
// before anything is replaced: a no removes the temporary file and leaves
// the old one; a yes puts the result in place.
TEST_F(FilesTest, CommitAsksBeforeReplacing)
{
    for (const bool answer : {false, true}) {
        std::ofstream(m_dir / "out.csv") << "alt";
        OutputFile output(m_dir / "out.csv", 0644);
        output.Stream() << "neu";
        std::size_t filesWhenAsked = 0;
        const auto ask = [&] {
            filesWhenAsked = Files();
            return answer;
        };
        if (answer)
            output.Commit(ask);
        else
            EXPECT_THROW(output.Commit(ask), ListCancelled);
        EXPECT_EQ(filesWhenAsked, 3u) << "asked once the temporary file beside the target is complete";
        EXPECT_EQ(Files(), 2u);
        std::ifstream out(m_dir / "out.csv");
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(out)), {}), answer ? "neu" : "alt");
    }
}

// The list itself, by whatever name it is reached, is never an output: it
// is refused before anything is read, and the list stays as it was.
TEST_F(FilesTest, TheListItselfIsRefusedAsOutput)
{
    fs::create_symlink("in.csv", m_dir / "link.csv");
    fs::create_hard_link(m_dir / "in.csv", m_dir / "second-name.csv");
    std::ofstream(m_dir / "other.csv") << "a";
    InputFile input(m_dir / "in.csv");
    for (const fs::path& same : {m_dir / "in.csv", m_dir / "link.csv", m_dir / "second-name.csv", m_dir / "." / "in.csv"})
        EXPECT_TRUE(input.IsSameFileAs(same)) << same;
    for (const fs::path& other : {m_dir / "other.csv", m_dir / "new.csv", m_dir})
        EXPECT_FALSE(input.IsSameFileAs(other)) << other;

    const std::string before = [&] {
        std::ifstream in(m_dir / "in.csv");
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }();
    for (const fs::path& output : {m_dir / "in.csv", m_dir / "link.csv", m_dir / "second-name.csv"}) {
        ListCallbacks callbacks;
        bool read = false;
        callbacks.onHeader = [&](const ListLayout&) { read = true; };
        try {
            ProcessListFile(m_dir / "in.csv", output, ListOptions{}, callbacks);
            ADD_FAILURE() << output << " was written";
        } catch (const FileError& e) {
            EXPECT_EQ(e.what(), "„" + output.string() +
                                    "“ ist die Liste selbst. Sie wird nicht überschrieben; bitte einen anderen Namen "
                                    "wählen.");
        }
        EXPECT_FALSE(read) << output;
    }
    std::ifstream in(m_dir / "in.csv");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), before);
    EXPECT_EQ(Files(), 4u) << "a temporary file is left";
}

// A front end that takes regular files only never waits for a pipe's other
// end: nobody is there, and a wait would hang the test. Others write to it.
TEST_F(FilesTest, APipeIsRefusedAtOnceWhereOnlyRegularFilesDo)
{
    const fs::path pipe = m_dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(InputFile(pipe, FileKinds::RegularOnly), FileError);
    EXPECT_THROW(OutputFile(pipe, 0600, FileKinds::RegularOnly), FileError);
    EXPECT_NO_THROW(InputFile(m_dir / "in.csv", FileKinds::RegularOnly));
    EXPECT_EQ(Files(), 2u);
}

TEST_F(FilesTest, ChangedSinceOpened)
{
    const timespec longAgo[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (m_dir / "in.csv").c_str(), longAgo, 0), 0);
    InputFile input(m_dir / "in.csv");
    std::string firstLine;
    std::getline(input.Stream(), firstLine);
    EXPECT_FALSE(input.ChangedSinceOpened()) << "reading is no change";
    std::ofstream(m_dir / "in.csv", std::ios::app) << "Meier;Li;01.02.80\n";
    EXPECT_TRUE(input.ChangedSinceOpened()) << "a row more";

    ASSERT_EQ(::utimensat(AT_FDCWD, (m_dir / "in.csv").c_str(), longAgo, 0), 0);
    InputFile again(m_dir / "in.csv");
    const auto size = fs::file_size(m_dir / "in.csv");
    std::ofstream(m_dir / "in.csv", std::ios::in | std::ios::out) << "Maier";
    EXPECT_EQ(fs::file_size(m_dir / "in.csv"), size);
    EXPECT_TRUE(again.ChangedSinceOpened()) << "as long, other bytes";
}

TEST(SystemErrorText, German)
{
    EXPECT_EQ(SystemErrorText(ENOENT), "Datei oder Verzeichnis nicht gefunden");
    EXPECT_EQ(SystemErrorText(ENOSPC), "Auf dem Gerät ist kein Speicherplatz mehr verfügbar");
    EXPECT_EQ(SystemErrorText(12345), "Systemfehler 12345");
}

}  // namespace
}  // namespace kennfix::listengine
