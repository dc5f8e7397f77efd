#include "GLFixture.h"

#include "GLReadBack.h"

#include <cstdio>
#include <cstdlib>

Win32::GLWindowContext* GLFixture::s_ctx = nullptr;

void GLFixture::OpenContext(int width, int height)
{
    delete s_ctx;
    s_ctx = new Win32::GLWindowContext(width, height);
    // Without a context every GL call below is a null function pointer:
    // stop here with the reason rather than crash somewhere in a test.
    if (!s_ctx->Ok()) {
        std::fprintf(stderr, "No OpenGL context for the GL tests: %s\n", s_ctx->Error().c_str());
        std::exit(1);
    }
}

void GLFixture::TearDownTestSuite()
{
    delete s_ctx;
    s_ctx = nullptr;
}

void GLFixture::SetUp()
{
    ASSERT_TRUE(s_ctx && s_ctx->Ok()) << (s_ctx ? s_ctx->Error() : std::string("no context"));
    ASSERT_TRUE(m_folder.Ok());
    DrainGLErrors();
}

void GLFixture::TearDown()
{
    if (!s_ctx || !s_ctx->Ok())
        return;
    glUseProgram(0);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
}
