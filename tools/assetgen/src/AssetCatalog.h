// AssetCatalog: the list of every generated asset and how to write each one.
// Writes the missing files (or all of them) into a data folder and reports each file written.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

struct AssetEntry {
    std::string path; // relative to the data folder
    std::function<bool(const std::string& fullPath)> write;
};

class AssetCatalog {
public:
    AssetCatalog();
    const std::vector<AssetEntry>& entries() const { return entries_; }
    // Returns the number of failures; prints one line per file written.
    int run(const std::string& dataFolder, bool force) const;
    // Writes one asset by its relative path; false if unknown or failed.
    bool writeOne(const std::string& dataFolder, const std::string& path) const;

private:
    std::vector<AssetEntry> entries_;
};

} // namespace assetgen
