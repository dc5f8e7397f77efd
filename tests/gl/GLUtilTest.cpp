#include "CoutCapture.h"
#include "GLFixture.h"
#include "GLReadBack.h"

#include "Core/Rendering/DataFormat.h"
#include "RenderGL/GLUtil.h"
#include "RenderGL/texture/GLTexture.h"

#include <gtest/gtest.h>

#include <GL/glu.h>

#include <string>
#include <vector>

using namespace Vorm;

using GLUtilTest = GLFixture;

// Every GL test rests on the context being a forward-compatible 3.1 one.
TEST_F(GLUtilTest, VersionOfThe31Context)
{
    EXPECT_TRUE(GLInt(GL_CONTEXT_FLAGS) & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT);
    int version[4] = {-1, -1, -1, -1};
    GetGLVersion(version[0], version[1], version[2], version[3]);
    EXPECT_EQ((std::vector<int>{3, 1, 1, 40}), std::vector<int>(version, version + 4));
}

TEST_F(GLUtilTest, CheckGLErrorDrainsAndPrintsEveryErrorWithAText)
{
    glEnable(0xFFFF);                        // invalid enum
    glBindTexture(GL_TEXTURE_2D, 0x7FFFFFF); // core: a name never generated
    {
        // One line each, naming what was being done.
        CoutCapture out;
        CheckGLError("setting up the test");
        const std::string prefix = "GL error while setting up the test: ";
        const std::string first = prefix + reinterpret_cast<const char*>(gluErrorString(GL_INVALID_ENUM)) + "\n";
        // Mesa keeps the first error only; other drivers may queue the second.
        const std::string text = out.Text();
        EXPECT_EQ(0u, text.find(first)) << text;
        if (text.size() > first.size()) {
            EXPECT_EQ(first.size(), text.find(prefix, first.size())) << text;
            EXPECT_EQ(text.size() - 1, text.find('\n', first.size())) << text;
        }
    }
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    CoutCapture quiet; // nothing queued prints nothing
    CheckGLError();
    EXPECT_EQ("", quiet.Text());

    EXPECT_EQ(nullptr, gluErrorString(0x7777)); // what the drain must not print
    ASSERT_NE(nullptr, GLErrorString(0x7777));
    EXPECT_STRNE("", GLErrorString(0x7777));
    EXPECT_STREQ(reinterpret_cast<const char*>(gluErrorString(GL_OUT_OF_MEMORY)), GLErrorString(GL_OUT_OF_MEMORY));
}

TEST_F(GLUtilTest, TableLookupsPastTheirEndsGiveInvalidEnum)
{
    EXPECT_EQ(GLenum(GL_FLOAT_VEC4), GLDataFormat::Get(eDataFormat_FLOAT4));
    EXPECT_EQ(GLenum(GL_UNSIGNED_BYTE), GLDataFormat::Get(eDataFormat_UBYTE1));
    EXPECT_EQ(GLenum(GL_UNSIGNED_INT), GLDataFormat::Get(eDataFormat_UINT1));
    EXPECT_EQ(GLenum(GL_INVALID_ENUM), GLDataFormat::Get(eDataFormat_NONE));
    EXPECT_EQ(GLenum(GL_INVALID_ENUM), GLPrimitiveType::Get(3));
    EXPECT_EQ(GLenum(GL_INVALID_ENUM), GLTextureUnit::Get(18));
    EXPECT_EQ(GLenum(GL_INVALID_ENUM), GLMapAttachment(GLMaxColorAttachments + 1));
    EXPECT_EQ(GLenum(GL_INVALID_ENUM), GLMapPixelFormat(11));
    EXPECT_EQ(GLenum(GL_INVALID_ENUM), GLMapWrap(4));
}

// Every pixel-format index makes storage GL accepts, with the internal
// format the index names, also as the layout of the (absent) data.
TEST_F(GLUtilTest, EveryPixelFormatIndexMakesValidStorage)
{
    const GLenum expected[11] = {GL_RGB,    GL_RGBA,    GL_RGB,    GL_RGBA,    GL_RGB16F,           GL_RGBA16F,
                                 GL_RGB32F, GL_RGBA32F, GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT32};
    for (std::uint32_t i = 0; i < 11; ++i) {
        SCOPED_TRACE(i);
        GLTexture tex;
        tex.Create(TextureDesc{4, 4, 0, 0, 1, 1, i, i}); // 2D, no mipmaps
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
        EXPECT_EQ(4, TextureLevelParam(tex, GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH));
        EXPECT_EQ(GLint(expected[i]), TextureLevelParam(tex, GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT));
    }
}
