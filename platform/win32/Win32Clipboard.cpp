#include "platform/win32/Win32Clipboard.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>

namespace platform {

namespace {

const wchar_t* const OwnerClass = L"KardoClipboardOwner";

// Another program may hold the clipboard open for a moment; a few short
// waits ride that out without blocking the message loop for long.
bool OpenWithRetries(HWND Owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(Owner)) return true;
    Sleep(2);
  }
  return false;
}

void RegisterOwnerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = OwnerClass;
  // A second registration fails with ERROR_CLASS_ALREADY_EXISTS, which is fine.
  RegisterClassExW(&wc);
}

}  // namespace

std::wstring ToWindowsText(std::string_view Utf8) {
  std::wstring wide;
  if (!Utf8.empty()) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), int(Utf8.size()), nullptr, 0);
    wide.resize(size_t(n));
    MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), int(Utf8.size()), wide.data(), n);
  }
  std::wstring out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) out += L'\r';
    out += wide[i];
  }
  return out;
}

std::string FromWindowsText(std::wstring_view Utf16) {
  std::wstring wide;
  wide.reserve(Utf16.size());
  for (size_t i = 0; i < Utf16.size(); ++i) {
    if (Utf16[i] == L'\r' && i + 1 < Utf16.size() && Utf16[i + 1] == L'\n') continue;
    wide += Utf16[i];
  }
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

TWin32Clipboard::TWin32Clipboard() {
  RegisterOwnerClass();
  FOwner = CreateWindowExW(0, OwnerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (!FOwner) throw std::runtime_error("Cannot create the clipboard's owner window");
}

TWin32Clipboard::~TWin32Clipboard() {
  DestroyWindow(FOwner);
}

std::string TWin32Clipboard::GetText() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenWithRetries(FOwner)) return {};
  std::string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      // The text ends at its first NUL or at the end of its memory, whichever
      // comes first: another program may have left the NUL out.
      const size_t limit = GlobalSize(data) / sizeof(wchar_t);
      size_t length = 0;
      while (length < limit && chars[length]) ++length;
      text = FromWindowsText(std::wstring_view(chars, length));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void TWin32Clipboard::SetText(std::string_view Utf8) {
  const std::wstring text = ToWindowsText(Utf8);
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!data) return;
  void* target = GlobalLock(data);
  if (!target) {
    GlobalFree(data);
    return;
  }
  std::memcpy(target, text.c_str(), bytes);
  GlobalUnlock(data);
  if (!OpenWithRetries(FOwner)) {
    GlobalFree(data);
    return;
  }
  EmptyClipboard();
  // On success the clipboard owns the memory; otherwise it is still ours.
  if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
  CloseClipboard();
}

}  // namespace platform
