#include "platform/shell/MimeTypes.h"

#include <fnmatch.h>

#include <fstream>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/shell/ShellEnvironment.h"
#include "platform/core/SysUtils.h"

namespace {

struct TGlob {
  int Weight = 50;
  std::string Type;
  std::string Pattern;  // lower-cased unless CaseSensitive
  bool CaseSensitive = false;
};

// The glob lists of every data folder, indexed the way names are looked up: literal names,
// simple "*.suffix" patterns by suffix, and the few other patterns in a list.
struct TMimeDatabase {
  std::vector<std::string> Key;  // the data folders it was read from
  std::unordered_map<std::string, std::vector<TGlob>> Literals;
  std::unordered_map<std::string, std::vector<TGlob>> Suffixes;
  std::vector<TGlob> Others;
  std::unordered_map<std::string, std::string> GenericIcons;
};

bool HasWildcard(std::string_view text) { return text.find_first_of("*?[") != std::string_view::npos; }

void AddGlob(TMimeDatabase& db, TGlob glob) {
  if (!glob.CaseSensitive) glob.Pattern = LowerCase(glob.Pattern);
  const std::string& p = glob.Pattern;
  if (!HasWildcard(p)) {
    db.Literals[p].push_back(std::move(glob));
  } else if (p.size() > 2 && p[0] == '*' && p[1] == '.' && !HasWildcard(p.substr(1))) {
    db.Suffixes[p.substr(2)].push_back(std::move(glob));
  } else {
    db.Others.push_back(std::move(glob));
  }
}

// "weight:type:pattern[:flags…]" lines; "#" starts a comment.
void ReadGlobs(TMimeDatabase& db, const std::string& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t a = line.find(':');
    const std::size_t b = a == std::string::npos ? a : line.find(':', a + 1);
    if (b == std::string::npos) continue;
    TGlob glob;
    if (!TryStrToInt(line.substr(0, a), glob.Weight)) continue;
    glob.Type = line.substr(a + 1, b - a - 1);
    const std::size_t c = line.find(':', b + 1);
    glob.Pattern = line.substr(b + 1, c == std::string::npos ? std::string::npos : c - b - 1);
    glob.CaseSensitive = c != std::string::npos && line.find("cs", c) != std::string::npos;
    if (glob.Type.empty() || glob.Pattern.empty()) continue;
    AddGlob(db, std::move(glob));
  }
}

void ReadGenericIcons(TMimeDatabase& db, const std::string& file) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || line[0] == '#') continue;
    db.GenericIcons.emplace(line.substr(0, colon), line.substr(colon + 1));  // the first folder wins
  }
}

std::vector<std::string> DataFolders() {
  const TShellRoots roots = ShellRoots();
  std::vector<std::string> folders{roots.DataHome};
  folders.insert(folders.end(), roots.DataDirs.begin(), roots.DataDirs.end());
  return folders;
}

// The database of the current data folders, read again when they changed. Locked by the caller.
const TMimeDatabase& Database() {
  static TMimeDatabase db;
  static bool loaded = false;
  std::vector<std::string> key = DataFolders();
  if (!loaded || key != db.Key) {
    db = TMimeDatabase{};
    db.Key = std::move(key);
    for (const std::string& folder : db.Key) {
      ReadGlobs(db, folder + "/mime/globs2");
      ReadGenericIcons(db, folder + "/mime/generic-icons");
    }
    loaded = true;
  }
  return db;
}

std::mutex& DatabaseLock() {
  static std::mutex lock;
  return lock;
}

// Better: higher weight, then the longer pattern, then a case-sensitive one.
bool Better(const TGlob& a, const TGlob* b) {
  if (b == nullptr) return true;
  if (a.Weight != b->Weight) return a.Weight > b->Weight;
  if (a.Pattern.size() != b->Pattern.size()) return a.Pattern.size() > b->Pattern.size();
  return a.CaseSensitive && !b->CaseSensitive;
}

// The best of the globs filed under Key that match as asked: the case-insensitive ones when
// Key was lower-cased, the case-sensitive ones when it is the name's own text.
const TGlob* BestUnder(const std::unordered_map<std::string, std::vector<TGlob>>& index, const std::string& key,
                       bool caseSensitive, const TGlob* best) {
  auto it = index.find(key);
  if (it == index.end()) return best;
  for (const TGlob& g : it->second)
    if (g.CaseSensitive == caseSensitive && Better(g, best)) best = &g;
  return best;
}

}  // namespace

std::string MimeTypeOfFileName(std::string_view Name) {
  std::lock_guard lock(DatabaseLock());
  const TMimeDatabase& db = Database();
  const std::string exact(Name);
  const std::string lower = LowerCase(Name);
  if (const TGlob* literal = BestUnder(db.Literals, exact, true, BestUnder(db.Literals, lower, false, nullptr)))
    return literal->Type;

  const TGlob* best = nullptr;
  // Every suffix after a dot: "a.tar.gz" tries "tar.gz" and "gz".
  for (std::size_t dot = lower.find('.'); dot != std::string::npos; dot = lower.find('.', dot + 1)) {
    best = BestUnder(db.Suffixes, lower.substr(dot + 1), false, best);
    best = BestUnder(db.Suffixes, exact.substr(dot + 1), true, best);
  }
  for (const TGlob& g : db.Others) {
    const std::string& subject = g.CaseSensitive ? exact : lower;
    if (::fnmatch(g.Pattern.c_str(), subject.c_str(), 0) == 0 && Better(g, best)) best = &g;
  }
  return best ? best->Type : "application/octet-stream";
}

TMimeClass MimeClassOf(const std::string& MimeType) {
  std::string icon;
  {
    std::lock_guard lock(DatabaseLock());
    const TMimeDatabase& db = Database();
    if (auto it = db.GenericIcons.find(MimeType); it != db.GenericIcons.end()) icon = it->second;
  }
  static const std::unordered_map<std::string, TMimeClass> byIcon = {
      {"text-x-generic", TMimeClass::mcText},           {"text-x-script", TMimeClass::mcText},
      {"text-html", TMimeClass::mcText},                {"image-x-generic", TMimeClass::mcImage},
      {"audio-x-generic", TMimeClass::mcAudio},         {"video-x-generic", TMimeClass::mcVideo},
      {"package-x-generic", TMimeClass::mcArchive},     {"x-office-document", TMimeClass::mcDocument},
      {"x-office-spreadsheet", TMimeClass::mcDocument}, {"x-office-presentation", TMimeClass::mcDocument},
      {"application-x-executable", TMimeClass::mcExecutable}, {"font-x-generic", TMimeClass::mcFont},
  };
  if (auto it = byIcon.find(icon); it != byIcon.end()) return it->second;
  const std::string major = MimeType.substr(0, MimeType.find('/'));
  if (major == "text") return TMimeClass::mcText;
  if (major == "image") return TMimeClass::mcImage;
  if (major == "audio") return TMimeClass::mcAudio;
  if (major == "video") return TMimeClass::mcVideo;
  if (major == "font") return TMimeClass::mcFont;
  return TMimeClass::mcGeneric;
}
