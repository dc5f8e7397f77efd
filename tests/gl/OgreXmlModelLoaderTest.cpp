#include "CoutCapture.h"
#include "GLFixture.h"
#include "GLReadBack.h"
#include "ModelTestFiles.h"
#include "TestImages.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Scenegraph/Model.h"
#include "Core/Scenegraph/Node.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "Core/Scenegraph/model/ModelImporter.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"
#include "RenderGL/GLIndexBuffer.h"
#include "RenderGL/GLRenderer.h"
#include "RenderGL/GLVertexBuffer.h"
#include "RenderGL/texture/GLTexture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Vorm;

namespace {

// The Valley scene with a real renderer: its textures are image files in
// the renderer's texture folder, read through DevIL into GL textures.
class OgreXmlModelLoaderTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_dir = m_folder.Dir();
        // 4 x 2 pictures; "bark.tga" is left out on purpose.
        const char* files[] = {"grass.tga", "rock.tga", "rock_n.tga"};
        for (const char* f : files)
            ASSERT_TRUE(TestImages::WriteTrueColor(m_dir + f, 4, 2, 3, std::vector<std::uint8_t>(4 * 2 * 3, 0x80)));
        m_renderer.reset(new GLRenderer());
        m_renderer->GetTexturePath() = m_dir;
    }

    void TearDown() override
    {
        m_renderer.reset();
        GLFixture::TearDown();
    }

    static GLTexture* DiffuseOf(const Spatial* spatial)
    {
        const TriangleMesh* mesh = dynamic_cast<const TriangleMesh*>(spatial);
        if (!mesh || !mesh->GetMaterialEffect())
            return 0;
        return dynamic_cast<GLTexture*>(mesh->GetMaterialEffect()->GetDiffuseTexture().get());
    }

    std::string m_dir;
    std::unique_ptr<GLRenderer> m_renderer;
};

} // namespace

TEST_F(OgreXmlModelLoaderTest, ValleyLoadsIntoGLBuffersAndSharedMipmappedTextures)
{
    ModelImporter importer;
    importer.SetPath(ModelTestFiles::SceneDir());
    CoutCapture out;
    boost::shared_ptr<Model> model = importer.Load(0, "Valley");
    ASSERT_TRUE(model != 0);
    ASSERT_EQ(3, model->GetChildCount());

    TriangleMesh* ground = dynamic_cast<TriangleMesh*>(model->GetChild(0).get());
    ASSERT_TRUE(ground != 0);
    GLVertexBuffer* vb = dynamic_cast<GLVertexBuffer*>(ground->GetVertexBuffer());
    ASSERT_TRUE(vb != 0);
    EXPECT_NE(0u, vb->GetHandle());
    EXPECT_EQ(4u, vb->GetCount());
    ASSERT_TRUE(dynamic_cast<GLIndexBuffer*>(ground->GetIndexBuffer()) != 0);
    EXPECT_EQ(6u, ground->GetIndexBuffer()->GetCount());

    GLTexture* grass = DiffuseOf(ground);
    ASSERT_TRUE(grass != 0);
    EXPECT_NE(0u, grass->GetHandle());
    EXPECT_EQ(GLenum(GL_TEXTURE_2D), grass->GetTarget());
    EXPECT_EQ(1u, grass->GetDesc().m_bMipmap);
    EXPECT_EQ(1u, grass->GetDesc().m_internalFormat);
    EXPECT_EQ(4, TextureLevelParam(*grass, GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH));
    EXPECT_EQ(2, TextureLevelParam(*grass, GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH)); // the mipmap chain was built

    // The normal map of the forest's own mesh is a texture of its own.
    const Node* forest = dynamic_cast<const Node*>(model->GetChild(1).get());
    ASSERT_TRUE(forest != 0);
    const TriangleMesh* shape = dynamic_cast<const TriangleMesh*>(forest->GetChild(0).get());
    ASSERT_TRUE(shape != 0);
    GLTexture* normalMap = dynamic_cast<GLTexture*>(shape->GetMaterialEffect()->GetNormalMap().get());
    ASSERT_TRUE(normalMap != 0);
    EXPECT_NE(normalMap->GetHandle(), DiffuseOf(shape)->GetHandle());

    // A missing image is reported and still cached, on the material as well.
    GLTexture* bark = DiffuseOf(forest->GetChild(1).get());
    ASSERT_TRUE(bark != 0);
    EXPECT_EQ(m_renderer->GetResourceMap().Find("bark.tga").get(), bark);
    EXPECT_TRUE(out.Contains("Error reading image file")) << out.Text();

    // A second load shares the textures; releasing the first model keeps
    // them alive for the second.
    boost::shared_ptr<Model> second = OgreXmlModelLoader().LoadFromFile(ModelTestFiles::SceneDir(), "Valley");
    ASSERT_TRUE(second != 0);
    EXPECT_EQ(grass, DiffuseOf(second->GetChild(0).get()));
    model.reset();
    EXPECT_EQ(GL_TRUE, glIsTexture(grass->GetHandle()));
    EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
}
