// Runs a fuzz target over saved inputs, so the corpus is replayed by the
// ordinary test build without libFuzzer. Arguments: files or folders.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool ReadFile(const std::string& path, std::vector<uint8_t>& out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out.clear();
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return true;
}

int RunPath(const std::string& path, int& count)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return 1;
    }
    if (S_ISDIR(st.st_mode)) {
        DIR* dir = opendir(path.c_str());
        if (!dir)
            return 1;
        int failures = 0;
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            failures += RunPath(path + "/" + name, count);
        }
        closedir(dir);
        return failures;
    }
    std::vector<uint8_t> data;
    if (!ReadFile(path, data)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    LLVMFuzzerTestOneInput(data.data(), data.size());
    ++count;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int count = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i)
        failures += RunPath(argv[i], count);
    std::printf("replayed %d inputs\n", count);
    return failures == 0 && count > 0 ? 0 : 1;
}
