#include "scene2d/stream/TextParser.h"
#include "scene2d/stream/TextPrinter.h"

#include <gtest/gtest.h>

#include <string>

#include "EveryTag.h"
#include "StreamBytes.h"
#include "scene2d/stream/StreamConvert.h"
#include "scene2d/stream/StreamErrors.h"

namespace {

TuiStreamValue ParseValue(const std::string& Text) {
  return TuiTextParser("object T\n  P = " + Text + "\nend\n").Parse()->Properties.at(0).Value;
}

struct TError {
  std::string Message;
  int Line = 0;
  std::string Detail;
};

TError ParseError(const std::string& Text) {
  TuiTextParser parser(Text);
  try {
    parser.Parse();
  } catch (const EuxReadError& e) {
    return {e.what(), parser.Line(), parser.Detail()};
  }
  return {"no error", 0, ""};
}

}  // namespace

TEST(TextForm, PrintsTheTreeReadably) {
  const std::string binary =
      Bytes("TPF0", Short("TuiLayout"), Short("Form1"),                     //
            Short("Width"), 3, LE(320, 2),                                  //
            Short("Opacity"), 5, LE(0x8000000000000000, 8), LE(0x3FFE, 2),  //
            Short("Caption"), 20, LE(11, 4),
            "Fuel \xE2\x82\xAC"
            "\x0D\x0A"
            "'",                                                                                //
            Short("Align"), 7, Short("vaClient"),                                               //
            Short("Mode"), 7, Short("True"),                                                    //
            Short("Anchors"), 11, Short("akLeft"), Short("akTop"), 0,                           //
            Short("Fill.Gradient.Points"), 14, 1, Short("Color"), 6, Short("#FF000000"), 0, 0,  //
            Short("strings"), 1, 6, Short("a"), 9, 0,                                           //
            Short("Bitmap.PNG"), 10, LE(2, 4), 0x89, 0x50,                                      //
            0,                                                                                  //
            Short("TuiRectangle"), 0, 0, 0,                                                     //
            0);
  EXPECT_EQ(uxObjectBinaryToText(binary),
            "object Form1: TuiLayout\n"
            "  Width = 320\n"
            "  Opacity = 0.5\n"
            "  Caption = 'Fuel '#8364#13#10 +\n"
            "    ''''\n"
            "  Align = vaClient\n"
            "  Mode = @'True'\n"
            "  Anchors = [akLeft, akTop]\n"
            "  Fill.Gradient.Points = <\n"
            "    item\n"
            "      Color = '#FF000000'\n"
            "    end\n"
            "  >\n"
            "  strings = (\n"
            "    'a'\n"
            "    True\n"
            "  )\n"
            "  Bitmap.PNG = {8950}\n"
            "  object TuiRectangle\n"
            "  end\n"
            "end\n");
}

TEST(TextForm, ValuesTakeTheTagsAWriterWouldGiveThem) {
  struct TCase {
    std::string Text;
    TuiStreamValue Expected;
  } cases[] = {
      {"14", TuiStreamValue::Integer(14)},
      {"-3", TuiStreamValue::Integer(-3)},
      {"-0", TuiStreamValue::Integer(0)},
      {"$FF", TuiStreamValue::Integer(255)},
      {"-$10", TuiStreamValue::Integer(-16)},
      {"70000", TuiStreamValue::Integer(70000)},
      {"5000000000", TuiStreamValue::Integer(5000000000)},
      // Integral numbers become integers, whatever their spelling.
      {"7.0", TuiStreamValue::Integer(7)},
      {"1E3", TuiStreamValue::Integer(1000)},
      {"2.5e1", TuiStreamValue::Integer(25)},
      {"0.5", TuiStreamValue::Extended(TuiExtended::FromDouble(0.5))},
      {"-0.0", TuiStreamValue::Extended(TuiExtended::FromDouble(-0.0))},
      {"1E30", TuiStreamValue::Extended(TuiExtended{0xC9F2C9CD04674EDF, 0x4062})},
      {"99999999999999999999", TuiStreamValue::Extended(TuiExtended{0xAD78EBC5AC620000, 0x4041})},
      {"+Inf", TuiStreamValue::Extended(TuiExtended{0x8000000000000000, 0x7FFF})},
      {"1.5S", TuiStreamValue::Single(1.5f)},
      {"-InfS", TuiStreamValue::Single(-std::numeric_limits<float>::infinity())},
      {"2.25D", TuiStreamValue::Date(2.25)},
      {"12.5C", TuiStreamValue::Currency(125000)},
      {"-0.0001c", TuiStreamValue::Currency(-1)},
      {"'On'", TuiStreamValue::String(vtString, "On")},
      {"'it''s'", TuiStreamValue::String(vtString, "it's")},
      {"'a' + #13#10 +\n 'b'", TuiStreamValue::String(vtString, "a\r\nb")},
      {"''", TuiStreamValue::String(vtString, "")},
      {"'" + std::string(300, 'x') + "'", TuiStreamValue::String(vtLString, std::string(300, 'x'))},
      {"'caf'#233", TuiStreamValue::String(vtUtf8String, "caf\xC3\xA9")},
      {"'caf\xE9'", TuiStreamValue::String(vtUtf8String, "caf\xC3\xA9")},  // quotes hold code page text
      {"#233", TuiStreamValue::WString(u"\u00E9")},
      {"#$4E2D#20013", TuiStreamValue::WString(u"\u4E2D\u4E2D")},
      {"#128512", TuiStreamValue::WString(u"\U0001F600")},
      {"vaClient", TuiStreamValue::Ident("vaClient")},
      {"Form1.Button1", TuiStreamValue::Ident("Form1.Button1")},
      {"@'True'", TuiStreamValue::Ident("True")},
      {"@'two words'", TuiStreamValue::Ident("two words")},
      {"true", TuiStreamValue::Simple(vtTrue)},
      {"False", TuiStreamValue::Simple(vtFalse)},
      {"nil", TuiStreamValue::Simple(vtNil)},
      {"Null", TuiStreamValue::Simple(vtNull)},
      {"(Null)", TuiStreamValue::List({TuiStreamValue::Ident("Null")})},
      {"[]", TuiStreamValue::Set({})},
      {"[akLeft,akTop , 'odd name']", TuiStreamValue::Set({"akLeft", "akTop", "odd name"})},
      {"()", TuiStreamValue::List({})},
      {"{0a 0B\n ff}", TuiStreamValue::Binary("\x0A\x0B\xFF")},
      {"<>", TuiStreamValue::Collection({})},
  };
  for (const TCase& c : cases) EXPECT_EQ(ParseValue(c.Text), c.Expected) << c.Text;
}

TEST(TextForm, GradientPointsRoundTripToIdenticalBytes) {
  const std::string text =
      "object TuiBrushObject\n"
      "  Brush.Kind = bkGradient\n"
      "  Brush.Gradient.Points = <\n"
      "    item\n"
      "      Color = '#FF2B2B2B'\n"
      "    end\n"
      "    item\n"
      "      Color = '#FF505050'\n"
      "      Offset = 1\n"
      "    end>\n"
      "  Brush.Gradient.StopPosition.Point = '(0,1)'\n"
      "end\n";
  const std::string binary1 = uxObjectTextToBinary(text);
  const std::string text2 = uxObjectBinaryToText(binary1);
  const std::string binary2 = uxObjectTextToBinary(text2);
  EXPECT_EQ(binary1, binary2);
  EXPECT_EQ(uxObjectBinaryToText(binary2), text2);
  // Offset = 1 is stored as the integer it is.
  EXPECT_NE(binary1.find(Bytes(Short("Offset"), 2, 1)), std::string::npos);
}

TEST(TextForm, EveryTagSurvivesTheTextForm) {
  // Text keeps every value; only the storage details a writer would choose
  // itself change (integral floats become integers, texts take their tags by
  // content), after which the conversions are stable.
  const std::string binary = EveryTagStream();
  const std::string text = uxObjectBinaryToText(binary);
  const auto back = TuiTextParser(text).Parse();
  const auto original = TuiStreamObject::FromBinary(binary);
  ASSERT_EQ(back->Properties.size(), original->Properties.size());
  for (size_t i = 0; i < back->Properties.size(); ++i) {
    const TuiStreamValue& a = original->Properties[i].Value;
    const TuiStreamValue& b = back->Properties[i].Value;
    const std::string& path = original->Properties[i].Path;
    if (a.IsString()) {
      EXPECT_EQ(a.AsUtf16(), b.AsUtf16()) << path;
    } else {
      EXPECT_EQ(a, b) << path;
    }
  }
  EXPECT_EQ(back->Children.size(), 2u);
  EXPECT_EQ(back->Children[1]->Header, original->Children[1]->Header);
  const std::string binary2 = back->ToBinary();
  EXPECT_EQ(uxObjectBinaryToText(binary2), text);
  EXPECT_EQ(uxObjectTextToBinary(uxObjectBinaryToText(binary2)), binary2);
}

TEST(TextForm, BadTextEndsInTheReadersErrors) {
  std::string deep = "object T\n P = ";
  deep.append(5000, '(');
  struct TCase {
    const char* Name;
    std::string Text;
    const char* Message;
    int Line;
  } cases[] = {
      {"empty", "", "Stream read error", 1},
      {"no end", "object T\n  A = 1\n", "Stream read error", 3},
      {"value missing at the end", "object T\n  A =", "Stream read error", 2},
      {"unterminated string", "object T\n  A = 'abc\n  B = 1\nend", "Invalid stream format", 2},
      {"unterminated at the end", "object T\n  A = 'abc", "Invalid stream format", 2},
      {"list that never ends", "object T\n A = (1 2 3", "Stream read error", 2},
      {"collection that never ends", "object T\n A = <item end item", "Stream read error", 2},
      {"binary that never ends", "object T\n A = {0102", "Stream read error", 2},
      {"nesting 5000 deep", deep, "Invalid stream format", 2},
      {"float beyond the extended range", "object T\n\n A = 1e5000\nend", "Invalid property value", 3},
      {"a number of 20000 digits", "object T\n A = " + std::string(20000, '9') + "\nend",
       "Invalid property value", 2},
      {"hexadecimal over 64 bits", "object T\n A = $10000000000000000\nend", "Invalid property value", 2},
      {"character code too large", "object T\n A = #1114112\nend", "Invalid property value", 2},
      {"odd hex digits", "object T\n A = {123}\nend", "Invalid property value", 2},
      {"currency with five decimals", "object T\n A = 1.00001C\nend", "Invalid property value", 2},
      {"missing =", "object T\n A 1\nend", "Invalid stream format", 2},
      {"stray character", "object T\n A = ?\nend", "Invalid stream format", 2},
      {"property after a child", "object T\n object U\n end\n A = 1\nend", "Invalid stream format", 4},
      {"text after the root", "object T\nend\nobject U\nend", "Invalid stream format", 3},
      {"not an object", "thing T\nend", "Invalid stream format", 1},
      {"class name too long", "object " + std::string(240, 'T') + "\nend", "Invalid stream format", 1},
      {"name outside the code page", "object T\n #8364#8365 = 1\nend", "Invalid property value", 2},
      {"number glued to a word", "object T\n A = 12px\nend", "Invalid stream format", 2},
  };
  for (const TCase& c : cases) {
    const TError e = ParseError(c.Text);
    EXPECT_EQ(e.Message, c.Message) << c.Name;
    EXPECT_EQ(e.Line, c.Line) << c.Name;
    EXPECT_FALSE(e.Detail.empty()) << c.Name;
  }
}
