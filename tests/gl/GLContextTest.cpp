#include "GLTestContext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// The whole GL test path rests on this: a 3.1 forward-compatible context that
// clears and reads back, and that is really held to 3.1.
TEST(GLContext, ClearsAndReadsBackOnA31Context)
{
    GLTestContext ctx;
    ASSERT_TRUE(ctx.Ok()) << ctx.Error();

    GLint major = 0, minor = 0, flags = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    EXPECT_EQ(3, major);
    EXPECT_EQ(1, minor);
    EXPECT_TRUE(flags & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT);
    const char* glsl = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
    ASSERT_NE(nullptr, glsl);
    EXPECT_EQ(0, std::strncmp(glsl, "1.40", 4)) << glsl;

    glViewport(0, 0, ctx.Width(), ctx.Height());
    glClearColor(0.25f, 0.5f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {0, 0, 0, 0};
    ctx.ReadPixel(ctx.Width() / 2, ctx.Height() / 2, px);
    EXPECT_NEAR(64, px[0], 1);
    EXPECT_NEAR(128, px[1], 1);
    EXPECT_EQ(255, px[2]);
    EXPECT_EQ(255, px[3]);
    EXPECT_EQ(GLenum(GL_NO_ERROR), GLTestContext::DrainErrors());
}
