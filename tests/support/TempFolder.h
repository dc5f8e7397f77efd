#ifndef VORM_TESTS_TEMPFOLDER_H
#define VORM_TESTS_TEMPFOLDER_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh temporary folder for the files a test writes; removed with
// everything in it when the object goes.
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorm-test-XXXXXX").string();
        if (mkdtemp(&pattern[0]))
            m_dir = pattern + "/";
    }
    ~TempFolder()
    {
        if (!m_dir.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_dir, ec);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Ok() const { return !m_dir.empty(); }
    // The folder, ending in '/'.
    const std::string& Dir() const { return m_dir; }
    std::string Path(const std::string& name) const { return m_dir + name; }

    // Writes the text byte for byte; returns the full path.
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
        out << text;
        return Path(name);
    }
    void Remove(const std::string& name) const
    {
        std::error_code ec;
        std::filesystem::remove(Path(name), ec);
    }

private:
    std::string m_dir;
};

#endif
