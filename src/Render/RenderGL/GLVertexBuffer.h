#ifndef VORM_RENDER_RENDERGL_GLVERTEXBUFFER_H
#define VORM_RENDER_RENDERGL_GLVERTEXBUFFER_H

#include "Core/Rendering/IVertexBuffer.h"

#include <cstdint>

namespace Vorm {

// One GL array buffer, filled once by Create. After Create every attribute
// of the stored format has a null base pointer: offsets then count from the
// start of the bound buffer.
class GLVertexBuffer : public IVertexBuffer
{
public:
    GLVertexBuffer();
    virtual ~GLVertexBuffer();

    virtual void Bind() override;
    virtual void Unbind() override;
    // Leaves no buffer bound; keeps no pointer to the caller's data. A second
    // Create replaces the first GL buffer.
    virtual void Create(const BufferData& data, const VertexFormat* format) override;

    std::uint32_t GetHandle() const { return m_uiBuffer; }

private:
    GLVertexBuffer(const GLVertexBuffer&);
    GLVertexBuffer& operator=(const GLVertexBuffer&);

    std::uint32_t m_uiBuffer;
};

} // namespace Vorm

#endif
