#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene2d/ClassInfo.h"
#include "scene2d/Object.h"

class IuxScene;

// Where style sheets come from: the program's embedded resources (the
// built-in sheet "defaultuistyle" among them) and the sheet read from it once
// per process.
class TuiStyleSheets {
 public:
  // The name the built-in sheet is embedded under.
  static constexpr std::string_view DefaultResourceName = "defaultuistyle";

  // Embedded binary resources by name (case-insensitive). Data must outlive
  // the process's use of it (a byte array in the program); registering a name
  // again replaces it.
  static void RegisterResource(std::string_view Name, std::string_view Data);
  static void UnregisterResource(std::string_view Name);
  // Empty when there is no such resource.
  static std::string_view FindResource(std::string_view Name);

  // The built-in sheet, or none while it is not loaded.
  static TuiObject* Default();
  // Reads the built-in sheet when it is not loaded yet: a missing or
  // unreadable resource leaves none, and the next call tries again.
  static TuiObject* LoadDefault();
  // Frees the built-in sheet (library shutdown); the next lookup reloads it.
  static void FreeDefault();

  // A sheet from binary stream data: the class the stream names, no owner,
  // names dropped, unreadable properties skipped; none when it cannot be read.
  static TuiObject* ReadSheet(std::string_view Data);
};

// A style sheet a host can use in place of the built-in one (a host's Style).
// It holds the sheet as text lines, read into a root object on every change,
// and tells its subscribed hosts to restyle.
class TuiResources : public TuiComponent {
  UX_CLASS(TuiResources, TuiComponent)
 public:
  explicit TuiResources(TuiComponent* Owner);
  ~TuiResources() override;

  // The sheet in the stream's text form; replacing it rebuilds the root.
  const std::string& Resource() const { return FResource; }
  void SetResource(const std::string& Value);
  // The sheet read, or none.
  TuiObject* Root() const { return FRoot.get(); }

  // A text-form sheet loaded once the component is loaded: beside the
  // executable first, then as given.
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value);

  // Hosts whose Style is this component; they hear of every rebuild
  // (IuxScene::UpdateResource) and lose their Style when it is freed.
  void Subscribe(IuxScene* Host);
  void Unsubscribe(IuxScene* Host);
  int SubscriberCount() const { return int(FHosts.size()); }

  // The root as a nested binary stream, for "ResourcesBin".
  TuiBinary ResourcesBin() const;
  void SetResourcesBin(const TuiBinary& Value);

  void Loaded() override;

  static void DefineProperties(TuiClassBuilder<TuiResources>& C);

 protected:
  void BeforeDestruction() override;

 private:
  void Rebuild();
  void TakeRoot(TuiObject* Root);
  void NotifyHosts();
  void LoadFile();

  std::string FResource;
  std::unique_ptr<TuiObject> FRoot;
  std::vector<IuxScene*> FHosts;
  std::string FFileName;
};

// What a host does when its Style is set: moves its subscription from
// Current to Value, stores Value in Current and restyles its root.
void uxChangeHostStyle(IuxScene& Host, TuiResources*& Current, TuiResources* Value);
