#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scene2d/Persistent.h"
#include "scene2d/VisualObject.h"

class TuiControl;
class TuiControlActionLink;

// An application command that several controls can show: its caption,
// enabled state, hint and visibility, and what runs when it is executed.
// Linked controls follow a change for as long as they still show the
// action's old value.
class TuiAction : public TuiComponent {
  UX_CLASS(TuiAction, TuiComponent)
 public:
  explicit TuiAction(TuiComponent* Owner);
  ~TuiAction() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // Runs OnExecute; false when there is none.
  bool Execute();

  std::function<void(TuiComponent* Sender)> OnExecute;

  int ClientCount() const { return int(FClients.size()); }

  static void DefineProperties(TuiClassBuilder<TuiAction>& C);

 protected:
  void BeforeDestruction() override;

 private:
  friend class TuiControlActionLink;

  std::string FCaption;
  bool FEnabled = true;
  std::string FHint;
  bool FVisible = true;
  std::vector<TuiControlActionLink*> FClients;
};

// The tie between one control and its action, owned by the control.
class TuiControlActionLink {
 public:
  explicit TuiControlActionLink(TuiControl& Client) : FClient(Client) {}
  ~TuiControlActionLink();
  TuiControlActionLink(const TuiControlActionLink&) = delete;
  TuiControlActionLink& operator=(const TuiControlActionLink&) = delete;

  TuiAction* Action() const { return FAction; }
  void SetAction(TuiAction* Value);

  // Whether the control still shows the action's value, and so follows it.
  bool IsCaptionLinked() const;
  bool IsEnabledLinked() const;
  bool IsHintLinked() const;
  bool IsVisibleLinked() const;
  bool IsOnExecuteLinked() const;

  // The control's handler runs the action, as long as it is linked.
  void Execute();
  // Makes the control's OnClick execute the action.
  void InstallClick();

 private:
  friend class TuiAction;
  TuiControl& FClient;
  TuiAction* FAction = nullptr;
};
