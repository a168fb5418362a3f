#pragma once
// TObject, the root of the component framework's classes, and TPersistent, the root of
// everything that can copy itself from another object with Assign.

#include <functional>
#include <memory>
#include <string>

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  // The class's own name ("TStringList"), taken from the dynamic type.
  [[nodiscard]] std::string ClassName() const;

  // Frees the object; safe on nullptr. Only for objects made with new.
  static void Free(TObject* object) { delete object; }

  // A token that expires when this object is destroyed: the way to hold a link to an object
  // that may be freed first (see TWeak).
  [[nodiscard]] std::weak_ptr<void> LifeToken() const;

 private:
  mutable std::shared_ptr<void> life_;
};

// A link to an object that may be destroyed before the link: Get() answers nullptr then.
// The check is only meaningful on the thread that destroys the object.
template <typename T>
class TWeak {
 public:
  TWeak() = default;
  TWeak(T* object) : object_(object), token_(object ? object->LifeToken() : std::weak_ptr<void>{}) {}
  [[nodiscard]] T* Get() const { return token_.expired() ? nullptr : object_; }
  explicit operator bool() const { return Get() != nullptr; }
  T* operator->() const { return Get(); }

 private:
  T* object_ = nullptr;
  std::weak_ptr<void> token_;
};

// Events are method references that take the sender first.
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
 public:
  // Copies Source into this object; a class that cannot take Source asks Source to AssignTo
  // it, and raises EConvertError ("Cannot assign a X to a Y") when neither knows how.
  virtual void Assign(TPersistent* Source);

 protected:
  virtual void AssignTo(TPersistent* Dest);
};
