#include "Core/Memory/MemTracker.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using Vorm::MemTracker;

namespace {

// Defeats new/delete elision for blocks a test only inspects.
void* volatile g_sink;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Splits on CR LF; a text not ending in CR LF yields a last line "<no crlf>".
std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size())
        lines.push_back("<no crlf>");
    return lines;
}

// Same length, and each mask character matches: '#' a decimal digit, '%' an
// upper-case hex digit, '?' anything, every other character itself.
bool Fits(const std::string& text, const std::string& mask)
{
    if (text.size() != mask.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        const bool ok = mask[i] == '#'   ? (c >= '0' && c <= '9')
                        : mask[i] == '%' ? ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))
                                         : (mask[i] == '?' || mask[i] == c);
        if (!ok)
            return false;
    }
    return true;
}

const std::string kHexAddress = "0x%%%%%%%%%%%%%%%%";
const std::string kDateTime = "##/##/#### ##:##:##";

struct ProbeRun
{
    int status = -1;
    std::string out, err;
    std::vector<std::string> memoryLog, leakLog;

    int Line(const std::string& key) const
    {
        const std::size_t at = out.find(key + " ");
        return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + key.size() + 1);
    }
};

ProbeRun RunProbe(const std::string& mode)
{
    char dirTemplate[] = "/tmp/vorm_memtrack_XXXXXX";
    const std::string dir = mkdtemp(dirTemplate);
    const std::string command = "cd '" + dir + "' && '" VORM_PROBE_DIR "/memtrack_probe' " + mode +
                                " > out.txt 2> err.txt";
    ProbeRun run;
    run.status = std::system(command.c_str());
    run.out = ReadFile(dir + "/out.txt");
    run.err = ReadFile(dir + "/err.txt");
    run.memoryLog = CrLfLines(ReadFile(dir + "/memory.log"));
    run.leakLog = CrLfLines(ReadFile(dir + "/memleaks.log"));
    std::filesystem::remove_all(dir);
    return run;
}

const std::string kDashes(80, '-');
const std::string kBorder = " " + std::string(130, '-') + " ";
const std::size_t kHeaderLines = 28;
const char* const kTableHead[] = {
    "Alloc.   Addr       Size       Addr       Size                        BreakOn BreakOn              ",
    "Number Reported   Reported    Actual     Actual     Unused    Method  Dealloc Realloc Allocated by ",
    "------ ---------- ---------- ---------- ---------- ---------- -------- ------- ------- --------------------------------------------------- "};

std::string Owner(int line, const char* function)
{
    char text[128];
    std::snprintf(text, sizeof(text), "memtrack_probe.cpp(%05d)::%s", line, function);
    return text;
}

// The header every run starts "memory.log" with; returns the lines after it.
std::vector<std::string> AfterHeader(const std::vector<std::string>& log)
{
    const std::vector<std::string> fixed = {
        kDashes, "", "<date>", kDashes, "",
        "This file contains a log of all memory operations performed during the last run.", "",
        "Interrogate this file to track errors or to help track down memory-related",
        "issues. You can do this by tracing the allocations performed by a specific owner",
        "or by tracking a specific address through a series of allocations and", "reallocations.", "",
        "There is a lot of useful information here which, when used creatively, can be",
        "extremely helpful.", "", "Note that the following guides are used throughout this file:", "",
        "   [!] - Error", "   [+] - Allocation", "   [~] - Reallocation", "   [-] - Deallocation",
        "   [I] - Generic information",
        "   [F] - Failure induced for the purpose of stress-testing your application",
        "   [D] - Information used for debugging this memory manager", "",
        "...so, to find all errors in the file, search for \"[!]\"", "", kDashes};
    EXPECT_GE(log.size(), kHeaderLines);
    if (log.size() < kHeaderLines)
        return {};
    for (std::size_t i = 0; i < kHeaderLines; ++i)
    {
        if (i == 2) // asctime's text ends in its own line feed
            EXPECT_TRUE(Fits(log[i], "      memory.log - Memory logging file created on ??? ??? ?# ##:##:## ####\n"))
                << log[i];
        else
            EXPECT_EQ(fixed[i], log[i]) << "header line " << i + 1;
    }
    return std::vector<std::string>(log.begin() + kHeaderLines, log.end());
}

// Checks the leak report's fixed head and returns the lines after it.
std::vector<std::string> LeakBody(const std::vector<std::string>& report)
{
    EXPECT_GE(report.size(), 5u);
    if (report.size() < 5)
        return {};
    EXPECT_EQ(kBorder, report[0]);
    EXPECT_TRUE(Fits(report[1], "|" + std::string(42, ' ') + "Memory leak report for:  " + kDateTime +
                                    std::string(44, ' ') + "|"))
        << report[1];
    EXPECT_EQ(kBorder, report[2]);
    EXPECT_EQ("", report[3]);
    EXPECT_EQ("", report[4]);
    return std::vector<std::string>(report.begin() + 5, report.end());
}

const std::vector<std::string> kNoLeaks = {"Congratulations! No memory leaks found!", ""};

} // namespace

// --- whole runs of a probe program in a fresh directory ---------------------

TEST(MemTrackerProbe, RunsThatReleaseEverythingReportNoLeaks)
{
    // "late" frees its block after the tracker's own destruction wrote the
    // report; "mismatch" frees a new[] block with delete.
    for (const char* mode : {"clean", "late", "mismatch"})
    {
        SCOPED_TRACE(mode);
        const ProbeRun run = RunProbe(mode);
        ASSERT_EQ(0, run.status) << run.err;
        EXPECT_TRUE(AfterHeader(run.memoryLog).empty());
        EXPECT_EQ(kNoLeaks, LeakBody(run.leakLog));
        const bool breaks = run.err.find("allocation and release forms do not match") != std::string::npos;
        EXPECT_EQ(std::string(mode) == "mismatch", breaks) << run.err;
    }
}

TEST(MemTrackerProbe, LeakIsListedWithSizeAndOwner)
{
    const ProbeRun run = RunProbe("leak");
    ASSERT_EQ(0, run.status) << run.err;
    const std::vector<std::string> body = LeakBody(run.leakLog);
    ASSERT_EQ(6u, body.size());
    EXPECT_EQ("1 memory leak found:", body[0]);
    EXPECT_EQ("", body[1]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(kTableHead[i], body[2 + i]);

    const std::string& row = body[5];
    const std::string fixed = "000001 " + kHexAddress + " 0x00000004 " + kHexAddress +
                              " 0x00000024 0x00000000 new         N       N    ";
    ASSERT_GT(row.size(), fixed.size());
    EXPECT_TRUE(Fits(row.substr(0, fixed.size()), fixed)) << row;
    EXPECT_EQ(std::stoull(row.substr(9, 16), nullptr, 16), std::stoull(row.substr(39, 16), nullptr, 16) + 16);
    EXPECT_EQ(Owner(run.Line("leak-line"), "Vorm::Probe::Leaker::Leak"), row.substr(fixed.size()));
}

TEST(MemTrackerProbe, OverrunIsReportedWhenTheBlockIsReleased)
{
    const ProbeRun run = RunProbe("overrun");
    ASSERT_EQ(0, run.status) << run.err;
    const std::vector<std::string> errors = AfterHeader(run.memoryLog);
    ASSERT_EQ(8u, errors.size());
    EXPECT_EQ("[!] A memory allocation unit was corrupt because of an overrun:", errors[0]);
    EXPECT_TRUE(Fits(errors[1], "[I]   Address (reported): " + kHexAddress)) << errors[1];
    EXPECT_TRUE(Fits(errors[2], "[I]   Address (actual)  : " + kHexAddress)) << errors[2];
    EXPECT_EQ("[I]   Size (reported)   : 0x0000000A (        10 bytes     )", errors[3]);
    EXPECT_EQ("[I]   Size (actual)     : 0x0000002A (        42 bytes     )", errors[4]);
    EXPECT_EQ("[I]   Owner             : memtrack_probe.cpp(" + std::to_string(run.Line("alloc-line")) + ")::main",
              errors[5]);
    EXPECT_EQ("[I]   Allocation type   : new[]", errors[6]);
    EXPECT_EQ("[I]   Allocation number : 1", errors[7]);
    EXPECT_NE(std::string::npos, run.err.find("debugger break"));
    EXPECT_EQ(kNoLeaks, LeakBody(run.leakLog)); // damaged or not, the block was released
}

TEST(MemTrackerProbe, AlwaysLogAllWritesEveryOperation)
{
    const ProbeRun run = RunProbe("logall");
    ASSERT_EQ(0, run.status) << run.err;
    const std::vector<std::string> lines = AfterHeader(run.memoryLog);
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("[+] 00001      new of size 0x00000004(00000004) by " + Owner(run.Line("new-line"), "main"),
              lines[0]);
    ASSERT_TRUE(Fits(lines[1], "[+] ---->             addr " + kHexAddress)) << lines[1];
    EXPECT_EQ("[-] -----   delete of addr " + lines[1].substr(27) + "           by " +
                  Owner(run.Line("delete-line"), "main"),
              lines[2]);
    // The null VORM_DELETE before it reset the owner: no destructor-chain note.
    EXPECT_EQ("[-] -----   delete of NULL                      by " + Owner(run.Line("null-line"), "main"),
              lines[3]);
    EXPECT_EQ("[I] NOTE! Possible destructor chain: previous owner is " + Owner(run.Line("chain-line"), "main"),
              lines[4]);
}

TEST(MemTrackerProbe, OversizedRequestThrowsAfterLoggingOutOfMemory)
{
    const ProbeRun run = RunProbe("oom");
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("caught bad allocation\n", run.out);
    EXPECT_EQ(std::vector<std::string>{"[!] Request for allocation failed. Out of memory."},
              AfterHeader(run.memoryLog));
}

// --- in-process checks -------------------------------------------------------

namespace Vorm {
namespace NameProbe {

struct Widget
{
    Widget() : m_szCtor(VORM_FUNCTION_NAME) {}
    const char* Method() const { return VORM_FUNCTION_NAME; }
    const char* operator()(int) const { return VORM_FUNCTION_NAME; }
    const char* operator<(const Widget&) const { return VORM_FUNCTION_NAME; }
    const char* m_szCtor;
};

template <class T>
struct Holder
{
    const char* Get() const { return VORM_FUNCTION_NAME; }
};

template <class T>
const char* Free(T) { return VORM_FUNCTION_NAME; }

const char* InLambda()
{
    auto inner = [](int) { return VORM_FUNCTION_NAME; };
    return inner(0);
}

int* MakeTracked() { return VORM_NEW int(5); }

} // namespace NameProbe
} // namespace Vorm

TEST(MemTracker, FunctionNamesAreQualifiedWithoutSignatureNoise)
{
    using namespace Vorm::NameProbe;
    const Widget w;
    EXPECT_STREQ("Vorm::NameProbe::Widget::Widget", w.m_szCtor);
    EXPECT_STREQ("Vorm::NameProbe::Widget::Method", w.Method());
    EXPECT_STREQ("Vorm::NameProbe::Widget::operator()", w(1));
    EXPECT_STREQ("Vorm::NameProbe::Widget::operator<", w < w);
    EXPECT_STREQ("Vorm::NameProbe::Holder::Get", Holder<std::vector<int>>().Get());
    EXPECT_STREQ("Vorm::NameProbe::Free", Free(2.5));
    EXPECT_STREQ("Vorm::NameProbe::InLambda", InLambda());
    EXPECT_EQ(w.Method(), w.Method()); // static text, no per-call buffer
}

TEST(MemTracker, UnitsRecordOwnerNumberAndStatistics)
{
    const MemTracker::Statistics s0 = MemTracker::GetMemoryStatistics();
    int* p = Vorm::NameProbe::MakeTracked();
    int* q = new int(6); // no owner set: the previous one was reset
    g_sink = q;
    const MemTracker::Statistics s1 = MemTracker::GetMemoryStatistics();
    const MemTracker::AllocUnit* a = MemTracker::FindAllocUnit(p);
    const MemTracker::AllocUnit* b = MemTracker::FindAllocUnit(q);
    ASSERT_TRUE(a && b);
    EXPECT_STREQ("MemTrackerTest.cpp", a->m_szSourceFile);
    EXPECT_STREQ("Vorm::NameProbe::MakeTracked", a->m_szSourceFunc);
    EXPECT_NE(0u, a->m_uSourceLine);
    EXPECT_STREQ("??", b->m_szSourceFile);
    EXPECT_STREQ("??", b->m_szSourceFunc);
    EXPECT_EQ(0u, b->m_uSourceLine);
    EXPECT_EQ(MemTracker::AT_New, a->m_uAllocationType);
    EXPECT_EQ(4u, a->m_uReportedSize);
    EXPECT_EQ(36u, a->m_uActualSize);
    EXPECT_EQ(static_cast<char*>(a->m_pActualAddress) + 16, a->m_pReportedAddress);
    EXPECT_EQ(a->m_uAllocationNumber + 1, b->m_uAllocationNumber);

    EXPECT_EQ(s0.m_uAccumulatedAllocUnitCount + 2, s1.m_uAccumulatedAllocUnitCount);
    EXPECT_EQ(s0.m_uTotalAllocUnitCount + 2, s1.m_uTotalAllocUnitCount);
    EXPECT_EQ(s0.m_uTotalReportedMemory + 8, s1.m_uTotalReportedMemory);
    EXPECT_EQ(s0.m_uTotalActualMemory + 72, s1.m_uTotalActualMemory);
    EXPECT_EQ(s0.m_uAccumulatedActualMemory + 72, s1.m_uAccumulatedActualMemory);
    EXPECT_GE(s1.m_uPeakActualMemory, s1.m_uTotalActualMemory);
    delete q;
    VORM_DELETE p;
    const MemTracker::Statistics s2 = MemTracker::GetMemoryStatistics();
    EXPECT_EQ(s0.m_uTotalAllocUnitCount, s2.m_uTotalAllocUnitCount);
    EXPECT_EQ(s0.m_uTotalActualMemory, s2.m_uTotalActualMemory);
    EXPECT_EQ(s1.m_uAccumulatedActualMemory, s2.m_uAccumulatedActualMemory);
    EXPECT_FALSE(MemTracker::ValidateAddress(q));
}

TEST(MemTracker, ZeroByteNewHasOneByteGuardsAndUnusedWords)
{
    void* p = ::operator new(0);
    const MemTracker::AllocUnit* unit = MemTracker::FindAllocUnit(p);
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(1u, unit->m_uReportedSize);
    EXPECT_EQ(33u, unit->m_uActualSize);
    const unsigned char* actual = static_cast<const unsigned char*>(unit->m_pActualAddress);
    for (int i = 0; i < 4; ++i)
    {
        std::uint32_t pre, post;
        std::memcpy(&pre, actual + 4 * i, 4);
        std::memcpy(&post, actual + 17 + 4 * i, 4); // unaligned, right after the one byte
        EXPECT_EQ(0xBAADF00Du, pre);
        EXPECT_EQ(0xDEADC0DEu, post);
    }
    EXPECT_EQ(0xCE, actual[16]); // the lowest byte of 0xFEEDFACE
    ::operator delete(p);

    char* q = new char[10];
    g_sink = q;
    unit = MemTracker::FindAllocUnit(q);
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ(8u, MemTracker::CalcUnused(unit)); // the word at 8 reaches into the guard
    q[5] = 1;
    EXPECT_EQ(4u, MemTracker::CalcUnused(unit));
    delete[] q;
}

// Lengths around the 16-byte stores and the wide fill, and records that
// come back from the reservoir after a long owner text.
TEST(MemTracker, WipeCoversEveryLengthAndReusedRecordsAreClean)
{
    const std::uint32_t unused = 0xFEEDFACEu;
    unsigned char pattern[4];
    std::memcpy(pattern, &unused, 4);
    const char* const longFile = "dir/a_source_file_name_longer_than_thirty_nine_characters.cpp";
    const char* const longFunc = "Ns::SomeClass::AFunctionNameLongerThanThirtyNineCharacters";
    for (std::size_t n : {1u, 3u, 4u, 5u, 15u, 16u, 17u, 19u, 20u, 33u, 255u, 256u, 257u, 259u, 1027u})
    {
        void* p = MemTracker::Allocate(longFile, 7, longFunc, MemTracker::AT_Malloc, n);
        ASSERT_NE(nullptr, p);
        const MemTracker::AllocUnit* unit = MemTracker::FindAllocUnit(p);
        const unsigned char* bytes = static_cast<const unsigned char*>(p);
        std::size_t wrong = 0;
        for (std::size_t i = 0; i < n; ++i)
            wrong += bytes[i] != pattern[i % 4];
        EXPECT_EQ(0u, wrong) << n;
        EXPECT_TRUE(MemTracker::ValidateAllocUnit(unit)) << n;
        EXPECT_EQ(39u, std::strlen(unit->m_szSourceFile));
        MemTracker::Deallocate("??", 0, "??", MemTracker::AT_Free, p);

        char* q = new char[n];
        g_sink = q;
        unit = MemTracker::FindAllocUnit(q);
        const char field[40] = "??";
        EXPECT_EQ(0, std::memcmp(field, unit->m_szSourceFile, sizeof(field))) << n;
        EXPECT_EQ(0, std::memcmp(field, unit->m_szSourceFunc, sizeof(field))) << n;
        EXPECT_FALSE(unit->m_bBreakOnDealloc);
        delete[] q;
    }
}

TEST(MemTracker, SizesBeyondTheUnitFieldAreRefused)
{
    const MemTracker::Statistics before = MemTracker::GetMemoryStatistics();
    const std::size_t tooBig = std::size_t(0xFFFFFFFFu) - 31; // + 32 no longer fits 32 bits
    EXPECT_EQ(nullptr, MemTracker::Allocate("f.cpp", 1, "F", MemTracker::AT_Malloc, tooBig));
    EXPECT_EQ(nullptr, ::operator new(tooBig, std::nothrow));
    try
    {
        g_sink = ::operator new[](std::size_t(1) << 40);
        ADD_FAILURE() << "no exception";
    }
    catch (const std::bad_alloc& e)
    {
        EXPECT_STREQ("bad allocation", e.what());
    }
    const MemTracker::Statistics after = MemTracker::GetMemoryStatistics();
    EXPECT_EQ(before.m_uTotalAllocUnitCount, after.m_uTotalAllocUnitCount);
    EXPECT_EQ(before.m_uTotalActualMemory, after.m_uTotalActualMemory);
}

TEST(MemTracker, GuardDamageIsFoundByValidation)
{
    char* p = new char[8];
    g_sink = p;
    const MemTracker::AllocUnit* unit = MemTracker::FindAllocUnit(p);
    ASSERT_NE(nullptr, unit);
    EXPECT_TRUE(MemTracker::ValidateAllocUnit(unit));
    EXPECT_FALSE(MemTracker::ValidateAllAllocUnits());

    testing::internal::CaptureStderr();
    char* raw = static_cast<char*>(unit->m_pActualAddress);
    const char savedPost = raw[24];
    const char savedPre = raw[15];
    raw[24] = 0; // one past the end
    EXPECT_FALSE(MemTracker::ValidateAllocUnit(unit));
    raw[24] = savedPost;
    raw[15] = 0; // one before the start
    EXPECT_TRUE(MemTracker::ValidateAllAllocUnits());
    raw[15] = savedPre;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("overrun"));
    EXPECT_NE(std::string::npos, err.find("underrun"));
    EXPECT_TRUE(MemTracker::ValidateAllocUnit(unit));
    delete[] p;
}

TEST(MemTracker, MallocFamilyReallocateKeepsDataAndWipesGrowth)
{
    const std::string longName = "Vorm::AVeryLongNamespace::AVeryLongClass::AVeryLongFunction";
    char* p = static_cast<char*>(MemTracker::Allocate("dir\\plain.cpp", 7, "Grow", MemTracker::AT_Calloc, 8));
    ASSERT_NE(nullptr, p);
    EXPECT_STREQ("plain.cpp", MemTracker::FindAllocUnit(p)->m_szSourceFile);
    EXPECT_EQ(std::string(8, '\0'), std::string(p, 8));
    std::memcpy(p, "abcdefgh", 8);
    const MemTracker::u32 firstNumber = MemTracker::FindAllocUnit(p)->m_uAllocationNumber;

    const std::string longFile = "x/a_file_name_that_is_longer_than_thirty_nine.cpp";
    p = static_cast<char*>(
        MemTracker::Reallocate(longFile.c_str(), 9, longName.c_str(), MemTracker::AT_Realloc, 4096, p));
    ASSERT_NE(nullptr, p);
    const MemTracker::AllocUnit* unit = MemTracker::FindAllocUnit(p);
    ASSERT_NE(nullptr, unit);
    EXPECT_EQ("abcdefgh", std::string(p, 8));
    EXPECT_EQ(4096u, unit->m_uReportedSize);
    EXPECT_EQ(MemTracker::AT_Realloc, unit->m_uAllocationType);
    EXPECT_EQ(longFile.substr(2, 39), unit->m_szSourceFile);
    EXPECT_EQ(longName.substr(0, 39), unit->m_szSourceFunc);
    EXPECT_GT(unit->m_uAllocationNumber, firstNumber);
    EXPECT_EQ(4096u - 8, MemTracker::CalcUnused(unit)); // only the grown part is wiped
    MemTracker::Deallocate(nullptr, 0, nullptr, MemTracker::AT_Free, p);
    EXPECT_FALSE(MemTracker::ValidateAddress(p));
}

TEST(MemTracker, ReallocatedUnitLeavesTheMiddleOfItsBucketChain)
{
    // Enough small blocks that buckets hold several units each.
    std::vector<void*> blocks;
    for (int i = 0; i < 6000; ++i)
        blocks.push_back(MemTracker::Allocate("f.cpp", 1, "F", MemTracker::AT_Malloc, 16));
    void* inner = nullptr;
    for (void* p : blocks)
    {
        const MemTracker::AllocUnit* unit = MemTracker::FindAllocUnit(p);
        if (unit->m_pPrev && unit->m_pNext)
        {
            inner = p;
            break;
        }
    }
    ASSERT_NE(nullptr, inner);
    const MemTracker::AllocUnit* before = MemTracker::FindAllocUnit(inner)->m_pPrev;
    const MemTracker::AllocUnit* after = MemTracker::FindAllocUnit(inner)->m_pNext;

    void* moved = MemTracker::Reallocate("f.cpp", 2, "F", MemTracker::AT_Realloc, 100000, inner);
    ASSERT_NE(nullptr, moved);
    ASSERT_NE(inner, moved);
    EXPECT_EQ(after, before->m_pNext); // the old neighbours are joined
    EXPECT_EQ(before, after->m_pPrev);
    EXPECT_NE(nullptr, MemTracker::FindAllocUnit(moved));
    EXPECT_FALSE(MemTracker::ValidateAllAllocUnits()); // chains and unit count agree

    for (void*& p : blocks)
        if (p == inner)
            p = moved;
    for (void* p : blocks)
        MemTracker::Deallocate("f.cpp", 3, "F", MemTracker::AT_Free, p);
    EXPECT_FALSE(MemTracker::ValidateAllAllocUnits());
}

TEST(MemTracker, UnknownAddressesAndBreakFlags)
{
    int local = 0x12345678;
    testing::internal::CaptureStderr();
    const MemTracker::Statistics before = MemTracker::GetMemoryStatistics();
    EXPECT_EQ(nullptr, MemTracker::FindAllocUnit(&local));
    MemTracker::Deallocate("f.cpp", 1, "F", MemTracker::AT_Delete, &local);
    EXPECT_EQ(nullptr, MemTracker::Reallocate("f.cpp", 1, "F", MemTracker::AT_Realloc, 8, &local));
    MemTracker::BreakOnDealloc(&local) = true; // a harmless stand-in, not a crash
    const MemTracker::Statistics after = MemTracker::GetMemoryStatistics();

    int* p = new int(1);
    g_sink = p;
    MemTracker::BreakOnDealloc(p) = true;
    delete p;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0x12345678, local);
    EXPECT_EQ(before.m_uTotalAllocUnitCount, after.m_uTotalAllocUnitCount);
    EXPECT_EQ(before.m_uTotalActualMemory, after.m_uTotalActualMemory);
    EXPECT_NE(std::string::npos, err.find("release of an unknown address"));
    EXPECT_NE(std::string::npos, err.find("break on deallocation"));
}

TEST(MemTracker, OverAlignedNewIsTracked)
{
    struct alignas(64) Wide
    {
        char m_data[100];
    };
    const MemTracker::u32 units = MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount;
    Wide* w = new Wide;
    g_sink = w;
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(w) % 64);
    EXPECT_EQ(units + 1, MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount);
    std::memset(w->m_data, 0, sizeof(w->m_data));
    EXPECT_FALSE(MemTracker::ValidateAllAllocUnits());
    delete w;
    EXPECT_EQ(units, MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount);
}

TEST(MemTracker, NumberTexts)
{
    EXPECT_STREQ("999", MemTracker::InsertCommas(999));
    EXPECT_STREQ("1,000", MemTracker::InsertCommas(1000));
    EXPECT_STREQ("4,294,967,295", MemTracker::InsertCommas(4294967295u));
    EXPECT_STREQ("     1,024 bytes     ", MemTracker::MemorySizeString(1024));
    EXPECT_STREQ("     1,025 (   1.00K)", MemTracker::MemorySizeString(1025));
    EXPECT_STREQ(" 1,048,576 (1024.00K)", MemTracker::MemorySizeString(1048576));
    EXPECT_STREQ(" 1,048,577 (   1.00M)", MemTracker::MemorySizeString(1048577));
}

TEST(MemTracker, MemoryReportListsTheStatistics)
{
    const std::string path = testing::TempDir() + "vorm_memreport.log";
    const MemTracker::Statistics s = MemTracker::GetMemoryStatistics();
    MemTracker::DumpMemoryReport(path.c_str(), true);
    const std::vector<std::string> lines = CrLfLines(ReadFile(path));
    std::remove(path.c_str());
    ASSERT_EQ(33u + 3 + s.m_uTotalAllocUnitCount, lines.size());
    EXPECT_TRUE(Fits(lines[1], "|" + std::string(45, ' ') + "Memory report for: " + kDateTime +
                                   std::string(47, ' ') + "|"))
        << lines[1];
    EXPECT_EQ("|" + std::string(59, ' ') + "T O T A L S" + std::string(60, ' ') + "|", lines[6]);
    EXPECT_EQ(std::string("           Memory tracking overhead: ") +
                  MemTracker::MemorySizeString(s.m_uTotalActualMemory - s.m_uTotalReportedMemory),
              lines[11]);
    EXPECT_EQ("|" + std::string(54, ' ') + "A C C U M U L A T E D" + std::string(55, ' ') + "|", lines[22]);
    EXPECT_EQ(std::string("              Allocation unit count: ") +
                  MemTracker::MemorySizeString(s.m_uAccumulatedAllocUnitCount),
              lines[24]);
    EXPECT_EQ(kTableHead[0], lines[33]);
}
