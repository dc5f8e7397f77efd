// CPU time of the whole process, the rasteriser's threads included: for
// benchmarks, less disturbed than wall time when other work shares the
// machine.
#ifndef VORM_TESTS_PROCESSCPUTIME_H
#define VORM_TESTS_PROCESSCPUTIME_H

#include <sys/resource.h>

inline double ProcessCpuMilliseconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return 1e3 * double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-3 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

#endif
