#include "tools/common/ToolStreams.h"

#include <cstdio>

#include "scene2d/ClassInfo.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/ReadLosses.h"
#include "scene2d/stream/StreamConvert.h"
#include "scene2d/stream/StreamReader.h"
#include "scene2d/stream/TextParser.h"

std::unique_ptr<TuiStreamObject> uxReadToolTree(const std::string& Name, const std::string& Data,
                                                bool& Binary, bool Strict, std::string_view Tool) {
  Binary = uxIsBinaryStream(Data);
  if (Binary) {
    TuiStreamReader reader(Data);
    try {
      auto root = TuiStreamObject::Read(reader);
      if (!reader.AtEnd() && Strict)
        throw EuxToolError(uxDescribeInput(Name) + ": byte " + std::to_string(reader.Position()) + ": " +
                           std::to_string(reader.Remaining()) + " bytes after the root object");
      if (!reader.AtEnd())
        std::fprintf(stderr, "%.*s: %s: warning: %zu bytes after the root object are ignored\n",
                     int(Tool.size()), Tool.data(), uxDescribeInput(Name).c_str(), reader.Remaining());
      return root;
    } catch (const EuxReadError& e) {
      throw EuxToolError(uxDescribeInput(Name) + ": byte " + std::to_string(reader.Position()) + ": " +
                         e.what());
    }
  }
  TuiTextParser parser(Data);
  try {
    return parser.Parse();
  } catch (const EuxReadError& e) {
    throw EuxToolError(uxDescribeInput(Name) + ":" + std::to_string(parser.Line()) + ":" +
                       std::to_string(parser.Column()) + ": " + e.what() + " (" + parser.Detail() + ")");
  }
}

TuiToolObjects uxReadToolObjects(const std::string& Name, const std::string& Stream, std::string_view Tool) {
  TuiToolObjects result;
  result.Window = std::make_unique<TuiComponent>(nullptr);
  TuiLossCollector collector;
  try {
    const std::string className = PeekObjectClassName(Stream);
    const TuiClassInfo* info = TuiClassRegistry::Instance().Find(className);
    result.Root = info ? dynamic_cast<TuiComponent*>(info->Create(result.Window.get())) : nullptr;
    if (!result.Root) throw EuxReadError("Class " + className + " not found");
    // Without the program whose methods the handlers name, the names are kept
    // as a designer keeps them.
    TuiReadHooks hooks;
    hooks.KeepUnboundHandlers = true;
    // The root owns what it holds, as a window owns its layout's components,
    // so a window root writes its timers and its scene back out.
    ReadObjectData(Stream, *result.Root, result.Root, hooks);
  } catch (const EuxError& e) {
    throw EuxToolError(uxDescribeInput(Name) + ": " + e.what());
  }
  for (const TuiReadLoss& loss : collector.Losses())
    std::fprintf(stderr, "%.*s: %s: warning: %s: %s: %s, read as its fallback\n", int(Tool.size()),
                 Tool.data(), uxDescribeInput(Name).c_str(), loss.Object.c_str(), loss.Property.c_str(),
                 loss.What.c_str());
  result.Losses = collector.Losses().size();
  return result;
}
