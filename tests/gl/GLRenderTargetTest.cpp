#include "CoutCapture.h"
#include "GLFixture.h"
#include "GLReadBack.h"
#include "TestShaders.h"

#include "Core/Rendering/VertexTypes.h"
#include "Render/RenderGL/GLIndexBuffer.h"
#include "Render/RenderGL/GLRenderTarget.h"
#include "Render/RenderGL/GLVertexBuffer.h"
#include "Render/RenderGL/effects/api/glsl/GLSLProgram.h"
#include "Render/RenderGL/texture/GLTexture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Vorm;

namespace {

TextureDesc Desc(std::uint32_t w, std::uint32_t h, std::uint32_t internal, std::uint32_t pixel)
{
    TextureDesc d;
    d.m_width = w;
    d.m_height = h;
    d.m_type = 1;
    d.m_internalFormat = internal;
    d.m_pixelFormat = pixel;
    return d;
}

bool ColourWrites()
{
    GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    return mask[0] && mask[1] && mask[2] && mask[3];
}

class GLRenderTargetTest : public GLFixture
{
protected:
    // Draws the orange quad x in [x0, x1] over the full height at clip depth
    // z, from engine vertex and index buffers.
    void DrawQuad(float x0, float x1, float z)
    {
        std::string log;
        bool linked = false;
        const std::unique_ptr<GLSLProgram> program = TestShaders::BuildProgram(
            m_folder, "#version 140\nin vec3 pos;\nvoid main() { gl_Position = vec4(pos, 1.0); }\n",
            "#version 140\nout vec4 color;\nvoid main() { color = vec4(1.0, 0.5, 0.0, 1.0); }\n", log, &linked);
        ASSERT_TRUE(linked) << log;
        const VT_Pos verts[4] = {VT_Pos(Vector3<float>(x0, -1, z)), VT_Pos(Vector3<float>(x1, -1, z)),
                                 VT_Pos(Vector3<float>(x1, 1, z)), VT_Pos(Vector3<float>(x0, 1, z))};
        const std::uint8_t indices[6] = {0, 1, 2, 0, 2, 3};
        const VertexFormat format = VT_Pos::GetFormat();
        GLVertexBuffer vb;
        vb.Create(BufferData{4, sizeof(verts), 0, verts}, &format);
        GLIndexBuffer ib;
        ib.Create(BufferData{6, sizeof(indices), 0, indices}, DataType(eDataFormat_UBYTE1));
        program->Enable();
        vb.Bind();
        program->UpdateVertexDataBinding(vb.GetVertexFormat().m_attributes);
        ib.Bind();
        glDrawElements(GL_TRIANGLES, ib.GetCount(), GL_UNSIGNED_BYTE, nullptr);
        program->Disable();
    }
};

} // namespace

TEST_F(GLRenderTargetTest, DepthOnlyShadowMapRendersDepthAndRestoresColourState)
{
    GLRenderTarget target;
    CoutCapture out;
    target.Create(16, 8, 1);
    target.AttachDepthTexture(Desc(16, 8, 9, 8), TextureParams());
    EXPECT_TRUE(target.IsComplete());
    EXPECT_EQ("", out.Text());
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    ASSERT_TRUE(target.GetDepthTexture());
    EXPECT_FALSE(target.GetColorTexture(0));
    EXPECT_EQ(16u, target.GetWidth());
    EXPECT_EQ(8u, target.GetHeight());

    target.Bind();
    EXPECT_EQ(GLint(target.GetHandle()), GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_NONE, GLInt(GL_DRAW_BUFFER));
    EXPECT_EQ(GL_NONE, GLInt(GL_READ_BUFFER));
    EXPECT_FALSE(ColourWrites());
    EXPECT_EQ(GLenum(GL_FRAMEBUFFER_COMPLETE), glCheckFramebufferStatus(GL_FRAMEBUFFER));

    glViewport(0, 0, 16, 8);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    DrawQuad(-1.0f, 0.0f, -0.5f); // left half at window depth 0.25
    target.Unbind();
    glDisable(GL_DEPTH_TEST);

    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_BACK, GLInt(GL_DRAW_BUFFER));
    EXPECT_EQ(GL_BACK, GLInt(GL_READ_BUFFER));
    EXPECT_TRUE(ColourWrites());

    GLTexture* depth = dynamic_cast<GLTexture*>(target.GetDepthTexture().get());
    ASSERT_NE(nullptr, depth);
    std::vector<float> texels(16 * 8, -1.0f);
    depth->Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, texels.data());
    depth->Unbind();
    for (int y = 0; y < 8; y += 7) {
        EXPECT_NEAR(0.25f, texels[y * 16 + 2], 1e-3f) << "row " << y;
        EXPECT_NEAR(1.0f, texels[y * 16 + 13], 1e-3f) << "row " << y;
    }
}

TEST_F(GLRenderTargetTest, ColourTargetDrawsIntoItsFirstTexture)
{
    GLRenderTarget target;
    target.Create(8, 8, 2);
    target.AttachColorTextures(Desc(8, 8, 1, 1), TextureParams(), 2);
    EXPECT_TRUE(target.IsComplete());
    ASSERT_EQ(2u, target.GetColorTextureCount());
    GLTexture* first = dynamic_cast<GLTexture*>(target.GetColorTexture(0).get());
    GLTexture* second = dynamic_cast<GLTexture*>(target.GetColorTexture(1).get());
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first->GetHandle(), second->GetHandle());
    EXPECT_FALSE(target.GetColorTexture(2)); // past the attached ones
    EXPECT_FALSE(target.GetDepthTexture());

    glBindFramebuffer(GL_FRAMEBUFFER, target.GetHandle());
    GLint name = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    EXPECT_EQ(GLint(second->GetHandle()), name);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &name);
    EXPECT_EQ(GL_RENDERBUFFER, name);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    // Bind and Unbind change only the frame-buffer binding.
    target.Bind();
    EXPECT_EQ(GLint(target.GetHandle()), GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_COLOR_ATTACHMENT0, GLInt(GL_DRAW_BUFFER));
    EXPECT_TRUE(ColourWrites());
    glViewport(0, 0, 8, 8);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawQuad(0.0f, 1.0f, 0.0f); // right half orange
    target.Unbind();
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_BACK, GLInt(GL_DRAW_BUFFER));

    std::vector<std::uint8_t> px(8 * 8 * 4, 0);
    first->Bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    first->Unbind();
    const std::uint8_t* left = &px[(4 * 8 + 1) * 4];
    const std::uint8_t* right = &px[(4 * 8 + 6) * 4];
    EXPECT_EQ(0, left[0]);
    EXPECT_EQ(255, left[2]);
    EXPECT_EQ(255, right[0]);
    EXPECT_NEAR(128, right[1], 1);
    EXPECT_EQ(0, right[2]);
}

TEST_F(GLRenderTargetTest, IncompleteTargetsAreReported)
{
    {
        // Nothing attached.
        GLRenderTarget empty;
        CoutCapture out;
        empty.Create(4, 4, 0);
        EXPECT_FALSE(empty.IsComplete());
        EXPECT_TRUE(out.Contains("Framebuffer not complete."));
        EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    }
    {
        // A depth texture cannot be a colour attachment.
        GLRenderTarget wrong;
        wrong.Create(4, 4, 1);
        CoutCapture out;
        wrong.AttachColorTextures(Desc(4, 4, 9, 8), TextureParams(), 1);
        EXPECT_FALSE(wrong.IsComplete());
        EXPECT_TRUE(out.Contains("Framebuffer not complete."));
    }
}

TEST_F(GLRenderTargetTest, ColourCountIsBoundedByTheAttachmentTable)
{
    GLRenderTarget target;
    target.Create(4, 4, 1);
    GLint maxAttachments = 0;
    glGetIntegerv(GL_MAX_COLOR_ATTACHMENTS, &maxAttachments);
    CoutCapture out; // GL may refuse attachments past its own limit
    target.AttachColorTextures(Desc(4, 4, 1, 1), TextureParams(), 9);
    EXPECT_EQ(6u, target.GetColorTextureCount());
    EXPECT_TRUE(target.GetColorTexture(5));
    EXPECT_FALSE(target.GetColorTexture(6));
    EXPECT_FALSE(target.GetColorTexture(100));
    if (maxAttachments >= 6) {
        EXPECT_TRUE(target.IsComplete());
    }

    // A second call starts again at attachment 0 and replaces the first set.
    target.AttachColorTextures(Desc(4, 4, 1, 1), TextureParams(), 1);
    EXPECT_EQ(1u, target.GetColorTextureCount());
    glBindFramebuffer(GL_FRAMEBUFFER, target.GetHandle());
    GLint type = -1;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(GL_NONE, type);
}

TEST_F(GLRenderTargetTest, DestroyingReleasesGLObjectsButSharedTexturesLive)
{
    GLuint fbo = 0;
    boost::shared_ptr<ITexture> kept;
    {
        GLRenderTarget target;
        target.Create(4, 4, 2);
        target.AttachColorTextures(Desc(4, 4, 1, 1), TextureParams(), 1);
        fbo = target.GetHandle();
        kept = target.GetColorTexture(0);
        EXPECT_TRUE(glIsFramebuffer(fbo));
    }
    EXPECT_FALSE(glIsFramebuffer(fbo));
    GLTexture* tex = dynamic_cast<GLTexture*>(kept.get());
    ASSERT_NE(nullptr, tex);
    EXPECT_TRUE(glIsTexture(tex->GetHandle()));
}
