#ifndef VORM_RENDER_RENDERGL_GLINDEXBUFFER_H
#define VORM_RENDER_RENDERGL_GLINDEXBUFFER_H

#include "Core/Rendering/IIndexBuffer.h"

#include <cstdint>

namespace Vorm {

// One GL element array buffer, filled once by Create.
class GLIndexBuffer : public IIndexBuffer
{
public:
    GLIndexBuffer();
    virtual ~GLIndexBuffer();

    virtual void Bind() override;
    virtual void Unbind() override;
    // Leaves no buffer bound; keeps no pointer to the caller's data. A second
    // Create replaces the first GL buffer.
    virtual void Create(const BufferData& data, const DataType& format) override;
    // True once Create has made the GL buffer.
    virtual bool IsValid() override;

    std::uint32_t GetHandle() const { return m_uiBuffer; }

private:
    GLIndexBuffer(const GLIndexBuffer&);
    GLIndexBuffer& operator=(const GLIndexBuffer&);

    std::uint32_t m_uiBuffer;
};

} // namespace Vorm

#endif
