// Image: an 8-bit RGB or RGBA pixel buffer, row 0 at the top of the picture.
// Every generator paints into one of these before a writer encodes it.
#pragma once
#include <cstdint>
#include <vector>

#include "Vec3.h"

namespace assetgen {

class Image {
public:
    Image() = default;
    Image(int width, int height, int channels);

    int width() const { return width_; }
    int height() const { return height_; }
    int channels() const { return channels_; }
    const std::vector<uint8_t>& data() const { return data_; }
    std::vector<uint8_t>& data() { return data_; }

    uint8_t* pixel(int x, int y) { return &data_[(static_cast<size_t>(y) * width_ + x) * channels_]; }
    const uint8_t* pixel(int x, int y) const
    {
        return &data_[(static_cast<size_t>(y) * width_ + x) * channels_];
    }
    // Stores a colour given in 0..1 (clamped, rounded).
    void setColor(int x, int y, const Vec3& c);
    void setAlpha(int x, int y, double a);
    Vec3 color(int x, int y) const;

private:
    int width_ = 0, height_ = 0, channels_ = 0;
    std::vector<uint8_t> data_;
};

uint8_t toByte(double v);

} // namespace assetgen
