#ifndef VORM_CORE_MEMORY_MEMTRACKER_H
#define VORM_CORE_MEMORY_MEMTRACKER_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <new>

namespace Vorm {

// Tracking allocator behind the global operator new/delete. Every block gets
// guard words on both sides and a record of who asked for it; errors go to
// "memory.log", leaks to "memleaks.log" at exit. All state is plain static
// data and bookkeeping uses malloc/free only, so the tracker works before
// main and after its own static object is gone. Single-threaded by design.
class MemTracker
{
public:
    typedef std::uint32_t u32;

    // Index into the allocation type names ("Unknown", "new", ...).
    enum AllocType : u32
    {
        AT_Unknown = 0,
        AT_New,
        AT_NewArray,
        AT_Malloc,
        AT_Calloc,
        AT_Realloc,
        AT_Delete,
        AT_DeleteArray,
        AT_Free
    };

    struct AllocUnit
    {
        u32 m_uActualSize;          // reported size + 32
        u32 m_uReportedSize;
        void* m_pActualAddress;     // start of the malloc block
        void* m_pReportedAddress;   // actual address + 16
        char m_szSourceFile[40];
        char m_szSourceFunc[40];
        u32 m_uSourceLine;
        u32 m_uAllocationType;
        bool m_bBreakOnDealloc;
        bool m_bBreakOnRealloc;
        // Requested by code outside the program's own binary (a shared
        // library): tracked, but not in the leak report or the statistics.
        bool m_bLibrary;
        u32 m_uAllocationNumber;
        AllocUnit* m_pNext;
        AllocUnit* m_pPrev;
    };

    struct Statistics
    {
        u32 m_uTotalReportedMemory;
        u32 m_uTotalActualMemory;
        u32 m_uPeakReportedMemory;
        u32 m_uPeakActualMemory;
        u32 m_uAccumulatedReportedMemory;
        u32 m_uAccumulatedActualMemory;
        u32 m_uAccumulatedAllocUnitCount;
        u32 m_uTotalAllocUnitCount;
        u32 m_uPeakAllocUnitCount;
    };

    // Owner of the next tracked operation; the pointers are kept, not copied.
    static void SetOwner(const char* file, unsigned line, const char* function);
    static void ResetGlobals();

    static void* Allocate(const char* file, unsigned line, const char* function,
                          u32 allocationType, std::size_t reportedSize);
    static void* Reallocate(const char* file, unsigned line, const char* function,
                            u32 reallocationType, std::size_t reportedSize, void* reportedAddress);
    static void Deallocate(const char* file, unsigned line, const char* function,
                           u32 deallocationType, const void* reportedAddress);

    static AllocUnit* FindAllocUnit(const void* reportedAddress);
    static bool ValidateAddress(const void* reportedAddress);
    static bool ValidateAllocUnit(const AllocUnit* unit);
    static bool ValidateAllAllocUnits(); // true when problems were found

    static bool& BreakOnDealloc(void* reportedAddress);
    static bool& BreakOnRealloc(void* reportedAddress);
    static void BreakOnAllocation(u32 count);

    static u32 CalcUnused(const AllocUnit* unit);
    static u32 CalcAllUnused();

    static void DumpAllocUnit(const AllocUnit* unit, const char* prefix = "");
    static void DumpAllocations(std::FILE* fp);
    static void DumpLeakReport();
    static void DumpMemoryReport(const char* path, bool overwrite);
    // The program's blocks only; library blocks are counted apart.
    static Statistics GetMemoryStatistics();
    static u32 GetLibraryUnitCount();

    static bool& AlwaysValidateAll();
    static bool& AlwaysLogAll();
    static bool& AlwaysWipeAll();
    static bool& RandomWipe();

    // Number texts; each returns a static buffer overwritten by the next call.
    static const char* InsertCommas(u32 value);
    static const char* MemorySizeString(u32 size);

    // Qualified function name ("Ns::Class::Function") cut out of g++'s
    // __PRETTY_FUNCTION__ of a lambda written inside that function, at
    // compile time so the text has static storage (SetOwner keeps the pointer).
    struct FunctionName
    {
        char m_szText[128];
    };
    static constexpr FunctionName ExtractFunctionName(const char* pretty);

    // Offset of the base name in a path (text after the last '\\' or '/'),
    // so the owner macros hand over a file name with nothing left to strip.
    static constexpr std::size_t BaseNameOffset(const char* path);

    // Resets the owner when a VORM_DELETE statement ends: g++ calls no
    // operator delete for a null pointer, which would leave the owner set.
    struct OwnerReset
    {
        ~OwnerReset() { ResetGlobals(); }
    };

    // What the operators throw when the new-handler loop gives up: a
    // std::bad_alloc whose what() is "bad allocation".
    struct BadAllocation;

private:
    // The one static object: construction writes the log header,
    // destruction writes the leak report.
    MemTracker();
    ~MemTracker();
    MemTracker(const MemTracker&) = delete;
    MemTracker& operator=(const MemTracker&) = delete;
    static MemTracker s_tracker;

    static constexpr std::size_t Length(const char* s);
    static constexpr bool IsIdentChar(char c);
    static constexpr std::size_t StripLambda(const char* s, std::size_t end);
};

constexpr std::size_t MemTracker::Length(const char* s)
{
    std::size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

constexpr bool MemTracker::IsIdentChar(char c)
{
    return c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Drops one trailing "::<lambda(...)>" (or a whole "<lambda(...)>") from
// s[0, end); returns the new end, or end itself when there is none.
constexpr std::size_t MemTracker::StripLambda(const char* s, std::size_t end)
{
    if (end == 0 || s[end - 1] != '>')
        return end;
    std::size_t i = end - 1;
    int depth = 0;
    for (;;)
    {
        if (s[i] == '>')
            ++depth;
        else if (s[i] == '<' && --depth == 0)
            break;
        if (i == 0)
            return end;
        --i;
    }
    const char tag[] = "<lambda";
    for (std::size_t k = 0; k + 1 < sizeof(tag); ++k)
        if (i + k >= end || s[i + k] != tag[k])
            return end;
    if (i == 0)
        return 0;
    if (i >= 2 && s[i - 1] == ':' && s[i - 2] == ':')
        return i - 2;
    return end;
}

constexpr std::size_t MemTracker::BaseNameOffset(const char* path)
{
    std::size_t offset = 0;
    for (std::size_t i = 0; path[i]; ++i)
        if (path[i] == '/' || path[i] == '\\')
            offset = i + 1;
    return offset;
}

constexpr MemTracker::FunctionName MemTracker::ExtractFunctionName(const char* pretty)
{
    FunctionName out{};
    std::size_t end = Length(pretty);
    // Our own lambda first, then any user lambdas around the call site.
    for (std::size_t stripped = StripLambda(pretty, end); stripped != end;
         stripped = StripLambda(pretty, end))
        end = stripped;

    // g++ names a lambda's enclosing function without its return type:
    // "Ns::Class<T>::Function(params) const". Cut off the parameter list.
    std::size_t nameEnd = end;
    while (nameEnd > 0 && pretty[nameEnd - 1] != ')')
        --nameEnd;
    if (nameEnd > 0)
    {
        int depth = 0;
        std::size_t i = nameEnd - 1;
        for (;;)
        {
            if (pretty[i] == ')')
                ++depth;
            else if (pretty[i] == '(' && --depth == 0)
                break;
            if (i == 0)
                break;
            --i;
        }
        nameEnd = i;
    }
    else
    {
        nameEnd = end; // a scope without a function, e.g. a member initialiser
    }

    // Copy the name without template arguments and without the parameter
    // lists of enclosing functions; an operator's symbol is copied as it is.
    std::size_t o = 0;
    int angle = 0;
    int paren = 0;
    for (std::size_t i = 0; i < nameEnd && o + 1 < sizeof(out.m_szText); ++i)
    {
        const char c = pretty[i];
        if (angle == 0 && paren == 0 && c == 'o' && (i == 0 || pretty[i - 1] == ':') &&
            i + 8 <= nameEnd && pretty[i + 1] == 'p' && pretty[i + 2] == 'e' &&
            pretty[i + 3] == 'r' && pretty[i + 4] == 'a' && pretty[i + 5] == 't' &&
            pretty[i + 6] == 'o' && pretty[i + 7] == 'r' &&
            (i + 8 == nameEnd || !IsIdentChar(pretty[i + 8])))
        {
            for (; i < nameEnd && o + 1 < sizeof(out.m_szText); ++i)
                out.m_szText[o++] = pretty[i];
            break;
        }
        if (c == '<')
            ++angle;
        else if (c == '>' && angle > 0)
            --angle;
        else if (c == '(' && angle == 0)
            ++paren;
        else if (c == ')' && angle == 0 && paren > 0)
            --paren;
        else if (angle == 0 && paren == 0)
            out.m_szText[o++] = c;
    }
    if (o == 0)
    {
        out.m_szText[0] = '?';
        out.m_szText[1] = '?';
    }
    return out;
}

} // namespace Vorm

// Placement forms that carry the caller's file and line (function "??").
void* operator new(std::size_t size, const char* file, int line);
void* operator new[](std::size_t size, const char* file, int line);
void operator delete(void* p, const char* file, int line) noexcept;
void operator delete[](void* p, const char* file, int line) noexcept;

// The enclosing function's qualified name as static text. The lambda keeps
// the computed text in static storage; its own name is stripped again.
#define VORM_FUNCTION_NAME                                                              \
    ([]() -> const char* {                                                              \
        static constexpr ::Vorm::MemTracker::FunctionName s_vormFunctionName =          \
            ::Vorm::MemTracker::ExtractFunctionName(__PRETTY_FUNCTION__);               \
        return s_vormFunctionName.m_szText;                                             \
    }())

// The source file's base name, cut out at compile time.
#define VORM_SOURCE_FILE                                                                \
    ([]() -> const char* {                                                              \
        static constexpr std::size_t s_vormBaseOffset =                                 \
            ::Vorm::MemTracker::BaseNameOffset(__FILE__);                               \
        return __FILE__ + s_vormBaseOffset;                                             \
    }())

// T* p = VORM_NEW T(args);  VORM_DELETE p;  VORM_DELETE[] arr;
#define VORM_NEW                                                                        \
    (::Vorm::MemTracker::SetOwner(VORM_SOURCE_FILE, __LINE__, VORM_FUNCTION_NAME), false)       \
        ? nullptr                                                                       \
        : new
#define VORM_DELETE                                                                     \
    (::Vorm::MemTracker::SetOwner(VORM_SOURCE_FILE, __LINE__, VORM_FUNCTION_NAME),              \
     ::Vorm::MemTracker::OwnerReset(), false)                                           \
        ? (void)0                                                                       \
        : delete

#endif
