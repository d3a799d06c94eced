// The window layouts as shipped, read into live objects, written and read
// again: the same objects with the same values, and a second write that is
// byte for byte the first.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "app/forms/KardoForm.h"
#include "scene2d/ClassInfo.h"
#include "scene2d/Collection.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"

namespace kardo {
namespace {

std::string ReadFile(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every published value of Object and of what it owns by value, under Path:
// "Image_Kardo.Bitmap.PNG" -> its bytes in hex. A reference shows the name
// of the component it points to.
void Dump(const TuiPersistent& Object, const std::string& Path, std::map<std::string, std::string>& Out) {
  Out[Path + ":class"] = Object.ClassName();
  for (const TuiPropertyInfo& p : Object.ClassInfo().Properties()) {
    if (p.Kind == pkEvent || !p.Get) continue;
    const std::string key = Path + "." + p.Name;
    const TuiPropValue v = p.Get(Object);
    if (p.Kind == pkObject || p.Kind == pkCollection) {
      const TuiPersistent* sub = std::get_if<TuiPersistent*>(&v) ? std::get<TuiPersistent*>(v) : nullptr;
      if (!sub) continue;
      if (const auto* items = dynamic_cast<const TuiCollection*>(sub)) {
        Out[key + ":count"] = std::to_string(items->Count());
        for (int i = 0; i < items->Count(); ++i)
          Dump(*items->Items(i), key + "[" + std::to_string(i) + "]", Out);
      } else {
        Dump(*sub, key, Out);
      }
      continue;
    }
    std::ostringstream text;
    std::visit(
        [&](const auto& x) {
          using T = std::decay_t<decltype(x)>;
          if constexpr (std::is_same_v<T, std::monostate>) {
            text << "-";
          } else if constexpr (std::is_same_v<T, TuiBinary>) {
            text << std::hex;
            for (uint8_t b : x.Bytes) text << int(b);
          } else if constexpr (std::is_same_v<T, TuiPersistent*>) {
            const auto* c = dynamic_cast<const TuiComponent*>(x);
            text << (c ? c->Name() : std::string(x ? "?" : "nil"));
          } else if constexpr (std::is_same_v<T, double>) {
            text.precision(17);
            text << x;
          } else {
            text << x;
          }
        },
        v);
    Out[key] = text.str();
  }
}

// The components as the stream holds them: children in order, by name.
void DumpTree(const TuiComponent& Object, const TuiComponent& Root, const std::string& Path,
              std::map<std::string, std::string>& Out) {
  Dump(Object, Path, Out);
  int index = 0;
  Object.GetChildren(
      [&](TuiComponent* Child) {
        DumpTree(*Child, Root, Path + "/" + std::to_string(index++) + ":" + Child->Name(), Out);
      },
      &Root);
}

std::map<std::string, std::string> Values(const TuiComponent& Root) {
  std::map<std::string, std::string> out;
  DumpTree(Root, Root, Root.Name(), out);
  return out;
}

class LayoutRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(LayoutRoundTrip, ReadWriteReadKeepsEveryValueAndWritingAgainChangesNoByte) {
  const std::string text = ReadFile(std::string(UX_SOURCE_ROOT) + "/app/layouts/" + GetParam() + ".txt");
  ASSERT_FALSE(text.empty());
  std::unique_ptr<TKardoForm> first(TKardoForm::Load(uxObjectTextToBinary(text), nullptr));
  const std::string once = WriteObjectData(*first);
  std::unique_ptr<TKardoForm> second(TKardoForm::Load(once, nullptr));
  const auto before = Values(*first), after = Values(*second);
  // A few values the comparison must reach, so that it cannot pass empty.
  ASSERT_GT(before.size(), 200u);
  EXPECT_EQ(before.size(), after.size());
  for (const auto& [key, value] : before) {
    auto it = after.find(key);
    if (it == after.end())
      ADD_FAILURE() << key << " is gone";
    else if (it->second != value)
      ADD_FAILURE() << key << ": " << value.substr(0, 80) << " became " << it->second.substr(0, 80);
  }
  const std::string twice = WriteObjectData(*second);
  EXPECT_EQ(once.size(), twice.size());
  EXPECT_TRUE(once == twice) << "the second write differs from the first";
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutRoundTrip, ::testing::Values("console", "display", "settings"));

}  // namespace
}  // namespace kardo
