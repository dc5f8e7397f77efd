// vorm_assetgen: writes every binary asset the demos read, from fixed seeds.
// Usage: vorm_assetgen <data-folder> [--force]
#include <cstdio>
#include <cstring>
#include <string>

#include "AssetCatalog.h"

int main(int argc, char** argv)
{
    std::string folder;
    bool force = false;
    bool usageError = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--force") == 0) force = true;
        else if (folder.empty()) folder = argv[i];
        else usageError = true;
    }
    if (folder.empty() || usageError) {
        std::fprintf(stderr, "usage: vorm_assetgen <data-folder> [--force]\n");
        return 2;
    }
    assetgen::AssetCatalog catalog;
    return catalog.run(folder, force) == 0 ? 0 : 1;
}
