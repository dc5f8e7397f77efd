#include "AssertRecorder.h"
#include "GLReadBack.h"
#include "GLRendererFixture.h"
#include "TestImages.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Scenegraph/Culler.h"
#include "Core/Scenegraph/Light.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/ModelImporter.h"
#include "Render/RenderGL/effects/GLMaterialEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Loads the small authored scene under tests/data/proof_scene through the
// model importer, draws it with the material program and the renderer's
// light, and reads the picture back.
namespace {

class SceneRenderTest : public GLRendererFixture<>
{
public:
    static const int kSize = 128;
    static void SetUpTestSuite() { OpenContext(kSize, kSize); }

protected:
    void SetUp() override
    {
        GLRendererFixture::SetUp();
        if (HasFatalFailure())
            return;
        // The sign's texture: 8 x 8 orange (B, G, R = 40, 140, 230).
        std::vector<std::uint8_t> orange;
        for (int i = 0; i < 8 * 8; ++i)
            orange.insert(orange.end(), {40, 140, 230});
        ASSERT_TRUE(TestImages::WriteTrueColor(m_folder.Dir() + "proof.tga", 8, 8, 3, orange));
        UseFolders(RepoPath("data/effects/"), m_folder.Dir());

        m_light = m_renderer->GetLights()[0];
        m_light->SetDirection(Vector3<float>(1.0f, -0.5f, -1.0f));
        m_light->SetAmbient(Vector4<float>(0.2f, 0.2f, 0.2f, 1.0f));
        m_light->SetDiffuse(Vector4<float>(0.8f, 0.8f, 0.8f, 1.0f));

        Vorm::Camera* camera = m_renderer->GetCamera();
        camera->LookAt(Vector3<float>(0.0f, 2.0f, 10.0f), Vector3<float>(0.0f, 0.0f, 0.0f),
                       Vector3<float>(0.0f, 1.0f, 0.0f));
        camera->SetPerspective(45.0f, 1.0f, 1.0f, 50.0f);
    }
    void TearDown() override
    {
        m_model.reset();
        m_light.reset();
        GLRendererFixture::TearDown();
    }

    // Loads the scene and draws every visible mesh with its material, the
    // way the demo draws its scene.
    void LoadAndRender()
    {
        Vorm::ModelImporter importer;
        importer.SetPath(RepoPath("tests/data/proof_scene/"));
        m_model = importer.Load(Vorm::ModelImporter::eLoader_OgreXml, "proof");
        ASSERT_TRUE(m_model);
        m_model->Update(0.0f, true);

        Vorm::Culler culler;
        culler.CollectVisible(*m_model, m_renderer->GetCamera());
        for (Vorm::Geometry* geometry : culler.GetVisibleList()) {
            Vorm::TriangleMesh* mesh = dynamic_cast<Vorm::TriangleMesh*>(geometry);
            if (mesh)
                m_meshes[mesh->GetName()] = mesh;
        }

        m_renderer->SetViewport(0, 0, kSize, kSize);
        m_renderer->SetCullMode(1);
        m_renderer->EnableDepthTest(true);
        m_renderer->SetClearColor(Vector4<float>(0.1f, 0.2f, 0.3f, 1.0f));
        m_renderer->Clear(3);
        for (auto& entry : m_meshes) {
            boost::shared_ptr<Vorm::IMaterialEffect> material = entry.second->GetMaterialEffect();
            ASSERT_TRUE(material) << entry.first;
            m_renderer->SetApiEffect(material->GetApiEffect());
            m_renderer->ApplyCamera();
            material->Apply();
            m_renderer->DrawGeometry(entry.second);
        }
    }

    Vorm::TriangleMesh* Mesh(const std::string& label) const
    {
        auto it = m_meshes.find("<Geometry: " + label + ">");
        return it == m_meshes.end() ? nullptr : it->second;
    }
    // Window pixel of a point in the mesh's own space.
    void PixelOf(const Vorm::TriangleMesh& mesh, const Vector3<float>& local, int& x, int& y) const
    {
        const Vector4<float> world = mesh.World().Apply(Vector4<float>(local.x, local.y, local.z, 1.0f));
        Vorm::Camera* camera = m_renderer->GetCamera();
        const Vector4<float> clip = camera->GetProjectionMatrix() * (camera->GetViewMatrix() * world);
        x = static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * kSize);
        y = static_cast<int>((clip.y / clip.w * 0.5f + 0.5f) * kSize);
    }
    // Cosine between the face's world normal and the way to the light.
    float Lambert(const Vorm::TriangleMesh& mesh, const Vector3<float>& localNormal) const
    {
        const Vector3<float> n = mesh.World().GetRotation() * localNormal;
        Vector3<float> toLight = m_light->GetDirection() * -1.0f;
        toLight.Normalize();
        const float c = n.Dot(toLight);
        return c > 0.0f ? c : 0.0f;
    }
    // White light on a surface whose ambient and diffuse colour are `c`.
    Rgb Lit(const Vector4<float>& c, float lambert) const
    {
        const float k = m_light->GetAmbient().x + m_light->GetDiffuse().x * lambert;
        return {c.x * k, c.y * k, c.z * k};
    }
    static float Luma(const Rgb& c) { return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b; }

    boost::shared_ptr<Vorm::Light> m_light;
    boost::shared_ptr<Vorm::Model> m_model;
    std::map<std::string, Vorm::TriangleMesh*> m_meshes;
};

const float kTol = 4.0f / 255.0f;

TEST_F(SceneRenderTest, LoadedSceneIsDrawnLitTexturedAndOverTheClearColour)
{
    AssertRecorder rec;
    LoadAndRender();
    ASSERT_EQ(3u, m_meshes.size());
    Vorm::TriangleMesh* sign = Mesh("Sign");
    Vorm::TriangleMesh* crate = Mesh("Crate");
    Vorm::TriangleMesh* ground = Mesh("Ground");
    ASSERT_TRUE(sign && crate && ground);
    for (auto& entry : m_meshes)
        EXPECT_TRUE(dynamic_cast<Vorm::GLMaterialEffect*>(entry.second->GetMaterialEffect().get())) << entry.first;
    const boost::shared_ptr<Vorm::IMaterialEffect> signMaterial = sign->GetMaterialEffect();
    ASSERT_TRUE(signMaterial->GetDiffuseTexture());
    EXPECT_EQ(signMaterial->GetDiffuseTexture(), signMaterial->GetAmbientTexture());

    int x = 0, y = 0;
    // The sign shows its texture's orange, scaled by how much light falls on it.
    PixelOf(*sign, Vector3<float>(0.0f, 0.0f, 0.0f), x, y);
    const float signLambert = Lambert(*sign, Vector3<float>(0.0f, 0.0f, 1.0f));
    EXPECT_GT(signLambert, 0.9f);
    EXPECT_RGB_NEAR(Lit(Vector4<float>(230 / 255.0f, 140 / 255.0f, 40 / 255.0f, 1.0f), signLambert), PixelRgb(x, y),
                    kTol);

    // The crate's face towards the light against its face turned away.
    const Vector4<float> crateColour = crate->GetMaterialEffect()->GetDiffuseColor();
    int lx = 0, ly = 0, dx = 0, dy = 0;
    PixelOf(*crate, Vector3<float>(-1.0f, 0.0f, 0.0f), lx, ly);
    PixelOf(*crate, Vector3<float>(0.0f, 0.0f, 1.0f), dx, dy);
    const Rgb litFace = PixelRgb(lx, ly);
    const Rgb darkFace = PixelRgb(dx, dy);
    EXPECT_RGB_NEAR(Lit(crateColour, Lambert(*crate, Vector3<float>(-1.0f, 0.0f, 0.0f))), litFace, kTol);
    EXPECT_NEAR(0.0f, Lambert(*crate, Vector3<float>(0.0f, 0.0f, 1.0f)), 1e-5f);
    EXPECT_RGB_NEAR(Lit(crateColour, 0.0f), darkFace, kTol);
    EXPECT_GT(Luma(litFace), Luma(darkFace) + 0.3f);

    // The ground in front of the objects, lit from above at a slant.
    PixelOf(*ground, Vector3<float>(0.0f, 0.0f, 4.0f), x, y);
    EXPECT_RGB_NEAR(Lit(ground->GetMaterialEffect()->GetDiffuseColor(), Lambert(*ground, Vector3<float>(0.0f, 1.0f, 0.0f))),
                    PixelRgb(x, y), kTol);

    // Clear colour above everything, and between the sign and the crate.
    EXPECT_RGB_NEAR((Rgb{0.1f, 0.2f, 0.3f}), PixelRgb(2, kSize - 3), kTol);
    EXPECT_RGB_NEAR((Rgb{0.1f, 0.2f, 0.3f}), PixelRgb(kSize - 3, kSize - 3), kTol);
    PixelOf(*crate, Vector3<float>(0.0f, 1.5f, 0.0f), lx, ly);
    EXPECT_RGB_NEAR((Rgb{0.1f, 0.2f, 0.3f}), PixelRgb(kSize / 2, ly), kTol);

    EXPECT_TRUE(rec.Failures().empty());
}

} // namespace
