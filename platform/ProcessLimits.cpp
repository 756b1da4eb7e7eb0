#include "platform/ProcessLimits.h"

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <sys/resource.h>

namespace ProcessLimits {

namespace {

// Pipes of a child's output and error, its exit notifier, the output file and
// its folder, and a measuring child beside it, with room to spare.
constexpr rlim_t DescriptorsPerJob = 8;
// What the program, Qt and a window hold besides.
constexpr rlim_t DescriptorsOfOurOwn = 32;

// Descriptors open now beyond standard input, output and error: those a
// parent left open for us take from the same limit.
rlim_t Inherited()
{
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return 0;
    rlim_t open = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.')
            ++open;
    }
    ::closedir(folder);
    // The listing's own descriptor and the three standard ones.
    return open > 4 ? open - 4 : 0;
}

} // namespace

int SideBySideWithinDescriptors()
{
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return INT_MAX;
    const rlim_t reserved = DescriptorsOfOurOwn + Inherited();
    if (limit.rlim_cur <= reserved + DescriptorsPerJob)
        return 1;
    return static_cast<int>(std::min<rlim_t>((limit.rlim_cur - reserved) / DescriptorsPerJob, INT_MAX));
}

} // namespace ProcessLimits
