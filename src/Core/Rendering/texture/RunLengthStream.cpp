#include "Core/Rendering/texture/RunLengthStream.h"

#include "Core/Rendering/texture/ImageHeader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace Vorm {
namespace {

const char kStopsShort[] = "is cut short (its run-length packets stop short of the picture)";
const char kRunsPast[] = "is not a valid image of its kind (its run-length packets run past the picture)";
const char kRunsPastRow[] = "is not a valid image of its kind (its run-length packets run past the end of a row)";
const char kJumpsOut[] = "is not a valid image of its kind (its run-length packets jump outside the picture)";

// The stream's bytes, read a block at a time: packets are a byte or two
// apart.
class Reader
{
public:
    Reader(std::FILE* file, std::uint64_t bytes) : m_file(file), m_left(bytes), m_at(0)
    {
        m_buffer.reserve(1 << 16);
    }

    // False once the stream is used up.
    bool Byte(std::uint8_t& out)
    {
        if (m_at == m_buffer.size() && !Fill())
            return false;
        out = m_buffer[m_at++];
        return true;
    }
    bool Skip(std::uint64_t count)
    {
        while (count > 0) {
            if (m_at == m_buffer.size() && !Fill())
                return false;
            const std::size_t step = std::size_t(std::min<std::uint64_t>(count, m_buffer.size() - m_at));
            m_at += step;
            count -= step;
        }
        return true;
    }
    bool AtEnd() { return m_at == m_buffer.size() && !Fill(); }

private:
    bool Fill()
    {
        m_buffer.resize(m_buffer.capacity());
        const std::size_t want = std::size_t(std::min<std::uint64_t>(m_left, m_buffer.size()));
        m_buffer.resize(want > 0 ? std::fread(m_buffer.data(), 1, want, m_file) : 0);
        m_left -= m_buffer.size();
        m_at = 0;
        return !m_buffer.empty();
    }

    std::FILE* m_file;
    std::uint64_t m_left;
    std::size_t m_at;
    std::vector<std::uint8_t> m_buffer;
};

// Packets of up to 128 pixels, a run (one pixel repeated) or raw pixels,
// through the whole picture as one row; nothing may follow them.
bool CheckTga(Reader& in, std::uint64_t pixels, std::uint32_t pixelBytes, std::string& reason)
{
    while (pixels > 0) {
        std::uint8_t packet = 0;
        if (!in.Byte(packet)) {
            reason = kStopsShort;
            return false;
        }
        const std::uint32_t count = (packet & 0x7Fu) + 1;
        if (count > pixels) {
            reason = kRunsPast;
            return false;
        }
        if (!in.Skip((packet & 0x80) != 0 ? pixelBytes : std::uint64_t(count) * pixelBytes)) {
            reason = kStopsShort;
            return false;
        }
        pixels -= count;
    }
    if (!in.AtEnd()) {
        reason = kRunsPast;
        return false;
    }
    return true;
}

// Pairs of a count and an index, or of 0 and an escape: end of row, end of
// bitmap, a jump right and up, or that many indices as they are (padded to
// two bytes). Rows are never left by running on.
bool CheckBmp8(Reader& in, std::uint64_t width, std::uint64_t rows, std::string& reason)
{
    std::uint64_t x = 0, y = 0;
    for (;;) {
        std::uint8_t count = 0, value = 0;
        if (!in.Byte(count)) {
            // Every row ended: a missing end-of-bitmap mark loses nothing.
            if (y >= rows)
                return true;
            reason = kStopsShort;
            return false;
        }
        if (!in.Byte(value)) {
            reason = kStopsShort;
            return false;
        }
        if (count != 0 || value >= 3) {
            const std::uint64_t run = count != 0 ? count : value;
            if (y >= rows || x + run > width) {
                reason = y >= rows ? kRunsPast : kRunsPastRow;
                return false;
            }
            if (count == 0 && !in.Skip((run + 1) & ~std::uint64_t(1))) {
                reason = kStopsShort;
                return false;
            }
            x += run;
        } else if (value == 0) {
            x = 0;
            if (++y > rows) {
                reason = kRunsPast;
                return false;
            }
        } else if (value == 1) {
            return true;
        } else {
            std::uint8_t right = 0, up = 0;
            if (!in.Byte(right) || !in.Byte(up)) {
                reason = kStopsShort;
                return false;
            }
            x += right;
            y += up;
            if (x > width || y >= rows) {
                reason = kJumpsOut;
                return false;
            }
        }
    }
}

} // namespace

bool RunLengthStream::Check(std::FILE* file, const ImageHeader& header, std::string& reason)
{
    if (header.GetStream() == ImageHeader::Stream::Plain)
        return true;
    if (std::fseek(file, long(header.GetStreamOffset()), SEEK_SET) != 0) {
        reason = "cannot be read";
        return false;
    }
    Reader in(file, header.GetStreamBytes());
    if (header.GetStream() == ImageHeader::Stream::TgaRunLength)
        return CheckTga(in, std::uint64_t(header.GetWidth()) * header.GetHeight(), header.GetStreamPixelBytes(),
                        reason);
    return CheckBmp8(in, header.GetWidth(), header.GetHeight(), reason);
}

} // namespace Vorm
