#include "Core/Memory/MemTracker.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <ctime>
#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Vorm {

namespace {

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

const char kBorderLine[] =
    " ---------------------------------------------------------------------------------------------------------------------------------- ";

// Everything below is constant-initialised: usable before any constructor
// has run and after every destructor.
AllocUnit* s_hashTable[kHashSize];
AllocUnit* s_reservoir;
AllocUnit** s_reservoirBuffer;
u32 s_reservoirBufferSize;
u32 s_currentAllocation;
u32 s_breakOnAllocationCount;

// The "no owner" text; compared by address on the allocation path.
const char kUnknownOwner[] = "??";

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

char s_logBuffer[2048];
char s_ownerBuffer[90];
char s_commaBuffer[30];
char s_sizeBuffer[64];

// BreakOnDealloc/BreakOnRealloc hand this out when there is no unit.
bool s_dummyBreakFlag;

// Logging, breaks and failures are off the allocation path: keep them out
// of line so the hot code stays small.
#define VORM_MEM_COLD __attribute__((noinline, cold))

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

VORM_MEM_COLD void Break(const char* reason)
{
    if (DebuggerAttached())
    {
        std::raise(SIGTRAP);
        return;
    }
    std::fprintf(stderr, "MemTracker: debugger break (no debugger attached): %s\n", reason);
}

std::tm LocalTime()
{
    const std::time_t t = std::time(nullptr);
    const std::tm* lt = std::localtime(&t);
    std::tm result{};
    if (lt)
        result = *lt;
    return result;
}

inline const char* TypeName(u32 type)
{
    return type < kAllocationTypeCount ? kAllocationTypes[type] : kAllocationTypes[0];
}

inline unsigned long long AddressValue(const void* p)
{
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p));
}

const char* SourceFileStripper(const char* file)
{
    if (!file)
        return kUnknownOwner;
    // The second scan only covers what follows the last '/'.
    const char* slash = std::strrchr(file, '/');
    const char* base = slash ? slash + 1 : file;
    const char* backslash = std::strrchr(base, '\\');
    return backslash ? backslash + 1 : base;
}

VORM_MEM_COLD const char* OwnerString(const char* file, u32 line, const char* func)
{
    std::memset(s_ownerBuffer, 0, sizeof(s_ownerBuffer));
    std::snprintf(s_ownerBuffer, sizeof(s_ownerBuffer), "%s(%05u)::%s", SourceFileStripper(file),
                  line, func ? func : kUnknownOwner);
    return s_ownerBuffer;
}

void DumpLogHeader();

VORM_MEM_COLD void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

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
        Break("cannot open memory.log");
        return;
    }
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

VORM_MEM_COLD u32 RandomPattern()
{
    u32 pattern = 0;
    for (int i = 0; i < 4; ++i)
        pattern = (pattern << 8) | (static_cast<u32>(std::rand()) & 0xFF);
    return pattern;
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

// The hot paths, kept inline so the operators run them without a call.

inline AllocUnit* Lookup(const void* reportedAddress)
{
    for (AllocUnit* unit = s_hashTable[HashIndex(reportedAddress)]; unit; unit = unit->m_pNext)
        if (unit->m_pReportedAddress == reportedAddress)
            return unit;
    return nullptr;
}

__attribute__((always_inline)) inline void* DoAllocate(const char* file, unsigned line, const char* function,
                                                       u32 allocationType, std::size_t reportedSize)
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
    unit->m_uAllocationNumber = s_currentAllocation;
    UseOwner(unit, file, line, function);

    if (__builtin_expect(allocationType == MemTracker::AT_Unknown, 0))
        Break("allocation of unknown type");

    Link(unit);
    AddTotals(unit);
    ++s_stats.m_uTotalAllocUnitCount;
    if (s_stats.m_uTotalAllocUnitCount > s_stats.m_uPeakAllocUnitCount)
        s_stats.m_uPeakAllocUnitCount = s_stats.m_uTotalAllocUnitCount;
    s_stats.m_uAccumulatedReportedMemory += unit->m_uReportedSize;
    s_stats.m_uAccumulatedActualMemory += unit->m_uActualSize;
    ++s_stats.m_uAccumulatedAllocUnitCount;

    Wipe(unit, kUnusedPattern, 0);
    if (__builtin_expect(allocationType == MemTracker::AT_Calloc, 0))
        std::memset(unit->m_pReportedAddress, 0, unit->m_uReportedSize);

    if (__builtin_expect(s_alwaysValidateAll, 0))
        MemTracker::ValidateAllAllocUnits();
    if (__builtin_expect(s_alwaysLogAll, 0))
        Log("[+] ---->             addr 0x%016llX", AddressValue(unit->m_pReportedAddress));

    MemTracker::ResetGlobals();
    return unit->m_pReportedAddress;
}

__attribute__((always_inline)) inline void DoDeallocate(const char* file, unsigned line, const char* function,
                                                        u32 deallocationType, const void* reportedAddress)
{
    if (__builtin_expect(s_alwaysLogAll, 0))
        LogDeallocation(file, line, function, deallocationType, reportedAddress);

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
        SubtractTotals(unit);
        --s_stats.m_uTotalAllocUnitCount;

        ClearText(unit->m_szSourceFile);
        ClearText(unit->m_szSourceFunc);
        unit->m_pNext = s_reservoir;
        s_reservoir = unit;
    }

    MemTracker::ResetGlobals();
    if (__builtin_expect(s_alwaysValidateAll, 0))
        MemTracker::ValidateAllAllocUnits();
    if (__builtin_expect(s_staticDeinitTime, 0))
        MemTracker::DumpLeakReport();
}

} // namespace

// ---------------------------------------------------------------------------

struct MemTracker::BadAllocation : std::bad_alloc
{
    const char* what() const noexcept override { return "bad allocation"; }
};

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
    s_sourceFile = kUnknownOwner;
    s_sourceLine = 0;
    s_sourceFunc = kUnknownOwner;
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

    if (allocCount != s_stats.m_uTotalAllocUnitCount)
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
            total += CalcUnused(unit);
    return total;
}

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
        Break("cannot open memleaks.log");
        return;
    }

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
        // Nothing is live: every record is back in the reservoir.
        FreeReservoir();
    }
    std::fprintf(fp, "\r\n");

    if (leaks)
        DumpAllocations(fp);

    std::fclose(fp);
}

namespace {

// A report section's title between two border lines.
void WriteBoxedTitle(std::FILE* fp, const char* title)
{
    std::fprintf(fp, "%s\r\n%s\r\n%s\r\n", kBorderLine, title, kBorderLine);
}

} // namespace

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

MemTracker::Statistics MemTracker::GetMemoryStatistics()
{
    return s_stats;
}

bool& MemTracker::AlwaysValidateAll() { return s_alwaysValidateAll; }
bool& MemTracker::AlwaysLogAll() { return s_alwaysLogAll; }
bool& MemTracker::AlwaysWipeAll() { return s_alwaysWipeAll; }
bool& MemTracker::RandomWipe() { return s_randomWipe; }

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

// ---------------------------------------------------------------------------
// Global operators. Every form libstdc++ and our code may call is replaced,
// so no block crosses between this allocator and the runtime's.

namespace {

using Vorm::MemTracker;

// The new-handler loop after a failed attempt.
VORM_MEM_COLD void* NewRetry(std::size_t size, const char* file, unsigned line, const char* func,
                             MemTracker::u32 type)
{
    for (;;)
    {
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw MemTracker::BadAllocation();
        handler();
        void* p = MemTracker::Allocate(file, line, func, type, size);
        if (p)
            return p;
    }
}

inline void* NewLoop(std::size_t size, const char* file, unsigned line, const char* func, MemTracker::u32 type)
{
    if (size == 0)
        size = 1;
    void* p = Vorm::DoAllocate(file, line, func, type, size);
    if (__builtin_expect(p != nullptr, 1))
        return p;
    return NewRetry(size, file, line, func, type);
}

inline void* TrackedNew(std::size_t size, MemTracker::u32 type)
{
    // The owner is reset by a failed attempt, so keep it for the retries.
    return NewLoop(size, Vorm::s_sourceFile, Vorm::s_sourceLine, Vorm::s_sourceFunc, type);
}

inline void* TrackedNewNothrow(std::size_t size, MemTracker::u32 type) noexcept
{
    try
    {
        return TrackedNew(size, type);
    }
    catch (...)
    {
        return nullptr;
    }
}

inline void TrackedDelete(void* p, MemTracker::u32 type) noexcept
{
    if (__builtin_expect(p != nullptr, 1))
    {
        // Resets the owner itself.
        Vorm::DoDeallocate(Vorm::s_sourceFile, Vorm::s_sourceLine, Vorm::s_sourceFunc, type, p);
        return;
    }
    if (Vorm::s_alwaysLogAll)
        Vorm::Log("[-] ----- %8s of NULL                      by %s", Vorm::TypeName(type),
                  Vorm::OwnerString(Vorm::s_sourceFile, Vorm::s_sourceLine, Vorm::s_sourceFunc));
    MemTracker::ResetGlobals();
}

// Over-aligned requests: a tracked block with room to align, the block's own
// address stored just below the aligned pointer.
inline bool NeedsOwnAlignment(std::align_val_t alignment)
{
    return static_cast<std::size_t>(alignment) > alignof(std::max_align_t);
}

void* TrackedAlignedNew(std::size_t size, std::align_val_t alignment, MemTracker::u32 type)
{
    if (!NeedsOwnAlignment(alignment))
        return TrackedNew(size, type);
    const std::size_t align = static_cast<std::size_t>(alignment);
    if (size > SIZE_MAX - align)
        return TrackedNew(SIZE_MAX, type); // refused and reported as out of memory
    void* block = TrackedNew(size + align, type);
    const std::uintptr_t aligned = (reinterpret_cast<std::uintptr_t>(block) + align) & ~(align - 1);
    std::memcpy(reinterpret_cast<void*>(aligned - sizeof(void*)), &block, sizeof(void*));
    return reinterpret_cast<void*>(aligned);
}

inline void* TrackedAlignedNewNothrow(std::size_t size, std::align_val_t alignment,
                                      MemTracker::u32 type) noexcept
{
    try
    {
        return TrackedAlignedNew(size, alignment, type);
    }
    catch (...)
    {
        return nullptr;
    }
}

void TrackedAlignedDelete(void* p, std::align_val_t alignment, MemTracker::u32 type) noexcept
{
    if (p && NeedsOwnAlignment(alignment))
        std::memcpy(&p, static_cast<char*>(p) - sizeof(void*), sizeof(void*));
    TrackedDelete(p, type);
}

} // namespace

void* operator new(std::size_t size) { return TrackedNew(size, MemTracker::AT_New); }
void* operator new[](std::size_t size) { return TrackedNew(size, MemTracker::AT_NewArray); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return TrackedNewNothrow(size, MemTracker::AT_New);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return TrackedNewNothrow(size, MemTracker::AT_NewArray);
}

void* operator new(std::size_t size, const char* file, int line)
{
    return NewLoop(size, file, static_cast<unsigned>(line), Vorm::kUnknownOwner, MemTracker::AT_New);
}
void* operator new[](std::size_t size, const char* file, int line)
{
    return NewLoop(size, file, static_cast<unsigned>(line), Vorm::kUnknownOwner, MemTracker::AT_NewArray);
}

void operator delete(void* p) noexcept { TrackedDelete(p, MemTracker::AT_Delete); }
void operator delete[](void* p) noexcept { TrackedDelete(p, MemTracker::AT_DeleteArray); }
void operator delete(void* p, std::size_t) noexcept { TrackedDelete(p, MemTracker::AT_Delete); }
void operator delete[](void* p, std::size_t) noexcept { TrackedDelete(p, MemTracker::AT_DeleteArray); }
void operator delete(void* p, const std::nothrow_t&) noexcept { TrackedDelete(p, MemTracker::AT_Delete); }
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    TrackedDelete(p, MemTracker::AT_DeleteArray);
}
void operator delete(void* p, const char*, int) noexcept { TrackedDelete(p, MemTracker::AT_Delete); }
void operator delete[](void* p, const char*, int) noexcept { TrackedDelete(p, MemTracker::AT_DeleteArray); }

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return TrackedAlignedNew(size, alignment, MemTracker::AT_New);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return TrackedAlignedNew(size, alignment, MemTracker::AT_NewArray);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return TrackedAlignedNewNothrow(size, alignment, MemTracker::AT_New);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return TrackedAlignedNewNothrow(size, alignment, MemTracker::AT_NewArray);
}
void operator delete(void* p, std::align_val_t alignment) noexcept
{
    TrackedAlignedDelete(p, alignment, MemTracker::AT_Delete);
}
void operator delete[](void* p, std::align_val_t alignment) noexcept
{
    TrackedAlignedDelete(p, alignment, MemTracker::AT_DeleteArray);
}
void operator delete(void* p, std::size_t, std::align_val_t alignment) noexcept
{
    TrackedAlignedDelete(p, alignment, MemTracker::AT_Delete);
}
void operator delete[](void* p, std::size_t, std::align_val_t alignment) noexcept
{
    TrackedAlignedDelete(p, alignment, MemTracker::AT_DeleteArray);
}
void operator delete(void* p, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    TrackedAlignedDelete(p, alignment, MemTracker::AT_Delete);
}
void operator delete[](void* p, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    TrackedAlignedDelete(p, alignment, MemTracker::AT_DeleteArray);
}
