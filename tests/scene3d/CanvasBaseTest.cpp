// The rules of the canvas contract that need no device.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "scene3d/SceneObjects.h"
#include "scene3d/software/SoftwareBlend.h"
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
  for (const bool premultiplied : {false, true})
    for (const bool nearest : {false, true}) {
      tex.SetPremultiplied(premultiplied);
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
      EXPECT_EQ(frames[0], frames[1]) << "nearest " << nearest << ", premultiplied " << premultiplied;
    }
}

}  // namespace

namespace {
uint32_t NextWord(uint32_t& Seed) {
  Seed = Seed * 1664525u + 1013904223u;
  return Seed;
}
}  // namespace

// The row kernels against the per-pixel formula, at every width the vector
// loops and their tails meet, for each kind of texel, destination and
// modulation. A premultiplied texel is modulated by the vertex colour
// premultiplied, and one of alpha 0 leaves the destination alone whatever
// its colour bits.
TEST(SoftwareBlend, RowKernelsMatchThePixelFormulaBitForBit) {
  uint32_t seed = 7;
  std::vector<uint32_t> src(67), dst(67);
  for (uint32_t& w : src) {
    w = NextWord(seed);
    // Runs of empty and opaque texels take the shortcuts.
    if ((&w - src.data()) / 8 % 3 == 1) w &= 0x00FFFFFF;
    if ((&w - src.data()) / 8 % 3 == 2) w |= 0xFF000000;
  }
  for (uint32_t& w : dst) w = NextWord(seed);
  const auto pixel = [](uint32_t S, uint32_t D, uint32_t Vertex, bool Premultiplied) {
    if (!Premultiplied) return scBlendKeepingCoverage(Vertex == 0xFFFFFFFFu ? S : scModulate(S, Vertex), D);
    const uint32_t s = scModulate(S, scPremultiply(Vertex));
    return s >> 24 ? scBlendPremultiplied(s, D) : D;
  };
  for (const bool avx2 : {true, false}) {
    scBlendAllowAvx2(avx2);
    for (const bool premultiplied : {false, true})
      for (const uint32_t vertex : {0xFFFFFFFFu, 0x80C0FF40u, 0xC0FFFFFFu, 0u})
        for (const uint32_t color : {0u, 0x40102030u, 0xFFFFFFFFu})
          for (const int n : {0, 3, 4, 9, 16, 67}) {
            std::vector<uint32_t> over(static_cast<size_t>(n)), onto(dst.begin(), dst.begin() + n);
            scBlendRowOver(src.data(), color, over.data(), n, vertex, premultiplied);
            scBlendRow(src.data(), onto.data(), onto.data(), n, vertex, premultiplied);
            for (int i = 0; i < n; ++i) {
              ASSERT_EQ(over[size_t(i)], pixel(src[size_t(i)], color, vertex, premultiplied))
                  << avx2 << premultiplied << " " << std::hex << vertex << " " << color << " " << i;
              ASSERT_EQ(onto[size_t(i)], pixel(src[size_t(i)], dst[size_t(i)], vertex, premultiplied))
                  << avx2 << premultiplied << " " << i;
            }
          }
  }
  scBlendAllowAvx2(true);
}

// The premultiplied blend itself: a premultiplied source is not weighted by
// its alpha again, and the destination shows through by what it leaves.
TEST(SoftwareBlend, APremultipliedSourceIsAddedToWhatItLeavesOfTheDestination) {
  struct TCase {
    uint32_t Source, Destination, Expected;
  } cases[] = {
      {0xEA2B2B2B, 0x00000000, 0xEA2B2B2B},  // over nothing: the source as it is
      {0x80400000, 0xFF0000FF, 0xFF40007F},  // half red over blue
      {0x00000000, 0x80102030, 0x80102030},  // nothing over something
      {0x10FFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},  // colour above alpha saturates
  };
  for (const TCase& k : cases)
    EXPECT_EQ(scBlendPremultiplied(k.Source, k.Destination), k.Expected) << std::hex << k.Source;
  EXPECT_EQ(scPremultiply(0x80FF4020), 0x80802010u);
  EXPECT_EQ(scPremultiply(0xFF123456), 0xFF123456u);
}

// A layer covering the whole frame: the blended picture kept between frames
// must follow the picture, the rows it marks, the vertex colour and the clear
// colour, and match the general path every time.
TEST(SoftwareCanvas, KeptLayerPictureFollowsEveryChange) {
  constexpr int W = 21, H = 11;
  TscBitmap tex(W, H);
  uint32_t seed = 3;
  for (int i = 0; i < W * H; ++i) tex.Bits()[i] = NextWord(seed);
  TscSoftwareCanvas fast(0, W, H, true, scLowQuality), general(0, W, H, true, scLowQuality);
  general.SetStraightBlendEnabled(false);
  struct TStep {
    const char* What;
    std::function<void()> Change;
    uint32_t Clear, Vertex;
  };
  const TStep steps[] = {
      {"first frame", [] {}, 0, 0xFFFFFFFF},
      {"unchanged", [] {}, 0, 0xFFFFFFFF},
      {"two rows marked",
       [&] {
         for (int x = 0; x < W; ++x)
           tex.Bits()[3 * W + x] = tex.Bits()[4 * W + x] = 0x80FF0000u + uint32_t(x);
         tex.MarkRowsModified(3, 2);
       },
       0, 0xFFFFFFFF},
      {"whole picture", [&] { tex.Clear(0x40204080); }, 0, 0xFFFFFFFF},
      {"unchanged after whole", [] {}, 0, 0xFFFFFFFF},
      {"row after whole",
       [&] {
         tex.Bits()[0] = 0xFF123456;
         tex.MarkRowsModified(0, 1);
       },
       0, 0xFFFFFFFF},
      {"other vertex colour", [] {}, 0, 0xC0FFFFFF},
      {"other clear colour", [] {}, 0x30405060, 0xC0FFFFFF},
      {"premultiplied", [&] { tex.SetPremultiplied(true); }, 0x30405060, 0xC0FFFFFF},
      {"premultiplied, unchanged", [] {}, 0x30405060, 0xC0FFFFFF},
      {"premultiplied, over nothing", [] {}, 0, 0xFFFFFFFF},
      {"straight again", [&] { tex.SetPremultiplied(false); }, 0, 0xFFFFFFFF},
  };
  for (const TStep& step : steps) {
    step.Change();
    std::vector<uint32_t> frames[2];
    for (TscSoftwareCanvas* c : {&fast, &general}) {
      ASSERT_TRUE(scenetest::BeginFrame(*c, step.Clear));
      scenetest::DrawLayer(*c, tex, 0, 0, float(step.Vertex >> 24) / 255, step.Vertex | 0xFF000000);
      c->EndScene();
      frames[c == &general] = scenetest::ReadFrame(*c);
    }
    ASSERT_EQ(frames[0].size(), frames[1].size());
    for (size_t i = 0; i < frames[0].size(); ++i)
      ASSERT_EQ(frames[0][i], frames[1][i]) << step.What << ", pixel " << i;
  }
  EXPECT_EQ(fast.FastDraws(), int(std::size(steps)));
  fast.Material()->SetTexture(nullptr);
  general.Material()->SetTexture(nullptr);
}

namespace {
// An untextured plate over the whole frame at screen depth Z (positive lies
// behind a layer), drawn with depth test and write as given.
void DrawPlate(TscCanvas& C, float Z, uint32_t Color, bool Depth) {
  C.SetState(scStateScreenProjection);
  C.SetState(scStateCullNone);
  C.SetState(Depth ? scStateDepthTestOn : scStateDepthTestOff);
  C.SetState(Depth ? scStateDepthWriteOn : scStateDepthWriteOff);
  C.SetMatrix(TscMatrix{});
  TscMaterial m;
  m.SetDiffuse(Color);
  m.SetLighting(false);
  C.Material()->Assign(m);
  // Wider than the frame: a plate behind the layer comes out a little smaller.
  const float w = float(C.Width()), h = float(C.Height());
  const TscVertex v[4] = {{-w, -h, Z, 0, 0, 0, Color, 0, 0},
                          {2 * w, -h, Z, 0, 0, 0, Color, 0, 0},
                          {2 * w, 2 * h, Z, 0, 0, 0, Color, 0, 0},
                          {-w, 2 * h, Z, 0, 0, 0, Color, 0, 0}};
  const uint16_t i[6] = {0, 1, 3, 3, 1, 2};
  C.FillVertices(v, i);
}

void FillNoise(TscBitmap& B, uint32_t Seed) {
  for (int i = 0; i < B.Width() * B.Height(); ++i) {
    uint32_t w = NextWord(Seed);
    if (i % 5 == 0) w &= 0x00FFFFFF;  // empty texels: the plate behind shows there
    B.Bits()[i] = w;
  }
  B.SetModified(true);
}

// Noise as a premultiplied picture holds it: no channel above its alpha.
void FillPremultipliedNoise(TscBitmap& B, uint32_t Seed) {
  FillNoise(B, Seed);
  for (int i = 0; i < B.Width() * B.Height(); ++i) {
    const uint32_t w = B.Bits()[i], a = w >> 24;
    uint32_t out = a << 24;
    for (int shift = 0; shift < 24; shift += 8) out |= std::min((w >> shift) & 0xFF, a) << shift;
    B.Bits()[i] = out;
  }
  B.SetPremultiplied(true);
}
}  // namespace

// One canvas draws a layer frame after frame while things happen between and
// within frames; each frame must equal the same frame drawn from scratch on a
// new canvas through the general path. The layer is larger than the frame,
// so that it lies at an offset and has rows the frame does not show.
TEST(SoftwareCanvas, LayerFrameEqualsAFrameDrawnFromScratchWhateverHappenedBefore) {
  constexpr int TW = 27, TH = 19;
  TscBitmap pictures[2] = {TscBitmap(TW, TH), TscBitmap(TW, TH)};
  FillNoise(pictures[0], 11);
  FillNoise(pictures[1], 12);
  struct TFrame {
    int W = 21, H = 13;
    uint32_t Clear = 0, Vertex = 0xFFFFFFFF;
    float Left = -3, Top = -2;
    int Picture = 0;
    bool Plate = false;  // a depth-tested plate after the layer
  } f;
  const auto render = [&](TscCanvas& C) {
    ASSERT_TRUE(scenetest::BeginFrame(C, f.Clear));
    scenetest::DrawLayer(C, pictures[f.Picture], f.Left, f.Top, float(f.Vertex >> 24) / 255,
                         f.Vertex | 0xFF000000);
    if (f.Plate) DrawPlate(C, 40, 0x80C04020, true);
    C.EndScene();
  };
  const auto markRows = [&](int First, int Count) {
    TscBitmap& p = pictures[f.Picture];
    for (int y = First; y < First + Count; ++y)
      for (int x = 0; x < TW; ++x) p.Bits()[y * TW + x] = 0xC0000000u | uint32_t(x * 0x0A0B0C + y);
    p.MarkRowsModified(First, Count);
  };
  TscSoftwareCanvas canvas(0, f.W, f.H, true, scLowQuality);
  struct TStep {
    const char* What;
    std::function<void()> Change;
    // The frame is the picture's own words, not a copy.
    bool Shown = false;
  };
  // A premultiplied picture laid one to one over a clear of 0 is the frame.
  const auto layOneToOne = [&] {
    f.Picture = 1, f.Clear = 0, f.Vertex = 0xFFFFFFFF, f.Left = 0, f.Top = 0;
    f.W = TW, f.H = TH;
    FillPremultipliedNoise(pictures[1], 13);
    canvas.ResizeBuffer(f.W, f.H);
  };
  const TStep steps[] = {
      {"first frame", [] {}},
      {"unchanged", [] {}},
      {"rows marked", [&] { markRows(5, 3); }},
      {"rows marked outside the frame",
       [&] {
         markRows(0, 2);
         markRows(TH - 3, 3);
       }},
      {"the first and last rows shown",
       [&] {
         markRows(2, 1);
         markRows(2 + f.H - 1, 1);
       }},
      {"a plate after the layer", [&] { f.Plate = true; }},
      {"the plate again, rows marked", [&] { markRows(6, 2); }},
      {"the plate a third time, rows marked", [&] { markRows(9, 1); }},
      {"the plate gone, rows marked",
       [&] {
         f.Plate = false;
         markRows(4, 4);
       }},
      {"unchanged after the plate", [] {}},
      {"rows marked after the plate", [&] { markRows(10, 2); }},
      {"whole picture", [&] { FillNoise(pictures[0], 21); }},
      {"other clear colour", [&] { f.Clear = 0x30405060; }},
      {"other vertex colour", [&] { f.Vertex = 0xC0FFE0D0; }},
      {"moved by a pixel", [&] { f.Left -= 1; }},
      {"other picture", [&] { f.Picture = 1; }},
      {"premultiplied picture", [&] { pictures[1].SetPremultiplied(true); }},
      {"premultiplied picture, rows marked", [&] { markRows(3, 2); }},
      {"first picture again, rows marked",
       [&] {
         f.Picture = 0;
         markRows(3, 1);
       }},
      {"frame loaded from words",
       [&] {
         std::vector<uint32_t> words(size_t(f.W) * size_t(f.H), 0xFF00FF00);
         canvas.CopyFromBits(words.data());
       }},
      {"resized",
       [&] {
         f.W = 19, f.H = 12;
         canvas.ResizeBuffer(f.W, f.H);
       }},
      {"picture made again at the same address",
       [&] {
         pictures[0].SetSize(1, 1);
         pictures[0].SetSize(TW, TH);
         FillNoise(pictures[0], 31);
       }},
      {"unchanged at last", [] {}},
      {"laid one to one over nothing", layOneToOne, true},
      {"one to one, rows marked", [&] { markRows(7, 2); }, true},
      {"a plate after the layer shown as it is", [&] { f.Plate = true; }},
      {"the plate gone again", [&] { f.Plate = false; }, true},
      {"the shown picture made again at the same address",
       [&] {
         pictures[1].SetSize(1, 1);
         pictures[1].SetSize(TW, TH);
         FillPremultipliedNoise(pictures[1], 41);
       },
       true},
      {"frame loaded from words over the shown picture",
       [&] {
         std::vector<uint32_t> words(size_t(f.W) * size_t(f.H), 0xFF00FF00);
         canvas.CopyFromBits(words.data());
       },
       true},
      {"a clear colour under the shown picture", [&] { f.Clear = 0x30405060; }},
  };
  for (const TStep& step : steps) {
    step.Change();
    render(canvas);
    TscSoftwareCanvas fresh(0, f.W, f.H, true, scLowQuality);
    fresh.SetStraightBlendEnabled(false);
    render(fresh);
    const std::vector<uint32_t> got = scenetest::ReadFrame(canvas), want = scenetest::ReadFrame(fresh);
    ASSERT_EQ(got.size(), want.size()) << step.What;
    for (size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(got[i], want[i]) << step.What << ", pixel " << i % size_t(f.W) << ", " << i / size_t(f.W);
    EXPECT_EQ(canvas.MemoryBits() == pictures[f.Picture].Bits(), step.Shown) << step.What;
  }
  EXPECT_EQ(canvas.FastDraws(), int(std::size(steps)));
  // The shown picture's end leaves a frame of the canvas's own, not its words.
  pictures[1].SetSize(2, 2);
  EXPECT_NE(canvas.MemoryBits(), pictures[1].Bits());
}

// The layer quad leaves its depths to be filled in only if something reads
// them. A plate behind it must still be hidden exactly where a texel showed,
// also after a draw without depths has changed the frame's alpha, and on the
// next frame that takes the quad's shortcuts again.
TEST(SoftwareCanvas, DrawsBehindTheLayerQuadAreDepthTestedAgainstIt) {
  constexpr int W = 16, H = 10;
  TscBitmap picture(W, H);
  for (int i = 0; i < W * H; ++i) picture.Bits()[i] = (i % W) < W / 2 ? 0xFF204060 : 0x00000000;
  for (const uint32_t clear : {0u, 0x40102030u})
    for (const bool between : {false, true}) {
      std::vector<uint32_t> frames[2];
      for (const bool straight : {true, false}) {
        TscSoftwareCanvas c(0, W, H, true, scLowQuality);
        c.SetStraightBlendEnabled(straight);
        for (int frame = 0; frame < 2; ++frame) {
          ASSERT_TRUE(scenetest::BeginFrame(c, clear));
          scenetest::DrawLayer(c, picture, 0, 0, 1);
          if (between) DrawPlate(c, 40, 0x80FF0000, false);
          DrawPlate(c, 40, 0xFF00FF00, true);
          c.EndScene();
        }
        frames[straight] = scenetest::ReadFrame(c);
      }
      const std::string what =
          "clear " + std::to_string(clear) + (between ? ", depthless plate between" : "");
      EXPECT_EQ(frames[1], frames[0]) << what;
      // The green plate stays behind the opaque half and shows in the empty one.
      const uint32_t opaque = frames[1][size_t(W) * 5 + 2], empty = frames[1][size_t(W) * 5 + W - 2];
      if (!between) {
        EXPECT_EQ(opaque, 0xFF204060u) << what;
      }
      EXPECT_LT(opaque & 0x0000FF00u, 0x00008000u) << what;
      EXPECT_EQ(empty & 0x0000FF00u, 0x0000FF00u) << what;
    }
}

// A bitmap showing words it does not own: a texture of them is dropped when
// the loan ends or the bitmap takes words of its own at another size, and the
// bitmap never frees the lent words.
TEST(BitmapLoan, TexturesFollowTheLoanAndTheLentWordsStayTheLenders) {
  std::vector<uint32_t> words(6 * 4, 0xFF336699), others(6 * 4, 0xFF996633);
  TscSoftwareCanvas c(0, 6, 4, true, scLowQuality);
  const auto draw = [&](TscBitmap& B) {
    EXPECT_TRUE(scenetest::BeginFrame(c));
    scenetest::DrawLayer(c, B, 0, 0, 1);
    c.EndScene();
    return scenetest::ReadFrame(c);
  };
  {
    TscBitmap b;
    b.BorrowPixels(words.data(), 6, 4);
    EXPECT_TRUE(b.Borrowed());
    EXPECT_EQ(draw(b)[5], 0xFF336699u);
    EXPECT_EQ(c.TextureCount(), 1);
    // Other words at the same size: the texture stays and shows them.
    b.BorrowPixels(others.data(), 6, 4);
    EXPECT_EQ(c.TextureCount(), 1);
    EXPECT_EQ(draw(b)[5], 0xFF996633u);
    b.EndLoan();
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.Bits(), nullptr);
    EXPECT_EQ(c.TextureCount(), 0);

    b.BorrowPixels(words.data(), 6, 4);
    draw(b);
    b.SetSize(7, 4);
    EXPECT_FALSE(b.Borrowed());
    EXPECT_EQ(c.TextureCount(), 0);
    EXPECT_EQ(b.Bits()[0], 0u);
    b.BorrowPixels(words.data(), 6, 4);
    draw(b);
  }
  // The bitmap went while borrowing: its texture with it, the words intact.
  EXPECT_EQ(c.TextureCount(), 0);
  EXPECT_EQ(words[23], 0xFF336699u);
}
