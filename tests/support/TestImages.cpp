#include "TestImages.h"

#include <GL/glew.h>
#include <IL/il.h>

#include <cstdio>

namespace TestImages {
namespace {

void Put16(std::vector<std::uint8_t>& out, int v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

bool WriteTga(const std::string& path, std::uint8_t imageType, int width, int height, int bitsPerPixel,
              const std::vector<std::uint8_t>& palette, const std::vector<std::uint8_t>& pixels, bool topFirst)
{
    std::vector<std::uint8_t> out;
    out.push_back(0);                                 // no image id
    out.push_back(palette.empty() ? 0 : 1);           // colour map type
    out.push_back(imageType);
    Put16(out, 0);                                    // first palette entry
    Put16(out, int(palette.size() / 3));              // palette length
    out.push_back(palette.empty() ? 0 : 24);          // palette entry bits
    Put16(out, 0);                                    // x origin
    Put16(out, 0);                                    // y origin
    Put16(out, width);
    Put16(out, height);
    out.push_back(std::uint8_t(bitsPerPixel));
    std::uint8_t descriptor = bitsPerPixel == 32 ? 8 : 0; // alpha bits
    if (topFirst)
        descriptor |= 0x20;
    out.push_back(descriptor);
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool WriteTrueColor(const std::string& path, int width, int height, int bytesPerPixel,
                    const std::vector<std::uint8_t>& pixels, bool topFirst)
{
    return WriteTga(path, 2, width, height, bytesPerPixel * 8, std::vector<std::uint8_t>(), pixels, topFirst);
}

bool WriteGrey(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels,
               bool topFirst)
{
    return WriteTga(path, 3, width, height, 8, std::vector<std::uint8_t>(), pixels, topFirst);
}

bool WritePalette(const std::string& path, int width, int height, const std::vector<std::uint8_t>& indices,
                  const std::vector<std::uint8_t>& paletteBgr, bool topFirst)
{
    return WriteTga(path, 1, width, height, 8, paletteBgr, indices, topFirst);
}

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgbBottomFirst)
{
    if (rgbBottomFirst.size() != std::size_t(width) * std::size_t(height) * 3)
        return false;
    InitDevIL();
    ILuint id = 0;
    ilGenImages(1, &id);
    ilBindImage(id);
    // A new DevIL image has its origin lower left: the rows go in as given.
    bool ok = ilTexImage(ILuint(width), ILuint(height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                         const_cast<std::uint8_t*>(rgbBottomFirst.data())) == IL_TRUE;
    ilEnable(IL_FILE_OVERWRITE);
    ok = ok && ilSave(IL_PNG, path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &id);
    return ok;
}

bool SaveReadBufferPng(const std::string& path, int width, int height)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return WritePng(path, width, height, pixels);
}

bool WriteCubeFaces(const std::string& folder, const std::string& name, int size,
                    const std::uint8_t top[6][3], const std::uint8_t bottom[6][3])
{
    const char* const prefixes[6] = {"px_", "py_", "pz_", "nx_", "ny_", "nz_"};
    for (int f = 0; f < 6; ++f) {
        std::vector<std::uint8_t> rgb;
        for (int y = 0; y < size; ++y) {
            const std::uint8_t* c = y < size / 2 ? bottom[f] : top[f]; // rows bottom first
            for (int x = 0; x < size; ++x)
                rgb.insert(rgb.end(), c, c + 3);
        }
        if (!WritePng(folder + prefixes[f] + name, size, size, rgb))
            return false;
    }
    return true;
}

void InitDevIL()
{
    static bool s_done = false;
    if (!s_done) {
        ilInit();
        s_done = true;
    }
}

} // namespace TestImages
