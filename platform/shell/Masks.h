#pragma once
// File-name masks: "*" stands for any run of characters (none included), "?" for one
// character, "[abc]" for one of a set, "[a-z]" for one of a range and "[!a-z]" for one not in
// it; every other character stands for itself. Letters match ignoring case (ASCII letters, as
// the runtime's case-insensitive comparisons); characters are UTF-8 code points, so "?" matches
// one Chinese character. A mask matches the whole name: "*.*" needs a dot, "*" takes anything.

#include <string>

#include "platform/core/Exceptions.h"

// A mask that cannot be read: a "[" without its "]", or an empty set.
// Message: "'<mask>' is an invalid mask at (<index of the '['>)".
class EMaskException : public Exception {
 public:
  using Exception::Exception;
};

// True when FileName matches Mask. Raises EMaskException for a malformed mask.
[[nodiscard]] bool MatchesMask(const std::string& FileName, const std::string& Mask);
