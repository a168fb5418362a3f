#pragma once
// TComponent: the unit of ownership. An owner frees the components it owns when it is
// destroyed; components that asked for a free-notification hear of each other's destruction.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Object.h"
#include "platform/core/Set.h"

enum class TComponentStateFlag {
  csLoading,
  csReading,
  csWriting,
  csDestroying,
  csDesigning,  // never set at run time
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance,
};
using TComponentState = TSet<TComponentStateFlag>;

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
 public:
  // Owner may be nullptr; otherwise the owner takes the new component into its list and frees
  // it with itself. Components are made with new (the owner deletes them).
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  [[nodiscard]] TComponent* Owner() const { return owner_; }
  [[nodiscard]] int ComponentCount() const { return static_cast<int>(components_.size()); }
  // Raises EListError for an index outside 0..ComponentCount-1.
  [[nodiscard]] TComponent* Components(int index) const;
  [[nodiscard]] int ComponentIndex() const;
  // The owned component of that name (case-insensitive), or nullptr.
  [[nodiscard]] TComponent* FindComponent(const std::string& AName) const;

  [[nodiscard]] const std::string& Name() const { return name_; }
  // Raises EComponentError when a sibling under the same owner already has the name.
  virtual void SetName(const std::string& NewName);
  std::intptr_t Tag = 0;

  [[nodiscard]] TComponentState ComponentState() const { return state_; }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last first.
  void DestroyComponents();
  // Marks this component and those it owns as being destroyed.
  void Destroying();

  // AComponent will call Notification(this, opRemove) on this component when it is freed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Called after a component has been fully read from its stored form.
  virtual void Loaded();
  // Marks the component as being loaded; Loaded clears the mark.
  void BeginLoading();

 protected:
  // Told when a component is inserted into or removed from the owner, and when a component
  // this one asked a free-notification of is freed.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Points Field at Value and moves this component's free-notification from the old referent to
  // the new one, so that Notification(opRemove) can clear Field when Value is freed. Either may
  // be nullptr.
  // StillHeld names the component's other references to components of the kind: the old
  // component keeps notifying this one while one of them still refers to it.
  template <typename T, typename... O>
  void ReplaceReference(T*& Field, T* Value, const O*... StillHeld) {
    if (Field != nullptr && ((static_cast<const void*>(Field) != static_cast<const void*>(StillHeld)) && ...)) {
      Field->RemoveFreeNotification(this);
    }
    Field = Value;
    if (Value != nullptr) Value->FreeNotification(this);
  }
  TComponentState state_;

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void NotifyAll(TComponent* AComponent, TOperation Operation);
  void RemoveNotification(TComponent* AComponent);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
};
