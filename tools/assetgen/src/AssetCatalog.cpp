#include "AssetCatalog.h"

#include <cstdio>
#include <filesystem>

#include "CoverageDesign.h"
#include "GrassGenerator.h"
#include "MaterialGenerator.h"
#include "Mp3Encoder.h"
#include "MusicGenerator.h"
#include "PngWriter.h"
#include "SkyGenerator.h"
#include "TerrainGenerator.h"
#include "TerrainField.h"
#include "TgaWriter.h"
#include "WaterRippleGenerator.h"

namespace fs = std::filesystem;

namespace assetgen {

namespace {

std::function<bool(const std::string&)> png(std::function<Image()> make)
{
    return [make](const std::string& p) { return PngWriter::write(make(), p); };
}

std::function<bool(const std::string&)> tga(std::function<Image()> make)
{
    return [make](const std::string& p) { return TgaWriter::write(make(), p); };
}

bool writeMusic(const std::string& mp3Path)
{
    std::string wav = mp3Path + ".tmp.wav";
    bool ok = MusicGenerator::writeWav(MusicGenerator::render(), wav) &&
              Mp3Encoder::encode(wav, mp3Path);
    std::error_code ec;
    fs::remove(wav, ec);
    if (!ok) fs::remove(mp3Path, ec); // never leave half a file that looks finished
    return ok;
}

// A short summary of the designs someone may retune, appended to the "wrote" line.
std::string describe(const std::string& path)
{
    char buf[200] = "";
    if (path == "texture/tCoverage.png") {
        CoverageStats s = CoverageDesign::analyse(CoverageDesign::coverage());
        std::snprintf(buf, sizeof buf,
                      " (red %.1f%%, green %.1f%%, sparse %.1f%%, none %.1f%%; %ld clumps)",
                      100 * s.redFraction, 100 * s.greenFraction, 100 * s.otherFraction,
                      100 * s.noneFraction, s.clumps);
    } else if (path == "texture/tHeight.png") {
        long below = 0, total = 0;
        for (int j = 0; j <= 144; ++j)
            for (int i = 0; i <= 144; ++i, ++total)
                below += TerrainField::height(TerrainField::heightPixelToWorld(i * 7),
                                              TerrainField::heightPixelToWorld(j * 7)) < 0;
        std::snprintf(buf, sizeof buf, " (%.1f%% of the vertices below water)", 100.0 * below / total);
    }
    return buf;
}

} // namespace

AssetCatalog::AssetCatalog()
{
    const int sky = 512;
    for (const char* f : {"px", "py", "pz", "nx", "ny", "nz"}) {
        std::string face = f;
        entries_.push_back({"texture/" + face + "_brightday1.png",
                            png([face, sky] { return SkyGenerator::face(face, sky); })});
    }
    // The bare name holds the face towards the sun (-z), a preview of the sky.
    entries_.push_back({"texture/brightday1.png", png([sky] { return SkyGenerator::face("nz", sky); })});
    entries_.push_back({"texture/WaterRipples.png", png([] { return WaterRippleGenerator::ripples(256); })});
    entries_.push_back({"texture/tHeight.png", png(TerrainGenerator::heightMap)});
    entries_.push_back({"texture/tColor.png", png(TerrainGenerator::colorMap)});
    entries_.push_back({"texture/tCoverage.png", png(CoverageDesign::coverage)});
    entries_.push_back({"texture/grassClumps/clumps.tga", tga(GrassGenerator::clumps)});
    entries_.push_back({"texture/grassClumps/clumpNoise.tga", tga(GrassGenerator::clumpNoise)});
    entries_.push_back({"texture/rock.png", png(MaterialGenerator::rock)});
    entries_.push_back({"texture/bark.png", png(MaterialGenerator::bark)});
    entries_.push_back({"texture/leaves.png", png(MaterialGenerator::leaves)});
    entries_.push_back({"texture/wood.png", png(MaterialGenerator::wood)});
    entries_.push_back({"texture/stone.png", png(MaterialGenerator::stone)});
    entries_.push_back({"texture/ground.png", png(MaterialGenerator::ground)});
    entries_.push_back({"texture/roof.png", png(MaterialGenerator::roof)});
    entries_.push_back({"texture/water_floor.png", png(MaterialGenerator::waterFloor)});
    entries_.push_back({"sound/03 - Marrowfen - Glenhush.mp3", writeMusic});
}

bool AssetCatalog::writeOne(const std::string& dataFolder, const std::string& path) const
{
    for (const auto& e : entries_) {
        if (e.path != path) continue;
        fs::path full = fs::path(dataFolder) / e.path;
        std::error_code ec;
        fs::create_directories(full.parent_path(), ec);
        return e.write(full.string());
    }
    return false;
}

int AssetCatalog::run(const std::string& dataFolder, bool force) const
{
    int failures = 0;
    for (const auto& e : entries_) {
        fs::path full = fs::path(dataFolder) / e.path;
        if (!force && fs::exists(full)) continue;
        if (writeOne(dataFolder, e.path)) {
            std::printf("wrote %s%s\n", full.string().c_str(), describe(e.path).c_str());
        } else {
            std::fprintf(stderr, "vorm_assetgen: failed to write %s\n", full.string().c_str());
            ++failures;
        }
    }
    return failures;
}

} // namespace assetgen
