// The installer package (package/hourwarden.wxs) against hourwarden.exe /install: the package
// registers the service with the values /install passes, and restarts it after a failure alike.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "fakes/service_fixture.h"
#include "service/service_installer.h"

namespace {

std::string PackageText() {
  std::ifstream file(std::string(HOURWARDEN_SOURCE_DIR) + "/package/hourwarden.wxs");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::map<std::string, std::string> AttributesOf(const std::string& text, const std::string& element) {
  std::smatch tag;
  std::map<std::string, std::string> attributes;
  if (!std::regex_search(text, tag, std::regex("<" + element + R"re(\s([^>]*)>)re"))) return attributes;
  const std::string inside = tag[1];
  static const std::regex kAttribute(R"re(([A-Za-z]+)="([^"]*)")re");
  for (auto it = std::sregex_iterator(inside.begin(), inside.end(), kAttribute); it != std::sregex_iterator(); ++it)
    attributes[(*it)[1]] = (*it)[2];
  return attributes;
}

TEST(PackageValuesTest, ThePackageRegistersTheServiceAsInstallDoes) {
  ServiceFixture fixture;
  const ServiceInstallation installation = InstallationOf(fixture.Build(), "C:\\Program Files\\Hourwarden\\hourwarden.exe");
  const std::string package = PackageText();
  const std::map<std::string, std::string> service = AttributesOf(package, "ServiceInstall");
  // The package's words for the numbers CreateService takes.
  const std::map<std::string, uint32_t> types = {{"ownProcess", 0x10}, {"shareProcess", 0x20}};
  const std::map<std::string, uint32_t> starts = {{"auto", 2}, {"demand", 3}, {"disabled", 4}};
  const std::map<std::string, uint32_t> errorControls = {{"ignore", 0}, {"normal", 1}, {"critical", 3}};
  ASSERT_FALSE(service.empty());
  EXPECT_EQ(service.at("Name"), installation.name);
  EXPECT_EQ(service.at("DisplayName"), installation.displayName);
  EXPECT_EQ(types.at(service.at("Type")), installation.serviceType);
  EXPECT_EQ(starts.at(service.at("Start")), installation.startType);
  EXPECT_EQ(errorControls.at(service.at("ErrorControl")), installation.errorControl);
  EXPECT_EQ(service.at("Account"), installation.startName.empty() ? "LocalSystem" : installation.startName);
  EXPECT_EQ(service.count("Arguments"), 0u);
  EXPECT_EQ(AttributesOf(package, "ServiceControl").at("Name"), installation.name);

  const std::string restart = "restart/" + std::to_string(installation.restartDelayMs);
  const std::string failure = "failure " + installation.name + " reset= " +
                              std::to_string(installation.failureResetSeconds) + " actions= " + restart + "/" +
                              restart + "/" + restart;
  EXPECT_NE(package.find("ExeCommand=\"" + failure + "\""), std::string::npos) << failure;
}

}  // namespace
