// 3D animations on the shared 25 ms timer over a virtual clock, and on a
// RealTime scene's ticks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/VirtualClock.h"
#include "scene2d/ObjectStreaming.h"
#include "scene2d/stream/StreamConvert.h"
#include "scene3d/Animations.h"
#include "scene3d/Material.h"
#include "scene3d/Scene.h"
#include "scene3d/SceneObjects.h"

namespace {

// A visual object with a material, so that colours have somewhere to go.
class TShape : public TscVisualObject {
  UX_CLASS(TShape, TscVisualObject)
 public:
  explicit TShape(TuiComponent* Owner) : TscVisualObject(Owner), FMaterial(std::make_unique<TscMaterial>()) {}
  TscMaterial* Material() const { return FMaterial.get(); }
  static void DefineProperties(TuiClassBuilder<TShape>& C) { C.Object("Material", &TShape::Material); }

 private:
  std::unique_ptr<TscMaterial> FMaterial;
};

}  // namespace

UX_IMPLEMENT_CLASS(TShape)

namespace {

class Animation3d : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterScene3dClasses();
    TuiClassRegistry::Instance().Register("Tests", {&TShape::StaticClass()});
    TscAniThread::Instance().SetSource(&Clock);
  }
  void TearDown() override {
    Shape.reset();
    // The timer's platform timer must not outlive the clock.
    TscAniThread::Free();
  }

  int Running() const { return TscAniThread::Exists() ? TscAniThread::Instance().Count() : 0; }

  template <class T>
  T* Add(const std::string& Path, float Duration, TscObject* Parent = nullptr) {
    auto* a = new T(nullptr);
    a->SetPropertyName(Path);
    a->SetDuration(Duration);
    (Parent ? Parent : Shape.get())->AddObject(a);
    return a;
  }

  float X() const { return Shape->Position()->X(); }

  platform::TVirtualClock Clock;
  std::unique_ptr<TShape> Shape = std::make_unique<TShape>(nullptr);
};

TEST_F(Animation3d, AFloatAnimationFollowsItsEasingAndEndsAtItsDuration) {
  struct TCase {
    TuiInterpolationType Kind;
    TuiAnimationType Type;
    float Half;  // the value at half the duration, from 0 to 10
  };
  const TCase cases[] = {
      {uxInterpolationLinear, uxAnimationIn, 5},         {uxInterpolationQuadratic, uxAnimationIn, 2.5f},
      {uxInterpolationQuadratic, uxAnimationOut, 7.5f},  {uxInterpolationCubic, uxAnimationInOut, 5},
      {uxInterpolationBounce, uxAnimationOut, 7.65625f},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Kind) * 10 + int(c.Type));
    Shape->Position()->SetX(-1);
    auto* a = Add<TscFloatAnimation>("Position.X", 0.2f);
    a->SetStopValue(10);
    a->SetInterpolation(c.Kind);
    a->SetAnimationType(c.Type);
    int finished = 0;
    a->OnFinish = [&](TscObject* Sender) {
      EXPECT_EQ(Sender, a);
      ++finished;
    };
    a->Start();
    EXPECT_EQ(X(), 0);  // the start value at once
    EXPECT_TRUE(a->Enabled());
    EXPECT_EQ(Running(), 1);
    Clock.Advance(100);
    EXPECT_NEAR(X(), c.Half, 1e-3);
    Clock.Advance(75);
    EXPECT_TRUE(a->Running());
    EXPECT_NE(X(), 10);
    Clock.Advance(25);
    EXPECT_FLOAT_EQ(X(), 10);
    EXPECT_FALSE(a->Running());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(Running(), 0);
    EXPECT_FALSE(TscAniThread::Instance().Active());
    Clock.Advance(100);
    EXPECT_EQ(finished, 1);
    a->Free();
  }
}

void ExpectValues(const std::vector<float>& Seen, const std::vector<float>& Expected) {
  ASSERT_EQ(Seen.size(), Expected.size());
  for (size_t i = 0; i < Seen.size(); ++i) EXPECT_NEAR(Seen[i], Expected[i], 1e-4) << i;
}

TEST_F(Animation3d, LoopsWrapOrReverseAndAutoReverseAloneDoesNothing) {
  // 0.11 s is no whole number of 25 ms ticks, so each end falls clearly
  // inside a tick; X is 100 times the time.
  auto* a = Add<TscFloatAnimation>("Position.X", 0.11f);
  a->SetStopValue(11);
  a->SetLoop(true);
  std::vector<float> seen;
  Shape->Position()->SetX(-1);
  Shape->Position()->OnChangedX = [&] { seen.push_back(X()); };
  a->Start();
  Clock.Advance(150);
  // Reaching the end starts over from the start value.
  ExpectValues(seen, {0, 2.5f, 5, 7.5f, 10, 0, 2.5f});
  a->Stop();
  EXPECT_EQ(X(), 11);

  seen.clear();
  a->SetAutoReverse(true);
  a->Start();
  Clock.Advance(125);
  EXPECT_TRUE(a->Inverse());
  Clock.Advance(125);
  EXPECT_FALSE(a->Inverse());
  Clock.Advance(50);
  EXPECT_TRUE(a->Running());
  ExpectValues(seen, {0, 2.5f, 5, 7.5f, 10, 11, 8.5f, 6, 3.5f, 1, 0, 2.5f, 5});

  a->StopAtCurrent();
  EXPECT_NEAR(X(), 5, 1e-4);
  EXPECT_EQ(Running(), 0);
  a->SetLoop(false);
  a->Start();
  Clock.Advance(200);
  EXPECT_EQ(X(), 11);
  EXPECT_FALSE(a->Running());
  EXPECT_FALSE(a->Inverse());
}

TEST_F(Animation3d, AColourAnimationDrivesTheMaterialBothWays) {
  auto* a = Add<TscColorAnimation>("Material.Diffuse", 0.2f);
  a->SetStartValue("#00000000");
  a->SetStopValue("#80000000");
  a->Start();
  EXPECT_EQ(Shape->Material()->Diffuse(), 0x00000000u);
  Clock.Advance(100);
  EXPECT_EQ(Shape->Material()->Diffuse(), 0x40000000u);
  Clock.Advance(100);
  EXPECT_EQ(Shape->Material()->Diffuse(), 0x80000000u);
  EXPECT_EQ(Running(), 0);

  a->SetInverse(true);
  a->Start();
  EXPECT_EQ(Shape->Material()->DiffuseText(), "#80000000");
  Clock.Advance(200);
  EXPECT_EQ(Shape->Material()->DiffuseText(), "#00000000");

  // From the current colour, and a colour text that is no 3D colour refused.
  Shape->Material()->SetDiffuse(0xFF0000FF);
  a->SetInverse(false);
  a->SetStartFromCurrent(true);
  a->Start();
  EXPECT_EQ(a->StartValue(), "#FF0000FF");
  a->Stop();
  EXPECT_EQ(Shape->Material()->Diffuse(), 0x80000000u);
  EXPECT_THROW(a->SetStopValue("Red"), EuxConvertError);
}

TEST_F(Animation3d, OnlyATinyDurationRunsAtOnceAndStaysImmediate) {
  // Without a scene an animation still runs on the timer.
  auto* timed = Add<TscFloatAnimation>("Width", 0.2f);
  timed->SetStopValue(3);
  timed->Start();
  EXPECT_TRUE(timed->Running());
  EXPECT_EQ(Shape->Width(), 0);

  auto* quick = Add<TscFloatAnimation>("Height", 0.0001f);
  quick->SetStopValue(4);
  int finished = 0;
  quick->OnFinish = [&](TscObject*) { ++finished; };
  quick->SetEnabled(true);
  EXPECT_EQ(Shape->Height(), 4);
  EXPECT_EQ(finished, 1);
  EXPECT_FALSE(quick->Running());
  EXPECT_FALSE(quick->Enabled());
  EXPECT_EQ(quick->Duration(), 0);
  Shape->SetHeight(1);
  quick->Start();
  EXPECT_EQ(Shape->Height(), 4);
  EXPECT_EQ(Running(), 1);  // only the timed one
}

TEST_F(Animation3d, AHiddenParentRefusesAStartAndStopsARunningOne) {
  auto* a = Add<TscFloatAnimation>("Opacity", 0.2f);
  a->SetStartValue(1);
  a->SetStopValue(0.5f);
  Shape->SetVisible(false);
  a->Start();
  EXPECT_FALSE(a->Running());
  Shape->SetVisible(true);
  a->Start();
  Clock.Advance(50);
  Shape->SetVisible(false);
  Clock.Advance(25);
  EXPECT_FALSE(a->Running());
  EXPECT_FLOAT_EQ(Shape->Opacity(), 0.5f);
  EXPECT_EQ(Running(), 0);
}

TEST_F(Animation3d, TriggersStartAndStopOnTheStateOfTheObject) {
  auto* over = Add<TscFloatAnimation>("Position.X", 0.2f);
  over->SetStopValue(10);
  over->SetTrigger("IsMouseOver=TRUE;IsFocused=false");
  auto* out = Add<TscFloatAnimation>("Position.Y", 0.2f);
  out->SetStopValue(5);
  out->SetTrigger("IsMouseOver=false");
  auto* unknown = Add<TscFloatAnimation>("Position.Z", 0.2f);
  unknown->SetTrigger("IsMouseOver=true;IsChecked=true;Nonsense");
  auto* unanswered = Add<TscFloatAnimation>("Depth", 0.2f);
  unanswered->SetTrigger("IsChecked=true;IsMouseOverX=true");
  unanswered->SetStopValue(7);

  // The parts an object is built from answer its triggers when they are
  // locked and take no hits; a hit-testable child is an object of its own.
  auto* part = new TscVisualObject(nullptr);
  part->SetLocked(true);
  part->SetHitTest(false);
  Shape->AddObject(part);
  auto* inPart = Add<TscFloatAnimation>("Width", 0.2f, part);
  inPart->SetTrigger("IsMouseOver=true");
  auto* child = new TscVisualObject(nullptr);
  Shape->AddObject(child);
  auto* inChild = Add<TscFloatAnimation>("Width", 0.2f, child);
  inChild->SetTrigger("IsMouseOver=true");

  Shape->MouseEnter();
  EXPECT_TRUE(over->Running());
  EXPECT_FALSE(out->Running());
  EXPECT_TRUE(unknown->Running());  // the unknown condition is passed over
  EXPECT_FALSE(unanswered->Running());
  EXPECT_TRUE(inPart->Running());
  EXPECT_FALSE(inChild->Running());
  Clock.Advance(50);

  // Leaving stops the hover animation at its end before the new evaluation.
  Shape->MouseLeave();
  EXPECT_FALSE(over->Running());
  EXPECT_EQ(X(), 10);
  EXPECT_TRUE(out->Running());
  EXPECT_FALSE(inPart->Running());

  // Focus is part of the hover condition: a focused object does not start it.
  Shape->EnterFocus();
  Shape->MouseEnter();
  EXPECT_FALSE(over->Running());
  Shape->KillFocus();
  EXPECT_TRUE(over->Running());  // "IsFocused" is mentioned, so it is evaluated too

  // By name or resource name; a trigger never named stays put.
  over->Stop();
  over->SetResourceName("Hover");
  Shape->StartAnimation("hover");
  EXPECT_TRUE(over->Running());
  Shape->StopAnimation("HOVER");
  EXPECT_FALSE(over->Running());
  EXPECT_EQ(Shape->Depth(), 1);
}

TEST_F(Animation3d, FreedAnimationsLeaveTheTimerWhoeverFreesThem) {
  auto* a = Add<TscFloatAnimation>("Position.X", 1);
  auto* b = Add<TscFloatAnimation>("Position.Y", 1);
  auto* c = Add<TscFloatAnimation>("Position.Z", 0.05f);
  a->Start();
  b->Start();
  c->Start();
  EXPECT_EQ(Running(), 3);
  a->Free();
  EXPECT_EQ(Running(), 2);

  // A finishing animation frees itself and a sibling in the middle of a tick.
  c->OnFinish = [&](TscObject* Sender) {
    b->Free();
    Sender->Free();
  };
  Clock.Advance(100);
  EXPECT_EQ(Running(), 0);
  EXPECT_EQ(Shape->ChildrenCount(), 0);

  // Freeing the object takes its running animations off the timer too.
  Add<TscColorAnimation>("Material.Diffuse", 1)->Start();
  EXPECT_EQ(Running(), 1);
  Shape.reset();
  EXPECT_EQ(Running(), 0);
  Clock.Advance(100);
}

TEST_F(Animation3d, AWriteThroughAReferenceEndsWhenTheReferencedObjectDies) {
  auto* target = new TscVisualObject(nullptr);
  Shape->AddObject(target);
  auto* camera = new TscCamera(nullptr);
  Shape->AddObject(camera);
  camera->SetTarget(target);
  auto* a = Add<TscFloatAnimation>("Target.Position.X", 0.2f, camera);
  a->SetStopValue(6);
  a->Start();
  Clock.Advance(100);
  EXPECT_FLOAT_EQ(target->Position()->X(), 3);
  target->Free();
  Clock.Advance(200);  // would write into the freed object
  EXPECT_FALSE(a->Running());
  EXPECT_EQ(camera->Position()->X(), 0);
}

TEST_F(Animation3d, ARealTimeSceneStepsItsAnimationsThroughItsTicks) {
  TscScene scene(nullptr);
  scene.AddObject(Shape.release());
  auto* shape = static_cast<TShape*>(scene.Roots().back());
  auto* joined = Add<TscFloatAnimation>("Position.X", 0.2f, shape);
  joined->SetStopValue(10);
  joined->Start();
  EXPECT_EQ(Running(), 1);

  scene.SetRealTime(true);
  auto* idle = Add<TscFloatAnimation>("Position.Y", 0.2f, shape);
  idle->SetStopValue(10);
  idle->Start();
  EXPECT_EQ(Running(), 1);  // never joins
  Clock.Advance(25);        // the joined one leaves without a step
  EXPECT_EQ(Running(), 0);
  EXPECT_EQ(shape->Position()->X(), 0);

  shape->ProcessTick(0.05f, 0.05f);
  EXPECT_FLOAT_EQ(shape->Position()->X(), 2.5f);
  EXPECT_FLOAT_EQ(shape->Position()->Y(), 2.5f);
  Clock.Advance(100);
  EXPECT_FLOAT_EQ(shape->Position()->Y(), 2.5f);
  shape->ProcessTick(0.15f, 0.2f);
  EXPECT_FLOAT_EQ(shape->Position()->Y(), 10);
  EXPECT_FALSE(idle->Running());
}

TEST_F(Animation3d, AnimationsStreamUnderTheirObjectAndStartWhenEnabled) {
  auto* f = Add<TscFloatAnimation>("Position.X", 0.5f);
  f->SetName("Slide");
  f->SetStopValue(2.5f);
  f->SetInterpolation(uxInterpolationBack);
  f->SetAnimationType(uxAnimationOut);
  f->SetLoop(true);
  f->SetAutoReverse(true);
  f->SetDelay(0.1f);
  f->SetTrigger("IsMouseOver=true");
  auto* c = Add<TscColorAnimation>("Material.Diffuse", 0.3f);
  c->SetStartValue("#FF102030");
  c->SetStopValue("#00FFFFFF");
  c->SetStartFromCurrent(true);
  c->SetInverse(true);
  const std::string data = WriteObjectData(*Shape);
  const std::string text = uxObjectBinaryToText(data);
  EXPECT_NE(text.find("object Slide: TscFloatAnimation"), std::string::npos) << text;
  EXPECT_NE(text.find("Interpolation = uxInterpolationBack"), std::string::npos) << text;
  EXPECT_NE(text.find("StartValue = '#FF102030'"), std::string::npos) << text;

  TShape copy(nullptr);
  ReadObjectData(data, copy, nullptr);
  ASSERT_EQ(copy.ChildrenCount(), 2);
  auto* f2 = dynamic_cast<TscFloatAnimation*>(copy.Children(0));
  auto* c2 = dynamic_cast<TscColorAnimation*>(copy.Children(1));
  ASSERT_TRUE(f2 && c2);
  EXPECT_EQ(f2->Owner(), &copy);
  EXPECT_EQ(WriteObjectData(copy), data);
  EXPECT_FALSE(f2->Running());

  // A stored enabled animation starts once loading is over.
  f->SetEnabled(true);
  f->Stop();
  f->SetEnabled(true);
  TShape started(nullptr);
  ReadObjectData(WriteObjectData(*Shape), started, nullptr);
  auto* f3 = dynamic_cast<TscFloatAnimation*>(started.Children(0));
  ASSERT_NE(f3, nullptr);
  EXPECT_TRUE(f3->Running());
  EXPECT_EQ(Running(), 2);
}

}  // namespace
