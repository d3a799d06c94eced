#pragma once

#include <cstdint>
#include <string_view>

// What one read may cost in decoded pictures. A few hundred bytes of image data
// can decode into hundreds of megabytes, so a stream or a whole process holds a
// budget of pixels that every decoder charges before it takes pixel memory.
//
// A budget is open while its object lives, on the thread that made it; budgets
// nest, and a charge counts against every open one. Without an open budget a
// charge costs nothing and only the decoders' own per-picture limits apply.
class TuiReadBudget {
 public:
  // One stream load: some 28 times the pixels of the largest picture the
  // program's windows hold (1094 x 1094), 128 MiB of decoded pixels.
  static constexpr int64_t StreamPixels = int64_t(1) << 25;
  // A whole tool run over untrusted files: 256 MiB of decoded pixels.
  static constexpr int64_t ProcessPixels = int64_t(1) << 26;

  explicit TuiReadBudget(int64_t Pixels);
  ~TuiReadBudget();
  TuiReadBudget(const TuiReadBudget&) = delete;
  TuiReadBudget& operator=(const TuiReadBudget&) = delete;

  int64_t PixelsLeft() const { return FLeft; }

  // Takes Pixels from every open budget, or from none: raises EuxReadError
  // (uxMsgReadBudgetExceeded naming the limit of the first one short) when any
  // of them has fewer left. Negative charges count as nothing.
  static void ChargePixels(int64_t Pixels);

 private:
  int64_t FLimit;
  int64_t FLeft;
  TuiReadBudget* FOuter;
};

inline constexpr std::string_view uxMsgReadBudgetExceeded = "Decoded pictures exceed the limit of %s pixels";
