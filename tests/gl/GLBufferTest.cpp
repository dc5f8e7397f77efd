#include "GLFixture.h"
#include "GLReadBack.h"

#include "Core/Rendering/VertexTypes.h"
#include "Render/RenderGL/GLIndexBuffer.h"
#include "Render/RenderGL/GLVertexBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Vorm;

namespace {

class GLBufferTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (HasFatalFailure())
            return;
        // Index buffer bindings live in a vertex array object on core contexts.
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
    }
    void TearDown() override
    {
        glBindVertexArray(0);
        glDeleteVertexArrays(1, &vao);
        GLFixture::TearDown();
    }

    static GLint Param(GLenum target, GLuint buffer, GLenum pname)
    {
        GLint value = -1;
        glBindBuffer(target, buffer);
        glGetBufferParameteriv(target, pname, &value);
        glBindBuffer(target, 0);
        return value;
    }

    template <typename T>
    static std::vector<T> Contents(GLenum target, GLuint buffer, std::size_t count)
    {
        std::vector<T> out(count);
        glBindBuffer(target, buffer);
        glGetBufferSubData(target, 0, count * sizeof(T), out.data());
        glBindBuffer(target, 0);
        return out;
    }

    GLuint vao = 0;
};

} // namespace

TEST_F(GLBufferTest, VertexBufferCopiesDataAndForgetsTheCallersMemory)
{
    std::vector<VT_PosNorTex> verts(3);
    for (int i = 0; i < 3; ++i)
        verts[i] = VT_PosNorTex(Vector3<float>(float(i), 1, 2), Vector3<float>(0, 0, 1), Vector2(0.5f, float(i)));
    VertexFormat format = VT_PosNorTex::GetFormat();
    for (auto& entry : format.m_attributes)
        entry.second.m_pData = verts.data(); // must not survive into the buffer's copy

    GLVertexBuffer vb;
    vb.Create(BufferData{3, std::uint32_t(3 * sizeof(VT_PosNorTex)), 0, verts.data()}, &format);
    EXPECT_EQ(0, GLInt(GL_ARRAY_BUFFER_BINDING));
    verts.assign(3, VT_PosNorTex()); // the caller may reuse its array at once

    ASSERT_NE(0u, vb.GetHandle());
    EXPECT_EQ(96, Param(GL_ARRAY_BUFFER, vb.GetHandle(), GL_BUFFER_SIZE));
    EXPECT_EQ(GL_STATIC_DRAW, Param(GL_ARRAY_BUFFER, vb.GetHandle(), GL_BUFFER_USAGE));
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
}

TEST_F(GLBufferTest, UsageOneIsDynamicAndRecreatingReleasesTheOldBuffer)
{
    const float data[4] = {1, 2, 3, 4};
    const VertexFormat format = VT_Pos::GetFormat();
    GLuint first = 0;
    {
        GLVertexBuffer vb;
        vb.Create(BufferData{1, 12, 1, data}, &format);
        first = vb.GetHandle();
        EXPECT_EQ(GL_DYNAMIC_DRAW, Param(GL_ARRAY_BUFFER, first, GL_BUFFER_USAGE));

        vb.Create(BufferData{1, 16, 0, data}, &format);
        EXPECT_FALSE(glIsBuffer(first));
        EXPECT_EQ(16, Param(GL_ARRAY_BUFFER, vb.GetHandle(), GL_BUFFER_SIZE));
        first = vb.GetHandle();
    }
    EXPECT_FALSE(glIsBuffer(first)); // the destructor released it
    {
        GLVertexBuffer never; // destroying an empty buffer is harmless
    }

    // Deleting through the interface releases the GL buffer too.
    GLIndexBuffer* ib = new GLIndexBuffer();
    const std::uint8_t idx[1] = {0};
    ib->Create(BufferData{1, 1, 0, idx}, DataType(eDataFormat_UBYTE1));
    const GLuint ibName = ib->GetHandle();
    ASSERT_TRUE(glIsBuffer(ibName));
    IIndexBuffer* asInterface = ib;
    delete asInterface;
    EXPECT_FALSE(glIsBuffer(ibName));
}

TEST_F(GLBufferTest, IndexBufferValidityFormatAndContents)
{
    GLIndexBuffer ib;
    EXPECT_FALSE(ib.IsValid());
    EXPECT_EQ(eDataFormat_NONE, ib.GetFormat().m_format);

    std::vector<std::uint32_t> indices = {0, 1, 2, 2, 3, 0};
    ib.Create(BufferData{6, 24, 1, indices.data()}, DataType(eDataFormat_UINT1));
    indices.clear();
    EXPECT_TRUE(ib.IsValid());
    EXPECT_EQ(6u, ib.GetCount());
    EXPECT_EQ(eDataFormat_UINT1, ib.GetFormat().m_format);
    EXPECT_EQ(0, GLInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    EXPECT_EQ(24, Param(GL_ELEMENT_ARRAY_BUFFER, ib.GetHandle(), GL_BUFFER_SIZE));
    EXPECT_EQ(GL_DYNAMIC_DRAW, Param(GL_ELEMENT_ARRAY_BUFFER, ib.GetHandle(), GL_BUFFER_USAGE));
    const std::vector<std::uint32_t> back = Contents<std::uint32_t>(GL_ELEMENT_ARRAY_BUFFER, ib.GetHandle(), 6);
    EXPECT_EQ(3u, back[4]);
    EXPECT_EQ(2u, back[2]);

    const GLuint first = ib.GetHandle();
    const std::uint8_t small[3] = {0, 1, 2};
    ib.Create(BufferData{3, 3, 0, small}, DataType(eDataFormat_UBYTE1));
    EXPECT_FALSE(glIsBuffer(first));
    EXPECT_EQ(3, Param(GL_ELEMENT_ARRAY_BUFFER, ib.GetHandle(), GL_BUFFER_SIZE));

    ib.Bind();
    EXPECT_EQ(GLint(ib.GetHandle()), GLInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    ib.Unbind();
    EXPECT_EQ(0, GLInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));
}
