#pragma once
// Actions: a command with its caption, check mark, enabled state, image, hint, shortcut and
// visibility in one place. Controls and menu items link to an action through a
// TBasicActionLink; every change of the action's properties reaches every linked client, and a
// client that is clicked executes the action.
//
// Client side of the link (what a control or menu item does to follow an action):
//   - own a link object derived from TActionLink (std::unique_ptr), made with the client;
//   - SetAction(A): link->SetAction(A); A->FreeNotification(client); then copy the action's
//     properties once (the action calls the link's setters only on later changes);
//   - override the link's setters (SetCaption, SetEnabled, ...) to write the client's property;
//   - on Notification(A, opRemove) set the action to nullptr;
//   - when clicked, call link->Execute(client) (the action's OnExecute runs with
//     ActionComponent set to the client).
// All of it runs on the GUI thread.

#include <functional>
#include <string>
#include <vector>

#include "platform/controls/Component.h"
#include "platform/core/Types.h"

class TBasicAction;
class TContainedAction;
class TCustomAction;
class TCustomActionList;
class TCustomImageList;

using TShortCut = WORD;

// The client end of an action link. The link does not own the action; the action knows its
// links and detaches them when it is destroyed (Action() is then nullptr).
class TBasicActionLink : public TObject {
 public:
  explicit TBasicActionLink(TObject* AClient) : client_(AClient) {}
  ~TBasicActionLink() override;

  [[nodiscard]] TBasicAction* Action() const { return action_; }
  // Registers with the new action and unregisters from the old one (nullptr: no action).
  void SetAction(TBasicAction* Value);
  [[nodiscard]] TObject* Client() const { return client_; }

  // Runs the action with AComponent as the component that invoked it; false when there is no
  // action or nobody handled it.
  virtual bool Execute(TComponent* AComponent = nullptr);
  // Asks the action to update itself (OnUpdate); false without an action.
  virtual bool Update();

  // Fired by the action after any change (before the typed setters below run).
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  // The action changed; the base fires OnChange.
  virtual void Change();

 private:
  TObject* client_;
  TBasicAction* action_ = nullptr;
};

// A link that carries the properties of a TCustomAction to its client. Each setter is called
// with the new value whenever the action's property changes; the base does nothing.
class TActionLink : public TBasicActionLink {
 public:
  using TBasicActionLink::TBasicActionLink;

  virtual void SetCaption(const std::string&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHint(const std::string&) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}
};

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Runs OnExecute; true when it is assigned. Derived actions first let their list handle it.
  virtual bool Execute();
  // Runs OnUpdate; true when it is assigned.
  virtual bool Update();

  // The component whose link executed the action last (nullptr for a direct Execute).
  [[nodiscard]] TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* Value) { actionComponent_ = Value; }

  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  [[nodiscard]] int LinkCount() const { return static_cast<int>(clients_.size()); }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  // Fired after every change that is also told to the links.
  TNotifyEvent OnChange;

 protected:
  // Tells every link (Change) and then OnChange.
  virtual void Change();
  // Calls F on every link that is a TActionLink; links may unregister meanwhile.
  void ForEachActionLink(const std::function<void(TActionLink*)>& F);

 private:
  std::vector<TBasicActionLink*> clients_;
  TComponent* actionComponent_ = nullptr;
};

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

// An action that can belong to an action list; the list's OnExecute/OnUpdate see it first.
class TContainedAction : public TBasicAction {
 public:
  explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  ~TContainedAction() override;

  [[nodiscard]] TCustomActionList* ActionList() const { return actionList_; }
  // Moves the action into another list (nullptr: none).
  void SetActionList(TCustomActionList* Value);
  [[nodiscard]] int Index() const;
  std::string Category;

  // The list's OnExecute first; when it does not set Handled, the action's OnExecute.
  bool Execute() override;
  bool Update() override;

 private:
  friend class TCustomActionList;
  TCustomActionList* actionList_ = nullptr;
};

class TCustomAction : public TContainedAction {
 public:
  explicit TCustomAction(TComponent* AOwner);

  [[nodiscard]] const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  [[nodiscard]] bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  [[nodiscard]] bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  [[nodiscard]] const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  [[nodiscard]] int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  [[nodiscard]] TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  [[nodiscard]] bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  // Runs Update first; a disabled action then executes nothing (false).
  bool Execute() override;
  // The images of the action's list, nullptr without one.
  [[nodiscard]] TCustomImageList* Images() const;

 private:
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  std::string hint_;
  int imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  bool visible_ = true;
};

class TAction : public TCustomAction {
 public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

class TCustomActionList : public TComponent {
 public:
  explicit TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
  ~TCustomActionList() override;

  [[nodiscard]] int ActionCount() const { return static_cast<int>(actions_.size()); }
  // Raises EListError for a bad index.
  [[nodiscard]] TContainedAction* Actions(int Index) const;
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  [[nodiscard]] int IndexOfAction(const TContainedAction* Action) const;

  [[nodiscard]] TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);

  // OnExecute / OnUpdate of the list for Action; true when the handler set Handled.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  // Runs Update of every action (the idle-time refresh).
  void UpdateActions();

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};
