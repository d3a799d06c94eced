#include "draw2d/ImageFilter.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>

#include "draw2d/Bitmap.h"
#include "draw2d/SystemFilter.h"
#include "scene2d/Errors.h"
#include "scene2d/Persistent.h"

bool TuiFilter::GetImageSize(const std::string&, int32_t&, int32_t&) {
  return false;
}

bool TuiFilter::LoadFromStream(std::istream& Stream, TuiBitmap& Bitmap) {
  std::optional<std::vector<uint8_t>> data = ReadStreamBytes(Stream, MaxInputBytes);
  return data && LoadFromBytes(*data, Bitmap);
}

TuiFilter::TShrinkCheck TuiFilter::CheckShrinkable(std::span<const uint8_t>, int64_t, int32_t&, int32_t&,
                                                   TuiBitmap*) {
  return TShrinkCheck::NotShrinkable;
}

bool TuiFilter::LoadFromBytesAtLeast(std::span<const uint8_t> Data, TuiBitmap& Bitmap, int32_t, int32_t) {
  return LoadFromBytes(Data, Bitmap);
}

bool TuiFilter::SaveToStream(std::ostream& Stream, const TuiBitmap& Bitmap, std::string_view Format,
                             std::string_view Params) {
  std::vector<uint8_t> data;
  if (!SaveToBytes(data, Bitmap, Format, Params)) return false;
  Stream.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return bool(Stream);
}

TuiImageFormat FormatFromName(std::string_view Name) {
  if (SameText(Name, "jpeg") || SameText(Name, "jpg")) return ifJpeg;
  if (SameText(Name, "bmp")) return ifBmp;
  if (SameText(Name, "tif") || SameText(Name, "tiff")) return ifTiff;
  if (SameText(Name, "gif")) return ifGif;
  return ifPng;
}

TuiImageFormat FormatFromFileName(std::string_view FileName) {
  size_t dot = FileName.rfind('.');
  size_t slash = FileName.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return ifPng;
  return FormatFromName(FileName.substr(dot + 1));
}

std::optional<int> QualityParam(std::string_view Params) {
  std::optional<int> quality;
  size_t pos = 0;
  while (pos < Params.size()) {
    size_t end = Params.find(' ', pos);
    if (end == std::string_view::npos) end = Params.size();
    std::string_view pair = Params.substr(pos, end - pos);
    pos = end + 1;
    size_t eq = pair.find('=');
    if (eq == std::string_view::npos || !SameText(pair.substr(0, eq), "quality")) continue;
    std::string_view text = pair.substr(eq + 1);
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range)
      value = text.starts_with('-') ? 0 : 100;
    else if (ec != std::errc() || ptr != text.data() + text.size())
      continue;
    quality = std::clamp(value, 0, 100);
  }
  return quality;
}

std::optional<std::vector<uint8_t>> ReadStreamBytes(std::istream& Stream, size_t MaxBytes) {
  std::vector<uint8_t> data;
  char chunk[65536];
  while (Stream) {
    Stream.read(chunk, sizeof chunk);
    size_t got = size_t(Stream.gcount());
    if (got > MaxBytes - data.size()) return std::nullopt;
    data.insert(data.end(), chunk, chunk + got);
  }
  return data;
}

// ---- the registry ----

TuiFilterRegistry::TuiFilterRegistry() {
  // Registered here rather than by a static initialiser, which a static
  // library would drop unless something else pulled its object file in.
  FDefault = uxRegisterSystemFilter(*this);
}

TuiFilterRegistry& TuiFilterRegistry::Instance() {
  static TuiFilterRegistry registry;
  return registry;
}

void TuiFilterRegistry::Register(std::string_view ClassName, TFactory Factory) {
  for (TEntry& e : FEntries)
    if (SameText(e.Name, ClassName)) {
      e.Factory = std::move(Factory);
      return;
    }
  FEntries.push_back({std::string(ClassName), std::move(Factory)});
}

std::vector<std::string> TuiFilterRegistry::ClassNames() const {
  std::vector<std::string> names;
  for (const TEntry& e : FEntries) names.push_back(e.Name);
  return names;
}

std::unique_ptr<TuiFilter> TuiFilterRegistry::Create(std::string_view ClassName) const {
  for (const TEntry& e : FEntries)
    if (SameText(e.Name, ClassName) && e.Factory) return e.Factory();
  return nullptr;
}

std::unique_ptr<TuiFilter> TuiFilterRegistry::CreateDefault() const {
  std::unique_ptr<TuiFilter> filter = Create(FDefault);
  if (!filter) throw EuxError("No image filter is registered");
  return filter;
}

bool TuiFilterRegistry::SetDefaultClass(std::string_view ClassName) {
  for (const TEntry& e : FEntries)
    if (SameText(e.Name, ClassName)) {
      FDefault = e.Name;
      return true;
    }
  return false;
}
