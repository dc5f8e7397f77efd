#include "GLFixture.h"
#include "ProbeRun.h"

#include "Core/Memory/MemTracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

using Vorm::MemTracker;

namespace {

// "memleaks.log" of one run of the GL probe in a fresh directory, from its
// fifth line on (after the title box and the blank lines).
std::vector<std::string> ProbeLeakReport(const std::string& mode, int& status)
{
    const ProbeRun run = RunProbe(VORM_PROBE_DIR "/gl_memtrack_probe", mode);
    status = run.status;
    std::istringstream in(run.leakLog);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.empty() || line.back() != '\r' ? line : line.substr(0, line.size() - 1));
    if (lines.size() > 5)
        lines.erase(lines.begin(), lines.begin() + 5);
    return lines;
}

class MemTrackerTest : public GLFixture
{
};

} // namespace

TEST_F(MemTrackerTest, TheDriversBlocksAreTheLibrarysAndTheProgramsOwnStayTracked)
{
    // This process has a context: the driver asked for blocks through our
    // operators, and they are counted apart from the program's.
    EXPECT_GT(MemTracker::GetLibraryUnitCount(), 0u);

    // The program's objects and its containers count as its own.
    const MemTracker::u32 before = MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount;
    const MemTracker::u32 libraryBefore = MemTracker::GetLibraryUnitCount();
    {
        std::vector<int>* v = new std::vector<int>(100, 1);
        EXPECT_EQ(before + 2, MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount);
        delete v;
    }
    EXPECT_EQ(before, MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount);
    EXPECT_EQ(libraryBefore, MemTracker::GetLibraryUnitCount());
}

TEST_F(MemTrackerTest, AProgramWithAGLContextReportsOnlyItsOwnLeaks)
{
    int status = -1;
    const std::vector<std::string> clean = ProbeLeakReport("clean", status);
    ASSERT_EQ(0, status);
    ASSERT_FALSE(clean.empty());
    EXPECT_EQ("Congratulations! No memory leaks found!", clean[0]);

    // A block and a filled vector of its own (the vector and its buffer).
    const std::vector<std::string> leaky = ProbeLeakReport("leak", status);
    ASSERT_EQ(0, status);
    ASSERT_EQ(8u, leaky.size());
    EXPECT_EQ("3 memory leaks found:", leaky[0]);
    std::vector<std::string> sizes;
    for (std::size_t i = 5; i < leaky.size(); ++i)
        sizes.push_back(leaky[i].substr(26, 10));
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ((std::vector<std::string>{"0x00000004", "0x00000018", "0x00000FA0"}), sizes);
    bool owned = false;
    for (const std::string& row : leaky)
        owned = owned || (row.find("gl_memtrack_probe.cpp(") != std::string::npos && row.find(")::main") != std::string::npos);
    EXPECT_TRUE(owned);
}
