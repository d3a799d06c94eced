#include "scene2d/stream/ObjectStream.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StreamBytes.h"
#include "scene2d/stream/StreamErrors.h"

namespace {

// A stand-in for the object tree: two classes, a few typed properties, and a
// log of what the driver asked of it.
class TFake : public IuxStreamReadTarget, public IuxStreamWriteSource {
 public:
  explicit TFake(std::vector<std::string>* Log) : FLog(Log) {}

  std::string ClassName = "TFake";
  std::string Name;
  float Width = 0;
  std::string Caption;
  std::vector<std::unique_ptr<TFake>> Children;

  void StreamSetHeader(const TuiObjectHeader& Header) override { Name = Header.Name; }
  void StreamReadProperty(std::string_view Path, TuiStreamReader& Reader) override {
    if (Path == "Width")
      Width = Reader.ReadFloat();
    else if (Path == "Caption")
      Caption = Reader.ReadString();
    else if (Path == "Count")
      throw EuxReadError(std::string(uxMsgPropertyReadOnly));
    else
      throw EuxReadError(uxFormatMessage(uxMsgPropertyDoesNotExist, {Path}));
  }
  IuxStreamReadTarget& StreamCreateChild(const TuiObjectHeader& Header) override {
    if (Header.ClassName != "TFake")
      throw EuxReadError(uxFormatMessage(uxMsgClassNotFound, {Header.ClassName}));
    return *Children.emplace_back(std::make_unique<TFake>(FLog));
  }
  void StreamLoaded() override { FLog->push_back("loaded " + Name); }

  TuiObjectHeader StreamHeader() const override {
    TuiObjectHeader h;
    h.ClassName = ClassName;
    h.Name = Name;
    return h;
  }
  void StreamWriteProperties(TuiStreamWriter& Writer) const override {
    if (Width != 0) {
      Writer.WritePropertyName("Width");
      Writer.WriteFloat(Width);
    }
    if (!Caption.empty()) {
      Writer.WritePropertyName("Caption");
      Writer.WriteString(Caption);
    }
  }
  void StreamWriteChildren(TuiObjectWriter& Writer) const override {
    for (const auto& c : Children) Writer.WriteObject(*c);
  }

 private:
  std::vector<std::string>* FLog;
};

std::string Stream(const std::string& RootName, const std::string& Properties,
                   const std::string& Children = "") {
  return Bytes("TPF0", Short("TFake"), Short(RootName), Properties, 0, Children, 0);
}

std::string Ext(uint64_t Significand, uint16_t SignExponent) {
  return Bytes(5, LE(Significand, 8), LE(SignExponent, 2));
}

struct TRead {
  std::vector<std::string> Log;
  TFake Root{&Log};
  std::string Error;

  TRead(const std::string& Data, bool Handle) {
    TuiStreamReader reader(Data);
    TuiObjectReader objects(reader);
    if (Handle)
      objects.OnError = [this](TuiObjectReader*, const std::string& Message, bool& Handled) {
        Log.push_back("error " + Message);
        Handled = true;
      };
    try {
      objects.ReadRoot(Root);
    } catch (const EuxReadError& e) {
      Error = e.what();
    }
  }
};

}  // namespace

TEST(ObjectReader, FloatPropertyTakesIntegerAndExtendedTags) {
  TRead fromInteger(Stream("A", Bytes(Short("Width"), 2, 7)), false);
  EXPECT_EQ(fromInteger.Error, "");
  EXPECT_EQ(fromInteger.Root.Width, 7.0f);
  TRead fromExtended(Stream("A", Bytes(Short("Width"), Ext(0xA000000000000000, 0x4000))), false);
  EXPECT_EQ(fromExtended.Root.Width, 2.5f);
}

TEST(ObjectReader, HandledErrorsSkipTheValueAndReadingGoesOn) {
  // Unknown properties holding nested values, a read-only one and a value of
  // the wrong kind are all skipped; the properties after them still land.
  const std::string props = Bytes(Short("Nested"), 1, 14, 1, Short("X"), 1, 2, 1, 0, 0, 0, 0,  //
                                  Short("Width"), 6, Short("wide"),                            //
                                  Short("Count"), 2, 3,                                        //
                                  Short("Caption"), 6, Short("On"),                            //
                                  Short("Width"), 2, 9);
  TRead r(Stream("Form1", props), true);
  EXPECT_EQ(r.Error, "");
  EXPECT_EQ(r.Root.Caption, "On");
  EXPECT_EQ(r.Root.Width, 9.0f);
  EXPECT_EQ(r.Log,
            (std::vector<std::string>{"error Property Nested does not exist", "error Invalid property value",
                                      "error Property is read-only", "loaded Form1"}));
}

TEST(ObjectReader, UnhandledErrorsNameTheObjectAndProperty) {
  struct TCase {
    std::string Data;
    const char* Message;
  } cases[] = {
      {Stream("Button1", Bytes(Short("Foo"), 2, 1)),
       "Error reading Button1.Foo: Property Foo does not exist"},
      {Stream("", Bytes(Short("Width"), 6, Short("x"))), "Error reading TFake.Width: Invalid property value"},
      {Stream("B", Bytes(Short("Count"), 2, 1)), "Error reading B.Count: Property is read-only"},
      // Errors outside properties, and damage inside a value, keep their own message.
      {Stream("A", "", Bytes(Short("TNope"), 0, 0, 0)), "Class TNope not found"},
      {Stream("A", Bytes(Short("Foo"), 10, LE(1000, 4))).substr(0, 24), "Stream read error"},
      {Stream("A", Bytes(Short("Foo"), 30)), "Invalid stream format"},
      {Bytes("TPFX"), "Invalid stream format"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TRead(c.Data, false).Error, c.Message);
  // The hook cannot wave through damage it could not skip.
  TRead damaged(Stream("A", Bytes(Short("Foo"), 10, LE(1000, 4))).substr(0, 24), true);
  EXPECT_EQ(damaged.Error, "Stream read error");
  EXPECT_TRUE(damaged.Log.empty());
}

TEST(ObjectReader, NameHookAndLoadOrder) {
  const std::string child = Bytes(Short("TFake"), Short("Inner"), 0, 0);
  const std::string data = Stream("Outer", "", Bytes(Short("TFake"), Short("Mid"), 0, child, 0));
  std::vector<std::string> log;
  TFake root(&log);
  TuiStreamReader reader(data);
  TuiObjectReader objects(reader);
  objects.OnSetName = [&](TuiObjectReader*, IuxStreamReadTarget&, std::string& Name) {
    log.push_back("name " + Name);
    if (Name == "Mid") Name.clear();
  };
  EXPECT_EQ(TuiObjectReader::PeekRootClassName(reader), "TFake");
  EXPECT_EQ(reader.Position(), 0u);
  objects.ReadRoot(root);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(root.Children[0]->Name, "");
  EXPECT_EQ(log, (std::vector<std::string>{"name Outer", "name Mid", "name Inner", "loaded Outer", "loaded ",
                                           "loaded Inner"}));
}

TEST(ObjectWriter, WritesHeadersPropertiesAndChildren) {
  std::vector<std::string> log;
  TFake root(&log);
  root.Name = "Form1";
  root.Width = 7;
  auto& child = *root.Children.emplace_back(std::make_unique<TFake>(&log));
  child.Caption = "On";
  TuiStreamWriter writer;
  TuiObjectWriter(writer).WriteRoot(root);
  EXPECT_EQ(writer.Data(), Bytes("TPF0", Short("TFake"), Short("Form1"), Short("Width"),
                                 Ext(0xE000000000000000, 0x4001), 0,                         //
                                 Short("TFake"), 0, Short("Caption"), 6, Short("On"), 0, 0,  //
                                 0));
  // And it reads back into an equal tree.
  TRead back(writer.Data(), false);
  EXPECT_EQ(back.Root.Width, 7.0f);
  EXPECT_EQ(back.Root.Children.at(0)->Caption, "On");
}
