#pragma once

// The behaviour every RegistryAccess implementation shares, written once and instantiated for
// each of them: natively for the in-memory tree, under Wine for the Windows registry. A backend
// gives the suite a scratch key and raw access around the implementation:
//   std::string Root();                      scratch key path, leading and trailing backslash
//   std::unique_ptr<RegistryAccess> Open();  an access object of the implementation
//   void Store(path, name, RegistryValue);   stores any type and bytes, creating the key
//   std::optional<RegistryValue> Stored(path, name);
//   bool Exists(path);
//   void DeleteKey(path);                    the key with its subkeys, around the implementation

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/registry_access.h"
#include "settings/registry_values.h"

template <class Backend>
class RegistryAccessSuite : public ::testing::Test {
 protected:
  std::string Key(const std::string& relative) { return backend.Root() + relative; }

  // The message of the RegistryError the call raises, or a note that none came.
  template <class Call>
  static std::string ErrorOf(Call call) {
    try {
      call();
    } catch (const RegistryError& error) {
      return error.what();
    }
    return "(no RegistryError)";
  }

  Backend backend;
};

TYPED_TEST_SUITE_P(RegistryAccessSuite);

TYPED_TEST_P(RegistryAccessSuite, ReadWriteOpenCreatesTheKeyWithItsMissingParents) {
  auto registry = this->backend.Open();
  ASSERT_FALSE(this->backend.Exists(this->Key("Parent")));
  ASSERT_TRUE(registry->OpenKey(this->Key("Parent\\Child\\")));
  registry->WriteInteger("Logoff", 1);
  registry->CloseKey();

  EXPECT_TRUE(this->backend.Exists(this->Key("Parent")));
  EXPECT_EQ(this->backend.Stored(this->Key("Parent\\Child"), "Logoff"), IntegerValue(1));
  // Opening an existing key read-write keeps what it holds; a value deleted (by any case of its
  // name) is gone, and deleting it again finds it gone.
  ASSERT_TRUE(registry->OpenKey(this->Key("Parent\\Child")));
  EXPECT_EQ(registry->ReadInteger("Logoff"), 1);
  EXPECT_TRUE(registry->DeleteValue("LOGOFF"));
  EXPECT_TRUE(registry->DeleteValue("Logoff"));
  EXPECT_FALSE(this->backend.Stored(this->Key("Parent\\Child"), "Logoff").has_value());
}

TYPED_TEST_P(RegistryAccessSuite, ExistenceTestAndReadOnlyOpenNeverCreate) {
  auto registry = this->backend.Open();
  EXPECT_FALSE(registry->KeyExists(this->Key("Absent\\")));
  EXPECT_FALSE(registry->OpenKeyReadOnly(this->Key("Absent\\")));
  EXPECT_FALSE(this->backend.Exists(this->Key("Absent")));

  this->backend.Store(this->Key("Present"), "Debug", IntegerValue(3));
  EXPECT_TRUE(registry->KeyExists(this->Key("Present\\")));
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("Present\\")));
  EXPECT_EQ(registry->ReadInteger("Debug"), 3);
}

TYPED_TEST_P(RegistryAccessSuite, ExistenceTestLeavesTheCurrentKeyAndAFailedOpenKeepsIt) {
  this->backend.Store(this->Key("A"), "Name", StringValue("a"));
  this->backend.Store(this->Key("B"), "Name", StringValue("b"));
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("A")));
  EXPECT_TRUE(registry->KeyExists(this->Key("B")));
  EXPECT_EQ(registry->ReadString("Name"), "a");
  EXPECT_FALSE(registry->OpenKeyReadOnly(this->Key("Absent")));
  EXPECT_EQ(registry->ReadString("Name"), "a");
  // A successful open replaces the current key.
  ASSERT_TRUE(registry->OpenKey(this->Key("B")));
  EXPECT_EQ(registry->ReadString("Name"), "b");
}

TYPED_TEST_P(RegistryAccessSuite, KeyAndValueNamesIgnoreLetterCase) {
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKey(this->Key("Users\\Alice")));
  registry->WriteInteger("SpentTime", 42);
  registry->CloseKey();

  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("USERS\\alice\\")));
  EXPECT_TRUE(registry->ValueExists("spenttime"));
  EXPECT_EQ(registry->ReadInteger("SPENTTIME"), 42);
  // A read-write open of the other spelling finds the same key rather than making a second one.
  ASSERT_TRUE(registry->OpenKey(this->Key("users\\ALICE")));
  registry->WriteInteger("spentTIME", 43);
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("Users")));
  StringList names;
  registry->GetKeyNames(names);
  EXPECT_EQ(names, (StringList{"Alice"}));
  EXPECT_EQ(this->backend.Stored(this->Key("Users\\Alice"), "SpentTime"), IntegerValue(43));

  // In any alphabet: a Cyrillic key found by its capitals, holding a Greek text.
  ASSERT_TRUE(registry->OpenKey(this->Key("Users\\Дима")));
  registry->WriteString("Day0", "Ελένη");
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("USERS\\ДИМА")));
  EXPECT_EQ(registry->ReadString("DAY0"), "Ελένη");
  EXPECT_EQ(this->backend.Stored(this->Key("Users\\Дима"), "Day0"), StringValue("Ελένη"));
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("Users")));
  registry->GetKeyNames(names);
  EXPECT_EQ(names, (StringList{"Alice", "Дима"}));
}

TYPED_TEST_P(RegistryAccessSuite, WritesStoreRegSzWithItsNulAndRegDword) {
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKey(this->Key("User")));
  registry->WriteString("TimeStamp", "07.12.2026");
  registry->WriteString("Empty", "");
  registry->WriteInteger("SpentTime", -3);
  registry->WriteInteger("Logoff", 1);
  registry->WriteInteger("Logoff", 0);  // a second write replaces the first

  EXPECT_EQ(this->backend.Stored(this->Key("User"), "TimeStamp"),
            (RegistryValue{kRegSz, std::string("07.12.2026\0", 11)}));
  EXPECT_EQ(this->backend.Stored(this->Key("User"), "Empty"), (RegistryValue{kRegSz, std::string(1, '\0')}));
  EXPECT_EQ(this->backend.Stored(this->Key("User"), "SpentTime"),
            (RegistryValue{kRegDword, std::string("\xFD\xFF\xFF\xFF", 4)}));
  EXPECT_EQ(this->backend.Stored(this->Key("User"), "Logoff"), (RegistryValue{kRegDword, std::string(4, '\0')}));
  EXPECT_EQ(registry->ReadInteger("SpentTime"), -3);
  EXPECT_EQ(registry->ReadString("TimeStamp"), "07.12.2026");
}

TYPED_TEST_P(RegistryAccessSuite, ReadsBothStringTypesUpToTheFirstNulUnexpanded) {
  struct Case {
    const char* name;
    uint32_t type;
    std::string data;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"Plain", kRegSz, std::string("12:00 13:00\0", 12), "12:00 13:00"},
      {"Expandable", kRegExpandSz, std::string("%SystemRoot%\\Logs\\\0", 19), "%SystemRoot%\\Logs\\"},
      {"StopsAtNul", kRegSz, std::string("60 90\0 120\0", 11), "60 90"},
      {"NoTerminator", kRegSz, "60 90", "60 90"},
      {"ZeroSize", kRegSz, "", ""},
      {"OnlyNul", kRegSz, std::string(1, '\0'), ""},
  };
  for (const Case& c : cases) this->backend.Store(this->Key("Texts"), c.name, RegistryValue{c.type, c.data});
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("Texts")));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(registry->ValueExists(c.name));
    EXPECT_EQ(registry->ReadString(c.name), c.text);
  }
  EXPECT_FALSE(registry->ValueExists("Missing"));
  EXPECT_EQ(registry->ReadString("Missing"), "");
}

TYPED_TEST_P(RegistryAccessSuite, ReadingAValueOfAnotherTypeRaisesAnErrorNamingKeyAndValue) {
  struct Case {
    const char* name;
    uint32_t type;
    std::string data;
    bool readAsText;  // else read as an integer
  };
  const std::vector<Case> cases = {
      {"DwordAsText", kRegDword, IntegerValue(5).data, true},
      {"BinaryAsText", kRegBinary, "60 90", true},
      {"MultiAsText", kRegMultiSz, std::string("a\0b\0\0", 5), true},
      {"TextAsInteger", kRegSz, StringValue("5").data, false},
      {"ExpandableAsInteger", kRegExpandSz, std::string("5\0", 2), false},
      {"BinaryOfFourAsInteger", kRegBinary, std::string("\x05\0\0\0", 4), false},
      {"QwordAsInteger", kRegQword, std::string("\x05\0\0\0\0\0\0\0", 8), false},
      {"ShortDwordAsInteger", kRegDword, std::string("\x05\0", 2), false},
  };
  for (const Case& c : cases) this->backend.Store(this->Key("Typed"), c.name, RegistryValue{c.type, c.data});
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("Typed")));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string message = this->ErrorOf([&] {
      if (c.readAsText)
        registry->ReadString(c.name);
      else
        registry->ReadInteger(c.name);
    });
    EXPECT_NE(message.find(this->Key("Typed")), std::string::npos) << message;
    EXPECT_NE(message.find(c.name), std::string::npos) << message;
  }
  const std::string missing = this->ErrorOf([&] { registry->ReadInteger("Absent"); });
  EXPECT_NE(missing.find("Absent"), std::string::npos) << missing;
  EXPECT_NE(missing.find("missing"), std::string::npos) << missing;
}

TYPED_TEST_P(RegistryAccessSuite, MultiStringsReadUpToTheEmptyStringAndWriteWithTheirNuls) {
  using Strings = std::vector<std::string>;
  const std::pair<std::string, Strings> cases[] = {
      {std::string("07.12.2026=5\0" "08.12.2026=0\0\0", 27), {"07.12.2026=5", "08.12.2026=0"}},
      {std::string("a\0\0b\0\0", 6), {"a"}},  // the empty string ends the list
      {std::string("a\0b", 3), {"a", "b"}},     // no final NUL
      {"", {}},
      {std::string(1, '\0'), {}}};
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKey(this->Key("Multi")));
  for (const auto& [data, strings] : cases) {
    this->backend.Store(this->Key("Multi"), "Days", RegistryValue{kRegMultiSz, data});
    EXPECT_EQ(registry->ReadMultiString("Days"), strings) << strings.size();
  }
  EXPECT_TRUE(registry->ReadMultiString("Missing").empty());
  registry->WriteString("Text", "07.12.2026=5");
  EXPECT_NE(this->ErrorOf([&] { registry->ReadMultiString("Text"); }).find("REG_MULTI_SZ"), std::string::npos);

  registry->WriteMultiString("Days", {"09.12.2026=1", "10.12.2026=61"});
  EXPECT_EQ(this->backend.Stored(this->Key("Multi"), "Days"),
            (RegistryValue{kRegMultiSz, std::string("09.12.2026=1\0" "10.12.2026=61\0\0", 28)}));
  // A string that would end the list early is refused, and the value stays as it was.
  EXPECT_NE(this->ErrorOf([&] { registry->WriteMultiString("Days", {"a", ""}); }), "(no RegistryError)");
  registry->WriteMultiString("None", {});
  EXPECT_EQ(this->backend.Stored(this->Key("Multi"), "None"), (RegistryValue{kRegMultiSz, std::string(1, '\0')}));
  EXPECT_EQ(registry->ReadMultiString("Days"), (Strings{"09.12.2026=1", "10.12.2026=61"}));
}

TYPED_TEST_P(RegistryAccessSuite, SubkeyNamesAreTheDirectSubkeysSortedAndReplaceTheList) {
  for (const char* name : {"carol", "Bob", "alice"}) this->backend.Store(this->Key(std::string("R\\") + name), "x", IntegerValue(0));
  this->backend.Store(this->Key("R\\Bob\\Nested"), "x", IntegerValue(0));
  this->backend.Store(this->Key("R"), "IgnoredValue", StringValue("v"));
  this->backend.Store(this->Key("Empty"), "x", IntegerValue(0));
  auto registry = this->backend.Open();
  StringList names{"stale"};

  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("R\\")));
  registry->GetKeyNames(names);
  EXPECT_EQ(names, (StringList{"alice", "Bob", "carol"}));

  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("Empty")));
  registry->GetKeyNames(names);
  EXPECT_TRUE(names.Empty());

  // Every subkey is listed, one with a long name included (Wine refuses the 255 Windows allows).
  const std::string longest(200, 'z');
  for (int i = 0; i < 300; ++i) this->backend.Store(this->Key("Many\\user" + std::to_string(i)), "x", IntegerValue(0));
  this->backend.Store(this->Key("Many\\" + longest), "x", IntegerValue(0));
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("Many")));
  registry->GetKeyNames(names);
  EXPECT_EQ(names.Count(), 301);
  EXPECT_EQ(names.IndexOf(longest), 300);
}

TYPED_TEST_P(RegistryAccessSuite, WritesThroughAReadOnlyOpenAreRefused) {
  this->backend.Store(this->Key("User"), "Logoff", IntegerValue(1));
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("User")));
  const std::string message = this->ErrorOf([&] { registry->WriteInteger("Logoff", 0); });
  EXPECT_NE(message.find(this->Key("User")), std::string::npos) << message;
  EXPECT_NE(message.find("Logoff"), std::string::npos) << message;
  EXPECT_NE(this->ErrorOf([&] { registry->WriteString("TimeStamp", "x"); }), "(no RegistryError)");
  EXPECT_FALSE(registry->DeleteValue("Logoff"));
  EXPECT_EQ(this->backend.Stored(this->Key("User"), "Logoff"), IntegerValue(1));
  EXPECT_FALSE(this->backend.Stored(this->Key("User"), "TimeStamp").has_value());
}

TYPED_TEST_P(RegistryAccessSuite, WithNoKeyOpenNothingIsReadAndWritesAreRefused) {
  this->backend.Store(this->Key("User"), "Name", StringValue("a"));
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKeyReadOnly(this->Key("User")));
  registry->CloseKey();
  registry->CloseKey();  // closing twice is harmless
  StringList names{"stale"};
  registry->GetKeyNames(names);
  EXPECT_TRUE(names.Empty());
  EXPECT_FALSE(registry->ValueExists("Name"));
  EXPECT_EQ(registry->ReadString("Name"), "");
  EXPECT_NE(this->ErrorOf([&] { registry->ReadInteger("Name"); }), "(no RegistryError)");
  EXPECT_NE(this->ErrorOf([&] { registry->WriteInteger("Name", 1); }), "(no RegistryError)");
  EXPECT_FALSE(registry->DeleteValue("Name"));
  EXPECT_EQ(this->backend.Stored(this->Key("User"), "Name"), StringValue("a"));
}

TYPED_TEST_P(RegistryAccessSuite, AKeyDeletedWhileOpenRefusesWritesAndAnotherOpenRecreatesIt) {
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKey(this->Key("Users\\alice")));
  registry->WriteInteger("SpentTime", 42);
  this->backend.DeleteKey(this->Key("Users\\alice"));

  EXPECT_FALSE(registry->ValueExists("SpentTime"));
  EXPECT_NE(this->ErrorOf([&] { registry->WriteInteger("Logoff", 1); }), "(no RegistryError)");
  EXPECT_FALSE(this->backend.Exists(this->Key("Users\\alice")));

  ASSERT_TRUE(registry->OpenKey(this->Key("Users\\alice")));
  registry->WriteInteger("Logoff", 1);
  EXPECT_EQ(this->backend.Stored(this->Key("Users\\alice"), "Logoff"), IntegerValue(1));
  EXPECT_FALSE(this->backend.Stored(this->Key("Users\\alice"), "SpentTime").has_value());
}

TYPED_TEST_P(RegistryAccessSuite, DeleteKeyRemovesOnlyAnExistingKeyWithoutSubkeys) {
  this->backend.Store(this->Key("Users\\alice"), "DayLimit", StringValue("60"));
  this->backend.Store(this->Key("Users\\bob\\Nested"), "x", IntegerValue(0));
  auto registry = this->backend.Open();
  ASSERT_TRUE(registry->OpenKey(this->Key("Users\\alice")));

  EXPECT_TRUE(registry->DeleteKey(this->Key("USERS\\Alice\\")));
  EXPECT_FALSE(this->backend.Exists(this->Key("Users\\alice")));
  EXPECT_TRUE(this->backend.Exists(this->Key("Users")));
  // The access object that held it open finds nothing and may not write there any more.
  EXPECT_FALSE(registry->ValueExists("DayLimit"));
  EXPECT_NE(this->ErrorOf([&] { registry->WriteString("DayLimit", "30"); }), "(no RegistryError)");
  EXPECT_FALSE(this->backend.Exists(this->Key("Users\\alice")));

  EXPECT_FALSE(registry->DeleteKey(this->Key("Users\\alice")));
  EXPECT_FALSE(registry->DeleteKey(this->Key("Users\\bob")));
  EXPECT_TRUE(this->backend.Exists(this->Key("Users\\bob\\Nested")));
}

REGISTER_TYPED_TEST_SUITE_P(RegistryAccessSuite, ReadWriteOpenCreatesTheKeyWithItsMissingParents,
                            ExistenceTestAndReadOnlyOpenNeverCreate,
                            ExistenceTestLeavesTheCurrentKeyAndAFailedOpenKeepsIt, KeyAndValueNamesIgnoreLetterCase,
                            WritesStoreRegSzWithItsNulAndRegDword, ReadsBothStringTypesUpToTheFirstNulUnexpanded,
                            ReadingAValueOfAnotherTypeRaisesAnErrorNamingKeyAndValue,
                            MultiStringsReadUpToTheEmptyStringAndWriteWithTheirNuls,
                            SubkeyNamesAreTheDirectSubkeysSortedAndReplaceTheList,
                            WritesThroughAReadOnlyOpenAreRefused, WithNoKeyOpenNothingIsReadAndWritesAreRefused,
                            AKeyDeletedWhileOpenRefusesWritesAndAnotherOpenRecreatesIt,
                            DeleteKeyRemovesOnlyAnExistingKeyWithoutSubkeys);
