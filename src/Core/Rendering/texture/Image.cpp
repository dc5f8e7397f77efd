#include "Core/Rendering/texture/Image.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/texture/ImageHeader.h"
#include "Core/Rendering/texture/RunLengthStream.h"
#include "Core/Util/TSingleton.h"

#include <IL/il.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <utility>

namespace Vorm {
namespace {

// DevIL is set up by the first image loaded, whoever loads it.
void InitDevIL()
{
    static const bool s_initialised = (ilInit(), true);
    (void)s_initialised;
}

// DevIL keeps a stack of errors; a stale one would fail the next load.
void DrainILErrors()
{
    for (int i = 0; i < 64 && ilGetError() != IL_NO_ERROR; ++i) {
    }
}

// What is wrong with a file DevIL did not load, from its first error.
std::string DescribeILError(ILenum error)
{
    switch (error) {
    case IL_COULD_NOT_OPEN_FILE:
        return "cannot open";
    case IL_FILE_READ_ERROR:
        return "is cut short";
    case IL_LIB_GIF_ERROR:
    case IL_LIB_JPEG_ERROR:
    case IL_LIB_PNG_ERROR:
    case IL_LIB_TIFF_ERROR:
    case IL_LIB_MNG_ERROR:
        return "is damaged: its decoder gave up";
    case IL_INVALID_FILE_HEADER:
    case IL_INVALID_VALUE:
    case IL_ILLEGAL_FILE_VALUE:
        return "is not a valid image of its kind";
    case IL_INVALID_EXTENSION:
    case IL_FORMAT_NOT_SUPPORTED:
        return "is of a kind that cannot be read";
    case IL_OUT_OF_MEMORY:
        return "is too large to load";
    case IL_BAD_DIMENSIONS:
        return "has no usable size";
    default: {
        char text[64];
        std::snprintf(text, sizeof(text), "cannot be read (image library error 0x%x)", static_cast<unsigned>(error));
        return text;
    }
    }
}

// Format and type the bound DevIL image is brought to for the layout.
void TargetLayout(Image::Layout layout, ILenum& format, ILenum& type)
{
    const ILenum fileFormat = ilGetInteger(IL_IMAGE_FORMAT);
    const ILenum fileType = ilGetInteger(IL_IMAGE_TYPE);
    const ILenum expanded = ilGetInteger(IL_PALETTE_BPP) == 4 ? IL_RGBA : IL_RGB;
    format = fileFormat;
    type = fileType;
    if (layout == Image::Layout::Bytes) {
        // Readers take x, y, z, w as red, green, blue, alpha with values 0..255.
        if (format == IL_COLOUR_INDEX)
            format = expanded;
        else if (format == IL_BGR)
            format = IL_RGB;
        else if (format == IL_BGRA)
            format = IL_RGBA;
        type = IL_UNSIGNED_BYTE;
        return;
    }
    // What a forward-compatible GL 3.1 context takes as pixel data.
    switch (format) {
    case IL_COLOUR_INDEX:
        format = expanded;
        type = IL_UNSIGNED_BYTE;
        break;
    case IL_LUMINANCE:
        format = IL_RGB;
        break;
    case IL_LUMINANCE_ALPHA:
    case IL_ALPHA:
        format = IL_RGBA;
        break;
    default:
        break;
    }
    if (type == IL_DOUBLE)
        type = IL_FLOAT;
}

// Colour layouts hold three or four channels.
Image::ChannelOrder OrderOf(ILenum format)
{
    switch (format) {
    case IL_RGB:
        return Image::ChannelOrder::Rgb;
    case IL_RGBA:
        return Image::ChannelOrder::Rgba;
    case IL_BGR:
        return Image::ChannelOrder::Bgr;
    case IL_BGRA:
        return Image::ChannelOrder::Bgra;
    default:
        return Image::ChannelOrder::Rgb;
    }
}

Image::ChannelType TypeOf(ILenum type)
{
    switch (type) {
    case IL_BYTE:
        return Image::ChannelType::Byte;
    case IL_SHORT:
        return Image::ChannelType::Short;
    case IL_UNSIGNED_SHORT:
        return Image::ChannelType::UnsignedShort;
    case IL_INT:
        return Image::ChannelType::Int;
    case IL_UNSIGNED_INT:
        return Image::ChannelType::UnsignedInt;
    case IL_HALF:
        return Image::ChannelType::Half;
    case IL_FLOAT:
        return Image::ChannelType::Float;
    default:
        return Image::ChannelType::UnsignedByte;
    }
}

Image::ChannelOrder BytesOrder(std::uint32_t bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 2:
        return Image::ChannelOrder::GreyAlpha;
    case 3:
        return Image::ChannelOrder::Rgb;
    case 4:
        return Image::ChannelOrder::Rgba;
    default:
        return Image::ChannelOrder::Grey;
    }
}

// Bytes of one pixel in a DevIL format and type; 0 for what the engine
// never asks for.
std::uint32_t PixelBytes(ILenum format, ILenum type)
{
    std::uint32_t channels = 0;
    switch (format) {
    case IL_LUMINANCE:
    case IL_ALPHA:
        channels = 1;
        break;
    case IL_LUMINANCE_ALPHA:
        channels = 2;
        break;
    case IL_RGB:
    case IL_BGR:
        channels = 3;
        break;
    case IL_RGBA:
    case IL_BGRA:
        channels = 4;
        break;
    default:
        break;
    }
    switch (type) {
    case IL_BYTE:
    case IL_UNSIGNED_BYTE:
        return channels;
    case IL_SHORT:
    case IL_UNSIGNED_SHORT:
    case IL_HALF:
        return channels * 2;
    case IL_INT:
    case IL_UNSIGNED_INT:
    case IL_FLOAT:
        return channels * 4;
    default:
        return 0;
    }
}

ILenum DecoderOf(ImageHeader::Kind kind)
{
    switch (kind) {
    case ImageHeader::Kind::Png:
        return IL_PNG;
    case ImageHeader::Kind::Tga:
        return IL_TGA;
    case ImageHeader::Kind::Jpeg:
        return IL_JPG;
    case ImageHeader::Kind::Bmp:
        return IL_BMP;
    default:
        return IL_DDS;
    }
}

// What is wrong with the size the header gives, for the use; empty when
// it fits.
std::string CheckSize(const ImageHeader& header, const Image::Limit& limit)
{
    const std::string size = std::to_string(header.GetWidth()) + " x " + std::to_string(header.GetHeight());
    if (header.GetWidth() == 0 || header.GetHeight() == 0)
        return "has no pixels: its header says " + size;
    const std::string refusal = "is " + size + " pixels, larger than " + limit.m_what + " may be (";
    if (header.GetWidth() > limit.m_maxSide || header.GetHeight() > limit.m_maxSide)
        return refusal + std::to_string(limit.m_maxSide) + " pixels a side)";
    const std::uint64_t maxBytes = std::min(limit.m_maxBytes, Image::kMaxBytes);
    if (header.GetDecodeBytes() > maxBytes)
        return refusal + std::to_string(maxBytes >> 20) + " MiB)";
    return std::string();
}

// Colour indices past the end of the palette would make DevIL's conversion
// read beyond it.
bool IndicesInPalette(std::uint32_t width, std::uint32_t height)
{
    if (ilGetInteger(IL_IMAGE_FORMAT) != IL_COLOUR_INDEX)
        return true;
    const ILint colours = ilGetInteger(IL_PALETTE_NUM_COLS);
    if (ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) != 1 || colours <= 0)
        return false;
    const ILubyte* index = ilGetData();
    const std::size_t count = std::size_t(width) * height;
    return index && std::all_of(index, index + count, [colours](ILubyte i) { return ILint(i) < colours; });
}

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// One DevIL image, bound while it lives and deleted however the read ends.
class BoundILImage
{
public:
    BoundILImage() : m_id(0)
    {
        ilGenImages(1, &m_id);
        ilBindImage(m_id);
    }
    ~BoundILImage() { ilDeleteImages(1, &m_id); }
    BoundILImage(const BoundILImage&) = delete;
    BoundILImage& operator=(const BoundILImage&) = delete;

private:
    ILuint m_id;
};

} // namespace

Image::Limit::Limit() : m_what("an image"), m_maxSide(std::numeric_limits<std::uint32_t>::max()), m_maxBytes(kMaxBytes)
{
}

Image::Limit::Limit(const char* what, std::uint32_t maxSide, std::uint64_t maxBytes)
    : m_what(what), m_maxSide(maxSide), m_maxBytes(maxBytes)
{
}

Image::Image()
    : m_pData(nullptr), m_uiWidth(0), m_uiHeight(0), m_uiBytesPerPixel(0), m_order(ChannelOrder::Grey),
      m_type(ChannelType::UnsignedByte)
{
}

Image::Image(const std::string& name, bool upperLeftOrigin) : Image()
{
    Read(name, upperLeftOrigin, Layout::Bytes, nullptr, Limit());
}

Image Image::Load(const std::string& name, bool upperLeftOrigin, Layout layout, std::string* error, const Limit& limit)
{
    Image image;
    image.Read(name, upperLeftOrigin, layout, error, limit);
    return image;
}

bool Image::Read(const std::string& name, bool upperLeftOrigin, Layout layout, std::string* error,
                 const Limit& limit) noexcept
{
    std::string path;
    std::string reason;
    const char* noMemory = nullptr;
    try {
        path = TSingleton<IRenderer>::Instance()->GetTexturePath() + name;
        reason = Decode(path, upperLeftOrigin, layout, limit);
    } catch (const std::bad_alloc&) {
        // The tracker's own failure is a std::bad_alloc too.
        Release();
        noMemory = "is too large to load: there is not enough memory for it";
    }
    if (!noMemory && reason.empty())
        return true;
    if (error) {
        try {
            *error = (path.empty() ? name : path) + ": " + (noMemory ? std::string(noMemory) : reason);
        } catch (const std::bad_alloc&) {
            error->clear();
        }
    }
    return false;
}

std::string Image::Decode(const std::string& path, bool upperLeftOrigin, Layout layout, const Limit& limit)
{
    // Only a regular file: a device or a pipe could be endless or block.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        return "cannot open";
    if (!std::filesystem::is_regular_file(status))
        return "is not a regular file";
    const std::uintmax_t fileSize = std::filesystem::file_size(path, ec);
    if (ec)
        return "cannot open";
    if (fileSize == 0)
        return "is empty";
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return "cannot open";

    // The decoder sees the file only once its header has been checked, and
    // is the one of the kind that header is.
    ImageHeader header;
    std::string reason;
    if (!header.Read(file.get(), fileSize, path, reason))
        return reason;
    reason = CheckSize(header, limit);
    if (!reason.empty())
        return reason;
    if (header.IsCutShort())
        return "is cut short: " + std::to_string(header.GetFileBytes()) + " of the " +
               std::to_string(header.GetNeededBytes()) + " bytes its header announces";
    if (!RunLengthStream::Check(file.get(), header, reason))
        return reason;
    if (std::fseek(file.get(), 0, SEEK_SET) != 0)
        return "cannot be read";

    InitDevIL();
    ilEnable(IL_ORIGIN_SET);
    ilSetInteger(IL_ORIGIN_MODE, upperLeftOrigin ? IL_ORIGIN_UPPER_LEFT : IL_ORIGIN_LOWER_LEFT);
    DrainILErrors();
    const BoundILImage image;
    // After a failed load DevIL's placeholder image is bound: nothing of it
    // may end up in the image. A load can succeed and still leave an error
    // (a file that ends early): that counts as failed.
    const ILboolean loaded = ilLoadF(DecoderOf(header.GetKind()), file.get());
    const ILenum loadError = ilGetError();
    DrainILErrors();
    if (loaded != IL_TRUE || loadError != IL_NO_ERROR)
        return DescribeILError(loadError != IL_NO_ERROR ? loadError : IL_UNKNOWN_ERROR);

    const std::uint32_t width = ilGetInteger(IL_IMAGE_WIDTH);
    const std::uint32_t height = ilGetInteger(IL_IMAGE_HEIGHT);
    if (width != header.GetWidth() || height != header.GetHeight() || ilGetInteger(IL_IMAGE_DEPTH) != 1)
        return "is not a valid image of its kind (its pixels do not match its header)";
    if (!IndicesInPalette(width, height))
        return "is not a valid image of its kind (its pixels index past its palette)";

    ILenum format = 0, type = 0;
    TargetLayout(layout, format, type);
    bool converted = true;
    if (format != ILenum(ilGetInteger(IL_IMAGE_FORMAT)) || type != ILenum(ilGetInteger(IL_IMAGE_TYPE)))
        converted = ilConvertImage(format, type) == IL_TRUE;
    DrainILErrors();
    // The copy below writes what the format and type take: the image must
    // hold exactly that.
    const std::uint32_t bytesPerPixel = PixelBytes(format, type);
    if (!converted || bytesPerPixel == 0 || bytesPerPixel != std::uint32_t(ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL)))
        return "has a pixel layout that cannot be converted";

    m_pData = VORM_NEW std::uint8_t[std::size_t(width) * height * bytesPerPixel];
    ilCopyPixels(0, 0, 0, width, height, 1, format, type, m_pData);
    DrainILErrors();
    m_uiWidth = width;
    m_uiHeight = height;
    m_uiBytesPerPixel = bytesPerPixel;
    m_order = layout == Layout::Bytes ? BytesOrder(bytesPerPixel) : OrderOf(format);
    m_type = TypeOf(type);
    return std::string();
}

Image::Image(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, std::uint8_t* data)
    : m_pData(data), m_uiWidth(width), m_uiHeight(height), m_uiBytesPerPixel(bytesPerPixel),
      m_order(BytesOrder(bytesPerPixel)), m_type(ChannelType::UnsignedByte)
{
}

Image::Image(const Image& other)
    : m_pData(nullptr), m_uiWidth(other.m_uiWidth), m_uiHeight(other.m_uiHeight),
      m_uiBytesPerPixel(other.m_uiBytesPerPixel), m_order(other.m_order), m_type(other.m_type)
{
    if (other.m_pData) {
        const std::size_t size = std::size_t(m_uiWidth) * m_uiHeight * m_uiBytesPerPixel;
        m_pData = VORM_NEW std::uint8_t[size];
        std::memcpy(m_pData, other.m_pData, size);
    }
}

Image::Image(Image&& other) noexcept
    : m_pData(other.m_pData), m_uiWidth(other.m_uiWidth), m_uiHeight(other.m_uiHeight),
      m_uiBytesPerPixel(other.m_uiBytesPerPixel), m_order(other.m_order), m_type(other.m_type)
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
        m_order = other.m_order;
        m_type = other.m_type;
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
    std::uint8_t* data = nullptr;
    if (m_pData && rowBytes * h != 0) {
        data = VORM_NEW std::uint8_t[rowBytes * h];
        for (std::uint32_t row = 0; row < h; ++row) {
            const std::uint8_t* src = m_pData + (std::size_t(m_uiWidth) * (y + row) + x) * m_uiBytesPerPixel;
            std::memcpy(data + rowBytes * row, src, rowBytes);
        }
    }
    Image sub(w, h, m_uiBytesPerPixel, data);
    sub.m_order = m_order;
    sub.m_type = m_type;
    return sub;
}

} // namespace Vorm
