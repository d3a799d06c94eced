#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// Posted private messages waiting for the loop, first in first out.
namespace platform {

class IWindow;

struct TPostedMessage {
  IWindow* Target = nullptr;
  uint32_t Msg = 0;
  uint64_t WParam = 0;
  int64_t LParam = 0;
};

class TMessageQueue {
 public:
  void Post(const TPostedMessage& M) { FItems.push_back(M); }
  // Drops the waiting messages Msg of Target; returns how many went.
  int Remove(const IWindow* Target, uint32_t Msg);
  // Drops everything waiting for Target (it is being freed).
  void Forget(const IWindow* Target);
  bool Take(TPostedMessage& Out);
  bool Empty() const { return FItems.empty(); }
  size_t Size() const { return FItems.size(); }

 private:
  std::deque<TPostedMessage> FItems;
};

}  // namespace platform
