#include "Core/Rendering/texture/ImageHeader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace Vorm {
namespace {

const std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();

// a * b, held at the largest value instead of wrapping.
std::uint64_t Times(std::uint64_t a, std::uint64_t b)
{
    return a != 0 && b > kNoLimit / a ? kNoLimit : a * b;
}

// a + b, held at the largest value likewise.
std::uint64_t Plus(std::uint64_t a, std::uint64_t b)
{
    return b > kNoLimit - a ? kNoLimit : a + b;
}

std::uint32_t Be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

std::uint32_t Be16(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 8) | p[1];
}

std::uint32_t Le16(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8);
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return Le16(p) | (Le16(p + 2) << 16);
}

bool ReadBytes(std::FILE* file, std::uint8_t* out, std::size_t count)
{
    return std::fread(out, 1, count, file) == count;
}

const char kCutShort[] = "is cut short";

std::string Invalid(const std::string& detail)
{
    return "is not a valid image of its kind (" + detail + ")";
}

std::string Unsupported(ImageHeader::Kind kind, const std::string& detail)
{
    return std::string("is a ") + ImageHeader::NameOf(kind) + " of a kind the engine does not read (" + detail + ")";
}

// The kind the file's name gives it; false for any other extension.
bool KindOfName(const std::string& fileName, ImageHeader::Kind& kind)
{
    const std::size_t dot = fileName.find_last_of('.');
    const std::size_t slash = fileName.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string ext = fileName.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "png")
        kind = ImageHeader::Kind::Png;
    else if (ext == "tga")
        kind = ImageHeader::Kind::Tga;
    else if (ext == "jpg" || ext == "jpeg" || ext == "jpe")
        kind = ImageHeader::Kind::Jpeg;
    else if (ext == "bmp")
        kind = ImageHeader::Kind::Bmp;
    else if (ext == "dds")
        kind = ImageHeader::Kind::Dds;
    else
        return false;
    return true;
}

// The kind the first bytes announce; TGA has no signature of its own.
bool KindOfContent(const std::uint8_t* head, std::size_t count, ImageHeader::Kind& kind)
{
    static const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (count >= 8 && std::memcmp(head, png, 8) == 0)
        kind = ImageHeader::Kind::Png;
    else if (count >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        kind = ImageHeader::Kind::Jpeg;
    else if (count >= 2 && head[0] == 'B' && head[1] == 'M')
        kind = ImageHeader::Kind::Bmp;
    else if (count >= 4 && std::memcmp(head, "DDS ", 4) == 0)
        kind = ImageHeader::Kind::Dds;
    else
        return false;
    return true;
}

} // namespace

ImageHeader::ImageHeader()
    : m_kind(Kind::Png), m_uiWidth(0), m_uiHeight(0), m_uiDecodeBytes(0), m_uiNeededBytes(0), m_uiFileBytes(0),
      m_stream(Stream::Plain), m_uiStreamOffset(0), m_uiStreamBytes(0), m_uiStreamPixelBytes(0)
{
}

const char* ImageHeader::NameOf(Kind kind)
{
    switch (kind) {
    case Kind::Png:
        return "PNG";
    case Kind::Tga:
        return "TGA";
    case Kind::Jpeg:
        return "JPEG";
    case Kind::Bmp:
        return "BMP";
    default:
        return "DDS";
    }
}

void ImageHeader::SetSize(std::uint32_t width, std::uint32_t height, std::uint64_t bytesPerPixel)
{
    m_uiWidth = width;
    m_uiHeight = height;
    m_uiDecodeBytes = Times(Times(width, height), bytesPerPixel);
}

bool ImageHeader::Read(std::FILE* file, std::uint64_t fileSize, const std::string& fileName, std::string& reason)
{
    *this = ImageHeader();
    m_uiFileBytes = fileSize;
    if (!KindOfName(fileName, m_kind)) {
        reason = "is of a kind that cannot be read (only PNG, TGA, JPEG, BMP and DDS images can)";
        return false;
    }
    std::uint8_t head[8];
    const std::size_t count = std::fread(head, 1, sizeof(head), file);
    Kind content;
    const bool announced = KindOfContent(head, count, content);
    if (announced && content != m_kind) {
        reason = std::string("holds a ") + NameOf(content) + " image, not the " + NameOf(m_kind) + " its name says";
        return false;
    }
    if (!announced && m_kind != Kind::Tga) {
        reason = count < 2 ? kCutShort : "is not a valid image of its kind";
        return false;
    }
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        reason = "cannot be read";
        return false;
    }
    switch (m_kind) {
    case Kind::Png:
        return ReadPng(file, reason);
    case Kind::Tga:
        return ReadTga(file, fileSize, reason);
    case Kind::Jpeg:
        return ReadJpeg(file, reason);
    case Kind::Bmp:
        return ReadBmp(file, fileSize, reason);
    default:
        return ReadDds(file, reason);
    }
}

bool ImageHeader::ReadPng(std::FILE* file, std::string& reason)
{
    // Signature, then the IHDR chunk, which must come first.
    std::uint8_t b[33];
    if (!ReadBytes(file, b, sizeof(b))) {
        reason = kCutShort;
        return false;
    }
    if (Be32(b + 8) != 13 || std::memcmp(b + 12, "IHDR", 4) != 0) {
        reason = Invalid("its first chunk is no IHDR header");
        return false;
    }
    const unsigned depth = b[24];
    const unsigned colour = b[25];
    bool depthFits = false;
    switch (colour) {
    case 0:
        depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case 3:
        depthFits = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case 2:
    case 4:
    case 6:
        depthFits = depth == 8 || depth == 16;
        break;
    default:
        break;
    }
    if (!depthFits) {
        reason = Invalid("bit depth " + std::to_string(depth) + " with colour type " + std::to_string(colour));
        return false;
    }
    if (b[26] != 0 || b[27] != 0 || b[28] > 1) {
        reason = Invalid("an unknown compression, filter or interlace method");
        return false;
    }
    SetSize(Be32(b + 16), Be32(b + 20), depth == 16 ? 8 : 4);
    return true;
}

bool ImageHeader::ReadTga(std::FILE* file, std::uint64_t fileSize, std::string& reason)
{
    std::uint8_t b[18];
    if (!ReadBytes(file, b, sizeof(b))) {
        reason = kCutShort;
        return false;
    }
    const unsigned idLength = b[0];
    const unsigned mapType = b[1];
    const unsigned type = b[2];
    const std::uint32_t mapLength = Le16(b + 5);
    const unsigned mapBits = b[7];
    const unsigned depth = b[16];
    if (mapType > 1) {
        reason = Invalid("colour map type " + std::to_string(mapType));
        return false;
    }
    const bool mapBitsFit = mapBits == 15 || mapBits == 16 || mapBits == 24 || mapBits == 32;
    unsigned bytesPerPixel = 0;
    switch (type) {
    case 1:
    case 9:
        // Indices are bytes; the decoder keeps the palette as it stands.
        if (mapType != 1 || depth != 8 || mapLength == 0 || mapLength > 256 || !mapBitsFit) {
            reason = Unsupported(m_kind, "a palette image needs 8-bit indices and 1 to 256 colours of 15 to "
                                         "32 bits");
            return false;
        }
        bytesPerPixel = 1;
        break;
    case 2:
    case 10:
        if (depth != 15 && depth != 16 && depth != 24 && depth != 32) {
            reason = Invalid("true colour of " + std::to_string(depth) + " bits");
            return false;
        }
        bytesPerPixel = (depth + 7) / 8;
        break;
    case 3:
    case 11:
        if (depth != 8) {
            reason = Unsupported(m_kind, "grey of " + std::to_string(depth) + " bits");
            return false;
        }
        bytesPerPixel = 1;
        break;
    default:
        reason = Invalid("image type " + std::to_string(type));
        return false;
    }
    SetSize(Le16(b + 12), Le16(b + 14), 4);

    // Uncompressed pixels have a known length.
    const std::uint64_t map = mapType == 1 ? std::uint64_t(mapLength) * ((mapBits + 7) / 8) : 0;
    std::uint64_t needed = 18 + idLength + map;
    if (type < 9) {
        needed += Times(Times(m_uiWidth, m_uiHeight), bytesPerPixel);
        m_uiNeededBytes = needed;
        return true;
    }
    // Packets run from there to the end, or to the areas a TGA 2.0 footer
    // names after them.
    m_stream = Stream::TgaRunLength;
    m_uiStreamOffset = needed;
    m_uiStreamPixelBytes = bytesPerPixel;
    std::uint64_t end = fileSize;
    std::uint8_t footer[26];
    static const char kSignature[18] = "TRUEVISION-XFILE.";
    if (fileSize >= needed + sizeof(footer) && std::fseek(file, long(fileSize - sizeof(footer)), SEEK_SET) == 0 &&
        ReadBytes(file, footer, sizeof(footer)) && std::memcmp(footer + 8, kSignature, sizeof(kSignature)) == 0) {
        end = fileSize - sizeof(footer);
        for (const std::uint64_t area : {Le32(footer), Le32(footer + 4)})
            if (area >= needed && area < end)
                end = area;
    }
    m_uiStreamBytes = end > needed ? end - needed : 0;
    return true;
}

bool ImageHeader::ReadJpeg(std::FILE* file, std::string& reason)
{
    std::uint8_t soi[2];
    if (!ReadBytes(file, soi, sizeof(soi))) {
        reason = kCutShort;
        return false;
    }
    // Markers as the decoder meets them: anything up to an 0xFF is skipped,
    // fill bytes too, and 0xFF 0x00 is no marker. The first frame header
    // (SOFn) is the one it decodes.
    for (;;) {
        int c = 0;
        for (;;) {
            do
                c = std::fgetc(file);
            while (c != EOF && c != 0xFF);
            do
                c = std::fgetc(file);
            while (c == 0xFF);
            if (c != 0)
                break;
        }
        if (c == EOF) {
            reason = kCutShort;
            return false;
        }
        const unsigned marker = static_cast<unsigned>(c);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length of their own
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) {
            reason = Invalid("no frame header before the image data");
            return false;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        std::uint8_t b[8];
        if (!ReadBytes(file, b, frame ? 8 : 2)) {
            reason = kCutShort;
            return false;
        }
        const std::uint32_t length = Be16(b);
        if (length < (frame ? 8u : 2u)) {
            reason = Invalid("a segment shorter than its own length field");
            return false;
        }
        if (frame) {
            const unsigned components = b[7];
            if (components == 0) {
                reason = Invalid("a frame without colour components");
                return false;
            }
            // Output samples plus the decoder's 2-byte coefficients, which a
            // progressive or multi-scan file keeps for the whole image.
            SetSize(Be16(b + 5), Be16(b + 3), std::uint64_t(components) * 3);
            return true;
        }
        if (marker < 0xC0 || marker == 0xFF) {
            reason = Invalid("an unknown marker");
            return false;
        }
        if (std::fseek(file, long(length) - 2, SEEK_CUR) != 0) {
            reason = kCutShort;
            return false;
        }
    }
}

bool ImageHeader::ReadBmp(std::FILE* file, std::uint64_t fileSize, std::string& reason)
{
    // File header (14 bytes) and the Windows info header (40 bytes); DevIL
    // reads neither the OS/2 nor the later, longer headers.
    std::uint8_t b[54];
    if (!ReadBytes(file, b, 18)) {
        reason = kCutShort;
        return false;
    }
    const std::uint32_t infoSize = Le32(b + 14);
    if (infoSize != 40) {
        reason = Unsupported(m_kind, "an info header of " + std::to_string(infoSize) + " bytes");
        return false;
    }
    if (!ReadBytes(file, b + 18, 36)) {
        reason = kCutShort;
        return false;
    }
    const std::uint32_t pixelOffset = Le32(b + 10);
    const std::int32_t width = static_cast<std::int32_t>(Le32(b + 18));
    const std::int32_t height = static_cast<std::int32_t>(Le32(b + 22));
    const std::uint32_t planes = Le16(b + 26);
    const std::uint32_t bitsPerPixel = Le16(b + 28);
    const std::uint32_t compression = Le32(b + 30);
    const std::uint32_t dataSize = Le32(b + 34);
    const std::uint32_t colours = Le32(b + 46);
    // A negative height means rows from the top; the most negative one has
    // no positive counterpart.
    if (width < 0 || height == std::numeric_limits<std::int32_t>::min()) {
        reason = Invalid("a negative width or an endless height");
        return false;
    }
    if (planes != 1) {
        reason = Invalid(std::to_string(planes) + " colour planes");
        return false;
    }
    bool layoutFits = false;
    switch (compression) {
    case 0:
        layoutFits = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
                     bitsPerPixel == 24 || bitsPerPixel == 32;
        break;
    case 1:
        layoutFits = bitsPerPixel == 8;
        break;
    case 2:
        layoutFits = bitsPerPixel == 4;
        break;
    case 3:
        layoutFits = bitsPerPixel == 16 || bitsPerPixel == 32;
        break;
    default:
        break;
    }
    if (!layoutFits) {
        reason = Invalid(std::to_string(bitsPerPixel) + " bits per pixel with compression " +
                         std::to_string(compression));
        return false;
    }
    // The decoder sets aside the palette the header announces.
    const std::uint32_t paletteMax = bitsPerPixel <= 8 ? 1u << bitsPerPixel : 256u;
    if (colours > paletteMax) {
        reason = Invalid("a palette of " + std::to_string(colours) + " colours");
        return false;
    }
    const std::uint32_t rows = std::uint32_t(height < 0 ? -height : height);
    SetSize(std::uint32_t(width), rows, 4);

    std::uint64_t needed = pixelOffset;
    if (compression == 1 || compression == 2)
        needed += dataSize;
    else
        needed += Times((std::uint64_t(width) * bitsPerPixel + 31) / 32 * 4, rows);
    m_uiNeededBytes = needed;
    if (compression == 1 && !IsCutShort()) {
        m_stream = Stream::BmpRunLength8;
        m_uiStreamOffset = pixelOffset;
        m_uiStreamBytes = dataSize != 0 ? dataSize : fileSize - pixelOffset;
    }
    return true;
}

bool ImageHeader::ReadDds(std::FILE* file, std::string& reason)
{
    // The signature, then the 124-byte header with its 32-byte pixel format.
    std::uint8_t b[128];
    if (!ReadBytes(file, b, sizeof(b))) {
        reason = kCutShort;
        return false;
    }
    if (Le32(b + 4) != 124 || Le32(b + 76) != 32) {
        reason = Invalid("a header other than 124 bytes with a 32-byte pixel format");
        return false;
    }
    const std::uint32_t flags = Le32(b + 8);
    const std::uint32_t height = Le32(b + 12);
    const std::uint32_t width = Le32(b + 16);
    const std::uint32_t depth = Le32(b + 24);
    const std::uint32_t formatFlags = Le32(b + 80);
    const std::uint32_t caps2 = Le32(b + 112);
    // The decoder takes the depth even where the flags say none, and mixes
    // up the faces of a cube map that lacks some.
    if (depth > 1) {
        reason = Unsupported(m_kind, "a volume texture, " + std::to_string(depth) + " deep");
        return false;
    }
    if ((caps2 & 0x200) != 0 && (caps2 & 0xFC00) != 0xFC00) {
        reason = Unsupported(m_kind, "a cube map without all six faces");
        return false;
    }

    // Compressed blocks of 4 x 4 pixels, or whole bytes per channel.
    std::uint32_t blockBytes = 0;
    std::uint32_t pixelBits = 0;
    if ((formatFlags & 0x4) != 0) {
        const std::string fourCC(reinterpret_cast<const char*>(b + 84), 4);
        if (fourCC == "DXT1")
            blockBytes = 8;
        else if (fourCC == "DXT3" || fourCC == "DXT5")
            blockBytes = 16;
        if (blockBytes == 0) {
            std::string shown;
            for (char c : fourCC)
                shown += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
            reason = Unsupported(m_kind, "compression " + shown + "; DXT1, DXT3 and DXT5 are read");
            return false;
        }
    } else {
        pixelBits = Le32(b + 88);
        // Each channel a whole byte of its own.
        std::uint32_t taken = 0;
        bool channelsFit = (formatFlags & 0x40) != 0 && (pixelBits == 24 || pixelBits == 32);
        const int channels = (formatFlags & 0x1) != 0 ? 4 : 3;
        for (int c = 0; c < channels && channelsFit; ++c) {
            const std::uint32_t mask = Le32(b + 92 + 4 * c);
            channelsFit = (mask == 0xFFu || mask == 0xFF00u || mask == 0xFF0000u || mask == 0xFF000000u) &&
                          (mask & taken) == 0 && (pixelBits == 32 || mask != 0xFF000000u);
            taken |= mask;
        }
        if (!channelsFit) {
            reason = Unsupported(m_kind, "pixels other than DXT1, DXT3, DXT5 or 24 and 32-bit RGB(A)");
            return false;
        }
    }

    // Every level down to 1 x 1 at most, for each face of a cube map.
    std::uint32_t levels = (flags & 0x20000) != 0 && Le32(b + 28) > 1 ? Le32(b + 28) : 1;
    std::uint32_t maxLevels = 0;
    for (std::uint32_t side = std::max(width, height); side != 0; side >>= 1)
        ++maxLevels;
    if (width != 0 && height != 0 && levels > maxLevels) {
        reason = Invalid(std::to_string(levels) + " mip levels, more than " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels have");
        return false;
    }
    levels = std::min(levels, std::max(maxLevels, 1u));
    const std::uint32_t faces = (caps2 & 0x200) != 0 ? 6 : 1;
    std::uint64_t data = 0;
    std::uint64_t decoded = 0;
    for (std::uint32_t level = 0; level < levels; ++level) {
        const std::uint64_t w = std::max(width >> level, 1u);
        const std::uint64_t h = std::max(height >> level, 1u);
        data = Plus(data, blockBytes != 0 ? Times(Times((w + 3) / 4, (h + 3) / 4), blockBytes)
                                          : Times(Times(w, h), pixelBits / 8));
        decoded = Plus(decoded, Times(Times(w, h), 4));
    }
    // The decoder sets aside and reads a linear size it is given.
    if ((flags & 0x80000) != 0 && Le32(b + 20) > Times(data, faces)) {
        reason = Invalid("a linear size of " + std::to_string(Le32(b + 20)) + " bytes, more than its pixels take");
        return false;
    }
    // The decoder keeps every level of every face, four bytes a pixel,
    // besides the data it reads them from.
    SetSize(width, height, 4);
    m_uiDecodeBytes = Times(Plus(decoded, data), faces);
    m_uiNeededBytes = Plus(sizeof(b), Times(data, faces));
    return true;
}

} // namespace Vorm
