#include "settings/in_memory_registry.h"

#include <gtest/gtest.h>

#include "settings/registry_access_suite.h"

namespace {

class InMemoryBackend {
 public:
  std::string Root() const { return "\\SOFTWARE\\Scratch\\"; }
  std::unique_ptr<RegistryAccess> Open() { return tree.Open(); }
  void Store(const std::string& path, const std::string& name, RegistryValue value) {
    tree.SetValueForTesting(path, name, std::move(value));
  }
  std::optional<RegistryValue> Stored(const std::string& path, const std::string& name) const {
    return tree.ValueForTesting(path, name);
  }
  bool Exists(const std::string& path) const { return tree.KeyExistsForTesting(path); }
  void DeleteKey(const std::string& path) { tree.DeleteKeyForTesting(path); }

  InMemoryRegistry tree;
};

INSTANTIATE_TYPED_TEST_SUITE_P(InMemory, RegistryAccessSuite, InMemoryBackend);

constexpr char kUser[] = "\\SOFTWARE\\Scratch\\alice";

// Which of the three open modes succeed on a key granting only some rights.
TEST(InMemoryRegistryTest, EachOpenModeChecksTheRightsTheKeyGrants) {
  const struct {
    const char* name;
    uint32_t granted;
    bool exists, readOnly, readWrite, enumerates;
  } cases[] = {
      {"everything", kKeyAllAccess, true, true, true, true},
      {"nothing", 0, false, false, false, false},
      {"KEY_READ", kKeyRead, true, true, false, true},
      {"existence rights (second read-only try)", kKeyExistenceRights, true, true, false, true},
      {"KEY_QUERY_VALUE only (third read-only try)", kKeyQueryValue, false, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InMemoryRegistry tree;
    tree.SetIntegerForTesting(kUser, "Logoff", 7);
    tree.CreateKeyForTesting(std::string(kUser) + "\\Sub");
    tree.SetKeyRightsForTesting(kUser, c.granted);
    auto registry = tree.Open();
    EXPECT_EQ(registry->KeyExists(kUser), c.exists);
    EXPECT_EQ(registry->OpenKey(kUser), c.readWrite);
    registry->CloseKey();
    ASSERT_EQ(registry->OpenKeyReadOnly(kUser), c.readOnly);
    if (!c.readOnly) continue;
    EXPECT_EQ(registry->ReadInteger("Logoff"), 7);
    StringList names;
    if (c.enumerates) {
      registry->GetKeyNames(names);
      EXPECT_EQ(names.Count(), 1);
    } else {
      EXPECT_THROW(registry->GetKeyNames(names), RegistryError);  // never a part taken for the whole
    }
  }
}

TEST(InMemoryRegistryTest, NoKeyIsCreatedUnderAParentThatRefusesSubkeys) {
  InMemoryRegistry tree;
  tree.SetKeyRightsForTesting("\\SOFTWARE\\Scratch\\", kKeyAllAccess & ~kKeyCreateSubKey);
  auto registry = tree.Open();
  EXPECT_FALSE(registry->OpenKey(std::string(kUser) + "\\Deeper"));
  EXPECT_FALSE(tree.KeyExistsForTesting(kUser));
  EXPECT_TRUE(registry->OpenKeyReadOnly("\\SOFTWARE\\Scratch"));  // the parent itself still opens
}

TEST(InMemoryRegistryTest, RefusedWritesRaiseAndStoreNothing) {
  InMemoryRegistry tree;
  tree.RefuseWritesForTesting(kUser);
  auto registry = tree.Open();
  ASSERT_TRUE(registry->OpenKey(kUser));
  EXPECT_THROW(registry->WriteInteger("SpentTime", 1), RegistryError);
  EXPECT_THROW(registry->WriteString("TimeStamp", "x"), RegistryError);
  EXPECT_TRUE(tree.ValueNamesForTesting(kUser).empty());
  tree.RefuseWritesForTesting(kUser, false);
  registry->WriteInteger("SpentTime", 1);
  EXPECT_EQ(tree.ValueNamesForTesting(kUser), std::vector<std::string>{"SpentTime"});
}

TEST(InMemoryRegistryTest, CountsOpenKeysUntilClosedOrReleased) {
  InMemoryRegistry tree;
  tree.CreateKeyForTesting(kUser);
  {
    auto first = tree.Open();
    auto second = tree.Open();
    ASSERT_TRUE(first->OpenKeyReadOnly(kUser));
    ASSERT_TRUE(first->OpenKey(kUser));  // replaces the current key, no second one held
    ASSERT_TRUE(second->OpenKey(kUser));
    EXPECT_EQ(tree.OpenKeyCountForTesting(), 2);
    first->CloseKey();
    EXPECT_EQ(tree.OpenKeyCountForTesting(), 1);
  }
  EXPECT_EQ(tree.OpenKeyCountForTesting(), 0);
}


TEST(InMemoryRegistryTest, DeletingAKeyNeedsTheDeleteRight) {
  InMemoryRegistry tree;
  tree.SetIntegerForTesting(kUser, "Logoff", 1);
  tree.SetKeyRightsForTesting(kUser, kKeyAllAccess & ~kKeyDelete);
  EXPECT_FALSE(tree.Open()->DeleteKey(kUser));
  EXPECT_TRUE(tree.KeyExistsForTesting(kUser));
  tree.SetKeyRightsForTesting(kUser, kKeyAllAccess);
  EXPECT_TRUE(tree.Open()->DeleteKey(kUser));
  EXPECT_FALSE(tree.KeyExistsForTesting(kUser));
}

}  // namespace
