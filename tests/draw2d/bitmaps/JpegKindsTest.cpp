// Grey and four-ink JPEG files, written with libjpeg itself, which the
// Windows build does not have.

#include <gtest/gtest.h>
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdlib>

#include "BitmapFixtures.h"
#include "draw2d/Bitmap.h"

using namespace fixtures;

namespace {

TEST(BitmapStream, DecodesOtherKindsOfJpegIntoOpaqueRgb) {
  // Grey and four-ink files, written with the library directly.
  struct Case {
    J_COLOR_SPACE Space;
    int Components;
    uint8_t Sample[4];
    uint32_t Expected;
  };
  const Case cases[] = {
      {JCS_GRAYSCALE, 1, {200}, 0xFFC8C8C8},
      // Inverted inks (255 = none) as these files store them: no ink is white,
      // full cyan leaves green and blue.
      {JCS_CMYK, 4, {255, 255, 255, 255}, 0xFFFFFFFF},
      {JCS_CMYK, 4, {0, 255, 255, 255}, 0xFF00FFFF},
      {JCS_CMYK, 4, {255, 255, 255, 0}, 0xFF000000},
  };
  for (const Case& c : cases) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = c.Components;
    info.in_color_space = c.Space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(8 * c.Components));
    for (size_t i = 0; i < row.size(); ++i) row[i] = c.Sample[i % size_t(c.Components)];
    while (info.next_scanline < 8) {
      JSAMPROW r = row.data();
      jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes data(buffer, buffer + size);
    std::free(buffer);

    TuiBitmap b;
    ASSERT_TRUE(b.LoadFromBytes(data)) << c.Space;
    ASSERT_EQ(b.Width(), 8);
    for (uint32_t p : PixelsOf(b))
      for (int shift = 0; shift < 32; shift += 8)
        ASSERT_NEAR(int(p >> shift & 0xFF), int(c.Expected >> shift & 0xFF), 1) << std::hex << p;
  }
}

}  // namespace
