// The Windows clipboard through the IClipboard seam, checked against what
// the raw clipboard calls see: what another Windows program would paste.

#include "platform/win32/Win32Clipboard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {

using platform::TWin32Clipboard;

// What a plain Windows program finds on the clipboard as UTF-16, or a marker
// when there is no text.
std::wstring RawText() {
  if (!OpenClipboard(nullptr)) return L"<cannot open>";
  std::wstring text = L"<no text>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// Puts Text on the clipboard as CF_UNICODETEXT, owned by a throwaway
// message-only window, as another program would.
void PutRaw(const std::wstring& Text) {
  const size_t size = (Text.size() + 1) * sizeof(wchar_t);
  HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(data), Text.c_str(), size);
  GlobalUnlock(data);
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, data), nullptr);
  CloseClipboard();
  DestroyWindow(owner);
}

struct TextCase {
  const char* Name;
  std::string Utf8;
  std::wstring Windows;  // as the raw clipboard holds it
  std::string ReadBack;  // what the Windows form reads back as
};

const TextCase TextCases[] = {
    {"plain ASCII", "LPG 12", L"LPG 12", "LPG 12"},
    {"Latin-1 and beyond", "Gas \xC3\xA4 \xE2\x82\xAC", L"Gas \u00E4 \u20AC", "Gas \xC3\xA4 \xE2\x82\xAC"},
    {"outside the BMP (a surrogate pair)", "\xF0\x9F\x9A\x97", L"\U0001F697", "\xF0\x9F\x9A\x97"},
    {"LF becomes CR LF", "one\ntwo\n", L"one\r\ntwo\r\n", "one\ntwo\n"},
    {"CR LF given stays one break", "a\r\nb", L"a\r\nb", "a\nb"},
    {"a lone CR stays", "a\rb", L"a\rb", "a\rb"},
};

TEST(Win32Clipboard, TextsReachOtherProgramsInWindowsForm) {
  TWin32Clipboard clipboard;
  for (const TextCase& c : TextCases) {
    clipboard.SetText(c.Utf8);
    EXPECT_EQ(RawText(), c.Windows) << c.Name;
  }
}

TEST(Win32Clipboard, TextsFromOtherProgramsReadAsUtf8WithLineFeeds) {
  TWin32Clipboard clipboard;
  for (const TextCase& c : TextCases) {
    PutRaw(c.Windows);
    EXPECT_EQ(clipboard.GetText(), c.ReadBack) << c.Name;
  }
}

TEST(Win32Clipboard, OneClipboardObjectSeesWhatAnotherSet) {
  TWin32Clipboard first;
  {
    TWin32Clipboard second;
    second.SetText("Benzin\nGas");
  }
  // The text outlives the object (and window) that set it.
  EXPECT_EQ(first.GetText(), "Benzin\nGas");
  first.SetText("");
  EXPECT_EQ(RawText(), L"");
  EXPECT_EQ(first.GetText(), "");
}

TEST(Win32Clipboard, AClipboardWithoutTextReadsEmpty) {
  TWin32Clipboard clipboard;
  clipboard.SetText("old");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(clipboard.GetText(), "");
}

TEST(Win32Clipboard, InvalidUtf8IsReplacedNotDropped) {
  TWin32Clipboard clipboard;
  clipboard.SetText(
      "a\xFF"
      "b");
  EXPECT_EQ(RawText(), L"a\uFFFDb");
}

}  // namespace
