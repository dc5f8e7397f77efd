// Tracking allocator: the replaced global operator new and delete in every
// form libstdc++ and our code may call, so no block crosses to the runtime's.
// On Linux these also serve every shared library (the GL driver among them):
// blocks requested from outside the program's own binary are tracked as the
// library's, outside the leak report and the program's statistics.
#include "Core/Memory/MemTracker.h"

#include "MemTrackerState.h"

#include <cstdint>
#include <cstring>
#include <link.h>
#include <new>

struct Vorm::MemTracker::BadAllocation : std::bad_alloc
{
    const char* what() const noexcept override { return "bad allocation"; }
};

namespace {

using Vorm::MemTracker;
using namespace Vorm::MemTrackerState;

// Executable segments of the main program, found on the first request.
// Standard-library templates the program uses are compiled into it, so its
// containers count as its own.
std::uintptr_t s_programCodeStart;
std::uintptr_t s_programCodeSize;
bool s_programCodeKnown;

int AddProgramSegments(dl_phdr_info* info, std::size_t, void*)
{
    std::uintptr_t start = UINTPTR_MAX;
    std::uintptr_t end = 0;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i)
    {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X))
            continue;
        const std::uintptr_t first = info->dlpi_addr + segment.p_vaddr;
        if (first < start)
            start = first;
        if (first + segment.p_memsz > end)
            end = first + segment.p_memsz;
    }
    if (start < end)
    {
        s_programCodeStart = start;
        s_programCodeSize = end - start;
    }
    return 1; // the main program is listed first; the rest do not matter
}

// dl_iterate_phdr does not allocate, so it may run inside operator new.
VORM_MEM_COLD void FindProgramCode()
{
    s_programCodeStart = 0;
    s_programCodeSize = UINTPTR_MAX; // unknown: everything counts as the program's
    dl_iterate_phdr(AddProgramSegments, nullptr);
    s_programCodeKnown = true;
}

// Whether a caller's return address lies outside the program's own code.
inline bool FromLibrary(const void* caller)
{
    if (__builtin_expect(!s_programCodeKnown, 0))
        FindProgramCode();
    return reinterpret_cast<std::uintptr_t>(caller) - s_programCodeStart >= s_programCodeSize;
}

// The new-handler loop after a failed attempt.
VORM_MEM_COLD void* NewRetry(std::size_t size, const char* file, unsigned line, const char* func,
                             MemTracker::u32 type, bool library)
{
    for (;;)
    {
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw MemTracker::BadAllocation();
        handler();
        void* p = DoAllocate(file, line, func, type, size, library);
        if (p)
            return p;
    }
}

inline void* NewLoop(std::size_t size, const char* file, unsigned line, const char* func, MemTracker::u32 type,
                     bool library = false)
{
    if (size == 0)
        size = 1;
    void* p = DoAllocate(file, line, func, type, size, library);
    if (__builtin_expect(p != nullptr, 1))
        return p;
    return NewRetry(size, file, line, func, type, library);
}

// `caller` is the return address into the code that asked for the block.
inline void* TrackedNew(std::size_t size, MemTracker::u32 type, const void* caller)
{
    // The owner is reset by a failed attempt, so keep it for the retries.
    return NewLoop(size, s_sourceFile, s_sourceLine, s_sourceFunc, type, FromLibrary(caller));
}

inline void* TrackedNewNothrow(std::size_t size, MemTracker::u32 type, const void* caller) noexcept
{
    try
    {
        return TrackedNew(size, type, caller);
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
        DoDeallocate(s_sourceFile, s_sourceLine, s_sourceFunc, type, p);
        return;
    }
    if (s_alwaysLogAll)
        Log("[-] ----- %8s of NULL                      by %s", TypeName(type),
                  OwnerString(s_sourceFile, s_sourceLine, s_sourceFunc));
    ResetOwner();
}

// Over-aligned requests: a tracked block with room to align, the block's own
// address stored just below the aligned pointer.
inline bool NeedsOwnAlignment(std::align_val_t alignment)
{
    return static_cast<std::size_t>(alignment) > alignof(std::max_align_t);
}

void* TrackedAlignedNew(std::size_t size, std::align_val_t alignment, MemTracker::u32 type, const void* caller)
{
    if (!NeedsOwnAlignment(alignment))
        return TrackedNew(size, type, caller);
    const std::size_t align = static_cast<std::size_t>(alignment);
    if (size > SIZE_MAX - align)
        return TrackedNew(SIZE_MAX, type, caller); // refused and reported as out of memory
    void* block = TrackedNew(size + align, type, caller);
    const std::uintptr_t aligned = (reinterpret_cast<std::uintptr_t>(block) + align) & ~(align - 1);
    std::memcpy(reinterpret_cast<void*>(aligned - sizeof(void*)), &block, sizeof(void*));
    return reinterpret_cast<void*>(aligned);
}

inline void* TrackedAlignedNewNothrow(std::size_t size, std::align_val_t alignment, MemTracker::u32 type,
                                      const void* caller) noexcept
{
    try
    {
        return TrackedAlignedNew(size, alignment, type, caller);
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

void* operator new(std::size_t size) { return TrackedNew(size, MemTracker::AT_New, __builtin_return_address(0)); }
void* operator new[](std::size_t size) { return TrackedNew(size, MemTracker::AT_NewArray, __builtin_return_address(0)); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return TrackedNewNothrow(size, MemTracker::AT_New, __builtin_return_address(0));
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return TrackedNewNothrow(size, MemTracker::AT_NewArray, __builtin_return_address(0));
}

void* operator new(std::size_t size, const char* file, int line)
{
    return NewLoop(size, file, static_cast<unsigned>(line), kUnknownOwner, MemTracker::AT_New);
}
void* operator new[](std::size_t size, const char* file, int line)
{
    return NewLoop(size, file, static_cast<unsigned>(line), kUnknownOwner, MemTracker::AT_NewArray);
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
    return TrackedAlignedNew(size, alignment, MemTracker::AT_New, __builtin_return_address(0));
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return TrackedAlignedNew(size, alignment, MemTracker::AT_NewArray, __builtin_return_address(0));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return TrackedAlignedNewNothrow(size, alignment, MemTracker::AT_New, __builtin_return_address(0));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return TrackedAlignedNewNothrow(size, alignment, MemTracker::AT_NewArray, __builtin_return_address(0));
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
