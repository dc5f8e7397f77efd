#include "AssertRecorder.h"
#include "ModelTestFiles.h"
#include "TempFolder.h"
#include "TestImages.h"
#include "TrackerLog.h"
#include "RecordingRenderer.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/texture/Image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace Vorm;

namespace {

typedef std::vector<std::uint8_t> Bytes;

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
        {"cut.tga", "is cut short: 41 of the 82 bytes its header announces"},
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

namespace {

const Image::Limit kTexture("a texture", 16384, Image::kTextureBytes);
const Image::Limit kFace("a cube-map face", 16384, Image::kCubeFaceBytes);
const Image::Limit kMap("a terrain map", std::numeric_limits<std::uint32_t>::max(), std::uint64_t(64) << 20);

// A hostile file: how it is written, the use it is loaded for and what the
// refusal says after the file's path.
struct Hostile
{
    const char* name;
    std::function<bool(const std::string&)> write;
    const Image::Limit& limit;
    std::string reason;
};

std::function<bool(const std::string&)> Jpeg(std::uint32_t width, std::uint32_t height)
{
    return [width, height](const std::string& path) {
        return TestImages::WriteJpeg(path, 8, 8, std::vector<std::uint8_t>(192, 99)) &&
               TestImages::SetJpegSize(path, width, height);
    };
}

std::function<bool(const std::string&)> Png(std::uint32_t width, std::uint32_t height, int colourType, int depth)
{
    // Two rows of pixels: enough for a decoder to write past a wrapped buffer.
    return [=](const std::string& path) {
        return TestImages::WritePngHeader(path, width, height, colourType, depth, 2);
    };
}

std::function<bool(const std::string&)> Tga(int width, int height, int bytesPerPixel)
{
    return [=](const std::string& path) { return TestImages::WriteTrueColor(path, width, height, bytesPerPixel, {}); };
}

std::function<bool(const std::string&)> Bmp(std::int32_t width, std::int32_t height, int bits,
                                             std::uint32_t colours = 0)
{
    return [=](const std::string& path) { return TestImages::WriteBmp(path, width, height, bits, {}, colours); };
}

std::string Larger(const std::string& size, const std::string& what, const std::string& bound)
{
    return "is " + size + " pixels, larger than " + what + " may be (" + bound + ")";
}

} // namespace

TEST_F(ImageTest, HostileHeadersAreRefusedBeforeDecodingWithTheFileNamed)
{
    const Image::Limit any;
    const std::string image = "an image", texture = "a texture", map = "a terrain map";
    const std::string notValid = "is not a valid image of its kind";
    const std::string mismatch = " image, not the ";
    const Hostile table[] = {
        // Sizes whose bytes wrap 32 bits, in the decoder or in the copy.
        {"wrap.png", Png(65536, 65536, 6, 8), any, Larger("65536 x 65536", image, "1024 MiB")},
        {"wrap46341.png", Png(46341, 46341, 6, 8), any, Larger("46341 x 46341", image, "1024 MiB")},
        {"grey.png", Png(65536, 65536, 0, 8), kMap, Larger("65536 x 65536", map, "64 MiB")},
        {"wrap.tga", Tga(32768, 32768, 4), any, Larger("32768 x 32768", image, "1024 MiB")},
        {"wrap.jpg", Jpeg(65535, 65535), any, Larger("65535 x 65535", image, "1024 MiB")},
        {"wrap.bmp", Bmp(65536, 65536, 32), any, Larger("65536 x 65536", image, "1024 MiB")},
        {"topdown.bmp", Bmp(65536, -65536, 32), any, Larger("65536 x 65536", image, "1024 MiB")},
        // Merely too large for the use.
        {"wide.png", Png(100000, 1, 2, 8), kTexture, Larger("100000 x 1", texture, "16384 pixels a side")},
        {"large.tga", Tga(20000, 20000, 3), kTexture, Larger("20000 x 20000", texture, "16384 pixels a side")},
        {"deep.png", Png(16384, 16384, 6, 16), kTexture, Larger("16384 x 16384", texture, "128 MiB")},
        {"coefficients.jpg", Jpeg(12000, 12000), kTexture, Larger("12000 x 12000", texture, "128 MiB")},
        // Whose copies on the way to the GL (DevIL's, the image's, the
        // driver's with mip maps) would take the program past 1 GiB.
        {"12000.png", Png(12000, 12000, 6, 8), kTexture, Larger("12000 x 12000", texture, "128 MiB")},
        {"16384.png", Png(16384, 16384, 6, 8), kTexture, Larger("16384 x 16384", texture, "128 MiB")},
        {"5793.png", Png(5793, 5793, 2, 8), kTexture, Larger("5793 x 5793", texture, "128 MiB")},
        {"face.png", Png(2049, 2048, 6, 8), kFace, Larger("2049 x 2048", "a cube-map face", "16 MiB")},
        {"map.png", Png(8192, 8192, 2, 8), kMap, Larger("8192 x 8192", map, "64 MiB")},
        {"map.bmp", Bmp(4097, 4096, 24), kMap, Larger("4097 x 4096", map, "64 MiB")},
        // No pixels at all.
        {"zero.png", Png(0, 4, 2, 8), any, "has no pixels: its header says 0 x 4"},
        {"zero.tga", Tga(3, 0, 3), any, "has no pixels: its header says 3 x 0"},
        {"zero.jpg", Jpeg(8, 0), any, "has no pixels: its header says 8 x 0"},
        {"zero.bmp", Bmp(0, 2, 24), any, "has no pixels: its header says 0 x 2"},
        // Fields that make a decoder set memory aside or read past it.
        {"palette.bmp", Bmp(2, 2, 8, 0xFFFFFFFFu), any, notValid + " (a palette of 4294967295 colours)"},
        {"endless.bmp", Bmp(2, std::numeric_limits<std::int32_t>::min(), 24), any,
         notValid + " (a negative width or an endless height)"},
        {"palette.tga", [](const std::string& p) { return TestImages::WritePalette(p, 2, 1, {0, 1}, Bytes(900)); },
         any, "is a TGA of a kind the engine does not read (a palette image needs 8-bit indices and 1 to 256 "
              "colours of 15 to 32 bits)"},
        {"index.tga", [](const std::string& p) { return TestImages::WritePalette(p, 2, 1, {0, 5}, {0, 0, 200}); },
         any, notValid + " (its pixels index past its palette)"},
        {"short.tga", Tga(64, 64, 3), any, "is cut short: 18 of the 12306 bytes its header announces"},
        // Content of another kind than its name says: the name alone picks no decoder.
        {"tga.png", Tga(32768, 32768, 4), any, notValid},
        {"png.tga", Png(65536, 65536, 6, 8), any, "holds a PNG" + mismatch + "TGA its name says"},
        {"jpeg.png", Jpeg(8, 8), any, "holds a JPEG" + mismatch + "PNG its name says"},
        {"bmp.jpg", Bmp(2, 2, 24), any, "holds a BMP" + mismatch + "JPEG its name says"},
        {"picture.dds", Png(2, 2, 2, 8), any, "holds a PNG" + mismatch + "DDS its name says"},
        {"picture.gif", Png(2, 2, 2, 8), any,
         "is of a kind that cannot be read (only PNG, TGA, JPEG, BMP and DDS images can)"},
        // Not a regular file: nothing is read from it, nothing waits on it.
        {"folder.png", [](const std::string& p) { return std::filesystem::create_directory(p); }, any,
         "is not a regular file"},
        {"pipe.tga", [](const std::string& p) { return mkfifo(p.c_str(), 0600) == 0; }, any,
         "is not a regular file"},
    };
    for (const Hostile& row : table) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.write(dir + row.name));
        for (Image::Layout layout : {Image::Layout::Bytes, Image::Layout::Colour}) {
            std::string error;
            EXPECT_TRUE(Image::Load(row.name, true, layout, &error, row.limit).IsEmpty());
            EXPECT_EQ(dir + row.name + ": " + row.reason, error);
        }
    }
}

TEST_F(ImageTest, JpegAndBmpFilesLoadLikeTheOthers)
{
    // BMP rows are blue first and padded to 4 bytes; bottom row first unless
    // the height is negative.
    const Bytes rows = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 9, 8, 7, 0, 0};
    ASSERT_TRUE(TestImages::WriteBmp(dir + "up.bmp", 2, 2, 24, rows));
    ASSERT_TRUE(TestImages::WriteBmp(dir + "down.bmp", 2, -2, 24, rows));
    const Image up("up.bmp", true);
    const Image down("down.bmp", true);
    ExpectPixel(up, 0, 0, 0, 0, 255, 0);
    ExpectPixel(up, 1, 0, 7, 8, 9, 0);
    ExpectPixel(up, 1, 1, 0, 255, 0, 0);
    ExpectPixel(down, 0, 0, 255, 0, 0, 0);
    ExpectPixel(down, 1, 1, 7, 8, 9, 0);

    Bytes rgb;
    for (int i = 0; i < 16 * 8; ++i)
        rgb.insert(rgb.end(), {200, 30, 90});
    ASSERT_TRUE(TestImages::WriteJpeg(dir + "j.jpg", 16, 8, rgb));
    std::string error;
    const Image jpeg = Image::Load("j.jpg", true, Image::Layout::Colour, &error, kTexture);
    ASSERT_FALSE(jpeg.IsEmpty()) << error;
    EXPECT_EQ(16u, jpeg.GetWidth());
    EXPECT_EQ(8u, jpeg.GetHeight());
    EXPECT_EQ(Image::ChannelOrder::Rgb, jpeg.GetChannelOrder());
    const Vector4<float> p = jpeg.GetPixel(5, 3); // lossy: near the colour written
    EXPECT_NEAR(200.0f, p.x, 6.0f);
    EXPECT_NEAR(30.0f, p.y, 6.0f);
    EXPECT_NEAR(90.0f, p.z, 6.0f);
}

#ifndef __SANITIZE_ADDRESS__ // the sanitizer reserves far more address space than any limit leaves
TEST_F(ImageTest, AFailureToAllocateNamesTheFileInsteadOfThrowing)
{
    // 4096 x 4096 RGBA: 64 MiB in DevIL fit in what is left, the image's own
    // 64 MiB copy then does not.
    const std::size_t bytes = std::size_t(4096) * 4096 * 4;
    ASSERT_TRUE(TestImages::WriteTrueColor(dir + "big.tga", 4096, 4096, 4, Bytes(bytes, 7)));
    EXPECT_EXIT(
        {
            long pages = 0;
            std::FILE* statm = std::fopen("/proc/self/statm", "r");
            if (!statm || std::fscanf(statm, "%ld", &pages) != 1)
                std::_Exit(2);
            std::fclose(statm);
            rlimit space;
            getrlimit(RLIMIT_AS, &space);
            space.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + bytes + bytes / 2;
            setrlimit(RLIMIT_AS, &space);
            std::string error;
            const bool empty = Image::Load("big.tga", true, Image::Layout::Colour, &error).IsEmpty();
            std::fprintf(stderr, "%s %s\n", empty ? "empty" : "loaded", error.c_str());
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "empty .*big.tga: is too large to load: there is not enough memory for it");
}
#endif

namespace {

// One DXT1 block of 4 x 4 pixels: two 5-6-5 colours, 2-bit indices.
Bytes Dxt1(std::uint16_t c0, std::uint16_t c1 = 0, std::uint32_t indices = 0, int blocks = 1)
{
    Bytes one = {std::uint8_t(c0), std::uint8_t(c0 >> 8), std::uint8_t(c1), std::uint8_t(c1 >> 8),
                 std::uint8_t(indices), std::uint8_t(indices >> 8), std::uint8_t(indices >> 16),
                 std::uint8_t(indices >> 24)};
    Bytes out;
    for (int i = 0; i < blocks; ++i)
        out.insert(out.end(), one.begin(), one.end());
    return out;
}

const std::uint16_t kGreen = 0x07E0;

// A file, the use it is loaded for, and either what the refusal says after
// the path or (empty) the first pixel of the image it gives, as bytes.
struct Row
{
    const char* name;
    std::function<bool(const std::string&)> write;
    const Image::Limit& limit;
    std::string reason;
    std::vector<float> pixel = {};
};

void ExpectRows(const std::string& dir, const std::vector<Row>& table)
{
    for (const Row& row : table) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.write(dir + row.name));
        std::string error;
        const Image image = Image::Load(row.name, true, Image::Layout::Bytes, &error, row.limit);
        if (!row.reason.empty()) {
            EXPECT_TRUE(image.IsEmpty());
            EXPECT_EQ(dir + row.name + ": " + row.reason, error);
            continue;
        }
        ASSERT_FALSE(image.IsEmpty()) << error;
        const Vector4<float> p = image.GetPixel(0, 0);
        EXPECT_EQ(row.pixel, (std::vector<float>{p.x, p.y, p.z, p.w}));
    }
}

std::function<bool(const std::string&)> Dds(TestImages::Dds dds)
{
    return [dds](const std::string& path) { return TestImages::WriteDds(path, dds); };
}

} // namespace

TEST_F(ImageTest, DdsFilesAreReadDecompressedOnceTheirHeaderIsChecked)
{
    const Image::Limit any;
    const std::string other = "is a DDS of a kind the engine does not read (";
    Bytes dxt5 = {200, 100, 0, 0, 0, 0, 0, 0}; // alpha 200 throughout
    const Bytes green = Dxt1(kGreen);
    dxt5.insert(dxt5.end(), green.begin(), green.end());
    const std::vector<Row> table = {
        {"dxt1.dds", Dds({4, 4, "DXT1", 0, 0, 0, green, 0}), any, "", {0, 255, 0, 255}},
        {"dxt5.dds", Dds({4, 4, "DXT5", 0, 0, 0, dxt5, 0}), any, "", {0, 255, 0, 200}},
        {"rgba.dds", Dds({2, 1, nullptr, 32, 0, 0, {30, 20, 10, 40, 1, 2, 3, 4}, 0}), any, "", {10, 20, 30, 40}},
        {"rgb.dds", Dds({2, 1, nullptr, 24, 0, 0, {30, 20, 10, 1, 2, 3}, 0}), any, "", {10, 20, 30, 0}},
        // 8 x 8, 4 x 4, 2 x 2 and 1 x 1: four blocks, then one a level.
        {"chain.dds", Dds({8, 8, "DXT1", 0, 4, 0, Dxt1(kGreen, 0, 0, 7), 0}), any, "", {0, 255, 0, 255}},
        {"cube.dds", Dds({4, 4, "DXT1", 0, 0, 6, Dxt1(kGreen, 0, 0, 6), 0}), any, "", {0, 255, 0, 255}},
        // Sizes past the use's bound: every level and face counts.
        {"side.dds", Dds({20000, 20000, "DXT1", 0, 0, 0, {}, 0}), kTexture,
         Larger("20000 x 20000", "a texture", "16384 pixels a side")},
        {"levels.dds", Dds({5000, 5000, "DXT1", 0, 13, 0, {}, 0}), kTexture,
         Larger("5000 x 5000", "a texture", "128 MiB")},
        {"faces.dds", Dds({2400, 2400, "DXT1", 0, 0, 6, {}, 0}), kTexture,
         Larger("2400 x 2400", "a texture", "128 MiB")},
        {"mips.dds", Dds({8, 8, "DXT1", 0, 5, 0, Dxt1(kGreen, 0, 0, 8), 0}), any,
         "is not a valid image of its kind (5 mip levels, more than 8 x 8 pixels have)"},
        // Data for fewer blocks, levels or faces than the header announces.
        {"chaincut.dds", Dds({8, 8, "DXT1", 0, 4, 0, Dxt1(kGreen, 0, 0, 4), 0}), any,
         "is cut short: 160 of the 184 bytes its header announces"},
        {"cubecut.dds", Dds({4, 4, "DXT1", 0, 0, 6, Dxt1(kGreen, 0, 0, 5), 0}), any,
         "is cut short: 168 of the 176 bytes its header announces"},
        {"ati2.dds", Dds({4, 4, "ATI2", 0, 0, 0, Bytes(16), 0}), any,
         other + "compression ATI2; DXT1, DXT3 and DXT5 are read)"},
        {"565.dds", Dds({2, 1, nullptr, 16, 0, 0, Bytes(4), 0}), any,
         other + "pixels other than DXT1, DXT3, DXT5 or 24 and 32-bit RGB(A))"},
        {"volume.dds", Dds({4, 4, "DXT1", 0, 0, 0, Dxt1(kGreen, 0, 0, 4), 4}), any,
         other + "a volume texture, 4 deep)"},
        {"fivefaces.dds", Dds({4, 4, "DXT1", 0, 0, 5, Dxt1(kGreen, 0, 0, 5), 0}), any,
         other + "a cube map without all six faces)"},
    };
    ExpectRows(dir, table);
}

TEST_F(ImageTest, RunLengthStreamsThatLeaveThePictureAreRefusedBeforeDecoding)
{
    const Image::Limit any;
    const std::string invalid = "is not a valid image of its kind (its run-length packets ";
    const std::string stopsShort = "is cut short (its run-length packets stop short of the picture)";
    // 4 x 2 TGA: a run of 3 red, then 5 raw pixels (B, G, R).
    const Bytes tga = {0x82, 0, 0, 255, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    auto Tga = [](Bytes packets) {
        return [packets](const std::string& p) { return TestImages::WriteRunLengthTga(p, 4, 2, 3, packets); };
    };
    auto Plus = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    Bytes footer(8, 0);
    for (char c : std::string("TRUEVISION-XFILE.") + '\0')
        footer.push_back(std::uint8_t(c));
    // 4 x 2 BMP, bottom row first: pairs of a count and an index, or 0 and
    // an escape (0 end of row, 1 end of bitmap, 2 a jump, more: raw indices).
    auto Bmp = [](Bytes stream) {
        return [stream](const std::string& p) { return TestImages::WriteBmp(p, 4, 2, 8, stream, 256, 1); };
    };
    const std::vector<Row> table = {
        {"good.tga", Tga(tga), any, "", {255, 0, 0, 0}},
        {"footer.tga", Tga(Plus(tga, footer)), any, "", {255, 0, 0, 0}},
        {"over.tga", Tga(Plus(tga, {0x83, 9, 9, 9})), any, invalid + "run past the picture)"},
        {"across.tga", Tga({0x82, 0, 0, 255, 0x85, 1, 2, 3}), any, invalid + "run past the picture)"},
        {"third.tga", Tga(Bytes(tga.begin(), tga.begin() + 6)), any, stopsShort},
        {"good.bmp", Bmp({4, 5, 0, 0, 0, 3, 1, 2, 3, 0, 1, 7, 0, 1}), any, "", {1, 1, 1, 255}},
        {"jump.bmp", Bmp({4, 5, 0, 0, 1, 6, 0, 2, 2, 0, 1, 6, 0, 1}), any, "", {6, 6, 6, 255}},
        {"right.bmp", Bmp({2, 5, 0, 2, 3, 0, 1, 6, 0, 1}), any, invalid + "jump outside the picture)"},
        {"up.bmp", Bmp({0, 2, 0, 2, 0, 1}), any, invalid + "jump outside the picture)"},
        {"endless.bmp", Bmp({3, 5, 3, 5, 3, 5, 0, 1}), any, invalid + "run past the end of a row)"},
        {"raw.bmp", Bmp({0, 5, 1, 2, 3, 4, 5, 0, 0, 1}), any, invalid + "run past the end of a row)"},
        {"rows.bmp", Bmp({4, 5, 0, 0, 4, 5, 0, 0, 4, 5, 0, 1}), any, invalid + "run past the picture)"},
        {"cut.bmp", Bmp({4, 5, 0, 0}), any, stopsShort},
    };
    ExpectRows(dir, table);
}
