#include "platform/Prefault.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform {

void PrefaultForWriting(void* Data, size_t Bytes) {
#ifdef MADV_POPULATE_WRITE
  constexpr size_t Page = 4096;
  if (!Data || Bytes < 16 * Page) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(Data) + Page - 1) & ~uintptr_t(Page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(Data) + Bytes) & ~uintptr_t(Page - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
  (void)Data;
  (void)Bytes;
#endif
}

}  // namespace platform
