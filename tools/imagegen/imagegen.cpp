// imagegen SOURCE_ROOT: rewrites the generated pictures under SOURCE_ROOT.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/common/ToolFiles.h"
#include "tools/imagegen/GeneratedImages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: imagegen SOURCE_ROOT\n");
    return 2;
  }
  const std::string root = argv[1];
  try {
    for (const TuiGeneratedImage& image : uxGeneratedImages()) {
      const std::vector<uint8_t> data = uxEncodeGeneratedImage(image);
      const std::string path = root + "/" + std::string(image.Path);
      if (data.empty()) {
        std::fprintf(stderr, "imagegen: %s: the encoder failed\n", path.c_str());
        return 1;
      }
      uxWriteToolOutput(path, std::string(data.begin(), data.end()));
      std::printf("%s: %zu bytes\n", path.c_str(), data.size());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "imagegen: %s\n", e.what());
    return 1;
  }
  return 0;
}
