#include <memory>
#include <string>
#include <vector>

#include "InputFixtures.h"
#include "controls/TextControls.h"
#include "controls/Track.h"

using namespace input_fixtures;

namespace {

using TrackTest = InputTest;

// Records every OnChange with the value it saw.
struct TChanges {
  std::vector<float> Values;
  void Watch(TuiCustomTrack& Track) {
    Track.OnChange = [this](TuiObject* Sender) {
      Values.push_back(static_cast<TuiCustomTrack*>(Sender)->Value());
    };
  }
};

TEST_F(TrackTest, ValueWritesSnapToFrequencyStayInRangeAndFireOnlyWhenWritten) {
  struct TCase {
    float Frequency;
    float Start;
    float Written;
    float Stored;
    int Fired;
  } cases[] = {
      {0, 0, 1500, 1000, 1},                          // clamped to Max
      {0, 1000, 1000, 1000, 0},                       // the same value fires nothing
      {0, 300, -5, 0, 1},                             // clamped to Min
      {10, 0, 25, 20, 1},                             // halves snap to even
      {10, 0, 35, 40, 1},       {10, 20, 24, 20, 0},  // snaps onto the current value
  };
  for (const TCase& k : cases) {
    TuiTrackBar bar(nullptr);
    bar.SetMax(1000);
    bar.SetValue(k.Start);
    bar.SetFrequency(k.Frequency);
    TChanges changes;
    changes.Watch(bar);
    bar.SetValue(k.Written);
    EXPECT_EQ(bar.Value(), k.Stored) << k.Written;
    EXPECT_EQ(int(changes.Values.size()), k.Fired) << k.Written;
  }
}

TEST_F(TrackTest, RangeWritesKeepMaxAboveMinAndPullTheValueInSilently) {
  TuiTrack track(nullptr);
  TChanges changes;
  changes.Watch(track);
  track.SetMax(-3);
  EXPECT_FLOAT_EQ(track.Max(), 0.001f);

  track.SetMax(1000);
  track.SetValue(500);
  track.SetViewportSize(100);
  changes.Values.clear();
  track.SetMax(99);
  EXPECT_FLOAT_EQ(track.ViewportSize(), 99);
  EXPECT_FLOAT_EQ(track.Value(), 0);  // Max - ViewportSize
  EXPECT_TRUE(changes.Values.empty());

  TuiTrackBar bar(nullptr);
  bar.SetMax(1000);
  bar.SetValue(500);
  changes.Watch(bar);
  bar.SetMax(99);
  EXPECT_FLOAT_EQ(bar.Value(), 99);
  bar.SetMin(200);  // a raised Min leaves the value alone
  EXPECT_FLOAT_EQ(bar.Value(), 99);
  EXPECT_TRUE(changes.Values.empty());
}

TEST_F(TrackTest, ThumbIsCentredOnTheValueAndOverhangsByItsPadding) {
  struct TCase {
    TuiOrientation Orientation;
    float Value;
    TuiRect Thumb;  // position and size, as a rectangle
  } cases[] = {
      {uxHorizontal, 0, {-2, -2, 16, 17}},    // pushed inside at the start
      {uxHorizontal, 500, {52, -2, 70, 17}},  // Round(61) - 7 - 2
      {uxHorizontal, 1000, {106, -2, 124, 17}},
      {uxVertical, 500, {-2, 52, 17, 70}},
  };
  for (const TCase& k : cases) {
    auto* bar = Add(new TuiHudTrackBar(Root()), 10, 10, 122, 15);
    bar->SetMax(1000);
    bar->SetOrientation(k.Orientation);
    if (k.Orientation == uxVertical) bar->SetBounds(10, 10, 15, 122);
    bar->SetValue(k.Value);
    bar->ApplyResource();
    TuiThumb* thumb = bar->Thumb();
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->Track(), bar);
    const TuiPoint p = thumb->Position()->Point();
    EXPECT_EQ((TuiRect{p.X, p.Y, p.X + thumb->Width(), p.Y + thumb->Height()}), k.Thumb) << k.Value;
    bar->Free();
  }
}

TEST_F(TrackTest, DraggingTheThumbFollowsThePointerAndReportsByTracking) {
  struct TCase {
    bool Tracking;
    float MoveBy;
    int FiredWhileDragging;
    int FiredAtRelease;
  } cases[] = {
      {true, 10, 1, 0}, {false, 10, 0, 1}, {false, 0, 0, 1},  // reported even when the thumb did not move
  };
  for (const TCase& k : cases) {
    auto* bar = Add(new TuiHudTrackBar(Root()), 20, 20, 122, 15);
    auto* label = Add(new TuiLabel(Root()), 20, 60, 100, 15);
    bar->SetMax(1000);
    bar->SetTracking(k.Tracking);
    label->SetBindingSource(bar);
    Host.PaintTree();
    TChanges changes;
    changes.Watch(*bar);

    // The thumb spans x 18 to 36 at value 0; grab it at its centre.
    const float x = 27;
    Host.MouseDown(uxMouseLeft, uxLeftButton, x, 27);
    ASSERT_NE(dynamic_cast<TuiThumb*>(Host.GetCaptured()), nullptr);
    EXPECT_EQ(Host.GetFocused(), bar);  // the bar, not its thumb
    if (k.MoveBy != 0) Host.MouseMove(uxLeftButton, x + k.MoveBy, 27);
    // The value follows the pointer: its place on the bar over the bar's width.
    const float expected = k.MoveBy == 0 ? 0 : (x + k.MoveBy - 20) / 122 * 1000;
    EXPECT_FLOAT_EQ(bar->Value(), expected);
    EXPECT_EQ(int(changes.Values.size()), k.FiredWhileDragging);
    // Bound controls follow only a tracking drag.
    EXPECT_FLOAT_EQ(std::stof(label->Text()), k.Tracking ? expected : 0);

    Host.MouseUp(uxMouseLeft, 0, x + k.MoveBy, 27);
    EXPECT_EQ(int(changes.Values.size()), k.FiredWhileDragging + k.FiredAtRelease);
    for (float v : changes.Values) EXPECT_FLOAT_EQ(v, expected);
    EXPECT_FLOAT_EQ(std::stof(label->Text()), expected);
    EXPECT_EQ(bar->Tracking(), k.Tracking);
    bar->Free();
    label->Free();
  }
}

TEST_F(TrackTest, ClickingBesideTheThumbJumpsOrPages) {
  auto* bar = Add(new TuiHudTrackBar(Root()), 20, 20, 122, 15);
  bar->SetMax(1000);
  Host.PaintTree();
  TChanges changes;
  changes.Watch(*bar);
  Click(20 + 61, 27);
  EXPECT_FLOAT_EQ(bar->Value(), 500);
  EXPECT_EQ(changes.Values.size(), 1u);
  EXPECT_EQ(Host.GetCaptured(), nullptr);

  // A proportional track pages by its viewport, towards the click.
  auto* track = Add(new TuiTrack(Root()), 20, 100, 100, 15);
  track->SetMax(1000);
  track->SetViewportSize(100);
  track->SetValue(400);
  Click(20 + 90, 107);
  EXPECT_FLOAT_EQ(track->Value(), 500);
  Click(20 + 5, 107);
  EXPECT_FLOAT_EQ(track->Value(), 400);
  Click(20 + 99, 107);
  Click(20 + 99, 107);
  EXPECT_FLOAT_EQ(track->Value(), 600);
  for (int i = 0; i < 5; ++i) Click(20 + 99, 107);
  EXPECT_FLOAT_EQ(track->Value(), 900);  // Max - ViewportSize
}

TEST_F(TrackTest, KeysOnAFocusedBarStepTheValue) {
  struct TCase {
    uint16_t Key;
    float Start;
    float Frequency;
    bool Tracking;
    float Expected;
    int Fired;
  } cases[] = {
      {39, 999.5f, 0, true, 1000, 1},  // Right
      {35, 1000, 0, true, 1000, 0},    // End at Max: nothing
      {35, 1000, 0, false, 1000, 1},   // without tracking every key reports
      {40, 500, 0, false, 501, 2},     // Down: the change and the key's report
      {36, 500, 0, true, 0, 1},        // Home
      {37, 500, 10, true, 490, 1},     // Left by the frequency
      {38, 500, 0, true, 499, 1},      // Up
      {65, 500, 0, true, 500, 0},      // not a track key
  };
  for (const TCase& k : cases) {
    auto* bar = Add(new TuiHudTrackBar(Root()), 20, 20, 122, 15);
    bar->SetMax(1000);
    bar->SetValue(k.Start);
    bar->SetFrequency(k.Frequency);
    bar->SetTracking(k.Tracking);
    Host.SetFocused(bar);
    TChanges changes;
    changes.Watch(*bar);
    uint16_t key = k.Key;
    char32_t ch = 0;
    Host.KeyDown(key, ch, 0);
    EXPECT_FLOAT_EQ(bar->Value(), k.Expected) << k.Key;
    EXPECT_EQ(int(changes.Values.size()), k.Fired) << k.Key;
    EXPECT_EQ(key, k.Key == 65 ? 65 : 0) << "consumed";
    bar->Free();
  }
}

TEST_F(TrackTest, StreamsWriteEveryValueAndReadThemBack) {
  TuiTrackBar bar(nullptr);
  EXPECT_EQ(bar.ObjectToText(),
            "object TuiTrackBar\n  Width = 100\n  Height = 15\n  Max = 100\n  Orientation = uxHorizontal\n"
            "  Tracking = True\nend\n");

  auto read = std::unique_ptr<TuiObject>(TuiObject::CreateObjectFromText(
      nullptr,
      "object T: TuiHudTrack\n  Min = 10\n  Max = 1000\n  Frequency = 5\n  Orientation = uxVertical\n"
      "  Value = 502\n  ViewportSize = 100\n  Tracking = False\nend\n"));
  auto* track = dynamic_cast<TuiHudTrack*>(read.get());
  ASSERT_NE(track, nullptr);
  EXPECT_FLOAT_EQ(track->Min(), 10);
  EXPECT_FLOAT_EQ(track->Value(), 500);
  EXPECT_FLOAT_EQ(track->ViewportSize(), 100);
  EXPECT_EQ(track->Orientation(), uxVertical);
  EXPECT_FALSE(track->Tracking());
  EXPECT_NE(track->ObjectToText().find("  ViewportSize = 100\n  Tracking = False\n"), std::string::npos);
}

}  // namespace
