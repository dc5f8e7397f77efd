// One run of a probe program (tests/probes) in a fresh working folder, with
// the files it wrote there, for tests of what a whole process leaves behind.
#ifndef VORM_TESTS_PROBERUN_H
#define VORM_TESTS_PROBERUN_H

#include "ModelTestFiles.h"
#include "TempFolder.h"

#include <cstdlib>
#include <functional>
#include <string>

struct ProbeRun
{
    int status = -1;
    // Its standard output and error, and the tracker's two log files.
    std::string out, err, memoryLog, leakLog;
};

// Runs `program` (a full path) with one argument in a new temporary folder,
// after `prepare` (when given) has put what it needs there.
inline ProbeRun RunProbe(const std::string& program, const std::string& mode,
                         const std::function<void(const TempFolder&)>& prepare = nullptr)
{
    ProbeRun run;
    TempFolder folder;
    if (!folder.Ok()) {
        run.err = "no temporary folder";
        return run;
    }
    if (prepare)
        prepare(folder);
    const std::string command = "cd '" + folder.Dir() + "' && '" + program + "' " + mode + " > out.txt 2> err.txt";
    run.status = std::system(command.c_str());
    run.out = ModelTestFiles::ReadText(folder.Path("out.txt"));
    run.err = ModelTestFiles::ReadText(folder.Path("err.txt"));
    run.memoryLog = ModelTestFiles::ReadText(folder.Path("memory.log"));
    run.leakLog = ModelTestFiles::ReadText(folder.Path("memleaks.log"));
    return run;
}

#endif
