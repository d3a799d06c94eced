#include "controls/Form.h"

#include "scene2d/Object.h"
#include "scene2d/Scene.h"

IuxForm* IuxForm::Of(const TuiObject& Object) {
  IuxScene* host = Object.Scene();
  for (TuiComponent* c = host ? host->GetComponent() : nullptr; c; c = c->Owner())
    if (auto* form = dynamic_cast<IuxForm*>(c)) return form;
  return nullptr;
}
