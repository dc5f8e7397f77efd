// Tracking allocator: the allocation units, their hash table and reservoir,
// guard checks and statistics, and the static object that brackets the run.
#include "Core/Memory/MemTracker.h"

#include "MemTrackerState.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Vorm {

namespace MemTrackerState {

AllocUnit* s_hashTable[kHashSize];
AllocUnit* s_reservoir;
AllocUnit** s_reservoirBuffer;
u32 s_reservoirBufferSize;
u32 s_currentAllocation;
u32 s_breakOnAllocationCount;

const char kUnknownOwner[3] = "??";

const char* s_sourceFile = kUnknownOwner;
u32 s_sourceLine;
const char* s_sourceFunc = kUnknownOwner;

bool s_alwaysValidateAll;
bool s_alwaysLogAll;
bool s_alwaysWipeAll = true;
bool s_randomWipe;
bool s_cleanupLogOnFirstRun = true;
bool s_staticDeinitTime;

MemTracker::Statistics s_stats;
u32 s_libraryUnitCount;

namespace {

// BreakOnDealloc/BreakOnRealloc hand this out when there is no unit.
bool s_dummyBreakFlag;

// A debugger break: a trap only with a tracer attached; otherwise a note on
// stderr, and the caller goes on as after a resumed break.
bool DebuggerAttached()
{
    const int fd = ::open("/proc/self/status", O_RDONLY);
    if (fd < 0)
        return false;
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof(buf) - 1);
    ::close(fd);
    if (n <= 0)
        return false;
    buf[n] = '\0';
    const char* tracer = std::strstr(buf, "TracerPid:");
    if (!tracer)
        return false;
    return std::atoi(tracer + 10) != 0;
}

} // namespace

VORM_MEM_COLD void Break(const char* reason)
{
    if (DebuggerAttached())
    {
        std::raise(SIGTRAP);
        return;
    }
    std::fprintf(stderr, "MemTracker: debugger break (no debugger attached): %s\n", reason);
}

// Fails the current operation with an error text.
VORM_MEM_COLD void* Fail(const char* text)
{
    Log("[!] %s", text);
    MemTracker::ResetGlobals();
    return nullptr;
}

const size_t kReservoirBlockBytes = sizeof(AllocUnit) * kReservoirGrow;

// Record blocks come from pages of their own, not from the heap the program
// allocates from: interleaved with its blocks they would double the distance
// between objects allocated one after the other, and so the memory that a
// walk over a large scene has to stream through. Fresh pages are zero.
VORM_MEM_COLD bool GrowReservoir()
{
    void* pages = mmap(nullptr, kReservoirBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        return false;
    AllocUnit* block = static_cast<AllocUnit*>(pages);
    for (u32 i = 0; i < kReservoirGrow - 1; ++i)
        block[i].m_pNext = &block[i + 1];
    s_reservoir = block;

    AllocUnit** buffer = static_cast<AllocUnit**>(
        std::realloc(s_reservoirBuffer, (s_reservoirBufferSize + 1) * sizeof(AllocUnit*)));
    if (buffer)
    {
        s_reservoirBuffer = buffer;
        s_reservoirBuffer[s_reservoirBufferSize++] = block;
    }
    else
    {
        Break("cannot remember a reservoir block");
    }
    return true;
}

void FreeReservoir()
{
    for (u32 i = 0; i < s_reservoirBufferSize; ++i)
        munmap(s_reservoirBuffer[i], kReservoirBlockBytes);
    std::free(s_reservoirBuffer);
    s_reservoirBuffer = nullptr;
    s_reservoirBufferSize = 0;
    s_reservoir = nullptr;
}
VORM_MEM_COLD u32 RandomPattern()
{
    u32 pattern = 0;
    for (int i = 0; i < 4; ++i)
        pattern = (pattern << 8) | (static_cast<u32>(std::rand()) & 0xFF);
    return pattern;
}

// The checks of a release that found something to complain about.
VORM_MEM_COLD void ReportReleaseProblems(AllocUnit* unit, u32 deallocationType, bool guardsIntact)
{
    if (!guardsIntact && !MemTracker::ValidateAllocUnit(unit))
        Break("release of a damaged unit");
    if (deallocationType == MemTracker::AT_Unknown)
        Break("release of unknown type");

    const u32 type = unit->m_uAllocationType;
    const bool fromMallocFamily =
        type == MemTracker::AT_Malloc || type == MemTracker::AT_Calloc || type == MemTracker::AT_Realloc;
    const bool compatible = (deallocationType == MemTracker::AT_Delete && type == MemTracker::AT_New) ||
                            (deallocationType == MemTracker::AT_DeleteArray && type == MemTracker::AT_NewArray) ||
                            (deallocationType == MemTracker::AT_Free && fromMallocFamily) ||
                            deallocationType == MemTracker::AT_Unknown;
    if (!compatible)
        Break("allocation and release forms do not match");
    if (unit->m_bBreakOnDealloc)
        Break("break on deallocation");
}

} // namespace MemTrackerState

using namespace MemTrackerState;

// ---------------------------------------------------------------------------

// Built before and destroyed after the program's other static objects, so
// the header comes first and the leak report sees their releases.
MemTracker MemTracker::s_tracker __attribute__((init_priority(101)));

MemTracker::MemTracker()
{
    if (s_cleanupLogOnFirstRun)
        DumpLogHeader();
}

MemTracker::~MemTracker()
{
    s_staticDeinitTime = true;
    DumpLeakReport();
}

void MemTracker::SetOwner(const char* file, unsigned line, const char* function)
{
    if (s_sourceLine && s_alwaysLogAll)
        Log("[I] NOTE! Possible destructor chain: previous owner is %s",
            OwnerString(s_sourceFile, s_sourceLine, s_sourceFunc));
    s_sourceFile = file;
    s_sourceLine = line;
    s_sourceFunc = function;
}

void MemTracker::ResetGlobals()
{
    ResetOwner();
}

void* MemTracker::Allocate(const char* file, unsigned line, const char* function,
                           u32 allocationType, std::size_t reportedSize)
{
    return DoAllocate(file, line, function, allocationType, reportedSize);
}

void* MemTracker::Reallocate(const char* file, unsigned line, const char* function,
                             u32 reallocationType, std::size_t reportedSize, void* reportedAddress)
{
    if (!reportedAddress)
        return Allocate(file, line, function, reallocationType, reportedSize);

    CountAllocation();
    if (s_alwaysLogAll)
        Log("[~] %05u %8s of size 0x%08zX(%08zu) by %s", s_currentAllocation, TypeName(reallocationType),
            reportedSize, reportedSize, OwnerString(file, line, function));
    CheckBreakOnAllocation();

    AllocUnit* unit = FindAllocUnit(reportedAddress);
    if (!unit)
    {
        Break("reallocation of an unknown address");
        return Fail("Request to reallocate RAM that was never allocated");
    }

    if (!ValidateAllocUnit(unit))
        Break("reallocation of a damaged unit");
    if (unit->m_uAllocationType == AT_Unknown)
        Break("reallocation of a unit of unknown type");
    if (unit->m_uAllocationType != AT_Malloc && unit->m_uAllocationType != AT_Calloc &&
        unit->m_uAllocationType != AT_Realloc)
        Break("reallocation of a block not from the malloc family");
    if (unit->m_bBreakOnRealloc)
        Break("break on reallocation");

    const u32 originalReportedSize = unit->m_uReportedSize;
    if (s_alwaysLogAll)
        Log("[~] ---->             from 0x%08X(%08u)", originalReportedSize, originalReportedSize);

    void* newActualAddress =
        SizeFits(reportedSize) ? std::realloc(unit->m_pActualAddress, reportedSize + kOverhead) : nullptr;
    if (!newActualAddress)
    {
        Break("reallocation failed");
        return Fail("Request for reallocation failed. Out of memory.");
    }

    SubtractTotals(unit);
    void* const oldReportedAddress = unit->m_pReportedAddress;
    unit->m_uActualSize = static_cast<u32>(reportedSize) + kOverhead;
    unit->m_pActualAddress = newActualAddress;
    unit->m_uReportedSize = static_cast<u32>(reportedSize);
    unit->m_pReportedAddress = static_cast<char*>(newActualAddress) + kGuardBytes;
    unit->m_uAllocationType = reallocationType;
    unit->m_uAllocationNumber = s_currentAllocation;
    std::memset(unit->m_szSourceFile, 0, sizeof(unit->m_szSourceFile));
    std::memset(unit->m_szSourceFunc, 0, sizeof(unit->m_szSourceFunc));
    UseOwner(unit, file, line, function);

    if (unit->m_pReportedAddress != oldReportedAddress)
    {
        Unlink(unit, oldReportedAddress);
        Link(unit);
    }

    AddTotals(unit);
    const std::int64_t growth = static_cast<std::int64_t>(unit->m_uReportedSize) - originalReportedSize;
    if (growth > 0)
    {
        s_stats.m_uAccumulatedReportedMemory += static_cast<u32>(growth);
        s_stats.m_uAccumulatedActualMemory += static_cast<u32>(growth);
    }

    Wipe(unit, kUnusedPattern, originalReportedSize);
    if (!ValidateAllocUnit(unit))
        Break("reallocated unit is damaged");
    if (s_alwaysValidateAll)
        ValidateAllAllocUnits();
    if (s_alwaysLogAll)
        Log("[~] ---->             addr 0x%016llX", AddressValue(unit->m_pReportedAddress));

    ResetGlobals();
    return unit->m_pReportedAddress;
}

void MemTracker::Deallocate(const char* file, unsigned line, const char* function,
                            u32 deallocationType, const void* reportedAddress)
{
    DoDeallocate(file, line, function, deallocationType, reportedAddress);
}

MemTracker::AllocUnit* MemTracker::FindAllocUnit(const void* reportedAddress)
{
    if (!reportedAddress)
    {
        Break("lookup of a null address");
        return nullptr;
    }
    return Lookup(reportedAddress);
}

bool MemTracker::ValidateAddress(const void* reportedAddress)
{
    return FindAllocUnit(reportedAddress) != nullptr;
}

bool MemTracker::ValidateAllocUnit(const AllocUnit* unit)
{
    if (GuardsIntact(unit))
        return true;

    const unsigned char* pre = static_cast<const unsigned char*>(unit->m_pActualAddress);
    const unsigned char* post = pre + unit->m_uActualSize - kGuardBytes;

    bool ok = true;
    for (u32 i = 0; i < 4; ++i)
    {
        u32 word;
        std::memcpy(&word, pre + i * 4, 4);
        if (word != kPrefixPattern)
        {
            Log("[!] A memory allocation unit was corrupt because of an underrun:");
            DumpAllocUnit(unit, "  ");
            ok = false;
            Break("guard word underrun");
        }
        std::memcpy(&word, post + i * 4, 4);
        if (word != kPostfixPattern)
        {
            Log("[!] A memory allocation unit was corrupt because of an overrun:");
            DumpAllocUnit(unit, "  ");
            ok = false;
            Break("guard word overrun");
        }
    }
    return ok;
}

bool MemTracker::ValidateAllAllocUnits()
{
    u32 errors = 0;
    u32 allocCount = 0;
    for (u32 i = 0; i < kHashSize; ++i)
    {
        for (const AllocUnit* unit = s_hashTable[i]; unit; unit = unit->m_pNext)
        {
            ++allocCount;
            if (!ValidateAllocUnit(unit))
                ++errors;
        }
    }

    if (allocCount != s_stats.m_uTotalAllocUnitCount + s_libraryUnitCount)
    {
        Log("[!] Memory tracking hash table corrupt!");
        ++errors;
        Break("hash table count mismatch");
    }
    if (errors)
    {
        Break("damaged allocation units");
        Log("[!] While validting all allocation units, %u allocation unit(s) were found to have problems",
            errors);
    }
    return errors != 0;
}

bool& MemTracker::BreakOnDealloc(void* reportedAddress)
{
    AllocUnit* unit = FindAllocUnit(reportedAddress);
    if (!unit)
    {
        Break("break flag for an unknown address");
        s_dummyBreakFlag = false;
        return s_dummyBreakFlag;
    }
    return unit->m_bBreakOnDealloc;
}

bool& MemTracker::BreakOnRealloc(void* reportedAddress)
{
    AllocUnit* unit = FindAllocUnit(reportedAddress);
    if (!unit)
    {
        Break("break flag for an unknown address");
        s_dummyBreakFlag = false;
        return s_dummyBreakFlag;
    }
    if (unit->m_uAllocationType != AT_Malloc && unit->m_uAllocationType != AT_Calloc &&
        unit->m_uAllocationType != AT_Realloc)
        Break("realloc break flag for a block not from the malloc family");
    return unit->m_bBreakOnRealloc;
}

void MemTracker::BreakOnAllocation(u32 count)
{
    s_breakOnAllocationCount = count;
}

MemTracker::u32 MemTracker::CalcUnused(const AllocUnit* unit)
{
    const unsigned char* p = static_cast<const unsigned char*>(unit->m_pReportedAddress);
    u32 wasted = 0;
    for (u32 offset = 0; offset < unit->m_uReportedSize; offset += 4)
    {
        u32 word;
        std::memcpy(&word, p + offset, 4);
        if (word == kUnusedPattern)
            wasted += 4;
    }
    return wasted;
}

MemTracker::u32 MemTracker::CalcAllUnused()
{
    u32 total = 0;
    for (u32 i = 0; i < kHashSize; ++i)
        for (const AllocUnit* unit = s_hashTable[i]; unit; unit = unit->m_pNext)
            if (!unit->m_bLibrary)
                total += CalcUnused(unit);
    return total;
}
MemTracker::Statistics MemTracker::GetMemoryStatistics()
{
    return s_stats;
}

MemTracker::u32 MemTracker::GetLibraryUnitCount()
{
    return s_libraryUnitCount;
}

bool& MemTracker::AlwaysValidateAll() { return s_alwaysValidateAll; }
bool& MemTracker::AlwaysLogAll() { return s_alwaysLogAll; }
bool& MemTracker::AlwaysWipeAll() { return s_alwaysWipeAll; }
bool& MemTracker::RandomWipe() { return s_randomWipe; }
} // namespace Vorm
