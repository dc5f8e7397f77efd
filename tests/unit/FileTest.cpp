#include "Core/File/File.h"

#include "AssertRecorder.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace {

const char* const kNotOpen = "m_bOpen && \"file not open\"";

// ReadFile into a string that holds something beforehand.
std::string ReadAll(Vorm::File& f)
{
    std::string text = "stale";
    f.ReadFile(text);
    return text;
}

// Each test gets its own scratch directory, removed afterwards.
class FileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }

    TempFolder m_folder;
};

TEST_F(FileTest, ReadFileYieldsWholeTextAndSizeOnDisk)
{
    // No final line end; an empty file; CR LF kept as two characters.
    for (const std::string content : {"technique t\n{\n  pass p0\n}", "", "line1\r\nline2\r\n"})
    {
        Vorm::File f(m_folder.Write("a.txt", content));
        ASSERT_TRUE(f.Open());
        EXPECT_EQ(f.GetSize(), static_cast<int>(content.size()));
        EXPECT_EQ(ReadAll(f), content);
    }
}

TEST_F(FileTest, ReadReturnsEveryByteButReadFileStopsAtNul)
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes.push_back(static_cast<char>((i * 7 + 1) % 256));   // first NUL at i = 73
    ASSERT_EQ(bytes.find('\0'), 73u);
    Vorm::File f(m_folder.Write("blob.bin", bytes));
    ASSERT_TRUE(f.Open());
    ASSERT_EQ(f.GetSize(), 3000);

    // In pieces, then past the end.
    std::string buffer(4000, 'x');
    EXPECT_EQ(f.Read(&buffer[0], 1000), 1000);
    EXPECT_EQ(f.Read(&buffer[1000], 3000), 2000);     // only the rest is there
    EXPECT_EQ(buffer.substr(0, 3000), bytes);
    EXPECT_EQ(buffer.substr(3000), std::string(1000, 'x'));
    EXPECT_EQ(f.Read(&buffer[0], 4), 0);

    f.Close();
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(ReadAll(f), bytes.substr(0, 73));
}

TEST_F(FileTest, UnopenedFileReadsNothing)
{
    const std::string path = m_folder.Write("c.txt", "content");
    AssertRecorder rec;
    {
        Vorm::File missing(m_folder.Path("nothing.glslfx"));
        EXPECT_FALSE(missing.Open());
        EXPECT_EQ(missing.GetSize(), -1);
        EXPECT_EQ(std::vector<std::string>{"(m_fileSize != -1) && \"file not open\""}, rec.Failures());
        rec.Clear();

        // A directory opens as a stream on this platform but has no readable size.
        Vorm::File dir(m_folder.Dir());
        EXPECT_FALSE(dir.Open());
        EXPECT_EQ(ReadAll(dir), "");

        Vorm::File neverOpened(path);
        char buf[8] = {};
        EXPECT_EQ(neverOpened.Read(buf, 4), 0);
        EXPECT_EQ(ReadAll(neverOpened), "");        // size still -1: must not touch a buffer
        EXPECT_EQ(std::vector<std::string>(3, kNotOpen), rec.Failures());
    }
    rec.Clear();

    Vorm::File f(path);
    ASSERT_TRUE(f.Open());
    f.Close();
    f.Close();                              // harmless
    EXPECT_EQ(f.GetSize(), 7);              // the size outlives Close
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_EQ(ReadAll(f), "");
    EXPECT_EQ(std::vector<std::string>{kNotOpen}, rec.Failures());

    // Reopening reads from the start again.
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(ReadAll(f), "content");
}

// Looked at before it is opened: a pipe would block the open, a device or
// a directory never ends, a file over its kind's limit takes too long.
TEST_F(FileTest, OnlyARegularFileWithinTheLimitOpens)
{
    ASSERT_EQ(0, mkfifo(m_folder.Path("pipe").c_str(), 0600));
    std::filesystem::create_symlink("/dev/zero", m_folder.Path("zero"));
    const std::string hundred = m_folder.Write("hundred.txt", std::string(100, 'x'));
    const struct
    {
        std::string path;
        int limit;
        std::string error; // empty: opens
    } cases[] = {
        {m_folder.Path("pipe"), 100, "is a pipe, not a regular file"},
        {m_folder.Path("zero"), 100, "is a device, not a regular file"},
        {m_folder.Dir(), 100, "is a directory, not a regular file"},
        {m_folder.Path("none"), 100, "cannot open"},
        {hundred, 99, "is 100 bytes, more than the 99 bytes allowed for its kind"},
        {hundred, 100, ""},
        {hundred, -1, "is 100 bytes, more than the 0 bytes allowed for its kind"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " within " + std::to_string(c.limit));
        Vorm::File f(c.path);
        EXPECT_EQ(c.error.empty(), f.Open(c.limit));
        EXPECT_EQ(c.error, f.GetError());
        if (c.error.empty()) {
            EXPECT_EQ(ReadAll(f), std::string(100, 'x'));
        }
    }

    // Without a limit of its own a file may have the largest kind's size:
    // sparse files, nothing is read.
    const std::string large = m_folder.Write("large.bin", "");
    std::filesystem::resize_file(large, Vorm::File::kMeshLimit + 1);
    Vorm::File over(large);
    EXPECT_FALSE(over.Open());
    EXPECT_EQ("is " + std::to_string(Vorm::File::kMeshLimit + 1) + " bytes, more than the 8 MB allowed for its kind",
              over.GetError());
    std::filesystem::resize_file(large, Vorm::File::kMeshLimit);
    EXPECT_TRUE(over.Open());
    EXPECT_EQ("", over.GetError());
    EXPECT_EQ(Vorm::File::kMeshLimit, over.GetSize());
}

} // namespace
