#include "Mp3Encoder.h"

#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace assetgen {

bool Mp3Encoder::encode(const std::string& wavPath, const std::string& mp3Path)
{
    // Spawned directly (no shell): the file names contain spaces.
    // --cbr -b 128: constant bit rate; -q 2: good quality; --noreplaygain: no analysis tag;
    // --silent: no progress output on our console.
    std::vector<std::string> args = {"lame", "--silent", "--cbr", "-b", "128", "-q", "2",
                                     "--noreplaygain", "-m", "j", wavPath, mp3Path};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "lame", nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "vorm_assetgen: cannot run 'lame' (install the Debian package lame)\n");
        return false;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "vorm_assetgen: lame failed on %s\n", wavPath.c_str());
        return false;
    }
    return true;
}

} // namespace assetgen
