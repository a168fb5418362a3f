#include "platform/core/Resources.h"

#include <map>
#include <mutex>
#include <utility>

#include "platform/core/Exceptions.h"

namespace {

std::string Folded(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

// The table lives behind this accessor so registrations from other files' static objects find
// it built, whatever the order in which those files are initialised.
struct ResourceTable {
  std::mutex lock;
  std::map<std::pair<std::string, std::string>, TResourceData> entries;  // (folded name, folded type)
};

ResourceTable& Table() {
  static ResourceTable table;
  return table;
}

}  // namespace

TResourceRegistration::TResourceRegistration(std::string name, std::string type, const void* data,
                                             std::size_t size) {
  ResourceTable& table = Table();
  std::lock_guard guard(table.lock);
  table.entries.emplace(std::make_pair(Folded(std::move(name)), Folded(std::move(type))), TResourceData{data, size});
}

const TResourceData* FindResourceData(const std::string& Name, const std::string& Type) {
  ResourceTable& table = Table();
  std::lock_guard guard(table.lock);
  auto it = table.entries.find(std::make_pair(Folded(Name), Folded(Type)));
  // Entries are never removed, so the address stays valid after the lock is released.
  return it == table.entries.end() ? nullptr : &it->second;
}

HINSTANCE HInstance() {
  static char module = 0;
  return reinterpret_cast<HINSTANCE>(&module);
}

TResourceStream::TResourceStream(HINSTANCE /*Instance*/, const std::string& ResName, const std::string& ResType) {
  const TResourceData* resource = FindResourceData(ResName, ResType);
  if (resource == nullptr) throw EResNotFound("Resource " + ResName + " not found");
  SetPointer(resource->Data, static_cast<int64_t>(resource->Size));
}
