// OgreXmlModelLoader: the material file reader.
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

#include "Core/File/File.h"
#include "Core/Math/Vector4.h"
#include "Core/Memory/MemTracker.h"
#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Rendering/IRenderer.h"
#include "Core/Rendering/MaterialEffectFactory.h"
#include "Core/Rendering/ITexture.h"
#include "Core/Rendering/TextureDesc.h"
#include "Core/Util/TSingleton.h"

#include <algorithm>
#include <iostream>

namespace Vorm {

namespace {

// A texture file once per run: the renderer's cache shares it between
// materials. A file that fails to load stays cached and on the material.
boost::shared_ptr<ITexture> GetTexture(const std::string& name)
{
    TextureDesc desc;
    desc.m_bMipmap = 1;
    desc.m_type = 1;
    desc.m_internalFormat = 1;
    return TSingleton<IRenderer>::Instance()->SharedTexture(name, desc);
}

// The line from `next` up to the next line feed (or the end), as getline
// reads it; false once the text is used up.
bool NextLine(const std::string& text, size_t& next, std::string& line)
{
    if (next >= text.size())
        return false;
    size_t end = text.find('\n', next);
    if (end == std::string::npos)
        end = text.size();
    line.assign(text, next, end - next);
    next = end + 1;
    return true;
}

// The line without its comments: "//" to the end of the line, and
// "/* ... */", which may span lines (`inComment` carries it over), as one
// blank between the words beside it.
void StripComments(std::string& line, bool& inComment)
{
    size_t kept = 0;
    for (size_t at = 0; at < line.size();) {
        if (inComment) {
            const size_t end = line.find("*/", at);
            if (end == std::string::npos)
                break;
            inComment = false;
            at = end + 2;
            line[kept++] = ' ';
        } else if (line.compare(at, 2, "//") == 0) {
            break;
        } else if (line.compare(at, 2, "/*") == 0) {
            inComment = true;
            at += 2;
        } else {
            line[kept++] = line[at++];
        }
    }
    line.resize(kept);
}

void ReportLine(const std::string& path, int lineNumber, const char* reason)
{
    std::cout << "Material file " << path << ", line " << lineNumber << ": " << reason
              << "; line skipped" << std::endl;
}

} // namespace

void OgreXmlModelLoader::Split(const std::string& line, std::vector<std::string>& tokens)
{
    static const char* const kBlanks = " \t";
    size_t pos = line.find_first_not_of(kBlanks);
    while (pos != std::string::npos) {
        size_t end = line.find_first_of(kBlanks, pos);
        if (end == std::string::npos)
            end = line.size();
        tokens.push_back(line.substr(pos, end - pos));
        pos = line.find_first_not_of(kBlanks, end);
    }
}

bool OgreXmlModelLoader::LoadMaterialsFromFile(const std::string& path, MaterialMap* materials, std::string* error)
{
    const auto failed = [&path, error](const std::string& reason) {
        if (error)
            *error = path + ": " + reason;
        return false;
    };
    std::string text;
    {
        File file(path);
        if (!file.Open(File::kScriptLimit))
            return failed(file.GetError());
        // Every byte, NULs too: only line feeds cut the text.
        text.resize(static_cast<size_t>(file.GetSize()));
        text.resize(static_cast<size_t>(file.Read(&text[0], file.GetSize())));
    }

    const Vector4<float> zero(0.0f, 0.0f, 0.0f, 0.0f);
    std::string name;
    std::string textureName;
    std::string normalMapName;
    Vector4<float> ambient = zero;
    Vector4<float> diffuse = zero;
    Vector4<float> specular = zero;
    int depth = 0;
    size_t emitted = 0;
    // The table gets the materials only once the file is known to be whole:
    // a block cut short or a brace too many puts lines in the wrong material.
    MaterialMap read;

    std::string line;
    std::vector<std::string> pieces;
    int lineNumber = 0;
    // One statement, the words between line breaks and braces.
    const auto readStatement = [&](const std::string& statement) {
        pieces.clear();
        Split(statement, pieces);

        // Only the first word is a keyword. A piece that is not there, or a
        // colour that does not parse, keeps the running value: the statement
        // counts as absent.
        const std::string keyword = pieces.empty() ? std::string() : pieces[0];
        Vector4<float>* color = 0;
        if (keyword == "material") {
            if (pieces.size() < 2)
                ReportLine(path, lineNumber, "material without a name");
            else
                name = pieces[1];
        } else if (keyword == "ambient") {
            color = &ambient;
        } else if (keyword == "diffuse") {
            color = &diffuse;
        } else if (keyword == "specular") {
            color = &specular;
        } else if (keyword == "texture") {
            if (pieces.size() < 2)
                ReportLine(path, lineNumber, "texture without a file name");
            else
                textureName = pieces[1];
        } else if (keyword == "textureNormal") {
            if (pieces.size() < 2)
                ReportLine(path, lineNumber, "textureNormal without a file name");
            else
                normalMapName = pieces[1];
        }

        if (color) {
            // Three values leave the colour opaque.
            float rgba[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            const size_t values = pieces.size() == 4 ? 3 : 4;
            bool ok = pieces.size() > values;
            for (size_t i = 0; i < values && ok; ++i)
                ok = TryToFloat(pieces[i + 1], rgba[i]);
            if (ok)
                *color = Vector4<float>(rgba[0], rgba[1], rgba[2], rgba[3]);
            else
                ReportLine(path, lineNumber, "colour needs three or four numbers");
        }
    };
    // The material of the outermost block, at its closing brace.
    const auto emitMaterial = [&]() {
        ++emitted;
        boost::shared_ptr<IMaterialEffect> material = MaterialEffectFactory::Create();
        if (!material) {
            ReportLine(path, lineNumber, "no renderer makes material effects");
            return;
        }
        material->SetAmbientColor(ambient);
        material->SetDiffuseColor(diffuse);
        material->SetSpecularColor(specular);
        material->SetShadowReceiver(true);
        material->AddLightIndex(0);
        if (!textureName.empty()) {
            boost::shared_ptr<ITexture> texture = GetTexture(textureName);
            material->SetDiffuseTexture(texture);
            material->SetAmbientTexture(texture);
        }
        if (!normalMapName.empty())
            material->SetNormalMap(GetTexture(normalMapName));
        read.insert(std::make_pair(name, material));

        textureName.clear();
        normalMapName.clear();
        ambient = zero;
        diffuse = zero;
        specular = zero;
    };

    bool inComment = false;
    size_t next = 0;
    // Windows editors begin the text with a byte-order mark.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        next = 3;
    while (NextLine(text, next, line)) {
        ++lineNumber;
        // CR LF files read like LF files.
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);
        StripComments(line, inComment);

        // Braces end statements as line breaks do, "texture_unit { texture
        // a.png }" reading as four lines would; a name ends at a brace.
        for (size_t start = 0;;) {
            const size_t brace = std::min(line.find_first_of("{}", start), line.size());
            readStatement(line.substr(start, brace - start));
            if (brace == line.size())
                break;
            start = brace + 1;
            if (line[brace] == '{') {
                ++depth;
                continue;
            }
            if (depth == 0)
                return failed("line " + std::to_string(lineNumber) + ": '}' closes no block");
            if (--depth == 0)
                emitMaterial();
        }
    }

    if (depth > 0)
        return failed("a block is not closed at the end of the file (cut short?)");
    if (inComment)
        return failed("a /* comment is not closed at the end of the file (cut short?)");
    if (emitted == 0)
        return failed(line.empty() && lineNumber == 0 ? "is empty" : "holds no material");
    materials->insert(read.begin(), read.end());
    return true;
}

} // namespace Vorm
