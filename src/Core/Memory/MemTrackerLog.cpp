// Tracking allocator: "memory.log" with its header and lines, the leak report
// "memleaks.log", the memory report and the number texts they use.
#include "Core/Memory/MemTracker.h"

#include "MemTrackerState.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace Vorm {

namespace MemTrackerState {

namespace {

char s_logBuffer[2048];
char s_ownerBuffer[90];
char s_commaBuffer[30];
char s_sizeBuffer[64];

// A log file that cannot be opened is reported once, not at every line or
// report written after it, until it opens again.
bool s_logUnavailable;
bool s_leakReportUnavailable;

const char kBorderLine[] =
    " ---------------------------------------------------------------------------------------------------------------------------------- ";

// A report section's title between two border lines.
void WriteBoxedTitle(std::FILE* fp, const char* title)
{
    std::fprintf(fp, "%s\r\n%s\r\n%s\r\n", kBorderLine, title, kBorderLine);
}

} // namespace

std::tm LocalTime()
{
    const std::time_t t = std::time(nullptr);
    const std::tm* lt = std::localtime(&t);
    std::tm result{};
    if (lt)
        result = *lt;
    return result;
}
VORM_MEM_COLD const char* OwnerString(const char* file, u32 line, const char* func)
{
    std::memset(s_ownerBuffer, 0, sizeof(s_ownerBuffer));
    std::snprintf(s_ownerBuffer, sizeof(s_ownerBuffer), "%s(%05u)::%s", SourceFileStripper(file),
                  line, func ? func : kUnknownOwner);
    return s_ownerBuffer;
}
VORM_MEM_COLD void Log(const char* format, ...)
{
    if (s_cleanupLogOnFirstRun)
        DumpLogHeader();

    va_list args;
    va_start(args, format);
    std::vsnprintf(s_logBuffer, sizeof(s_logBuffer), format, args);
    va_end(args);

    std::FILE* fp = std::fopen(kLogFileName, "ab");
    if (!fp)
    {
        if (!s_logUnavailable)
            Break("cannot open memory.log: its lines are lost until it opens");
        s_logUnavailable = true;
        return;
    }
    s_logUnavailable = false;
    std::fprintf(fp, "%s\r\n", s_logBuffer);
    std::fclose(fp);
}

void DumpLogHeader()
{
    s_cleanupLogOnFirstRun = false;
    std::remove(kLogFileName);

    const std::time_t t = std::time(nullptr);
    const std::tm* lt = std::localtime(&t);
    const char* const dashes =
        "--------------------------------------------------------------------------------";
    Log("%s", dashes);
    Log("%s", "");
    Log("      %s - Memory logging file created on %s", kLogFileName, lt ? std::asctime(lt) : "\n");
    Log("%s", dashes);
    Log("%s", "");
    Log("This file contains a log of all memory operations performed during the last run.");
    Log("%s", "");
    Log("Interrogate this file to track errors or to help track down memory-related");
    Log("issues. You can do this by tracing the allocations performed by a specific owner");
    Log("or by tracking a specific address through a series of allocations and");
    Log("reallocations.");
    Log("%s", "");
    Log("There is a lot of useful information here which, when used creatively, can be");
    Log("extremely helpful.");
    Log("%s", "");
    Log("Note that the following guides are used throughout this file:");
    Log("%s", "");
    Log("   [!] - Error");
    Log("   [+] - Allocation");
    Log("   [~] - Reallocation");
    Log("   [-] - Deallocation");
    Log("   [I] - Generic information");
    Log("   [F] - Failure induced for the purpose of stress-testing your application");
    Log("   [D] - Information used for debugging this memory manager");
    Log("%s", "");
    Log("...so, to find all errors in the file, search for \"[!]\"");
    Log("%s", "");
    Log("%s", dashes);
}
VORM_MEM_COLD void LogAllocation(const char* file, unsigned line, const char* function, u32 allocationType,
                                 std::size_t reportedSize)
{
    Log("[+] %05u %8s of size 0x%08zX(%08zu) by %s", s_currentAllocation, TypeName(allocationType),
        reportedSize, reportedSize, OwnerString(file, line, function));
}

VORM_MEM_COLD void LogDeallocation(const char* file, unsigned line, const char* function, u32 deallocationType,
                                   const void* reportedAddress)
{
    Log("[-] ----- %8s of addr 0x%016llX           by %s", TypeName(deallocationType),
        AddressValue(reportedAddress), OwnerString(file, line, function));
}

} // namespace MemTrackerState

using namespace MemTrackerState;

void MemTracker::DumpAllocUnit(const AllocUnit* unit, const char* prefix)
{
    Log("[I] %sAddress (reported): 0x%016llX", prefix, AddressValue(unit->m_pReportedAddress));
    Log("[I] %sAddress (actual)  : 0x%016llX", prefix, AddressValue(unit->m_pActualAddress));
    Log("[I] %sSize (reported)   : 0x%08X (%s)", prefix, unit->m_uReportedSize,
        MemorySizeString(unit->m_uReportedSize));
    Log("[I] %sSize (actual)     : 0x%08X (%s)", prefix, unit->m_uActualSize,
        MemorySizeString(unit->m_uActualSize));
    Log("[I] %sOwner             : %s(%u)::%s", prefix, unit->m_szSourceFile, unit->m_uSourceLine,
        unit->m_szSourceFunc);
    Log("[I] %sAllocation type   : %s", prefix, TypeName(unit->m_uAllocationType));
    Log("[I] %sAllocation number : %u", prefix, unit->m_uAllocationNumber);
}

void MemTracker::DumpAllocations(std::FILE* fp)
{
    std::fprintf(fp, "Alloc.   Addr       Size       Addr       Size                        BreakOn BreakOn              \r\n");
    std::fprintf(fp, "Number Reported   Reported    Actual     Actual     Unused    Method  Dealloc Realloc Allocated by \r\n");
    std::fprintf(fp, "------ ---------- ---------- ---------- ---------- ---------- -------- ------- ------- --------------------------------------------------- \r\n");

    for (u32 i = 0; i < kHashSize; ++i)
    {
        for (const AllocUnit* unit = s_hashTable[i]; unit; unit = unit->m_pNext)
        {
            if (unit->m_bLibrary)
                continue;
            std::fprintf(fp, "%06u 0x%016llX 0x%08X 0x%016llX 0x%08X 0x%08X %-8s    %c       %c    %s\r\n",
                         unit->m_uAllocationNumber, AddressValue(unit->m_pReportedAddress),
                         unit->m_uReportedSize, AddressValue(unit->m_pActualAddress), unit->m_uActualSize,
                         CalcUnused(unit), TypeName(unit->m_uAllocationType),
                         unit->m_bBreakOnDealloc ? 'Y' : 'N', unit->m_bBreakOnRealloc ? 'Y' : 'N',
                         OwnerString(unit->m_szSourceFile, unit->m_uSourceLine, unit->m_szSourceFunc));
        }
    }
}

void MemTracker::DumpLeakReport()
{
    std::FILE* fp = std::fopen(kLeakFileName, "w+b");
    if (!fp)
    {
        if (!s_leakReportUnavailable)
            Break("cannot open memleaks.log: the leak report is lost until it opens");
        s_leakReportUnavailable = true;
        return;
    }
    s_leakReportUnavailable = false;

    const std::tm lt = LocalTime();
    std::fprintf(fp, "%s\r\n", kBorderLine);
    std::fprintf(fp, "|                                          Memory leak report for:  %02d/%02d/%04d %02d:%02d:%02d                                            |\r\n",
                 lt.tm_mon + 1, lt.tm_mday, lt.tm_year + 1900, lt.tm_hour, lt.tm_min, lt.tm_sec);
    std::fprintf(fp, "%s\r\n", kBorderLine);
    std::fprintf(fp, "\r\n\r\n");

    const u32 leaks = s_stats.m_uTotalAllocUnitCount;
    if (leaks)
    {
        std::fprintf(fp, "%u memory leak%s found:\r\n", leaks, leaks == 1 ? "" : "s");
    }
    else
    {
        std::fprintf(fp, "Congratulations! No memory leaks found!\r\n");
        // Nothing is live: every record is back in the reservoir. Blocks of
        // shared libraries may still be, and keep their records.
        if (s_libraryUnitCount == 0)
            FreeReservoir();
    }
    std::fprintf(fp, "\r\n");

    if (leaks)
        DumpAllocations(fp);

    std::fclose(fp);
}
void MemTracker::DumpMemoryReport(const char* path, bool overwrite)
{
    std::FILE* fp = std::fopen(path, overwrite ? "w+b" : "ab");
    if (!fp)
    {
        Break("cannot open the memory report file");
        return;
    }

    const std::tm lt = LocalTime();
    std::fprintf(fp, "%s\r\n", kBorderLine);
    std::fprintf(fp, "|                                             Memory report for: %02d/%02d/%04d %02d:%02d:%02d                                               |\r\n",
                 lt.tm_mon + 1, lt.tm_mday, lt.tm_year + 1900, lt.tm_hour, lt.tm_min, lt.tm_sec);
    std::fprintf(fp, "%s\r\n", kBorderLine);
    std::fprintf(fp, "\r\n\r\n");

    WriteBoxedTitle(fp, "|                                                           T O T A L S                                                            |");
    std::fprintf(fp, "              Allocation unit count: %10s\r\n", InsertCommas(s_stats.m_uTotalAllocUnitCount));
    std::fprintf(fp, "            Reported to application: %s\r\n", MemorySizeString(s_stats.m_uTotalReportedMemory));
    std::fprintf(fp, "         Actual total memory in use: %s\r\n", MemorySizeString(s_stats.m_uTotalActualMemory));
    std::fprintf(fp, "           Memory tracking overhead: %s\r\n",
                 MemorySizeString(s_stats.m_uTotalActualMemory - s_stats.m_uTotalReportedMemory));
    std::fprintf(fp, "\r\n");

    WriteBoxedTitle(fp, "|                                                            P E A K S                                                             |");
    std::fprintf(fp, "              Allocation unit count: %10s\r\n", InsertCommas(s_stats.m_uPeakAllocUnitCount));
    std::fprintf(fp, "            Reported to application: %s\r\n", MemorySizeString(s_stats.m_uPeakReportedMemory));
    std::fprintf(fp, "                             Actual: %s\r\n", MemorySizeString(s_stats.m_uPeakActualMemory));
    std::fprintf(fp, "           Memory tracking overhead: %s\r\n",
                 MemorySizeString(s_stats.m_uPeakActualMemory - s_stats.m_uPeakReportedMemory));
    std::fprintf(fp, "\r\n");

    WriteBoxedTitle(fp, "|                                                      A C C U M U L A T E D                                                       |");
    std::fprintf(fp, "              Allocation unit count: %s\r\n", MemorySizeString(s_stats.m_uAccumulatedAllocUnitCount));
    std::fprintf(fp, "            Reported to application: %s\r\n", MemorySizeString(s_stats.m_uAccumulatedReportedMemory));
    std::fprintf(fp, "                             Actual: %s\r\n", MemorySizeString(s_stats.m_uAccumulatedActualMemory));
    std::fprintf(fp, "\r\n");

    WriteBoxedTitle(fp, "|                                                           U N U S E D                                                            |");
    std::fprintf(fp, "    Memory allocated but not in use: %s\r\n", MemorySizeString(CalcAllUnused()));
    std::fprintf(fp, "\r\n");

    DumpAllocations(fp);
    std::fclose(fp);
}
const char* MemTracker::InsertCommas(u32 value)
{
    char digits[16];
    const int count = std::snprintf(digits, sizeof(digits), "%u", value);
    int o = 0;
    for (int i = 0; i < count; ++i)
    {
        if (i > 0 && (count - i) % 3 == 0)
            s_commaBuffer[o++] = ',';
        s_commaBuffer[o++] = digits[i];
    }
    s_commaBuffer[o] = '\0';
    return s_commaBuffer;
}

const char* MemTracker::MemorySizeString(u32 size)
{
    if (size > 1024 * 1024)
        std::snprintf(s_sizeBuffer, sizeof(s_sizeBuffer), "%10s (%7.2fM)", InsertCommas(size),
                      static_cast<double>(size) / (1024.0 * 1024.0));
    else if (size > 1024)
        std::snprintf(s_sizeBuffer, sizeof(s_sizeBuffer), "%10s (%7.2fK)", InsertCommas(size),
                      static_cast<double>(size) / 1024.0);
    else
        std::snprintf(s_sizeBuffer, sizeof(s_sizeBuffer), "%10s bytes     ", InsertCommas(size));
    return s_sizeBuffer;
}

} // namespace Vorm
