#ifndef VORM_CORE_FILE_FILE_H
#define VORM_CORE_FILE_FILE_H

#include <fstream>
#include <string>

namespace Vorm {

// Read-only access to one file: open, query its size, read a number of
// characters or the whole file. Typical use: construct, Open, then ReadFile
// (or GetSize + Read into an own buffer), then Close or let the destructor
// close it. Only a regular file of at most a given size opens: a pipe, a
// device or a directory could block the reader or never end.
class File
{
public:
    // Largest file of each kind that opens: far above the demo's own (its
    // scenes are under 1 MB, its largest mesh 1.3 MB, its materials, effects
    // and shaders a few KB), small enough that a read ends well within a
    // second. Meshes, and files of no kind below:
    static constexpr int kMeshLimit = 8 << 20;
    static constexpr int kSceneLimit = 4 << 20;
    // Material, effect and shader files:
    static constexpr int kScriptLimit = 1 << 20;

    // The path as the file system resolves it (links followed, "." and
    // ".." and doubled slashes gone) as far as it exists, made plain beyond
    // that: one key for a file however its path is spelled. Opens nothing.
    static std::string Resolve(const std::string& path);

    explicit File(const std::string& path);
    ~File();

    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens for reading; false for a missing or unreadable file, one that is
    // not a regular file and one of more than `limit` bytes (GetError says
    // which).
    bool Open(int limit = kMeshLimit);
    // Why the last Open failed, worded to follow the path ("is a pipe, not
    // a regular file"); empty after a successful one.
    const std::string& GetError() const { return m_error; }
    // Size on disk in bytes; -1 until a successful Open.
    int GetSize() const;
    // Reads up to count characters (no terminator added); returns the count read.
    int Read(char* buffer, int count);
    // Reads the whole file; the string ends at the first NUL character.
    void ReadFile(std::string& out);
    void Close();

private:
    bool Refuse(const std::string& reason);

    std::string m_path;
    std::ifstream m_stream;
    int m_fileSize;
    bool m_bOpen;
    std::string m_error;
};

} // namespace Vorm

#endif
