#include "Core/Util/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace Vorm {
namespace {

void DefaultAssertHandler(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", condition, file, line);
#ifndef NDEBUG
    std::abort();
#endif
}

AssertHandler g_handler = DefaultAssertHandler;

} // namespace

AssertHandler SetAssertHandler(AssertHandler handler)
{
    AssertHandler previous = g_handler;
    g_handler = handler ? handler : DefaultAssertHandler;
    return previous;
}

void AssertFailed(const char* condition, const char* file, int line)
{
    g_handler(condition, file, line);
}

} // namespace Vorm
