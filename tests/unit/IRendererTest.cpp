#include "MathExpect.h"
#include "RecordingApiEffect.h"
#include "RecordingRenderer.h"
#include "RecordingTexture.h"
#include "TempFolder.h"

#include "Core/Rendering/IIndexBuffer.h"
#include "Core/Rendering/IVertexBuffer.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/Light.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <filesystem>

using namespace Vorm;

namespace {

// A quad whose buffers come from the renderer, as a mesh's do.
struct Quad : Geometry
{
    Quad(IRenderer& renderer, bool indexed)
    {
        const VertexFormat format = VT_PosNorTex::GetFormat();
        m_pVertexBuffer = renderer.CreateVertexBuffer();
        m_pVertexBuffer->Create(BufferData{4, 128, 0, nullptr}, &format);
        if (indexed)
        {
            m_pIndexBuffer = renderer.CreateIndexBuffer();
            m_pIndexBuffer->Create(BufferData{6, 6, 0, nullptr}, DataType(eDataFormat_UBYTE1));
        }
    }
    ~Quad() override
    {
        delete m_pIndexBuffer;
        delete m_pVertexBuffer;
    }
};

} // namespace

TEST(IRendererTest, Defaults)
{
    RecordingRenderer renderer;
    EXPECT_EQ(TSingleton<IRenderer>::Instance(), &renderer);
    ASSERT_EQ(renderer.GetLights().size(), 1u);
    const boost::shared_ptr<Light> light = renderer.GetLights()[0];
    EXPECT_EQ(light->GetIndex(), 0u);
    MathExpect::ExpectNear(light->GetAmbient(), 0.2f, 0.2f, 0.2f, 1.0f);

    // Its own default camera.
    ASSERT_NE(renderer.GetCamera(), nullptr);
    EXPECT_FLOAT_EQ(renderer.GetCamera()->GetFov(), 35.0f);
    EXPECT_EQ(renderer.GetTexturePath(), "../data/texture/");
    EXPECT_EQ(renderer.GetEffectsPath(), "../data/effects/");

    EXPECT_EQ(renderer.CreateLight()->GetIndex(), 1u);
    EXPECT_EQ(renderer.CreateLight()->GetIndex(), 2u);
    EXPECT_EQ(renderer.GetLights().size(), 3u);

    renderer.SetClipPlane(Plane(Vector3<float>(0, 1, 0), 2.5f, false));
    renderer.DisableClipPlane();
    EXPECT_FLOAT_EQ(renderer.GetClipPlane().GetD(), 0.0f);
    EXPECT_FLOAT_EQ(renderer.GetClipPlane().GetNormal().y, 0.0f);

    ResourceMap& cache = renderer.GetResourceMap();
    boost::shared_ptr<ITexture> first(renderer.CreateTexture());
    boost::shared_ptr<ITexture> second(renderer.CreateTexture());
    EXPECT_TRUE(cache.Add("grass.png", first));
    EXPECT_FALSE(cache.Add("grass.png", second));
    EXPECT_EQ(cache.Find("grass.png"), first);
    EXPECT_FALSE(cache.Find("rock.png"));
}

TEST(IRendererTest, SharedTextureLoadsEachFileOnceWithTheFirstDescription)
{
    RecordingRenderer renderer;
    TextureDesc desc;
    desc.m_type = 1;
    desc.m_internalFormat = 1;
    const boost::shared_ptr<ITexture> first = renderer.SharedTexture("rock.png", desc);
    auto* texture = dynamic_cast<RecordingTexture*>(first.get());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetFileName(), "rock.png");
    EXPECT_EQ(texture->GetDesc().m_internalFormat, 1u);
    EXPECT_EQ(renderer.GetResourceMap().Find("rock.png"), first);

    TextureDesc other = desc;
    other.m_internalFormat = 0;
    EXPECT_EQ(renderer.SharedTexture("rock.png", other), first);
    EXPECT_EQ(texture->GetDesc().m_internalFormat, 1u);
    EXPECT_NE(renderer.SharedTexture("grass.png", desc), first);
}

TEST(IRendererTest, SharedTextureKnowsAFileHoweverItsNameIsSpelled)
{
    TempFolder folder;
    ASSERT_TRUE(folder.Ok());
    folder.Write("tColor.png", "x");
    folder.Write("other.png", "y");
    std::filesystem::create_directory(folder.Path("sub"));
    std::filesystem::create_symlink(folder.Path("tColor.png"), folder.Path("sub/link.png"));
    RecordingRenderer renderer;
    renderer.GetTexturePath() = folder.Dir();
    TextureDesc desc;
    const boost::shared_ptr<ITexture> first = renderer.SharedTexture("tColor.png", desc);
    // One file: dots, doubled slashes, a way out and back, a link, and a
    // file that is not there yet.
    const std::pair<const char*, bool> table[] = {
        {"./tColor.png", true},       {".//./tColor.png", true}, {"sub/../tColor.png", true},
        {"sub/./.././/tColor.png", true}, {"sub/link.png", true}, {"none/../tColor.png", true},
        {"other.png", false},         {"./missing.png", false},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.first);
        EXPECT_EQ(row.second, renderer.SharedTexture(row.first, desc) == first);
        EXPECT_EQ(row.second, renderer.GetResourceMap().Find(row.first) == first);
    }
    EXPECT_EQ(renderer.SharedTexture("missing.png", desc), renderer.SharedTexture("./missing.png", desc));
    EXPECT_EQ(3u, renderer.Find("Tex.CreateFromFile").size());
}

TEST(IRendererTest, EffectsSeeTheLastCameraApplied)
{
    RecordingRenderer renderer;
    Camera a;
    a.SetLocation(Vector3<float>(0, 0, 5));
    Camera b;
    b.SetLocation(Vector3<float>(0, 0, -7));

    boost::shared_ptr<RecordingApiEffect> first = boost::make_shared<RecordingApiEffect>("first", renderer.GetLog());
    boost::shared_ptr<RecordingApiEffect> second = boost::make_shared<RecordingApiEffect>("second", renderer.GetLog());
    renderer.SetApiEffect(first);
    renderer.SetCamera(&a);
    renderer.ApplyCamera();
    EXPECT_FLOAT_EQ((*first->GetView())[3].z, -5.0f);

    renderer.ClearLog();
    renderer.SetApiEffect(second);
    EXPECT_EQ(renderer.Log(), (RecordingLogLines{"Effect[second].Enable", "Effect[second].SetViewProjection"}));
    EXPECT_TRUE(second->IsEnabled());
    ASSERT_NE(second->GetView(), nullptr);
    EXPECT_FLOAT_EQ((*second->GetView())[3].z, -5.0f);
    EXPECT_FLOAT_EQ((*second->GetProjection())[2].w, -1.0f);

    // The matrices are the renderer's own: a later ApplyCamera shows through.
    renderer.SetCamera(&b);
    renderer.ApplyCamera();
    EXPECT_FLOAT_EQ((*second->GetView())[3].z, 7.0f);
}

TEST(IRendererTest, DrawGeometryBindsSetsAndDraws)
{
    RecordingRenderer renderer;
    Quad indexed(renderer, true);
    indexed.Local().SetTranslation(1, 2, 3);
    indexed.Update(0.0f, true);
    Quad plain(renderer, false);

    renderer.SetApiEffect(renderer.CreateApiEffect("Material"));
    renderer.ClearLog();
    renderer.DrawGeometry(&indexed);
    Matrix44<float> world;
    world.MakeTranslation(4, 5, 6);
    renderer.DrawGeometryWithMatrix(&plain, world);
    EXPECT_EQ(renderer.Log(), (RecordingLogLines{"VB.Bind", "Effect[Material].UpdateVertexDataBinding normal pos tex0",
                                                 "Effect[Material].SetModelMatrix 1 2 3", "IB.Bind",
                                                 "DrawPrimitives 0 indexed 6", "VB.Bind",
                                                 "Effect[Material].UpdateVertexDataBinding normal pos tex0",
                                                 "Effect[Material].SetModelMatrix 4 5 6", "DrawPrimitives 0 arrays 4"}));

    // A missing effect makes the null one current; a geometry without buffers draws nothing.
    renderer.MarkMissing("Water.glslfx");
    renderer.SetApiEffect(renderer.CreateApiEffect("Water.glslfx"));
    renderer.ApplyCamera();
    renderer.ClearLog();
    Geometry empty;
    renderer.DrawGeometry(&empty);
    EXPECT_TRUE(renderer.Log().empty());
    renderer.DrawGeometry(&indexed);
    EXPECT_EQ(renderer.Log(), (RecordingLogLines{"VB.Bind", "IB.Bind", "DrawPrimitives 0 indexed 6"}));
}
