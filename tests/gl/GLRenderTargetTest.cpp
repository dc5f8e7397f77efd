#include "CoutCapture.h"
#include "GLFixture.h"
#include "GLReadBack.h"

#include "RenderGL/GLRenderTarget.h"
#include "RenderGL/texture/GLTexture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Vorm;

namespace {

// A 2D texture without mipmaps: RGB, or 24-bit depth storage.
TextureDesc Desc(std::uint32_t w, std::uint32_t h, bool depth)
{
    return TextureDesc{w, h, 0, 0, 1, 1, depth ? 9u : 1u, depth ? 8u : 1u};
}

bool ColourWrites()
{
    GLboolean mask[4] = {GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    return mask[0] && mask[1] && mask[2] && mask[3];
}

GLint AttachmentParam(const GLRenderTarget& target, GLenum attachment, GLenum pname)
{
    GLint value = -1;
    glBindFramebuffer(GL_FRAMEBUFFER, target.GetHandle());
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment, pname, &value);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return value;
}

// Clears columns [x0, x1) of the bound frame buffer to the clear values.
void ClearColumns(int x0, int x1, GLbitfield mask)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(x0, 0, x1 - x0, 64);
    glClear(mask);
    glDisable(GL_SCISSOR_TEST);
}

} // namespace

using GLRenderTargetTest = GLFixture;

TEST_F(GLRenderTargetTest, DepthOnlyShadowMapTakesDepthAndRestoresColourState)
{
    GLRenderTarget target;
    CoutCapture out;
    target.Create(16, 8, 1);
    target.AttachDepthTexture(Desc(16, 8, true), TextureParams());
    EXPECT_TRUE(target.IsComplete());
    EXPECT_EQ("", out.Text());
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_FALSE(target.GetColorTexture(0));

    target.Bind();
    EXPECT_EQ(GLint(target.GetHandle()), GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_NONE, GLInt(GL_DRAW_BUFFER));
    EXPECT_EQ(GL_NONE, GLInt(GL_READ_BUFFER));
    EXPECT_FALSE(ColourWrites());
    EXPECT_EQ(GLenum(GL_FRAMEBUFFER_COMPLETE), glCheckFramebufferStatus(GL_FRAMEBUFFER));
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(0.25);
    ClearColumns(0, 8, GL_DEPTH_BUFFER_BIT); // left half
    target.Unbind();
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_BACK, GLInt(GL_DRAW_BUFFER));
    EXPECT_EQ(GL_BACK, GLInt(GL_READ_BUFFER));
    EXPECT_TRUE(ColourWrites());

    const std::vector<float> texels = ReadTexImage(target.GetDepthTexture(), 16, 8, GL_DEPTH_COMPONENT, GL_FLOAT, -1.0f);
    for (int y = 0; y < 8; y += 7) {
        EXPECT_NEAR(0.25f, texels[y * 16 + 2], 1e-3f) << "row " << y;
        EXPECT_NEAR(1.0f, texels[y * 16 + 13], 1e-3f) << "row " << y;
    }
}

TEST_F(GLRenderTargetTest, ColourTargetDrawsIntoItsFirstTexture)
{
    GLRenderTarget target;
    target.Create(8, 8, 2);
    target.AttachColorTextures(Desc(8, 8, false), TextureParams(), 2);
    EXPECT_TRUE(target.IsComplete());
    ASSERT_EQ(2u, target.GetColorTextureCount());
    EXPECT_FALSE(target.GetColorTexture(2)); // past the attached ones
    EXPECT_FALSE(target.GetDepthTexture());
    EXPECT_EQ(TextureHandle(target.GetColorTexture(1)),
              AttachmentParam(target, GL_COLOR_ATTACHMENT1, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME));
    EXPECT_EQ(GL_RENDERBUFFER, AttachmentParam(target, GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE));

    // Bind and Unbind change only the frame-buffer binding.
    target.Bind();
    EXPECT_EQ(GLint(target.GetHandle()), GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_COLOR_ATTACHMENT0, GLInt(GL_DRAW_BUFFER));
    EXPECT_TRUE(ColourWrites());
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
    ClearColumns(4, 8, GL_COLOR_BUFFER_BIT); // right half orange
    target.Unbind();
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    EXPECT_EQ(GL_BACK, GLInt(GL_DRAW_BUFFER));

    const std::vector<std::uint8_t> px = ReadTexImage<std::uint8_t>(target.GetColorTexture(0), 8, 8, GL_RGBA, GL_UNSIGNED_BYTE);
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
    GLRenderTarget empty; // nothing attached
    GLRenderTarget wrong; // a depth texture cannot be a colour attachment
    CoutCapture out;
    empty.Create(4, 4, 0);
    EXPECT_FALSE(empty.IsComplete());
    EXPECT_EQ("Framebuffer not complete.\n", out.Text());
    EXPECT_EQ(0, GLInt(GL_FRAMEBUFFER_BINDING));
    wrong.Create(4, 4, 1);
    EXPECT_TRUE(wrong.IsComplete()); // depth alone
    wrong.AttachColorTextures(Desc(4, 4, true), TextureParams(), 1);
    EXPECT_FALSE(wrong.IsComplete());
    EXPECT_EQ("Framebuffer not complete.\nFramebuffer not complete.\n", out.Text());
}

TEST_F(GLRenderTargetTest, ColourSetIsCappedReplacedAndOutlivesTheTarget)
{
    GLint maxAttachments = 0;
    glGetIntegerv(GL_MAX_COLOR_ATTACHMENTS, &maxAttachments);
    GLuint fbo = 0;
    boost::shared_ptr<ITexture> kept;
    {
        GLRenderTarget target;
        target.Create(4, 4, 1);
        CoutCapture out; // GL may refuse attachments past its own limit
        target.AttachColorTextures(Desc(4, 4, false), TextureParams(), 9);
        EXPECT_EQ(6u, target.GetColorTextureCount());
        EXPECT_TRUE(target.GetColorTexture(5));
        EXPECT_FALSE(target.GetColorTexture(6));
        EXPECT_FALSE(target.GetColorTexture(100));
        if (maxAttachments >= 6) {
            EXPECT_TRUE(target.IsComplete());
        }

        // A second call starts again at attachment 0 and replaces the first set.
        target.AttachColorTextures(Desc(4, 4, false), TextureParams(), 1);
        EXPECT_EQ(1u, target.GetColorTextureCount());
        EXPECT_EQ(GL_NONE, AttachmentParam(target, GL_COLOR_ATTACHMENT1, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE));
        fbo = target.GetHandle();
        kept = target.GetColorTexture(0);
        EXPECT_TRUE(glIsFramebuffer(fbo));
    }
    EXPECT_FALSE(glIsFramebuffer(fbo));
    EXPECT_TRUE(glIsTexture(TextureHandle(kept)));
}
