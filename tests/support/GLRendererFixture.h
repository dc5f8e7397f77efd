#ifndef VORM_TESTS_GLRENDERERFIXTURE_H
#define VORM_TESTS_GLRENDERERFIXTURE_H

#include "GLFixture.h"
#include "RepoFiles.h"
#include "TestShaders.h"

#include "RenderGL/GLRenderer.h"
#include "RenderGL/effects/api/IEffectSystem.h"

#include <memory>
#include <string>

// GLFixture plus a fresh renderer per test (a GLRenderer or a class made
// from it), whose effect and texture folders are the test's temporary folder
// holding "pos.vert", "color.frag" and "Flat.glslfx".
template <class Renderer = Vorm::GLRenderer>
class GLRendererFixture : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (HasFatalFailure())
            return;
        TestShaders::WriteFlat(m_folder);
        NewRenderer();
    }
    void TearDown() override
    {
        m_renderer.reset();
        GLFixture::TearDown();
    }

    // The renderer is a singleton: the old one goes before the new one is made.
    void NewRenderer()
    {
        m_renderer.reset();
        m_renderer.reset(new Renderer());
        UseFolders(m_folder.Dir(), m_folder.Dir());
    }
    // Both end in '/'.
    void UseFolders(const std::string& effects, const std::string& textures)
    {
        m_renderer->GetEffectsPath() = effects;
        m_renderer->GetEffectSystem()->SetEffectPath(effects);
        m_renderer->GetTexturePath() = textures;
    }

    // Copies the shipped effect files and shaders into the test's folder and
    // uses it for effects and textures, so a test can remove or replace any.
    void UseShippedEffects()
    {
        CopyShippedEffects(m_folder);
        UseFolders(m_folder.Dir(), m_folder.Dir());
    }

    std::unique_ptr<Renderer> m_renderer;
};

#endif
