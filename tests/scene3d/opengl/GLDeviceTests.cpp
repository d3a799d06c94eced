#include <gtest/gtest.h>

#include <vector>

#include "scene3d/opengl/GLDevice.h"

namespace {

// Rows top-down, pixel centres on whole coordinates: a screen-space matrix
// that maps (x, y) to the pixel at column x and row y, depth 0.5.
std::vector<float> PixelMatrix(int W, int H) {
  return {2.0f / W, 0, 0, 0, 0, -2.0f / H, 0, 0, 0, 0, 0, 0, -1, 1, 0.5f, 1};
}

std::unique_ptr<TscGLDevice> MakeDevice(int W, int H, int Samples = 0) {
  std::string Error;
  auto Device = TscGLDevice::Create(W, H, Samples, Error);
  if (!Device) ADD_FAILURE() << Error;
  return Device;
}

}  // namespace

TEST(GLDevice, QuadReadsBackPixelForPixel) {
  auto Device = MakeDevice(8, 4);
  if (!Device) return;
  ASSERT_TRUE(Device->BeginFrame(true));
  Device->Clear(0);
  Device->SetProjection(PixelMatrix(8, 4).data());
  std::vector<uint32_t> Picture(8 * 4);
  for (size_t I = 0; I < Picture.size(); ++I) Picture[I] = 0xFF000000u | uint32_t(I * 0x050301u);
  uint32_t Texture = Device->CreateTexture(8, 4);
  ASSERT_NE(Texture, 0u);
  Device->UploadRows(Texture, 8, 0, 4, Picture.data());
  Device->SetTexture(Texture);
  Device->SetTexMode(glTexReplace);
  Device->SetLinearFilter(true);
  Device->SetCull(glCullNone);
  const TscGLVertex V[4] = {{-0.5f, -0.5f, 0, 0, 0, 0, 0xFFFFFFFF, 0, 0},
                            {7.5f, -0.5f, 0, 0, 0, 0, 0xFFFFFFFF, 1, 0},
                            {7.5f, 3.5f, 0, 0, 0, 0, 0xFFFFFFFF, 1, 1},
                            {-0.5f, 3.5f, 0, 0, 0, 0, 0xFFFFFFFF, 0, 1}};
  const uint16_t I[6] = {0, 1, 3, 3, 1, 2};
  ASSERT_TRUE(Device->Draw(glTriangles, V, 4, I, 6));
  std::vector<uint32_t> Out(8 * 4, 0xDEADBEEF);
  ASSERT_TRUE(Device->ReadPixels(Out.data()));
  EXPECT_EQ(Out, Picture);
  Device->DeleteTexture(Texture);
}
