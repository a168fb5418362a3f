#include "platform/controls/Component.h"

#include <algorithm>
#include <cctype>

#include "platform/core/Exceptions.h"

namespace {
bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}
}  // namespace

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell everyone who asked; a notified component may remove itself from the list.
  while (!free_notifies_.empty()) {
    TComponent* other = free_notifies_.back();
    free_notifies_.pop_back();
    auto& back = other->free_notifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  const auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameName(c->name_, AName)) return c;
  return nullptr;
}

void TComponent::SetName(const std::string& NewName) {
  if (NewName == name_) return;
  if (owner_ != nullptr && !NewName.empty()) {
    TComponent* other = owner_->FindComponent(NewName);
    if (other != nullptr && other != this)
      throw EComponentError("A component named " + NewName + " already exists");
  }
  name_ = NewName;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->owner_ == this) return;
  if (AComponent->owner_ != nullptr) AComponent->owner_->RemoveComponent(AComponent);
  if (!AComponent->name_.empty() && FindComponent(AComponent->name_) != nullptr)
    throw EComponentError("A component named " + AComponent->name_ + " already exists");
  Insert(AComponent);
  NotifyAll(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->owner_ != this) return;
  NotifyAll(AComponent, TOperation::opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
  components_.erase(std::remove(components_.begin(), components_.end(), AComponent), components_.end());
  AComponent->owner_ = nullptr;
}

void TComponent::NotifyAll(TComponent* AComponent, TOperation Operation) {
  // The owner and its owned components hear of every insertion and removal.
  Notification(AComponent, Operation);
  std::vector<TComponent*> snapshot = components_;
  for (TComponent* c : snapshot)
    if (c != AComponent) c->Notification(AComponent, Operation);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    Remove(last);
    delete last;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(TComponentStateFlag::csDestroying)) return;
  state_.Include(TComponentStateFlag::csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  if (owner_ != nullptr && AComponent == owner_) return;  // an owner hears anyway
  state_.Include(TComponentStateFlag::csFreeNotification);
  if (std::find(free_notifies_.begin(), free_notifies_.end(), AComponent) == free_notifies_.end()) {
    free_notifies_.push_back(AComponent);
    AComponent->free_notifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  if (AComponent != nullptr) AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), AComponent), free_notifies_.end());
  if (free_notifies_.empty()) state_.Exclude(TComponentStateFlag::csFreeNotification);
}

void TComponent::BeginLoading() { state_.Include(TComponentStateFlag::csLoading); }

void TComponent::Loaded() { state_.Exclude(TComponentStateFlag::csLoading); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  // A component freed while another refers to it: nothing to do at this level.
}
