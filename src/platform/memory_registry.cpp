#include "platform/memory_registry.h"

#include <algorithm>
#include <stdexcept>

#include "platform/text.h"

namespace trova {

namespace {
constexpr RegStatus KeyDeleted = 1018;

std::vector<std::wstring> splitPath(std::wstring_view path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(L'\\', start);
    if (end == std::wstring_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}
}  // namespace

struct MemoryRegistry::Node {
  std::wstring name;
  std::weak_ptr<Node> parent;
  std::vector<std::shared_ptr<Node>> children;  // kept sorted without regard to case
  std::vector<std::pair<std::wstring, RegValue>> values;  // creation order
  bool deleted = false;
  bool writeDenied = false;

  std::shared_ptr<Node> child(std::wstring_view n) const {
    for (const auto& c : children)
      if (equalsNoCase(c->name, n)) return c;
    return nullptr;
  }
  bool denied() const {
    if (writeDenied) return true;
    auto p = parent.lock();
    return p && p->denied();
  }
  std::pair<std::wstring, RegValue>* findValue(std::wstring_view n) {
    for (auto& v : values)
      if (equalsNoCase(v.first, n)) return &v;
    return nullptr;
  }
};

class MemoryKey final : public RegKey {
 public:
  MemoryKey(MemoryRegistry& reg, std::shared_ptr<MemoryRegistry::Node> node)
      : reg_(reg), node_(std::move(node)) {}

  RegStatus openSubKey(std::wstring_view path, KeyPtr& out) override {
    out.reset();
    if (node_->deleted) return KeyDeleted;
    ++reg_.opens_;
    auto n = node_;
    for (const auto& part : splitPath(path)) {
      n = n->child(part);
      if (!n) return regerr::FileNotFound;
    }
    out = std::make_unique<MemoryKey>(reg_, n);
    return regerr::Ok;
  }

  RegStatus createSubKey(std::wstring_view path, KeyPtr& out, bool* created = nullptr) override {
    out.reset();
    if (created) *created = false;
    if (node_->deleted) return KeyDeleted;
    ++reg_.opens_;
    auto n = node_;
    bool made = false;  // whether the last key of the path is new
    for (const auto& part : splitPath(path)) {
      if (part.size() > kLongestKeyName) return regerr::InvalidParameter;
      auto next = n->child(part);
      made = !next;
      if (!next) {
        if (n->denied()) return regerr::AccessDenied;
        next = std::make_shared<MemoryRegistry::Node>();
        next->name = part;
        next->parent = n;
        auto pos = std::lower_bound(n->children.begin(), n->children.end(), next,
                                    [](const auto& a, const auto& b) {
                                      return compareNoCase(a->name, b->name) < 0;
                                    });
        n->children.insert(pos, next);
      }
      n = next;
    }
    if (created) *created = made;
    out = std::make_unique<MemoryKey>(reg_, n);
    return regerr::Ok;
  }

  RegStatus enumSubKey(std::uint32_t index, std::wstring& name) override {
    if (node_->deleted) return KeyDeleted;
    if (index >= node_->children.size()) return regerr::NoMoreItems;
    name = node_->children[index]->name;
    return regerr::Ok;
  }

  RegStatus enumValue(std::uint32_t index, std::wstring& name) override {
    if (node_->deleted) return KeyDeleted;
    if (index >= node_->values.size()) return regerr::NoMoreItems;
    name = node_->values[index].first;
    return regerr::Ok;
  }

  RegStatus queryValue(std::wstring_view name, RegValue& out) override {
    if (node_->deleted) return KeyDeleted;
    auto* v = node_->findValue(name);
    if (!v) return regerr::FileNotFound;
    out = v->second;
    return regerr::Ok;
  }

  RegStatus setValue(std::wstring_view name, const RegValue& value) override {
    if (node_->deleted) return KeyDeleted;
    if (node_->denied()) return regerr::AccessDenied;
    if (auto* v = node_->findValue(name)) {
      v->second = value;  // the stored name keeps its first spelling, as on Windows
    } else {
      node_->values.emplace_back(std::wstring(name), value);
    }
    return regerr::Ok;
  }

  RegStatus deleteValue(std::wstring_view name) override {
    if (node_->deleted) return KeyDeleted;
    if (node_->denied()) return regerr::AccessDenied;
    auto it = std::find_if(node_->values.begin(), node_->values.end(),
                           [&](const auto& v) { return equalsNoCase(v.first, name); });
    if (it == node_->values.end()) return regerr::FileNotFound;
    node_->values.erase(it);
    return regerr::Ok;
  }

  RegStatus deleteSubKey(std::wstring_view name) override {
    if (node_->deleted) return KeyDeleted;
    auto parts = splitPath(name);
    if (parts.empty()) return regerr::InvalidParameter;
    auto parent = node_;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
      parent = parent->child(parts[i]);
      if (!parent) return regerr::FileNotFound;
    }
    auto victim = parent->child(parts.back());
    if (!victim) return regerr::FileNotFound;
    if (victim->denied()) return regerr::AccessDenied;
    if (!victim->children.empty()) return regerr::KeyHasChildren;
    victim->deleted = true;
    auto& kids = parent->children;
    kids.erase(std::find(kids.begin(), kids.end(), victim));
    return regerr::Ok;
  }

 private:
  MemoryRegistry& reg_;
  std::shared_ptr<MemoryRegistry::Node> node_;
};

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::root(Hive hive) {
  auto& r = roots_[hive];
  if (!r) r = std::make_shared<Node>();
  return r;
}

RegStatus MemoryRegistry::open(RegRoot at, std::wstring_view path, KeyPtr& out) {
  MemoryKey base(*this, root(at.hive));
  return base.openSubKey(pathIn64BitView(at, path), out);
}

RegStatus MemoryRegistry::create(RegRoot at, std::wstring_view path, KeyPtr& out, bool* created) {
  MemoryKey base(*this, root(at.hive));
  return base.createSubKey(pathIn64BitView(at, path), out, created);
}

namespace {
KeyPtr mustCreate(MemoryRegistry& reg, RegRoot root, std::wstring_view path) {
  KeyPtr key;
  if (reg.create(root, path, key) != regerr::Ok)
    throw std::logic_error("test set-up could not create a key");
  return key;
}
}  // namespace

void MemoryRegistry::setText(RegRoot root, std::wstring_view path, std::wstring_view name,
                             std::wstring_view text, RegType type) {
  if (mustCreate(*this, root, path)->setValue(name, RegValue::text(text, type)) != regerr::Ok)
    throw std::logic_error("test set-up could not write a value");
}

void MemoryRegistry::setDword(RegRoot root, std::wstring_view path, std::wstring_view name,
                              std::uint32_t v) {
  if (mustCreate(*this, root, path)->setValue(name, RegValue::dword(v)) != regerr::Ok)
    throw std::logic_error("test set-up could not write a value");
}

void MemoryRegistry::createKey(RegRoot root, std::wstring_view path) { mustCreate(*this, root, path); }

bool MemoryRegistry::exists(RegRoot root, std::wstring_view path) {
  KeyPtr key;
  return open(root, path, key) == regerr::Ok;
}

std::optional<RegValue> MemoryRegistry::value(RegRoot root, std::wstring_view path,
                                              std::wstring_view name) {
  KeyPtr key;
  if (open(root, path, key) != regerr::Ok) return std::nullopt;
  RegValue v;
  if (key->queryValue(name, v) != regerr::Ok) return std::nullopt;
  return v;
}

void MemoryRegistry::denyWrites(RegRoot at, std::wstring_view path) {
  auto n = root(at.hive);
  for (const auto& part : splitPath(pathIn64BitView(at, path))) {
    auto next = n->child(part);
    if (!next) {
      KeyPtr k;
      MemoryKey(*this, n).createSubKey(part, k);
      next = n->child(part);
    }
    n = next;
  }
  n->writeDenied = true;
}

}  // namespace trova
