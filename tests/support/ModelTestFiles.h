#ifndef VORM_TESTS_MODELTESTFILES_H
#define VORM_TESTS_MODELTESTFILES_H

#include <fstream>
#include <sstream>
#include <string>

// The hand-written scene, material and mesh files under tests/data/, and
// small file helpers for tests that write their own variants.
namespace ModelTestFiles {

// tests/data/scene/ with a trailing '/', found from this header's own path.
inline std::string SceneDir()
{
    std::string path = __FILE__;
    const size_t slash = path.find_last_of('/');
    path = path.substr(0, slash);                       // tests/support
    path = path.substr(0, path.find_last_of('/') + 1);  // tests/
    return path + "data/scene/";
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path.c_str(), std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Every LF becomes CR LF.
inline std::string ToCrLf(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            out += '\r';
        out += text[i];
    }
    return out;
}

} // namespace ModelTestFiles

#endif
