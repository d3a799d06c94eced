#include "scene2d/stream/ObjectStream.h"

#include "scene2d/stream/StreamErrors.h"

void TuiObjectReader::ReadRoot(IuxStreamReadTarget& Root) {
  FRead.clear();
  FReader.ReadSignature();
  TuiObjectHeader header = FReader.ReadObjectHeader();
  FReader.EnterNesting();
  ReadObject(Root, header);
  FReader.LeaveNesting();
  for (IuxStreamReadTarget* object : FRead) object->StreamLoaded();
  FRead.clear();
}

std::string TuiObjectReader::PeekRootClassName(TuiStreamReader& Reader) {
  const TuiStreamReader::TMark start = Reader.Mark();
  try {
    Reader.ReadSignature();
    std::string name = Reader.ReadObjectHeader().ClassName;
    Reader.Reset(start);
    return name;
  } catch (...) {
    Reader.Reset(start);
    throw;
  }
}

void TuiObjectReader::ReadObject(IuxStreamReadTarget& Object, TuiObjectHeader& Header) {
  if (OnSetName) OnSetName(this, Object, Header.Name);
  Object.StreamSetHeader(Header);
  FRead.push_back(&Object);
  while (!FReader.EndOfList()) {
    const std::string_view path = FReader.ReadPropertyName();
    const TuiStreamReader::TMark valueStart = FReader.Mark();
    try {
      Object.StreamReadProperty(path, FReader);
    } catch (const EuxError& e) {
      PropertyFailed(e.what(), valueStart, Header, path);
    }
  }
  FReader.ReadEnd();
  while (!FReader.EndOfList()) {
    TuiObjectHeader childHeader = FReader.ReadObjectHeader();
    FReader.EnterNesting();
    ReadObject(Object.StreamCreateChild(childHeader), childHeader);
    FReader.LeaveNesting();
  }
  FReader.ReadEnd();
}

void TuiObjectReader::PropertyFailed(const std::string& Message, const TuiStreamReader::TMark& ValueStart,
                                     const TuiObjectHeader& Header, std::string_view Path) {
  // Skipping first: a value that cannot even be skipped is damage in the
  // stream, and that error, raised here, is the one that counts.
  FReader.Reset(ValueStart);
  FReader.SkipValue();
  bool handled = false;
  if (OnError) OnError(this, Message, handled);
  if (handled) return;
  const std::string& name = Header.Name.empty() ? Header.ClassName : Header.Name;
  throw EuxReadError(uxFormatMessage(uxMsgErrorReading, {name, ".", Path, Message}));
}

void TuiObjectWriter::WriteRoot(const IuxStreamWriteSource& Root) {
  FWriter.WriteSignature();
  WriteObject(Root);
}

void TuiObjectWriter::WriteObject(const IuxStreamWriteSource& Object) {
  FWriter.EnterNesting();
  FWriter.WriteObjectHeader(Object.StreamHeader());
  Object.StreamWriteProperties(FWriter);
  FWriter.WriteEnd();
  Object.StreamWriteChildren(*this);
  FWriter.WriteEnd();
  FWriter.LeaveNesting();
}
