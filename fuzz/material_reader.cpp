// Material file reader: any content is either refused whole, with the file
// named in the reason and nothing in the table, or read into at least one
// material; every material carries its textures as the reader sets them.
#include "FuzzSupport.h"

#include "Core/Rendering/IMaterialEffect.h"
#include "Core/Scenegraph/model/OgreXmlModelLoader.h"

using FuzzSupport::Check;

namespace {

// The pieces are the line's words: none empty, none holding a blank or a
// tab, and together the line without its blanks and tabs.
void CheckSplit(const std::string& line)
{
    std::vector<std::string> pieces;
    Vorm::OgreXmlModelLoader::Split(line, pieces);
    std::string joined;
    for (const std::string& piece : pieces) {
        Check(!piece.empty() && piece.find_first_of(" \t") == std::string::npos, "Split gave a blank piece");
        joined += piece;
    }
    std::string words;
    for (char c : line) {
        if (c != ' ' && c != '\t')
            words += c;
    }
    Check(joined == words, "Split lost or added text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        FuzzSupport::SilenceConsole();
        return FuzzSupport::TempDir() + "f.material";
    }();
    FuzzSupport::WriteFile(path, data, size);

    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckSplit(text.substr(0, text.find('\n')));

    FuzzSupport::Renderer renderer;
    Vorm::MaterialMap materials;
    std::string error;
    if (!Vorm::OgreXmlModelLoader::LoadMaterialsFromFile(path, &materials, &error)) {
        Check(error.compare(0, path.size() + 2, path + ": ") == 0, "refusal without the file named");
        Check(materials.empty(), "a refused file left materials");
        return 0;
    }
    Check(!materials.empty(), "a file read without a material");
    for (Vorm::MaterialMap::const_iterator it = materials.begin(); it != materials.end(); ++it) {
        const Vorm::IMaterialEffect* m = it->second.get();
        Check(m != 0, "empty material in the table");
        Check(m->GetDiffuseTexture() == m->GetAmbientTexture(), "one texture serves both slots");
        Check(m->IsShadowReceiver() && m->GetLightIndices().size() == 1, "material set-up");
        const Vorm::ITexture* textures[] = {m->GetDiffuseTexture().get(), m->GetNormalMap().get()};
        for (const Vorm::ITexture* t : textures) {
            const RecordingTexture* tex = dynamic_cast<const RecordingTexture*>(t);
            Check(!t || (tex && !tex->GetFileName().empty() &&
                         renderer.GetResourceMap().Find(tex->GetFileName()).get() == t),
                  "texture not from the cache");
        }
    }
    return 0;
}
