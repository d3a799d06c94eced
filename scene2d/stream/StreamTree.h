#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/stream/ObjectStream.h"

// A stream's object records held in memory as they are, without classes: the
// header, the property entries in stream order with their values exactly as
// stored, and the children. Converting between the binary and the text form
// goes through it, and tools can inspect and edit streams with it.
class TuiStreamObject final : public IuxStreamReadTarget, public IuxStreamWriteSource {
 public:
  TuiObjectHeader Header;
  std::vector<TuiStreamProperty> Properties;
  std::vector<std::unique_ptr<TuiStreamObject>> Children;

  // Reads the root record at the reader's position; on failure the reader's
  // position tells where reading stopped.
  static std::unique_ptr<TuiStreamObject> Read(TuiStreamReader& Reader);
  static std::unique_ptr<TuiStreamObject> FromBinary(std::string_view Data);
  // The whole stream, signature included.
  std::string ToBinary() const;

  // This object and all its descendants.
  size_t ObjectCount() const;
  // The first property of that path, or none.
  const TuiStreamProperty* FindProperty(std::string_view Path) const;
  TuiStreamObject& AddChild(std::string ClassName, std::string Name = {});

  bool operator==(const TuiStreamObject& Other) const;

  void StreamSetHeader(const TuiObjectHeader& Value) override { Header = Value; }
  void StreamReadProperty(std::string_view Path, TuiStreamReader& Reader) override;
  IuxStreamReadTarget& StreamCreateChild(const TuiObjectHeader& ChildHeader) override;
  TuiObjectHeader StreamHeader() const override { return Header; }
  void StreamWriteProperties(TuiStreamWriter& Writer) const override;
  void StreamWriteChildren(TuiObjectWriter& Writer) const override;
};
