#include "Core/File/File.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Util/Assert.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <ios>
#include <system_error>

namespace Vorm {

namespace {

// "8 MB", "64 KB" or "1000 bytes".
std::string SizeText(int bytes)
{
    if (bytes > 0 && bytes % (1 << 20) == 0)
        return std::to_string(bytes >> 20) + " MB";
    if (bytes > 0 && bytes % (1 << 10) == 0)
        return std::to_string(bytes >> 10) + " KB";
    return std::to_string(bytes) + " bytes";
}

std::string TooLarge(unsigned long long size, int limit)
{
    return "is " + std::to_string(size) + " bytes, more than the " + SizeText(limit) + " allowed for its kind";
}

} // namespace

std::string File::Resolve(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(fs::path(path), ec);
    if (!ec)
        return resolved.string();
    // A path the system cannot resolve (too long, a loop of links) is still
    // one key however its dots and slashes are written.
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    return (ec ? fs::path(path) : absolute).lexically_normal().string();
}

File::File(const std::string& path)
    : m_path(path)
    , m_fileSize(-1)
    , m_bOpen(false)
{
}

File::~File()
{
    Close();
}

bool File::Refuse(const std::string& reason)
{
    if (m_stream.is_open())
        m_stream.close();
    m_stream.clear();
    m_bOpen = false;
    m_error = reason;
    return false;
}

bool File::Open(int limit)
{
    m_error.clear();
    // The buffer of ReadFile holds the size and a terminator.
    limit = std::max(0, std::min(limit, INT_MAX - 1));
    // Looked at before opening: opening a pipe waits for a writer, and a
    // device or a directory has no end that a read could reach.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(m_path, ec);
    switch (status.type()) {
    case fs::file_type::regular:
        break;
    case fs::file_type::directory:
        return Refuse("is a directory, not a regular file");
    case fs::file_type::fifo:
        return Refuse("is a pipe, not a regular file");
    case fs::file_type::character:
    case fs::file_type::block:
        return Refuse("is a device, not a regular file");
    case fs::file_type::socket:
        return Refuse("is a socket, not a regular file");
    case fs::file_type::none:
    case fs::file_type::not_found:
        return Refuse("cannot open");
    default:
        return Refuse("is not a regular file");
    }
    // Opened at its end, a regular file tells its size at once; the size as
    // opened counts, whatever it was when the path was looked at.
    m_stream.open(m_path.c_str(), std::ios::in | std::ios::ate);
    if (!m_stream.is_open())
        return Refuse("cannot open");
    const std::streamoff end = m_stream.tellg();
    if (end < 0)
        return Refuse("cannot open");
    if (end > limit)
        return Refuse(TooLarge(static_cast<unsigned long long>(end), limit));
    m_bOpen = true;
    m_fileSize = static_cast<int>(end);
    m_stream.seekg(0, std::ios::beg);
    return true;
}

int File::GetSize() const
{
    VORM_ASSERT((m_fileSize != -1) && "file not open");
    return m_fileSize;
}

int File::Read(char* buffer, int count)
{
    VORM_ASSERT(m_bOpen && "file not open");
    if (!m_bOpen || count <= 0)
        return 0;
    m_stream.read(buffer, count);
    return static_cast<int>(m_stream.gcount());
}

void File::ReadFile(std::string& out)
{
    VORM_ASSERT(m_bOpen && "file not open");
    if (!m_bOpen) {
        // Nothing to read, and m_fileSize may still be -1.
        out.clear();
        return;
    }

    char* buffer = VORM_NEW char[m_fileSize + 1];
    const int nmbRead = Read(buffer, m_fileSize);
    VORM_ASSERT(nmbRead <= m_fileSize);
    buffer[nmbRead] = 0;
    out = buffer;
    VORM_DELETE[] buffer;
}

void File::Close()
{
    if (m_bOpen) {
        m_stream.close();
        m_bOpen = false;
    }
}

} // namespace Vorm
