// Stream reading is on the start-up path (three layouts and the style sheet)
// and runs again for every style a control clones; conversion is what the
// authoring tool does. Measured on a layout-like stream of 400 objects.

#include <benchmark/benchmark.h>

#include <string>

#include "scene2d/stream/ObjectStream.h"
#include "scene2d/stream/StreamConvert.h"
#include "scene2d/stream/StreamTree.h"

namespace {

std::string LayoutStream() {
  TuiStreamObject root;
  root.Header.ClassName = "TuiLayout";
  root.Header.Name = "Form1";
  TuiStreamObject* panel = &root;
  for (int i = 0; i < 400; ++i) {
    if (i % 40 == 0) panel = &root.AddChild("TuiPanel", "Panel" + std::to_string(i));
    TuiStreamObject& o = panel->AddChild("TuiRoundRect", "RoundRect_" + std::to_string(i));
    auto add = [&](const char* Path, TuiStreamValue V) { o.Properties.push_back({Path, std::move(V)}); };
    add("Align", TuiStreamValue::Ident("vaClient"));
    add("Position.Point", TuiStreamValue::Text(uxStoreNarrowText("(" + std::to_string(i) + ",31)")));
    add("Width", TuiStreamValue::Integer(50 + i % 7));
    add("Height", TuiStreamValue::Extended(TuiExtended::FromFloat(20.5f + float(i % 3))));
    add("Opacity", TuiStreamValue::Extended(TuiExtended::FromFloat(0.85f)));
    add("Fill.Color", TuiStreamValue::Text(uxStoreNarrowText("#FF3E3E3E")));
    add("HitTest", TuiStreamValue::Simple(vtFalse));
    if (i % 10 == 0) {
      std::vector<TuiStreamItem> points(2);
      points[0].Properties.push_back({"Color", TuiStreamValue::Text(uxStoreNarrowText("#FF2B2B2B"))});
      points[1].Properties.push_back({"Color", TuiStreamValue::Text(uxStoreNarrowText("#FF505050"))});
      points[1].Properties.push_back({"Offset", TuiStreamValue::Integer(1)});
      add("Fill.Gradient.Points", TuiStreamValue::Collection(std::move(points)));
    }
    if (i % 50 == 0) add("Bitmap.PNG", TuiStreamValue::Binary(std::string(2000, '\x5A')));
  }
  return root.ToBinary();
}

// What an object does with its properties: typed reads into fields.
class TTypedReads : public IuxStreamReadTarget {
 public:
  float Sum = 0;
  size_t Bytes = 0;
  void StreamSetHeader(const TuiObjectHeader&) override {}
  void StreamReadProperty(std::string_view, TuiStreamReader& R) override {
    switch (R.NextValue()) {
      case vtInt8:
      case vtInt16:
      case vtExtended:
        Sum += R.ReadFloat();
        break;
      case vtString:
        Bytes += R.ReadString().size();
        break;
      case vtIdent:
      case vtFalse:
        Bytes += R.ReadIdent().size();
        break;
      default:
        R.SkipValue();
    }
  }
  IuxStreamReadTarget& StreamCreateChild(const TuiObjectHeader&) override { return *this; }
};

void BM_ReadIntoObjects(benchmark::State& State) {
  const std::string data = LayoutStream();
  for (auto _ : State) {
    TuiStreamReader reader(data);
    TTypedReads sink;
    TuiObjectReader(reader).ReadRoot(sink);
    benchmark::DoNotOptimize(sink.Sum);
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_ReadIntoObjects);

void BM_ReadTree(benchmark::State& State) {
  const std::string data = LayoutStream();
  for (auto _ : State) benchmark::DoNotOptimize(TuiStreamObject::FromBinary(data));
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_ReadTree);

void BM_BinaryToText(benchmark::State& State) {
  const std::string data = LayoutStream();
  for (auto _ : State) benchmark::DoNotOptimize(uxObjectBinaryToText(data));
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(data.size()));
}
BENCHMARK(BM_BinaryToText);

void BM_TextToBinary(benchmark::State& State) {
  const std::string text = uxObjectBinaryToText(LayoutStream());
  for (auto _ : State) benchmark::DoNotOptimize(uxObjectTextToBinary(text));
  State.SetBytesProcessed(int64_t(State.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_TextToBinary);

}  // namespace
