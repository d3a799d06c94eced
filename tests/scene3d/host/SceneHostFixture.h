#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/HeadlessWindowSystem.h"
#include "scene3d/Scene.h"
#include "scene3d/software/SoftwareCanvas.h"

// A flat box in window pixels: hit where the pointer lies over it, like a
// screen-aligned layer, and it writes down what the scene hands it.
class TProbe : public TscVisualObject {
 public:
  TProbe(float Left, float Top, float W, float H) : TscVisualObject(nullptr) {
    SetScreenProjection(true);
    Position()->SetPoint({Left + W / 2, Top + H / 2, 0, 1});
    SetWidth(W);
    SetHeight(H);
  }
  bool RayCastIntersect(const TscVector& RayPos, const TscVector& RayDir, TscVector& Intersection) override {
    if (RayDir.Z == 0) return false;
    const float t = -RayPos.Z / RayDir.Z;
    const float x = RayPos.X + t * RayDir.X, y = RayPos.Y + t * RayDir.Y;
    if (t < 0 || std::fabs(x) > Width() / 2 || std::fabs(y) > Height() / 2) return false;
    Intersection = LocalToAbsolute({x, y, 0, 1});
    return true;
  }
  void MouseDown(TuiMouseButton B, TuiShiftState S, float X, float Y, const TscVector& P,
                 const TscVector& D) override {
    Log.push_back("down");
    if (OnPress) OnPress();
    TscVisualObject::MouseDown(B, S, X, Y, P, D);
  }
  void KeyDown(uint16_t& Key, char32_t& Char, TuiShiftState Shift) override {
    Keys.push_back({Key, Char, Shift});
  }
  void Click() override { Log.push_back("click"); }
  void MouseEnter() override {
    Log.push_back("enter");
    TscVisualObject::MouseEnter();
  }
  void MouseLeave() override {
    Log.push_back("leave");
    TscVisualObject::MouseLeave();
  }

  struct TKey {
    uint16_t Key;
    char32_t Char;
    TuiShiftState Shift;
    bool operator==(const TKey&) const = default;
  };
  std::vector<std::string> Log;
  std::vector<TKey> Keys;
  std::function<void()> OnPress;
};

// A scene of 100 x 80 client pixels at (200, 100) on the headless layer,
// shown and with its first frame out.
class SceneHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TscSoftwareCanvas::Register();
    Scene = std::make_unique<TscScene>(nullptr);
    Scene->SetUsingDesignCamera(false);
    Scene->CreateWindow(System, {.Bounds = {200, 100, 102, 82}});
    Window().Show();
    System.ProcessMessages();
  }
  void TearDown() override { Scene.reset(); }

  platform::THeadlessWindow& Window() { return static_cast<platform::THeadlessWindow&>(*Scene->Window()); }
  // A visual root of the scene's size holding Children.
  TscVisualObject* AddRoot() {
    auto* root = new TscVisualObject(nullptr);
    root->SetHitTest(false);
    Scene->AddObject(root);
    return root;
  }

  platform::THeadlessWindowSystem System;
  std::unique_ptr<TscScene> Scene;
};
