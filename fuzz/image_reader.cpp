// Image reader: the bytes of a file read as an image under each name the
// engine reads (.png, .tga, .jpg, .bmp, .dds), in both layouts. Any content
// is either refused, with the file named, or gives an image within the
// limit whose every pixel byte is there to read.
#include "FuzzSupport.h"

#include "Core/Rendering/texture/Image.h"

#include <vector>

using FuzzSupport::Check;

namespace {

const char* const kNames[] = {"f.png", "f.tga", "f.jpg", "f.bmp", "f.dds"};
// Small, so that large pictures are refused at once and decoded ones are quick.
const std::uint32_t kMaxSide = 1024;
const Vorm::Image::Limit kLimit("a fuzzed image", kMaxSide, std::uint64_t(16) << 20);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool silenced = (FuzzSupport::SilenceConsole(), true);
    (void)silenced;
    FuzzSupport::Renderer renderer;
    renderer.GetTexturePath() = FuzzSupport::TempDir();
    // Either origin, by the input's own length: flipping rows is a path of its own.
    const bool upperLeft = size % 2 == 0;
    for (const char* name : kNames) {
        const std::string path = FuzzSupport::TempDir() + name;
        FuzzSupport::WriteFile(path, data, size);
        for (Vorm::Image::Layout layout : {Vorm::Image::Layout::Bytes, Vorm::Image::Layout::Colour}) {
            std::string error;
            const Vorm::Image image = Vorm::Image::Load(name, upperLeft, layout, &error, kLimit);
            if (image.IsEmpty()) {
                Check(error.compare(0, path.size() + 2, path + ": ") == 0 && error.size() > path.size() + 2,
                      "refusal without the file named");
                continue;
            }
            Check(error.empty(), "an image loaded with an error");
            Check(image.GetWidth() >= 1 && image.GetHeight() >= 1 && image.GetWidth() <= kMaxSide &&
                      image.GetHeight() <= kMaxSide,
                  "an image beyond the limit");
            Check(image.GetBytesPerPixel() >= 1 && image.GetBytesPerPixel() <= 16, "an odd pixel size");
            // Copied whole, so the sanitizer sees a buffer shorter than its rows.
            const std::size_t bytes = std::size_t(image.GetWidth()) * image.GetHeight() * image.GetBytesPerPixel();
            const std::vector<std::uint8_t> pixels(image.GetData(), image.GetData() + bytes);
            Check(pixels.size() == bytes, "pixels lost in the copy");
        }
    }
    return 0;
}
