// Creates a GL context, clears it, and destroys it again, so a test can read
// the "memleaks.log" of a program whose GL driver allocates through our
// operators. "leak" also leaks a block and a filled vector of its own.
#include "Core/Memory/MemTracker.h"
#include "Platform/GLWindowContext.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Keeps the compiler from eliding the leaked blocks.
void* volatile g_sink = nullptr;

} // namespace

int main(int argc, char** argv)
{
    const bool leak = argc > 1 && std::strcmp(argv[1], "leak") == 0;
    {
        Win32::GLWindowContext context;
        if (!context.Ok())
        {
            std::fprintf(stderr, "%s\n", context.Error().c_str());
            return 2;
        }
        glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        unsigned char pixel[4] = {0, 0, 0, 0};
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        if (pixel[2] == 0)
            return 3;
        context.Swap();
    }
    if (leak)
    {
        g_sink = VORM_NEW int(7);
        g_sink = new std::vector<int>(1000, 1);
    }
    return 0;
}
