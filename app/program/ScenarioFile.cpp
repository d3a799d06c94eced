// Reading scenario files: kept apart from the runner so that the parser
// builds on its own (the fuzz target links only this).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/program/Scenario.h"

namespace kardo {

namespace {

struct TKeyName {
  const char* Name;
  uint16_t Key;
  char32_t Char;
};

constexpr TKeyName kKeys[] = {
    {"Esc", platform::plKeyEscape, 27},    {"Enter", platform::plKeyReturn, 13},
    {"Tab", platform::plKeyTab, 9},        {"Space", platform::plKeySpace, ' '},
    {"Backspace", platform::plKeyBack, 8}, {"Delete", platform::plKeyDelete, 0},
    {"Insert", platform::plKeyInsert, 0},  {"Left", platform::plKeyLeft, 0},
    {"Right", platform::plKeyRight, 0},    {"Up", platform::plKeyUp, 0},
    {"Down", platform::plKeyDown, 0},      {"Home", platform::plKeyHome, 0},
    {"End", platform::plKeyEnd, 0},
};

// X11 keeps window coordinates and sizes in 16 bits.
constexpr int kMaxCoordinate = 32767;

bool SameText(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    const auto lower = [](char C) { return C >= 'A' && C <= 'Z' ? char(C + 32) : C; };
    if (lower(A[i]) != lower(B[i])) return false;
  }
  return true;
}

// Splits a line into words; a word in double quotes keeps its spaces, and
// "#" outside quotes ends the line.
bool Words(std::string_view Line, std::vector<std::string>& Out, std::vector<bool>& Quoted) {
  size_t i = 0;
  while (i < Line.size()) {
    if (Line[i] == ' ' || Line[i] == '\t' || Line[i] == '\r') {
      ++i;
    } else if (Line[i] == '#') {
      break;
    } else if (Line[i] == '"') {
      const size_t end = Line.find('"', i + 1);
      if (end == std::string_view::npos) return false;
      Out.emplace_back(Line.substr(i + 1, end - i - 1));
      Quoted.push_back(true);
      i = end + 1;
    } else {
      size_t end = i;
      while (end < Line.size() && Line[end] != ' ' && Line[end] != '\t' && Line[end] != '\r' &&
             Line[end] != '#')
        ++end;
      Out.emplace_back(Line.substr(i, end - i));
      Quoted.push_back(false);
      i = end;
    }
  }
  return true;
}

// Decimal, with "." whatever the locale.
bool Number(const std::string& Text, double& Value) {
  const char* end = Text.data() + Text.size();
  const auto r = std::from_chars(Text.data(), end, Value);
  return !Text.empty() && r.ec == std::errc{} && r.ptr == end && std::isfinite(Value);
}

bool Integer(const std::string& Text, int Min, int Max, int& Value) {
  const char* end = Text.data() + Text.size();
  const auto r = std::from_chars(Text.data(), end, Value);
  return !Text.empty() && r.ec == std::errc{} && r.ptr == end && Value >= Min && Value <= Max;
}

bool KnownWindow(const std::string& W) {
  return W == "console" || W == "display" || W == "settings";
}

// "Ctrl+Shift+Left", "Ctrl+A", "Esc": the modifiers, then a named key or one
// letter or digit.
bool ParseKey(std::string_view Text, TScenarioAction& A) {
  A.Shift = 0;
  for (size_t plus; (plus = Text.find('+')) != std::string_view::npos; Text.remove_prefix(plus + 1)) {
    const std::string_view m = Text.substr(0, plus);
    if (SameText(m, "Ctrl"))
      A.Shift |= platform::plCtrl;
    else if (SameText(m, "Shift"))
      A.Shift |= platform::plShift;
    else if (SameText(m, "Alt"))
      A.Shift |= platform::plAlt;
    else
      return false;
  }
  for (const TKeyName& k : kKeys)
    if (SameText(Text, k.Name)) {
      A.Key = k.Key;
      A.Char = k.Char;
      return true;
    }
  if (Text.size() != 1) return false;
  const char c = Text[0];
  if (c >= '0' && c <= '9') {
    A.Key = uint16_t(c);
    A.Char = char32_t(c);
    return true;
  }
  const char upper = c >= 'a' && c <= 'z' ? char(c - 32) : c;
  if (upper < 'A' || upper > 'Z') return false;
  // A letter key's code is its capital; Shift types the capital.
  A.Key = uint16_t(upper);
  A.Char = char32_t(A.Shift & platform::plShift ? upper : upper + 32);
  return true;
}

}  // namespace

bool TScenario::Load(const std::string& FileName, std::string& Error) {
  FActions.clear();
  // Opened without waiting, so that a FIFO is refused rather than waited on.
  const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    Error = "cannot read scenario " + FileName + ": " + std::strerror(errno);
    return false;
  }
  struct TClose {
    int Fd;
    ~TClose() { ::close(Fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    Error = "scenario " + FileName + " is not a regular file";
    return false;
  }
  const auto tooLarge = [&] {
    Error = "scenario " + FileName + " is larger than 64 MiB";
    return false;
  };
  if (uint64_t(st.st_size) > kScenarioMaxBytes) return tooLarge();
  // The file may grow while it is read: never past the limit.
  std::string text(size_t(st.st_size), '\0');
  size_t done = 0;
  for (;;) {
    if (done == text.size()) {
      if (text.size() > kScenarioMaxBytes) return tooLarge();
      text.resize(std::min<size_t>(text.size() + 4096, kScenarioMaxBytes + 1));
    }
    const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Error = "cannot read scenario " + FileName + ": " + std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    done += size_t(n);
  }
  text.resize(done);
  return Parse(text, FileName, Error);
}

bool TScenario::Parse(std::string_view Text, const std::string& FileName, std::string& Error) {
  FActions.clear();
  int line = 0;
  uint32_t last = 0;
  std::vector<std::string> w;
  std::vector<bool> quoted;
  while (!Text.empty()) {
    const size_t nl = Text.find('\n');
    const std::string_view raw = Text.substr(0, nl);
    Text = nl == std::string_view::npos ? std::string_view{} : Text.substr(nl + 1);
    ++line;
    auto bad = [&](const std::string& Expected) {
      Error = FileName + ":" + std::to_string(line) + ": " + Expected;
      FActions.clear();
      return false;
    };
    w.clear();
    quoted.clear();
    if (!Words(raw, w, quoted)) return bad("a closing \" expected");
    if (w.empty()) continue;
    double seconds = 0;
    if (w[0] != "at" || w.size() < 3 || !Number(w[1], seconds) || seconds < 0)
      return bad("expected 'at SECONDS ACTION ...'");
    // The clock counts milliseconds in 32 bits.
    const double ms = std::round(seconds * 1000);
    if (ms > double(std::numeric_limits<uint32_t>::max()))
      return bad("time " + w[1] + " is past the clock's range (at most 4294967.295 s)");
    if (FActions.size() == kScenarioMaxActions)
      return bad("more than " + std::to_string(kScenarioMaxActions) + " actions");
    TScenarioAction a;
    a.Line = line;
    a.TimeMs = uint32_t(ms);
    if (a.TimeMs < last)
      return bad("times must not go back (the line before is at " + std::to_string(last) + " ms)");
    last = a.TimeMs;
    const std::string& verb = w[2];
    const size_t n = w.size();
    auto windowAndObject = [&](size_t Count) {
      if (n != Count) return false;
      a.Window = w[3];
      a.Object = w[4];
      return KnownWindow(a.Window);
    };
    if (verb == "click" || verb == "dblclick") {
      a.Verb = verb == "click" ? TScenarioAction::vClick : TScenarioAction::vDblClick;
      if (!windowAndObject(5)) return bad("expected '" + verb + " console|display|settings OBJECT'");
    } else if (verb == "drag") {
      double v = 0;
      a.Verb = TScenarioAction::vDrag;
      if (!windowAndObject(7) || w[5] != "to" || !Number(w[6], v))
        return bad("expected 'drag WINDOW TRACKBAR to VALUE'");
      a.Value = float(v);
    } else if (verb == "type") {
      a.Verb = TScenarioAction::vType;
      if (!windowAndObject(6) || !quoted[5]) return bad("expected 'type WINDOW TEXTBOX \"TEXT\"'");
      a.Text = w[5];
    } else if (verb == "key") {
      a.Verb = TScenarioAction::vKey;
      if (n != 5 || !KnownWindow(w[3])) return bad("expected 'key WINDOW KEY'");
      a.Window = w[3];
      if (!ParseKey(w[4], a))
        return bad("unknown key '" + w[4] +
                   "' (Esc, Enter, Tab, Space, Backspace, Delete, Insert, arrows, Home, End, a "
                   "letter or a digit, after Ctrl+, Shift+ or Alt+)");
    } else if (verb == "move") {
      a.Verb = TScenarioAction::vMove;
      if (n != 6 || !KnownWindow(w[3]) || !Integer(w[4], -kMaxCoordinate, kMaxCoordinate, a.X) ||
          !Integer(w[5], -kMaxCoordinate, kMaxCoordinate, a.Y))
        return bad("expected 'move WINDOW X Y' (whole pixels, -32767 to 32767)");
      a.Window = w[3];
    } else if (verb == "resize") {
      a.Verb = TScenarioAction::vResize;
      if (n != 6 || !KnownWindow(w[3]) || !Integer(w[4], 1, kMaxCoordinate, a.X) ||
          !Integer(w[5], 1, kMaxCoordinate, a.Y))
        return bad("expected 'resize WINDOW WIDTH HEIGHT' (whole pixels, 1 to 32767)");
      a.Window = w[3];
    } else if (verb == "snapshot") {
      a.Verb = TScenarioAction::vSnapshot;
      if (n != 4) return bad("expected 'snapshot DIR'");
      a.Text = w[3];
    } else if (verb == "end") {
      a.Verb = TScenarioAction::vEnd;
      if (n != 3) return bad("expected nothing after 'end'");
    } else {
      return bad("unknown action '" + verb +
                 "' (click, dblclick, drag, type, key, move, resize, snapshot, end)");
    }
    FActions.push_back(std::move(a));
  }
  return true;
}

uint32_t TScenario::SettledMs() const {
  const uint64_t last = FActions.empty() ? 0 : FActions.back().TimeMs;
  return uint32_t(std::min<uint64_t>(last + kScenarioSettleMs, std::numeric_limits<uint32_t>::max()));
}

}  // namespace kardo
