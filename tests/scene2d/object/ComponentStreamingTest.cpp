#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "scene2d/Errors.h"
#include "scene2d/Layouts.h"
#include "scene2d/Node.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/Registration.h"
#include "scene2d/stream/StreamConvert.h"
#include "tests/scene2d/testing/TestHost.h"

// Streams hold more than 2D trees: a window's layout is a form with a 3D tree
// (built on the same node machinery), a layer hosting 2D roots, non-visual
// timers, references between components and handler names. These classes are
// the smallest such cast.

namespace {

using TNotify = std::function<void(TuiComponent* Sender)>;

// A 3D node: a component that reuses the parent/child node of the 2D tree.
class TTestNode3D : public TuiComponent, public TuiNode<TTestNode3D> {
  UX_CLASS(TTestNode3D, TuiComponent)
  friend class TuiNode<TTestNode3D>;

 public:
  using TuiComponent::TuiComponent;
  float Depth() const { return FDepth; }
  void SetDepth(float V) { FDepth = V; }
  void Add(TTestNode3D* Child) {
    if (Child->Parent()) Child->Parent()->UnlinkChild(Child);
    LinkChild(Child);
  }
  bool HasParent() const override { return true; }
  TuiComponent* GetParentComponent() const override { return Parent(); }
  void SetParentComponent(TuiComponent* P) override {
    if (auto* node = dynamic_cast<TTestNode3D*>(P)) node->Add(this);
  }
  void GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const override {
    TuiComponent::GetChildren(Proc, Root);
    for (TTestNode3D* c : ChildList()) Proc(c);
  }
  static void DefineProperties(TuiClassBuilder<TTestNode3D>& C) {
    C.Property("Depth", &TTestNode3D::Depth, &TTestNode3D::SetDepth, 1.0f);
  }

 protected:
  void BeforeDestruction() override {
    if (Parent()) Parent()->UnlinkChild(this);
    for (TTestNode3D* c : TakeChildren()) delete c;
    TuiComponent::BeforeDestruction();
  }

 private:
  float FDepth = 1;
};
UX_IMPLEMENT_CLASS(TTestNode3D)

// Looks at another node without owning it.
class TTestCamera : public TTestNode3D {
  UX_CLASS(TTestCamera, TTestNode3D)
 public:
  using TTestNode3D::TTestNode3D;
  TTestNode3D* Target() const { return FTarget; }
  void SetTarget(TTestNode3D* V) {
    if (FTarget) RemoveFreeNotification(FTarget);
    FTarget = V;
    if (FTarget) FreeNotification(FTarget);
  }
  void Notification(TuiComponent* C, TuiOperation Op) override {
    TTestNode3D::Notification(C, Op);
    if (Op == opRemove && C == FTarget) FTarget = nullptr;
  }
  static void DefineProperties(TuiClassBuilder<TTestCamera>& C) {
    C.Reference("Target", &TTestCamera::Target, &TTestCamera::SetTarget);
  }

 private:
  TTestNode3D* FTarget = nullptr;
};
UX_IMPLEMENT_CLASS(TTestCamera)

// A 3D node that hosts a 2D tree, as the GUI layer of a window does.
class TTestLayer : public TTestNode3D, public TTestHost {
  UX_CLASS(TTestLayer, TTestNode3D)
 public:
  explicit TTestLayer(TuiComponent* Owner) : TTestNode3D(Owner) { Component = this; }
  void GetChildren(const std::function<void(TuiComponent*)>& Proc, const TuiComponent* Root) const override {
    TTestNode3D::GetChildren(Proc, Root);
    for (int i = 0; i < RootCount(); ++i)
      if (Roots(i)->Stored()) Proc(Roots(i));
  }
  void Notification(TuiComponent* C, TuiOperation Op) override {
    TTestNode3D::Notification(C, Op);
    TTestHost::Notification(C, Op);
  }
};
UX_IMPLEMENT_CLASS(TTestLayer)

class TTestTimer : public TuiComponent {
  UX_CLASS(TTestTimer, TuiComponent)
 public:
  using TuiComponent::TuiComponent;
  int32_t Interval() const { return FInterval; }
  void SetInterval(int32_t V) { FInterval = V; }
  TNotify OnTimer;
  static void DefineProperties(TuiClassBuilder<TTestTimer>& C) {
    C.Property("Interval", &TTestTimer::Interval, &TTestTimer::SetInterval, 1000);
    C.Event("OnTimer", &TTestTimer::OnTimer);
  }

 private:
  int32_t FInterval = 1000;
};
UX_IMPLEMENT_CLASS(TTestTimer)

// The window class a layout is read into: the handlers are its methods.
class TTestForm : public TuiComponent {
  UX_CLASS(TTestForm, TuiComponent)
 public:
  using TuiComponent::TuiComponent;
  std::string Log;
  void PanelClick(TuiObject* Sender) { Log += "click " + Sender->Name() + ";"; }
  void Timer1Timer(TuiComponent* Sender) { Log += "tick " + Sender->Name() + ";"; }
  static void DefineProperties(TuiClassBuilder<TTestForm>& C) {
    C.Method("PanelClick", &TTestForm::PanelClick);
    C.Method("Timer1Timer", &TTestForm::Timer1Timer);
  }
};
UX_IMPLEMENT_CLASS(TTestForm)

struct Registered {
  Registered() {
    RegisterScene2dClasses();
    TuiClassRegistry::Instance().Register(
        "Test3D", {&TTestNode3D::StaticClass(), &TTestCamera::StaticClass(), &TTestLayer::StaticClass(),
                   &TTestTimer::StaticClass(), &TTestForm::StaticClass()});
  }
} registered;

// The camera comes before the node it looks at, so its reference can only be
// resolved once the whole stream is in.
constexpr const char* kLayout =
    "object Form1: TTestForm\n"
    "  object Scene1: TTestNode3D\n"
    "    object Camera1: TTestCamera\n"
    "      Target = GuiLayer\n"
    "    end\n"
    "    object GuiLayer: TTestLayer\n"
    "      Depth = 8\n"
    "      object Root3: TuiLayout\n"
    "        Width = 120\n"
    "        object Panel1: TuiLayout\n"
    "          OnClick = PanelClick\n"
    "        end\n"
    "      end\n"
    "    end\n"
    "  end\n"
    "  object Timer1: TTestTimer\n"
    "    Interval = 250\n"
    "    OnTimer = Timer1Timer\n"
    "  end\n"
    "end\n";

template <class T>
T* Find(TuiComponent& Form, const char* Name) {
  auto* found = dynamic_cast<T*>(Form.FindComponent(Name));
  EXPECT_NE(found, nullptr) << Name;
  return found;
}

TEST(ComponentStreaming, AMixedLayoutRoundTripsThroughBothForms) {
  const std::string binary = uxObjectTextToBinary(kLayout);
  auto form = std::make_unique<TTestForm>(nullptr);
  ReadObjectData(binary, *form, form.get());

  auto* scene = Find<TTestNode3D>(*form, "Scene1");
  auto* camera = Find<TTestCamera>(*form, "Camera1");
  auto* layer = Find<TTestLayer>(*form, "GuiLayer");
  auto* root = Find<TuiLayout>(*form, "Root3");
  auto* panel = Find<TuiLayout>(*form, "Panel1");
  auto* timer = Find<TTestTimer>(*form, "Timer1");
  ASSERT_TRUE(scene && camera && layer && root && panel && timer);
  EXPECT_EQ(camera->Parent(), scene);
  EXPECT_EQ(layer->Parent(), scene);
  EXPECT_EQ(layer->Depth(), 8.0f);
  EXPECT_EQ(camera->Target(), layer) << "a reference named before its target is fixed up at the end";
  ASSERT_EQ(layer->RootCount(), 1);
  EXPECT_EQ(layer->Roots(0), root);
  EXPECT_EQ(root->Scene(), layer);
  EXPECT_EQ(root->Width(), 120.0f);
  EXPECT_EQ(panel->Parent(), root);
  EXPECT_EQ(panel->Scene(), layer);
  EXPECT_EQ(timer->Interval(), 250);
  EXPECT_EQ(timer->Owner(), form.get());

  // The handlers are the form's own methods.
  ASSERT_TRUE(panel->Handlers().OnClick);
  ASSERT_TRUE(timer->OnTimer);
  panel->Handlers().OnClick(panel);
  timer->OnTimer(timer);
  EXPECT_EQ(form->Log, "click Panel1;tick Timer1;");

  // Written back, it is the same layout (the writer keeps whole floats as
  // floats, the text converter as integers), and reading that changes nothing.
  const std::string again = WriteObjectData(*form);
  EXPECT_EQ(uxObjectTextToBinary(uxObjectBinaryToText(again)), binary);
  TTestForm copy(nullptr);
  ReadObjectData(again, copy, &copy);
  EXPECT_EQ(WriteObjectData(copy), again);

  // A weak reference is cleared when its target dies; the host's roots go
  // with the host's owner, whatever the order.
  delete layer;
  EXPECT_EQ(camera->Target(), nullptr);
  EXPECT_EQ(root->Scene(), nullptr);
  form.reset();
}

TEST(ComponentStreaming, UnresolvedNamesAndUnknownHandlers) {
  // A reference to a name nobody carries stays none and is no error.
  {
    TTestForm form(nullptr);
    ReadObjectData(uxObjectTextToBinary("object F: TTestForm\n object C: TTestCamera\n  Target = Nowhere\n"
                                        " end\nend\n"),
                   form, &form);
    auto* camera = dynamic_cast<TTestCamera*>(form.FindComponent("C"));
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->Target(), nullptr);
    EXPECT_EQ(WriteObjectData(form).find("Target"), std::string::npos);
  }
  // A handler the form has no method for is the reader's error at run time,
  // and a kept name for a reader that has no program (a converter, a designer).
  const std::string unknown = uxObjectTextToBinary(
      "object F: TTestForm\n object T: TTestTimer\n  OnTimer = NoSuchMethod\n end\nend\n");
  {
    TTestForm form(nullptr);
    try {
      ReadObjectData(unknown, form, &form);
      ADD_FAILURE() << "an unknown handler was accepted";
    } catch (const EuxReadError& e) {
      EXPECT_EQ(std::string(e.what()), "Error reading T.OnTimer: Invalid property value");
    }
  }
  {
    TTestForm form(nullptr);
    TuiReadHooks keep;
    keep.KeepUnboundHandlers = true;
    ReadObjectData(unknown, form, &form, keep);
    auto* timer = dynamic_cast<TTestTimer*>(form.FindComponent("T"));
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->OnTimer);
    EXPECT_EQ(WriteObjectData(form), unknown) << "the name survives a round trip";
  }
  // A method of another signature does not fit the event.
  {
    TTestForm form(nullptr);
    EXPECT_THROW(ReadObjectData(uxObjectTextToBinary("object F: TTestForm\n object T: TTestTimer\n"
                                                     "  OnTimer = PanelClick\n end\nend\n"),
                                form, &form),
                 EuxReadError);
  }
}

TEST(ComponentStreaming, ReadComponentsThatNothingHoldsBelongToTheRoot) {
  // No owner given: the timer has no parent either, so the root takes it.
  auto form = std::make_unique<TTestForm>(nullptr);
  ReadObjectData(uxObjectTextToBinary("object F: TTestForm\n object T: TTestTimer\n end\nend\n"), *form,
                 nullptr);
  ASSERT_EQ(form->ComponentCount(), 1);
  EXPECT_EQ(form->Components(0)->Name(), "T");
  form.reset();  // frees the timer; the sanitizer build sees a leak otherwise
}

}  // namespace
