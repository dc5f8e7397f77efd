#include "RenderGL/GLVertexBuffer.h"

#include "RenderGL/GLUtil.h"

namespace Vorm {

GLVertexBuffer::GLVertexBuffer() : m_uiBuffer(0)
{
}

GLVertexBuffer::~GLVertexBuffer()
{
    if (m_uiBuffer != 0)
        glDeleteBuffers(1, &m_uiBuffer);
}

void GLVertexBuffer::Bind()
{
    glBindBuffer(GL_ARRAY_BUFFER, m_uiBuffer);
}

void GLVertexBuffer::Unbind()
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void GLVertexBuffer::Create(const BufferData& data, const VertexFormat* format)
{
    if (format)
        m_vertexFormat = *format;
    m_bufferData = data;

    // A repeated Create must not leak the earlier buffer.
    if (m_uiBuffer != 0)
        glDeleteBuffers(1, &m_uiBuffer);
    glGenBuffers(1, &m_uiBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_uiBuffer);
    glBufferData(GL_ARRAY_BUFFER, m_bufferData.m_size, m_bufferData.m_pData,
                 GLMapBufferUsage(m_bufferData.m_usage));
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    // The caller's memory is not kept; with the buffer bound, attribute
    // pointers are offsets into it.
    m_bufferData.m_pData = nullptr;
    for (VertexAttributeMap::iterator it = m_vertexFormat.m_attributes.begin();
         it != m_vertexFormat.m_attributes.end(); ++it)
        it->second.m_pData = m_bufferData.m_pData;
}

} // namespace Vorm
