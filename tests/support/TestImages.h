#ifndef VORM_TESTS_TESTIMAGES_H
#define VORM_TESTS_TESTIMAGES_H

#include <cstdint>
#include <string>
#include <vector>

// Small image files for tests, written by hand so that every layout (true
// colour, grey, grey-alpha, palette, 16-bit, either origin) and every header
// field is under the test's control; JPEG through DevIL.
namespace TestImages {

// True-colour TGA; pixels are rows of 3 (B, G, R) or 4 (B, G, R, A) bytes,
// first row = top row when topFirst, else bottom row.
bool WriteTrueColor(const std::string& path, int width, int height, int bytesPerPixel,
                    const std::vector<std::uint8_t>& pixels, bool topFirst = true);
// 8-bit grey TGA.
bool WriteGrey(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels,
               bool topFirst = true);
// 8-bit colour-mapped TGA with a palette of (B, G, R) entries.
bool WritePalette(const std::string& path, int width, int height, const std::vector<std::uint8_t>& indices,
                  const std::vector<std::uint8_t>& paletteBgr, bool topFirst = true);
// Run-length true-colour TGA (top row first) around the packets as given.
bool WriteRunLengthTga(const std::string& path, int width, int height, int bytesPerPixel,
                       const std::vector<std::uint8_t>& packets);

// PNG (top row first) of colour type 0 (grey), 2 (RGB), 4 (grey-alpha) or
// 6 (RGBA) with 8 or 16 bits per channel; 16-bit samples big-endian, as PNG
// stores them.
bool WritePng(const std::string& path, int width, int height, int colourType, int bitDepth,
              const std::vector<std::uint8_t>& samples);
// An 8-bit RGB PNG such as WritePng writes: rows of 3 bytes, top row first.
bool ReadPngRgb(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgbTopFirst);

// PNG whose header claims width x height in the colour type and depth
// given, holding `rows` rows of zero samples: a large picture in a small
// file, as hostile files make them.
bool WritePngHeader(const std::string& path, std::uint32_t width, std::uint32_t height, int colourType,
                    int bitDepth, int rows);

// BMP with a 40-byte info header of the given (signed) sides and depth;
// `rows` is the pixel data as the file holds it (bottom row first for a
// positive height, each row padded to 4 bytes), or the run-length stream
// of that compression (1: RLE8). `colours` is announced as the palette's
// length; up to 256 grey entries are written.
bool WriteBmp(const std::string& path, std::int32_t width, std::int32_t height, int bitsPerPixel,
              const std::vector<std::uint8_t>& rows, std::uint32_t colours = 0, std::uint32_t compression = 0);

// A DDS file: the header announces what the fields say, `data` follows it.
struct Dds
{
    std::uint32_t width;
    std::uint32_t height;
    const char* fourCC;       // "DXT1", "DXT5", ...; null for uncompressed pixels
    int bitsPerPixel;         // uncompressed: 32 (B, G, R, A bytes), 24 (B, G, R) or 16 (5-6-5)
    std::uint32_t levels;     // mip levels announced; 0 for no mip count
    int faces;                // of a cube map: 0 for none, up to 6
    std::vector<std::uint8_t> data;
    std::uint32_t depth;      // of a volume texture: 0 for none
};
bool WriteDds(const std::string& path, const Dds& dds);

// Baseline JPEG of RGB rows (top row first), written through DevIL.
bool WriteJpeg(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
// Makes the JPEG's frame header claim another size; the data stays.
bool SetJpegSize(const std::string& path, std::uint32_t width, std::uint32_t height);

// RGB PNG; rows of 3 bytes, first row = bottom row (the order
// glReadPixels gives).
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgbBottomFirst);
// The current read buffer's lower-left width x height pixels as a PNG.
bool SaveReadBufferPng(const std::string& path, int width, int height);

// Six PNG cube faces "px_", "py_", "pz_", "nx_", "ny_", "nz_" + name in
// `folder`, size x size each: the upper half of face f in top[f], the lower
// half in bottom[f] (RGB), faces in that order.
bool WriteCubeFaces(const std::string& folder, const std::string& name, int size,
                    const std::uint8_t top[6][3], const std::uint8_t bottom[6][3]);

} // namespace TestImages

#endif
