#include "Core/File/File.h"

#include "Core/Memory/MemTracker.h"
#include "Core/Util/Assert.h"

#include <climits>
#include <ios>

namespace Vorm {

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

bool File::Open()
{
    m_stream.open(m_path.c_str(), std::ios::in | std::ios::ate);
    m_bOpen = m_stream.is_open();
    if (m_bOpen) {
        const std::streamoff end = m_stream.tellg();
        // A path whose end cannot be told (a directory, a huge file) cannot be
        // read into a buffer of that size: treat it as unreadable.
        if (end < 0 || end >= INT_MAX) {
            m_stream.close();
            m_stream.clear();
            m_bOpen = false;
            return false;
        }
        m_fileSize = static_cast<int>(end);
        m_stream.seekg(0, std::ios::beg);
    }
    return m_bOpen;
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
