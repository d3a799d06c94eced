#pragma once

#include <string>
#include <string_view>

// The system clipboard as the controls see it: one text in UTF-8. The window
// layer implements it over the X11 selections; until one is installed the
// process keeps its own in-memory clipboard, which is also what tests use.
namespace platform {

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Empty when the clipboard holds no text.
  virtual std::string GetText() = 0;
  virtual void SetText(std::string_view Utf8) = 0;
};

// A clipboard that lives only as long as the process.
class TMemoryClipboard final : public IClipboard {
 public:
  std::string GetText() override { return FText; }
  void SetText(std::string_view Utf8) override { FText = Utf8; }

 private:
  std::string FText;
};

// The installed clipboard, or the process's in-memory one.
IClipboard& Clipboard();
// Installs Value (not owned; it must stay alive until it is replaced); none
// goes back to the in-memory clipboard.
void SetClipboard(IClipboard* Value);

}  // namespace platform
