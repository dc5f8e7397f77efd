#include "RenderGL/effects/api/glsl/GLSLEffectSystem.h"

#include "Core/File/File.h"
#include "Core/Memory/MemTracker.h"
#include "RenderGL/effects/api/glsl/GLSLMaterialProgram.h"
#include "RenderGL/effects/api/glsl/GLSLProgram.h"
#include "RenderGL/effects/api/glsl/GLSLShader.h"

#include <GL/glew.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>

namespace Vorm {

namespace {

// A keyword block found in [begin, end) of the text: its name and the body
// between its braces.
struct Block
{
    std::string m_name;
    size_t m_bodyBegin; // first character after '{'
    size_t m_bodyEnd;   // the matching '}'
};

// The first line of a compiler or linker log that says something.
std::string FirstLine(const std::string& log)
{
    size_t begin = 0;
    while (begin < log.size()) {
        size_t end = log.find('\n', begin);
        if (end == std::string::npos)
            end = log.size();
        std::string line = log.substr(begin, end - begin);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line[line.size() - 1])))
            line.erase(line.size() - 1);
        if (!line.empty())
            return line;
        begin = end + 1;
    }
    return "no log";
}

const char* StageName(unsigned type)
{
    switch (type) {
    case GL_VERTEX_SHADER:
        return "vertex";
    case GL_FRAGMENT_SHADER:
        return "fragment";
    case GL_GEOMETRY_SHADER:
        return "geometry";
    default:
        return "unknown";
    }
}

std::string Describe(const char* what, const char* keyword, size_t offset)
{
    return std::string(what) + " \"" + keyword + "\" at offset " + std::to_string(offset);
}

// Where `what` first lies wholly within [from, end) of the text, or npos: a
// search that ran on to the end of the text would make reading a file of
// many blocks grow with the square of its length.
size_t FindIn(const std::string& text, std::string_view what, size_t from, size_t end)
{
    if (from >= end)
        return std::string::npos;
    const size_t at = std::string_view(text).substr(from, end - from).find(what);
    return at == std::string_view::npos ? std::string::npos : from + at;
}

// Every `keyword` block in [begin, end). The search for the next block starts
// at the closing brace of the previous one.
bool FindBlocks(const std::string& text, size_t begin, size_t end, const char* keyword,
                std::vector<Block>& blocks, std::string& error)
{
    const size_t keyLength = std::strlen(keyword);
    size_t pos = begin;
    int number = 0;
    for (;;) {
        const size_t at = FindIn(text, keyword, pos, end);
        if (at == std::string::npos)
            return true;
        ++number;

        const size_t open = FindIn(text, "{", at + keyLength, end);
        if (open == std::string::npos) {
            error = Describe("no '{' after", keyword, at);
            return false;
        }

        // The name: the first whitespace-delimited word before the '{'.
        size_t nameBegin = at + keyLength;
        while (nameBegin < open && std::isspace(static_cast<unsigned char>(text[nameBegin])))
            ++nameBegin;
        size_t nameEnd = nameBegin;
        while (nameEnd < open && !std::isspace(static_cast<unsigned char>(text[nameEnd])))
            ++nameEnd;
        Block block;
        if (nameEnd - nameBegin > GLSLEffectSystem::kMaxBlockName) {
            error = Describe("name too long after", keyword, at);
            return false;
        }
        block.m_name = nameEnd > nameBegin ? text.substr(nameBegin, nameEnd - nameBegin)
                                           : keyword + std::to_string(number);

        int depth = 0;
        size_t close = std::string::npos;
        for (size_t i = open; i < end; ++i) {
            if (text[i] == '{') {
                ++depth;
            } else if (text[i] == '}' && --depth == 0) {
                close = i;
                break;
            }
        }
        if (close == std::string::npos) {
            error = Describe("unbalanced braces in", keyword, at);
            return false;
        }
        block.m_bodyBegin = open + 1;
        block.m_bodyEnd = close;
        blocks.push_back(block);
        pos = close;
    }
}

// Every `keyword <file>` in [begin, end), in order of appearance.
bool FindShaderNames(const std::string& text, size_t begin, size_t end, const char* keyword,
                     std::vector<std::string>& names, std::string& error)
{
    const size_t keyLength = std::strlen(keyword);
    size_t pos = begin;
    for (;;) {
        const size_t at = FindIn(text, keyword, pos, end);
        if (at == std::string::npos)
            return true;
        const size_t lt = FindIn(text, "<", at + keyLength, end);
        if (lt == std::string::npos) {
            error = Describe("no '<' after", keyword, at);
            return false;
        }
        const size_t gt = FindIn(text, ">", lt + 1, end);
        if (gt == std::string::npos) {
            error = Describe("no '>' after", keyword, at);
            return false;
        }
        if (gt == lt + 1) {
            error = Describe("empty file name after", keyword, at);
            return false;
        }
        names.push_back(text.substr(lt + 1, gt - lt - 1));
        pos = gt + 1;
    }
}

} // namespace

GLSLEffectSystem::GLSLEffectSystem()
{
}

GLSLEffectSystem::~GLSLEffectSystem()
{
}

boost::shared_ptr<ApiEffect> GLSLEffectSystem::GetMaterialProgram(const std::string& name, std::string* error)
{
    if (!m_spMaterialProgram) {
        boost::shared_ptr<ApiEffect> program = GetEffect(name, error);
        // Nothing to wrap: the next request tries again.
        if (program)
            m_spMaterialProgram = boost::shared_ptr<ApiEffect>(VORM_NEW GLSLMaterialProgram(program));
    }
    return m_spMaterialProgram;
}

bool GLSLEffectSystem::OnSetPath(const std::string&)
{
    return true;
}

bool GLSLEffectSystem::ParseEffect(const std::string& text, std::vector<TechniqueDesc>& techniques,
                                   std::string& error)
{
    techniques.clear();
    std::vector<Block> techniqueBlocks;
    if (!FindBlocks(text, 0, text.size(), "technique", techniqueBlocks, error))
        return false;

    for (size_t t = 0; t < techniqueBlocks.size(); ++t) {
        const Block& technique = techniqueBlocks[t];
        TechniqueDesc techniqueDesc;
        techniqueDesc.m_name = technique.m_name;

        std::vector<Block> passBlocks;
        if (!FindBlocks(text, technique.m_bodyBegin, technique.m_bodyEnd, "pass", passBlocks, error))
            return false;
        for (size_t p = 0; p < passBlocks.size(); ++p) {
            const Block& pass = passBlocks[p];
            PassDesc passDesc;
            passDesc.m_name = pass.m_name;
            if (!FindShaderNames(text, pass.m_bodyBegin, pass.m_bodyEnd, "VertexShader",
                                 passDesc.m_vertexShaders, error) ||
                !FindShaderNames(text, pass.m_bodyBegin, pass.m_bodyEnd, "FragmentShader",
                                 passDesc.m_fragmentShaders, error) ||
                !FindShaderNames(text, pass.m_bodyBegin, pass.m_bodyEnd, "GeometryShader",
                                 passDesc.m_geometryShaders, error))
                return false;
            techniqueDesc.m_passes.push_back(std::move(passDesc));
        }
        techniques.push_back(std::move(techniqueDesc));
    }
    return true;
}

boost::shared_ptr<ApiEffect> GLSLEffectSystem::OnCreateEffect(const std::string& path, std::string& error)
{
    File file(path);
    if (!file.Open(File::kScriptLimit)) {
        error = path + ": " + file.GetError();
        return boost::shared_ptr<ApiEffect>();
    }
    const int size = file.GetSize();
    if (size <= 0) {
        error = path + ": is empty";
        return boost::shared_ptr<ApiEffect>();
    }

    char* buffer = VORM_NEW char[size + 1];
    const int read = file.Read(buffer, size);
    file.Close();
    const std::string text(buffer, static_cast<size_t>(read));
    VORM_DELETE[] buffer;

    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);

    std::string reason;
    GLSLProgram* program = CreateEffect(text, folder, &reason);
    if (!program) {
        error = path + ": " + reason;
        return boost::shared_ptr<ApiEffect>();
    }
    return boost::shared_ptr<ApiEffect>(program);
}

GLSLProgram* GLSLEffectSystem::CreateEffect(const std::string& text, const std::string& folder, std::string* error)
{
    std::vector<TechniqueDesc> techniques;
    std::string reason;
    if (!ParseEffect(text, techniques, reason)) {
        if (error)
            *error = "malformed: " + reason;
        return nullptr;
    }
    // Without a technique nothing would be attached or linked: a program
    // that draws nothing.
    if (techniques.empty()) {
        if (error)
            *error = "has no technique";
        return nullptr;
    }

    GLSLProgram* program = VORM_NEW GLSLProgram();
    bool ok = true;
    size_t attached = 0;
    for (size_t t = 0; t < techniques.size() && ok; ++t) {
        const TechniqueDesc& technique = techniques[t];
        for (size_t p = 0; p < technique.m_passes.size() && ok; ++p) {
            const PassDesc& pass = technique.m_passes[p];
            std::vector<boost::shared_ptr<GLSLShader>> shaders;
            ok = CreateShaders(folder, pass.m_vertexShaders, GL_VERTEX_SHADER, shaders, reason) &&
                 CreateShaders(folder, pass.m_fragmentShaders, GL_FRAGMENT_SHADER, shaders, reason) &&
                 CreateShaders(folder, pass.m_geometryShaders, GL_GEOMETRY_SHADER, shaders, reason);
            // A shader named again (by another pass or technique) is attached
            // once: GL refuses a second attachment.
            for (size_t s = 0; s < shaders.size() && ok; ++s) {
                const std::vector<boost::shared_ptr<GLSLShader>>& held = program->GetShaders();
                if (std::find(held.begin(), held.end(), shaders[s]) == held.end())
                    program->AttachShader(shaders[s]);
            }
            attached += shaders.size();
        }
        // A later technique may only link again what the earlier ones attached.
        if (ok && attached == 0) {
            reason = "technique \"" + technique.m_name + "\" names no shader";
            ok = false;
        }
        std::string log;
        if (ok && !program->Link(log)) {
            // The linker's log names a stage, not a file: all of them go in.
            std::string files;
            for (const boost::shared_ptr<GLSLShader>& shader : program->GetShaders())
                files += (files.empty() ? "" : " and ") + shader->GetPath();
            reason = "its shaders " + files + " do not link: " + FirstLine(log);
            ok = false;
        }
    }
    if (!ok) {
        VORM_DELETE program;
        if (error)
            *error = reason;
        return nullptr;
    }
    return program;
}

bool GLSLEffectSystem::CreateShaders(const std::string& folder, const std::vector<std::string>& names,
                                     unsigned type, std::vector<boost::shared_ptr<GLSLShader>>& out,
                                     std::string& error)
{
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string path = folder + names[i];
        boost::shared_ptr<GLSLShader> shader = FindShader(path);
        // One file compiles for one stage: attached again for another, GL
        // refuses it with an error that names nothing.
        if (shader && shader->GetType() != type) {
            error = "the shader " + path + " is named for two stages, " + StageName(shader->GetType()) + " and " +
                    StageName(type);
            return false;
        }
        if (!shader) {
            // An empty source would compile and fail only the link, which
            // cannot say which file is at fault.
            File file(path);
            const bool opened = file.Open(File::kScriptLimit);
            if (!opened || file.GetSize() == 0) {
                const std::string& reason = file.GetError();
                error = "the shader " + path + " " +
                        (opened ? "is empty" : reason == "cannot open" ? "cannot be opened" : reason);
                return false;
            }
            file.Close();
            shader.reset(VORM_NEW GLSLShader(path, type));
            std::string log;
            if (!shader->Compile(log)) {
                error = "the shader " + path + " does not compile: " + FirstLine(log);
                return false;
            }
            m_shaders.insert(std::make_pair(path, shader));
        }
        out.push_back(shader);
    }
    return true;
}

boost::shared_ptr<GLSLShader> GLSLEffectSystem::FindShader(const std::string& path) const
{
    std::map<std::string, boost::shared_ptr<GLSLShader>>::const_iterator it = m_shaders.find(path);
    return it != m_shaders.end() ? it->second : boost::shared_ptr<GLSLShader>();
}

} // namespace Vorm
