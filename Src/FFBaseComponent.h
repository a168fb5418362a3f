#pragma once
// The common base of the media framework's components and the small types they share.

#include <string>

#include "platform/controls/Component.h"
#include "platform/core/Set.h"

// The base of every media component (logger, probe, player, converter): no state of its own,
// so ownership and streaming treat them alike.
class TFFBaseComponent : public TComponent {
 public:
  using TComponent::TComponent;
};

// Seek options; the set's bits are the media library's seek flags of the same meaning
// (backward 1, byte 2, any 4, frame 8).
enum class TSeekFlag { sfBackward, sfByte, sfAny, sfFrame };
using TSeekFlags = TSet<TSeekFlag>;

// The integer form of the set: its low four bits.
[[nodiscard]] int SeekFlagsToInt(TSeekFlags AFlags);

// Picture types; the ordinal is the codec library's picture type number (0 for unknown).
enum class TPictureType { ptUnknown, ptI, ptP, ptB, ptS, ptSI, ptSP, ptBI };

// File and folder parameters.
using TPathFileName = std::string;
