#include <gtest/gtest.h>

#include <vector>

#include "scene3d/opengl/GLDevice.h"
#include "scene3d/opengl/GLLibrary.h"

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

// Runs where EGL loads; a machine without it skips, saying so.
class GLDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TscGLLibrary::Open()) GTEST_SKIP() << "no OpenGL through EGL here: " << TscGLLibrary::LoadError();
  }
};

}  // namespace

TEST_F(GLDevice, QuadReadsBackPixelForPixel) {
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

namespace {

// A quad over pixels [X0, X1) x [Y0, Y1) in one colour, texture corners 0 ... 1.
void DrawRect(TscGLDevice& D, float X0, float Y0, float X1, float Y1, uint32_t Color) {
  const TscGLVertex V[4] = {{X0 - 0.5f, Y0 - 0.5f, 0, 0, 0, 0, Color, 0, 0},
                            {X1 - 0.5f, Y0 - 0.5f, 0, 0, 0, 0, Color, 1, 0},
                            {X1 - 0.5f, Y1 - 0.5f, 0, 0, 0, 0, Color, 1, 1},
                            {X0 - 0.5f, Y1 - 0.5f, 0, 0, 0, 0, Color, 0, 1}};
  const uint16_t I[6] = {0, 1, 3, 3, 1, 2};
  EXPECT_TRUE(D.Draw(glTriangles, V, 4, I, 6));
}

std::unique_ptr<TscGLDevice> FrameDevice(int W, int H, int Samples = 0) {
  auto D = MakeDevice(W, H, Samples);
  if (!D || !D->BeginFrame(true)) return nullptr;
  D->Clear(0);
  D->SetProjection(PixelMatrix(W, H).data());
  D->SetCull(glCullNone);
  return D;
}

}  // namespace

// Each ring advances by each draw and starts over, orphaned, when a draw
// would run past its end; what is drawn after the wrap is still right.
TEST_F(GLDevice, RingsWrapWithoutLosingDraws) {
  auto D = FrameDevice(4, 4);
  if (!D) return;
  DrawRect(*D, 0, 0, 1, 1, 0xFF0000FF);
  EXPECT_EQ(D->VertexPosition(), 4u);
  EXPECT_EQ(D->IndexPosition(), 6u);
  std::vector<TscGLVertex> Many(TscGLDevice::MaxVertices - 5, TscGLVertex{-9, -9, 0, 0, 0, 0, 0, 0, 0});
  std::vector<uint16_t> Indices(3, 0);
  ASSERT_TRUE(D->Draw(glTriangles, Many.data(), uint32_t(Many.size()), Indices.data(), 3));
  EXPECT_EQ(D->VertexPosition(), TscGLDevice::MaxVertices - 1);
  DrawRect(*D, 3, 3, 4, 4, 0xFF00FF00);  // 4 more do not fit: wrap
  EXPECT_EQ(D->VertexPosition(), 4u);
  EXPECT_EQ(D->IndexPosition(), 15u);  // the index ring had room
  std::vector<uint32_t> Too(TscGLDevice::MaxVertices + 1);
  EXPECT_FALSE(D->Draw(glTriangles, Too.data(), uint32_t(Too.size()), Indices.data(), 3));
  std::vector<uint32_t> Out(16);
  ASSERT_TRUE(D->ReadPixels(Out.data()));
  EXPECT_EQ(Out[0], 0xFF0000FFu);
  EXPECT_EQ(Out[15], 0xFF00FF00u);
  EXPECT_EQ(Out[5], 0u);
}

// Only the rows named are uploaded: a change outside them stays unseen.
TEST_F(GLDevice, UploadsOnlyTheRowsGiven) {
  auto D = FrameDevice(2, 4);
  if (!D) return;
  std::vector<uint32_t> Picture(8, 0xFF101010);
  uint32_t Texture = D->CreateTexture(2, 4);
  D->UploadRows(Texture, 2, 0, 4, Picture.data());
  for (auto& P : Picture) P = 0xFF808080;
  D->UploadRows(Texture, 2, 1, 2, Picture.data());
  D->SetTexture(Texture);
  D->SetTexMode(glTexReplace);
  D->SetLinearFilter(false);
  DrawRect(*D, 0, 0, 2, 4, 0xFFFFFFFF);
  std::vector<uint32_t> Out(8);
  ASSERT_TRUE(D->ReadPixels(Out.data()));
  EXPECT_EQ(Out, (std::vector<uint32_t>{0xFF101010, 0xFF101010, 0xFF808080, 0xFF808080, 0xFF808080,
                                        0xFF808080, 0xFF101010, 0xFF101010}));
  D->DeleteTexture(Texture);
}

// Colours blend by their alpha while alpha itself blends ONE / INVSRCALPHA,
// so a half-transparent draw over a transparent frame reads back
// premultiplied; the additive blend adds.
TEST_F(GLDevice, TransparentFrameReadsBackPremultiplied) {
  auto D = FrameDevice(2, 1);
  if (!D) return;
  DrawRect(*D, 0, 0, 1, 1, 0x80FF0000);
  D->SetAdditiveBlend(true);
  DrawRect(*D, 1, 0, 2, 1, 0x80FF0000);
  DrawRect(*D, 1, 0, 2, 1, 0x80FF0000);
  std::vector<uint32_t> Out(2);
  ASSERT_TRUE(D->ReadPixels(Out.data()));
  EXPECT_NEAR(int(Out[0] >> 24), 0x80, 1);
  EXPECT_NEAR(int((Out[0] >> 16) & 0xFF), 0x80, 1);
  EXPECT_NEAR(int((Out[1] >> 16) & 0xFF), 0xFF, 1);  // 0x80 + 0x80, saturated
}

// Multisampling softens a diagonal edge; without it every pixel is in or out.
TEST_F(GLDevice, MultisamplingResolvesEdges) {
  for (int Samples : {0, 4}) {
    auto D = FrameDevice(8, 8, Samples);
    if (!D) return;
    if (Samples > D->MaxSamples()) GTEST_SKIP() << "the driver offers " << D->MaxSamples() << " samples";
    EXPECT_EQ(D->Samples(), Samples);
    const TscGLVertex V[3] = {{-0.5f, -0.5f, 0, 0, 0, 0, 0xFFFFFFFF, 0, 0},
                              {7.5f, -0.5f, 0, 0, 0, 0, 0xFFFFFFFF, 0, 0},
                              {-0.5f, 7.5f, 0, 0, 0, 0, 0xFFFFFFFF, 0, 0}};
    const uint16_t I[3] = {0, 1, 2};
    ASSERT_TRUE(D->Draw(glTriangles, V, 3, I, 3));
    std::vector<uint32_t> Out(64);
    ASSERT_TRUE(D->ReadPixels(Out.data()));
    int Partial = 0;
    for (uint32_t P : Out) Partial += (P >> 24) != 0 && (P >> 24) != 0xFF;
    EXPECT_EQ(Partial > 0, Samples > 0) << Partial << " partly covered pixels with " << Samples << " samples";
  }
}
