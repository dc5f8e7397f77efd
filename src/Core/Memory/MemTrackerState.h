#ifndef VORM_CORE_MEMORY_MEMTRACKERSTATE_H
#define VORM_CORE_MEMORY_MEMTRACKERSTATE_H

// The tracking allocator's shared state and its hot paths, inline so that the
// global operators run an allocation without a call. Internal to src/Core/Memory.

#include "Core/Memory/MemTracker.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <ctime>

namespace Vorm {
namespace MemTrackerState {

typedef MemTracker::u32 u32;
typedef MemTracker::AllocUnit AllocUnit;

const u32 kHashSize = 4096;
const u32 kHashMask = kHashSize - 1;
const u32 kHashShift = 4;
const u32 kReservoirGrow = 256;
const u32 kGuardBytes = 16;          // on each side of the reported area
const u32 kOverhead = 2 * kGuardBytes;

const u32 kPrefixPattern = 0xBAADF00D;
const u32 kPostfixPattern = 0xDEADC0DE;
const u32 kUnusedPattern = 0xFEEDFACE;
const u32 kReleasedPattern = 0xDEADBEEF;

const char* const kLogFileName = "memory.log";
const char* const kLeakFileName = "memleaks.log";

const char* const kAllocationTypes[] = {"Unknown", "new",     "new[]",    "malloc", "calloc",
                                        "realloc", "delete", "delete[]", "free"};
const u32 kAllocationTypeCount = sizeof(kAllocationTypes) / sizeof(kAllocationTypes[0]);


// Everything below is constant-initialised: usable before any constructor
// has run and after every destructor. Defined in MemTracker.cpp.
extern AllocUnit* s_hashTable[kHashSize];
extern AllocUnit* s_reservoir;
extern AllocUnit** s_reservoirBuffer;
extern u32 s_reservoirBufferSize;
extern u32 s_currentAllocation;
extern u32 s_breakOnAllocationCount;

// The "no owner" text; compared by address on the allocation path.
extern const char kUnknownOwner[3];

extern const char* s_sourceFile;
extern u32 s_sourceLine;
extern const char* s_sourceFunc;

extern bool s_alwaysValidateAll;
extern bool s_alwaysLogAll;
extern bool s_alwaysWipeAll;
extern bool s_randomWipe;
extern bool s_cleanupLogOnFirstRun;
extern bool s_staticDeinitTime;

extern MemTracker::Statistics s_stats;
// Live units that shared libraries asked for; not part of s_stats.
extern u32 s_libraryUnitCount;

// Logging, breaks and failures are off the allocation path: keep them out
// of line so the hot code stays small.
#define VORM_MEM_COLD __attribute__((noinline, cold))

// Out of line, in MemTracker.cpp: breaks, failures and the reservoir.
VORM_MEM_COLD void Break(const char* reason);
VORM_MEM_COLD void* Fail(const char* text);
VORM_MEM_COLD bool GrowReservoir();
void FreeReservoir();
VORM_MEM_COLD u32 RandomPattern();
VORM_MEM_COLD void ReportReleaseProblems(AllocUnit* unit, u32 deallocationType, bool guardsIntact);

// Out of line, in MemTrackerLog.cpp: "memory.log" and its texts.
std::tm LocalTime();
VORM_MEM_COLD const char* OwnerString(const char* file, u32 line, const char* func);
VORM_MEM_COLD void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DumpLogHeader();
VORM_MEM_COLD void LogAllocation(const char* file, unsigned line, const char* function, u32 allocationType,
                                 std::size_t reportedSize);
VORM_MEM_COLD void LogDeallocation(const char* file, unsigned line, const char* function, u32 deallocationType,
                                   const void* reportedAddress);

inline const char* TypeName(u32 type)
{
    return type < kAllocationTypeCount ? kAllocationTypes[type] : kAllocationTypes[0];
}

inline unsigned long long AddressValue(const void* p)
{
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p));
}

inline const char* SourceFileStripper(const char* file)
{
    if (!file)
        return kUnknownOwner;
    // The second scan only covers what follows the last '/'.
    const char* slash = std::strrchr(file, '/');
    const char* base = slash ? slash + 1 : file;
    const char* backslash = std::strrchr(base, '\\');
    return backslash ? backslash + 1 : base;
}

inline void ResetOwner()
{
    s_sourceFile = kUnknownOwner;
    s_sourceLine = 0;
    s_sourceFunc = kUnknownOwner;
}

inline u32 HashIndex(const void* reportedAddress)
{
    return static_cast<u32>(reinterpret_cast<std::uintptr_t>(reportedAddress) >> kHashShift) & kHashMask;
}

// Takes the unit out of the bucket of the given (its current or former) address.
inline void Unlink(AllocUnit* unit, const void* reportedAddress)
{
    AllocUnit*& head = s_hashTable[HashIndex(reportedAddress)];
    if (head == unit)
        head = unit->m_pNext;
    else if (unit->m_pPrev)
        unit->m_pPrev->m_pNext = unit->m_pNext;
    if (unit->m_pNext)
        unit->m_pNext->m_pPrev = unit->m_pPrev;
}

inline void Link(AllocUnit* unit)
{
    AllocUnit*& head = s_hashTable[HashIndex(unit->m_pReportedAddress)];
    unit->m_pPrev = nullptr;
    unit->m_pNext = head;
    if (head)
        head->m_pPrev = unit;
    head = unit;
}

inline void AddTotals(const AllocUnit* unit)
{
    s_stats.m_uTotalReportedMemory += unit->m_uReportedSize;
    s_stats.m_uTotalActualMemory += unit->m_uActualSize;
    if (s_stats.m_uTotalReportedMemory > s_stats.m_uPeakReportedMemory)
        s_stats.m_uPeakReportedMemory = s_stats.m_uTotalReportedMemory;
    if (s_stats.m_uTotalActualMemory > s_stats.m_uPeakActualMemory)
        s_stats.m_uPeakActualMemory = s_stats.m_uTotalActualMemory;
}

inline void SubtractTotals(const AllocUnit* unit)
{
    s_stats.m_uTotalReportedMemory -= unit->m_uReportedSize;
    s_stats.m_uTotalActualMemory -= unit->m_uActualSize;
}

// Guard words as 16-byte images: written and checked with plain copies.
struct GuardImage
{
    u32 m_words[4];
};
const GuardImage kPrefixImage = {{kPrefixPattern, kPrefixPattern, kPrefixPattern, kPrefixPattern}};
const GuardImage kPostfixImage = {{kPostfixPattern, kPostfixPattern, kPostfixPattern, kPostfixPattern}};

inline void WriteGuards(const AllocUnit* unit)
{
    unsigned char* actual = static_cast<unsigned char*>(unit->m_pActualAddress);
    std::memcpy(actual, &kPrefixImage, kGuardBytes);
    std::memcpy(actual + unit->m_uActualSize - kGuardBytes, &kPostfixImage, kGuardBytes);
}

inline bool GuardsIntact(const AllocUnit* unit)
{
    const unsigned char* pre = static_cast<const unsigned char*>(unit->m_pActualAddress);
    const unsigned char* post = pre + unit->m_uActualSize - kGuardBytes;
    return std::memcmp(pre, &kPrefixImage, kGuardBytes) == 0 &&
           std::memcmp(post, &kPostfixImage, kGuardBytes) == 0;
}

// From this many bytes on the runtime's wide fill beats our 16-byte stores.
const u32 kWideFillBytes = 256;

// Fills whole 32-bit words, then the last 1 to 3 bytes with the pattern's
// bytes from the lowest up. The pattern repeats every 4 bytes, so a last
// 16-byte store that overlaps the one before it at a word boundary writes
// the same bytes again.
inline void FillPattern(unsigned char* p, u32 length, u32 pattern)
{
    const u32 wordBytes = length & ~3u;
    if (wordBytes >= 16)
    {
        if (sizeof(wchar_t) == 4 && wordBytes >= kWideFillBytes &&
            (reinterpret_cast<std::uintptr_t>(p) & (alignof(wchar_t) - 1)) == 0)
        {
            std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(pattern), wordBytes / 4);
        }
        else
        {
            u32 chunk[4] = {pattern, pattern, pattern, pattern};
            u32 i = 0;
            for (; i + 16 <= wordBytes; i += 16)
                std::memcpy(p + i, chunk, 16);
            if (i < wordBytes)
                std::memcpy(p + wordBytes - 16, chunk, 16);
        }
    }
    else
    {
        for (u32 i = 0; i < wordBytes; i += 4)
            std::memcpy(p + i, &pattern, 4);
    }
    p += wordBytes;
    for (u32 k = 0; k < (length & 3); ++k)
        p[k] = static_cast<unsigned char>(pattern >> (k * 8));
}

// Fills the reported area from the offset on. The guards are written again
// unless the caller has just found them intact (writing them would change
// nothing).
inline void Wipe(const AllocUnit* unit, u32 pattern, u32 originalReportedSize, bool guardsKnownIntact = false)
{
    if (__builtin_expect(s_randomWipe, 0))
        pattern = RandomPattern();
    if (s_alwaysWipeAll && unit->m_uReportedSize > originalReportedSize)
        FillPattern(static_cast<unsigned char*>(unit->m_pReportedAddress) + originalReportedSize,
                    unit->m_uReportedSize - originalReportedSize, pattern);
    if (!guardsKnownIntact)
        WriteGuards(unit);
}

// Records in the reservoir keep their two texts cleared from the fourth
// byte on (the first three may still hold "??" or a short text). Writing
// "??" is then three bytes, and any text leaves the field as a cleared
// record followed by a copy would (strncpy pads with zeros).
inline void CopyText(char (&dest)[40], const char* src)
{
    std::strncpy(dest, src, sizeof(dest) - 1);
    dest[sizeof(dest) - 1] = '\0';
}

inline void CopyUnknown(char (&dest)[40])
{
    std::memcpy(dest, kUnknownOwner, sizeof(kUnknownOwner));
}

// Restores the reservoir's state of a text field before the record goes back.
inline void ClearText(char (&text)[40])
{
    if (text[2] != '\0')
        std::memset(text, 0, sizeof(text));
}

inline void UseOwner(AllocUnit* unit, const char* file, unsigned line, const char* func)
{
    // Most blocks (containers, plain new) have no owner: skip the text scans.
    if (file == kUnknownOwner)
        CopyUnknown(unit->m_szSourceFile);
    else
        CopyText(unit->m_szSourceFile, SourceFileStripper(file));
    if (func == kUnknownOwner || !func)
        CopyUnknown(unit->m_szSourceFunc);
    else
        CopyText(unit->m_szSourceFunc, func);
    unit->m_uSourceLine = line;
}

// Sizes whose actual size would not fit the unit's 32-bit field are refused.
inline bool SizeFits(std::size_t reportedSize)
{
    return reportedSize <= static_cast<std::size_t>(UINT32_MAX - kOverhead);
}

inline void CountAllocation()
{
    ++s_currentAllocation;
}

inline void CheckBreakOnAllocation()
{
    if (__builtin_expect(s_breakOnAllocationCount != 0 && s_currentAllocation == s_breakOnAllocationCount, 0))
        Break("break on allocation number");
}

// The hot paths, kept inline so the operators run them without a call.

inline AllocUnit* Lookup(const void* reportedAddress)
{
    for (AllocUnit* unit = s_hashTable[HashIndex(reportedAddress)]; unit; unit = unit->m_pNext)
        if (unit->m_pReportedAddress == reportedAddress)
            return unit;
    return nullptr;
}

__attribute__((always_inline)) inline void* DoAllocate(const char* file, unsigned line, const char* function,
                                                       u32 allocationType, std::size_t reportedSize,
                                                       bool library = false)
{
    CountAllocation();
    if (__builtin_expect(s_alwaysLogAll, 0))
        LogAllocation(file, line, function, allocationType, reportedSize);
    CheckBreakOnAllocation();

    if (__builtin_expect(!s_reservoir, 0) && !GrowReservoir())
    {
        Break("no memory for tracking records");
        return Fail("Unable to allocate RAM for internal memory tracking data");
    }

    void* actualAddress = SizeFits(reportedSize) ? std::malloc(reportedSize + kOverhead) : nullptr;
    if (__builtin_expect(!actualAddress, 0))
    {
        Break("allocation failed");
        return Fail("Request for allocation failed. Out of memory.");
    }

    // Every field is written here, so a released record needs no clearing.
    AllocUnit* unit = s_reservoir;
    s_reservoir = unit->m_pNext;
    unit->m_uReportedSize = static_cast<u32>(reportedSize);
    unit->m_uActualSize = static_cast<u32>(reportedSize) + kOverhead;
    unit->m_pActualAddress = actualAddress;
    unit->m_pReportedAddress = static_cast<char*>(actualAddress) + kGuardBytes;
    unit->m_uAllocationType = allocationType;
    unit->m_bBreakOnDealloc = false;
    unit->m_bBreakOnRealloc = false;
    unit->m_bLibrary = library;
    unit->m_uAllocationNumber = s_currentAllocation;
    UseOwner(unit, file, line, function);

    if (__builtin_expect(allocationType == MemTracker::AT_Unknown, 0))
        Break("allocation of unknown type");

    Link(unit);
    if (__builtin_expect(library, 0))
    {
        ++s_libraryUnitCount;
    }
    else
    {
        AddTotals(unit);
        ++s_stats.m_uTotalAllocUnitCount;
        if (s_stats.m_uTotalAllocUnitCount > s_stats.m_uPeakAllocUnitCount)
            s_stats.m_uPeakAllocUnitCount = s_stats.m_uTotalAllocUnitCount;
        s_stats.m_uAccumulatedReportedMemory += unit->m_uReportedSize;
        s_stats.m_uAccumulatedActualMemory += unit->m_uActualSize;
        ++s_stats.m_uAccumulatedAllocUnitCount;
    }

    Wipe(unit, kUnusedPattern, 0);
    if (__builtin_expect(allocationType == MemTracker::AT_Calloc, 0))
        std::memset(unit->m_pReportedAddress, 0, unit->m_uReportedSize);

    if (__builtin_expect(s_alwaysValidateAll, 0))
        MemTracker::ValidateAllAllocUnits();
    if (__builtin_expect(s_alwaysLogAll, 0))
        Log("[+] ---->             addr 0x%016llX", AddressValue(unit->m_pReportedAddress));

    ResetOwner();
    return unit->m_pReportedAddress;
}

__attribute__((always_inline)) inline void DoDeallocate(const char* file, unsigned line, const char* function,
                                                        u32 deallocationType, const void* reportedAddress)
{
    if (__builtin_expect(s_alwaysLogAll, 0))
        LogDeallocation(file, line, function, deallocationType, reportedAddress);

    // After exit the report is rewritten only when it can change: a program
    // block went, or the last library block (the reservoir may go with it).
    bool reportChanged = false;
    if (reportedAddress)
    {
        AllocUnit* unit = Lookup(reportedAddress);
        if (__builtin_expect(!unit, 0))
        {
            Break("release of an unknown address");
            Fail("Request to deallocate RAM that was never allocated");
            return;
        }

        const bool guardsIntact = GuardsIntact(unit);
        const u32 type = unit->m_uAllocationType;
        const bool plainMatch = (deallocationType == MemTracker::AT_Delete && type == MemTracker::AT_New) ||
                                (deallocationType == MemTracker::AT_DeleteArray && type == MemTracker::AT_NewArray);
        if (__builtin_expect(!guardsIntact || !plainMatch || unit->m_bBreakOnDealloc, 0))
            ReportReleaseProblems(unit, deallocationType, guardsIntact);

        Wipe(unit, kReleasedPattern, 0, guardsIntact);
        std::free(unit->m_pActualAddress);

        Unlink(unit, unit->m_pReportedAddress);
        if (__builtin_expect(unit->m_bLibrary, 0))
        {
            --s_libraryUnitCount;
            reportChanged = s_libraryUnitCount == 0;
        }
        else
        {
            SubtractTotals(unit);
            --s_stats.m_uTotalAllocUnitCount;
            reportChanged = true;
        }

        ClearText(unit->m_szSourceFile);
        ClearText(unit->m_szSourceFunc);
        unit->m_pNext = s_reservoir;
        s_reservoir = unit;
    }

    ResetOwner();
    if (__builtin_expect(s_alwaysValidateAll, 0))
        MemTracker::ValidateAllAllocUnits();
    if (__builtin_expect(s_staticDeinitTime && reportChanged, 0))
        MemTracker::DumpLeakReport();
}

} // namespace MemTrackerState
} // namespace Vorm

#endif
