#pragma once

#include <cstddef>

namespace platform {

// Makes the whole pages inside [Data, Data + Bytes) present and writable in
// one call. A large buffer about to be written whole otherwise takes a page
// fault for every page it touches, each far dearer than the kernel filling
// them in one go. Small buffers and systems without such a call are left as
// they are: the faults still come, only later.
void PrefaultForWriting(void* Data, size_t Bytes);

}  // namespace platform
