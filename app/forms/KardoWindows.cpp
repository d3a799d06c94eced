#include "app/forms/KardoWindows.h"

#include "scene2d/Errors.h"
#include "scene2d/Object.h"

namespace kardo {

TKardoWindows::TKardoWindows(platform::IWindowSystem& System, TLayouts Layouts)
    : FSystem(System), FLayouts(std::move(Layouts)) {}

// The windows go first, last made first, while the window system they live on
// is still there.
TKardoWindows::~TKardoWindows() {
  while (!FForms.empty()) FForms.pop_back();
}

IFormView& TKardoWindows::CreateForm(std::string_view FormClass) {
  const std::string_view stream = FLayouts ? FLayouts(FormClass) : std::string_view{};
  if (stream.empty()) throw EuxError("no layout for " + std::string(FormClass));
  std::unique_ptr<TKardoForm> form(TKardoForm::Load(stream, nullptr));
  if (form->ClassName() != FormClass)
    throw EuxReadError("the layout of " + std::string(FormClass) + " holds a " + form->ClassName());
  form->CreateWindow(FSystem);
  form->SetMainWindow(FForms.empty());
  FForms.push_back(std::move(form));
  return *FForms.back();
}

void TKardoWindows::Run() {
  if (FForms.empty()) return;
  FForms.front()->ShowWindow();
  FExitCode = FSystem.Run();
}

TKardoForm* TKardoWindows::FindForm(std::string_view Name) const {
  for (const auto& form : FForms)
    if (form->Name() == Name) return form.get();
  return nullptr;
}

}  // namespace kardo
