// Runs one tracker scenario in the current directory, so a test can read the
// "memory.log" and "memleaks.log" it leaves behind and the report written at
// exit. Prints the source line of a leaked block on stdout.
#include "Core/Memory/MemTracker.h"

#include <cstdio>
#include <cstring>

namespace Vorm {
namespace Probe {

// Keeps the compiler from eliding new/delete pairs whose blocks are unused.
void* volatile g_sink = nullptr;

int* Leak()
{
    std::printf("%d\n", __LINE__ + 1);
    int* p = VORM_NEW int(42);
    g_sink = p;
    return p;
}

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
        Vorm::Probe::Leak();
    }
    else if (std::strcmp(mode, "late") == 0)
    {
        Vorm::Probe::g_lateBlock = Vorm::Probe::Leak();
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
    else
    {
        return 2;
    }
    return 0;
}
