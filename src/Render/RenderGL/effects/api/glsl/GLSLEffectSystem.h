#ifndef VORM_RENDERGL_GLSLEFFECTSYSTEM_H
#define VORM_RENDERGL_GLSLEFFECTSYSTEM_H

#include "RenderGL/effects/api/IEffectSystem.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

namespace Vorm {

class GLSLProgram;
class GLSLShader;

// Reads ".glslfx" effect files, compiles the shaders they name (each file
// once, cached by full path) and links one GLSLProgram per effect file.
//
// Effect-file format: "technique" blocks, each holding "pass" blocks, each
// naming shader files as  VertexShader = <file>  (likewise FragmentShader and
// GeometryShader). Keywords are found as plain substrings; a block is the
// keyword, an optional name and a brace-delimited body.
class GLSLEffectSystem : public IEffectSystem
{
public:
    struct PassDesc
    {
        std::string m_name;
        std::vector<std::string> m_vertexShaders;
        std::vector<std::string> m_fragmentShaders;
        std::vector<std::string> m_geometryShaders;
    };

    struct TechniqueDesc
    {
        std::string m_name;
        std::vector<PassDesc> m_passes;
    };

    // Longest block name accepted.
    static const size_t kMaxBlockName = 99;

    GLSLEffectSystem();
    ~GLSLEffectSystem() override;

    // Reads the effect text into techniques and passes. false for a malformed
    // text (a block keyword without its '{', unbalanced braces, a shader
    // keyword without '<' and '>' in its pass, a block name over
    // kMaxBlockName characters); `error` then says what and where.
    static bool ParseEffect(const std::string& text, std::vector<TechniqueDesc>& techniques,
                            std::string& error);

    // Builds and links one program from an effect text; shader names are
    // relative to `folder`. Null for a malformed text, a text without a
    // technique, a first technique without a shader, a shader file that
    // cannot be opened, is empty, does not compile or is named for two
    // stages (also by an effect made before), and a program that does not
    // link; `error`, when given, then says what (naming a shader by its
    // path). A shader named twice for one stage is attached once.
    GLSLProgram* CreateEffect(const std::string& text, const std::string& folder, std::string* error = nullptr);

    // The one material program: made around the program of the first name
    // that loads, then returned whatever name is asked for; empty while none
    // has loaded (`error` as for GetEffect). Lives with the other programs of
    // this cache.
    boost::shared_ptr<ApiEffect> GetMaterialProgram(const std::string& name, std::string* error = nullptr);

    // Cached shader of a full path, empty when none compiled under it.
    boost::shared_ptr<GLSLShader> FindShader(const std::string& path) const;
    size_t GetShaderCacheSize() const { return m_shaders.size(); }

protected:
    bool OnSetPath(const std::string& folder) override;
    boost::shared_ptr<ApiEffect> OnCreateEffect(const std::string& path, std::string& error) override;

private:
    // false at the first shader that cannot be had, with the reason in `error`.
    bool CreateShaders(const std::string& folder, const std::vector<std::string>& names, unsigned type,
                       std::vector<boost::shared_ptr<GLSLShader>>& out, std::string& error);

    std::map<std::string, boost::shared_ptr<GLSLShader>> m_shaders;
    boost::shared_ptr<ApiEffect> m_spMaterialProgram;
};

} // namespace Vorm

#endif
