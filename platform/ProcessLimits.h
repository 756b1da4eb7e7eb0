#pragma once

// What the system lets this program run at once.
namespace ProcessLimits {

// How many files may be converted or measured side by side before the
// program's own descriptors run out: each takes a few (pipes, the output
// file), and some stay for the program itself.
int SideBySideWithinDescriptors();

} // namespace ProcessLimits
