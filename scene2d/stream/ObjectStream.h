#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/StreamWriter.h"

// Reading and writing object records, for whatever objects implement the two
// interfaces below. The stream layer knows no classes: the object tree plugs in
// here, and so does the generic TuiStreamObject of StreamTree.h.
//
// Reading, TuiObjectReader::ReadRoot(Root):
//   1. The signature, then the root's header. OnSetName(Sender, Object, Name)
//      may change the stored name (style loaders empty it); then
//      Object.StreamSetHeader(Header) with the name that results.
//   2. Each property entry: Object.StreamReadProperty(Path, Reader). The target
//      resolves the dotted path in its class table (a pseudo-property such as
//      "Point" or "PNG" goes to the sub-object that owns it), reads exactly one
//      value with a typed Read... of the reader, and raises EuxReadError with
//      "Property %s does not exist", "Invalid property path", "Invalid property
//      value" or "Property is read-only" (StreamErrors.h) when it cannot.
//   3. Each child record: Parent.StreamCreateChild(Header) creates the
//      registered class with the stream's owner and attaches it to Parent, or
//      raises "Class %s not found"; the child then goes through 1 and 2 and 3.
//   4. Once the whole stream is read, StreamLoaded() on every object read, in
//      reading order, so parents before their children.
//   Any EuxError raised in step 2 is offered to OnError(Sender, Message,
//   Handled), unless the value itself is damaged (then the stream's own error
//   stands, as no skipping can get past it). Handled = true skips the value and
//   reading goes on; otherwise reading stops with "Error reading
//   Name.Path: Message" (the class name stands in for an empty object name).
//   Errors outside properties (signature, class names, structure) are never
//   offered: they end the read with their own message.
//
// Writing, TuiObjectWriter::WriteRoot(Root):
//   The signature, then per object: StreamHeader(); StreamWriteProperties(Writer)
//   writes each stored property as Writer.WritePropertyName(Path) followed by
//   one typed Write... (integers, tag 5 floats and texts get their tags there);
//   the end of the properties; StreamWriteChildren(ObjectWriter) calls
//   ObjectWriter.WriteObject(Child) for each stored child, in order; the end of
//   the children.

class IuxStreamReadTarget {
 public:
  virtual void StreamSetHeader(const TuiObjectHeader& Header) = 0;
  virtual void StreamReadProperty(std::string_view Path, TuiStreamReader& Reader) = 0;
  virtual IuxStreamReadTarget& StreamCreateChild(const TuiObjectHeader& Header) = 0;
  virtual void StreamLoaded() {}

 protected:
  ~IuxStreamReadTarget() = default;
};

class TuiObjectWriter;

class IuxStreamWriteSource {
 public:
  virtual TuiObjectHeader StreamHeader() const = 0;
  virtual void StreamWriteProperties(TuiStreamWriter& Writer) const = 0;
  virtual void StreamWriteChildren(TuiObjectWriter& Writer) const = 0;

 protected:
  ~IuxStreamWriteSource() = default;
};

class TuiObjectReader {
 public:
  explicit TuiObjectReader(TuiStreamReader& Reader) : FReader(Reader) {}

  TuiStreamReader& Reader() const { return FReader; }

  // Reads the stream at the reader's position into the existing Root.
  void ReadRoot(IuxStreamReadTarget& Root);

  // The class name of the root record at the reader's position (signature
  // checked); the position is left where it was.
  static std::string PeekRootClassName(TuiStreamReader& Reader);

  std::function<void(TuiObjectReader* Sender, IuxStreamReadTarget& Object, std::string& Name)> OnSetName;
  std::function<void(TuiObjectReader* Sender, const std::string& Message, bool& Handled)> OnError;

 private:
  void ReadObject(IuxStreamReadTarget& Object, TuiObjectHeader& Header);
  void PropertyFailed(const std::string& Message, const TuiStreamReader::TMark& ValueStart,
                      const TuiObjectHeader& Header, std::string_view Path);

  TuiStreamReader& FReader;
  std::vector<IuxStreamReadTarget*> FRead;
};

class TuiObjectWriter {
 public:
  explicit TuiObjectWriter(TuiStreamWriter& Writer) : FWriter(Writer) {}

  TuiStreamWriter& Writer() const { return FWriter; }

  void WriteRoot(const IuxStreamWriteSource& Root);
  void WriteObject(const IuxStreamWriteSource& Object);

 private:
  TuiStreamWriter& FWriter;
};
