// The Group Policy templates in policy/ against the service: every value they write is one the
// service reads from its product key, with the registry type it reads and no wider range than
// the service accepts; and the English texts hold every string and presentation the policies name.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "configuration/validation.h"
#include "engine/save_grace.h"
#include "parentcode/code_guard.h"
#include "parentcode/code_values.h"
#include "base/zone_name.h"
#include "settings/registry_access.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"
#include "timesync/time_sync.h"

namespace {

// How the service reads one value of the product key, and the values it takes: a template's
// decimal element must stay within the numbers, a text's default must be a text it takes.
struct ServiceValue {
  const char* name;
  // The template element that writes the value's type: "decimal" REG_DWORD, "text" or "enum" REG_SZ.
  const char* element;
  std::function<bool(int64_t)> takesNumber;
  std::function<bool(const std::string&)> takesText;
};

// The machine-wide settings the service reads, one row each (ReadSettings, the reload request,
// is no setting).
const ServiceValue kServiceValues[] = {
    {kDebugValue, "decimal", [](int64_t level) { return DebugLevelOfArgument(std::to_string(level)).value.has_value(); }, nullptr},
    {kPathValue, "text", nullptr, [](const std::string& path) { return PathProblems(path).empty(); }},
    {kTimeUrlValue, "text", nullptr, [](const std::string& value) { return !TimeUrlProblem(value); }},
    {kTimeZoneValue, "text", nullptr, [](const std::string& zone) { return zone.empty() || !ZoneNameProblem(zone); }},
    // hwctl servicelogoff writes 1 (on) or 0 (off).
    {kServiceLogoffValue, "decimal", [](int64_t value) { return value == 0 || value == 1; }, nullptr},
    // The minutes a parent's code gives: the service takes 1 to 1440 as they are.
    {kCodeMinutesValue, "decimal",
     [](int64_t minutes) { return minutes >= 1 && CodeMinutesSetting(static_cast<int32_t>(minutes), std::nullopt) == minutes; },
     nullptr},
    // hwctl countlocked writes 1 (on) or 0 (off).
    {kCountLockedSessionsValue, "decimal", [](int64_t value) { return value == 0 || value == 1; }, nullptr},
    // The service takes 0 to kMaxGraceMinutes as they are.
    {kGraceMinutesValue, "decimal", [](int64_t minutes) { return minutes >= 0 && minutes <= kMaxGraceMinutes; }, nullptr},
    // hwctl endsession writes one of the two words.
    {kEndSessionValue, "enum", nullptr,
     [](const std::string& word) { return word == kEndSessionLock || word == kEndSessionLogoff; }},
};

std::string FileText(const std::string& relativePath) {
  std::ifstream file(std::string(HOURWARDEN_SOURCE_DIR) + "/" + relativePath);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::map<std::string, std::string> Attributes(const std::string& tag) {
  std::map<std::string, std::string> attributes;
  static const std::regex kAttribute(R"re(([A-Za-z]+)="([^"]*)")re");
  for (auto it = std::sregex_iterator(tag.begin(), tag.end(), kAttribute); it != std::sregex_iterator(); ++it)
    attributes[(*it)[1]] = (*it)[2];
  return attributes;
}

// One element of a policy: its kind ("decimal", "text", ...) and attributes.
struct Element {
  std::string kind;
  std::map<std::string, std::string> attributes;
};

struct Policy {
  std::map<std::string, std::string> attributes;
  std::vector<Element> elements;
  std::string body;
};

std::vector<Policy> PoliciesOf(const std::string& admx) {
  std::vector<Policy> policies;
  static const std::regex kPolicy(R"re(<policy\s([^>]*)>([\s\S]*?)</policy>)re");
  static const std::regex kElement(R"re(<(decimal|text|enum|boolean|list|multiText)\s([^>]*?)/?>)re");
  for (auto it = std::sregex_iterator(admx.begin(), admx.end(), kPolicy); it != std::sregex_iterator(); ++it) {
    Policy policy{Attributes((*it)[1]), {}, (*it)[2]};
    const std::string& body = policy.body;
    for (auto e = std::sregex_iterator(body.begin(), body.end(), kElement); e != std::sregex_iterator(); ++e)
      policy.elements.push_back({(*e)[1], Attributes((*e)[2])});
    policies.push_back(std::move(policy));
  }
  return policies;
}

const ServiceValue* ServiceValueNamed(const std::string& name) {
  for (const ServiceValue& value : kServiceValues)
    if (name == value.name) return &value;
  return nullptr;
}

class PolicyTemplatesTest : public ::testing::Test {
 protected:
  const std::string admx = FileText("policy/hourwarden.admx");
  const std::string adml = FileText("policy/en-US/hourwarden.adml");
  const std::vector<Policy> policies = PoliciesOf(admx);
};

TEST_F(PolicyTemplatesTest, EveryValueWrittenIsOneTheServiceReadsWithItsTypeAndRange) {
  ASSERT_FALSE(policies.empty());
  std::set<std::string> written;
  const std::string productKey = PathFromRoot(kProductKey).substr(0, PathFromRoot(kProductKey).size() - 1);
  for (const Policy& policy : policies) {
    SCOPED_TRACE(policy.attributes.at("name"));
    EXPECT_EQ(policy.attributes.at("class"), "Machine");
    EXPECT_EQ(policy.attributes.at("key"), productKey);
    EXPECT_EQ(policy.attributes.count("valueName"), 0u) << "a policy-level value is written as REG_DWORD 1/0";
    for (const Element& element : policy.elements) {
      const std::string name = element.attributes.at("valueName");
      const ServiceValue* value = ServiceValueNamed(name);
      ASSERT_NE(value, nullptr) << name << " is not a value the service reads";
      written.insert(name);
      EXPECT_EQ(element.kind, value->element) << name;
      EXPECT_EQ(element.attributes.count("key"), 0u) << name << " is written under another key";
      // storeAsText writes a number as REG_SZ, expandable a text as REG_EXPAND_SZ, which the
      // service reads without expanding it.
      EXPECT_NE(element.attributes.count("storeAsText") ? element.attributes.at("storeAsText") : "", "true") << name;
      EXPECT_NE(element.attributes.count("expandable") ? element.attributes.at("expandable") : "", "true") << name;
      if (element.kind == "decimal") {
        ASSERT_TRUE(element.attributes.count("minValue") && element.attributes.count("maxValue")) << name;
        const int64_t min = std::stoll(element.attributes.at("minValue"));
        const int64_t max = std::stoll(element.attributes.at("maxValue"));
        EXPECT_TRUE(value->takesNumber(min) && value->takesNumber(max)) << name << ": the range is wider";
        EXPECT_FALSE(value->takesNumber(min - 1) || value->takesNumber(max + 1)) << name << ": the range is narrower";
      }
      static const std::regex kItem("<string>([^<]*)</string>");
      if (element.kind == "enum") {
        for (auto it = std::sregex_iterator(policy.body.begin(), policy.body.end(), kItem); it != std::sregex_iterator(); ++it)
          EXPECT_TRUE(value->takesText((*it)[1])) << name << ": " << (*it)[1];
      }
    }
  }
  std::set<std::string> settings;
  for (const ServiceValue& value : kServiceValues) settings.insert(value.name);
  EXPECT_EQ(written, settings) << "every machine-wide setting has its policy";
}

TEST_F(PolicyTemplatesTest, TheEnglishTextsHoldEveryStringAndPresentationAndTheirDefaultsAreTaken) {
  static const std::regex kReference(R"re(\$\((string|presentation)\.([A-Za-z_]+)\))re");
  for (auto it = std::sregex_iterator(admx.begin(), admx.end(), kReference); it != std::sregex_iterator(); ++it) {
    const std::string opening = "<" + std::string((*it)[1]) + " id=\"" + std::string((*it)[2]) + "\"";
    EXPECT_NE(adml.find(opening), std::string::npos) << "missing " << (*it)[0];
  }
  static const std::regex kBox(R"re(<(decimalTextBox|textBox|dropdownList) refId="([^"]+)"([^>]*)>([\s\S]*?)</\1>)re");
  std::set<std::string> boxes;
  for (auto it = std::sregex_iterator(adml.begin(), adml.end(), kBox); it != std::sregex_iterator(); ++it) {
    const std::string id = (*it)[2];
    boxes.insert(id);
    const ServiceValue* value = ServiceValueNamed(id);
    ASSERT_NE(value, nullptr) << id;
    const std::map<std::string, std::string> attributes = Attributes((*it)[3]);
    if (attributes.count("defaultValue") && value->takesNumber) {
      EXPECT_TRUE(value->takesNumber(std::stoll(attributes.at("defaultValue")))) << id;
    }
    std::smatch text;
    const std::string body = (*it)[4];
    if (std::regex_search(body, text, std::regex("<defaultValue>([^<]*)</defaultValue>"))) {
      EXPECT_TRUE(value->takesText(text[1])) << id << ": " << text[1];
    }
  }
  std::set<std::string> elementIds;
  for (const Policy& policy : policies)
    for (const Element& element : policy.elements) elementIds.insert(element.attributes.at("id"));
  EXPECT_EQ(boxes, elementIds) << "every element has its box";
}

// The explanation of TimeUrl names the addresses the service asks when it is empty.
TEST_F(PolicyTemplatesTest, TheTimePagesExplainedAreTheServicesDefaults) {
  const size_t help = adml.find("<string id=\"TimeUrl_Help\">");
  ASSERT_NE(help, std::string::npos);
  const std::string text = adml.substr(help, adml.find("</string>", help) - help);
  for (const char* url : kDefaultTimeUrls) EXPECT_NE(text.find(url), std::string::npos) << url;
}

}  // namespace
