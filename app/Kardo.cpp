#include "app/Kardo.h"

namespace kardo {

TKardo::TKardo(IKardoView& View) : FView(View) {
  Form_3D_Kardo = std::make_unique<TForm_3D_Kardo>(*this, View.CreateForm("TForm_3D_Kardo"));
  Form_3D_Kardo->FormCreate();
  Form_3D_Set = std::make_unique<TForm_3D_Set>(*this, View.CreateForm("TForm_3D_Set"));
  Form_3D_Set->FormCreate();
  Form_3D_SEFA1 = std::make_unique<TForm_3D_SEFA1>(*this, View.CreateForm("TForm_3D_SEFA1"));
  Form_3D_SEFA1->FormCreate();
}

TKardo::~TKardo() = default;

void TKardo::Run() {
  FView.Run();
}

}  // namespace kardo
