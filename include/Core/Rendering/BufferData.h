#ifndef VORM_CORE_RENDERING_BUFFERDATA_H
#define VORM_CORE_RENDERING_BUFFERDATA_H

#include <cstdint>

namespace Vorm {

// Description of vertex or index data handed to a buffer's Create, e.g.
// BufferData{count, count * sizeof(Vertex), 0, vertices}. The data is not
// owned and is read only during Create.
struct BufferData
{
    std::uint32_t m_count = 0;      // vertices or indices
    std::uint32_t m_size = 0;       // bytes of data
    std::uint32_t m_usage = 0;      // 0 static, 1 dynamic
    const void* m_pData = nullptr;
};

} // namespace Vorm

#endif
