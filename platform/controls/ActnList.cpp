#include "platform/controls/ActnList.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/controls/ImageList.h"
#include "platform/core/SysUtils.h"

// ---- TBasicActionLink ----

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = Value;
  if (action_) action_->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!action_) return false;
  TWeak<TBasicAction> action(action_);
  action_->SetActionComponent(AComponent);
  bool handled = false;
  try {
    handled = action_->Execute();
  } catch (...) {
    if (action) action->SetActionComponent(nullptr);
    throw;
  }
  // The handler may have freed the action.
  if (action) action->SetActionComponent(nullptr);
  return handled;
}

bool TBasicActionLink::Update() { return action_ ? action_->Update() : false; }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(action_);
}

// ---- TBasicAction ----

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  // Links stay with their clients; they only lose the action.
  for (TBasicActionLink* link : clients_) link->action_ = nullptr;
  clients_.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  if (std::find(clients_.begin(), clients_.end(), Value) == clients_.end()) clients_.push_back(Value);
  Value->action_ = this;
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(clients_.begin(), clients_.end(), Value);
  if (it == clients_.end()) return;
  clients_.erase(it);
  Value->action_ = nullptr;
}

void TBasicAction::ForEachActionLink(const std::function<void(TActionLink*)>& F) {
  // A client may drop its link while it is told; walk a copy and skip links already gone.
  std::vector<TBasicActionLink*> snapshot = clients_;
  for (TBasicActionLink* link : snapshot) {
    if (std::find(clients_.begin(), clients_.end(), link) == clients_.end()) continue;
    if (auto* typed = dynamic_cast<TActionLink*>(link)) F(typed);
  }
}

void TBasicAction::Change() {
  std::vector<TBasicActionLink*> snapshot = clients_;
  for (TBasicActionLink* link : snapshot) {
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
  }
  if (OnChange) OnChange(this);
}

// ---- TContainedAction ----

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (Value == actionList_) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (Value) Value->AddAction(this);
}

int TContainedAction::Index() const { return actionList_ ? actionList_->IndexOfAction(this) : -1; }

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

// ---- TCustomAction ----

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

void TCustomAction::SetCaption(const std::string& Value) {
  if (Value == caption_) return;
  caption_ = Value;
  ForEachActionLink([&](TActionLink* l) { l->SetCaption(Value); });
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  ForEachActionLink([&](TActionLink* l) { l->SetChecked(Value); });
  Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  ForEachActionLink([&](TActionLink* l) { l->SetEnabled(Value); });
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (Value == hint_) return;
  hint_ = Value;
  ForEachActionLink([&](TActionLink* l) { l->SetHint(Value); });
  Change();
}

void TCustomAction::SetImageIndex(int Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  ForEachActionLink([&](TActionLink* l) { l->SetImageIndex(Value); });
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (Value == shortCut_) return;
  shortCut_ = Value;
  ForEachActionLink([&](TActionLink* l) { l->SetShortCut(Value); });
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  ForEachActionLink([&](TActionLink* l) { l->SetVisible(Value); });
  Change();
}

bool TCustomAction::Execute() {
  // The state is brought up to date first: OnUpdate decides whether the action may run now.
  TWeak<TCustomAction> self(this);
  Update();
  if (!self || !enabled_) return false;
  return TContainedAction::Execute();
}

TCustomImageList* TCustomAction::Images() const { return ActionList() ? ActionList()->Images() : nullptr; }

// ---- TCustomActionList ----

TCustomActionList::~TCustomActionList() {
  // Actions owned elsewhere outlive the list; they just leave it.
  while (!actions_.empty()) RemoveAction(actions_.back());
}

TContainedAction* TCustomActionList::Actions(int Index) const {
  if (Index < 0 || Index >= ActionCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return actions_[static_cast<std::size_t>(Index)];
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  if (!Action || IndexOfAction(Action) >= 0) return;
  if (Action->actionList_) Action->actionList_->RemoveAction(Action);
  actions_.push_back(Action);
  Action->actionList_ = this;
  Action->FreeNotification(this);
  if (OnChange) OnChange(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  if (it == actions_.end()) return;
  actions_.erase(it);
  Action->actionList_ = nullptr;
  Action->RemoveFreeNotification(this);
  if (OnChange) OnChange(this);
}

int TCustomActionList::IndexOfAction(const TContainedAction* Action) const {
  auto it = std::find(actions_.begin(), actions_.end(), Action);
  return it == actions_.end() ? -1 : static_cast<int>(it - actions_.begin());
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  if (Value == images_) return;
  ReplaceReference(images_, Value);
  if (OnChange) OnChange(this);
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action) {
  bool handled = false;
  if (OnExecute) OnExecute(Action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(Action, handled);
  return handled;
}

void TCustomActionList::UpdateActions() {
  std::vector<TContainedAction*> snapshot = actions_;
  for (TContainedAction* a : snapshot) {
    if (IndexOfAction(a) >= 0) a->Update();
  }
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == images_) images_ = nullptr;
  auto it = std::find(actions_.begin(), actions_.end(), AComponent);
  if (it != actions_.end()) {
    (*it)->actionList_ = nullptr;
    actions_.erase(it);
  }
}
