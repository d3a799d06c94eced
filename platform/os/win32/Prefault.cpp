#include "platform/Prefault.h"

namespace platform {

// Windows has no call that fills in the pages of private heap memory ahead of
// use (PrefetchVirtualMemory only reads mapped files in), so the buffer takes
// its page faults as it is first written.
void PrefaultForWriting(void*, size_t) {}

}  // namespace platform
