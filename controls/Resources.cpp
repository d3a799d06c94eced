#include "controls/Resources.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

#include "scene2d/Scene.h"
#include "scene2d/VisualObject.h"

UX_IMPLEMENT_CLASS(TuiResources)

namespace {

std::string Lower(std::string_view S) {
  std::string r(S);
  for (char& c : r) c = char(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

// Made once and never freed: objects freed by exit handlers may still look.
std::map<std::string, std::string_view>& ResourceTable() {
  static auto* table = new std::map<std::string, std::string_view>;
  return *table;
}

std::unique_ptr<TuiObject>& DefaultSheet() {
  static std::unique_ptr<TuiObject> sheet;
  return sheet;
}

// A sheet file bigger than this is not a sheet; it is refused before it is read.
constexpr std::uintmax_t MaxSheetFileSize = 64u << 20;

void ClearDesignHide(TuiObject* Root) {
  if (TuiVisualObject* v = Root->Visual()) v->SetDesignHide(false);
  for (TuiObject* c : Root->ChildList()) ClearDesignHide(c);
}

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

bool IsReadableFile(const std::filesystem::path& P) {
  std::error_code ec;
  return std::filesystem::is_regular_file(P, ec) && std::filesystem::file_size(P, ec) <= MaxSheetFileSize &&
         !ec;
}

}  // namespace

// ---- TuiStyleSheets ----

void TuiStyleSheets::RegisterResource(std::string_view Name, std::string_view Data) {
  ResourceTable()[Lower(Name)] = Data;
}

void TuiStyleSheets::UnregisterResource(std::string_view Name) {
  ResourceTable().erase(Lower(Name));
}

std::string_view TuiStyleSheets::FindResource(std::string_view Name) {
  const auto& table = ResourceTable();
  auto it = table.find(Lower(Name));
  return it == table.end() ? std::string_view() : it->second;
}

TuiObject* TuiStyleSheets::Default() {
  return DefaultSheet().get();
}

TuiObject* TuiStyleSheets::LoadDefault() {
  auto& sheet = DefaultSheet();
  if (!sheet) {
    const std::string_view data = FindResource(DefaultResourceName);
    if (!data.empty()) sheet.reset(ReadSheet(data));
  }
  return sheet.get();
}

void TuiStyleSheets::FreeDefault() {
  DefaultSheet().reset();
}

TuiObject* TuiStyleSheets::ReadSheet(std::string_view Data) {
  // Reading drops stored names and skips what it cannot take; a failure
  // elsewhere (signature, unknown class, damaged records) gives none.
  return TuiObject::CreateObjectFromStream(nullptr, Data);
}

// ---- TuiResources ----

void TuiResources::DefineProperties(TuiClassBuilder<TuiResources>& C) {
  // The lines are stored through ResourcesBin, in the binary form.
  C.Property("Resource", &TuiResources::Resource, &TuiResources::SetResource).Stored = false;
  C.Property("FileName", &TuiResources::FileName, &TuiResources::SetFileName);
  C.Property("ResourcesBin", &TuiResources::ResourcesBin, &TuiResources::SetResourcesBin).StoredWhen =
      [](const TuiPersistent& O) { return static_cast<const TuiResources&>(O).Root() != nullptr; };
}

TuiResources::TuiResources(TuiComponent* Owner) : TuiComponent(Owner) {}

TuiResources::~TuiResources() {
  if (!TornDown()) TuiResources::BeforeDestruction();
}

void TuiResources::BeforeDestruction() {
  BeginDestroy();
  // Each host drops its Style, which unsubscribes it.
  while (!FHosts.empty()) {
    IuxScene* host = FHosts.front();
    FHosts.erase(FHosts.begin());
    if (host->GetStyle() == this) host->SetStyle(nullptr);
  }
  FRoot.reset();
  Inherited::BeforeDestruction();
}

void TuiResources::SetResource(const std::string& Value) {
  FResource = Value;
  Rebuild();
}

void TuiResources::Rebuild() {
  FRoot.reset();
  if (!FResource.empty()) TakeRoot(TuiObject::CreateObjectFromText(nullptr, FResource));
  NotifyHosts();
}

void TuiResources::TakeRoot(TuiObject* Root) {
  FRoot.reset(Root);
  if (FRoot) ClearDesignHide(FRoot.get());
}

TuiBinary TuiResources::ResourcesBin() const {
  TuiBinary b;
  if (FRoot) {
    // The root is written without its name.
    const std::string data = FRoot->SaveToStream();
    b.Bytes.assign(data.begin(), data.end());
  }
  return b;
}

void TuiResources::SetResourcesBin(const TuiBinary& Value) {
  FRoot.reset();
  const std::string_view data(reinterpret_cast<const char*>(Value.Bytes.data()), Value.Bytes.size());
  TakeRoot(TuiStyleSheets::ReadSheet(data));
  if (FRoot) NotifyHosts();
}

void TuiResources::SetFileName(const std::string& Value) {
  if (Value == FFileName) return;
  FFileName = Value;
  if (!IsLoading()) LoadFile();
}

void TuiResources::Loaded() {
  Inherited::Loaded();
  SetLoading(false);
  LoadFile();
}

void TuiResources::LoadFile() {
  if (FFileName.empty()) return;
  std::filesystem::path path = ExecutableFolder() / FFileName;
  if (!IsReadableFile(path)) path = FFileName;
  if (!IsReadableFile(path)) return;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return;
  SetResource(text);
}

void TuiResources::Subscribe(IuxScene* Host) {
  if (Host && std::find(FHosts.begin(), FHosts.end(), Host) == FHosts.end()) FHosts.push_back(Host);
}

void TuiResources::Unsubscribe(IuxScene* Host) {
  std::erase(FHosts, Host);
}

void TuiResources::NotifyHosts() {
  // A host may unsubscribe while it restyles.
  for (IuxScene* host : std::vector(FHosts))
    if (std::find(FHosts.begin(), FHosts.end(), host) != FHosts.end()) host->UpdateResource();
}

void uxChangeHostStyle(IuxScene& Host, TuiResources*& Current, TuiResources* Value) {
  if (Current) Current->Unsubscribe(&Host);
  Current = Value;
  if (Current) Current->Subscribe(&Host);
  Host.UpdateResource();
}
