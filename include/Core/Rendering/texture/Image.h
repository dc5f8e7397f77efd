#ifndef VORM_CORE_RENDERING_IMAGE_H
#define VORM_CORE_RENDERING_IMAGE_H

#include "Core/Math/Vector4.h"

#include <cstdint>
#include <string>

namespace Vorm {

// A picture in main memory: tightly packed pixel rows that the image owns,
// read from image files through DevIL (the engine's one image-loading path).
// Pixel (x, y) starts at byte (width * y + x) * bytesPerPixel.
class Image
{
public:
    // How a file's pixels are laid out once loaded.
    enum class Layout
    {
        // One byte per channel in red, green, blue, alpha order; grey files
        // keep their one or two channels, palettes are expanded and deeper
        // channels reduced. For code that reads pixels.
        Bytes,
        // Colour channels for the GPU: grey becomes RGB, grey-alpha RGBA,
        // palettes are expanded; blue-first order and the channels' type stay
        // as the file has them (doubles become floats).
        Colour
    };
    enum class ChannelOrder
    {
        Grey,
        GreyAlpha,
        Rgb,
        Rgba,
        Bgr,
        Bgra
    };
    enum class ChannelType
    {
        Byte,
        UnsignedByte,
        Short,
        UnsignedShort,
        Int,
        UnsignedInt,
        Half,
        Float
    };

    // The largest image a use takes. A file's own header is checked against
    // it before anything is decoded: a larger file is refused, as is one of
    // no pixels. Every limit is held to kMaxBytes, under which the image
    // library's 32-bit sizes cannot wrap.
    struct Limit
    {
        // Any image up to kMaxBytes.
        Limit();
        Limit(const char* what, std::uint32_t maxSide, std::uint64_t maxBytes);

        const char* m_what;         // the use, as a refusal names it: "a texture"
        std::uint32_t m_maxSide;    // pixels along either side
        std::uint64_t m_maxBytes;   // memory decoding may take (ImageHeader::GetDecodeBytes)
    };
    static constexpr std::uint64_t kMaxBytes = std::uint64_t(1) << 30;
    // What a texture's pixels may take decoded. Loading one holds DevIL's
    // copy, the image's and then the driver's with its mip maps (4/3 of it):
    // some 3.3 times this, which leaves a scene of its own well under 1 GiB
    // resident.
    static constexpr std::uint64_t kTextureBytes = std::uint64_t(128) << 20;
    // A cube map keeps six faces: together no more than one texture.
    static constexpr std::uint64_t kCubeFaceBytes = std::uint64_t(16) << 20;

    // Loads the renderer's texture folder + name in the Bytes layout. A file
    // that cannot be read gives an empty image.
    Image(const std::string& name, bool upperLeftOrigin);
    // As above in the given layout, within the limit. For a file that cannot
    // be read or is refused, `error` (when given) gets its path as opened and
    // what is wrong with it. Never throws: a failure to allocate is such an
    // error too.
    static Image Load(const std::string& name, bool upperLeftOrigin, Layout layout,
                      std::string* error = nullptr, const Limit& limit = Limit());
    // Takes ownership of data (allocated with VORM_NEW[]) without copying it.
    Image(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, std::uint8_t* data);
    Image(const Image& other);
    Image(Image&& other) noexcept;
    Image& operator=(const Image& other);
    Image& operator=(Image&& other) noexcept;
    ~Image();

    std::uint32_t GetWidth() const { return m_uiWidth; }
    std::uint32_t GetHeight() const { return m_uiHeight; }
    std::uint32_t GetBytesPerPixel() const { return m_uiBytesPerPixel; }
    // Images built around a buffer are taken as bytes: 1 to 4 channels grey,
    // grey-alpha, RGB, RGBA.
    ChannelOrder GetChannelOrder() const { return m_order; }
    ChannelType GetChannelType() const { return m_type; }
    const std::uint8_t* GetData() const { return m_pData; }
    bool IsEmpty() const { return m_pData == nullptr; }

    // Bytes 0..3 of the pixel as floats 0..255; components the pixel lacks
    // stay 0. More than four bytes per pixel fail Vector4's index assertion.
    // Coordinates are not checked.
    Vector4<float> GetPixel(std::uint32_t x, std::uint32_t y) const;
    // Copy of the w x h block at (x, y); the block must lie inside the image.
    Image GetSubImage(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) const;

private:
    Image();
    // false when the file cannot be read; the image is then empty.
    bool Read(const std::string& name, bool upperLeftOrigin, Layout layout, std::string* error,
              const Limit& limit) noexcept;
    // The file's pixels into this image; an empty text, or what is wrong.
    std::string Decode(const std::string& path, bool upperLeftOrigin, Layout layout, const Limit& limit);
    void Release();

    std::uint8_t* m_pData;
    std::uint32_t m_uiWidth;
    std::uint32_t m_uiHeight;
    std::uint32_t m_uiBytesPerPixel;
    ChannelOrder m_order;
    ChannelType m_type;
};

} // namespace Vorm

#endif
