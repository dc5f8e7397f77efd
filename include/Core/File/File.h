#ifndef VORM_CORE_FILE_FILE_H
#define VORM_CORE_FILE_FILE_H

#include <fstream>
#include <string>

namespace Vorm {

// Read-only access to one file: open, query its size, read a number of
// characters or the whole file. Typical use: construct, Open, then ReadFile
// (or GetSize + Read into an own buffer), then Close or let the destructor
// close it.
class File
{
public:
    explicit File(const std::string& path);
    ~File();

    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens for reading; false for a missing or unreadable file.
    bool Open();
    // Size on disk in bytes; -1 until a successful Open.
    int GetSize() const;
    // Reads up to count characters (no terminator added); returns the count read.
    int Read(char* buffer, int count);
    // Reads the whole file; the string ends at the first NUL character.
    void ReadFile(std::string& out);
    void Close();

private:
    std::string m_path;
    std::ifstream m_stream;
    int m_fileSize;
    bool m_bOpen;
};

} // namespace Vorm

#endif
