#include "platform/ProcessLimits.h"

#include <algorithm>
#include <climits>
#include <sys/resource.h>

namespace ProcessLimits {

namespace {

// Pipes of a child's output and error, its exit notifier, the output file and
// its folder, and a measuring child beside it, with room to spare.
constexpr rlim_t DescriptorsPerJob = 8;
// What the program, Qt and a window hold besides.
constexpr rlim_t DescriptorsOfOurOwn = 32;

} // namespace

int SideBySideWithinDescriptors()
{
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return INT_MAX;
    if (limit.rlim_cur <= DescriptorsOfOurOwn + DescriptorsPerJob)
        return 1;
    return static_cast<int>(std::min<rlim_t>((limit.rlim_cur - DescriptorsOfOurOwn) / DescriptorsPerJob, INT_MAX));
}

} // namespace ProcessLimits
