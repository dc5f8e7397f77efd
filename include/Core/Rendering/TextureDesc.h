#ifndef VORM_CORE_RENDERING_TEXTUREDESC_H
#define VORM_CORE_RENDERING_TEXTUREDESC_H

#include <cstdint>

namespace Vorm {

// Pixel-format indices of TextureDesc::m_internalFormat and m_pixelFormat:
// 0 RGB8, 1 RGBA8, 2 RGB float, 3 RGBA float, 4 RGB16F, 5 RGBA16F,
// 6 RGB32F, 7 RGBA32F, 8 depth, 9 depth 24 bit, 10 depth 32 bit.

// Description from which a texture is created. Only the flip flag has a
// meaningful default (1); the caller fills the rest.
struct TextureDesc
{
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::uint32_t m_depth = 0;          // kept with the texture; nothing reads it
    std::uint8_t m_bMipmap = 0;         // 1: build the mipmap chain after loading data
    std::uint8_t m_bFlip = 1;           // 1: image files load with the origin upper left
    std::uint32_t m_type = 0;           // 0 1D, 1 2D, 2 3D, 3 cube map
    std::uint32_t m_internalFormat = 0; // pixel-format index of the storage
    std::uint32_t m_pixelFormat = 0;    // pixel-format index of supplied data
};

// Sampler parameters. Filters: 0 nearest, 1 linear, 2 nearest-mipmap-nearest,
// 3 nearest-mipmap-linear, 4 linear-mipmap-nearest, 5 linear-mipmap-linear.
// Wraps: 0 clamp to edge, 1 repeat, 2 clamp to border, 3 mirrored repeat.
struct TextureParams
{
    std::uint32_t m_magFilter = 0;
    std::uint32_t m_minFilter = 0;
    std::uint32_t m_wrapS = 0;
    std::uint32_t m_wrapT = 0;
    std::uint32_t m_reserved = 0;       // kept with the texture; nothing reads it
};

} // namespace Vorm

#endif
