#include "Core/File/File.h"

#include "AssertRecorder.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each test gets its own scratch directory, removed afterwards.
class FileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Ok()); }

    TempFolder m_folder;
};

TEST_F(FileTest, MissingOrUnreadablePathDoesNotOpen)
{
    AssertRecorder rec;
    Vorm::File missing(m_folder.Path("nothing.glslfx"));
    EXPECT_FALSE(missing.Open());
    EXPECT_EQ(missing.GetSize(), -1);
    EXPECT_TRUE(rec.Saw("(m_fileSize != -1) && \"file not open\""));

    // A directory opens as a stream on this platform but has no readable size.
    Vorm::File dir(m_folder.Dir());
    EXPECT_FALSE(dir.Open());
    std::string text = "stale";
    dir.ReadFile(text);
    EXPECT_EQ(text, "");
}

TEST_F(FileTest, ReadFileYieldsWholeTextAndSizeOnDisk)
{
    // No final line end; an empty file; CR LF kept as two characters.
    for (const std::string content : {"technique t\n{\n  pass p0\n}", "", "line1\r\nline2\r\n"})
    {
        Vorm::File f(m_folder.Write("a.txt", content));
        ASSERT_TRUE(f.Open());
        EXPECT_EQ(f.GetSize(), static_cast<int>(content.size()));
        std::string text = "stale";
        f.ReadFile(text);
        EXPECT_EQ(text, content);
    }
}

TEST_F(FileTest, ReadFileStopsAtNulButReadReturnsEveryByte)
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes.push_back(static_cast<char>((i * 7 + 1) % 256));   // first NUL at i = 73
    ASSERT_EQ(bytes.find('\0'), 73u);

    Vorm::File f(m_folder.Write("blob.bin", bytes));
    ASSERT_TRUE(f.Open());
    ASSERT_EQ(f.GetSize(), 3000);

    // The callers' own pattern: GetSize, a buffer of size + 1, Read, terminator.
    std::string buffer(f.GetSize() + 1, 'x');
    const int n = f.Read(&buffer[0], f.GetSize());
    EXPECT_EQ(n, 3000);
    EXPECT_EQ(buffer.substr(0, 3000), bytes);
    f.Close();

    ASSERT_TRUE(f.Open());
    std::string text;
    f.ReadFile(text);
    EXPECT_EQ(text, bytes.substr(0, 73));
}

TEST_F(FileTest, ReadInPiecesAndPastTheEnd)
{
    Vorm::File f(m_folder.Write("abc.txt", "abcdefgh"));
    ASSERT_TRUE(f.Open());
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "abc");
    EXPECT_EQ(f.Read(buf, 10), 5);      // only the rest is there
    EXPECT_EQ(std::string(buf, 5), "defgh");
    EXPECT_EQ(f.Read(buf, 4), 0);
}

TEST_F(FileTest, ClosedFileRefusesReads)
{
    const std::string path = m_folder.Write("c.txt", "content");
    AssertRecorder rec;
    {
        Vorm::File neverOpened(path);
        char buf[8] = {};
        EXPECT_EQ(neverOpened.Read(buf, 4), 0);
        EXPECT_TRUE(rec.Saw("m_bOpen && \"file not open\""));
        rec.Clear();
        std::string text = "stale";
        neverOpened.ReadFile(text);         // size still -1: must not touch a buffer
        EXPECT_EQ(text, "");
        EXPECT_TRUE(rec.Saw("m_bOpen && \"file not open\""));
    }
    rec.Clear();

    Vorm::File f(path);
    ASSERT_TRUE(f.Open());
    f.Close();
    f.Close();                              // harmless
    EXPECT_EQ(f.GetSize(), 7);              // the size outlives Close
    EXPECT_TRUE(rec.Failures().empty());
    std::string text;
    f.ReadFile(text);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(rec.Saw("m_bOpen && \"file not open\""));

    // Reopening reads from the start again; the destructor closes.
    ASSERT_TRUE(f.Open());
    f.ReadFile(text);
    EXPECT_EQ(text, "content");
}

} // namespace
