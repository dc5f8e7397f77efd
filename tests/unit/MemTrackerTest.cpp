#include "Core/Memory/MemTracker.h"

#include "ModelTestFiles.h"
#include "ProbeRun.h"
#include "TrackerLog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using Vorm::MemTracker;

namespace {

// Defeats new/delete elision for blocks a test only inspects.
void* volatile g_sink;
void* volatile g_null;

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

// An address as the log and the reports write it.
std::string Hex(const void* p)
{
    char text[24];
    std::snprintf(text, sizeof(text), "0x%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
    return text;
}

std::string Owner(const char* file, unsigned line, const char* function)
{
    char text[128];
    std::snprintf(text, sizeof(text), "%s(%05u)::%s", file, line, function);
    return text;
}

ProbeRun RunMemTrackProbe(const std::string& mode)
{
    return RunProbe(VORM_PROBE_DIR "/memtrack_probe", mode);
}

const std::string kDashes(80, '-');
const std::string kBorder = " " + std::string(130, '-') + " ";
const std::size_t kHeaderLines = 28;
const char* const kTableHead[] = {
    "Alloc.   Addr       Size       Addr       Size                        BreakOn BreakOn              ",
    "Number Reported   Reported    Actual     Actual     Unused    Method  Dealloc Realloc Allocated by ",
    "------ ---------- ---------- ---------- ---------- ---------- -------- ------- ------- --------------------------------------------------- "};

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

// The error and information lines "memory.log" gets while f runs.
template <typename F>
std::vector<std::string> ReportsOf(F f)
{
    std::vector<std::string> reports;
    for (const std::string& line : CrLfLines(TrackerLogOf(f)))
        if (line.compare(0, 3, "[!]") == 0 || line.compare(0, 3, "[I]") == 0)
            reports.push_back(line);
    return reports;
}

} // namespace

// --- whole runs of a probe program in a fresh directory ---------------------

TEST(MemTrackerProbe, LeakReportAtExit)
{
    // "late" frees its block after the tracker's own destruction wrote the
    // report; "mismatch" frees a new[] block with delete.
    for (const char* mode : {"clean", "late", "mismatch"})
    {
        SCOPED_TRACE(mode);
        const ProbeRun run = RunMemTrackProbe(mode);
        ASSERT_EQ(0, run.status) << run.err;
        EXPECT_TRUE(AfterHeader(CrLfLines(run.memoryLog)).empty());
        EXPECT_EQ((std::vector<std::string>{"Congratulations! No memory leaks found!", ""}), LeakBody(CrLfLines(run.leakLog)));
        const bool breaks = run.err.find("allocation and release forms do not match") != std::string::npos;
        EXPECT_EQ(std::string(mode) == "mismatch", breaks) << run.err;
    }

    const ProbeRun run = RunMemTrackProbe("leak");
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_TRUE(AfterHeader(CrLfLines(run.memoryLog)).empty());
    const std::vector<std::string> body = LeakBody(CrLfLines(run.leakLog));
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
    EXPECT_EQ(Owner("memtrack_probe.cpp", std::atoi(run.out.c_str()), "Vorm::Probe::Leak"),
              row.substr(fixed.size()));
}

// A log file that cannot be opened (here a directory in its place, which
// stops even a writer that may write anywhere) is reported once, not for
// every line or report that is lost.
TEST(MemTrackerProbe, ALogThatCannotBeOpenedIsReportedOnce)
{
    const ProbeRun run = RunProbe(VORM_PROBE_DIR "/memtrack_probe", "mismatch", [](const TempFolder& folder) {
        for (const char* log : {"memory.log/keep", "memleaks.log/keep"})
            std::filesystem::create_directories(folder.Path(log));
    });
    ASSERT_EQ(0, run.status) << run.err;
    // For the header's lines and the break's "[!]" lines, then the report at exit.
    const std::string prefix = "MemTracker: debugger break (no debugger attached): ";
    EXPECT_EQ(prefix + "cannot open memory.log: its lines are lost until it opens\n" + prefix +
                  "allocation and release forms do not match\n" + prefix +
                  "cannot open memleaks.log: the leak report is lost until it opens\n",
              run.err);
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

const unsigned kBytesLine = __LINE__ + 1;
char* MakeBytes() { return VORM_NEW char[10]; }

// One of each logged kind of operation; line[] gets their source lines.
MemTracker::u32 LogEveryKind(unsigned (&line)[4], const void*& block)
{
    line[0] = __LINE__ + 1;
    int* p = VORM_NEW int(7);
    block = p;
    const MemTracker::u32 number = MemTracker::FindAllocUnit(p)->m_uAllocationNumber;
    line[1] = __LINE__ + 1;
    VORM_DELETE p;
    int* none = static_cast<int*>(g_null);
    VORM_DELETE none; // g++ calls no operator delete here; the owner is reset all the same
    line[2] = __LINE__ + 1;
    MemTracker::SetOwner(__FILE__, __LINE__, VORM_FUNCTION_NAME);
    ::operator delete(g_null);
    line[3] = __LINE__ + 1;
    MemTracker::SetOwner(__FILE__, __LINE__, VORM_FUNCTION_NAME);
    MemTracker::SetOwner(__FILE__, __LINE__, VORM_FUNCTION_NAME);
    MemTracker::ResetGlobals();
    return number;
}

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

// The owner texts, sizes and type of a unit are pinned by the damage report below.
TEST(MemTracker, UnitsRecordNumberAndStatistics)
{
    const MemTracker::Statistics s0 = MemTracker::GetMemoryStatistics();
    char* p = Vorm::NameProbe::MakeBytes();
    int* q = new int(6); // no owner set: the previous one was reset
    g_sink = q;
    const MemTracker::Statistics s1 = MemTracker::GetMemoryStatistics();
    const MemTracker::AllocUnit* a = MemTracker::FindAllocUnit(p);
    const MemTracker::AllocUnit* b = MemTracker::FindAllocUnit(q);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(0u, b->m_uSourceLine); // the "??" texts are checked with reused records
    EXPECT_EQ(a->m_uAllocationNumber + 1, b->m_uAllocationNumber);
    EXPECT_EQ(s0.m_uAccumulatedAllocUnitCount + 2, s1.m_uAccumulatedAllocUnitCount);
    EXPECT_EQ(s0.m_uTotalAllocUnitCount + 2, s1.m_uTotalAllocUnitCount);
    EXPECT_EQ(s0.m_uTotalReportedMemory + 14, s1.m_uTotalReportedMemory);
    EXPECT_EQ(s0.m_uTotalActualMemory + 78, s1.m_uTotalActualMemory);
    EXPECT_EQ(s0.m_uAccumulatedActualMemory + 78, s1.m_uAccumulatedActualMemory);
    EXPECT_GE(s1.m_uPeakActualMemory, s1.m_uTotalActualMemory);
    delete q;
    VORM_DELETE[] p;
    const MemTracker::Statistics s2 = MemTracker::GetMemoryStatistics();
    EXPECT_EQ(s0.m_uTotalAllocUnitCount, s2.m_uTotalAllocUnitCount);
    EXPECT_EQ(s0.m_uTotalActualMemory, s2.m_uTotalActualMemory);
    EXPECT_EQ(s1.m_uAccumulatedActualMemory, s2.m_uAccumulatedActualMemory);
}

TEST(MemTracker, AlwaysLogAllWritesEveryOperation)
{
    unsigned line[4];
    const void* block = nullptr;
    MemTracker::u32 number = 0;
    const std::vector<std::string> log =
        CrLfLines(TrackerLogOf([&] { number = Vorm::NameProbe::LogEveryKind(line, block); }));
    const char* const function = "Vorm::NameProbe::LogEveryKind";
    char head[64];
    std::snprintf(head, sizeof(head), "[+] %05u      new of size 0x00000004(00000004) by ", number);
    const std::vector<std::string> expected = {
        head + Owner("MemTrackerTest.cpp", line[0], function),
        "[+] ---->             addr " + Hex(block),
        "[-] -----   delete of addr " + Hex(block) + "           by " + Owner("MemTrackerTest.cpp", line[1], function),
        // The null VORM_DELETE before it reset the owner: no destructor-chain note.
        "[-] -----   delete of NULL                      by " + Owner("MemTrackerTest.cpp", line[2], function),
        "[I] NOTE! Possible destructor chain: previous owner is " + Owner("MemTrackerTest.cpp", line[3], function)};
    EXPECT_EQ(expected, log);
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

TEST(MemTracker, GuardDamageIsFoundByValidationAndOnRelease)
{
    MemTracker::AllocUnit copy{};
    testing::internal::CaptureStderr();
    const std::vector<std::string> reports = ReportsOf([&] {
        const MemTracker::u32 units = MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount;
        char* a = Vorm::NameProbe::MakeBytes();
        g_sink = a;
        const MemTracker::AllocUnit* unit = MemTracker::FindAllocUnit(a);
        copy = *unit;
        EXPECT_TRUE(MemTracker::ValidateAllocUnit(unit));
        EXPECT_FALSE(MemTracker::ValidateAllAllocUnits());
        char* raw = static_cast<char*>(unit->m_pActualAddress);
        const char saved = raw[15];
        raw[15] = 0; // one before the start
        EXPECT_TRUE(MemTracker::ValidateAllAllocUnits());
        raw[15] = saved;
        EXPECT_TRUE(MemTracker::ValidateAllocUnit(unit));
        static_cast<char*>(g_sink)[10] = 'x'; // one past the end
        EXPECT_FALSE(MemTracker::ValidateAllocUnit(unit));
        delete[] a;
        EXPECT_EQ(units, MemTracker::GetMemoryStatistics().m_uTotalAllocUnitCount); // released all the same
    });
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("guard word underrun"));
    EXPECT_NE(std::string::npos, err.find("release of a damaged unit"));

    std::vector<std::string> expected;
    for (const char* kind : {"underrun", "overrun", "overrun"}) // the scan, the check, the release
    {
        expected.push_back(std::string("[!] A memory allocation unit was corrupt because of an ") + kind + ":");
        expected.push_back("[I]   Address (reported): " + Hex(copy.m_pReportedAddress));
        expected.push_back("[I]   Address (actual)  : " + Hex(copy.m_pActualAddress));
        expected.push_back("[I]   Size (reported)   : 0x0000000A (        10 bytes     )");
        expected.push_back("[I]   Size (actual)     : 0x0000002A (        42 bytes     )");
        expected.push_back("[I]   Owner             : MemTrackerTest.cpp(" +
                           std::to_string(Vorm::NameProbe::kBytesLine) + ")::Vorm::NameProbe::MakeBytes");
        expected.push_back("[I]   Allocation type   : new[]");
        expected.push_back("[I]   Allocation number : " + std::to_string(copy.m_uAllocationNumber));
    }
    expected.insert(expected.begin() + 8,
                    "[!] While validting all allocation units, 1 allocation unit(s) were found to have problems");
    EXPECT_EQ(expected, reports);
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

// Unknown addresses, and sizes whose actual size would not fit the unit's field.
TEST(MemTracker, RefusedRequestsChangeNothing)
{
    int local = 0x12345678;
    void* small = MemTracker::Allocate("f.cpp", 1, "F", MemTracker::AT_Malloc, 8);
    const std::size_t tooBig = std::size_t(0xFFFFFFFFu) - 31;
    MemTracker::Statistics before, after;
    std::string caught = "no exception";
    testing::internal::CaptureStderr();
    const std::vector<std::string> reports = ReportsOf([&] {
        before = MemTracker::GetMemoryStatistics();
        EXPECT_EQ(nullptr, MemTracker::FindAllocUnit(&local));
        MemTracker::Deallocate("f.cpp", 1, "F", MemTracker::AT_Delete, &local);
        EXPECT_EQ(nullptr, MemTracker::Reallocate("f.cpp", 1, "F", MemTracker::AT_Realloc, 8, &local));
        MemTracker::BreakOnDealloc(&local) = true; // a harmless stand-in, not a crash
        MemTracker::BreakOnRealloc(&local) = true;
        EXPECT_EQ(nullptr, MemTracker::Allocate("f.cpp", 1, "F", MemTracker::AT_Malloc, tooBig));
        EXPECT_EQ(nullptr, MemTracker::Reallocate("f.cpp", 1, "F", MemTracker::AT_Realloc, tooBig, small));
        EXPECT_EQ(nullptr, ::operator new(tooBig, std::nothrow));
        try
        {
            g_sink = ::operator new[](tooBig);
        }
        catch (const std::bad_alloc& e)
        {
            caught = e.what();
        }
        after = MemTracker::GetMemoryStatistics();
    });
    int* p = new int(1);
    g_sink = p;
    MemTracker::BreakOnDealloc(p) = true;
    delete p;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, err.find("release of an unknown address"));
    EXPECT_NE(std::string::npos, err.find("break on deallocation"));
    EXPECT_EQ(0x12345678, local);
    EXPECT_EQ("bad allocation", caught);
    EXPECT_EQ(before.m_uTotalAllocUnitCount, after.m_uTotalAllocUnitCount);
    EXPECT_EQ(before.m_uTotalActualMemory, after.m_uTotalActualMemory);
    EXPECT_EQ(8u, MemTracker::FindAllocUnit(small)->m_uReportedSize);
    MemTracker::Deallocate("f.cpp", 1, "F", MemTracker::AT_Free, small);
    const std::string oom = "[!] Request for allocation failed. Out of memory.";
    EXPECT_EQ((std::vector<std::string>{"[!] Request to deallocate RAM that was never allocated",
                                         "[!] Request to reallocate RAM that was never allocated", oom,
                                         "[!] Request for reallocation failed. Out of memory.", oom, oom}),
              reports);
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

TEST(MemTracker, NumberTextsAndMemoryReport)
{
    EXPECT_STREQ("999", MemTracker::InsertCommas(999));
    EXPECT_STREQ("1,000", MemTracker::InsertCommas(1000));
    EXPECT_STREQ("4,294,967,295", MemTracker::InsertCommas(4294967295u));
    EXPECT_STREQ("     1,024 bytes     ", MemTracker::MemorySizeString(1024));
    EXPECT_STREQ("     1,025 (   1.00K)", MemTracker::MemorySizeString(1025));
    EXPECT_STREQ(" 1,048,576 (1024.00K)", MemTracker::MemorySizeString(1048576));
    EXPECT_STREQ(" 1,048,577 (   1.00M)", MemTracker::MemorySizeString(1048577));

    const std::string path = testing::TempDir() + "vorm_memreport.log";
    const MemTracker::Statistics s = MemTracker::GetMemoryStatistics();
    MemTracker::DumpMemoryReport(path.c_str(), true);
    const std::vector<std::string> lines = CrLfLines(ModelTestFiles::ReadText(path));
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
