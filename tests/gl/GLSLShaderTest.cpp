#include "GLFixture.h"
#include "TestShaders.h"

#include "RenderGL/effects/api/glsl/GLSLShader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Vorm::GLSLShader;

namespace {

std::string SourceOf(const GLSLShader& shader)
{
    GLint length = 0;
    glGetShaderiv(shader.GetHandle(), GL_SHADER_SOURCE_LENGTH, &length);
    std::vector<char> text(length + 1, '\0');
    glGetShaderSource(shader.GetHandle(), length + 1, nullptr, text.data());
    return text.data();
}

using GLSLShaderTest = GLFixture;

TEST_F(GLSLShaderTest, HandsOverExactlyTheFileTextEvenAnEmptyOne)
{
    // No line end after the last character, which must still reach the compiler.
    const std::string text = std::string(TestShaders::ColorFS()) + "// tail";
    GLSLShader shader(m_folder.Write("c.frag", text), GL_FRAGMENT_SHADER);
    ASSERT_NE(0u, shader.GetHandle());
    std::string log = "untouched";
    EXPECT_TRUE(shader.Compile(log));
    EXPECT_EQ("untouched", log);
    EXPECT_EQ(text, SourceOf(shader));
    GLint type = 0;
    glGetShaderiv(shader.GetHandle(), GL_SHADER_TYPE, &type);
    EXPECT_EQ(GL_FRAGMENT_SHADER, type);

    GLSLShader empty(m_folder.Write("empty.vert", ""), GL_VERTEX_SHADER);
    const bool ok = empty.Compile(log);
    GLint status = -1;
    glGetShaderiv(empty.GetHandle(), GL_COMPILE_STATUS, &status);
    EXPECT_EQ(status != GL_FALSE, ok);
    EXPECT_EQ("", SourceOf(empty));
}

TEST_F(GLSLShaderTest, FailuresGiveTheDriverLogOrNoneAndTheObjectLivesUntilDestroyed)
{
    std::string log = "caller's text";
    GLSLShader missing(m_folder.Path("absent.vert"), GL_VERTEX_SHADER);
    EXPECT_FALSE(missing.Compile(log));
    EXPECT_EQ("caller's text", log);

    GLuint handle = 0;
    {
        GLSLShader shader(m_folder.Write("bad.vert", "#version 140\nvoid main() { undeclared = 1; }\n"),
                          GL_VERTEX_SHADER);
        EXPECT_FALSE(shader.Compile(log));
        EXPECT_NE(std::string::npos, log.find("undeclared")) << log;
        handle = shader.GetHandle();
        EXPECT_TRUE(glIsShader(handle));
    }
    EXPECT_FALSE(glIsShader(handle));
}

TEST_F(GLSLShaderTest, GeometryShaderFailsCleanlyWithoutGL32)
{
    if (TestShaders::ContextOffersGL32())
        GTEST_SKIP() << "context offers geometry shaders";
    const std::string path = m_folder.Write("g.geom", "#version 150\nvoid main() {}\n");
    GLSLShader shader(path, GL_GEOMETRY_SHADER);
    EXPECT_EQ(0u, shader.GetHandle());
    EXPECT_EQ(unsigned(GL_GEOMETRY_SHADER), shader.GetType());
    std::string log;
    EXPECT_FALSE(shader.Compile(log));
    EXPECT_NE(std::string::npos, log.find(path)) << log;
    // TearDown checks that nothing was queued.
}

} // namespace
