#pragma once
// Item-ID lists: how the shell namespace names its objects (the desktop, Computer, a mount, a
// folder, a file).
//
// Byte format, kept exactly: a list is a sequence of items, each a 16-bit little-endian byte
// count that includes the count itself, followed by count - 2 bytes; a 16-bit zero ends the
// list. The size of a list is 2 plus the sum of its item counts. An absolute list is relative to
// the desktop; the empty list (the terminator alone) is the desktop itself. The items this
// layer's folders make hold a kind byte and the raw bytes of a name (ShellFolders.h), so a file
// name that is not valid UTF-8 survives the trip through a list.
//
// Every walk is bounded by the buffer that holds the list: an item whose count is 1, or that
// reaches so far that no terminator fits behind it, ends the list there, as if the terminator
// stood in its place. Nothing ever reads past the buffer, whatever the stored counts say.
//
// Lists are values in memory of their own; allocation can fail (the allocator has no memory, or
// the size is beyond kMaxItemIDListSize), and every operation that makes a list answers a nil
// list then. Safe on any thread; a list is not shared between threads while it changes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// The largest list the layer allocates, in bytes (a path of the deepest folder needs a few KiB);
// a bigger request is refused like one the allocator cannot serve.
constexpr std::size_t kMaxItemIDListSize = std::size_t{1} << 20;

// A read-only view of a list (or of an item inside one): its first byte and how many bytes the
// buffer holds from there. A nil view has no data.
class TItemIDSpan {
 public:
  TItemIDSpan() = default;
  TItemIDSpan(const std::uint8_t* Data, std::size_t Capacity) : data_(Data), capacity_(Data ? Capacity : 0) {}

  [[nodiscard]] bool IsNil() const { return data_ == nullptr; }
  [[nodiscard]] const std::uint8_t* Data() const { return data_; }
  [[nodiscard]] std::size_t Capacity() const { return capacity_; }

  // The count of the first item: 0 for the terminator, for a nil view and for a broken item (a
  // count of 1, or one that leaves no room for a terminator inside the buffer).
  [[nodiscard]] std::size_t FirstItemCount() const;
  // The bytes of the first item after its count; empty at the end of the list.
  [[nodiscard]] std::string_view FirstItemPayload() const;
  // True for a nil view and for the terminator: no item follows.
  [[nodiscard]] bool AtEnd() const { return FirstItemCount() == 0; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t capacity_ = 0;
};

// An owned list: a zero-filled block of its own (nil after default construction or a failed
// allocation). Move-only; ILClone makes a copy, which can fail.
class TItemIDList {
 public:
  TItemIDList() = default;
  TItemIDList(TItemIDList&&) noexcept = default;
  TItemIDList& operator=(TItemIDList&&) noexcept = default;

  [[nodiscard]] bool IsNil() const { return bytes_ == nullptr; }
  explicit operator bool() const { return bytes_ != nullptr; }
  [[nodiscard]] const std::uint8_t* Data() const { return bytes_.get(); }
  [[nodiscard]] std::uint8_t* Data() { return bytes_.get(); }
  // The bytes allocated (at least ILGetSize of the list).
  [[nodiscard]] std::size_t Capacity() const { return capacity_; }
  [[nodiscard]] TItemIDSpan Span() const { return {bytes_.get(), capacity_}; }
  operator TItemIDSpan() const { return Span(); }  // NOLINT: lists are passed where views are read

 private:
  friend TItemIDList ILAlloc(std::size_t Size);
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t capacity_ = 0;
};

// A zero-filled block of Size bytes; nil when Size is 0, above kMaxItemIDListSize, or the memory
// cannot be had.
[[nodiscard]] TItemIDList ILAlloc(std::size_t Size);

// The view of the item after the first one; nil at the terminator, for a nil view and for a
// broken first item (the walk ends there).
[[nodiscard]] TItemIDSpan ILGetNext(TItemIDSpan List);
// Bytes of the list including its terminator: 0 for nil, 2 for the empty list. Items after a
// broken one do not count.
[[nodiscard]] std::size_t ILGetSize(TItemIDSpan List);
// Number of items before the terminator (or the first broken item).
[[nodiscard]] int ILGetCount(TItemIDSpan List);
// The view of the last item (the terminator for the empty list); nil for nil.
[[nodiscard]] TItemIDSpan ILFindLastID(TItemIDSpan List);

// A copy of the list (its items up to the first broken one, then a terminator); nil for nil or
// when allocation fails.
[[nodiscard]] TItemIDList ILClone(TItemIDSpan List);
// First's items followed by Second's: a nil First contributes nothing, a nil Second counts as the
// empty list. Nil when both are nil or allocation fails.
[[nodiscard]] TItemIDList ILCombine(TItemIDSpan First, TItemIDSpan Second);
// A one-item list of List's last item; a copy of the empty list for the empty list; nil for nil
// or when allocation fails.
[[nodiscard]] TItemIDList ILCloneLast(TItemIDSpan List);
// A list of List's first item alone (the empty list for the empty list); nil for nil or when
// allocation fails.
[[nodiscard]] TItemIDList ILCloneFirst(TItemIDSpan List);
// Truncates the list in place by its last item (its count becomes the terminator). False, and
// nothing changes, for a nil or empty list.
bool ILRemoveLastID(TItemIDList& List);

// A one-item list whose item holds Kind and then the bytes of Name; nil when the item would be
// longer than a 16-bit count allows, or allocation fails.
[[nodiscard]] TItemIDList ILCreateItem(std::uint8_t Kind, std::string_view Name);
// Byte-wise equality of two lists' items (their sizes and bytes up to the terminator).
[[nodiscard]] bool ILIsEqualBytes(TItemIDSpan A, TItemIDSpan B);
