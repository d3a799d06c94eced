// The rules of the canvas contract that need no device.
#include <gtest/gtest.h>

#include "scene3d/SceneObjects.h"
#include "scene3d/software/SoftwareCanvas.h"
#include "tests/scene3d/testing/ProbeCanvas.h"
#include "tests/scene3d/testing/Scenes.h"

namespace {

TEST(CanvasStates, OnlyChangesReachTheDeviceAndExclusionsClearTheirPartners) {
  TProbeCanvas c(10, 10);
  c.SetState(scStateDepthWriteOn);
  c.SetState(scStateDepthWriteOn);
  EXPECT_EQ(c.Applied, std::vector<TscRenderState>{scStateDepthWriteOn});
  c.ResetCanvas();
  c.SetState(scStateDepthWriteOn);
  EXPECT_EQ(c.Applied.size(), 2u);

  c.SetState(scStateCullCCW);
  c.SetState(scStateCullNone);
  c.SetState(scStateCullCW);
  EXPECT_TRUE(c.StateSet(scStateCullCW));
  EXPECT_FALSE(c.StateSet(scStateCullCCW));
  EXPECT_FALSE(c.StateSet(scStateCullNone));
  c.SetState(scStateDepthWriteOff);
  EXPECT_FALSE(c.StateSet(scStateDepthWriteOn));
}

TEST(CanvasProjections, ScreenProjectionIsPixelExact) {
  TProbeCanvas c(299, 295);
  const TscMatrix s = c.GetScreenMatrix();
  const TscVector tl = scTransformPoint({0, 0, 0, 1}, s), br = scTransformPoint({299, 295, 0, 1}, s);
  EXPECT_NEAR(tl.X, -1, 1e-5);
  EXPECT_NEAR(tl.Y, 1, 1e-5);
  EXPECT_NEAR(br.X, 1, 1e-5);
  EXPECT_NEAR(br.Y, -1, 1e-5);
  EXPECT_NEAR(tl.Z, 0.5005, 1e-4);
  EXPECT_NEAR(br.Z, 0.5005, 1e-4);

  TscVector pos, dir;
  c.GetPickRay(scProjectionScreen, 10, 20, pos, dir);
  EXPECT_NEAR(pos.X, 149.5, 1e-2);
  EXPECT_NEAR(pos.Y, 147.5, 1e-2);
  EXPECT_NEAR(pos.Z, -550.48, 0.05);
  // The ray passes through (10, 20, 0).
  const float t = -pos.Z / dir.Z;
  EXPECT_NEAR(pos.X + t * dir.X, 10, 1e-2);
  EXPECT_NEAR(pos.Y + t * dir.Y, 20, 1e-2);
}

TEST(CanvasProjections, CameraLooksAlongItsLocalYAndPicksThroughTheCentre) {
  TProbeCanvas c(200, 100);
  TscCamera camera(nullptr);
  camera.Position()->SetPoint({0, -20, 0, 1});
  c.SetCamera(&camera);
  TscVector pos, dir;
  c.GetPickRay(scProjectionCamera, 100, 50, pos, dir);
  EXPECT_NEAR(pos.Y, -20, 1e-4);
  EXPECT_NEAR(dir.X, 0, 1e-5);
  EXPECT_NEAR(dir.Y, 1, 1e-5);
  EXPECT_NEAR(dir.Z, 0, 1e-5);
  // +Z is up: a point above the centre of the window lies at positive Z.
  c.GetPickRay(scProjectionCamera, 100, 10, pos, dir);
  EXPECT_GT(dir.Z, 0);
}

TEST(CanvasDraws, VertexColoursCarryTheOpacityAndScreenMeshesSnapToPixels) {
  TProbeCanvas c(299, 295);
  c.SetState(scStateScreenProjection);
  TscMaterial m;
  m.SetDiffuse(0xFF707070);
  c.Material()->Assign(m);
  c.FillMesh({0.5f, 0, 0, 1}, {299, 10, 1, 1}, 0.5f, scenetest::UnitQuad());
  ASSERT_EQ(c.LastVertices.size(), 4u);
  EXPECT_EQ(c.LastVertices[0].Color, 0x7F707070u);
  EXPECT_EQ(c.LastVertices[0].X, -149.5f);
  EXPECT_EQ(c.LastVertices[1].X, 149.5f);

  // Under the camera projection nothing is snapped.
  c.SetState(scStateCameraProjection);
  c.FillMesh({0.25f, 0, 0, 1}, {3, 1, 1, 1}, 1, scenetest::UnitQuad());
  EXPECT_EQ(c.LastVertices[0].X, -1.25f);
  EXPECT_EQ(c.LastVertices[0].Color, 0xFF707070u);
}

TEST(CanvasDraws, ACanvasWithoutDeviceAcceptsEverythingAndDrawsNothing) {
  TProbeCanvas c(20, 10, false);
  c.ResetCanvas();
  EXPECT_FALSE(c.BeginScene());
  c.SetState(scStateScreenProjection);
  c.Clear(0xFFFFFFFF);
  c.FillCube({0, 0, 0, 1}, {1, 1, 1, 1}, 1);
  c.FillMesh({0, 0, 0, 1}, {1, 1, 1, 1}, 1, scenetest::UnitQuad());
  c.EndScene();
  c.ResizeBuffer(30, 10);
  EXPECT_EQ(c.Draws, 0);
  EXPECT_TRUE(c.Applied.empty());
  for (int i = 0; i < 300; ++i) ASSERT_EQ(c.MemoryBits()[i], 0u);
}

TEST(CanvasMaterial, BitmapRectBecomesTheTextureTransformAndTilingIsClamped) {
  TProbeCanvas c(10, 10);
  TscBitmap bitmap(64, 64);
  TscMaterial m;
  m.SetTexture(&bitmap);
  m.BitmapRect()->SetRect(16, 16, 48, 48);
  c.Material()->Assign(m);
  const TscTextureTransform& t = c.TextureTransform();
  EXPECT_TRUE(t.Enabled);
  EXPECT_FLOAT_EQ(t.M11, 0.5f);
  EXPECT_FLOAT_EQ(t.M22, 0.5f);
  EXPECT_FLOAT_EQ(t.M31, 0.25f);
  EXPECT_FLOAT_EQ(t.M32, 0.25f);
  EXPECT_TRUE(c.StateSet(scStateTextureModulate));

  // An empty rectangle leaves the tiling in charge.
  m.BitmapRect()->SetRect(0, 0, 0, 0);
  m.SetBitmapTileX(20);
  EXPECT_EQ(m.BitmapTileX(), 10);
  m.SetBitmapTileY(0);
  EXPECT_EQ(m.BitmapTileY(), 0.01f);
  c.Material()->Assign(m);
  EXPECT_FLOAT_EQ(c.TextureTransform().M11, 10);
  EXPECT_FLOAT_EQ(c.TextureTransform().M31, 0);
  c.Material()->SetTexture(nullptr);
}

TEST(CanvasMemoryBitmap, AbsurdSizesAreRefusedWithTheSystemsMessage) {
  try {
    TProbeCanvas c(100000, 10);
    FAIL() << "made";
  } catch (const EuxError& e) {
    EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
  }
  TProbeCanvas c(10, 10);
  EXPECT_THROW(c.ResizeBuffer(10, 1 << 20), EuxError);
}

TEST(SoftwareCanvas, TheLayerQuadTakesTheStraightBlendAndMatchesTheGeneralPath) {
  TscBitmap tex(13, 9);
  for (int i = 0; i < 13 * 9; ++i) tex.Bits()[i] = uint32_t((i * 29) & 0xFF) << 24 | uint32_t(i * 0x030507);
  tex.Bits()[7] = 0x00FFFFFF;
  for (const bool nearest : {false, true}) {
    std::vector<uint32_t> frames[2];
    for (const bool straight : {true, false}) {
      TscSoftwareCanvas c(0, 20, 16, true, scLowQuality);
      c.SetStraightBlendEnabled(straight);
      ASSERT_TRUE(scenetest::BeginFrame(c, 0x40102030));
      if (nearest) c.SetState(scStateFilterNearest);
      scenetest::DrawLayer(c, tex, 3, 4, 0.6f, 0xFFA0B0C0);
      if (nearest) c.SetState(scStateFilterNearest);  // the layer asked for linear
      c.EndScene();
      EXPECT_EQ(c.FastDraws(), straight ? 1 : 0);
      frames[straight] = scenetest::ReadFrame(c);
    }
    EXPECT_EQ(frames[0], frames[1]) << "nearest " << nearest;
  }
}

}  // namespace
