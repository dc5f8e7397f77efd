#include "RenderGL/GLRenderTarget.h"

#include "Core/Memory/MemTracker.h"
#include "RenderGL/GLUtil.h"
#include "RenderGL/texture/GLTexture.h"

#include <GL/glew.h>

#include <iostream>

namespace Vorm {

GLRenderTarget::GLRenderTarget()
    : m_uiWidth(0), m_uiHeight(0), m_uiFrameBuffer(0), m_uiDepthBuffer(0), m_bComplete(false)
{
}

GLRenderTarget::~GLRenderTarget()
{
    if (m_uiFrameBuffer != 0)
        glDeleteFramebuffers(1, &m_uiFrameBuffer);
    if (m_uiDepthBuffer != 0)
        glDeleteRenderbuffers(1, &m_uiDepthBuffer);
}

void GLRenderTarget::Create(unsigned width, unsigned height, unsigned depthMode)
{
    m_uiWidth = width;
    m_uiHeight = height;

    // A repeated Create starts over instead of leaking the old objects.
    if (m_uiFrameBuffer != 0)
        glDeleteFramebuffers(1, &m_uiFrameBuffer);
    if (m_uiDepthBuffer != 0)
        glDeleteRenderbuffers(1, &m_uiDepthBuffer);
    m_uiDepthBuffer = 0;
    m_colorTextures.clear();
    m_spDepthTexture.reset();

    glGenFramebuffers(1, &m_uiFrameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_uiFrameBuffer);
    // Until colour textures arrive the target is depth-only; its draw and
    // read buffers must say so or it can never be complete.
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    if (depthMode == 1 || depthMode == 2) {
        glGenRenderbuffers(1, &m_uiDepthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, m_uiDepthBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_uiDepthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
    }
    CheckComplete();
}

void GLRenderTarget::AttachColorTextures(TextureDesc desc, TextureParams params, unsigned count)
{
    // The attachment table has six colour entries.
    if (count > GLMaxColorAttachments)
        count = GLMaxColorAttachments;

    glBindFramebuffer(GL_FRAMEBUFFER, m_uiFrameBuffer);
    CheckGLError("binding the frame buffer of a render target");

    // Each call attaches from colour attachment 0: it replaces the textures
    // of an earlier call, so index i stays the texture on attachment i.
    for (std::size_t i = count; i < m_colorTextures.size(); ++i)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GLMapAttachment(std::uint32_t(i)), GL_TEXTURE_2D, 0, 0);
    m_colorTextures.clear();

    for (unsigned i = 0; i < count; ++i) {
        GLTexture* texture = VORM_NEW GLTexture();
        texture->Create(desc);
        texture->SetParameters(params);
        CheckGLError("creating colour texture " + std::to_string(i) + " of a render target");
        // Texture creation binds and unbinds only textures; the frame buffer
        // stays bound.
        glFramebufferTexture2D(GL_FRAMEBUFFER, GLMapAttachment(i), GL_TEXTURE_2D, texture->GetHandle(), 0);
        CheckGLError("attaching colour texture " + std::to_string(i) + " to a render target");
        m_colorTextures.push_back(boost::shared_ptr<ITexture>(texture));
    }

    // Drawing goes to colour attachment 0 (the frame buffer's default).
    const GLenum buffer = count > 0 ? GL_COLOR_ATTACHMENT0 : GL_NONE;
    glDrawBuffer(buffer);
    glReadBuffer(buffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    CheckComplete();
}

void GLRenderTarget::AttachDepthTexture(TextureDesc desc, TextureParams params)
{
    GLTexture* texture = VORM_NEW GLTexture();
    texture->Create(desc);
    texture->SetParameters(params);

    glBindFramebuffer(GL_FRAMEBUFFER, m_uiFrameBuffer);
    // Takes the place of a depth render buffer from Create.
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, texture->GetHandle(), 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    m_spDepthTexture = boost::shared_ptr<ITexture>(texture);
    CheckComplete();
}

bool GLRenderTarget::CheckComplete()
{
    // Frame buffer 0 (the window) is always complete: the test must look at
    // the target's own frame buffer.
    glBindFramebuffer(GL_FRAMEBUFFER, m_uiFrameBuffer);
    m_bComplete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!m_bComplete)
        std::cout << "Framebuffer not complete." << std::endl;
    return m_bComplete;
}

void GLRenderTarget::Bind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_uiFrameBuffer);
    if (m_colorTextures.empty()) {
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    }
}

void GLRenderTarget::Unbind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (m_colorTextures.empty()) {
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
}

boost::shared_ptr<ITexture> GLRenderTarget::GetColorTexture(unsigned index)
{
    if (index >= m_colorTextures.size())
        return boost::shared_ptr<ITexture>();
    return m_colorTextures[index];
}

boost::shared_ptr<ITexture> GLRenderTarget::GetDepthTexture()
{
    return m_spDepthTexture;
}

} // namespace Vorm
