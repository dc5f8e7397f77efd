#include "RenderGL/GLIndexBuffer.h"

#include "RenderGL/GLUtil.h"

namespace Vorm {

GLIndexBuffer::GLIndexBuffer() : m_uiBuffer(0)
{
}

GLIndexBuffer::~GLIndexBuffer()
{
    if (m_uiBuffer != 0)
        glDeleteBuffers(1, &m_uiBuffer);
}

void GLIndexBuffer::Bind()
{
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_uiBuffer);
}

void GLIndexBuffer::Unbind()
{
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void GLIndexBuffer::Create(const BufferData& data, const DataType& format)
{
    m_bufferData = data;
    m_indexFormat = format;

    // A repeated Create must not leak the earlier buffer.
    if (m_uiBuffer != 0)
        glDeleteBuffers(1, &m_uiBuffer);
    glGenBuffers(1, &m_uiBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_uiBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, m_bufferData.m_size, m_bufferData.m_pData,
                 GLMapBufferUsage(m_bufferData.m_usage));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    m_bufferData.m_pData = nullptr;
}

bool GLIndexBuffer::IsValid()
{
    return m_uiBuffer != 0;
}

} // namespace Vorm
