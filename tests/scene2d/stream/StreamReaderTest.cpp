#include "scene2d/stream/StreamReader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "EveryTag.h"
#include "StreamBytes.h"
#include "scene2d/stream/StreamErrors.h"
#include "scene2d/stream/StreamTree.h"

namespace {

std::string ReadError(const std::string& Data, size_t* Position = nullptr) {
  TuiStreamReader reader(Data);
  try {
    TuiStreamObject::Read(reader);
  } catch (const EuxReadError& e) {
    if (Position) *Position = reader.Position();
    return e.what();
  }
  return "no error";
}

// A root TuiLayout with one property P, the given value bytes, and the ends.
std::string WithValue(const std::string& Value) {
  return Bytes("TPF0", Short("TuiLayout"), 0, Short("P"), Value, 0, 0);
}

}  // namespace

TEST(StreamReader, ReadsEveryTagAndWritesTheSameBytes) {
  const std::string data = EveryTagStream();
  const auto root = TuiStreamObject::FromBinary(data);
  EXPECT_EQ(root->Header.ClassName, "TuiLayout");
  EXPECT_EQ(root->Header.Name, "Form1");
  ASSERT_EQ(root->Properties.size(), 21u);
  for (int tag = 0; tag <= 20; ++tag) EXPECT_EQ(root->Properties[tag].Value.Type(), tag) << tag;

  auto value = [&](const char* Path) -> const TuiStreamValue& { return root->FindProperty(Path)->Value; };
  ASSERT_EQ(value("List").AsList().size(), 2u);
  EXPECT_EQ(value("List").AsList()[0].AsInteger(), 5);
  EXPECT_EQ(value("List").AsList()[1].AsBytes(), "x");
  EXPECT_EQ(value("I8").AsInteger(), -1);
  EXPECT_EQ(value("I16").AsInteger(), -300);
  EXPECT_EQ(value("I32").AsInteger(), 100000);
  EXPECT_EQ(value("Ext").AsExtended().ToDouble(), 2.5);
  EXPECT_EQ(value("Str").AsBytes(), "On");
  EXPECT_EQ(value("Id").AsBytes(), "vaClient");
  EXPECT_EQ(value("Bin").AsBytes(), "\x01\x02\x03");
  EXPECT_EQ(value("Set").AsSet(), (std::vector<std::string>{"akLeft", "akTop"}));
  EXPECT_EQ(value("LStr").AsBytes(), "abc");
  const auto& items = value("Coll").AsCollection();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_FALSE(items[0].Index);
  EXPECT_EQ(items[0].Properties[0].Path, "Offset");
  EXPECT_EQ(items[0].Properties[0].Value.AsExtended().ToDouble(), 0.5);
  EXPECT_EQ(items[1].Index, 7);
  EXPECT_EQ(items[1].Properties[0].Value.AsBytes(), "#FF000000");
  EXPECT_EQ(value("Sgl").AsSingle(), 1.5f);
  EXPECT_EQ(value("Cur").AsInteger(), 125000);
  EXPECT_EQ(value("Date").AsDate(), 45000.25);
  EXPECT_EQ(value("WStr").AsWide(), u"\u4E2D");
  EXPECT_EQ(value("I64").AsInteger(), 5000000000);
  EXPECT_EQ(value("U8").AsUtf16(), u"\u00E9");

  ASSERT_EQ(root->Children.size(), 2u);
  EXPECT_EQ(root->Children[0]->Header.ClassName, "TuiRectangle");
  EXPECT_EQ(root->Children[0]->Header.Name, "");
  EXPECT_FALSE(root->Children[0]->Header.HasPrefix);
  EXPECT_TRUE(root->Children[1]->Header.HasPrefix);
  EXPECT_EQ(root->Children[1]->Header.PrefixFlags, 2);
  EXPECT_EQ(root->Children[1]->Header.Position, 3);

  EXPECT_EQ(root->ToBinary(), data);
}

TEST(StreamReader, TypedReadsTakeTheTagsTheirPropertiesAccept) {
  const std::string ext7 = Bytes(5, LE(0xE000000000000000, 8), LE(0x4001, 2));
  struct TCase {
    std::string Value;
    std::function<std::string(TuiStreamReader&)> Read;
    std::string Expected;
  } cases[] = {
      // A float property stored as an integer tag reads as its value.
      {Bytes(2, 7), [](auto& R) { return std::to_string(R.ReadFloat()); }, "7.000000"},
      {Bytes(3, LE(1000, 2)), [](auto& R) { return std::to_string(R.ReadDouble()); }, "1000.000000"},
      {ext7, [](auto& R) { return std::to_string(R.ReadFloat()); }, "7.000000"},
      {Bytes(19, LE(1ull << 40, 8)), [](auto& R) { return std::to_string(R.ReadDouble()); },
       "1099511627776.000000"},
      {Bytes(4, LE(uint64_t(-5), 4)), [](auto& R) { return std::to_string(R.ReadInteger()); }, "-5"},
      {Bytes(19, LE(uint64_t(-5), 8)), [](auto& R) { return std::to_string(R.ReadInt64()); }, "-5"},
      // Texts of all four tags read alike; 8-bit text is in the code page.
      {Bytes(6, Short("On")), [](auto& R) { return R.ReadString(); }, "On"},
      {Bytes(12, LE(2, 4), "On"), [](auto& R) { return R.ReadString(); }, "On"},
      {Bytes(20, LE(5, 4), "\xE2\x82\xAC\xC3\xA9"), [](auto& R) { return R.ReadString(); }, "\x80\xE9"},
      {Bytes(18, LE(2, 4), LE(0x20AC, 2), LE(0x4E2D, 2)), [](auto& R) { return R.ReadString(); }, "\x80?"},
      {Bytes(18, LE(1, 4), LE(0xE9, 2)), [](auto& R) { return R.ReadUtf8String(); }, "\xC3\xA9"},
      {Bytes(6, Short("\xE9")), [](auto& R) { return R.ReadUtf8String(); }, "\xC3\xA9"},
      {Bytes(7, Short("vaClient")), [](auto& R) { return R.ReadIdent(); }, "vaClient"},
      {Bytes(0), [](auto& R) { return R.ReadIdent(); }, "Null"},
      {Bytes(9), [](auto& R) { return R.ReadIdent(); }, "True"},
      {Bytes(13), [](auto& R) { return R.ReadIdent(); }, "nil"},
      {Bytes(7, Short("TRUE")), [](auto& R) { return std::to_string(R.ReadBoolean()); }, "1"},
      {Bytes(8), [](auto& R) { return std::to_string(R.ReadBoolean()); }, "0"},
      {Bytes(11, 0), [](auto& R) { return std::to_string(R.ReadSet().size()); }, "0"},
      // Tags that do not suit.
      {Bytes(6, Short("7")), [](auto& R) { return std::to_string(R.ReadFloat()); }, "Invalid property value"},
      {Bytes(15, LE(0, 4)), [](auto& R) { return std::to_string(R.ReadFloat()); }, "Invalid property value"},
      {Bytes(19, LE(1, 8)), [](auto& R) { return std::to_string(R.ReadInteger()); },
       "Invalid property value"},
      {Bytes(7, Short("x")), [](auto& R) { return R.ReadString(); }, "Invalid property value"},
      {Bytes(6, Short("x")), [](auto& R) { return R.ReadIdent(); }, "Invalid property value"},
      {Bytes(7, Short("Maybe")), [](auto& R) { return std::to_string(R.ReadBoolean()); },
       "Invalid property value"},
  };
  for (const TCase& c : cases) {
    TuiStreamReader reader(c.Value);
    std::string got;
    try {
      got = c.Read(reader);
      EXPECT_TRUE(reader.AtEnd()) << c.Expected;
    } catch (const EuxReadError& e) {
      got = e.what();
    }
    EXPECT_EQ(got, c.Expected);
  }
}

TEST(StreamReader, DamagedStreamsEndInTheReadersErrors) {
  std::string deepLists = Bytes("TPF0", Short("T"), 0, Short("P"));
  deepLists.append(5000, '\x01');
  std::string deepObjects = Bytes("TPF0", Short("T"), 0, 0);
  for (int i = 0; i < 5000; ++i) deepObjects += Bytes(Short("T"), 0, 0);
  std::string endlessCollection = Bytes("TPF0", Short("T"), 0, Short("P"), 14);
  for (int i = 0; i < 1000; ++i) endlessCollection += Bytes(1, Short("A"), 2, 1, 0);

  struct TCase {
    const char* Name;
    std::string Data;
    const char* Message;
  } cases[] = {
      {"empty", "", "Stream read error"},
      {"wrong signature", Bytes("TPF1", Short("T"), 0, 0, 0), "Invalid stream format"},
      {"signature cut", "TPF", "Stream read error"},
      {"ends after the class name", Bytes("TPF0", Short("TuiLayout")), "Stream read error"},
      {"ends before the end of children", Bytes("TPF0", Short("T"), 0, 0), "Stream read error"},
      {"string length 255 at the end", WithValue(Bytes(6, 255)).substr(0, 13), "Stream read error"},
      {"name length 255 at the end", Bytes("TPF0", Short("T"), 255, "ab"), "Stream read error"},
      {"binary length past the end", WithValue(Bytes(10, LE(100, 4), "abc")), "Stream read error"},
      {"4 GiB binary", WithValue(Bytes(10, LE(0xFFFFFFFF, 4))), "Stream read error"},
      {"4 GiB long string", WithValue(Bytes(12, LE(0xFFFFFFFF, 4))), "Stream read error"},
      {"2^31 UTF-16 units", WithValue(Bytes(18, LE(0x80000000, 4), "ab")), "Stream read error"},
      {"extended cut", WithValue(Bytes(5, 1, 2, 3)), "Stream read error"},
      {"set that never ends", WithValue(Bytes(11, Short("a"), Short("b"))), "Stream read error"},
      {"collection that never ends", endlessCollection, "Stream read error"},
      {"list that never ends", WithValue(Bytes(1, 2, 1, 2, 2)), "Stream read error"},
      {"unknown tag", WithValue(Bytes(21)), "Invalid stream format"},
      {"tag 255", WithValue(Bytes(255)), "Invalid stream format"},
      {"item without its 1", WithValue(Bytes(14, 2, 3, 6, 0, 0)), "Invalid stream format"},
      {"item opened by a string", WithValue(Bytes(14, 6, 0)), "Invalid stream format"},
      {"empty class name", Bytes("TPF0", 0, 0, 0, 0), "Invalid stream format"},
      {"class name of 240 after a prefix", Bytes("TPF0", 0xF0, 240, std::string(240, 'T'), 0, 0, 0),
       "Invalid stream format"},
      {"prefix position not an integer", Bytes("TPF0", 0xF2, 6, Short("x"), Short("T"), 0, 0, 0),
       "Invalid stream format"},
      {"lists 5000 deep", deepLists, "Invalid stream format"},
      {"objects 5000 deep", deepObjects, "Invalid stream format"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ReadError(c.Data), c.Message) << c.Name;

  // The position says where reading stopped: after the length, at the 100
  // bytes it promised.
  size_t position = 0;
  ReadError(WithValue(Bytes(10, LE(100, 4), "abc")), &position);
  EXPECT_EQ(position, 22u);
}

TEST(StreamReader, SkipsAnyValueAndMarksRestoreDepth) {
  // Skipping walks nested lists and collections without keeping them.
  const std::string data = EveryTagStream();
  TuiStreamReader reader(data);
  reader.ReadSignature();
  reader.ReadObjectHeader();
  int skipped = 0;
  while (!reader.EndOfList()) {
    reader.ReadPropertyName();
    reader.SkipValue();
    ++skipped;
  }
  EXPECT_EQ(skipped, 21);
  EXPECT_EQ(reader.Depth(), 0);

  const std::string list = Bytes(1, 1, 2, 5, 0, 0);
  TuiStreamReader r2(list);
  const auto mark = r2.Mark();
  r2.ReadListBegin();
  r2.ReadListBegin();
  EXPECT_EQ(r2.Depth(), 2);
  r2.Reset(mark);
  EXPECT_EQ(r2.Depth(), 0);
  r2.SkipValue();
  EXPECT_TRUE(r2.AtEnd());
}
