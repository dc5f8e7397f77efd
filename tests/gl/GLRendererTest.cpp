#include "GLReadBack.h"
#include "GLRendererFixture.h"

#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/VertexTypes.h"
#include "Core/Scenegraph/Geometry.h"
#include "Core/Scenegraph/mesh/TriangleMesh.h"
#include "RenderGL/GLIndexBuffer.h"
#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

using Vorm::GLRenderer;

namespace {

typedef std::vector<int> Rgba;

// A drawable with a vertex buffer and, optionally, an index buffer that was
// never created.
class ArrayGeometry : public Vorm::Geometry
{
public:
    ArrayGeometry(Vorm::IVertexBuffer* vb, Vorm::IIndexBuffer* ib)
    {
        m_iPrimitiveType = Vorm::ePrimitive_TriangleList;
        m_pVertexBuffer = vb;
        m_pIndexBuffer = ib;
    }
    ~ArrayGeometry() override
    {
        delete m_pIndexBuffer;
        delete m_pVertexBuffer;
    }
};

class GLRendererTest : public GLRendererFixture<>
{
protected:
    // Clears to black with culling and depth test off, then makes the flat
    // effect current with its colour set.
    void PrepareFlat(float r, float g, float b)
    {
        m_renderer->SetViewport(0, 0, Ctx().Width(), Ctx().Height());
        m_renderer->SetCullMode(2);
        m_renderer->EnableDepthTest(false);
        m_renderer->SetClearColor(Vector4<float>(0.0f, 0.0f, 0.0f, 1.0f));
        m_renderer->Clear(1);
        boost::shared_ptr<Vorm::ApiEffect> flat = m_renderer->CreateApiEffect("Flat.glslfx");
        ASSERT_TRUE(flat);
        m_renderer->SetApiEffect(flat);
        Vorm::GLSLUniformParam color;
        ASSERT_TRUE(static_cast<Vorm::GLSLProgram*>(flat.get())->GetUniform("Color", color));
        color.SetFloat4(r, g, b, 1.0f);
    }
    // The middle pixels of the left and the right half.
    static std::vector<Rgba> Halves()
    {
        return {PixelRgba(Ctx().Width() / 4, Ctx().Height() / 2), PixelRgba(3 * Ctx().Width() / 4, Ctx().Height() / 2)};
    }

    // A triangle over the left half of clip space ([-1, 0] in x), indexed
    // with the given index type.
    static Vorm::TriangleMesh* LeftHalfMesh(Vorm::DataFormat indexFormat)
    {
        static const Vorm::VT_Pos vertices[4] = {
            Vorm::VT_Pos(Vector3<float>(-1.0f, -1.0f, 0.0f)), Vorm::VT_Pos(Vector3<float>(0.0f, -1.0f, 0.0f)),
            Vorm::VT_Pos(Vector3<float>(0.0f, 3.0f, 0.0f)), Vorm::VT_Pos(Vector3<float>(-1.0f, 3.0f, 0.0f))};
        static const std::uint8_t bytes[6] = {0, 1, 2, 0, 2, 3};
        static const std::uint32_t ints[6] = {0, 1, 2, 0, 2, 3};
        const bool small = indexFormat == Vorm::eDataFormat_UBYTE1;
        const Vorm::BufferData id = small ? Vorm::BufferData{6, sizeof(bytes), 0, bytes}
                                          : Vorm::BufferData{6, sizeof(ints), 0, ints};
        const Vorm::VertexFormat format = Vorm::VT_Pos::GetFormat();
        Vorm::TriangleMesh* mesh = new Vorm::TriangleMesh();
        mesh->Create(Vorm::BufferData{4, sizeof(vertices), 0, vertices}, &format, id, Vorm::DataType(indexFormat),
                     nullptr);
        return mesh;
    }
};

// --- construction and state ---------------------------------------------------

TEST_F(GLRendererTest, ConstructionSetsViewportCullingDepthAndTheEffectFolder)
{
    m_renderer.reset();
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    m_renderer.reset(new GLRenderer());

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::vector<GLint>{0, 0, 800, 600}), std::vector<GLint>(viewport, viewport + 4));
    EXPECT_EQ(800, m_renderer->GetViewport().width);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(GL_BACK, GLInt(GL_CULL_FACE_MODE));
    EXPECT_EQ(1u, m_renderer->GetCullMode());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ("../data/effects/", m_renderer->GetEffectSystem()->GetEffectPath());
    EXPECT_EQ(m_renderer.get(), TSingleton<Vorm::IRenderer>::Instance());
}

TEST_F(GLRendererTest, CullDepthAndClipState)
{
    // Mode, culling on, culled face; unknown modes change no GL state but are stored.
    const std::tuple<unsigned, bool, GLint> cull[] = {
        {0, true, GL_FRONT}, {7, true, GL_FRONT}, {2, false, GL_FRONT}, {7, false, GL_FRONT}, {1, true, GL_BACK}};
    for (const auto& c : cull) {
        SCOPED_TRACE(std::get<0>(c));
        m_renderer->SetCullMode(std::get<0>(c));
        EXPECT_EQ(std::get<1>(c), bool(glIsEnabled(GL_CULL_FACE)));
        EXPECT_EQ(std::get<2>(c), GLInt(GL_CULL_FACE_MODE));
        EXPECT_EQ(std::get<0>(c), m_renderer->GetCullMode());
    }

    m_renderer->EnableDepthTest(false);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    m_renderer->EnableDepthTest(true);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    // Unknown functions keep the last one.
    for (const std::pair<unsigned, GLint>& f : {std::make_pair(1u, GL_LEQUAL), std::make_pair(0u, GL_LESS),
                                                std::make_pair(5u, GL_LESS)}) {
        m_renderer->SetDepthFunc(f.first);
        EXPECT_EQ(f.second, GLInt(GL_DEPTH_FUNC)) << f.first;
    }

    m_renderer->SetClipPlane(Vorm::Plane(Vector3<float>(0.0f, 1.0f, 0.0f), -2.5f, false));
    EXPECT_TRUE(glIsEnabled(GL_CLIP_DISTANCE0));
    m_renderer->DisableClipPlane();
    EXPECT_FALSE(glIsEnabled(GL_CLIP_DISTANCE0));
}

TEST_F(GLRendererTest, PolygonModesOnAContextWithoutPerFaceModes)
{
    // This 3.1 forward-compatible context accepts only GL_FRONT_AND_BACK.
    EXPECT_FALSE(m_renderer->HasPerFacePolygonMode());
    const GLenum front[9] = {GL_FILL, GL_FILL, GL_FILL, GL_LINE, GL_LINE, GL_LINE, GL_POINT, GL_POINT, GL_POINT};
    for (unsigned mode = 0; mode < 9; ++mode) {
        SCOPED_TRACE(mode);
        m_renderer->SetPolygonMode(mode);
        EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
        GLint modes[2] = {-1, -1};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(GLint(front[mode]), modes[0]);
    }
    m_renderer->SetPolygonMode(3);
    m_renderer->SetPolygonMode(9);
    EXPECT_EQ(GL_LINE, GLInt(GL_POLYGON_MODE));
}

TEST_F(GLRendererTest, ClearColourDepthAndFlags)
{
    m_renderer->SetViewport(0, 0, Ctx().Width(), Ctx().Height());
    m_renderer->SetClearColor(Vector4<float>(0.25f, 0.5f, 1.0f, 1.0f));
    m_renderer->SetClearDepth(0.25f);
    GLfloat colour[4] = {}, depth = 0.0f;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_EQ((std::vector<float>{0.25f, 0.5f, 1.0f, 1.0f}), std::vector<float>(colour, colour + 4));
    EXPECT_EQ(0.25f, depth);
    m_renderer->Clear(3);
    EXPECT_EQ((Rgba{64, 128, 255, 255}), PixelRgba(10, 10));

    // Flags without colour leave the colour alone; unknown bits clear nothing.
    m_renderer->SetClearColor(Vector4<float>(1.0f, 0.0f, 0.0f, 1.0f));
    for (unsigned flags : {4u, 2u, 8u})
        m_renderer->Clear(flags);
    EXPECT_EQ((Rgba{64, 128, 255, 255}), PixelRgba(10, 10));
    m_renderer->Clear(1);
    EXPECT_EQ((Rgba{255, 0, 0, 255}), PixelRgba(10, 10));
}

// --- the material program ------------------------------------------------------

TEST_F(GLRendererTest, OneMaterialProgramWhateverTheNameMadeOnlyOnceItsEffectLoads)
{
    EXPECT_FALSE(m_renderer->CreateMaterialApiEffect("MaterialEffect.glslfx"));
    // A later call tries again.
    m_folder.Write("MaterialEffect.glslfx", TestShaders::Effect("pos.vert", "color.frag"));
    boost::shared_ptr<Vorm::ApiEffect> a = m_renderer->CreateMaterialApiEffect("MaterialEffect.glslfx");
    boost::shared_ptr<Vorm::ApiEffect> b = m_renderer->CreateMaterialApiEffect("Flat.glslfx");
    ASSERT_TRUE(a);
    EXPECT_EQ(a, b);
    Vorm::GLSLMaterialProgram* material = dynamic_cast<Vorm::GLSLMaterialProgram*>(a.get());
    ASSERT_NE(nullptr, material);
    EXPECT_EQ(m_renderer->CreateApiEffect("MaterialEffect.glslfx"), material->GetProgram());
    // The second name was never loaded.
    EXPECT_EQ(1u, m_renderer->GetEffectSystem()->GetCachedEffectCount());

    // The renderer's share frees it last.
    const GLuint program = ProgramHandle(a);
    a.reset();
    b.reset();
    EXPECT_TRUE(glIsProgram(program));
    m_renderer.reset();
    EXPECT_FALSE(glIsProgram(program));
}

// --- drawing -----------------------------------------------------------------------

TEST_F(GLRendererTest, DrawGeometryDrawsAtTheWorldTransformOrAnExplicitMatrix)
{
    const Rgba black = {0, 0, 0, 255}, orange = {255, 128, 0, 255};
    PrepareFlat(1.0f, 0.5f, 0.0f);
    std::unique_ptr<Vorm::TriangleMesh> mesh(LeftHalfMesh(Vorm::eDataFormat_UBYTE1));
    m_renderer->DrawGeometry(mesh.get());
    EXPECT_EQ((std::vector<Rgba>{orange, black}), Halves());
    // The index buffer stays bound in the program's vertex array.
    EXPECT_EQ(GLint(static_cast<Vorm::GLIndexBuffer*>(mesh->GetIndexBuffer())->GetHandle()),
              GLInt(GL_ELEMENT_ARRAY_BUFFER_BINDING));

    // Moved by one in x, the same mesh covers the right half.
    m_renderer->Clear(1);
    mesh->World().SetTranslation(1.0f, 0.0f, 0.0f);
    m_renderer->DrawGeometry(mesh.get());
    EXPECT_EQ((std::vector<Rgba>{black, orange}), Halves());

    // Four-byte indices, moved by an explicit matrix rather than the world.
    PrepareFlat(0.0f, 1.0f, 0.0f);
    std::unique_ptr<Vorm::TriangleMesh> wide(LeftHalfMesh(Vorm::eDataFormat_UINT1));
    Matrix44<float> world;
    world.MakeTranslation(1.0f, 0.0f, 0.0f);
    m_renderer->DrawGeometryWithMatrix(wide.get(), world);
    EXPECT_EQ((std::vector<Rgba>{black, {0, 255, 0, 255}}), Halves());
}

TEST_F(GLRendererTest, GeometryWithoutIndicesIsDrawnFromVertexZero)
{
    static const Vorm::VT_Pos vertices[6] = {
        // Off screen: only drawn if the draw skips nothing.
        Vorm::VT_Pos(Vector3<float>(-1.0f, -1.0f, 0.0f)), Vorm::VT_Pos(Vector3<float>(3.0f, -1.0f, 0.0f)),
        Vorm::VT_Pos(Vector3<float>(-1.0f, 3.0f, 0.0f)), Vorm::VT_Pos(Vector3<float>(5.0f, 5.0f, 0.0f)),
        Vorm::VT_Pos(Vector3<float>(6.0f, 5.0f, 0.0f)), Vorm::VT_Pos(Vector3<float>(5.0f, 6.0f, 0.0f))};
    const Vorm::VertexFormat format = Vorm::VT_Pos::GetFormat();
    for (int withEmptyIndexBuffer = 0; withEmptyIndexBuffer < 2; ++withEmptyIndexBuffer) {
        SCOPED_TRACE(withEmptyIndexBuffer);
        Vorm::IVertexBuffer* vb = m_renderer->CreateVertexBuffer();
        vb->Create(Vorm::BufferData{6, sizeof(vertices), 0, vertices}, &format);
        ArrayGeometry geometry(vb, withEmptyIndexBuffer ? m_renderer->CreateIndexBuffer() : nullptr);
        PrepareFlat(0.0f, 0.0f, 1.0f);
        m_renderer->DrawGeometry(&geometry);
        EXPECT_EQ((Rgba{0, 0, 255, 255}), PixelRgba(Ctx().Width() / 2, Ctx().Height() / 2));
    }
}

} // namespace
