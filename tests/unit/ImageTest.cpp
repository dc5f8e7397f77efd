#include "AssertRecorder.h"
#include "ModelTestFiles.h"
#include "TempFolder.h"
#include "TestImages.h"
#include "TrackerLog.h"
#include "RecordingRenderer.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/texture/Image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

using namespace Vorm;

namespace {

void ExpectPixel(const Image& img, unsigned x, unsigned y, float r, float g, float b, float a)
{
    const Vector4<float> p = img.GetPixel(x, y);
    EXPECT_EQ((std::vector<float>{r, g, b, a}), (std::vector<float>{p.x, p.y, p.z, p.w})) << x << "," << y;
}

class ImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.Ok());
        dir = folder.Dir();
        renderer.GetTexturePath() = dir;
    }

    RecordingRenderer renderer;
    TempFolder folder;
    std::string dir;
};

} // namespace

TEST_F(ImageTest, RgbAndPaletteFilesGiveRedGreenBlueInOrderWithTightRows)
{
    // 3 x 2 RGB: rows of 9 bytes. File bytes are blue-first (TGA).
    ASSERT_TRUE(TestImages::WriteTrueColor(dir + "rgb.tga", 3, 2, 3,
                                           {0, 0, 255, 0, 255, 0, 255, 0, 0,       // top: red, green, blue
                                            10, 20, 30, 40, 50, 60, 70, 80, 90})); // bottom
    const Image img("rgb.tga", true);
    ASSERT_FALSE(img.IsEmpty());
    EXPECT_EQ(3u, img.GetWidth());
    EXPECT_EQ(2u, img.GetHeight());
    EXPECT_EQ(3u, img.GetBytesPerPixel());
    ExpectPixel(img, 0, 0, 255, 0, 0, 0);
    ExpectPixel(img, 1, 0, 0, 255, 0, 0);
    ExpectPixel(img, 2, 0, 0, 0, 255, 0);
    ExpectPixel(img, 0, 1, 30, 20, 10, 0);
    ExpectPixel(img, 2, 1, 90, 80, 70, 0);

    // A palette file gives colours, not indices.
    ASSERT_TRUE(TestImages::WritePalette(dir + "p.tga", 2, 2, {2, 0, 1, 1},
                                         {0, 0, 200, /*red*/ 0, 150, 0, /*green*/ 100, 0, 0 /*blue*/}));
    const Image pal("p.tga", true);
    ASSERT_FALSE(pal.IsEmpty());
    EXPECT_EQ(3u, pal.GetBytesPerPixel());
    ExpectPixel(pal, 0, 0, 0, 0, 100, 0);
    ExpectPixel(pal, 1, 0, 200, 0, 0, 0);
    ExpectPixel(pal, 1, 1, 0, 150, 0, 0);
}

TEST_F(ImageTest, OriginFlagReversesRows)
{
    ASSERT_TRUE(TestImages::WriteGrey(dir + "g.tga", 2, 3, {1, 2, 3, 4, 5, 6})); // top row first
    const Image top("g.tga", true);
    const Image bottom("g.tga", false);
    ASSERT_FALSE(top.IsEmpty());
    ASSERT_FALSE(bottom.IsEmpty());
    EXPECT_EQ(1u, top.GetBytesPerPixel());
    for (unsigned y = 0; y < 3; ++y) {
        for (unsigned x = 0; x < 2; ++x) {
            EXPECT_EQ(top.GetPixel(x, y).x, bottom.GetPixel(x, 2 - y).x);
            EXPECT_EQ(0.0f, top.GetPixel(x, y).y); // a one-byte pixel fills only x
        }
    }
    ExpectPixel(top, 1, 0, 2, 0, 0, 0);
    ExpectPixel(bottom, 1, 0, 6, 0, 0, 0);
}

TEST_F(ImageTest, UnreadableFilesGiveAnEmptyImageAndSayWhy)
{
    AssertRecorder rec;
    const Image img("no-such-file.png", true);
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_EQ(0u, img.GetWidth());
    EXPECT_EQ(0u, img.GetHeight());
    ExpectPixel(img, 0, 0, 0, 0, 0, 0);

    // Each fault with the path as opened (the texture folder + name).
    ASSERT_TRUE(TestImages::WriteGrey(dir + "whole.tga", 8, 8, std::vector<std::uint8_t>(64, 9)));
    ASSERT_TRUE(TestImages::WritePng(dir + "whole.png", 8, 8, 0, 8, std::vector<std::uint8_t>(64, 9)));
    const std::string tga = ModelTestFiles::ReadText(dir + "whole.tga");
    const std::string png = ModelTestFiles::ReadText(dir + "whole.png");
    folder.Write("cut.tga", tga.substr(0, tga.size() / 2));
    folder.Write("cut.png", png.substr(0, png.size() / 2));
    folder.Write("empty.png", "");
    folder.Write("junk.png", "this is no picture at all");
    const std::pair<const char*, const char*> table[] = {
        {"no-such-file.png", "cannot open"},
        {"empty.png", "is empty"},
        {"cut.tga", "is cut short"},
        {"cut.png", "is damaged: its decoder gave up"},
        {"junk.png", "is not a valid image of its kind"},
    };
    for (const auto& row : table) {
        std::string error;
        EXPECT_TRUE(Image::Load(row.first, true, Image::Layout::Bytes, &error).IsEmpty()) << row.first;
        EXPECT_EQ(dir + row.first + ": " + row.second, error);
    }
    // Unreadable data is no programming error.
    EXPECT_TRUE(rec.Failures().empty());

    // DevIL's error stack is clean again: the next load succeeds.
    ASSERT_TRUE(TestImages::WriteGrey(dir + "ok.tga", 1, 1, {7}));
    std::string error = "untouched";
    const Image ok = Image::Load("ok.tga", true, Image::Layout::Bytes, &error);
    EXPECT_EQ("untouched", error);
    ExpectPixel(ok, 0, 0, 7, 0, 0, 0);
}

TEST_F(ImageTest, SubImageCopiesAndImagesOwnTheirBuffersOnce)
{
    std::vector<std::uint8_t> rgba(4 * 3 * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = std::uint8_t(i);
    ASSERT_TRUE(TestImages::WriteTrueColor(dir + "a.tga", 4, 3, 4, rgba));
    Image img("a.tga", true);
    ASSERT_EQ(4u, img.GetBytesPerPixel());

    const Image whole = img.GetSubImage(0, 0, 4, 3);
    for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 4; ++x)
            EXPECT_EQ(img.GetPixel(x, y).z, whole.GetPixel(x, y).z);

    const Image part = img.GetSubImage(1, 1, 2, 2);
    EXPECT_EQ(2u, part.GetWidth());
    EXPECT_EQ(2u, part.GetHeight());
    for (unsigned y = 0; y < 2; ++y) {
        for (unsigned x = 0; x < 2; ++x) {
            EXPECT_EQ(img.GetPixel(x + 1, y + 1).x, part.GetPixel(x, y).x);
            EXPECT_EQ(img.GetPixel(x + 1, y + 1).w, part.GetPixel(x, y).w);
        }
    }

    // Copies are deep, moves hand the buffer over: each buffer freed once.
    Image copy = part;
    EXPECT_NE(copy.GetData(), part.GetData());
    Image moved = std::move(copy);
    EXPECT_TRUE(copy.IsEmpty());
    moved = img;
    EXPECT_EQ(4u, moved.GetWidth());
    EXPECT_EQ(img.GetPixel(3, 2).x, moved.GetPixel(3, 2).x);
}

TEST(ImageBuffer, WidePixelsFailTheVectorIndexAssertionAndTheDestructorReleasesThePixels)
{
    // 16-bit RGBA: 8 bytes per pixel do not fit four components.
    std::uint8_t* data = VORM_NEW std::uint8_t[16];
    for (int i = 0; i < 16; ++i)
        data[i] = std::uint8_t(10 * i);
    const Image img(2, 1, 8, data);
    AssertRecorder rec;
    const Vector4<float> p = img.GetPixel(1, 0);
    EXPECT_TRUE(rec.Saw("i < 4 && \"Error: Invalid index for Vector4::operator[]!\""));
    EXPECT_EQ(80.0f, p.x);
    EXPECT_EQ(90.0f, p.y);
    EXPECT_EQ(100.0f, p.z);

    // Four bytes or fewer are in range; the tracker names the destructor.
    rec.Clear();
    const std::string log = TrackerLogOf([] {
        const Image narrow(1, 1, 4, VORM_NEW std::uint8_t[4]{1, 2, 3, 4});
        EXPECT_EQ(4.0f, narrow.GetPixel(0, 0).w);
    });
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_NE(std::string::npos, log.find("::Vorm::Image::~Image")) << log;
}

TEST_F(ImageTest, GreyAlphaAndSixteenBitFilesGiveOneBytePerChannel)
{
    ASSERT_TRUE(TestImages::WritePng(dir + "ga.png", 2, 1, 4, 8, {10, 200, 30, 40}));
    const Image ga("ga.png", true);
    ASSERT_FALSE(ga.IsEmpty());
    EXPECT_EQ(2u, ga.GetBytesPerPixel());
    EXPECT_EQ(Image::ChannelOrder::GreyAlpha, ga.GetChannelOrder());
    ExpectPixel(ga, 0, 0, 10, 200, 0, 0);
    ExpectPixel(ga, 1, 0, 30, 40, 0, 0);

    // Samples that are multiples of 257 reduce to their high byte.
    ASSERT_TRUE(TestImages::WritePng(dir + "deep.png", 1, 2, 2, 16,
                                     {0x12, 0x12, 0xAB, 0xAB, 0xFF, 0xFF, 0, 0, 0x01, 0x01, 0x80, 0x80}));
    const Image deep("deep.png", false);
    ASSERT_FALSE(deep.IsEmpty());
    EXPECT_EQ(3u, deep.GetBytesPerPixel());
    EXPECT_EQ(Image::ChannelType::UnsignedByte, deep.GetChannelType());
    ExpectPixel(deep, 0, 1, 0x12, 0xAB, 0xFF, 0); // lower-left origin: the top row is row 1
    ExpectPixel(deep, 0, 0, 0, 0x01, 0x80, 0);
}

TEST_F(ImageTest, ColourLayoutExpandsGreyAndPalettesButKeepsBlueFirstOrderAndDepth)
{
    ASSERT_TRUE(TestImages::WriteTrueColor(dir + "bgr.tga", 2, 1, 3, {1, 2, 3, 4, 5, 6}));
    const Image bgr = Image::Load("bgr.tga", true, Image::Layout::Colour);
    ASSERT_FALSE(bgr.IsEmpty());
    EXPECT_EQ(Image::ChannelOrder::Bgr, bgr.GetChannelOrder());
    EXPECT_EQ(Image::ChannelType::UnsignedByte, bgr.GetChannelType());
    EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}),
              std::vector<std::uint8_t>(bgr.GetData(), bgr.GetData() + 6));

    ASSERT_TRUE(TestImages::WriteGrey(dir + "g.tga", 2, 1, {7, 9}));
    const Image grey = Image::Load("g.tga", true, Image::Layout::Colour);
    EXPECT_EQ(Image::ChannelOrder::Rgb, grey.GetChannelOrder());
    ExpectPixel(grey, 1, 0, 9, 9, 9, 0);

    ASSERT_TRUE(TestImages::WritePng(dir + "ga.png", 1, 1, 4, 8, {50, 60}));
    const Image ga = Image::Load("ga.png", true, Image::Layout::Colour);
    EXPECT_EQ(Image::ChannelOrder::Rgba, ga.GetChannelOrder());
    ExpectPixel(ga, 0, 0, 50, 50, 50, 60);

    ASSERT_TRUE(TestImages::WritePalette(dir + "p.tga", 1, 1, {0}, {0, 0, 200}));
    const Image pal = Image::Load("p.tga", true, Image::Layout::Colour);
    EXPECT_EQ(3u, pal.GetBytesPerPixel());
    ExpectPixel(pal, 0, 0, 200, 0, 0, 0);

    ASSERT_TRUE(TestImages::WritePng(dir + "deep.png", 1, 1, 2, 16, {0x12, 0x34, 0, 1, 0xFF, 0xFE}));
    const Image deep = Image::Load("deep.png", true, Image::Layout::Colour);
    ASSERT_EQ(6u, deep.GetBytesPerPixel());
    EXPECT_EQ(Image::ChannelType::UnsignedShort, deep.GetChannelType());
    std::uint16_t samples[3];
    std::memcpy(samples, deep.GetData(), sizeof(samples));
    EXPECT_EQ((std::vector<std::uint16_t>{0x1234, 1, 0xFFFE}), std::vector<std::uint16_t>(samples, samples + 3));

    // Failures give an empty image without an assertion.
    AssertRecorder rec;
    EXPECT_TRUE(Image::Load("missing.png", true, Image::Layout::Colour).IsEmpty());
    EXPECT_TRUE(rec.Failures().empty());
}
