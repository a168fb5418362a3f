#include "platform/shell/ItemIDList.h"

#include <cstring>
#include <new>

namespace {

std::size_t ReadCount(const std::uint8_t* p) { return static_cast<std::size_t>(p[0]) | (static_cast<std::size_t>(p[1]) << 8); }

void WriteCount(std::uint8_t* p, std::size_t count) {
  p[0] = static_cast<std::uint8_t>(count & 0xFF);
  p[1] = static_cast<std::uint8_t>((count >> 8) & 0xFF);
}

}  // namespace

std::size_t TItemIDSpan::FirstItemCount() const {
  if (data_ == nullptr || capacity_ < 2) return 0;
  const std::size_t count = ReadCount(data_);
  // A count below 2 cannot hold itself; an item must leave room for the terminator behind it.
  if (count < 2 || count > capacity_ - 2) return 0;
  return count;
}

std::string_view TItemIDSpan::FirstItemPayload() const {
  const std::size_t count = FirstItemCount();
  if (count == 0) return {};
  return {reinterpret_cast<const char*>(data_ + 2), count - 2};
}

TItemIDList ILAlloc(std::size_t Size) {
  TItemIDList list;
  if (Size == 0 || Size > kMaxItemIDListSize) return list;
  list.bytes_.reset(new (std::nothrow) std::uint8_t[Size]());
  if (list.bytes_) list.capacity_ = Size;
  return list;
}

TItemIDSpan ILGetNext(TItemIDSpan List) {
  const std::size_t count = List.FirstItemCount();
  if (count == 0) return {};
  return {List.Data() + count, List.Capacity() - count};
}

std::size_t ILGetSize(TItemIDSpan List) {
  if (List.IsNil()) return 0;
  std::size_t size = 2;
  for (TItemIDSpan item = List; !item.AtEnd(); item = ILGetNext(item)) size += item.FirstItemCount();
  return size;
}

int ILGetCount(TItemIDSpan List) {
  int count = 0;
  for (TItemIDSpan item = List; !item.AtEnd(); item = ILGetNext(item)) ++count;
  return count;
}

TItemIDSpan ILFindLastID(TItemIDSpan List) {
  if (List.IsNil()) return {};
  TItemIDSpan last = List;
  for (TItemIDSpan item = List; !item.AtEnd(); item = ILGetNext(item)) last = item;
  return last;
}

namespace {

// A new list of the first Used bytes of List (whole items) and a terminator.
TItemIDList CopyPrefix(TItemIDSpan List, std::size_t Used) {
  TItemIDList copy = ILAlloc(Used + 2);
  if (copy && Used > 0) std::memcpy(copy.Data(), List.Data(), Used);
  return copy;  // the terminator is already zero
}

}  // namespace

TItemIDList ILClone(TItemIDSpan List) {
  if (List.IsNil()) return {};
  return CopyPrefix(List, ILGetSize(List) - 2);
}

TItemIDList ILCombine(TItemIDSpan First, TItemIDSpan Second) {
  if (First.IsNil() && Second.IsNil()) return {};
  const std::size_t first = First.IsNil() ? 0 : ILGetSize(First) - 2;
  const std::size_t second = Second.IsNil() ? 0 : ILGetSize(Second) - 2;
  if (first + second + 2 > kMaxItemIDListSize) return {};
  TItemIDList joined = ILAlloc(first + second + 2);
  if (!joined) return joined;
  if (first > 0) std::memcpy(joined.Data(), First.Data(), first);
  if (second > 0) std::memcpy(joined.Data() + first, Second.Data(), second);
  return joined;
}

TItemIDList ILCloneLast(TItemIDSpan List) {
  if (List.IsNil()) return {};
  const TItemIDSpan last = ILFindLastID(List);
  return CopyPrefix(last, last.FirstItemCount());
}

TItemIDList ILCloneFirst(TItemIDSpan List) {
  if (List.IsNil()) return {};
  return CopyPrefix(List, List.FirstItemCount());
}

bool ILRemoveLastID(TItemIDList& List) {
  if (!List || List.Span().AtEnd()) return false;
  const TItemIDSpan last = ILFindLastID(List);
  WriteCount(List.Data() + (last.Data() - List.Data()), 0);
  return true;
}

TItemIDList ILCreateItem(std::uint8_t Kind, std::string_view Name) {
  const std::size_t count = 3 + Name.size();
  if (count > 0xFFFF) return {};
  TItemIDList item = ILAlloc(count + 2);
  if (!item) return item;
  WriteCount(item.Data(), count);
  item.Data()[2] = Kind;
  if (!Name.empty()) std::memcpy(item.Data() + 3, Name.data(), Name.size());
  return item;
}

bool ILIsEqualBytes(TItemIDSpan A, TItemIDSpan B) {
  if (A.IsNil() || B.IsNil()) return A.IsNil() && B.IsNil();
  const std::size_t size = ILGetSize(A);
  if (size != ILGetSize(B)) return false;
  return std::memcmp(A.Data(), B.Data(), size - 2) == 0;
}
