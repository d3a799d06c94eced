#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "scene2d/Object.h"
#include "scene2d/stream/StreamTree.h"
#include "tools/common/ToolFiles.h"

// Reading a layout the way the tools report it: failures as EuxToolError
// saying where reading stopped ("IN: byte 14: Stream read error",
// "IN:3:7: Invalid stream format (detail)"), warnings on standard error as
// "TOOL: IN: warning: ...".

// The stream tree of Data in either form (binary when it starts with "TPF0").
// Bytes after the root object are a warning, or with Strict an error.
std::unique_ptr<TuiStreamObject> uxReadToolTree(const std::string& Name, const std::string& Data,
                                                bool& Binary, bool Strict, std::string_view Tool);

// A layout read into live objects, as a window reads it.
struct TuiToolObjects {
  std::unique_ptr<TuiComponent> Window;  // a stand-in for the window whose layout this is
  TuiComponent* Root = nullptr;          // owned by Window
  size_t Losses = 0;                     // values that took their fallback
};

// Reads binary Stream into objects of the registered classes; handler names
// are kept, as a designer keeps them. Each fallback taken is a warning.
TuiToolObjects uxReadToolObjects(const std::string& Name, const std::string& Stream, std::string_view Tool);
