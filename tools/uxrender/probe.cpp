// uxrender_probe: prints a PNG file's size and the straight ARGB colour of the
// given pixels, as the file holds them, for the end-to-end test.
//   uxrender_probe FILE X,Y...   ->  "WxH" then "#AARRGGBB" per pixel
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, argv[1])) {
    std::fprintf(stderr, "%s: %s\n", argv[1], image.message);
    return 1;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], image.message);
    return 1;
  }
  std::printf("%ux%u\n", image.width, image.height);
  for (int i = 2; i < argc; ++i) {
    unsigned x = 0, y = 0;
    if (std::sscanf(argv[i], "%u,%u", &x, &y) != 2 || x >= image.width || y >= image.height) return 2;
    const png_byte* p = &pixels[(size_t(y) * image.width + x) * 4];
    std::printf("#%02X%02X%02X%02X\n", p[3], p[0], p[1], p[2]);
  }
  return 0;
}
