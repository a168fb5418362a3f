#include "platform/core/Object.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "platform/core/Exceptions.h"

TObject::~TObject() = default;

std::string TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : mangled;
  std::free(demangled);
  // Classes inside a namespace report their last name only.
  auto colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

std::weak_ptr<void> TObject::LifeToken() const {
  if (!life_) life_ = std::make_shared<char>(0);
  return life_;
}

void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  throw EConvertError("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* Dest) {
  std::string dest = Dest != nullptr ? Dest->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest);
}
