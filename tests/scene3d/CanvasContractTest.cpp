// What every device behind the 3D canvas contract must do, run on each
// device of testing/Devices.h.
#include <gtest/gtest.h>

#include "draw2d/cairo/CairoRegistration.h"
#include "scene3d/SceneObjects.h"
#include "tests/scene3d/testing/Devices.h"
#include "tests/scene3d/testing/Scenes.h"

using namespace scenetest;

namespace {

class CanvasContract : public testing::TestWithParam<TscTestDevice> {
 protected:
  // Glyph atlases are rasterised with the 2D canvas.
  void SetUp() override { RegisterCairoCanvas(); }
  std::unique_ptr<TscCanvas> Make(int W, int H) { return GetParam().MakeWindowCanvas(W, H, true); }
};

uint32_t Pixel(const std::vector<uint32_t>& P, int W, int X, int Y) {
  return P[size_t(Y) * size_t(W) + size_t(X)];
}

void ExpectNear(uint32_t Actual, uint32_t Expected, int Tolerance = 2) {
  for (int s = 0; s < 32; s += 8)
    EXPECT_NEAR(int((Actual >> s) & 0xFF), int((Expected >> s) & 0xFF), Tolerance)
        << std::hex << "actual " << Actual << " expected " << Expected;
}

TEST_P(CanvasContract, ClearedFrameIsReadBackIntoTheMemoryBitmapPixelForPixel) {
  auto c = Make(7, 5);
  ASSERT_TRUE(BeginFrame(*c, 0x80402010));
  c->EndScene();
  ASSERT_NE(c->MemoryBits(), nullptr);
  for (int i = 0; i < 35; ++i) EXPECT_EQ(c->MemoryBits()[i], 0x80402010u) << i;
  EXPECT_EQ(ReadFrame(*c), std::vector<uint32_t>(c->MemoryBits(), c->MemoryBits() + 35));
}

TEST_P(CanvasContract, LayerQuadLandsTexelForTexelWithTheBlendOfItsKind) {
  // Straight texels are weighted by their alpha; premultiplied ones, a GUI
  // layer's buffer, land as they are. Opacity scales alpha, and the colour
  // of premultiplied texels with it.
  TscBitmap tex(4, 3);
  for (int i = 0; i < 12; ++i) tex.Bits()[i] = (uint32_t(40 + 18 * i) << 24) | uint32_t(i * 0x020304);
  tex.Bits()[5] = 0xFFFFFFFF;
  tex.Bits()[6] = 0xEA2B2B2B;  // the HUD's back
  struct TCase {
    bool Premultiplied;
    float Opacity;
  } cases[] = {{false, 1}, {false, 0.5f}, {false, 0.25f}, {true, 1}, {true, 0.5f}, {true, 0.25f}};
  for (const TCase& k : cases) {
    tex.SetPremultiplied(k.Premultiplied);
    auto c = Make(9, 8);
    ASSERT_TRUE(BeginFrame(*c));
    DrawLayer(*c, tex, 3, 2, k.Opacity);
    c->EndScene();
    const std::vector<uint32_t> frame(c->MemoryBits(), c->MemoryBits() + 72);
    const uint32_t va = uint32_t(k.Opacity * 255);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 9; ++x) {
        const bool inside = x >= 3 && x < 7 && y >= 2 && y < 5;
        if (!inside) {
          EXPECT_EQ(Pixel(frame, 9, x, y), 0u) << x << "," << y;
          continue;
        }
        const uint32_t t = tex.Bits()[(y - 2) * 4 + (x - 3)];
        const uint32_t a = (t >> 24) * va / 255;
        uint32_t expected = a << 24;
        for (int s = 0; s < 24; s += 8)
          expected |= (((t >> s) & 0xFF) * (k.Premultiplied ? va : a) / 255) << s;
        ExpectNear(Pixel(frame, 9, x, y), expected, k.Premultiplied && k.Opacity == 1 ? 0 : 2);
      }
  }
}

TEST_P(CanvasContract, AlphaZeroTexelsWriteNeitherColourNorDepth) {
  TscBitmap front(2, 1);
  front.Bits()[0] = 0x00FFFFFF;  // fully transparent
  front.Bits()[1] = 0xFFFFFFFF;
  TscBitmap back(2, 1);
  back.Clear(0xFF0000FF);
  auto c = Make(2, 1);
  ASSERT_TRUE(BeginFrame(*c));
  DrawLayer(*c, front, 0, 0, 1);
  // Same depth: LESS-OR-EQUAL lets the back quad through where nothing was written.
  DrawLayer(*c, back, 0, 0, 1);
  c->EndScene();
  ExpectNear(c->MemoryBits()[0], 0xFF0000FF, 1);
  ExpectNear(c->MemoryBits()[1], 0xFF0000FF, 1);  // over white, alpha 1: blue replaces

  // With the depth test on, a farther quad loses only where the near one wrote.
  auto d = Make(2, 1);
  ASSERT_TRUE(BeginFrame(*d));
  d->SetState(scStateDepthTestOn);
  DrawLayer(*d, front, 0, 0, 1);
  d->SetState(scStateScreenProjection);
  TscMaterial m;
  m.SetLighting(false);
  m.SetDiffuse(0xFF00FF00);
  d->Material()->Assign(m);
  d->SetMatrix(scTranslationMatrix(1, 0.5f, 0));
  d->SetState(scStateCullNone);
  d->FillCube({0, 0, 0.05f, 1}, {40, 40, 0.01f, 1}, 1);  // just behind z = 0
  d->EndScene();
  ExpectNear(d->MemoryBits()[0], 0xFF00FF00, 1);
  ExpectNear(d->MemoryBits()[1], 0xFFFFFFFF, 1);
}

TEST_P(CanvasContract, MeshesBeyondTheVertexLimitAreNotDrawn) {
  for (const int count : {65535, 65536}) {
    auto c = Make(4, 4);
    ASSERT_TRUE(BeginFrame(*c));
    c->SetState(scStateScreenProjection);
    c->SetState(scStateCullNone);
    TscMaterial m;
    m.SetLighting(false);
    m.SetDiffuse(0xFFFF0000);
    c->Material()->Assign(m);
    TscMeshData mesh;
    mesh.Assign(UnitQuad());
    mesh.Vertices.resize(size_t(count), mesh.Vertices[0]);
    c->FillMesh({2, 2, 0, 1}, {4, 4, 1, 1}, 1, mesh);
    c->EndScene();
    EXPECT_EQ(c->MemoryBits()[5], count <= 65535 ? 0xFFFF0000u : 0u) << count;
  }
}

TEST_P(CanvasContract, BlendModesAddOrMix) {
  struct TCase {
    TscRenderState Blend;
    uint32_t Expected;
  } cases[] = {
      // 0x80 red over opaque 0x404040: colour weighted by 128/255 either way.
      {scStateBlendAlpha, 0xFF9F2020},
      {scStateBlendAdditive, 0xFFC04040},
  };
  for (const TCase& k : cases) {
    auto c = Make(3, 3);
    ASSERT_TRUE(BeginFrame(*c, 0xFF404040));
    c->SetState(k.Blend);
    c->SetState(scStateScreenProjection);
    c->SetState(scStateCullNone);
    TscMaterial m;
    m.SetLighting(false);
    m.SetDiffuse(0x80FF0000);
    c->Material()->Assign(m);
    c->FillMesh({1.5f, 1.5f, 0, 1}, {3, 3, 1, 1}, 1, UnitQuad());
    c->EndScene();
    ExpectNear(c->MemoryBits()[4], k.Expected);
  }
}

TEST_P(CanvasContract, WireframeDrawsEdgesOnly) {
  auto c = Make(11, 11);
  ASSERT_TRUE(BeginFrame(*c));
  c->SetState(scStateScreenProjection);
  c->SetState(scStateCullNone);
  TscMaterial m;
  m.SetLighting(false);
  m.SetDiffuse(0xFFFFFFFF);
  m.SetFillMode(scWireframe);
  c->Material()->Assign(m);
  c->FillMesh({5.5f, 5.5f, 0, 1}, {9, 9, 1, 1}, 1, UnitQuad());
  c->EndScene();
  const std::vector<uint32_t> f = ReadFrame(*c);
  EXPECT_EQ(Pixel(f, 11, 1, 5), 0xFFFFFFFFu);  // left edge
  EXPECT_EQ(Pixel(f, 11, 3, 2), 0u);           // inside, off the diagonal
}

TEST_P(CanvasContract, LitCubeFacingTheLightIsBrighterThanAmbient) {
  auto c = Make(40, 40);
  TscCamera camera(nullptr);
  camera.Position()->SetPoint({0, -6, 0, 1});
  TscLight light(nullptr);
  // Unturned, the light shines along +Y, onto the face the camera sees.
  c->ResetCanvas();
  c->SetLighting(true);
  c->SetAmbient(0xFF202020);
  c->SetCamera(&camera);
  c->AddLight(&light);
  ASSERT_TRUE(c->BeginScene());
  c->SetState(scStateCameraProjection);
  c->SetState(scStateCullNone);
  c->Clear(0);
  TscMaterial m;
  m.SetDiffuse(0xFFFFFFFF);
  m.SetAmbient(0xFFFFFFFF);
  c->Material()->Assign(m);
  c->SetMatrix(TscMatrix());
  c->FillCube({0, 0, 0, 1}, {2, 2, 2, 1}, 1);
  c->EndScene();
  const uint32_t centre = c->MemoryBits()[20 * 40 + 20];
  EXPECT_EQ(centre >> 24, 0xFFu);
  EXPECT_GT(centre & 0xFF, 0x20u + 0x69u);  // more than the ambient terms
  EXPECT_EQ(c->MemoryBits()[0], 0u);
}

TEST_P(CanvasContract, BitmapCanvasEndsTheFrameInItsBitmap) {
  TscBitmap target(3, 2);
  auto c = GetParam().MakeBitmapCanvas(target);
  ASSERT_TRUE(BeginFrame(*c, 0xFF123456));
  c->EndScene();
  EXPECT_EQ(c->MemoryBits(), nullptr);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(target.Bits()[i], 0xFF123456u);
}

TEST_P(CanvasContract, TexturesFollowTheirBitmapsLifetime) {
  auto c = Make(2, 2);
  auto tex = std::make_unique<TscBitmap>(2, 2);
  ASSERT_TRUE(BeginFrame(*c));
  DrawLayer(*c, *tex, 0, 0, 1);
  EXPECT_EQ(c->TextureCount(), 1);
  EXPECT_FALSE(tex->Modified());
  tex->SetSize(3, 3);
  EXPECT_EQ(c->TextureCount(), 0);
  DrawLayer(*c, *tex, 0, 0, 1);
  tex.reset();
  EXPECT_EQ(c->TextureCount(), 0);
  c->EndScene();
}

TEST_P(CanvasContract, TextIsMeasuredAndDrawnInsideItsMeasure) {
  auto c = Make(120, 40);
  ASSERT_TRUE(BeginFrame(*c));
  DrawText(*c, "", 0, 0);
  c->Font()->SetFamily("DejaVu Sans");
  c->Font()->SetSize(14);
  const TscVector empty = c->MeasureText("");
  EXPECT_EQ(empty.X, 0);
  EXPECT_EQ(empty.Y, 0);
  const TscVector size = c->MeasureText("Hi 42");
  EXPECT_GT(size.X, 20);
  EXPECT_LT(size.X, 80);
  EXPECT_GT(size.Y, 10);
  EXPECT_LT(size.Y, 30);
  // A longer text measures wider; characters below 32 take no room.
  EXPECT_GT(c->MeasureText("Hi 42 Hi").X, size.X);
  EXPECT_EQ(c->MeasureText("Hi\t42").X, c->MeasureText("Hi42").X);

  DrawText(*c, "Hi 42", 10, 8);
  c->EndScene();
  const std::vector<uint32_t> frame = ReadFrame(*c);
  int inside = 0, outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool in = x >= 9 && x <= 10 + int(size.X) + 1 && y >= 7 && y <= 8 + int(size.Y) + 1;
      const uint32_t p = Pixel(frame, 120, x, y);
      if (p >> 24) (in ? inside : outside)++;
      // White glyphs: colour never exceeds coverage.
      EXPECT_LE(p & 0xFF, p >> 24);
    }
  EXPECT_GT(inside, 30);
  EXPECT_EQ(outside, 0);
}

INSTANTIATE_TEST_SUITE_P(Devices, CanvasContract, testing::ValuesIn(TestDevices()), DeviceName);

// ---- the same scenes on every device ----

TEST(CanvasCrossCheck, DevicesAgreeOnTheSameScenes) {
  const std::vector<TscTestDevice> devices = TestDevices();
  if (devices.size() < 2) GTEST_SKIP() << "only one device on this machine";
  TscBitmap tex(16, 12);
  for (int i = 0; i < 16 * 12; ++i) tex.Bits()[i] = uint32_t((i * 37) & 0xFF) << 24 | uint32_t(i * 0x010203);
  std::vector<std::function<void(TscCanvas&)>> scenes = {
      [&](TscCanvas& C) { DrawLayer(C, tex, 5, 4, 1); },
      [&](TscCanvas& C) { DrawLayer(C, tex, 5, 4, 0.5f); },
      [&](TscCanvas& C) { DrawLayer(C, tex, 5, 4, 0.2f, 0xFF80C0FF); },
      [&](TscCanvas& C) {
        tex.SetPremultiplied(true);
        DrawLayer(C, tex, 5, 4, 0.5f, 0xFF80C0FF);
        tex.SetPremultiplied(false);
      },
      [&](TscCanvas& C) { DrawText(C, "Ag 7", 3, 2); },
  };
  RegisterCairoCanvas();
  for (size_t s = 0; s < scenes.size(); ++s) {
    std::vector<uint32_t> reference;
    for (const TscTestDevice& d : devices) {
      auto c = d.MakeWindowCanvas(32, 24, true);
      ASSERT_TRUE(BeginFrame(*c));
      scenes[s](*c);
      c->EndScene();
      std::vector<uint32_t> frame = ReadFrame(*c);
      if (reference.empty())
        reference = frame;
      else
        EXPECT_LE(MaxDifference(reference, frame), 3) << "scene " << s << " on " << d.Name;
    }
  }
}

}  // namespace
