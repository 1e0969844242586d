#include "settings/in_memory_registry.h"

#include <algorithm>
#include <cctype>

#include "base/case_folding.h"

struct InMemoryRegistry::Node {
  std::string name;
  std::map<std::string, std::shared_ptr<Node>, NameLess> subkeys;
  std::map<std::string, RegistryValue, NameLess> values;
  uint32_t grantedRights = kKeyAllAccess;
  bool refuseWrites = false;
  bool failEnumeration = false;
  bool deleted = false;
};

// The registry orders names by their upper-case form, so "Bob" sorts between "alice" and "carol",
// and takes names that differ only in letter case, in any alphabet, for the same name.
bool InMemoryRegistry::NameLess::operator()(std::string_view a, std::string_view b) const {
  const std::string foldedA = FoldCase(a);
  const std::string foldedB = FoldCase(b);
  return std::lexicographical_compare(foldedA.begin(), foldedA.end(), foldedB.begin(), foldedB.end(),
                                      [](char x, char y) {
                                        return std::toupper(static_cast<unsigned char>(x)) <
                                               std::toupper(static_cast<unsigned char>(y));
                                      });
}

namespace {

bool Grants(uint32_t granted, uint32_t requested) { return (requested & ~granted) == 0; }

}  // namespace

// One access object: at most one current key, held with the rights it was opened with.
class InMemoryRegistry::Access : public RegistryAccess {
 public:
  explicit Access(InMemoryRegistry& tree) : tree_(tree) {}
  ~Access() override { CloseKey(); }

  bool KeyExists(const std::string& path) override {
    std::lock_guard lock(tree_.mutex_);
    const std::shared_ptr<Node> node = tree_.Find(path);
    return node && Grants(node->grantedRights, kKeyExistenceRights);
  }

  bool OpenKey(const std::string& path) override {
    std::lock_guard lock(tree_.mutex_);
    const auto segments = Segments(path);
    if (!segments) return false;
    std::shared_ptr<Node> node = tree_.root_;
    for (const std::string& segment : *segments) {
      auto child = node->subkeys.find(segment);
      if (child == node->subkeys.end()) {
        if (!Grants(node->grantedRights, kKeyCreateSubKey)) return false;
        auto created = std::make_shared<Node>();
        created->name = segment;
        child = node->subkeys.emplace(segment, std::move(created)).first;
      }
      node = child->second;
    }
    if (!Grants(node->grantedRights, kKeyAllAccess)) return false;
    MakeCurrent(std::move(node), kKeyAllAccess, path);
    return true;
  }

  bool OpenKeyReadOnly(const std::string& path) override {
    std::lock_guard lock(tree_.mutex_);
    std::shared_ptr<Node> node = tree_.Find(path);
    if (!node) return false;
    for (const uint32_t rights : kReadOnlyTries) {
      if (Grants(node->grantedRights, rights)) {
        MakeCurrent(std::move(node), rights, path);
        return true;
      }
    }
    return false;
  }

  void CloseKey() override {
    std::lock_guard lock(tree_.mutex_);
    if (!current_) return;
    current_.reset();
    currentPath_.clear();
    --tree_.openKeys_;
  }

  bool ValueExists(const std::string& name) override {
    std::lock_guard lock(tree_.mutex_);
    return Query(name).has_value();
  }

  std::string ReadString(const std::string& name) override {
    std::lock_guard lock(tree_.mutex_);
    return TextOfValue(currentPath_, name, Query(name));
  }

  int32_t ReadInteger(const std::string& name) override {
    std::lock_guard lock(tree_.mutex_);
    return IntegerOfValue(currentPath_, name, Query(name));
  }

  std::vector<std::string> ReadMultiString(const std::string& name) override {
    std::lock_guard lock(tree_.mutex_);
    return StringsOfValue(currentPath_, name, Query(name));
  }

  void WriteString(const std::string& name, const std::string& value) override {
    std::lock_guard lock(tree_.mutex_);
    Store(name, StringValue(value));
  }

  void WriteMultiString(const std::string& name, const std::vector<std::string>& strings) override {
    std::lock_guard lock(tree_.mutex_);
    Store(name, MultiStringValue(currentPath_, name, strings));
  }

  void WriteInteger(const std::string& name, int32_t value) override {
    std::lock_guard lock(tree_.mutex_);
    Store(name, IntegerValue(value));
  }

  bool DeleteValue(const std::string& name) override {
    std::lock_guard lock(tree_.mutex_);
    if (!current_ || current_->deleted || !Grants(currentRights_, kKeySetValue) || current_->refuseWrites) return false;
    current_->values.erase(name);
    return true;
  }

  void GetKeyNames(StringList& names) override {
    std::lock_guard lock(tree_.mutex_);
    names.Clear();
    if (!current_ || current_->deleted) return;
    if (!Grants(currentRights_, kKeyEnumerateSubKeys))
      throw KeyError(currentPath_, "subkeys not listed: the key is open without the right to list them");
    if (current_->failEnumeration) throw KeyError(currentPath_, "subkeys not listed: the registry failed");
    for (const auto& [name, node] : current_->subkeys) names.Add(node->name);
  }

  bool DeleteKey(const std::string& path) override {
    std::lock_guard lock(tree_.mutex_);
    const auto segments = Segments(path);
    if (!segments || segments->empty()) return false;
    const std::shared_ptr<Node> node = tree_.Find(path);
    if (!node || !node->subkeys.empty() || !Grants(node->grantedRights, kKeyDelete)) return false;
    tree_.Unlink(*segments);
    return true;
  }

 private:
  void MakeCurrent(std::shared_ptr<Node> node, uint32_t rights, const std::string& path) {
    if (!current_) ++tree_.openKeys_;
    current_ = std::move(node);
    currentRights_ = rights;
    currentPath_ = path;
  }

  std::optional<RegistryValue> Query(const std::string& name) const {
    if (!current_ || current_->deleted || !Grants(currentRights_, kKeyQueryValue)) return std::nullopt;
    const auto found = current_->values.find(name);
    if (found == current_->values.end()) return std::nullopt;
    return found->second;
  }

  void Store(const std::string& name, RegistryValue value) {
    if (!current_) throw ValueError("(no key open)", name, "write refused: no key is open");
    if (current_->deleted) throw ValueError(currentPath_, name, "write refused: the key has been deleted");
    if (!Grants(currentRights_, kKeySetValue))
      throw ValueError(currentPath_, name, "write refused: the key is open without the right to set values");
    if (current_->refuseWrites) throw ValueError(currentPath_, name, "write refused by the registry");
    const auto found = current_->values.find(name);
    if (found != current_->values.end())
      found->second = std::move(value);
    else
      current_->values.emplace(name, std::move(value));
  }

  InMemoryRegistry& tree_;
  std::shared_ptr<Node> current_;
  uint32_t currentRights_ = 0;
  std::string currentPath_;
};

InMemoryRegistry::InMemoryRegistry() : root_(std::make_shared<Node>()) {}

InMemoryRegistry::~InMemoryRegistry() = default;

std::unique_ptr<RegistryAccess> InMemoryRegistry::Open() { return std::make_unique<Access>(*this); }

RegistryOpener InMemoryRegistry::Opener() {
  return [this] { return Open(); };
}

std::optional<std::vector<std::string>> InMemoryRegistry::Segments(const std::string& path) {
  std::vector<std::string> segments;
  const std::string fromRoot = PathFromRoot(path);
  size_t start = 0;
  while (start < fromRoot.size()) {
    size_t end = fromRoot.find('\\', start);
    if (end == std::string::npos) end = fromRoot.size();
    if (end == start) return std::nullopt;
    segments.push_back(fromRoot.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

std::shared_ptr<InMemoryRegistry::Node> InMemoryRegistry::Find(const std::string& path) const {
  const auto segments = Segments(path);
  if (!segments) return nullptr;
  std::shared_ptr<Node> node = root_;
  for (const std::string& segment : *segments) {
    const auto child = node->subkeys.find(segment);
    if (child == node->subkeys.end()) return nullptr;
    node = child->second;
  }
  return node;
}

std::shared_ptr<InMemoryRegistry::Node> InMemoryRegistry::CreateIgnoringRights(const std::string& path) {
  const auto segments = Segments(path);
  if (!segments) return nullptr;
  std::shared_ptr<Node> node = root_;
  for (const std::string& segment : *segments) {
    auto& child = node->subkeys[segment];
    if (!child) {
      child = std::make_shared<Node>();
      child->name = segment;
    }
    node = child;
  }
  return node;
}

void InMemoryRegistry::CreateKeyForTesting(const std::string& path) {
  std::lock_guard lock(mutex_);
  CreateIgnoringRights(path);
}

void InMemoryRegistry::SetValueForTesting(const std::string& path, const std::string& name, RegistryValue value) {
  std::lock_guard lock(mutex_);
  const std::shared_ptr<Node> node = CreateIgnoringRights(path);
  if (!node) return;
  const auto found = node->values.find(name);
  if (found != node->values.end())
    found->second = std::move(value);
  else
    node->values.emplace(name, std::move(value));
}

void InMemoryRegistry::SetStringForTesting(const std::string& path, const std::string& name,
                                           const std::string& text) {
  SetValueForTesting(path, name, StringValue(text));
}

void InMemoryRegistry::SetIntegerForTesting(const std::string& path, const std::string& name, int32_t number) {
  SetValueForTesting(path, name, IntegerValue(number));
}

std::optional<RegistryValue> InMemoryRegistry::ValueForTesting(const std::string& path,
                                                               const std::string& name) const {
  std::lock_guard lock(mutex_);
  const std::shared_ptr<Node> node = Find(path);
  if (!node) return std::nullopt;
  const auto found = node->values.find(name);
  if (found == node->values.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> InMemoryRegistry::ValueNamesForTesting(const std::string& path) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  if (const std::shared_ptr<Node> node = Find(path))
    for (const auto& [name, value] : node->values) names.push_back(name);
  return names;
}

std::vector<std::string> InMemoryRegistry::SubkeyNamesForTesting(const std::string& path) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  if (const std::shared_ptr<Node> node = Find(path))
    for (const auto& [name, subkey] : node->subkeys) names.push_back(subkey->name);
  return names;
}

bool InMemoryRegistry::KeyExistsForTesting(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return Find(path) != nullptr;
}

void InMemoryRegistry::DeleteKeyForTesting(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto segments = Segments(path);
  if (!segments || segments->empty()) return;
  Unlink(*segments);
}

void InMemoryRegistry::Unlink(const std::vector<std::string>& segments) {
  std::shared_ptr<Node> parent = root_;
  for (size_t i = 0; i + 1 < segments.size(); ++i) {
    const auto child = parent->subkeys.find(segments[i]);
    if (child == parent->subkeys.end()) return;
    parent = child->second;
  }
  const auto victim = parent->subkeys.find(segments.back());
  if (victim == parent->subkeys.end()) return;
  std::vector<std::shared_ptr<Node>> pending{victim->second};
  while (!pending.empty()) {
    std::shared_ptr<Node> node = std::move(pending.back());
    pending.pop_back();
    node->deleted = true;
    for (auto& [name, subkey] : node->subkeys) pending.push_back(subkey);
  }
  parent->subkeys.erase(victim);
}

void InMemoryRegistry::SetKeyRightsForTesting(const std::string& path, uint32_t grantedRights) {
  std::lock_guard lock(mutex_);
  if (const std::shared_ptr<Node> node = CreateIgnoringRights(path)) node->grantedRights = grantedRights;
}

void InMemoryRegistry::FailEnumerationForTesting(const std::string& path, bool fail) {
  std::lock_guard lock(mutex_);
  if (const std::shared_ptr<Node> node = CreateIgnoringRights(path)) node->failEnumeration = fail;
}

void InMemoryRegistry::RefuseWritesForTesting(const std::string& path, bool refuse) {
  std::lock_guard lock(mutex_);
  if (const std::shared_ptr<Node> node = CreateIgnoringRights(path)) node->refuseWrites = refuse;
}

int InMemoryRegistry::OpenKeyCountForTesting() const {
  std::lock_guard lock(mutex_);
  return openKeys_;
}
