#include "GLFixture.h"
#include "GLReadBack.h"

#include "Core/Rendering/VertexTypes.h"
#include "RenderGL/GLIndexBuffer.h"
#include "RenderGL/GLVertexBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Vorm;

namespace {

// GL_BUFFER_SIZE, then GL_BUFFER_USAGE of a buffer.
std::vector<GLint> SizeAndUsage(GLenum target, GLuint buffer)
{
    std::vector<GLint> v(2, -1);
    glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &v[0]);
    glGetBufferParameteriv(target, GL_BUFFER_USAGE, &v[1]);
    glBindBuffer(target, 0);
    return v;
}

template <typename T>
std::vector<T> Contents(GLenum target, GLuint buffer, std::size_t count)
{
    std::vector<T> out(count);
    glBindBuffer(target, buffer);
    glGetBufferSubData(target, 0, count * sizeof(T), out.data());
    glBindBuffer(target, 0);
    return out;
}

} // namespace

using GLBufferTest = GLFixture;

TEST_F(GLBufferTest, VertexBufferCopiesDataForgetsTheCallersMemoryAndRecreates)
{
    std::vector<VT_PosNorTex> verts(3);
    for (int i = 0; i < 3; ++i)
        verts[i] = VT_PosNorTex(Vector3<float>(float(i), 1, 2), Vector3<float>(0, 0, 1), Vector2(0.5f, float(i)));
    VertexFormat format = VT_PosNorTex::GetFormat();
    for (auto& entry : format.m_attributes)
        entry.second.m_pData = verts.data(); // must not survive into the buffer's copy
    GLuint name = 0;
    {
        GLVertexBuffer vb;
        vb.Create(BufferData{3, std::uint32_t(3 * sizeof(VT_PosNorTex)), 0, verts.data()}, &format);
        EXPECT_EQ(0, GLInt(GL_ARRAY_BUFFER_BINDING));
        verts.assign(3, VT_PosNorTex()); // the caller may reuse its array at once
        ASSERT_NE(0u, vb.GetHandle());
        EXPECT_EQ((std::vector<GLint>{96, GL_STATIC_DRAW}), SizeAndUsage(GL_ARRAY_BUFFER, vb.GetHandle()));
        const std::vector<VT_PosNorTex> back = Contents<VT_PosNorTex>(GL_ARRAY_BUFFER, vb.GetHandle(), 3);
        EXPECT_EQ(2.0f, back[2].pos.x);
        EXPECT_EQ(2.0f, back[2].tex0.y);
        EXPECT_EQ(1.0f, back[1].normal.z);
        EXPECT_EQ(3u, vb.GetCount());
        EXPECT_EQ(32u, vb.GetVertexFormat().m_size);
        ASSERT_EQ(3u, vb.GetVertexFormat().m_attributes.size());
        for (const auto& entry : vb.GetVertexFormat().m_attributes)
            EXPECT_EQ(nullptr, entry.second.m_pData) << entry.first;
        vb.Bind();
        EXPECT_EQ(GLint(vb.GetHandle()), GLInt(GL_ARRAY_BUFFER_BINDING));
        vb.Unbind();
        EXPECT_EQ(0, GLInt(GL_ARRAY_BUFFER_BINDING));

        // A second Create releases the first buffer; usage 1 is dynamic.
        name = vb.GetHandle();
        vb.Create(BufferData{1, 16, 1, back.data()}, nullptr);
        EXPECT_FALSE(glIsBuffer(name));
        EXPECT_EQ((std::vector<GLint>{16, GL_DYNAMIC_DRAW}), SizeAndUsage(GL_ARRAY_BUFFER, vb.GetHandle()));
        EXPECT_EQ(3u, vb.GetVertexFormat().m_attributes.size()); // no format: the old one stays
        name = vb.GetHandle();
    }
    EXPECT_FALSE(glIsBuffer(name)); // the destructor released it
}

TEST_F(GLBufferTest, IndexBufferValidityFormatContentsAndRelease)
{
    // Index buffer bindings live in a vertex array object on core contexts.
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    GLIndexBuffer* ib = new GLIndexBuffer();
    EXPECT_FALSE(ib->IsValid());
    EXPECT_EQ(eDataFormat_NONE, ib->GetFormat().m_format);

    std::vector<std::uint32_t> indices = {0, 1, 2, 2, 3, 0};
    ib->Create(BufferData{6, 24, 1, indices.data()}, DataType(eDataFormat_UINT1));
    indices.clear();
    EXPECT_TRUE(ib->IsValid());
    EXPECT_EQ(6u, ib->GetCount());
    EXPECT_EQ(eDataFormat_UINT1, ib->GetFormat().m_format);
    EXPECT_EQ(0, GLInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    EXPECT_EQ((std::vector<GLint>{24, GL_DYNAMIC_DRAW}), SizeAndUsage(GL_ELEMENT_ARRAY_BUFFER, ib->GetHandle()));
    const std::vector<std::uint32_t> back = Contents<std::uint32_t>(GL_ELEMENT_ARRAY_BUFFER, ib->GetHandle(), 6);
    EXPECT_EQ(3u, back[4]);
    EXPECT_EQ(2u, back[2]);

    const GLuint first = ib->GetHandle();
    const std::uint8_t small[3] = {0, 1, 2};
    ib->Create(BufferData{3, 3, 0, small}, DataType(eDataFormat_UBYTE1));
    EXPECT_FALSE(glIsBuffer(first));
    EXPECT_EQ((std::vector<GLint>{3, GL_STATIC_DRAW}), SizeAndUsage(GL_ELEMENT_ARRAY_BUFFER, ib->GetHandle()));
    ib->Bind();
    EXPECT_EQ(GLint(ib->GetHandle()), GLInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    ib->Unbind();
    EXPECT_EQ(0, GLInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));

    // Deleting through the interface releases the GL buffer too.
    const GLuint name = ib->GetHandle();
    IIndexBuffer* asInterface = ib;
    delete asInterface;
    EXPECT_FALSE(glIsBuffer(name));
    glDeleteVertexArrays(1, &vao);
}
