// The floor of a frame's shaded passes: the same geometry drawn the same way
// with a constant colour, so that a benchmark can set each pass's time
// beside what the rasteriser needs just to cover its pixels. Mesh floors keep
// the material's vertex stage (and its clip distance), the grass floor the
// grass's vertex stage and its alpha test, so only the shading differs.
#ifndef VORM_TESTS_PASSFLOORS_H
#define VORM_TESTS_PASSFLOORS_H

#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <boost/shared_ptr.hpp>

#include <functional>
#include <vector>

namespace Vorm {
class ApiEffect;
class Geometry;
class GLRenderer;
class GLWaterEffect;
class Terrain;
} // namespace Vorm

class PassFloors
{
public:
    // Builds the floor programs from the renderer's own vertex shaders; false
    // when they do not build.
    bool Create(Vorm::GLRenderer& renderer);

    // Each geometry with the mesh floor.
    void DrawMeshes(const std::vector<Vorm::Geometry*>& list);
    // The terrain's grass patch as the grass effect draws it.
    void DrawGrass(Vorm::Terrain& terrain);
    // The water's reflection pass: the mirrored meshes under the clip plane
    // into the reflection target, then `drawSky` there and its mipmaps.
    void DrawReflection(Vorm::GLWaterEffect& water, const std::function<void()>& drawSky);
    // The water surfaces.
    void DrawWater(Vorm::GLWaterEffect& water);

private:
    boost::shared_ptr<Vorm::ApiEffect> m_spMesh;
    boost::shared_ptr<Vorm::ApiEffect> m_spGrass;
    Vorm::GLSLUniformParam m_clip;
    Vorm::GLSLUniformParam m_camUp;
    Vorm::GLSLUniformParam m_camRight;
    Vorm::GLSLUniformParam m_camPosition;
    Vorm::GLSLUniformParam m_farDist;
    Vorm::GLSLUniformParam m_texGrass;
    Vorm::GLSLUniformParam m_texNoise;
};

#endif
