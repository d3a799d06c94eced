#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "InputFixtures.h"
#include "controls/Track.h"
#include "scene2d/Errors.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"

using namespace input_fixtures;

namespace {

using BindingTest = InputTest;

const std::string TooDeep = "Binding chain exceeds the limit of 1000 links";

// Counts what it is handed, to see how often a source pushes.
class TuiCountingBar : public TuiTrackBar {
  UX_CLASS(TuiCountingBar, TuiTrackBar)
 public:
  using TuiTrackBar::TuiTrackBar;
  int Pushed = 0;
  void SetData(const TuiData& Value) override {
    ++Pushed;
    TuiTrackBar::SetData(Value);
  }
};
UX_IMPLEMENT_CLASS(TuiCountingBar)

// Bars[i] follows Bars[i + 1]: Links bindings, the last bar the source.
struct TChain {
  explicit TChain(int Links) {
    for (int i = 0; i <= Links; ++i) {
      Bars.push_back(std::make_unique<TuiTrackBar>(nullptr));
      Bars.back()->SetMax(1000);
    }
    for (int i = 0; i < Links; ++i) Bars[size_t(i)]->SetBindingSource(Bars[size_t(i) + 1].get());
  }
  TuiTrackBar& Bottom() { return *Bars.front(); }
  TuiTrackBar& Top() { return *Bars.back(); }
  std::vector<std::unique_ptr<TuiTrackBar>> Bars;
};

// A layout of Count track bars, each bound to the next.
std::string ChainLayout(int Count) {
  std::string s = "object Layout1: TuiLayout\n";
  for (int i = 0; i < Count; ++i) {
    s += "  object T" + std::to_string(i) +
         ": TuiTrackBar\n    Max = 100000\n    Value = " + std::to_string(i) + "\n";
    if (i + 1 < Count) s += "    BindingSource = T" + std::to_string(i + 1) + "\n";
    s += "  end\n";
  }
  return s + "end\n";
}

TEST_F(BindingTest, AChainAtTheLimitFollowsItsSourceWithoutNestingCalls) {
  TChain chain(1000);
  // Where each bar's handler runs on the stack: a push that nests once per
  // link spreads these over the whole chain and overflows on a long one.
  uintptr_t low = UINTPTR_MAX, high = 0;
  for (auto& bar : chain.Bars)
    bar->OnChange = [&](TuiObject*) {
      const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
      low = std::min(low, frame);
      high = std::max(high, frame);
    };
  chain.Top().SetValue(500);
  for (auto& bar : chain.Bars) ASSERT_EQ(bar->Value(), 500.0f);
  EXPECT_LT(high - low, 16u * 1024) << "pushes nest along the chain";
}

TEST_F(BindingTest, ABindingPastTheChainLimitIsRefusedAndChangesNothing) {
  TChain chain(1000);
  TuiTrackBar extra(nullptr), below(nullptr);
  below.SetBindingSource(&extra);  // a chain of its own, one link long
  struct TCase {
    const char* What;
    TuiTrackBar* Bound;
    TuiTrackBar* Source;
    bool Refused;
  } cases[] = {
      {"below the bottom", &extra, &chain.Bottom(), true},
      {"above the top", &chain.Top(), &extra, true},
      {"a chain hung below the middle", &extra, chain.Bars[1].get(), true},
      {"a single control below the middle", &below, chain.Bars[1].get(), false},
  };
  for (const TCase& k : cases) {
    TuiControl* before = k.Bound->BindingSource();
    const int bound = k.Source->BoundCount();
    if (!k.Refused) {
      k.Bound->SetBindingSource(k.Source);
      EXPECT_EQ(k.Bound->BindingSource(), k.Source) << k.What;
      k.Bound->SetBindingSource(before);
      continue;
    }
    try {
      k.Bound->SetBindingSource(k.Source);
      ADD_FAILURE() << k.What << ": accepted";
    } catch (const EuxError& e) {
      EXPECT_EQ(e.what(), TooDeep) << k.What;
    }
    EXPECT_EQ(k.Bound->BindingSource(), before) << k.What;
    EXPECT_EQ(k.Source->BoundCount(), bound) << k.What;
  }
}

TEST_F(BindingTest, ALayoutWhoseChainPassesTheLimitFailsToLoad) {
  struct TCase {
    int Count;
    const char* Error;
  } cases[] = {
      {1001, nullptr},
      {1002, "Error reading T1000.BindingSource: Binding chain exceeds the limit of 1000 links"},
  };
  for (const TCase& k : cases) {
    const std::string data = uxObjectTextToBinary(ChainLayout(k.Count));
    auto root = std::make_unique<TuiLayout>(nullptr);
    try {
      ReadObjectData(data, *root, root.get());
      EXPECT_EQ(k.Error, nullptr) << k.Count << " loaded";
    } catch (const EuxReadError& e) {
      EXPECT_EQ(e.what(), std::string(k.Error ? k.Error : "")) << k.Count;
      continue;
    }
    // Every bar ends up with the value of the last one.
    const float top = float(k.Count - 1);
    for (int i = 0; i < k.Count; ++i) {
      auto* bar = dynamic_cast<TuiTrackBar*>(root->FindComponent("T" + std::to_string(i)));
      ASSERT_NE(bar, nullptr);
      ASSERT_EQ(bar->Value(), top) << "T" << i;
    }
  }
}

TEST_F(BindingTest, ASourceReadWithItsBoundControlsPushesToEachOnce) {
  TuiClassRegistry::Instance().Register("BindingTest", {&TuiCountingBar::StaticClass()});
  // Bound controls both before and after their source in reading order.
  std::string text = "object Layout1: TuiLayout\n";
  auto bound = [&](int i) {
    text += "  object B" + std::to_string(i) +
            ": TuiCountingBar\n    Max = 1000\n    BindingSource = Src\n  end\n";
  };
  for (int i = 0; i < 20; ++i) bound(i);
  text += "  object Src: TuiTrackBar\n    Max = 1000\n    Value = 250\n  end\n";
  for (int i = 20; i < 40; ++i) bound(i);
  auto root = std::make_unique<TuiLayout>(nullptr);
  ReadObjectData(uxObjectTextToBinary(text + "end\n"), *root, root.get());
  for (int i = 0; i < 40; ++i) {
    auto* bar = dynamic_cast<TuiCountingBar*>(root->FindComponent("B" + std::to_string(i)));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Value(), 250.0f) << i;
    EXPECT_EQ(bar->Pushed, 1) << i;
  }
}

TEST_F(BindingTest, BoundControlsThatLeaveDropOutAndTheRestKeepTheirOrder) {
  auto source = std::make_unique<TuiTrackBar>(nullptr);
  source->SetMax(1000);
  std::vector<TuiTrackBar*> bars;
  for (int i = 0; i < 8; ++i) {
    bars.push_back(new TuiTrackBar(nullptr));
    bars.back()->SetMax(1000);
    bars.back()->SetBindingSource(source.get());
  }
  bars[0]->Free();
  bars[3]->Free();
  bars[5]->SetBindingSource(nullptr);
  bars[6]->Free();
  bars[5]->SetBindingSource(source.get());  // joins again, now last
  const std::vector<TuiTrackBar*> expected = {bars[1], bars[2], bars[4], bars[7], bars[5]};
  ASSERT_EQ(source->BoundCount(), int(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(source->BoundControls(int(i)), expected[i]) << i;

  // A handler that frees a later bound control skips it; one that frees the
  // source ends the push there.
  bars[2]->OnChange = [&](TuiObject*) {
    bars[4]->Free();
    bars[4] = nullptr;
  };
  source->SetValue(300);
  EXPECT_EQ(bars[1]->Value(), 300.0f);
  EXPECT_EQ(bars[7]->Value(), 300.0f);
  EXPECT_EQ(source->BoundCount(), 4);
  source->SetTracking(false);
  source->SetValue(600);  // pushes nothing until asked
  bars[1]->OnChange = [&](TuiObject*) { source.reset(); };
  source->PushData();
  EXPECT_EQ(source, nullptr);
  EXPECT_EQ(bars[2]->Value(), 300.0f);
  for (TuiTrackBar* bar : {bars[1], bars[2], bars[5], bars[7]}) {
    EXPECT_EQ(bar->BindingSource(), nullptr);
    bar->Free();
  }
}

}  // namespace
