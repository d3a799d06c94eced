#include "scene2d/stream/StreamWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "StreamBytes.h"
#include "scene2d/stream/StreamErrors.h"
#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/StreamTree.h"

namespace {

TuiObjectHeader Header(std::string ClassName) {
  TuiObjectHeader h;
  h.ClassName = std::move(ClassName);
  return h;
}

std::string Written(const std::function<void(TuiStreamWriter&)>& Write) {
  TuiStreamWriter w;
  Write(w);
  return w.Data();
}

}  // namespace

TEST(StreamWriter, IntegersTakeTheSmallestTag) {
  struct TCase {
    int64_t Value;
    std::string Bytes;
  } cases[] = {
      {0, Bytes(2, 0)},
      {-128, Bytes(2, 0x80)},
      {127, Bytes(2, 0x7F)},
      {128, Bytes(3, LE(128, 2))},
      {-129, Bytes(3, LE(uint64_t(-129), 2))},
      {32767, Bytes(3, LE(32767, 2))},
      {32768, Bytes(4, LE(32768, 4))},
      {-32769, Bytes(4, LE(uint64_t(-32769), 4))},
      {INT32_MIN, Bytes(4, LE(0x80000000, 4))},
      {int64_t(INT32_MAX) + 1, Bytes(19, LE(0x80000000, 8))},
      {INT64_MIN, Bytes(19, LE(uint64_t(INT64_MIN), 8))},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Written([&](auto& W) { W.WriteInteger(c.Value); }), c.Bytes) << c.Value;
    TuiStreamReader r(c.Bytes);
    EXPECT_EQ(r.ReadInt64(), c.Value);
  }
}

TEST(StreamWriter, TextsTakeTagsByTheirContent) {
  const std::string ascii300(300, 'a');
  struct TCase {
    const char* Name;
    std::function<void(TuiStreamWriter&)> Write;
    std::string Bytes;
  } cases[] = {
      {"narrow On", [](auto& W) { W.WriteString("On"); }, Bytes(6, 2, "On")},
      {"wide On", [](auto& W) { W.WriteWideString(u"On"); }, Bytes(6, 2, "On")},
      {"narrow 300 ASCII", [&](auto& W) { W.WriteString(ascii300); }, Bytes(12, LE(300, 4), ascii300)},
      {"narrow 255 ASCII", [](auto& W) { W.WriteString(std::string(255, 'b')); },
       Bytes(6, 255, std::string(255, 'b'))},
      // 8-bit text beyond ASCII goes as UTF-8, from the code page (0x80 is the euro sign).
      {"narrow code page", [](auto& W) { W.WriteString("\xE9t\x80"); },
       Bytes(20, LE(6, 4), "\xC3\xA9t\xE2\x82\xAC")},
      // Wide: UTF-8 when it is shorter than twice the code units, else UTF-16.
      {"wide mostly ASCII", [](auto& W) { W.WriteWideString(u"caf\u00E9"); },
       Bytes(20, LE(5, 4), "caf\xC3\xA9")},
      {"wide one accent", [](auto& W) { W.WriteWideString(u"\u00E9"); }, Bytes(18, LE(1, 4), LE(0xE9, 2))},
      {"wide CJK", [](auto& W) { W.WriteWideString(u"\u4E2D\u6587"); },
       Bytes(18, LE(2, 4), LE(0x4E2D, 2), LE(0x6587, 2))},
      {"wide lone surrogate", [](auto& W) { W.WriteWideString(u"ab\xD800"); },
       Bytes(18, LE(3, 4), LE('a', 2), LE('b', 2), LE(0xD800, 2))},
      {"wide empty", [](auto& W) { W.WriteWideString(u""); }, Bytes(6, 0)},
      {"UTF-8 given", [](auto& W) { W.WriteUtf8String("\xC3\xA9"); }, Bytes(20, LE(2, 4), "\xC3\xA9")},
  };
  for (const TCase& c : cases) EXPECT_EQ(Written(c.Write), c.Bytes) << c.Name;
}

TEST(StreamWriter, FloatsGoAsExtendedAndReadBackExactly) {
  // 7 = 1.75 * 2^2: significand E0 00.., exponent 0x4001.
  EXPECT_EQ(Written([](auto& W) { W.WriteFloat(7.0f); }), Bytes(5, LE(0xE000000000000000, 8), 1, 0x40));
  EXPECT_EQ(Written([](auto& W) { W.WriteDouble(-0.5); }), Bytes(5, LE(0x8000000000000000, 8), 0xFE, 0xBF));
  for (float f : {0.1f, -3.4028235e38f, 1.4e-45f, 1.17549435e-38f, 3.14159274f}) {
    const std::string data = Written([&](auto& W) { W.WriteFloat(f); });
    TuiStreamReader r(data);
    EXPECT_EQ(std::bit_cast<uint32_t>(r.ReadFloat()), std::bit_cast<uint32_t>(f)) << f;
  }
}

TEST(StreamWriter, UnnamedObjectWritesAnEmptyName) {
  TuiStreamObject root;
  root.Header.ClassName = "TuiLayout";
  root.Properties.push_back({"Opacity", TuiStreamValue::Integer(1)});
  root.AddChild("TuiRectangle", "Rect1");
  EXPECT_EQ(root.ToBinary(), Bytes("TPF0", 9, "TuiLayout", 0,  // the empty name: one 0 byte
                                   7, "Opacity", 2, 1, 0,      //
                                   12, "TuiRectangle", 5, "Rect1", 0, 0, 0));
}

TEST(StreamWriter, RefusesWhatNoReaderCouldReadBack) {
  TuiObjectHeader prefixWithoutPosition = Header("T");
  prefixWithoutPosition.HasPrefix = true;
  prefixWithoutPosition.PrefixFlags = uxPrefixHasPosition;
  struct TCase {
    const char* Name;
    std::function<void(TuiStreamWriter&)> Write;
  } cases[] = {
      {"empty property name", [](auto& W) { W.WritePropertyName(""); }},
      {"256-byte property name", [](auto& W) { W.WritePropertyName(std::string(256, 'a')); }},
      {"256-byte identifier", [](auto& W) { W.WriteIdent(std::string(256, 'a')); }},
      {"empty set element",
       [](auto& W) {
         W.WriteSet({"a", ""});
       }},
      {"class name of 240 bytes", [](auto& W) { W.WriteObjectHeader(Header(std::string(240, 'T'))); }},
      {"empty class name", [](auto& W) { W.WriteObjectHeader({}); }},
      {"prefix without its position", [&](auto& W) { W.WriteObjectHeader(prefixWithoutPosition); }},
      {"lists too deep",
       [](auto& W) {
         for (int i = 0; i <= uxMaxStreamDepth; ++i) W.WriteListBegin();
       }},
  };
  for (const TCase& c : cases) {
    TuiStreamWriter w;
    try {
      c.Write(w);
      ADD_FAILURE() << c.Name << ": no error";
    } catch (const EuxWriteError& e) {
      EXPECT_STREQ(e.what(), "Stream write error") << c.Name;
    }
  }
  // A 239-byte class name is the longest a reader tells from a prefix.
  EXPECT_NO_THROW(Written([](auto& W) { W.WriteObjectHeader(Header(std::string(239, 'T'))); }));
}
