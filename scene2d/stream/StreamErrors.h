#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "scene2d/Errors.h"

// The messages of the stream reader, word for word. The "%s" markers are filled
// by uxFormatMessage in order; callers compare the resulting texts.
inline constexpr std::string_view uxMsgInvalidStreamFormat = "Invalid stream format";
inline constexpr std::string_view uxMsgStreamReadError = "Stream read error";
inline constexpr std::string_view uxMsgInvalidPropertyValue = "Invalid property value";
inline constexpr std::string_view uxMsgPropertyDoesNotExist = "Property %s does not exist";
inline constexpr std::string_view uxMsgInvalidPropertyPath = "Invalid property path";
inline constexpr std::string_view uxMsgClassNotFound = "Class %s not found";
inline constexpr std::string_view uxMsgPropertyReadOnly = "Property is read-only";
inline constexpr std::string_view uxMsgErrorReading = "Error reading %s%s%s: %s";
// Raised by the writer for what no reader could read back (a name longer than
// 255 bytes, an empty property name, nesting beyond the reader's limit).
inline constexpr std::string_view uxMsgStreamWriteError = "Stream write error";

// Replaces each "%s" of Format by the next of Args; surplus markers stay empty.
std::string uxFormatMessage(std::string_view Format, std::initializer_list<std::string_view> Args);

// Shorthands that keep the throwing sites on one line.
[[noreturn]] void uxRaiseReadError(std::string_view Message);
[[noreturn]] void uxRaiseWriteError();
