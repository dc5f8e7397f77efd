#include "CoutCapture.h"
#include "GLFixture.h"
#include "GLReadBack.h"
#include "TestImages.h"
#include "RecordingRenderer.h"

#include "RenderGL/texture/GLTexture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace Vorm;

namespace {

typedef std::vector<std::uint8_t> Bytes;

TextureDesc Desc(std::uint32_t type, std::uint32_t internal, std::uint32_t pixel, std::uint32_t w = 0,
                 std::uint32_t h = 0, std::uint8_t mipmap = 0, std::uint8_t flip = 1)
{
    return TextureDesc{w, h, 0, mipmap, flip, type, internal, pixel};
}

class GLTextureTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (HasFatalFailure())
            return;
        renderer.GetTexturePath() = m_folder.Dir();
    }

    // Level 0 of a face or 2D target as tightly packed RGB bytes.
    static Bytes ReadRgb(GLTexture& tex, GLenum target, int w, int h)
    {
        Bytes out(std::size_t(w) * h * 3 + 16, 0xCD);
        tex.Bind();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(target, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        tex.Unbind();
        out.resize(std::size_t(w) * h * 3);
        return out;
    }
    static GLint Width(GLTexture& tex, int level, GLenum target = GL_TEXTURE_2D)
    {
        return TextureLevelParam(tex, target, level, GL_TEXTURE_WIDTH);
    }
    // Magnification and minification filters, then wrap modes in s and t.
    static std::vector<GLint> Sampling(GLTexture& tex)
    {
        std::vector<GLint> v;
        tex.Bind();
        for (GLenum pname : {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
            v.push_back(-1);
            glGetTexParameteriv(tex.GetTarget(), pname, &v.back());
        }
        tex.Unbind();
        return v;
    }

    RecordingRenderer renderer;
};

// 3 x 2 picture, top row first, as (R, G, B); files hold (B, G, R).
const Bytes kRgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};

Bytes ToBgr(Bytes rgb)
{
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        std::swap(rgb[i], rgb[i + 2]);
    return rgb;
}

} // namespace

TEST_F(GLTextureTest, CreateFromDataTakesTightRowsAndDefaultSampling)
{
    GLTexture tex;
    tex.CreateFromData(Desc(1, 0, 0, 3, 2), kRgb.data());
    EXPECT_EQ(0, GLInt(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(kRgb, ReadRgb(tex, GL_TEXTURE_2D, 3, 2));
    EXPECT_EQ(4, GLInt(GL_UNPACK_ALIGNMENT)); // restored for everyone else
    EXPECT_EQ((std::vector<GLint>{GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE}), Sampling(tex));

    tex.SetParameters(TextureParams{0, 5, 1, 3}); // nearest, linear-mipmap-linear, repeat, mirrored
    EXPECT_EQ((std::vector<GLint>{GL_NEAREST, GL_LINEAR_MIPMAP_LINEAR, GL_REPEAT, GL_MIRRORED_REPEAT}), Sampling(tex));
    EXPECT_EQ(0, GLInt(GL_TEXTURE_BINDING_2D));

    // A second creation replaces the GL texture instead of leaking it.
    const GLuint first = tex.GetHandle();
    tex.Create(Desc(1, 1, 1, 2, 2));
    EXPECT_FALSE(glIsTexture(first));
}

TEST_F(GLTextureTest, FloatDataAndMipmaps)
{
    const float texels[4 * 4 * 3] = {0.25f, 0.5f, 1.75f};
    std::vector<float> back(4 * 4 * 3, -1.0f);
    GLTexture tex;
    tex.CreateFromData(Desc(1, 6, 2, 4, 4, 1), texels); // RGB32F storage from float RGB
    tex.Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, back.data());
    tex.Unbind();
    EXPECT_EQ((std::vector<float>{0.25f, 0.5f, 1.75f, 0.0f}), std::vector<float>(back.begin(), back.begin() + 4));
    EXPECT_EQ(2, Width(tex, 1));
    EXPECT_EQ(1, Width(tex, 2));

    // Float data into 8-bit storage (index 2): clamped and quantised by GL.
    GLTexture plain;
    plain.CreateFromData(Desc(1, 0, 2, 4, 4, 0), texels);
    plain.Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, back.data());
    plain.Unbind();
    EXPECT_NEAR(0.25f, back[0], 1.0f / 255);
    EXPECT_FLOAT_EQ(1.0f, back[2]);
    EXPECT_EQ(0, Width(plain, 1));
    plain.GenerateMipmaps();
    EXPECT_EQ(2, Width(plain, 1));
}

TEST_F(GLTextureTest, RgbGreyAndPaletteFilesBecomeColourTheRightWayUp)
{
    ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path("odd.tga"), 3, 2, 3, ToBgr(kRgb)));
    GLTexture top;
    top.CreateFromFile(Desc(1, 0, 0, 0, 0, 0, 1), "odd.tga");
    EXPECT_EQ(3, Width(top, 0));
    EXPECT_EQ(kRgb, ReadRgb(top, GL_TEXTURE_2D, 3, 2)); // row 0 = top of the picture

    GLTexture bottom;
    bottom.CreateFromFile(Desc(1, 0, 0, 0, 0, 1, 0), "odd.tga");
    Bytes flipped(kRgb.begin() + 9, kRgb.end());
    flipped.insert(flipped.end(), kRgb.begin(), kRgb.begin() + 9);
    EXPECT_EQ(flipped, ReadRgb(bottom, GL_TEXTURE_2D, 3, 2));
    EXPECT_EQ(1, Width(bottom, 1)); // mipmaps made
    EXPECT_EQ(GL_LINEAR, Sampling(bottom)[1]);

    ASSERT_TRUE(TestImages::WriteGrey(m_folder.Path("grey.tga"), 3, 1, {0, 128, 255}));
    GLTexture grey;
    grey.CreateFromFile(Desc(1, 0, 0), "grey.tga");
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ((Bytes{0, 0, 0, 128, 128, 128, 255, 255, 255}), ReadRgb(grey, GL_TEXTURE_2D, 3, 1));

    ASSERT_TRUE(TestImages::WritePalette(m_folder.Path("pal.tga"), 3, 1, {2, 0, 1}, {0, 0, 200, 0, 150, 0, 100, 0, 0}));
    GLTexture pal;
    pal.CreateFromFile(Desc(1, 1, 1, 0, 0, 1), "pal.tga");
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ((Bytes{0, 0, 100, 200, 0, 0, 0, 150, 0}), ReadRgb(pal, GL_TEXTURE_2D, 3, 1));
}

TEST_F(GLTextureTest, GreyAlphaFilesKeepTheirAlphaAndSixteenBitFilesTheirDepth)
{
    ASSERT_TRUE(TestImages::WritePng(m_folder.Path("ga.png"), 2, 1, 4, 8, {10, 200, 30, 40}));
    GLTexture ga;
    ga.CreateFromFile(Desc(1, 1, 1), "ga.png");
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    Bytes rgba(8, 0xCD);
    ga.Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    ga.Unbind();
    EXPECT_EQ((Bytes{10, 10, 10, 200, 30, 30, 30, 40}), rgba);

    // Into half-float storage the samples arrive with more than 8 bits.
    ASSERT_TRUE(TestImages::WritePng(m_folder.Path("deep.png"), 1, 1, 2, 16, {0x12, 0x34, 0x80, 0x80, 0xFF, 0xFF}));
    GLTexture deep;
    deep.CreateFromFile(Desc(1, 4, 0), "deep.png");
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    float rgb[3] = {-1.0f, -1.0f, -1.0f};
    deep.Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_FLOAT, rgb);
    deep.Unbind();
    EXPECT_NEAR(0x1234 / 65535.0f, rgb[0], 1e-4f);
    EXPECT_GT(std::fabs(0x12 / 255.0f - rgb[0]), 3e-4f); // not cut to 8 bits on the way
    EXPECT_NEAR(0x8080 / 65535.0f, rgb[1], 1e-3f);
    EXPECT_FLOAT_EQ(1.0f, rgb[2]);
}

TEST_F(GLTextureTest, UnreadableFileIsReportedAndUploadsNothing)
{
    ASSERT_TRUE(TestImages::WriteGrey(m_folder.Path("ok.tga"), 2, 2, {1, 2, 3, 4}));
    GLTexture missing, ok, line;
    {
        CoutCapture out;
        missing.CreateFromFile(Desc(1, 0, 0, 0, 0, 1), "nope.tga");
        EXPECT_TRUE(out.Contains("Error reading image file"));
    }
    EXPECT_NE(0u, missing.GetHandle());
    EXPECT_EQ(0, Width(missing, 0));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());

    // The failure leaves nothing behind for the next load.
    {
        CoutCapture out;
        ok.CreateFromFile(Desc(1, 0, 0), "ok.tga");
        EXPECT_EQ("", out.Text());
    }
    EXPECT_EQ(2, Width(ok, 0));

    // Types other than 2D and cube map are not read from files at all.
    CoutCapture out;
    line.CreateFromFile(Desc(2, 0, 0), "ok.tga");
    EXPECT_TRUE(out.Contains("Not implemented"));
    EXPECT_FALSE(out.Contains("Error reading image file"));
}

TEST_F(GLTextureTest, CubeMapFacesLandOnTheirTargetsAndAMissingFaceIsReportedWithoutAGLError)
{
    const char* prefixes[6] = {"px_", "py_", "pz_", "nx_", "ny_", "nz_"};
    const GLenum faces[6] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                             GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                             GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};
    for (int f = 0; f < 6; ++f) {
        // 2 x 2 face of one colour, distinct per face: (10f, 20 + f, 200 - f).
        Bytes bgr;
        for (int p = 0; p < 4; ++p)
            bgr.insert(bgr.end(), {std::uint8_t(200 - f), std::uint8_t(20 + f), std::uint8_t(10 * f)});
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path(prefixes[f] + std::string("sky.tga")), 2, 2, 3, bgr));
    }
    GLTexture cube;
    cube.CreateFromFile(Desc(3, 0, 0, 0, 0, 1), "sky.tga");
    EXPECT_EQ(GLuint(GL_TEXTURE_CUBE_MAP), cube.GetTarget());
    EXPECT_EQ(0, GLInt(GL_TEXTURE_BINDING_CUBE_MAP));
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(prefixes[f]);
        const Bytes px = ReadRgb(cube, faces[f], 2, 2);
        EXPECT_EQ((Bytes{std::uint8_t(10 * f), std::uint8_t(20 + f), std::uint8_t(200 - f)}), Bytes(px.begin(), px.begin() + 3));
        EXPECT_EQ(1, Width(cube, 1, faces[f]));
    }
    // Copying the frame buffer into a cube map copies nothing and is no error.
    cube.CopyFromFramebuffer();
    EXPECT_EQ(10 * 5, ReadRgb(cube, faces[5], 2, 2)[0]);

    // Without its last face: reported, the other faces loaded, no mipmaps tried.
    m_folder.Remove("nz_sky.tga");
    GLTexture half;
    CoutCapture out;
    half.CreateFromFile(Desc(3, 0, 0, 0, 0, 1), "sky.tga");
    EXPECT_TRUE(out.Contains("Error reading image file"));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ(2, Width(half, 0, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y));
    EXPECT_EQ(0, Width(half, 0, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z));
}

// GL takes faces of any size one by one but samples a cube map only when all
// six are square and alike: a face of another size is named and left empty,
// as a missing one is, without a GL error.
TEST_F(GLTextureTest, CubeMapFaceOfAnotherSizeIsNamedAndLeftEmpty)
{
    const char* prefixes[6] = {"px_", "py_", "pz_", "nx_", "ny_", "nz_"};
    const GLenum faces[6] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                             GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                             GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};
    const struct
    {
        const char* what;
        int sides[6][2]; // width and height of each face
        const char* message; // of the odd face, after its path
        int odd;
    } cases[] = {
        {"one face larger", {{2, 2}, {2, 2}, {2, 2}, {4, 4}, {2, 2}, {2, 2}},
         " is 4 x 4 pixels, the other faces 2 x 2; it stays empty", 3},
        {"the first face is the odd one", {{1, 1}, {4, 4}, {4, 4}, {4, 4}, {4, 4}, {4, 4}},
         " is 1 x 1 pixels, the other faces 4 x 4; it stays empty", 0},
        {"a face that is not square", {{2, 2}, {2, 2}, {2, 2}, {2, 2}, {2, 2}, {2, 4}},
         " is 2 x 4 pixels, not square; it stays empty", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int f = 0; f < 6; ++f)
            ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Path(prefixes[f] + std::string("sky.tga")), c.sides[f][0],
                                                   c.sides[f][1], 3,
                                                   Bytes(std::size_t(c.sides[f][0]) * c.sides[f][1] * 3, 90)));
        GLTexture cube;
        CoutCapture out;
        cube.CreateFromFile(Desc(3, 0, 0, 0, 0, 1), "sky.tga");
        EXPECT_EQ("Cube map face " + m_folder.Path(prefixes[c.odd] + std::string("sky.tga")) + c.message + "\n",
                  out.Text());
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
        for (int f = 0; f < 6; ++f)
            EXPECT_EQ(f == c.odd ? 0 : c.sides[(c.odd + 1) % 6][0], Width(cube, 0, faces[f])) << prefixes[f];
        // No mipmaps of a cube map that is not whole.
        EXPECT_EQ(0, Width(cube, 1, faces[(c.odd + 1) % 6]));
    }
}

TEST_F(GLTextureTest, ImagesLargerThanGLTakesAreRefusedNamingTheFile)
{
    GLint maxSide = 0, maxFace = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    glGetIntegerv(GL_MAX_CUBE_MAP_TEXTURE_SIZE, &maxFace);
    ASSERT_TRUE(TestImages::WritePngHeader(m_folder.Path("wide.png"), 100000, 1, 2, 8, 1));
    GLTexture wide;
    {
        CoutCapture out;
        wide.CreateFromFile(Desc(1, 0, 0, 0, 0, 1), "wide.png");
        EXPECT_EQ("Error reading image file " + m_folder.Path("wide.png") +
                      ": is 100000 x 1 pixels, larger than a texture may be (" + std::to_string(maxSide) +
                      " pixels a side); the texture stays empty\n",
                  out.Text());
    }
    EXPECT_EQ(0, Width(wide, 0));

    // A face of a sky box whose bytes would wrap 32 bits, among good ones.
    const std::uint8_t top[6][3] = {}, bottom[6][3] = {};
    ASSERT_TRUE(TestImages::WriteCubeFaces(m_folder.Dir(), "sky.png", 4, top, bottom));
    ASSERT_TRUE(TestImages::WritePngHeader(m_folder.Path("py_sky.png"), 65536, 65536, 6, 8, 2));
    GLTexture cube;
    CoutCapture out;
    cube.CreateFromFile(Desc(3, 0, 0, 0, 0, 1), "sky.png");
    EXPECT_EQ("Error reading image file " + m_folder.Path("py_sky.png") +
                  ": is 65536 x 65536 pixels, larger than a cube-map face may be (" + std::to_string(maxFace) +
                  " pixels a side); the texture stays empty\n",
              out.Text());
    EXPECT_EQ(4, Width(cube, 0, GL_TEXTURE_CUBE_MAP_POSITIVE_X));
    EXPECT_EQ(0, Width(cube, 0, GL_TEXTURE_CUBE_MAP_POSITIVE_Y));
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
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
    EXPECT_EQ((Bytes{255, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0}), ReadRgb(tex, GL_TEXTURE_2D, 2, 2));
}

// DXT1 blocks of 4 x 4 pixels: two 5-6-5 colours and four that index them
// (the two, then two thirds and one third of the way between).
TEST_F(GLTextureTest, DxtFileUploadsDecompressedWithTheColoursWrittenAndMipmaps)
{
    const Bytes blocks = {
        0x00, 0xF8, 0x1F, 0x00, 0x00, 0x55, 0xAA, 0xFF, // red and blue; row r takes index r
        0xE0, 0x07, 0x00, 0x00, 0x44, 0x44, 0x44, 0x44, // green and black by turns along each row
    };
    TestImages::Dds dds{8, 4, "DXT1", 0, 0, 0, blocks, 0};
    ASSERT_TRUE(TestImages::WriteDds(m_folder.Path("rock.dds"), dds));
    GLTexture tex;
    {
        CoutCapture out;
        tex.CreateFromFile(Desc(1, 1, 1, 0, 0, 1), "rock.dds");
        EXPECT_EQ("", out.Text());
    }
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ(8, Width(tex, 0));
    EXPECT_EQ(4, Width(tex, 1));

    const int left[4][3] = {{255, 0, 0}, {0, 0, 255}, {170, 0, 85}, {85, 0, 170}};
    const int right[2][3] = {{0, 255, 0}, {0, 0, 0}};
    const Bytes rgb = ReadRgb(tex, GL_TEXTURE_2D, 8, 4); // row 0 the top
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int* want = x < 4 ? left[y] : right[x % 2];
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(want[c], rgb[(y * 8 + x) * 3 + c], 8) << x << "," << y << " channel " << c;
        }
    }
}
