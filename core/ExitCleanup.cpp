#include "core/ExitCleanup.h"

#include "platform/OwnTempFolder.h"

namespace ExitCleanup {

void RemoveProbeFiles()
{
    OwnTempFolder::Remove();
}

} // namespace ExitCleanup
