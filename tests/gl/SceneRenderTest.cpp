#include "AssertRecorder.h"
#include "GLReadBack.h"
#include "GLRendererFixture.h"
#include "MaterialLighting.h"
#include "TestImages.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/ModelImporter.h"
#include "RenderGL/effects/GLMaterialEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Loads the small authored scene under tests/data/proof_scene through the
// model importer, draws it with the material program and the renderer's
// light the way the demo draws its scene, and reads the picture back.
namespace {

class SceneRenderTest : public GLRendererFixture<>
{
public:
    static const int kSize = 128;
    static void SetUpTestSuite() { OpenContext(kSize, kSize); }

protected:
    // Colour in the window of a point in the mesh's own space; `row` gets its row.
    Rgb ColourAt(const Vorm::TriangleMesh& mesh, const Vector3<float>& local, int* row = nullptr) const
    {
        const Vector4<float> world = mesh.World().Apply(Vector4<float>(local.x, local.y, local.z, 1.0f));
        const ScreenPoint px =
            ScreenPixel(*m_renderer->GetCamera(), Vector3<float>(world.x, world.y, world.z), kSize, kSize);
        if (row)
            *row = px.y;
        return PixelRgb(px.x, px.y);
    }
    // Cosine between the face's world normal and the way to the light.
    static float Facing(const Vorm::TriangleMesh& mesh, const Vorm::Light& light, const Vector3<float>& localNormal)
    {
        const Vector3<float> n = mesh.World().GetRotation() * localNormal;
        Vector3<float> toLight = light.GetDirection() * -1.0f;
        toLight.Normalize();
        return n.Dot(toLight);
    }
    // Ambient and diffuse colour `c` under the light.
    static Rgb Lit(const Vorm::Light& light, const Vector4<float>& c, float facing)
    {
        return MaterialColour(light, c, c, facing);
    }
    static float Luma(const Rgb& c) { return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b; }
};

const float kTol = 4.0f / 255.0f;

TEST_F(SceneRenderTest, LoadedSceneIsDrawnLitTexturedAndOverTheClearColour)
{
    AssertRecorder rec;
    // The sign's texture: 8 x 8 orange (B, G, R = 40, 140, 230).
    std::vector<std::uint8_t> orange;
    for (int i = 0; i < 8 * 8; ++i)
        orange.insert(orange.end(), {40, 140, 230});
    ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Dir() + "proof.tga", 8, 8, 3, orange));
    UseFolders(RepoPath("data/effects/"), m_folder.Dir());
    const boost::shared_ptr<Vorm::Light> light = m_renderer->GetLights()[0];
    light->SetDirection(Vector3<float>(1.0f, -0.5f, -1.0f));
    light->SetAmbient(Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f));
    light->SetDiffuse(Vector4<float>(0.8f, 0.8f, 0.8f, 1.0f));
    Vorm::Camera* camera = m_renderer->GetCamera();
    camera->LookAt(Vector3<float>(0.0f, 2.0f, 10.0f), Vector3<float>(0.0f, 0.0f, 0.0f),
                   Vector3<float>(0.0f, 1.0f, 0.0f));
    camera->SetPerspective(45.0f, 1.0f, 1.0f, 50.0f);

    Vorm::ModelImporter importer;
    importer.SetPath(RepoPath("tests/data/proof_scene/"));
    const boost::shared_ptr<Vorm::Model> model = importer.Load(Vorm::ModelImporter::eLoader_OgreXml, "proof");
    ASSERT_TRUE(model);
    model->Update(0.0f, true);
    Vorm::Culler culler;
    culler.CollectVisible(*model, camera);
    std::map<std::string, Vorm::TriangleMesh*> meshes;
    for (Vorm::Geometry* geometry : culler.GetVisibleList()) {
        if (Vorm::TriangleMesh* mesh = dynamic_cast<Vorm::TriangleMesh*>(geometry))
            meshes[mesh->GetName()] = mesh;
    }
    ASSERT_EQ(3u, meshes.size());
    m_renderer->SetViewport(0, 0, kSize, kSize);
    m_renderer->SetCullMode(1);
    m_renderer->EnableDepthTest(true);
    m_renderer->SetClearColor(Vector4<float>(0.1f, 0.2f, 0.3f, 1.0f));
    m_renderer->Clear(3);
    for (auto& entry : meshes) {
        const boost::shared_ptr<Vorm::IMaterialEffect> material = entry.second->GetMaterialEffect();
        ASSERT_TRUE(dynamic_cast<Vorm::GLMaterialEffect*>(material.get())) << entry.first;
        m_renderer->SetApiEffect(material->GetApiEffect());
        m_renderer->ApplyCamera();
        material->Apply();
        m_renderer->DrawGeometry(entry.second);
    }
    Vorm::TriangleMesh* sign = meshes["<Geometry: Sign>"];
    Vorm::TriangleMesh* crate = meshes["<Geometry: Crate>"];
    Vorm::TriangleMesh* ground = meshes["<Geometry: Ground>"];
    ASSERT_TRUE(sign && crate && ground);
    const boost::shared_ptr<Vorm::IMaterialEffect> signMaterial = sign->GetMaterialEffect();
    ASSERT_TRUE(signMaterial->GetDiffuseTexture());
    EXPECT_EQ(signMaterial->GetDiffuseTexture(), signMaterial->GetAmbientTexture());

    // The sign shows its texture's orange, scaled by how much light falls on it.
    const float signFacing = Facing(*sign, *light, Vector3<float>(0.0f, 0.0f, 1.0f));
    EXPECT_GT(signFacing, 0.9f);
    EXPECT_RGB_NEAR(Lit(*light, Vector4<float>(230 / 255.0f, 140 / 255.0f, 40 / 255.0f, 1.0f), signFacing),
                    ColourAt(*sign, Vector3<float>(0.0f, 0.0f, 0.0f)), kTol);

    // The crate's face towards the light against its face turned away.
    const Vector4<float> crateColour = crate->GetMaterialEffect()->GetDiffuseColor();
    const Rgb litFace = ColourAt(*crate, Vector3<float>(-1.0f, 0.0f, 0.0f));
    const Rgb darkFace = ColourAt(*crate, Vector3<float>(0.0f, 0.0f, 1.0f));
    const float crateFacing = Facing(*crate, *light, Vector3<float>(-1.0f, 0.0f, 0.0f));
    EXPECT_RGB_NEAR(Lit(*light, crateColour, crateFacing), litFace, kTol);
    EXPECT_NEAR(0.0f, Facing(*crate, *light, Vector3<float>(0.0f, 0.0f, 1.0f)), 1e-5f);
    EXPECT_RGB_NEAR(Lit(*light, crateColour, 0.0f), darkFace, kTol);
    EXPECT_GT(Luma(litFace), Luma(darkFace) + 0.3f);

    // The ground in front of the objects, lit from above at a slant.
    EXPECT_RGB_NEAR(Lit(*light, ground->GetMaterialEffect()->GetDiffuseColor(),
                        Facing(*ground, *light, Vector3<float>(0.0f, 1.0f, 0.0f))),
                    ColourAt(*ground, Vector3<float>(0.0f, 0.0f, 4.0f)), kTol);

    // Clear colour above everything, and between the sign and the crate.
    const Rgb clear = {0.1f, 0.2f, 0.3f};
    EXPECT_RGB_NEAR(clear, PixelRgb(2, kSize - 3), kTol);
    EXPECT_RGB_NEAR(clear, PixelRgb(kSize - 3, kSize - 3), kTol);
    int crateTop = 0;
    ColourAt(*crate, Vector3<float>(0.0f, 1.5f, 0.0f), &crateTop);
    EXPECT_RGB_NEAR(clear, PixelRgb(kSize / 2, crateTop), kTol);

    EXPECT_TRUE(rec.Failures().empty());
}

} // namespace
