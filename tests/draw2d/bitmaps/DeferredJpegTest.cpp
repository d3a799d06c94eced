// The JPEG reader on Linux: the pixels its read-time check keeps for the
// first paint. GDI+, the Windows reader, decodes no JPEG at a reduced size.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "BitmapFixtures.h"
#include "draw2d/Bitmap.h"
#include "draw2d/ImageFilterPngJpeg.h"

using fixtures::PixelsOf;

namespace {

// The quarter-size pixels kept from the check at read time stand in for a
// decode at a quarter, exactly, and only for sizes the decoder would reach
// that way; afterwards the bytes are decoded again as before.
TEST(Bitmap, ADeferredJpegsCheckDecodeServesItsFirstQuarterSizeReduction) {
  const TuiBinary jpeg{fixtures::OpaqueGradient(320, 240)->SaveToBytes()};
  auto decodedAt = [&](int32_t W, int32_t H) {
    TuiBitmap fresh;
    EXPECT_TRUE(TuiFilterPngJpeg().LoadFromBytesAtLeast(jpeg.Bytes, fresh, W, H));
    return std::tuple(fresh.Width(), fresh.Height(), PixelsOf(fresh));
  };
  // 41 x 31 is just past an eighth (40 x 30), 80 x 60 exactly a quarter.
  for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{{41, 30}, {80, 60}, {10, 31}}) {
    TuiBitmap b;
    b.SetPngData(jpeg);
    ASSERT_TRUE(b.IsDeferred());
    for (int round = 0; round < 2; ++round) {
      std::unique_ptr<TuiBitmap> small = b.DecodedAtLeast(w, h);
      ASSERT_NE(small, nullptr);
      EXPECT_EQ(std::tuple(small->Width(), small->Height(), PixelsOf(*small)), decodedAt(w, h))
          << w << "x" << h << " round " << round;
    }
  }
  // Sizes the decoder reaches at an eighth or a half are decoded, not served
  // from the quarter-size copy.
  for (const auto& [w, h] : std::vector<std::pair<int32_t, int32_t>>{{40, 30}, {81, 60}}) {
    TuiBitmap b;
    b.SetPngData(jpeg);
    std::unique_ptr<TuiBitmap> small = b.DecodedAtLeast(w, h);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(std::tuple(small->Width(), small->Height(), PixelsOf(*small)), decodedAt(w, h))
        << w << "x" << h;
  }
}

}  // namespace
