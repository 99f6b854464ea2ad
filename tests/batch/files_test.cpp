// The file rules as a front end without a command line uses them: saving
// that is cancelled, fails or is abandoned leaves nothing behind.

#include "files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kennfix::batch {
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

TEST(SystemErrorText, German)
{
    EXPECT_EQ(SystemErrorText(ENOENT), "Datei oder Verzeichnis nicht gefunden");
    EXPECT_EQ(SystemErrorText(ENOSPC), "Auf dem Gerät ist kein Speicherplatz mehr verfügbar");
    EXPECT_EQ(SystemErrorText(12345), "Systemfehler 12345");
}

}  // namespace
}  // namespace kennfix::batch
