#include "Image.h"

#include <cmath>

namespace assetgen {

uint8_t toByte(double v)
{
    double s = std::floor(clamp01(v) * 255.0 + 0.5);
    return static_cast<uint8_t>(s);
}

Image::Image(int width, int height, int channels)
    : width_(width), height_(height), channels_(channels),
      data_(static_cast<size_t>(width) * height * channels, 0)
{
}

void Image::setColor(int x, int y, const Vec3& c)
{
    uint8_t* p = pixel(x, y);
    p[0] = toByte(c.x);
    p[1] = toByte(c.y);
    p[2] = toByte(c.z);
}

void Image::setAlpha(int x, int y, double a)
{
    if (channels_ == 4) pixel(x, y)[3] = toByte(a);
}

Vec3 Image::color(int x, int y) const
{
    const uint8_t* p = pixel(x, y);
    return {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0};
}

} // namespace assetgen
