#include "config/ini_transaction.h"

#include <algorithm>
#include <map>
#include <vector>

#include "config/ini_text.h"
#include "text/search.h"

namespace config {

using ini::Line;

namespace {

// A key of a touched section: a line of the file (which may be rewritten) or one added to it.
struct Key {
  std::string name;   // the spelling in the file, or as written for an added key
  std::string value;  // as it stands after '=' (reads drop the blanks around it)
  bool inFile = false;
  bool rewritten = false;
  Line line;  // of a key in the file
};

// A section read or edited in this transaction: one of the file (its first occurrence) or one
// added at the end.
struct Section {
  bool inFile = false;
  std::string name;  // the spelling of an added section
  Line anchor;       // in the file: its last key line, or its header; added keys go after it
  std::vector<Key> keys;

  Key* find(std::string_view key) {
    for (Key& k : keys)
      if (ini::sameName(k.name, key)) return &k;
    return nullptr;
  }
};

}  // namespace

struct IniTransaction::State {
  std::string path;
  ini::FileBytes bytes;
  std::string_view data;  // the file's bytes, in `bytes`
  ini::ReadStatus status = ini::ReadStatus::Missing;
  // Sections looked at, by folded name; nullopt: not in the file and not added.
  std::map<std::string, std::optional<Section>> sections;
  std::vector<std::string> added;  // folded names of added sections, in order

  // The section of that name, read from the file on first use; nullptr when there is none.
  Section* section(const std::string& name) {
    const std::string folded = text::asciiLower(name);
    auto it = sections.find(folded);
    if (it == sections.end()) {
      std::optional<Section> s;
      if (const auto span = ini::findSection(data, name)) {
        s.emplace();
        s->inFile = true;
        s->anchor = span->header;
        ini::forEachKey(data, *span, [&](const ini::KeyLine& k) {
          s->anchor = k.line;
          s->keys.push_back(Key{std::string(k.parsed.name), std::string(k.parsed.value), true, false, k.line});
          return true;
        });
      }
      it = sections.emplace(folded, std::move(s)).first;
    }
    return it->second ? &*it->second : nullptr;
  }

  Section& addSection(const std::string& name) {
    const std::string folded = text::asciiLower(name);
    added.push_back(folded);
    std::optional<Section>& s = sections[folded];
    s.emplace();
    s->name = name;
    return *s;
  }

  static std::string keyLine(const Key& k) { return k.name + "=" + k.value + "\r\n"; }

  // The file's bytes with every edit, as the key-by-key writer would have left them: pieces of
  // the old bytes and the edited lines between them, pointing into `data` and `texts`. False when
  // nothing changed.
  struct Edited {
    std::vector<std::string> texts;
    std::vector<std::string_view> pieces;
  };
  bool edited(Edited& out) const {
    struct Edit {
      std::size_t at, length;
      std::string text;
    };
    std::vector<Edit> edits;
    for (const auto& [folded, s] : sections) {
      if (!s || !s->inFile) continue;
      std::string addedKeys;
      for (const Key& k : s->keys) {
        if (!k.inFile) {
          addedKeys += keyLine(k);
        } else if (k.rewritten) {
          std::string line = keyLine(k);
          const std::string_view old = data.substr(k.line.begin, k.line.next - k.line.begin);
          if (line != old) edits.push_back(Edit{k.line.begin, old.size(), std::move(line)});
        }
      }
      if (addedKeys.empty()) continue;
      // The file's last line without a line break gets one before the first key after it; a
      // rewritten last key line has one already.
      bool anchorRewritten = false;
      for (const Key& k : s->keys)
        if (k.inFile && k.rewritten && k.line.begin == s->anchor.begin) anchorRewritten = true;
      if (s->anchor.next == s->anchor.end && !anchorRewritten) addedKeys.insert(0, "\r\n");
      edits.push_back(Edit{s->anchor.next, 0, std::move(addedKeys)});
    }
    if (edits.empty() && added.empty()) return false;
    // Keys added after a line come before a rewritten line that starts where that line ends.
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
      return a.at != b.at ? a.at < b.at : a.length < b.length;
    });
    out.texts.clear();
    out.texts.reserve(edits.size() + 1);
    out.pieces.clear();
    std::size_t pos = 0;
    const auto put = [&](std::string_view piece) {
      if (!piece.empty()) out.pieces.push_back(piece);
    };
    for (Edit& e : edits) {
      put(data.substr(pos, e.at - pos));
      put(out.texts.emplace_back(std::move(e.text)));
      pos = e.at + e.length;
    }
    put(data.substr(pos));
    if (!added.empty()) {
      std::string tail;
      for (const std::string& folded : added) {
        const Section& s = *sections.at(folded);
        const char last = !tail.empty() ? tail.back() : out.pieces.empty() ? '\n' : out.pieces.back().back();
        if (last != '\n' && last != '\r') tail.append("\r\n");
        tail.append("[").append(s.name).append("]\r\n");
        for (const Key& k : s.keys) tail.append(keyLine(k));
      }
      put(out.texts.emplace_back(std::move(tail)));
    }
    return true;
  }
};

IniTransaction::IniTransaction(std::string path) : state_(std::make_unique<State>()) {
  state_->path = std::move(path);
  state_->status = ini::readFileBytes(state_->path, state_->bytes);
  state_->data = state_->bytes.view();
}

IniTransaction::~IniTransaction() = default;

std::optional<std::string> IniTransaction::find(std::string_view section, std::string_view key) const {
  Section* s = state_->section(ini::storedName(section));
  if (!s) return std::nullopt;
  const Key* k = s->find(ini::storedName(key));
  if (!k) return std::nullopt;
  return ini::valueText(ini::trimBlanks(k->value));
}

std::string IniTransaction::read(std::string_view section, std::string_view key, std::string_view fallback) const {
  if (auto value = find(section, key)) return std::move(*value);
  return ini::fallbackText(fallback);
}

bool IniTransaction::write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sectionName = ini::storedName(section);
  const std::string keyName = ini::storedName(key);
  if (!ini::storableNames(sectionName, keyName)) return false;
  if (state_->status == ini::ReadStatus::Failed) return false;
  Section* s = state_->section(sectionName);
  if (!s) s = &state_->addSection(sectionName);
  if (Key* k = s->find(keyName)) {
    k->value = ini::blankLineBreaks(value);
    k->rewritten = true;
  } else {
    s->keys.push_back(Key{keyName, ini::blankLineBreaks(value), false, false, Line{}});
  }
  return true;
}

bool IniTransaction::commit(Sync sync) {
  if (state_->status == ini::ReadStatus::Failed) return false;
  State::Edited out;
  if (!state_->edited(out)) return true;
  return writeFilePieces(state_->path, out.pieces, sync);
}

}  // namespace config
