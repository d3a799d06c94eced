#include "scene2d/stream/StreamConvert.h"

#include "scene2d/stream/StreamTree.h"
#include "scene2d/stream/TextParser.h"
#include "scene2d/stream/TextPrinter.h"

std::string uxObjectBinaryToText(std::string_view Binary) {
  return TuiTextPrinter::Print(*TuiStreamObject::FromBinary(Binary));
}

std::string uxObjectTextToBinary(std::string_view Text) {
  return TuiTextParser(Text).Parse()->ToBinary();
}

bool uxIsBinaryStream(std::string_view Data) {
  return Data.substr(0, 4) == "TPF0";
}
