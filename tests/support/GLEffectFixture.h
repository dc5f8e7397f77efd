// GLRendererFixture for tests of the shipped effects: a window of the given
// size, the shipped effect files in the test's folder, the viewport on all of it.
#ifndef VORM_TESTS_GLEFFECTFIXTURE_H
#define VORM_TESTS_GLEFFECTFIXTURE_H

#include "GLRendererFixture.h"

template <int Width, int Height = Width>
class GLEffectFixture : public GLRendererFixture<>
{
public:
    static void SetUpTestSuite() { OpenContext(Width, Height); }

protected:
    void SetUp() override
    {
        GLRendererFixture<>::SetUp();
        if (HasFatalFailure())
            return;
        UseShippedEffects();
        m_renderer->SetViewport(0, 0, Width, Height);
    }
};

#endif
