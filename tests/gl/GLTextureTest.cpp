#include "CoutCapture.h"
#include "GLFixture.h"
#include "GLReadBack.h"
#include "TestImages.h"
#include "TestRenderer.h"

#include "Render/RenderGL/texture/GLTexture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorm;

namespace {

TextureDesc Desc(std::uint32_t type, std::uint32_t internal, std::uint32_t pixel, std::uint32_t w = 0,
                 std::uint32_t h = 0, std::uint8_t mipmap = 0, std::uint8_t flip = 1)
{
    TextureDesc d;
    d.m_width = w;
    d.m_height = h;
    d.m_type = type;
    d.m_internalFormat = internal;
    d.m_pixelFormat = pixel;
    d.m_bMipmap = mipmap;
    d.m_bFlip = flip;
    return d;
}

class GLTextureTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (HasFatalFailure())
            return;
        TestImages::InitDevIL();
        renderer.GetTexturePath() = m_folder.Dir();
    }

    // Level 0 of a face or 2D target as tightly packed RGB bytes.
    static std::vector<std::uint8_t> ReadRgb(GLTexture& tex, GLenum target, int w, int h)
    {
        std::vector<std::uint8_t> out(std::size_t(w) * h * 3 + 16, 0xCD);
        tex.Bind();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(target, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        tex.Unbind();
        out.resize(std::size_t(w) * h * 3);
        return out;
    }

    static GLint Param(GLTexture& tex, GLenum pname)
    {
        GLint v = -1;
        tex.Bind();
        glGetTexParameteriv(tex.GetTarget(), pname, &v);
        tex.Unbind();
        return v;
    }

    TestRenderer renderer;
};

// 3 x 2 picture, top row first, as (R, G, B) and as the file's (B, G, R).
const std::vector<std::uint8_t> kRgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};

std::vector<std::uint8_t> ToBgr(const std::vector<std::uint8_t>& rgb)
{
    std::vector<std::uint8_t> out(rgb);
    for (std::size_t i = 0; i + 2 < out.size(); i += 3)
        std::swap(out[i], out[i + 2]);
    return out;
}

std::vector<std::uint8_t> Row(const std::vector<std::uint8_t>& rgb, int width, int row)
{
    return std::vector<std::uint8_t>(rgb.begin() + row * width * 3, rgb.begin() + (row + 1) * width * 3);
}

} // namespace

TEST_F(GLTextureTest, CreateFromDataTakesTightRowsAndDefaultSampling)
{
    GLTexture tex;
    tex.CreateFromData(Desc(1, 0, 0, 3, 2), kRgb.data());
    EXPECT_EQ(0, GLInt(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(kRgb, ReadRgb(tex, GL_TEXTURE_2D, 3, 2));
    EXPECT_EQ(4, GLInt(GL_UNPACK_ALIGNMENT)); // restored for everyone else

    EXPECT_EQ(GL_LINEAR, Param(tex, GL_TEXTURE_MAG_FILTER));
    EXPECT_EQ(GL_LINEAR, Param(tex, GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_CLAMP_TO_EDGE, Param(tex, GL_TEXTURE_WRAP_S));
    EXPECT_EQ(GL_CLAMP_TO_EDGE, Param(tex, GL_TEXTURE_WRAP_T));

    TextureParams params;
    params.m_magFilter = 0;
    params.m_minFilter = 5;
    params.m_wrapS = 1;
    params.m_wrapT = 3;
    tex.SetParameters(params);
    EXPECT_EQ(GL_NEAREST, Param(tex, GL_TEXTURE_MAG_FILTER));
    EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, Param(tex, GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_REPEAT, Param(tex, GL_TEXTURE_WRAP_S));
    EXPECT_EQ(GL_MIRRORED_REPEAT, Param(tex, GL_TEXTURE_WRAP_T));
    EXPECT_EQ(0, GLInt(GL_TEXTURE_BINDING_2D));

    // A second creation replaces the GL texture instead of leaking it.
    const GLuint first = tex.GetHandle();
    tex.Create(Desc(1, 1, 1, 2, 2));
    EXPECT_FALSE(glIsTexture(first));
}

TEST_F(GLTextureTest, FloatDataAndMipmaps)
{
    const float texels[4 * 4 * 3] = {0.25f, 0.5f, 1.75f};
    GLTexture tex;
    tex.CreateFromData(Desc(1, 6, 2, 4, 4, 1), texels); // RGB32F storage from float RGB
    std::vector<float> back(4 * 4 * 3, -1.0f);
    tex.Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, back.data());
    tex.Unbind();
    EXPECT_FLOAT_EQ(0.25f, back[0]);
    EXPECT_FLOAT_EQ(1.75f, back[2]);
    EXPECT_FLOAT_EQ(0.0f, back[3]);
    EXPECT_EQ(2, TextureLevelParam(tex, GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH));
    EXPECT_EQ(1, TextureLevelParam(tex, GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH));

    // Float data into 8-bit storage (index 2): clamped and quantised by GL.
    GLTexture plain;
    plain.CreateFromData(Desc(1, 0, 2, 4, 4, 0), texels);
    plain.Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, back.data());
    plain.Unbind();
    EXPECT_NEAR(0.25f, back[0], 1.0f / 255);
    EXPECT_FLOAT_EQ(1.0f, back[2]);
    EXPECT_EQ(0, TextureLevelParam(plain, GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH));
    plain.GenerateMipmaps();
    EXPECT_EQ(2, TextureLevelParam(plain, GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH));
}

TEST_F(GLTextureTest, RgbFileWithOddRowsAndTheFlipFlag)
{
    ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Dir() + "odd.tga", 3, 2, 3, ToBgr(kRgb)));

    GLTexture top;
    top.CreateFromFile(Desc(1, 0, 0, 0, 0, 0, 1), "odd.tga");
    EXPECT_EQ(3, TextureLevelParam(top, GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH));
    EXPECT_EQ(kRgb, ReadRgb(top, GL_TEXTURE_2D, 3, 2)); // row 0 = top of the picture

    GLTexture bottom;
    bottom.CreateFromFile(Desc(1, 0, 0, 0, 0, 1, 0), "odd.tga");
    const std::vector<std::uint8_t> back = ReadRgb(bottom, GL_TEXTURE_2D, 3, 2);
    EXPECT_EQ(Row(kRgb, 3, 1), Row(back, 3, 0));
    EXPECT_EQ(Row(kRgb, 3, 0), Row(back, 3, 1));
    EXPECT_EQ(1, TextureLevelParam(bottom, GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH)); // mipmaps made
    EXPECT_EQ(GL_LINEAR, Param(bottom, GL_TEXTURE_MIN_FILTER));
}

TEST_F(GLTextureTest, GreyAndPaletteFilesBecomeColour)
{
    ASSERT_TRUE(TestImages::WriteGrey(m_folder.Dir() + "grey.tga", 3, 1, {0, 128, 255}));
    GLTexture grey;
    grey.CreateFromFile(Desc(1, 0, 0), "grey.tga");
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 0, 128, 128, 128, 255, 255, 255}), ReadRgb(grey, GL_TEXTURE_2D, 3, 1));

    const std::vector<std::uint8_t> paletteBgr = {0, 0, 200, 0, 150, 0, 100, 0, 0};
    ASSERT_TRUE(TestImages::WritePalette(m_folder.Dir() + "pal.tga", 3, 1, {2, 0, 1}, paletteBgr));
    GLTexture pal;
    pal.CreateFromFile(Desc(1, 1, 1, 0, 0, 1), "pal.tga");
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ((std::vector<std::uint8_t>{0, 0, 100, 200, 0, 0, 0, 150, 0}), ReadRgb(pal, GL_TEXTURE_2D, 3, 1));
}

TEST_F(GLTextureTest, UnreadableFileIsReportedAndUploadsNothing)
{
    ASSERT_TRUE(TestImages::WriteGrey(m_folder.Dir() + "ok.tga", 2, 2, {1, 2, 3, 4}));
    GLTexture missing;
    {
        CoutCapture out;
        missing.CreateFromFile(Desc(1, 0, 0, 0, 0, 1), "nope.tga");
        EXPECT_TRUE(out.Contains("Error reading image file"));
    }
    EXPECT_NE(0u, missing.GetHandle());
    EXPECT_EQ(0, TextureLevelParam(missing, GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    // The failure leaves nothing behind for the next load.
    GLTexture ok;
    {
        CoutCapture out;
        ok.CreateFromFile(Desc(1, 0, 0), "ok.tga");
        EXPECT_EQ("", out.Text());
    }
    EXPECT_EQ(2, TextureLevelParam(ok, GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH));

    // Types other than 2D and cube map are not read from files at all.
    GLTexture line;
    CoutCapture out;
    line.CreateFromFile(Desc(2, 0, 0), "ok.tga");
    EXPECT_TRUE(out.Contains("Not implemented"));
    EXPECT_FALSE(out.Contains("Error reading image file"));
}

TEST_F(GLTextureTest, CubeMapFacesLandOnTheirTargets)
{
    const char* prefixes[6] = {"px_", "py_", "pz_", "nx_", "ny_", "nz_"};
    const GLenum faces[6] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                             GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                             GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};
    for (int f = 0; f < 6; ++f) {
        // 2 x 2 face of one colour, distinct per face: (10f, 20 + f, 200 - f).
        std::vector<std::uint8_t> bgr;
        for (int p = 0; p < 4; ++p) {
            bgr.push_back(std::uint8_t(200 - f));
            bgr.push_back(std::uint8_t(20 + f));
            bgr.push_back(std::uint8_t(10 * f));
        }
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Dir() + prefixes[f] + "sky.tga", 2, 2, 3, bgr));
    }
    GLTexture cube;
    cube.CreateFromFile(Desc(3, 0, 0, 0, 0, 1), "sky.tga");
    EXPECT_EQ(GLuint(GL_TEXTURE_CUBE_MAP), cube.GetTarget());
    EXPECT_EQ(0, GLInt(GL_TEXTURE_BINDING_CUBE_MAP));
    for (int f = 0; f < 6; ++f) {
        const std::vector<std::uint8_t> px = ReadRgb(cube, faces[f], 2, 2);
        EXPECT_EQ(10 * f, px[0]) << prefixes[f];
        EXPECT_EQ(20 + f, px[1]) << prefixes[f];
        EXPECT_EQ(200 - f, px[2]) << prefixes[f];
        EXPECT_EQ(1, TextureLevelParam(cube, faces[f], 1, GL_TEXTURE_WIDTH)) << prefixes[f];
    }

    // Copying the frame buffer into a cube map copies nothing and is no error.
    cube.CopyFromFramebuffer();
    EXPECT_EQ(10 * 5, ReadRgb(cube, faces[5], 2, 2)[0]);
}

TEST_F(GLTextureTest, CubeMapWithAMissingFaceIsReportedWithoutAGLError)
{
    for (const char* p : {"px_", "py_", "pz_", "nx_", "ny_"})
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Dir() + p + "half.tga", 1, 1, 3, {1, 2, 3}));
    GLTexture cube;
    CoutCapture out;
    cube.CreateFromFile(Desc(3, 0, 0, 0, 0, 1), "half.tga");
    EXPECT_TRUE(out.Contains("Error reading image file"));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ(1, TextureLevelParam(cube, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, 0, GL_TEXTURE_WIDTH));
    EXPECT_EQ(0, TextureLevelParam(cube, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_TEXTURE_WIDTH));
}

TEST_F(GLTextureTest, CopyFromFramebufferTakesTheLowerLeftCorner)
{
    glViewport(0, 0, Ctx().Width(), Ctx().Height());
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);

    GLTexture tex;
    tex.Create(Desc(1, 0, 0, 2, 2));
    tex.CopyFromFramebuffer();
    EXPECT_EQ(0, GLInt(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ((std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0}), ReadRgb(tex, GL_TEXTURE_2D, 2, 2));
}
