#include "Core/Rendering/texture/Image.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Util/Assert.h"
#include "Core/Util/TSingleton.h"

#include <IL/il.h>

#include <cstring>
#include <utility>

namespace Vorm {
namespace {

// DevIL keeps a stack of errors; a stale one would fail the next load.
void DrainILErrors()
{
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
}

} // namespace

Image::Image(const std::string& name, bool upperLeftOrigin)
    : m_pData(nullptr), m_uiWidth(0), m_uiHeight(0), m_uiBytesPerPixel(0)
{
    const std::string path = TSingleton<IRenderer>::Instance()->GetTexturePath() + name;

    ilEnable(IL_ORIGIN_SET);
    ilSetInteger(IL_ORIGIN_MODE, upperLeftOrigin ? IL_ORIGIN_UPPER_LEFT : IL_ORIGIN_LOWER_LEFT);

    DrainILErrors();
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    const bool read = ilLoadImage(path.c_str()) == IL_TRUE;
    ILenum error = ilGetError();
    DrainILErrors();
    if (!read && error == IL_NO_ERROR)
        error = IL_COULD_NOT_OPEN_FILE;
    VORM_ASSERT(error == 0 && "Error reading image file");

    if (error == IL_NO_ERROR) {
        const ILenum fileFormat = ilGetInteger(IL_IMAGE_FORMAT);
        // Readers take x, y, z, w as red, green, blue, alpha with values
        // 0..255: palettes are expanded, blue-first files reordered and
        // deeper channels reduced to one byte.
        ILenum format = fileFormat;
        if (format == IL_COLOUR_INDEX)
            format = ilGetInteger(IL_PALETTE_BPP) == 4 ? IL_RGBA : IL_RGB;
        else if (format == IL_BGR)
            format = IL_RGB;
        else if (format == IL_BGRA)
            format = IL_RGBA;
        const ILenum type = IL_UNSIGNED_BYTE;
        if (format != fileFormat || ilGetInteger(IL_IMAGE_TYPE) != IL_UNSIGNED_BYTE)
            ilConvertImage(format, type);

        const std::uint32_t width = ilGetInteger(IL_IMAGE_WIDTH);
        const std::uint32_t height = ilGetInteger(IL_IMAGE_HEIGHT);
        const std::uint32_t bytesPerPixel = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
        const std::size_t size = std::size_t(width) * height * bytesPerPixel;
        if (size != 0) {
            m_pData = VORM_NEW std::uint8_t[size];
            ilCopyPixels(0, 0, 0, width, height, 1, format, type, m_pData);
            m_uiWidth = width;
            m_uiHeight = height;
            m_uiBytesPerPixel = bytesPerPixel;
        }
        DrainILErrors();
    }
    ilDeleteImages(1, &id);
}

Image::Image(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, std::uint8_t* data)
    : m_pData(data), m_uiWidth(width), m_uiHeight(height), m_uiBytesPerPixel(bytesPerPixel)
{
}

Image::Image(const Image& other)
    : m_pData(nullptr), m_uiWidth(other.m_uiWidth), m_uiHeight(other.m_uiHeight),
      m_uiBytesPerPixel(other.m_uiBytesPerPixel)
{
    if (other.m_pData) {
        const std::size_t size = std::size_t(m_uiWidth) * m_uiHeight * m_uiBytesPerPixel;
        m_pData = VORM_NEW std::uint8_t[size];
        std::memcpy(m_pData, other.m_pData, size);
    }
}

Image::Image(Image&& other) noexcept
    : m_pData(other.m_pData), m_uiWidth(other.m_uiWidth), m_uiHeight(other.m_uiHeight),
      m_uiBytesPerPixel(other.m_uiBytesPerPixel)
{
    other.m_pData = nullptr;
    other.m_uiWidth = other.m_uiHeight = other.m_uiBytesPerPixel = 0;
}

Image& Image::operator=(const Image& other)
{
    if (this != &other) {
        Image copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Image& Image::operator=(Image&& other) noexcept
{
    if (this != &other) {
        Release();
        m_pData = other.m_pData;
        m_uiWidth = other.m_uiWidth;
        m_uiHeight = other.m_uiHeight;
        m_uiBytesPerPixel = other.m_uiBytesPerPixel;
        other.m_pData = nullptr;
        other.m_uiWidth = other.m_uiHeight = other.m_uiBytesPerPixel = 0;
    }
    return *this;
}

Image::~Image()
{
    // Released here, not through Release(), so the tracker names the destructor.
    if (m_pData)
        VORM_DELETE[] m_pData;
}

void Image::Release()
{
    if (m_pData) {
        VORM_DELETE[] m_pData;
        m_pData = nullptr;
    }
}

Vector4<float> Image::GetPixel(std::uint32_t x, std::uint32_t y) const
{
    Vector4<float> pixel(0.0f, 0.0f, 0.0f, 0.0f);
    if (!m_pData)
        return pixel;
    const std::uint8_t* p = m_pData + (std::size_t(m_uiWidth) * y + x) * m_uiBytesPerPixel;
    // A pixel wider than four bytes fails Vector4's index assertion; past it
    // the extra bytes land on w, never outside the vector.
    for (std::uint32_t i = 0; i < m_uiBytesPerPixel; ++i)
        pixel[static_cast<unsigned char>(i < 255 ? i : 255)] = float(p[i]);
    return pixel;
}

Image Image::GetSubImage(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) const
{
    const std::size_t rowBytes = std::size_t(w) * m_uiBytesPerPixel;
    if (!m_pData || rowBytes * h == 0)
        return Image(w, h, m_uiBytesPerPixel, nullptr);
    std::uint8_t* data = VORM_NEW std::uint8_t[rowBytes * h];
    for (std::uint32_t row = 0; row < h; ++row) {
        const std::uint8_t* src = m_pData + (std::size_t(m_uiWidth) * (y + row) + x) * m_uiBytesPerPixel;
        std::memcpy(data + rowBytes * row, src, rowBytes);
    }
    return Image(w, h, m_uiBytesPerPixel, data);
}

} // namespace Vorm
