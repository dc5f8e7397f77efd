#include "AssertRecorder.h"
#include "GLFixture.h"
#include "GLReadBack.h"
#include "TestShaders.h"

#include "RenderGL/effects/api/glsl/GLSLProgram.h"
#include "RenderGL/effects/api/glsl/GLSLUniformParam.h"

#include <gtest/gtest.h>

using Vorm::GLSLProgram;
using Vorm::GLSLUniformParam;

namespace {

// Every uniform feeds the output, so the driver keeps them all active.
const char* kUniformsFS =
    "#version 140\n"
    "uniform mat4 M4; uniform mat3 M3; uniform mat2x3 M23; uniform vec3 V3; uniform float F3[3];\n"
    "uniform sampler2D S2[2]; uniform sampler2D Single;\n"
    "uniform bool B; uniform ivec2 I2; uniform uvec2 U2; uniform int Count;\n"
    "out vec4 fragColor;\n"
    "void main() {\n"
    "  vec4 c = M4[0] + vec4(M3[1], 0.0) + vec4(M23[1], 0.0) + vec4(V3, F3[0] + F3[1] + F3[2]);\n"
    "  c += texture(S2[0], vec2(0.5)) + texture(S2[1], vec2(0.5)) + texture(Single, vec2(0.5));\n"
    "  fragColor = c + vec4(B ? 1.0 : 0.0, float(I2.x + I2.y), float(U2.x + U2.y), float(Count));\n"
    "}\n";

class GLSLUniformParamTest : public GLFixture
{
protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (HasFatalFailure())
            return;
        std::string log;
        bool linked = false;
        m_program = TestShaders::BuildProgram(m_folder, TestShaders::PositionVS(), kUniformsFS, log, &linked);
        ASSERT_TRUE(linked) << log;
        m_program->Enable(); // GLFixture::TearDown makes no program current
    }

    GLSLUniformParam Get(const std::string& name)
    {
        GLSLUniformParam p;
        EXPECT_TRUE(m_program->GetUniform(name, p)) << name;
        return p;
    }
    std::vector<float> Floats(const std::string& name, int n) { return UniformFloats(m_program->GetHandle(), name, n); }
    int Int(const std::string& name, int component = 0) { return UniformInt(m_program->GetHandle(), name, component); }
    std::vector<float> F3() { return {Floats("F3[0]", 1)[0], Floats("F3[1]", 1)[0], Floats("F3[2]", 1)[0]}; }

    std::unique_ptr<GLSLProgram> m_program;
};

TEST_F(GLSLUniformParamTest, TypeQueriesOnReflectedUniforms)
{
    // info: 1 plain, 2 matrix, 4 sampler, + 8 for an array.
    const struct
    {
        const char* name;
        unsigned type, info;
        int size;
    } rows[] = {
        {"M4", GL_FLOAT_MAT4, 2, 1}, {"M3", GL_FLOAT_MAT3, 2, 1},      {"M23", GL_FLOAT_MAT2x3, 2, 1},
        {"V3", GL_FLOAT_VEC3, 1, 1}, {"F3", GL_FLOAT, 9, 3},           {"S2", GL_SAMPLER_2D, 12, 2},
        {"B", GL_BOOL, 1, 1},        {"Single", GL_SAMPLER_2D, 4, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const GLSLUniformParam p = Get(row.name);
        unsigned type = 0;
        int size = -1, arraySize = -1;
        EXPECT_EQ(row.info, p.GetTypeInfo(type, size));
        EXPECT_EQ(row.type, type);
        EXPECT_EQ(row.type, p.GetType());
        EXPECT_EQ(row.size, size);
        EXPECT_EQ(row.size > 1, p.IsArray(arraySize));
        EXPECT_EQ(row.size, arraySize);
        EXPECT_EQ((row.info & 2) != 0, p.IsMatrix());
        EXPECT_EQ((row.info & 4) != 0, p.IsTex());
        EXPECT_EQ(m_program->GetUid(), p.GetProgramUid());
        EXPECT_EQ(m_program->GetHandle(), p.GetProgram());
    }

    // An empty handle matches no type and uploads nothing (TearDown sees no
    // GL error); its typed sampler setter still selects the unit.
    const GLSLUniformParam empty;
    int size = -1;
    EXPECT_FALSE(empty.IsTex() || empty.IsMatrix() || empty.IsArray(size));
    EXPECT_EQ(-1, empty.GetLocation());
    empty.SetFloat(1.0f);
    empty.SetMatrix4(&Matrix44<float>::IDENTITY, false);
    empty.SetMatrixValue(Matrix44<float>::IDENTITY.Ptr(), false);
    empty.SetTexture2D(3);
    EXPECT_EQ(GL_TEXTURE3, GLInt(GL_ACTIVE_TEXTURE));
}

TEST_F(GLSLUniformParamTest, TypedSettersReachTheShader)
{
    const GLSLUniformParam f3 = Get("F3");
    const float first[3] = {1.0f, 2.0f, 3.0f};
    f3.SetFloatArray(first, 1, 3);
    EXPECT_EQ((std::vector<float>{1.0f, 2.0f, 3.0f}), F3());
    // Unknown component counts make no call.
    const std::vector<float> nines(20, 9.0f);
    f3.SetFloatArray(nines.data(), 0, 3);
    f3.SetFloatArray(nines.data(), 5, 3);
    EXPECT_EQ((std::vector<float>{1.0f, 2.0f, 3.0f}), F3());

    Get("V3").SetFloat3v(Vector3<float>(0.5f, -1.0f, 2.0f));
    EXPECT_EQ((std::vector<float>{0.5f, -1.0f, 2.0f}), Floats("V3", 3));
    Get("B").SetBool(true);
    EXPECT_EQ(1, Int("B"));
    Get("B").SetBool(false);
    EXPECT_EQ(0, Int("B"));
    Get("I2").SetInt2(7, -3);
    EXPECT_EQ(7, Int("I2", 0));
    EXPECT_EQ(-3, Int("I2", 1));
    const unsigned u[2] = {11u, 12u};
    Get("U2").SetUIntArray(u, 2, 1);
    GLuint readU[2] = {0, 0};
    glGetUniformuiv(m_program->GetHandle(), glGetUniformLocation(m_program->GetHandle(), "U2"), readU);
    EXPECT_EQ(11u, readU[0]);
    EXPECT_EQ(12u, readU[1]);

    // Matrices go as stored (column 0 holds the first element of each row)
    // unless transposed.
    const Matrix44<float> m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    Get("M4").SetMatrix4(&m, false);
    const std::vector<float> read = Floats("M4", 16);
    EXPECT_EQ(std::vector<float>(m.Ptr(), m.Ptr() + 16), read);
    EXPECT_EQ(5.0f, read[1]);
    Get("M4").SetMatrix4(&m, true);
    EXPECT_EQ(2.0f, Floats("M4", 16)[1]);
}

TEST_F(GLSLUniformParamTest, GenericSettersDispatchOnTheReflectedType)
{
    const float v[3] = {1.5f, 2.5f, 3.5f};
    Get("V3").SetValue(v);
    EXPECT_EQ(std::vector<float>(v, v + 3), Floats("V3", 3));
    const int i[2] = {4, 5};
    Get("I2").SetValue(i);
    EXPECT_EQ(5, Int("I2", 1));
    const float m3[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    Get("M3").SetMatrixValue(m3, false);
    EXPECT_EQ(std::vector<float>(m3, m3 + 9), Floats("M3", 9));
    // The array setter takes the count from the reflected size.
    const float f3[3] = {4.0f, 5.0f, 6.0f};
    Get("F3").SetValueArray(f3);
    EXPECT_EQ(std::vector<float>(f3, f3 + 3), F3());

    // Non-square matrices and vector setters on matrices make no call.
    const float zeros[16] = {};
    Get("M23").SetMatrixValue(zeros, false);
    Get("M4").SetValue(v);
    EXPECT_EQ(std::vector<float>(6, 0.0f), Floats("M23", 6));
    EXPECT_EQ(std::vector<float>(16, 0.0f), Floats("M4", 16));
}

TEST_F(GLSLUniformParamTest, SamplerSettersSelectUnitsAndCheckTheType)
{
    AssertRecorder rec;
    Get("Single").SetTexture2D(5);
    EXPECT_EQ(GL_TEXTURE5, GLInt(GL_ACTIVE_TEXTURE)); // left active
    EXPECT_EQ(5, Int("Single"));
    // Sampler arrays take their units without activating any.
    glActiveTexture(GL_TEXTURE1);
    const int six[2] = {6, 7};
    Get("S2").SetTextures2D(six, 2);
    EXPECT_EQ(GL_TEXTURE1, GLInt(GL_ACTIVE_TEXTURE));
    EXPECT_EQ((std::vector<int>{6, 7}), UniformIntArray(m_program->GetHandle(), "S2", 2));

    Get("Single").SetTextureUnit(4);
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_EQ(4, Int("Single"));
    Get("Count").SetTextureUnit(2);
    EXPECT_TRUE(rec.Saw("IsTex()"));
    EXPECT_EQ(2, Int("Count")); // the call is made all the same

    rec.Clear();
    const int units[2] = {2, 3};
    Get("S2").SetTextureUnits(units);
    EXPECT_TRUE(rec.Failures().empty());
    EXPECT_EQ(3, Int("S2[1]"));
    Get("Single").SetTextureUnits(units);
    EXPECT_TRUE(rec.Saw("IsTex() && IsArray(dummy)"));
}

} // namespace

namespace {

// A handle no lookup filled (a uniform the shader lacks) uploads nothing:
// no GL call, so no error even when no program is current, while its
// sampler setters still select their unit for the texture bound next.
TEST(GLSLUniformParamEmptyTest, UploadsThroughAnEmptyHandleMakeNoGLCall)
{
    Win32::GLWindowContext ctx(16, 16);
    ASSERT_TRUE(ctx.Ok()) << ctx.Error();
    DrainGLErrors();
    glUseProgram(0);
    const GLSLUniformParam empty;
    EXPECT_TRUE(empty.IsEmpty());
    const Matrix44<float> m = Matrix44<float>::IDENTITY;
    const int units[2] = {1, 2};
    const float values[3] = {1, 2, 3};
    empty.SetFloat(1.0f);
    empty.SetFloat3v(Vector3<float>(1, 2, 3));
    empty.SetFloatArray(values, 1, 3);
    empty.SetInt(3);
    empty.SetMatrix4(&m, false);
    empty.SetValue(values);
    empty.SetTextures2D(units, 2);
    EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
    empty.SetTexture2D(3);
    EXPECT_EQ(GL_TEXTURE3, GLInt(GL_ACTIVE_TEXTURE));
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(GLenum(GL_NO_ERROR), DrainGLErrors());
}

} // namespace
