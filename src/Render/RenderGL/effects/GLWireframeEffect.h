// Holds the program of "WireframeEffect.glslfx" for the demo's line view; it
// draws nothing itself (the renderer's polygon mode switches the view).
#ifndef VORM_RENDERGL_EFFECTS_GLWIREFRAMEEFFECT_H
#define VORM_RENDERGL_EFFECTS_GLWIREFRAMEEFFECT_H

#include "Core/Rendering/IEffect.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace Vorm {

class ApiEffect;

class GLWireframeEffect : public IEffect
{
public:
    // The effect file this effect loads its program from.
    static constexpr const char* kEffectFile = "WireframeEffect.glslfx";

    // Whether the effect's program builds and reads only vertex inputs that
    // meshes give (see CheckEffectProgram); the constructor asserts on the
    // first.
    static bool CheckProgram(std::string* error);

    // Needs a current GL context and the renderer singleton.
    GLWireframeEffect();
    ~GLWireframeEffect() override;

    GLWireframeEffect(const GLWireframeEffect&) = delete;
    GLWireframeEffect& operator=(const GLWireframeEffect&) = delete;

    // Shared with the effect system's cache; empty when the file did not load.
    boost::shared_ptr<ApiEffect> GetApiEffect() const { return m_spApiEffect; }

private:
    boost::shared_ptr<ApiEffect> m_spApiEffect;
};

} // namespace Vorm

#endif
