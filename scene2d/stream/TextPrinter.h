#pragma once

#include <algorithm>
#include <string>

#include "scene2d/stream/StreamTree.h"

// Writes a stream tree in the text form, which TuiTextParser reads back into
// the same tree for everything a writer stores (see TextParser.h for the
// grammar). The text is plain 7-bit: characters outside printable ASCII appear
// as #nnn codes, so the text survives any editor and any code page.
//
//   object Form1: TuiLayout
//     Width = 320
//     Opacity = 0.5
//     Caption = 'Fuel: ' + #8364
//     Fill.Gradient.Points = <
//       item
//         Color = '#FF000000'
//       end
//     >
//     object Button1: TuiButton
//     end
//   end
//
// Indentation stops growing at uxMaxPrintedIndent columns, so that deep
// nesting does not multiply the size of the text: whatever the stream, the
// text stays within uxMaxTextExpansion times the binary form, plus a little.
inline constexpr int uxMaxPrintedIndent = 32;
inline constexpr size_t uxMaxTextExpansion = 40;

class TuiTextPrinter {
 public:
  static std::string Print(const TuiStreamObject& Root);

 private:
  void Object(const TuiStreamObject& Object, int Indent);
  void Properties(const std::vector<TuiStreamProperty>& Properties, int Indent);
  void Value(const TuiStreamValue& Value, int Indent);
  // The next value of Reader, which walks encoded list or item contents.
  void Value(TuiStreamReader& Reader, int Indent);
  void List(TuiStreamReader& Reader, int Indent);
  void Collection(TuiStreamReader& Reader, int Indent);
  void Properties(TuiStreamReader& Reader, int Indent);
  void Text(std::u16string_view Text, int Indent);
  void Binary(std::string_view Bytes, int Indent);
  void Name(std::string_view Bytes);
  void Pad(int Indent) { FOut.append(size_t(std::min(Indent, uxMaxPrintedIndent)), ' '); }

  std::string FOut;
};
