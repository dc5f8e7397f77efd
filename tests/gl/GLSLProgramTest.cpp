#include "AssertRecorder.h"
#include "GLFixture.h"
#include "GLReadBack.h"
#include "TestShaders.h"

#include "Core/Rendering/BufferData.h"
#include "Core/Rendering/VertexTypes.h"
#include "RenderGL/GLVertexBuffer.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <gtest/gtest.h>

using Vorm::GLSLProgram;
using Vorm::GLSLUniformParam;

namespace {

typedef Matrix44<float> M44;
typedef std::vector<float> Floats;

// Reference product and transpose on raw column-major storage, independent of Matrix44.
Floats Mul(const Floats& a, const Floats& b)
{
    Floats r(16, 0.0f);
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r[4 * c + row] += a[4 * k + row] * b[4 * c + k];
    return r;
}

Floats Transpose(const Floats& a)
{
    Floats r(16);
    for (int i = 0; i < 16; ++i)
        r[i] = a[4 * (i % 4) + i / 4];
    return r;
}

Floats Raw(const M44& m)
{
    return Floats(m.Ptr(), m.Ptr() + 16);
}

void ExpectNear(const Floats& expected, const Floats& actual, float tolerance)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(expected[i], actual[i], tolerance) << "element " << i;
}

const char* kAllMatricesVS =
    "#version 140\n"
    "in vec3 pos;\n"
    "uniform mat4 Matrix_M, Matrix_MV, Matrix_MVI, Matrix_MVT, Matrix_P, Matrix_PI, Matrix_PT,\n"
    "             Matrix_MVP, Matrix_MVPI, Matrix_MVPT;\n"
    "void main() {\n"
    "  mat4 s = Matrix_M + Matrix_MV + Matrix_MVI + Matrix_MVT + Matrix_P + Matrix_PI + Matrix_PT\n"
    "         + Matrix_MVP + Matrix_MVPI + Matrix_MVPT;\n"
    "  gl_Position = s * vec4(pos, 1.0);\n"
    "}\n";

const char* kWhiteFS = "#version 140\nout vec4 fragColor;\nvoid main() { fragColor = vec4(1.0); }\n";

class GLSLProgramTest : public GLFixture
{
protected:
    std::unique_ptr<GLSLProgram> Build(const std::string& vs, const std::string& fs = kWhiteFS)
    {
        std::string log;
        bool linked = false;
        std::unique_ptr<GLSLProgram> p = TestShaders::BuildProgram(m_folder, vs, fs, log, &linked);
        EXPECT_TRUE(linked) << log;
        return p;
    }

    static Floats Read(const GLSLProgram& p, const char* name, int n = 16)
    {
        return UniformFloats(p.GetHandle(), name, n);
    }
};

// --- identity, links and reflection -----------------------------------------

TEST_F(GLSLProgramTest, UidsCountUpLinksAreNumberedPerProgramAndUsedInputsAreEnabled)
{
    // gl_VertexID is a built-in input: not listed.
    std::unique_ptr<GLSLProgram> a = Build("#version 140\nin vec3 pos;\n"
                                           "void main() { gl_Position = vec4(pos, float(gl_VertexID)); }\n",
                                           TestShaders::ColorFS());
    std::unique_ptr<GLSLProgram> b = Build(TestShaders::PositionVS(), TestShaders::ColorFS());
    EXPECT_EQ(a->GetUid() + 1, b->GetUid());

    GLSLUniformParam before;
    ASSERT_TRUE(a->GetUniform("Color", before));
    EXPECT_EQ(0, before.GetLinkVersion());
    EXPECT_TRUE(GLSLProgram::IsLinkVersionCurrent(a->GetUid(), 0));
    EXPECT_FALSE(GLSLProgram::IsLinkVersionCurrent(b->GetUid() + 1000, 0));

    std::string log;
    ASSERT_TRUE(a->Link(log)) << log;
    GLSLUniformParam after;
    ASSERT_TRUE(a->GetUniform("Color", after));
    EXPECT_EQ(1, after.GetLinkVersion());
    EXPECT_TRUE(GLSLProgram::IsLinkVersionCurrent(a->GetUid(), 1));
    EXPECT_FALSE(GLSLProgram::IsLinkVersionCurrent(a->GetUid(), 0));
    EXPECT_TRUE(GLSLProgram::IsLinkVersionCurrent(b->GetUid(), 0));

    // The second link lists each input once.
    ASSERT_EQ(1u, a->GetAttributes().size());
    EXPECT_EQ("pos", a->GetAttributes()[0].m_name);
    EXPECT_EQ(unsigned(GL_FLOAT_VEC3), a->GetAttributes()[0].m_type);
    EXPECT_EQ(1u, a->GetAttributes()[0].m_size);
    const int location = a->GetAttributes()[0].m_location;
    EXPECT_EQ(glGetAttribLocation(a->GetHandle(), "pos"), location);
    GLint enabled = 0;
    glBindVertexArray(a->GetVertexArray());
    glGetVertexAttribiv(static_cast<GLuint>(location), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glBindVertexArray(0);
    EXPECT_EQ(1, enabled);
}

TEST_F(GLSLProgramTest, FailedFirstLinkGivesTheLogAndNoReflection)
{
    // The fragment shader compiles but has no main.
    std::string log;
    bool linked = true;
    std::unique_ptr<GLSLProgram> p = TestShaders::BuildProgram(
        m_folder, TestShaders::PositionVS(), "#version 140\nout vec4 o;\nvoid helper() { o = vec4(1.0); }\n", log, &linked);
    EXPECT_FALSE(linked);
    EXPECT_FALSE(log.empty());
    GLSLUniformParam out(7, 7, 7, 7, 7, 7);
    EXPECT_FALSE(p->GetUniform("Matrix_MVP", out));
    EXPECT_EQ(7, out.GetLocation()); // left as it was
    EXPECT_TRUE(p->GetAttributes().empty());
    EXPECT_FALSE(GLSLProgram::IsLinkVersionCurrent(p->GetUid(), 0));
}

TEST_F(GLSLProgramTest, UniformsAreFoundByNameArraysByTheirPlainNameToo)
{
    std::unique_ptr<GLSLProgram> p = Build(TestShaders::PositionVS(),
                                           "#version 140\nuniform float Weights[4];\nuniform vec4 Color;\nout vec4 o;\n"
                                           "void main() { o = Color * (Weights[0] + Weights[1] + Weights[2] + Weights[3]); }\n");
    // The driver reports the first element's name.
    EXPECT_EQ(1u, p->GetUniformMap().count("Weights[0]"));
    GLSLUniformParam plain, reported, color;
    ASSERT_TRUE(p->GetUniform("Weights", plain));
    ASSERT_TRUE(p->GetUniform("Weights[0]", reported));
    EXPECT_EQ(reported.GetLocation(), plain.GetLocation());
    EXPECT_EQ(4, plain.GetSize());
    p->Enable();
    const float w[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    plain.SetFloatArray(w, 1, 4);
    EXPECT_EQ(4.0f, Read(*p, "Weights[3]", 1)[0]);
    p->Disable();

    // Requests are filled by index; a missing one fails only when required.
    ASSERT_TRUE(p->GetUniform("Color", color));
    std::vector<Vorm::GLSLUniformParamSortPair> requests = {{1, true, "Color"}, {0, false, "Absent"}};
    std::vector<GLSLUniformParam> out;
    EXPECT_TRUE(p->GetUniforms(out, &requests));
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ(color.GetLocation(), out[1].GetLocation());
    EXPECT_EQ(-1, out[0].GetLocation());
    requests = {{1, false, "Color"}, {0, true, "Absent"}};
    out.clear();
    EXPECT_FALSE(p->GetUniforms(out, &requests));
    EXPECT_EQ(color.GetLocation(), out[1].GetLocation());

    // Without requests: every uniform, in name order, after what is there.
    out.assign(1, GLSLUniformParam());
    EXPECT_TRUE(p->GetUniforms(out, nullptr));
    ASSERT_EQ(4u, out.size());
    EXPECT_EQ(-1, out[0].GetLocation());
    EXPECT_EQ(color.GetLocation(), out[1].GetLocation()); // "Color" < "Matrix_MVP" < "Weights[0]"
    EXPECT_EQ(unsigned(GL_FLOAT_MAT4), out[2].GetType());
    EXPECT_EQ(plain.GetLocation(), out[3].GetLocation());
}

// --- current program ---------------------------------------------------------

TEST_F(GLSLProgramTest, EnableDisableAndDestructionTrackTheCurrentProgram)
{
    std::unique_ptr<GLSLProgram> a = Build(TestShaders::PositionVS());
    std::unique_ptr<GLSLProgram> b = Build(TestShaders::PositionVS());
    a->Enable();
    EXPECT_TRUE(a->IsEnabled());
    EXPECT_EQ(GLint(a->GetHandle()), GLInt(GL_CURRENT_PROGRAM));
    EXPECT_EQ(GLint(a->GetVertexArray()), GLInt(GL_VERTEX_ARRAY_BINDING));
    b->Enable();
    EXPECT_FALSE(a->IsEnabled());
    EXPECT_TRUE(b->IsEnabled());

    // Disabling any program clears the current one.
    a->Disable();
    EXPECT_FALSE(b->IsEnabled());
    EXPECT_EQ(nullptr, GLSLProgram::GetCurrent());
    EXPECT_EQ(0, GLInt(GL_CURRENT_PROGRAM));
    EXPECT_EQ(0, GLInt(GL_VERTEX_ARRAY_BINDING));

    // The record goes with the current program.
    const GLuint handle = b->GetHandle();
    b->Enable();
    ASSERT_EQ(b.get(), GLSLProgram::GetCurrent());
    b.reset();
    EXPECT_EQ(nullptr, GLSLProgram::GetCurrent());
    glUseProgram(0);
    EXPECT_FALSE(glIsProgram(handle));
}

// --- automatic matrices --------------------------------------------------------

TEST_F(GLSLProgramTest, AutomaticMatricesFollowModelViewAndProjection)
{
    std::unique_ptr<GLSLProgram> p = Build(kAllMatricesVS);
    const M44 model(2, 0, 0, 1, 0, 3, 0, 2, 0, 0, 4, 3, 0, 0, 0, 1);
    M44 view(0, -1, 0, 5, 1, 0, 0, -2, 0, 0, 1, -7, 0, 0, 0, 1);
    const M44 projection(1.5f, 0, 0.25f, 0, 0, 2, 0.5f, 0, 0, 0, -1.2f, -2.2f, 0, 0, -1, 0);
    const Floats m = Raw(model), v = Raw(view), pr = Raw(projection), identity = Raw(M44::IDENTITY);
    const float tol = 1e-4f;
    p->Enable();

    // Before the renderer hands its matrices over, both are identities.
    p->SetModelMatrix(model);
    EXPECT_EQ(m, Read(*p, "Matrix_MVP"));
    EXPECT_EQ(identity, Read(*p, "Matrix_P"));

    p->SetViewProjection(&view, &projection);
    p->SetModelMatrix(model);
    const Floats mv = Mul(v, m), mvp = Mul(pr, mv);
    ExpectNear(m, Read(*p, "Matrix_M"), tol);
    ExpectNear(mv, Read(*p, "Matrix_MV"), tol);
    ExpectNear(Transpose(mv), Read(*p, "Matrix_MVT"), tol);
    ExpectNear(pr, Read(*p, "Matrix_P"), tol);
    ExpectNear(Transpose(pr), Read(*p, "Matrix_PT"), tol);
    ExpectNear(mvp, Read(*p, "Matrix_MVP"), tol);
    ExpectNear(Transpose(mvp), Read(*p, "Matrix_MVPT"), tol);
    // The "I" forms are inverses.
    ExpectNear(identity, Mul(Read(*p, "Matrix_MVI"), mv), tol);
    ExpectNear(identity, Mul(Read(*p, "Matrix_PI"), pr), tol);
    ExpectNear(identity, Mul(Read(*p, "Matrix_MVPI"), mvp), tol);

    // The view is read through the pointer at the next model matrix.
    view.MakeTranslation(0.0f, 0.0f, -10.0f);
    p->SetModelMatrix(model);
    ExpectNear(Mul(Raw(view), m), Read(*p, "Matrix_MV"), tol);

    // The transposed product alone is still computed.
    p = Build("#version 140\nin vec3 pos;\nuniform mat4 Matrix_MVPT;\n"
              "void main() { gl_Position = vec4(pos, 1.0) * Matrix_MVPT; }\n");
    p->Enable();
    p->SetViewProjection(&view, &projection);
    p->SetModelMatrix(model);
    ExpectNear(Transpose(Mul(pr, Mul(Raw(view), m))), Read(*p, "Matrix_MVPT"), 1e-5f);

    // A matrix uniform of another type is skipped.
    p = Build("#version 140\nin vec3 pos;\nuniform mat3 Matrix_M;\n"
              "void main() { gl_Position = vec4(Matrix_M * pos, 1.0); }\n");
    p->Enable();
    p->SetModelMatrix(model);
    EXPECT_EQ(Floats(9, 0.0f), Read(*p, "Matrix_M", 9));
    p->Disable();
}

// --- vertex data binding -------------------------------------------------------

TEST_F(GLSLProgramTest, InputsBindByNameWhateverTheDeclarationOrder)
{
    // Declared normal first, while the buffer has pos at offset 0, normal at 12.
    std::unique_ptr<GLSLProgram> p = Build("#version 140\nin vec3 normal;\nin vec2 tex0;\nin vec3 pos;\nout vec3 vColor;\n"
                                           "void main() { vColor = normal + vec3(tex0, 0.0); gl_Position = vec4(pos, 1.0); }\n",
                                           "#version 140\nin vec3 vColor;\nout vec4 o;\nvoid main() { o = vec4(vColor, 1.0); }\n");
    ASSERT_EQ(3u, p->GetAttributes().size());
    const Vector3<float> colour(0.2f, 0.6f, 1.0f);
    const Vector2 tex(0.0f, 0.0f);
    const Vorm::VT_PosNorTex vertices[3] = {Vorm::VT_PosNorTex(Vector3<float>(-1.0f, -1.0f, 0.0f), colour, tex),
                                            Vorm::VT_PosNorTex(Vector3<float>(3.0f, -1.0f, 0.0f), colour, tex),
                                            Vorm::VT_PosNorTex(Vector3<float>(-1.0f, 3.0f, 0.0f), colour, tex)};
    const Vorm::VertexFormat format = Vorm::VT_PosNorTex::GetFormat();
    Vorm::GLVertexBuffer buffer;
    buffer.Create(Vorm::BufferData{3, sizeof(vertices), 0, vertices}, &format);

    glViewport(0, 0, Ctx().Width(), Ctx().Height());
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    p->Enable();
    buffer.Bind();
    p->UpdateVertexDataBinding(buffer.GetVertexFormat().m_attributes);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    buffer.Unbind();
    p->Disable();
    const std::vector<int> px = PixelRgba(Ctx().Width() / 2, Ctx().Height() / 2);
    EXPECT_NEAR(51, px[0], 1);
    EXPECT_NEAR(153, px[1], 1);
    EXPECT_EQ(255, px[2]);
}

TEST_F(GLSLProgramTest, VertexBindingMisuseIsReported)
{
    std::unique_ptr<GLSLProgram> a = Build(TestShaders::PositionVS());
    std::unique_ptr<GLSLProgram> b = Build(TestShaders::PositionVS());
    GLuint vbo = 0;
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    Vorm::VertexFormat pos = Vorm::VT_Pos::GetFormat(), noPos, flat;
    noPos.AddAttribute("normal", Vorm::DataType(Vorm::eDataFormat_FLOAT3), 1);
    flat.AddAttribute("pos", Vorm::DataType(Vorm::eDataFormat_FLOAT2), 1);

    // What the binding asserts on, asked beforehand.
    EXPECT_EQ(nullptr, a->FindUnfedInput(pos.m_attributes));
    EXPECT_EQ(nullptr, a->FindUnfedInput(Vorm::VT_PosNorTexTan::GetFormat().m_attributes));
    for (const Vorm::VertexFormat* unfed : {&noPos, &flat}) {
        const Vorm::GLSLVertexParam* input = a->FindUnfedInput(unfed->m_attributes);
        ASSERT_NE(nullptr, input);
        EXPECT_EQ("pos", input->m_name);
    }

    AssertRecorder rec;
    a->Enable();
    b->UpdateVertexDataBinding(pos.m_attributes);
    EXPECT_TRUE(rec.Saw("IsEnabled() && \"UpdateVertexDataBinding called for non enabled program!\""));
    rec.Clear();
    a->UpdateVertexDataBinding(noPos.m_attributes);
    EXPECT_TRUE(rec.Saw("!\"VertexData required by shader not available!\""));
    rec.Clear();
    a->UpdateVertexDataBinding(flat.m_attributes);
    EXPECT_TRUE(rec.Saw("GLDataFormat::Get(attribute.m_dataType.m_format) == nextParam->m_type && "
                        "\"Vertex Attribute is of different type!\""));
    EXPECT_FALSE(rec.Saw("attribute.m_size == nextParam->m_size && \"Vertex Attribute is of different size!\""));

    rec.Clear();
    a->UpdateVertexDataBinding(pos.m_attributes);
    EXPECT_TRUE(rec.Failures().empty());
    GLint components = 0;
    glGetVertexAttribiv(static_cast<GLuint>(a->GetAttributes()[0].m_location), GL_VERTEX_ATTRIB_ARRAY_SIZE, &components);
    EXPECT_EQ(3, components);
    a->Disable();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &vbo);
}

} // namespace
