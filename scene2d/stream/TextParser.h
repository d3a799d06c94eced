#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "scene2d/stream/StreamTree.h"
#include "scene2d/stream/StreamWriter.h"

// Reads the text form of a stream into a stream tree, choosing the tags a
// writer would: integral numbers take the smallest integer tag, other numbers
// tag 5, strings tag 6, 12, 20 or 18 by the rules of uxStoreWideText.
//
//   object  [Name ':'] Class ['[' 'flags' N [',' 'position' P] ']']
//           property* object* 'end'
//   property  Path '=' value
//   value   integer      14   -3   $FF (hexadecimal)
//           float        0.5   1.5E-3   -0.0   +Inf   -Inf   +Nan
//                        with a suffix S, D or C: tags 15, 17, 16 (1.5S 2.25D 12.5C)
//           string       'text' with '' for a quote, #nnn (#$hh) character codes,
//                        pieces side by side or joined by '+' across lines
//           identifier   Bare.Name, or @'any text' for one that is not bare
//           False True nil Null    (any case; tags 8, 9, 13 and 0)
//           set          [name, name]
//           list         ( value value ... )
//           collection   < item [index] property* end ... >
//           binary       { hexadecimal digits, blanks anywhere }
//
// Names (object names, classes, paths, set elements) are bare words joined by
// dots, or quoted like strings. Characters in quotes are taken in the system
// code page; #nnn is a Unicode character. Blanks and line breaks separate
// tokens anywhere, except inside quotes.
//
// Errors raise EuxReadError with the reader's messages: "Stream read error"
// when the text ends early, "Invalid stream format" for what the grammar does
// not allow (an unterminated string, nesting beyond uxMaxStreamDepth), "Invalid
// property value" for numbers and codes out of range. Line(), Column() and
// Detail() then tell where and what.
class TuiTextParser {
 public:
  explicit TuiTextParser(std::string_view Text) : FText(Text) {}

  // The one root object; only blanks may follow its "end".
  std::unique_ptr<TuiStreamObject> Parse();

  // 1-based place where parsing stopped.
  int Line() const;
  int Column() const;
  const std::string& Detail() const { return FDetail; }

 private:
  [[noreturn]] void Fail(std::string_view Message, std::string Detail);
  [[noreturn]] void FailEnd(std::string Detail);
  bool AtEnd() const { return FPos >= FText.size(); }
  char Peek() const { return AtEnd() ? '\0' : FText[FPos]; }
  void SkipBlanks();
  // The bare word at the current position, not consumed; empty if none.
  std::string_view PeekWord() const;
  // Whether the word at the current position is Keyword, not followed by "=".
  bool AtKeyword(std::string_view Keyword) const;
  void Expect(char C, std::string_view What);
  void Enter();
  void Leave() { --FDepth; }

  void Object(TuiStreamObject& Object);
  void Prefix(TuiObjectHeader& Header);
  TuiStreamProperty Property();
  // A name and its "=".
  std::string PropertyName();
  std::string Name(std::string_view What, size_t MaxLength);
  std::u16string Text();
  TuiStreamValue Value(bool InList);
  TuiStreamValue Number();
  TuiStreamValue Set();
  // Lists and collections are encoded as they are read, nested ones straight
  // into the same writer, so that deep nesting copies nothing.
  void ValueInto(TuiStreamWriter& Writer, bool InList);
  void ListInto(TuiStreamWriter& Writer);
  void CollectionInto(TuiStreamWriter& Writer);
  TuiStreamValue Binary();

  std::string_view FText;
  size_t FPos = 0;
  int FDepth = 0;
  size_t FErrorPos = 0;
  std::string FDetail;
};
