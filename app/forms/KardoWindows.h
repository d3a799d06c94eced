#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/KardoView.h"
#include "app/forms/KardoForm.h"
#include "platform/Window.h"

namespace kardo {

// The view contract over real windows: each form is read from its stored
// layout and gets a top-level window of the window system. The first form
// made is the main window; closing it ends Run.
class TKardoWindows : public IKardoView, public IScreenView {
 public:
  // The binary layout of a form class; empty when there is none.
  using TLayouts = std::function<std::string_view(std::string_view FormClass)>;

  TKardoWindows(platform::IWindowSystem& System, TLayouts Layouts);
  ~TKardoWindows() override;

  IScreenView& Screen() override { return *this; }
  int WorkAreaWidth() const override { return FSystem.WorkArea().Width; }
  int WorkAreaHeight() const override { return FSystem.WorkArea().Height; }
  // Raises EuxError when the class has no layout, EuxReadError when the
  // layout does not read.
  IFormView& CreateForm(std::string_view FormClass) override;
  // Shows the main window, then runs the loop until it closes.
  void Run() override;

  platform::IWindowSystem& System() const { return FSystem; }
  const std::vector<std::unique_ptr<TKardoForm>>& Forms() const { return FForms; }
  // The form whose component name is Name ("Form_3D_Kardo"); none if absent.
  TKardoForm* FindForm(std::string_view Name) const;
  int ExitCode() const { return FExitCode; }

 private:
  platform::IWindowSystem& FSystem;
  TLayouts FLayouts;
  std::vector<std::unique_ptr<TKardoForm>> FForms;
  int FExitCode = 0;
};

}  // namespace kardo
