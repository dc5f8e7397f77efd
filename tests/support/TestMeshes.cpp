#include "TestMeshes.h"

#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/DataFormat.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/BoundingSphere.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/effects/GLMaterialEffect.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace TestMeshes {
namespace {

template <class Vertex>
void Create(Vorm::TriangleMesh* mesh, const std::vector<Vertex>& vertices, const Vorm::VertexFormat& format,
            const std::vector<std::uint8_t>& indices, float radius)
{
    Vorm::BufferData v;
    v.m_count = static_cast<std::uint32_t>(vertices.size());
    v.m_size = static_cast<std::uint32_t>(vertices.size() * sizeof(Vertex));
    v.m_usage = 0;
    v.m_pData = vertices.data();
    Vorm::BufferData i;
    i.m_count = static_cast<std::uint32_t>(indices.size());
    i.m_size = static_cast<std::uint32_t>(indices.size());
    i.m_usage = 0;
    i.m_pData = indices.data();
    Vorm::BoundingSphere bound;
    bound.Set(Vector3<float>(0.0f, 0.0f, 0.0f), radius);
    mesh->Create(v, &format, i, Vorm::DataType(Vorm::eDataFormat_UBYTE1), &bound);
}

float AbsDot(const Vector3<float>& a, const Vector3<float>& b)
{
    return std::fabs(a.x) * b.x + std::fabs(a.y) * b.y + std::fabs(a.z) * b.z;
}

} // namespace

void LitBox(Vorm::TriangleMesh* mesh, float width, float height, float depth)
{
    const Vector3<float> half(width / 2.0f, height / 2.0f, depth / 2.0f);
    // Outward normal and tangent per face; the third axis is normal x tangent,
    // which makes (-t,-b), (t,-b), (t,b), (-t,b) counter-clockwise from outside.
    const Vector3<float> faces[6][2] = {
        {{1, 0, 0}, {0, 0, -1}}, {{-1, 0, 0}, {0, 0, 1}}, {{0, 1, 0}, {1, 0, 0}},
        {{0, -1, 0}, {1, 0, 0}}, {{0, 0, 1}, {1, 0, 0}},  {{0, 0, -1}, {-1, 0, 0}},
    };
    std::vector<Vorm::VT_PosNorTexTan> vertices;
    std::vector<std::uint8_t> indices;
    for (const auto& face : faces) {
        const Vector3<float> n = face[0], t = face[1], b = n.Cross(t);
        const Vector3<float> centre = n * AbsDot(n, half);
        const float st = AbsDot(t, half), sb = AbsDot(b, half);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        const std::uint8_t base = static_cast<std::uint8_t>(vertices.size());
        for (const auto& c : corners)
            vertices.emplace_back(centre + t * (c[0] * st) + b * (c[1] * sb), n,
                                  Vector2((c[0] + 1) / 2, (c[1] + 1) / 2), t);
        for (std::uint8_t k : {0, 1, 2, 0, 2, 3})
            indices.push_back(static_cast<std::uint8_t>(base + k));
    }
    Create(mesh, vertices, Vorm::VT_PosNorTexTan::GetFormat(), indices, half.Length());
}

void LitGround(Vorm::TriangleMesh* mesh, float width, float depth)
{
    const float hw = width / 2.0f, hd = depth / 2.0f;
    const Vector3<float> up(0, 1, 0), t(1, 0, 0);
    // Counter-clockwise seen from +y.
    const std::vector<Vorm::VT_PosNorTexTan> vertices = {
        {Vector3<float>(-hw, 0, hd), up, Vector2(0, 0), t},
        {Vector3<float>(hw, 0, hd), up, Vector2(1, 0), t},
        {Vector3<float>(hw, 0, -hd), up, Vector2(1, 1), t},
        {Vector3<float>(-hw, 0, -hd), up, Vector2(0, 1), t},
    };
    Create(mesh, vertices, Vorm::VT_PosNorTexTan::GetFormat(), {0, 1, 2, 0, 2, 3},
           std::sqrt(hw * hw + hd * hd));
}

void FlatQuad(Vorm::TriangleMesh* mesh, float width, float depth)
{
    const float hw = width / 2.0f, hd = depth / 2.0f;
    const std::vector<Vorm::VT_Pos> vertices = {
        Vorm::VT_Pos(Vector3<float>(-hw, 0, hd)), Vorm::VT_Pos(Vector3<float>(hw, 0, hd)),
        Vorm::VT_Pos(Vector3<float>(hw, 0, -hd)), Vorm::VT_Pos(Vector3<float>(-hw, 0, -hd)),
    };
    Create(mesh, vertices, Vorm::VT_Pos::GetFormat(), {0, 1, 2, 0, 2, 3}, std::sqrt(hw * hw + hd * hd));
}

boost::shared_ptr<Vorm::IMaterialEffect> Material(const Vector4<float>& colour, bool shadowReceiver)
{
    boost::shared_ptr<Vorm::IMaterialEffect> material(new Vorm::GLMaterialEffect());
    material->SetAmbientColor(colour);
    material->SetDiffuseColor(colour);
    material->SetSpecularColor(Vector4<float>(0, 0, 0, 1));
    material->AddLightIndex(0);
    material->SetShadowReceiver(shadowReceiver);
    return material;
}

void BoxOnGroundByWater(Vorm::TriangleMesh* ground, Vorm::TriangleMesh* box, Vorm::TriangleMesh* water)
{
    LitGround(ground, 24, 12);
    ground->World().SetTranslation(Vector3<float>(0, 0.4f, -6));
    ground->SetMaterialEffect(Material(Vector4<float>(0.45f, 0.6f, 0.3f, 1.0f), true));
    LitBox(box, 2, 2, 2);
    box->World().SetTranslation(Vector3<float>(0, 1.4f, -5));
    box->SetMaterialEffect(Material(Vector4<float>(0.85f, 0.3f, 0.2f, 1.0f), true));
    FlatQuad(water, 80, 60);
    water->World().SetTranslation(Vector3<float>(0, 0, 10));
}

void DrawLit(Vorm::IRenderer& renderer, const std::vector<Vorm::TriangleMesh*>& meshes, const Vector4<float>& clear)
{
    renderer.SetClearColor(clear);
    renderer.Clear(3);
    if (meshes.empty())
        return;
    renderer.SetApiEffect(meshes.front()->GetMaterialEffect()->GetApiEffect());
    renderer.ApplyCamera();
    for (Vorm::TriangleMesh* mesh : meshes) {
        mesh->GetMaterialEffect()->Apply();
        renderer.DrawGeometry(mesh);
    }
}

} // namespace TestMeshes
