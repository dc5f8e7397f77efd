// Runs one tracker scenario in the current directory, so a test can read the
// "memory.log" and "memleaks.log" it leaves behind. Prints the source lines
// the test needs to know on stdout.
#include "Core/Memory/MemTracker.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace Vorm {
namespace Probe {

// Keeps the compiler from eliding new/delete pairs whose blocks are unused.
void* volatile g_sink = nullptr;
void* volatile g_null = nullptr;

struct Leaker
{
    static int* Leak()
    {
        std::printf("leak-line %d\n", __LINE__ + 1);
        int* p = VORM_NEW int(42);
        g_sink = p;
        return p;
    }
};

int* g_lateBlock = nullptr;

// Runs after every static destructor, the tracker's included.
__attribute__((destructor)) void ReleaseLate()
{
    if (g_lateBlock)
        VORM_DELETE g_lateBlock;
}

} // namespace Probe
} // namespace Vorm

int main(int argc, char** argv)
{
    using Vorm::MemTracker;
    const char* mode = argc > 1 ? argv[1] : "clean";

    if (std::strcmp(mode, "clean") == 0)
    {
        int* p = VORM_NEW int(1);
        char* a = VORM_NEW char[100];
        Vorm::Probe::g_sink = p;
        Vorm::Probe::g_sink = a;
        VORM_DELETE[] a;
        VORM_DELETE p;
    }
    else if (std::strcmp(mode, "leak") == 0)
    {
        Vorm::Probe::Leaker::Leak();
    }
    else if (std::strcmp(mode, "late") == 0)
    {
        Vorm::Probe::g_lateBlock = Vorm::Probe::Leaker::Leak();
    }
    else if (std::strcmp(mode, "overrun") == 0)
    {
        std::printf("alloc-line %d\n", __LINE__ + 1);
        char* a = VORM_NEW char[10];
        Vorm::Probe::g_sink = a;
        static_cast<char*>(Vorm::Probe::g_sink)[10] = 'x';
        VORM_DELETE[] a;
    }
    else if (std::strcmp(mode, "mismatch") == 0)
    {
        int* a = VORM_NEW int[4];
        Vorm::Probe::g_sink = a;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
        VORM_DELETE a; // wrong form on purpose
#pragma GCC diagnostic pop
    }
    else if (std::strcmp(mode, "logall") == 0)
    {
        MemTracker::AlwaysLogAll() = true;
        std::printf("new-line %d\n", __LINE__ + 1);
        int* p = VORM_NEW int(7);
        Vorm::Probe::g_sink = p;
        std::printf("delete-line %d\n", __LINE__ + 1);
        VORM_DELETE p;
        int* none = static_cast<int*>(Vorm::Probe::g_null);
        VORM_DELETE none; // g++ calls no operator delete here; the owner is reset all the same
        std::printf("null-line %d\n", __LINE__ + 1);
        MemTracker::SetOwner(__FILE__, __LINE__, VORM_FUNCTION_NAME);
        ::operator delete(Vorm::Probe::g_null);
        std::printf("chain-line %d\n", __LINE__ + 1);
        MemTracker::SetOwner(__FILE__, __LINE__, VORM_FUNCTION_NAME);
        MemTracker::SetOwner(__FILE__, __LINE__, VORM_FUNCTION_NAME);
        MemTracker::ResetGlobals();
        MemTracker::AlwaysLogAll() = false;
    }
    else if (std::strcmp(mode, "oom") == 0)
    {
        try
        {
            Vorm::Probe::g_sink = new char[0xFFFFFFE0u];
            std::printf("allocated\n");
        }
        catch (const std::bad_alloc& e)
        {
            std::printf("caught %s\n", e.what());
        }
    }
    else
    {
        std::printf("unknown mode %s\n", mode);
        return 2;
    }
    return 0;
}
