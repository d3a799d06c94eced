#pragma once

#include <string>
#include <string_view>

#include "platform/Clipboard.h"

struct HWND__;

// The Windows clipboard as one UTF-8 text. Windows keeps clipboard text in
// UTF-16 with CR LF line breaks; the controls work in UTF-8 with LF, so texts
// are converted both ways. Setting the clipboard needs an owner window: each
// clipboard object keeps a message-only window of its own.
//
// Like the X11 selections, it is best effort: when another program holds the
// clipboard open for longer than a moment, GetText gives an empty text and
// SetText leaves the clipboard as it was.
namespace platform {

class TWin32Clipboard final : public IClipboard {
 public:
  TWin32Clipboard();
  ~TWin32Clipboard() override;
  TWin32Clipboard(const TWin32Clipboard&) = delete;
  TWin32Clipboard& operator=(const TWin32Clipboard&) = delete;

  std::string GetText() override;
  void SetText(std::string_view Utf8) override;

 private:
  HWND__* FOwner = nullptr;
};

// UTF-8 with LF line breaks to UTF-16 with CR LF, and back; a lone CR is kept
// as it is. Invalid UTF-8 becomes U+FFFD, as does an unpaired surrogate.
std::wstring ToWindowsText(std::string_view Utf8);
std::string FromWindowsText(std::wstring_view Utf16);

}  // namespace platform
