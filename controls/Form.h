#pragma once

class TuiObject;

// What controls ask of the form that holds their scene: a push button with a
// ModalResult writes it, a window's close button asks the form to close. The
// window layer's form component implements it; how a form uses the result or
// answers the request is its own business.
class IuxForm {
 public:
  virtual ~IuxForm() = default;
  virtual void SetModalResult(int Value) = 0;
  // A request: the form's own close handling decides what happens.
  virtual void Close() = 0;

  // The first form on the owner chain that starts at the component of the
  // object's host; none without a host or without such a form.
  static IuxForm* Of(const TuiObject& Object);
};
