#include "scene2d/stream/StreamTree.h"

std::unique_ptr<TuiStreamObject> TuiStreamObject::Read(TuiStreamReader& Reader) {
  auto root = std::make_unique<TuiStreamObject>();
  TuiObjectReader(Reader).ReadRoot(*root);
  return root;
}

std::unique_ptr<TuiStreamObject> TuiStreamObject::FromBinary(std::string_view Data) {
  TuiStreamReader reader(Data);
  return Read(reader);
}

std::string TuiStreamObject::ToBinary() const {
  TuiStreamWriter writer;
  TuiObjectWriter(writer).WriteRoot(*this);
  return writer.TakeData();
}

size_t TuiStreamObject::ObjectCount() const {
  size_t n = 1;
  for (const auto& child : Children) n += child->ObjectCount();
  return n;
}

const TuiStreamProperty* TuiStreamObject::FindProperty(std::string_view Path) const {
  for (const TuiStreamProperty& p : Properties)
    if (p.Path == Path) return &p;
  return nullptr;
}

TuiStreamObject& TuiStreamObject::AddChild(std::string ClassName, std::string Name) {
  auto& child = *Children.emplace_back(std::make_unique<TuiStreamObject>());
  child.Header.ClassName = std::move(ClassName);
  child.Header.Name = std::move(Name);
  return child;
}

bool TuiStreamObject::operator==(const TuiStreamObject& Other) const {
  if (!(Header == Other.Header) || Properties != Other.Properties || Children.size() != Other.Children.size())
    return false;
  for (size_t i = 0; i < Children.size(); ++i)
    if (!(*Children[i] == *Other.Children[i])) return false;
  return true;
}

void TuiStreamObject::StreamReadProperty(std::string_view Path, TuiStreamReader& Reader) {
  TuiStreamValue value = Reader.ReadValue();
  Properties.push_back({std::string(Path), std::move(value)});
}

IuxStreamReadTarget& TuiStreamObject::StreamCreateChild(const TuiObjectHeader& ChildHeader) {
  auto& child = *Children.emplace_back(std::make_unique<TuiStreamObject>());
  child.Header = ChildHeader;
  return child;
}

void TuiStreamObject::StreamWriteProperties(TuiStreamWriter& Writer) const {
  for (const TuiStreamProperty& p : Properties) {
    Writer.WritePropertyName(p.Path);
    Writer.WriteValue(p.Value);
  }
}

void TuiStreamObject::StreamWriteChildren(TuiObjectWriter& Writer) const {
  for (const auto& child : Children) Writer.WriteObject(*child);
}
