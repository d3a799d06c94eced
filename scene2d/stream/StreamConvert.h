#pragma once

#include <string>
#include <string_view>

// Whole streams from one form to the other. Both raise EuxReadError for input
// that does not read (see StreamReader.h and TextParser.h for the messages);
// a tool that wants to say where uses those classes directly.

// The text form of a binary stream.
std::string uxObjectBinaryToText(std::string_view Binary);
// The binary form of a text, as a reader takes it.
std::string uxObjectTextToBinary(std::string_view Text);
// Whether Data starts like a binary stream ("TPF0").
bool uxIsBinaryStream(std::string_view Data);
