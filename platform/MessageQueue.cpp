#include "platform/MessageQueue.h"

#include <algorithm>

namespace platform {

int TMessageQueue::Remove(const IWindow* Target, uint32_t Msg) {
  return static_cast<int>(
      std::erase_if(FItems, [&](const TPostedMessage& M) { return M.Target == Target && M.Msg == Msg; }));
}

void TMessageQueue::Forget(const IWindow* Target) {
  std::erase_if(FItems, [&](const TPostedMessage& M) { return M.Target == Target; });
}

bool TMessageQueue::Take(TPostedMessage& Out) {
  if (FItems.empty()) return false;
  Out = FItems.front();
  FItems.pop_front();
  return true;
}

}  // namespace platform
