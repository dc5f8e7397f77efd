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
    size_t next = 0;
    while (NextLine(text, next, line)) {
        ++lineNumber;
        // CR LF files read like LF files.
        if (!line.empty() && line[line.size() - 1] == '\r')
            line.erase(line.size() - 1);
        pieces.clear();
        Split(line, pieces);

        // Only the first word is a keyword. A piece that is not there, or a
        // colour that does not parse, keeps the running value: the line
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

        // Every brace of the line counts, after its keyword: "pass {}" opens
        // and closes, "material A {" names and opens.
        for (size_t c = 0; c < line.size(); ++c) {
            if (line[c] == '{') {
                ++depth;
                continue;
            }
            if (line[c] != '}')
                continue;
            if (depth == 0)
                return failed("line " + std::to_string(lineNumber) + ": '}' closes no block");
            if (--depth != 0)
                continue;
            ++emitted;
            boost::shared_ptr<IMaterialEffect> material = MaterialEffectFactory::Create();
            if (!material) {
                ReportLine(path, lineNumber, "no renderer makes material effects");
                continue;
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
        }
    }

    if (depth > 0)
        return failed("a block is not closed at the end of the file (cut short?)");
    if (emitted == 0)
        return failed(line.empty() && lineNumber == 0 ? "is empty" : "holds no material");
    materials->insert(read.begin(), read.end());
    return true;
}

} // namespace Vorm
