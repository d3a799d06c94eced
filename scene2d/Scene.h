#pragma once

#include <cstdint>
#include <vector>

#include "scene2d/Geometry.h"

class TuiObject;
class TuiVisualObject;
class TuiComponent;
class TuiCanvas;
class TuiResources;
class TuiControl;
class TuiBitmap;
enum TuiOperation : uint8_t;

// The one interface through which a 2D tree reaches the window that shows it.
// The 3D GUI layer implements it for the windows; tests use a small host. A
// host is not reference counted: it outlives the trees it shows, and a tree
// holds it as a plain, non-owning pointer.
class IuxScene {
 public:
  virtual ~IuxScene() = default;

  // Roots.
  virtual void AddObject(TuiVisualObject* Object) = 0;
  virtual void RemoveObject(TuiObject* Object) = 0;
  // Window dragging and sizing by the mouse; true when the host holds the capture.
  virtual bool BeginWindowMove() = 0;
  virtual bool BeginWindowResize() = 0;
  // Asks for a repaint of an area in scene coordinates.
  virtual void AddUpdateRect(const TuiRect& Rect) = 0;
  // The same, for a change of Source alone (its own repaint): a host may
  // keep what lies under Source, since that has not changed.
  virtual void AddObjectUpdateRect(TuiVisualObject& Source, const TuiRect& Rect) {
    (void)Source;
    AddUpdateRect(Rect);
  }
  virtual void InsertObject(const char* ClassName) = 0;
  virtual TuiControl* GetActiveControl() = 0;
  virtual bool GetDisableUpdate() = 0;
  virtual void SetDisableUpdate(bool Value) = 0;
  virtual bool GetDesignTime() = 0;
  virtual TuiCanvas* GetCanvas() = 0;
  virtual TuiObject* GetRoot() = 0;
  virtual TuiComponent* GetOwner() = 0;
  virtual TuiComponent* GetComponent() = 0;
  virtual TuiResources* GetStyle() = 0;
  virtual void SetStyle(TuiResources* Value) = 0;
  virtual bool GetTransparency() = 0;
  virtual void UpdateResource() = 0;
  virtual void Notification(TuiComponent* Component, TuiOperation Operation) = 0;
  virtual TuiObject* GetSelected() = 0;
  virtual TuiObject* GetDesignDropTarget() = 0;
  virtual int GetUpdateRectsCount() = 0;
  virtual TuiRect GetUpdateRect(int Index) = 0;
  // Routes all mouse input to Object until released (none).
  virtual void SetCaptured(TuiVisualObject* Object) = 0;
  virtual TuiVisualObject* GetCaptured() = 0;
  // Moves the keyboard focus: the old object's KillFocus, then the new one's EnterFocus.
  virtual void SetFocused(TuiVisualObject* Object) = 0;
  virtual TuiVisualObject* GetFocused() = 0;
  virtual void SetDesignDblClick(TuiObject* Object) = 0;
  virtual TuiPoint GetMousePos() = 0;
  virtual TuiPoint LocalToScreen(const TuiPoint& Point) = 0;
  virtual void BeginDragDrop(TuiObject* Source, TuiBitmap* DragImage) = 0;
  virtual void SetSelected(TuiVisualObject* Object) = 0;
  virtual bool GetAnimatedCaret() = 0;
  // A text control gained or lost the focus; true when the host takes over text entry.
  virtual bool BeginTextInput(TuiControl* Control) = 0;
  virtual bool EndTextInput(TuiControl* Control) = 0;
};

// Every live scene host, in the order they were made. A host registers when it
// is constructed and unregisters when it is destroyed; the list only grows
// through registration and never holds a dead host.
class TuiSceneList {
 public:
  static void Register(IuxScene* Scene);
  static void Unregister(IuxScene* Scene);
  static const std::vector<IuxScene*>& Scenes();
};

// What every host does with its roots, for hosts to build on: keeps the list,
// registers the host in the scene list, and when the host goes, detaches the
// roots it still has, so that no root ever tells a dead host it is leaving.
// Hosts that own their roots free them first (FreeRoots).
class TuiSceneHost : public IuxScene {
 public:
  TuiSceneHost();
  ~TuiSceneHost() override;
  TuiSceneHost(const TuiSceneHost&) = delete;
  TuiSceneHost& operator=(const TuiSceneHost&) = delete;

  int RootCount() const { return int(FRoots.size()); }
  TuiObject* Roots(int Index) const { return FRoots[size_t(Index)]; }

  // Detaches the object from any parent, appends it to the roots, gives it
  // this host and asks for its repaint.
  void AddObject(TuiVisualObject* Object) override;
  // Repaints the area, takes the host away from the object, tells the host's
  // component, and drops it from the roots.
  void RemoveObject(TuiObject* Object) override;
  TuiObject* GetRoot() override { return FRoots.empty() ? nullptr : FRoots.front(); }

  // Run-time hosts have no designer.
  void InsertObject(const char*) override {}
  bool GetDesignTime() override { return false; }
  TuiObject* GetSelected() override { return nullptr; }
  TuiObject* GetDesignDropTarget() override { return nullptr; }
  void SetDesignDblClick(TuiObject*) override {}
  void SetSelected(TuiVisualObject*) override {}
  bool BeginTextInput(TuiControl*) override { return false; }
  bool EndTextInput(TuiControl*) override { return false; }

 protected:
  // Frees every root, last first.
  void FreeRoots();

 private:
  std::vector<TuiObject*> FRoots;
};
