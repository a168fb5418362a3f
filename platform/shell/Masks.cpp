#include "platform/shell/Masks.h"

#include <vector>

#include "platform/graphics/FontEngine.h"
#include "platform/core/SysUtils.h"

namespace {

char32_t Fold(char32_t c) { return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c; }

// One position of a mask.
struct TMaskStep {
  enum class Kind { Literal, AnyOne, AnyRun, Set } kind = Kind::Literal;
  char32_t literal = 0;
  std::vector<std::pair<char32_t, char32_t>> ranges;  // Set: inclusive, folded
  bool negated = false;

  [[nodiscard]] bool Takes(char32_t c) const {
    switch (kind) {
      case Kind::Literal: return Fold(c) == literal;
      case Kind::AnyOne: return true;
      case Kind::AnyRun: return false;
      case Kind::Set: break;
    }
    bool in = false;
    for (const auto& [low, high] : ranges) in = in || (Fold(c) >= low && Fold(c) <= high);
    return in != negated;
  }
};

std::vector<TMaskStep> Compile(const std::string& Mask) {
  const std::u32string mask = DecodeUtf8(Mask);
  std::vector<TMaskStep> steps;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    TMaskStep step;
    const char32_t c = mask[i];
    if (c == U'*') {
      if (steps.empty() || steps.back().kind != TMaskStep::Kind::AnyRun) {
        step.kind = TMaskStep::Kind::AnyRun;
        steps.push_back(step);
      }
      continue;
    }
    if (c == U'?') {
      step.kind = TMaskStep::Kind::AnyOne;
    } else if (c == U'[') {
      const std::size_t open = i;
      step.kind = TMaskStep::Kind::Set;
      ++i;
      if (i < mask.size() && mask[i] == U'!') {
        step.negated = true;
        ++i;
      }
      for (; i < mask.size() && mask[i] != U']'; ++i) {
        char32_t low = Fold(mask[i]), high = low;
        if (i + 2 < mask.size() && mask[i + 1] == U'-' && mask[i + 2] != U']') {
          high = Fold(mask[i + 2]);
          i += 2;
        }
        step.ranges.emplace_back(low, high);
      }
      if (i >= mask.size() || step.ranges.empty()) {
        throw EMaskException(Format("'%s' is an invalid mask at (%d)", Mask, static_cast<int>(open)));
      }
    } else {
      step.literal = Fold(c);
    }
    steps.push_back(step);
  }
  return steps;
}

}  // namespace

bool MatchesMask(const std::string& FileName, const std::string& Mask) {
  const std::vector<TMaskStep> steps = Compile(Mask);
  const std::u32string name = DecodeUtf8(FileName);
  // Greedy walk that goes back to the last "*" on a mismatch and lets it take one more
  // character: linear for masks with one "*", and never worse than steps x characters.
  std::size_t s = 0, n = 0;
  std::size_t starStep = std::string::npos, starName = 0;
  while (n < name.size()) {
    if (s < steps.size() && steps[s].kind == TMaskStep::Kind::AnyRun) {
      starStep = s++;
      starName = n;
    } else if (s < steps.size() && steps[s].Takes(name[n])) {
      ++s;
      ++n;
    } else if (starStep != std::string::npos) {
      s = starStep + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (s < steps.size() && steps[s].kind == TMaskStep::Kind::AnyRun) ++s;
  return s == steps.size();
}
