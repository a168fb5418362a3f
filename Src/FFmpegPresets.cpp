// Encoder presets: the built-in table, preset files, and the translation of option keys of older
// encoder presets into the options of the installed libraries.

#include <algorithm>

#include "Src/AVUtilStubs.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegLogger.h"
#include "platform/core/SysUtils.h"

namespace {

// The "+name-name…" switches of a flags value, in order, with their sign.
std::vector<std::pair<bool, std::string>> FlagTokens(const std::string& AValue) {
  std::vector<std::pair<bool, std::string>> tokens;
  bool on = true;
  std::string name;
  auto flush = [&] {
    if (!name.empty()) tokens.emplace_back(on, name);
    name.clear();
  };
  for (char c : AValue) {
    if (c == '+' || c == '-') {
      flush();
      on = c == '+';
    } else {
      name += c;
    }
  }
  flush();
  return tokens;
}

// Switches of the old "flags2" that became private options of the H.264 encoder: the option and
// its values for on and off.
struct TFlagSuccessor {
  const char* Flag;
  const char* Option;
  const char* On;
  const char* Off;
};
constexpr TFlagSuccessor Flags2Successors[] = {
    {"bpyramid", "b-pyramid", "normal", "none"}, {"mixed_refs", "mixed-refs", "1", "0"},
    {"wpred", "weightb", "1", "0"},              {"dct8x8", "8x8dct", "1", "0"},
    {"fastpskip", "fast-pskip", "1", "0"},       {"mbtree", "mbtree", "1", "0"},
    {"aud", "aud", "1", "0"},                    {"psy", "psy", "1", "0"},
    {"ssim", "ssim", "1", "0"},                  {"intra_refresh", "intra-refresh", "1", "0"},
};
// Switches of "flags2" the current generic option still has.
constexpr const char* CurrentFlags2[] = {"fast", "noout", "ignorecrop", "local_header", "chunks",
                                         "showall", "export_mvs", "skip_manual", "ass_ro_flush_noop"};
// Old partition switches and the names of the "partitions" list today.
constexpr std::pair<const char*, const char*> PartitionNames[] = {
    {"parti4x4", "i4x4"}, {"parti8x8", "i8x8"}, {"partp4x4", "p4x4"}, {"partp8x8", "p8x8"}, {"partb8x8", "b8x8"}};
// Keys that are private options of the encoder under the same or a new name.
constexpr std::pair<const char*, const char*> RenamedKeys[] = {
    {"coder", "coder"},       {"me_method", "me_method"}, {"b_strategy", "b_strategy"},
    {"sc_threshold", "sc_threshold"}, {"wpredp", "wpredp"}, {"directpred", "direct-pred"},
    {"cqp", "qp"}};

}  // namespace

const std::vector<TOptionsPreset>& BuiltinPresets() {
  static const std::vector<TOptionsPreset> presets = {
    {"libx264-baseline",
     "coder=0\nbf=0\nflags2=-wpred-dct8x8\nwpredp=0\n"},
    {"libx264-default",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=hex\nsubq=7\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=3\ndirectpred=1\ntrellis=1\nflags2=+mixed_refs+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-fast",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=hex\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=2\ndirectpred=1\ntrellis=1\nflags2=+bpyramid+mixed_refs+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-fast_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-faster",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=hex\nsubq=4\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=2\ndirectpred=1\ntrellis=1\nflags2=+bpyramid-mixed_refs+wpred+dct8x8+fastpskip\nwpredp=1\n"},
    {"libx264-faster_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip\nwpredp=1\n"},
    {"libx264-fastfirstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partp4x4-partb8x8\nme_method=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=3\ntrellis=0\nflags2=-bpyramid-wpred-mixed_refs-dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-hq",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=umh\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=4\ndirectpred=3\ntrellis=1\nflags2=+wpred+mixed_refs+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-ipod320",
     "coder=0\nbf=0\nflags2=-wpred-dct8x8\nlevel=13\nmaxrate=768000\nbufsize=3000000\nwpredp=0\n"},
    {"libx264-ipod640",
     "coder=0\nbf=0\nrefs=1\nflags2=-wpred-dct8x8\nlevel=30\nmaxrate=10000000\nbufsize=10000000\nwpredp=0\n"},
    {"libx264-lossless_fast",
     "coder=0\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8+parti4x4+partp8x8-partp4x4-partb8x8\nme_method=hex\nsubq=3\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\ndirectpred=1\nflags2=+fastpskip\ncqp=0\nwpredp=0\n"},
    {"libx264-lossless_max",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4-partb8x8\nme_method=esa\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nrefs=16\ndirectpred=1\nflags2=+mixed_refs+dct8x8+fastpskip\ncqp=0\nwpredp=2\n"},
    {"libx264-lossless_medium",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8+parti4x4+partp8x8+partp4x4-partb8x8\nme_method=hex\nsubq=5\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\ndirectpred=1\nflags2=+fastpskip\ncqp=0\nwpredp=2\n"},
    {"libx264-lossless_slow",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4-partb8x8\nme_method=umh\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nrefs=2\ndirectpred=1\nflags2=+dct8x8+fastpskip\ncqp=0\nwpredp=2\n"},
    {"libx264-lossless_slower",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4-partb8x8\nme_method=umh\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nrefs=4\ndirectpred=1\nflags2=+mixed_refs+dct8x8+fastpskip\ncqp=0\nwpredp=2\n"},
    {"libx264-lossless_ultrafast",
     "coder=0\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partp4x4-partb8x8\nme_method=dia\nsubq=0\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\ndirectpred=1\nflags2=+fastpskip\ncqp=0\n"},
    {"libx264-main",
     "flags2=-dct8x8\n"},
    {"libx264-max",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\nme_method=tesa\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=16\ndirectpred=3\ntrellis=2\nflags2=+wpred+mixed_refs+dct8x8-fastpskip\nwpredp=2\n"},
    {"libx264-medium",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=hex\nsubq=7\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=3\ndirectpred=1\ntrellis=1\nflags2=+bpyramid+mixed_refs+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-medium_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-normal",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=hex\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=2\ndirectpred=3\ntrellis=0\nflags2=+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-placebo",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\nme_method=tesa\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=16\nrefs=16\ndirectpred=3\ntrellis=2\nflags2=+bpyramid+mixed_refs+wpred+dct8x8-fastpskip\nwpredp=2\n"},
    {"libx264-placebo_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\nme_method=tesa\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=16\nrefs=16\ndirectpred=3\ntrellis=2\nflags2=+bpyramid+mixed_refs+wpred+dct8x8-fastpskip\nwpredp=2\n"},
    {"libx264-slow",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=umh\nsubq=8\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=5\ndirectpred=3\ntrellis=1\nflags2=+bpyramid+mixed_refs+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-slow_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=3\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-slower",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\nme_method=umh\nsubq=9\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=8\ndirectpred=3\ntrellis=2\nflags2=+bpyramid+mixed_refs+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-slower_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=3\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-slowfirstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=hex\nsubq=6\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=3\ntrellis=0\nflags2=+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-superfast",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=1\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred+dct8x8+fastpskip-mbtree\nwpredp=0\n"},
    {"libx264-superfast_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=1\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip-mbtree\nwpredp=0\n"},
    {"libx264-ultrafast",
     "coder=0\nflags=-loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=0\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=0\ni_qfactor=0.71\nb_strategy=0\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=0\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=-bpyramid-mixed_refs-wpred-dct8x8+fastpskip-mbtree\nwpredp=0\n"},
    {"libx264-ultrafast_firstpass",
     "coder=0\nflags=-loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=0\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=0\ni_qfactor=0.71\nb_strategy=0\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=0\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=-bpyramid-mixed_refs-wpred-dct8x8+fastpskip-mbtree\nwpredp=0\n"},
    {"libx264-veryfast",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partb8x8\nme_method=hex\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred+dct8x8+fastpskip-mbtree\nwpredp=0\n"},
    {"libx264-veryfast_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=2\nme_range=16\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=1\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=3\nrefs=1\ndirectpred=1\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip-mbtree\nwpredp=0\n"},
    {"libx264-veryslow",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\nme_method=umh\nsubq=10\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=8\nrefs=16\ndirectpred=3\ntrellis=2\nflags2=+bpyramid+mixed_refs+wpred+dct8x8+fastpskip\nwpredp=2\n"},
    {"libx264-veryslow_firstpass",
     "coder=1\nflags=+loop\ncmp=+chroma\npartitions=-parti8x8-parti4x4-partp8x8-partb8x8\nme_method=dia\nsubq=2\nme_range=24\ng=250\nkeyint_min=25\nsc_threshold=40\ni_qfactor=0.71\nb_strategy=2\nqcomp=0.6\nqmin=10\nqmax=51\nqdiff=4\nbf=8\nrefs=1\ndirectpred=3\ntrellis=0\nflags2=+bpyramid-mixed_refs+wpred-dct8x8+fastpskip\nwpredp=2\n"},
  };
  return presets;
}

std::string FindBuiltinPreset(const std::string& AName) {
  for (const TOptionsPreset& preset : BuiltinPresets())
    if (SameText(preset.Name, AName)) return preset.Value;
  return std::string();
}

bool TranslateLegacyPresetOption(const std::string& AKey, const std::string& AValue,
                                 std::vector<TTranslatedOption>& AResult, std::vector<std::string>& ASkipped) {
  using TTarget = TTranslatedOption::TTarget;
  for (const auto& [old, current] : RenamedKeys)
    if (AKey == old) {
      AResult.push_back({TTarget::Private, current, AValue});
      return true;
    }
  if (AKey == "partitions") {
    const auto tokens = FlagTokens(AValue);
    const bool legacy = std::any_of(tokens.begin(), tokens.end(),
                                    [](const auto& t) { return t.second.rfind("part", 0) == 0; });
    if (!legacy) return false;
    std::string list;
    for (const auto& [on, name] : tokens) {
      const auto* found = std::find_if(std::begin(PartitionNames), std::end(PartitionNames),
                                       [&](const auto& p) { return name == p.first; });
      if (found == std::end(PartitionNames)) {
        ASkipped.push_back("partitions " + name);
        continue;
      }
      if (on) list += (list.empty() ? "" : ",") + std::string(found->second);
    }
    AResult.push_back({TTarget::Private, "partitions", list.empty() ? "none" : list});
    return true;
  }
  if (AKey == "flags2") {
    const auto tokens = FlagTokens(AValue);
    const bool legacy = std::any_of(tokens.begin(), tokens.end(), [](const auto& t) {
      return std::none_of(std::begin(CurrentFlags2), std::end(CurrentFlags2),
                          [&](const char* f) { return t.second == f; });
    });
    if (!legacy) return false;
    std::string generic;
    for (const auto& [on, name] : tokens) {
      const auto* successor = std::find_if(std::begin(Flags2Successors), std::end(Flags2Successors),
                                           [&](const TFlagSuccessor& s) { return name == s.Flag; });
      if (successor != std::end(Flags2Successors)) {
        AResult.push_back({TTarget::Private, successor->Option, on ? successor->On : successor->Off});
      } else if (std::any_of(std::begin(CurrentFlags2), std::end(CurrentFlags2),
                             [&](const char* f) { return name == f; })) {
        generic += (on ? "+" : "-") + name;
      } else {
        ASkipped.push_back("flags2 " + name);
      }
    }
    if (!generic.empty()) AResult.push_back({TTarget::Generic, "flags2", generic});
    return true;
  }
  return false;
}

void TCustomFFmpeg::OptPreset(const std::string& AOptName, const std::string& AValue) {
  if (AOptName.empty() || AValue.empty()) return;
  std::string lookedUp = AValue;
  std::string text;
  if (AOptName[0] != 'f') {
    text = FindBuiltinPreset(lookedUp);
    if (text.empty()) {
      if (AOptName[0] == 'v' && !Fvideo_codec_name.empty())
        lookedUp = Fvideo_codec_name + "-" + AValue;
      else if (AOptName[0] == 'a' && !Faudio_codec_name.empty())
        lookedUp = Faudio_codec_name + "-" + AValue;
      else if (!Fsubtitle_codec_name.empty())
        lookedUp = Fsubtitle_codec_name + "-" + AValue;
      text = FindBuiltinPreset(lookedUp);
    }
  }
  if (text.empty()) {
    if (!FileExists(AValue)) throw FFmpegException(Printf("Preset \"%s\" not found", AValue.c_str()));
    if (ReadWholeFile(AValue, text) != 0) throw EFOpenError("Cannot read preset file " + AValue);
  }
  ApplyPresetText(AOptName, lookedUp, text);
}

void TCustomFFmpeg::ApplyPresetText(const std::string& AOptName, const std::string& ALookedUp,
                                    const std::string& AText) {
  // Every line break (CR LF, CR, LF) becomes a line feed.
  std::string text;
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] == '\r') {
      text += '\n';
      if (i + 1 < AText.size() && AText[i + 1] == '\n') ++i;
    } else {
      text += AText[i];
    }
  }
  const int kind = AOptName[0] == 'a' ? 1 : AOptName[0] == 's' ? 2 : 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    const size_t equal = line.find('=');
    const std::string key = equal == std::string::npos ? std::string() : line.substr(0, equal);
    const std::string value = equal == std::string::npos ? std::string() : line.substr(equal + 1);
    if (key.empty() || value.empty())
      throw FFmpegException(Printf("%s: Invalid syntax: \"%s\"", ALookedUp.c_str(), line.c_str()));
    if (SameText(key, "acodec")) {
      OptAudioCodec(value);
      continue;
    }
    if (SameText(key, "vcodec")) {
      OptVideoCodec(value);
      continue;
    }
    if (SameText(key, "scodec")) {
      OptSubtitleCodec(value);
      continue;
    }
    auto invalid = [&] {
      return FFmpegException(Printf("%s: Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"",
                                    ALookedUp.c_str(), line.c_str(), key.c_str(), value.c_str()));
    };
    std::vector<TTranslatedOption> translated;
    std::vector<std::string> skipped;
    if (!TranslateLegacyPresetOption(key, value, translated, skipped)) {
      if (!OptDefault(key, value)) throw invalid();
      continue;
    }
    for (const std::string& name : skipped)
      GetLogger()->Log(this, TLogLevel::llInfo,
                       Printf("%s: option %s has no successor in the installed libraries, skipped",
                              ALookedUp.c_str(), name.c_str()));
    for (const TTranslatedOption& option : translated) {
      if (option.Target == TTranslatedOption::TTarget::Generic) {
        if (!OptDefault(option.Name, option.Value)) throw invalid();
      } else {
        AVDictionary* dict = FCodecOpts[kind].release();
        av::av_dict_set(&dict, option.Name.c_str(), option.Value.c_str(), 0);
        FCodecOpts[kind].reset(dict);
      }
    }
  }
}
