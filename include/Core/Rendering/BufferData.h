#ifndef VORM_CORE_RENDERING_BUFFERDATA_H
#define VORM_CORE_RENDERING_BUFFERDATA_H

#include <cstdint>
#include <vector>

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

// The whole vector as static data.
template <class T>
BufferData BufferDataOf(const std::vector<T>& items)
{
    BufferData data;
    data.m_count = static_cast<std::uint32_t>(items.size());
    data.m_size = data.m_count * static_cast<std::uint32_t>(sizeof(T));
    data.m_pData = items.data();
    return data;
}

} // namespace Vorm

#endif
