#ifndef VORM_CORE_RENDERING_IMAGE_H
#define VORM_CORE_RENDERING_IMAGE_H

#include "Core/Math/Vector4.h"

#include <cstdint>
#include <string>

namespace Vorm {

// A picture in main memory: tightly packed pixel rows that the image owns.
// Pixel (x, y) starts at byte (width * y + x) * bytesPerPixel. Loaded images
// hold one byte per channel in red, green, blue, alpha order (grey files keep
// their one or two channels; palettes are expanded, deeper channels reduced).
class Image
{
public:
    // Loads the renderer's texture folder + name. DevIL must be initialised.
    // A file that cannot be read gives an empty image (IsEmpty() is true).
    Image(const std::string& name, bool upperLeftOrigin);
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
    const std::uint8_t* GetData() const { return m_pData; }
    bool IsEmpty() const { return m_pData == nullptr; }

    // Bytes 0..3 of the pixel as floats 0..255; components the pixel lacks
    // stay 0. More than four bytes per pixel fail Vector4's index assertion.
    // Coordinates are not checked.
    Vector4<float> GetPixel(std::uint32_t x, std::uint32_t y) const;
    // Copy of the w x h block at (x, y); the block must lie inside the image.
    Image GetSubImage(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) const;

private:
    void Release();

    std::uint8_t* m_pData;
    std::uint32_t m_uiWidth;
    std::uint32_t m_uiHeight;
    std::uint32_t m_uiBytesPerPixel;
};

} // namespace Vorm

#endif
