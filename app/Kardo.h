#pragma once

#include <memory>

#include "app/KardoView.h"
#include "app/RC_General.h"
#include "app/SEFA1.h"
#include "app/ZR_Kardo_Set.h"
#include "app/ZR_Kardo_Unit.h"

namespace kardo {

// The simulator: its three windows and the state they share. Everything lives in
// memory and starts the same on every run.
class TKardo {
 public:
  // Creates the console, the settings and the display window, in this order, each
  // built from its layout and then set up by its creation handler.
  explicit TKardo(IKardoView& View);
  ~TKardo();
  TKardo(const TKardo&) = delete;
  TKardo& operator=(const TKardo&) = delete;

  // Runs the message loop, which shows the console and, from its show handler,
  // the settings window. Returns when the console is closed.
  void Run();

  IScreenView& Screen() { return FView.Screen(); }

  std::unique_ptr<TForm_3D_Kardo> Form_3D_Kardo;
  std::unique_ptr<TForm_3D_Set> Form_3D_Set;
  std::unique_ptr<TForm_3D_SEFA1> Form_3D_SEFA1;
  TEffectState Effects;

 private:
  IKardoView& FView;
};

}  // namespace kardo
