#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "scene3d/opengl/GLLibrary.h"
#include "scene3d/opengl/OpenGLCanvas.h"

namespace {

// The two triangles of a unit quad around the origin, as a GUI layer draws
// its buffer: texture corners (0, 0) at the top left.
const TscMeshData& UnitQuad() {
  static TscMeshData& Mesh = *new TscMeshData;
  if (!Mesh.Indices.empty()) return Mesh;
  Mesh.Vertices = {{-0.5f, -0.5f, 0, 0, 0, 1, 0, 0},
                   {0.5f, -0.5f, 0, 0, 0, 1, 1, 0},
                   {0.5f, 0.5f, 0, 0, 0, 1, 1, 1},
                   {-0.5f, 0.5f, 0, 0, 0, 1, 0, 1}};
  Mesh.Indices = {0, 1, 3, 3, 1, 2};
  return Mesh;
}

// One frame as a transparent window renders it: the layer's bitmap as a
// textured quad under the screen projection, read back into MemoryBits.
void RenderLayerFrame(TscCanvas& Canvas, TscBitmap& Layer) {
  Canvas.ResetCanvas();
  ASSERT_TRUE(Canvas.BeginScene());
  for (TscRenderState S : {scStateShadeGouraud, scStateCameraProjection, scStateDepthWriteOn,
                           scStateLightingOn, scStateFilterLinear, scStateCullCCW})
    Canvas.SetState(S);
  Canvas.Clear(0);
  Canvas.SetState(scStateDepthWriteOn);
  Canvas.SetState(scStateScreenProjection);
  Canvas.SetState(scStateCullNone);
  TscMaterial Material;
  Material.SetLighting(false);
  Material.SetDiffuse(0xFFFFFFFF);
  Material.SetTexture(&Layer);
  Canvas.Material()->Assign(Material);
  Canvas.SetState(scStateTextureModulate);
  Canvas.SetState(scStateFilterLinear);
  const float W = float(Canvas.Width()), H = float(Canvas.Height());
  Canvas.FillMesh({W / 2, H / 2, 0}, {W, H, 1}, 1, UnitQuad());
  Canvas.EndScene();
  Canvas.Material()->SetTexture(nullptr);
}

class OpenGLCanvas : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TscGLLibrary::Open()) GTEST_SKIP() << "no OpenGL through EGL here: " << TscGLLibrary::LoadError();
  }
};

}  // namespace

TEST_F(OpenGLCanvas, LayerFrameReadsBackPixelForPixel) {
  auto Canvas = std::make_unique<TscOpenGLCanvas>(0, 7, 5, true, scLowQuality);
  ASSERT_TRUE(Canvas->DeviceError().empty()) << Canvas->DeviceError();
  TscBitmap Layer(7, 5);
  for (int I = 0; I < 35; ++I) Layer.Bits()[I] = 0xFF000000u | uint32_t(I * 0x070503);
  RenderLayerFrame(*Canvas, Layer);
  EXPECT_EQ(std::vector<uint32_t>(Canvas->MemoryBits(), Canvas->MemoryBits() + 35),
            std::vector<uint32_t>(Layer.Bits(), Layer.Bits() + 35));
  EXPECT_FALSE(Layer.Modified());

  // A repaint that names its rows uploads just those: a change elsewhere is
  // not seen until the whole bitmap counts as modified again.
  Layer.Bits()[0] = 0xFFFFFFFF;      // row 0, not named
  Layer.Bits()[3 * 7] = 0xFF00FF00;  // row 3, named
  Layer.MarkRowsModified(3, 1);
  RenderLayerFrame(*Canvas, Layer);
  EXPECT_EQ(Canvas->MemoryBits()[3 * 7], 0xFF00FF00u);
  EXPECT_EQ(Canvas->MemoryBits()[0], 0xFF000000u);
  Layer.Clear(0xFF123456);
  RenderLayerFrame(*Canvas, Layer);
  EXPECT_EQ(Canvas->MemoryBits()[0], 0xFF123456u);
  EXPECT_EQ(Canvas->MemoryBits()[34], 0xFF123456u);
}

TEST_F(OpenGLCanvas, QualityChoosesSamples) {
  auto Low = std::make_unique<TscOpenGLCanvas>(0, 4, 4, true, scLowQuality);
  EXPECT_EQ(Low->Samples(), 0);
  Low->SetQuality(scHighQuality);
  EXPECT_EQ(Low->Samples(), 2);
  auto Super = std::make_unique<TscOpenGLCanvas>(0, 4, 4, true, scSuperHighQuality);
  EXPECT_EQ(Super->Samples(), 4);  // llvmpipe and every GPU offer 4
  TscBitmap Target(4, 4);
  auto OnBitmap = std::make_unique<TscOpenGLCanvas>(Target);
  OnBitmap->SetQuality(scSuperHighQuality);
  EXPECT_EQ(OnBitmap->Samples(), 0);
}

// A bitmap canvas leaves its frame in the bitmap and keeps its modified flag.
TEST_F(OpenGLCanvas, BitmapCanvasDrawsIntoItsBitmap) {
  TscBitmap Target(3, 3);
  Target.SetModified(false);
  auto Canvas = std::make_unique<TscOpenGLCanvas>(Target);
  Canvas->ResetCanvas();
  ASSERT_TRUE(Canvas->BeginScene());
  Canvas->Clear(0xFF204080);
  Canvas->EndScene();
  for (int I = 0; I < 9; ++I) EXPECT_EQ(Target.Bits()[I], 0xFF204080u) << I;
  EXPECT_FALSE(Target.Modified());
}

// Without the library the canvas lives without a device: every call is
// accepted, nothing is drawn and nothing fails.
TEST(OpenGLCanvasWithoutLibrary, AcceptsEverythingAndDrawsNothing) {
  const std::string Saved = TscGLLibrary::LibraryName();
  TscGLLibrary::SetLibraryName("libEGL-that-is-not-there.so.1");
  auto Canvas = std::make_unique<TscOpenGLCanvas>(0, 6, 4, true, scHighQuality);
  TscGLLibrary::SetLibraryName(Saved);
  EXPECT_NE(Canvas->DeviceError().find("libEGL-that-is-not-there"), std::string::npos)
      << Canvas->DeviceError();
  TscBitmap Layer(6, 4);
  Layer.Clear(0xFFFFFFFF);
  Canvas->ResetCanvas();
  EXPECT_FALSE(Canvas->BeginScene());
  Canvas->Clear(0xFFFFFFFF);
  Canvas->Material()->SetTexture(&Layer);
  Canvas->FillMesh({3, 2, 0}, {6, 4, 1}, 1, UnitQuad());
  Canvas->FillCube({0, 0, 0}, {1, 1, 1}, 1);
  Canvas->EndScene();
  Canvas->ResizeBuffer(8, 8);
  std::vector<uint32_t> Pixels(64, 0);
  Canvas->CopyToBits(Pixels.data());
  for (int I = 0; I < 64; ++I) {
    EXPECT_EQ(Canvas->MemoryBits()[I], 0u);
    EXPECT_EQ(Pixels[I], 0u);
  }
  Canvas->Material()->SetTexture(nullptr);
}
