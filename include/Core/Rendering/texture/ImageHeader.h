#ifndef VORM_CORE_RENDERING_IMAGEHEADER_H
#define VORM_CORE_RENDERING_IMAGEHEADER_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace Vorm {

// The kind and size of an image file as its own header gives them, read
// before any decoder sees the file, so that nothing is decoded whose size
// has not been checked. The engine reads PNG, TGA, JPEG, BMP and DDS; the
// file's extension names the kind and its content must not say otherwise.
class ImageHeader
{
public:
    enum class Kind
    {
        Png,
        Tga,
        Jpeg,
        Bmp,
        Dds
    };
    // How the pixels after the header are coded, where the decoder has to
    // follow packets to know where the picture ends.
    enum class Stream
    {
        Plain,
        TgaRunLength,
        BmpRunLength8
    };

    ImageHeader();

    // Reads the header from the start of the open file, fileSize bytes long;
    // the read position is left anywhere. False, with what is wrong in
    // `reason` (the text after the file's name), for a kind the engine does
    // not read, content of another kind than the name says, or a header
    // that is damaged, cut short or asks for what the decoder does not do.
    // The size is not judged here: see Image::Limit.
    bool Read(std::FILE* file, std::uint64_t fileSize, const std::string& fileName, std::string& reason);

    Kind GetKind() const { return m_kind; }
    std::uint32_t GetWidth() const { return m_uiWidth; }
    std::uint32_t GetHeight() const { return m_uiHeight; }
    // The most memory decoding takes for the pixels: four channels of the
    // file's sample size per pixel (the widest layout they pass through);
    // for JPEG the decoder's coefficients besides, for DDS every level of
    // every face and the data they are decoded from.
    std::uint64_t GetDecodeBytes() const { return m_uiDecodeBytes; }
    // The pixels the header announces are known to be longer than the file
    // (uncompressed TGA and BMP, every level and face of a DDS): the decoder
    // would set aside room for them and then run out of data.
    bool IsCutShort() const { return m_uiNeededBytes > m_uiFileBytes; }
    // The bytes the header says the file holds at least (0 when its pixels
    // do not tell), and the bytes it does.
    std::uint64_t GetNeededBytes() const { return m_uiNeededBytes; }
    std::uint64_t GetFileBytes() const { return m_uiFileBytes; }
    // Run-length pixels: their packets, from the stream's offset for its
    // length in bytes, are walked before decoding (RunLengthStream).
    Stream GetStream() const { return m_stream; }
    std::uint64_t GetStreamOffset() const { return m_uiStreamOffset; }
    std::uint64_t GetStreamBytes() const { return m_uiStreamBytes; }
    // Bytes of one pixel in a run-length TGA stream.
    std::uint32_t GetStreamPixelBytes() const { return m_uiStreamPixelBytes; }

    static const char* NameOf(Kind kind);

private:
    bool ReadPng(std::FILE* file, std::string& reason);
    bool ReadTga(std::FILE* file, std::uint64_t fileSize, std::string& reason);
    bool ReadJpeg(std::FILE* file, std::string& reason);
    bool ReadBmp(std::FILE* file, std::uint64_t fileSize, std::string& reason);
    bool ReadDds(std::FILE* file, std::string& reason);
    void SetSize(std::uint32_t width, std::uint32_t height, std::uint64_t bytesPerPixel);

    Kind m_kind;
    std::uint32_t m_uiWidth;
    std::uint32_t m_uiHeight;
    std::uint64_t m_uiDecodeBytes;
    std::uint64_t m_uiNeededBytes;
    std::uint64_t m_uiFileBytes;
    Stream m_stream;
    std::uint64_t m_uiStreamOffset;
    std::uint64_t m_uiStreamBytes;
    std::uint32_t m_uiStreamPixelBytes;
};

} // namespace Vorm

#endif
