// The tracker's memory across runs (the identity file and where it lives) and the caller's
// context properties.
#include <gtest/gtest.h>

#include <regex>

#include "analytics/context_properties.h"
#include "analytics/device_facts.h"
#include "analytics/qz_exception.h"
#include "analytics/tracker_context.h"
#include "tracker_fixture.h"
#include "utils/ini_file.h"

namespace vemra::tracking {
namespace {

using qz_analytics::Sdk;

const std::regex kGuid("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");

std::string Read(const std::string& file, const char* section, const char* key) {
  return Utils::ReadProfileString(file, section, key, "<missing>");
}

TEST(DeviceFactsTest, NewDistinctIdsAreUpperCaseGuids) {
  const std::string first = newDistinctId();
  EXPECT_TRUE(std::regex_match(first, kGuid)) << first;
  EXPECT_NE(first, newDistinctId());
}

TEST(DeviceFactsTest, LocalesSplitAtTheFirstUnderscore) {
  struct Case {
    const char* lang;
    const char* setLocale;
    const char* locale;
    const char* language;
    const char* country;
  };
  const std::vector<Case> cases = {
      {"zh_CN.UTF-8", "", "zh_CN", "zh", "CN"},
      {"zh_CN.UTF-8", "en", "zh_CN", "zh", "CN"},
      {"zh_CN.UTF-8", "pt_BR_x", "pt_BR_x", "pt", "BR_x"},
      {"de_DE@euro", "", "de_DE", "de", "DE"},
      {"C.UTF-8", "", "", "", ""},
      {"POSIX", "ja_JP", "ja_JP", "ja", "JP"},
      {"zh_CN.UTF-8", "_US", "zh_CN", "zh", "CN"},  // no language: the system's locale
  };
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  for (const Case& c : cases) {
    setenv("LANG", c.lang, 1);
    const Locale locale = localeProperties(c.setLocale);
    EXPECT_EQ(locale.locale, c.locale) << c.lang << " / " << c.setLocale;
    EXPECT_EQ(locale.language, c.language) << c.lang << " / " << c.setLocale;
    EXPECT_EQ(locale.country, c.country) << c.lang << " / " << c.setLocale;
  }
}

class IdentityTest : public TrackerTest {
 protected:
  std::string IdentityFile() const { return DefaultDataFolder() + "lumetravox.downloader_QZSConfigure.ini"; }
};

TEST_F(IdentityTest, TheFirstRunMakesOneIdAndRecordsTheCollector) {
  QzTrackerImpl& tracker = StartTracker();
  const std::string file = IdentityFile();
  EXPECT_EQ(tracker.context().identityFile, file);
  EXPECT_EQ(tracker.context().dataFolder, DefaultDataFolder());
  const std::string id = Read(file, "Base", "DistinctId");
  EXPECT_TRUE(std::regex_match(id, kGuid)) << id;
  EXPECT_EQ(Read(file, "Base", "PrimaryDistinctId"), id);
  EXPECT_EQ(Read(file, "Base", "UserId"), "");
  EXPECT_EQ(Read(file, "Base", "UserVipLevel"), "0");
  EXPECT_EQ(Read(file, "Base", "isLogined"), "NG");
  EXPECT_EQ(Read(file, "Base", "URL"), collector_.Url());
  EXPECT_EQ(Read(file, "UninstallInfo", "AppStore"), "lumetravox_setup.exe");
  EXPECT_EQ(Read(file, "UninstallInfo", "AppName"), "lumetravox.downloader");
  EXPECT_EQ(Read(file, "UninstallInfo", "AppVersion"), "1.7.9");
  EXPECT_EQ(Sdk::distinctId(), id);
  EXPECT_FALSE(Sdk::isLoginId());
  // Two sections, six base values and three install values, nothing else.
  const std::string text = testsupport::ReadFile(file);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11) << text;
}

TEST_F(IdentityTest, LaterRunsKeepTheIdsUntilTheCollectorChanges) {
  struct Run {
    std::string base;  // the "Base" section written before the run
    bool sameUrl;
    std::string distinctId, primaryId, userId;
    bool loggedIn;
  };
  const std::vector<Run> runs = {
      {"DistinctId=D1\nPrimaryDistinctId=P1\nUserId=u1\nUserVipLevel=2\nisLogined=OK\n", true, "D1", "P1", "u1", true},
      {"DistinctId=D1\nPrimaryDistinctId=P1\nUserId=u1\nisLogined=ok\n", true, "D1", "P1", "u1", false},
      {"DistinctId=D1\nPrimaryDistinctId=P1\nUserId=\nisLogined=OK\n", true, "D1", "P1", "", false},
      {"DistinctId=D1\nPrimaryDistinctId=P1\nUserId=u1\nisLogined=OK\n", false, "P1", "P1", "", false},
      {"DistinctId=D1\nUserId=u1\nisLogined=OK\n", false, "D1", "D1", "", false},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.base);
    const std::string url = run.sameUrl ? collector_.Url() : "https://old.example/sa?project=pc";
    std::filesystem::create_directories(DefaultDataFolder());
    testsupport::WriteFile(IdentityFile(), "[Base]\n" + run.base + "URL=" + url + "\n");
    QzTrackerImpl& tracker = StartTracker();
    const TrackerContext& context = tracker.context();
    EXPECT_EQ(context.distinctId, run.distinctId);
    EXPECT_EQ(context.primaryDistinctId, run.primaryId);
    EXPECT_EQ(context.userId, run.userId);
    EXPECT_EQ(context.loggedIn, run.loggedIn);
    EXPECT_EQ(Sdk::distinctId(), run.loggedIn ? run.userId : run.distinctId);
    EXPECT_EQ(Sdk::isLoginId(), run.loggedIn);
    StopTracker();
    EXPECT_EQ(Read(IdentityFile(), "Base", "DistinctId"), run.distinctId);
    EXPECT_EQ(Read(IdentityFile(), "Base", "URL"), collector_.Url());
    EXPECT_EQ(Read(IdentityFile(), "Base", "isLogined"), run.loggedIn ? "OK" : "NG");
  }
}

TEST_F(IdentityTest, ADamagedIdentityFileGivesAFreshUsableId) {
  const std::vector<std::string> contents = {
      std::string("\x00\x01\xff\xfe garbage \x00[Base\n=\n\n", 22),
      "[Base]\nDistinctId=bad\x01id\nURL=" + collector_.Url() + "\n",
      "[Base]\nDistinctId=\xC0\xAF\nURL=" + collector_.Url() + "\n",
      "[Base]\nDistinctId=" + std::string(300, 'L') + "\nUserVipLevel=99999999999999\nURL=" + collector_.Url() + "\n",
  };
  for (const std::string& content : contents) {
    std::filesystem::create_directories(DefaultDataFolder());
    testsupport::WriteFile(IdentityFile(), content);
    QzTrackerImpl& tracker = StartTracker();
    const std::string id = tracker.context().distinctId;
    EXPECT_TRUE(std::regex_match(id, kGuid) || id == std::string(127, 'L')) << id;
    QzEventClick click;
    click.name = "b";
    tracker.trackClick(click, {});
    tracker.trackUninstall("", {});
    StopTracker();
  }
  // Every record was readable by the collector.
  EXPECT_EQ(collector_.Records().size(), 2 * contents.size());
  for (const auto& post : collector_.Posts()) EXPECT_TRUE(post.decoded);
}

TEST_F(IdentityTest, SetIniRedirectsTheIdentityFile) {
  const std::string folder = testsupport::NewFolder("custom");
  const std::string identity = folder + "/sub/my.ini";
  testsupport::WriteFile(exeFolder_ + "/Set.ini", "[Install]\nQZAnalyticsIni=" + identity + "\n");
  QzTrackerImpl& tracker = StartTracker();
  EXPECT_EQ(tracker.context().dataFolder, folder + "/sub");
  EXPECT_EQ(tracker.context().identityFile, identity);
  EXPECT_EQ(tracker.context().logPath, folder + "/sub/lumetravox.downloader_QZSLog.txt");
  EXPECT_TRUE(std::regex_match(Read(identity, "Base", "DistinctId"), kGuid));
  EXPECT_FALSE(testsupport::Exists(std::string(getenv("XDG_DATA_HOME")) + "/QZLocal"));

  QzEventClick click;
  click.name = "b";
  tracker.trackClick(click, {});
  collector_.SetAnswer(testsupport::Collector::Answer::kStatus);
  testsupport::StderrCapture quiet;
  StopTracker();
  quiet.Finish();
  EXPECT_NE(testsupport::ReadFile(folder + "/sub/lumetravox.downloader_QZSQueue.txt").find("\"qz_name\":\"b\""),
            std::string::npos);
}

TEST_F(IdentityTest, SetIniPointingWhereNoFolderCanBeMadeStillTracks) {
  const std::string blocker = testsupport::NewFolder("blocked") + "/file";
  testsupport::WriteFile(blocker, "a file, not a folder");
  testsupport::WriteFile(exeFolder_ + "/Set.ini", "[Install]\nQZAnalyticsIni=" + blocker + "/deeper/id.ini\n");
  std::string ids[2];
  for (std::string& id : ids) {
    QzTrackerImpl& tracker = StartTracker();
    id = tracker.context().distinctId;
    EXPECT_TRUE(std::regex_match(id, kGuid));
    QzEventClick click;
    click.name = "b";
    tracker.trackClick(click, {});
    tracker.trackUninstall("", {});
    StopTracker();
  }
  EXPECT_NE(ids[0], ids[1]) << "without a file the id can't be kept";
  EXPECT_EQ(collector_.Records().size(), 4u);
}

TEST(ContextPropertiesTest, AbValuesAreOneToThreeUpperCaseCharacters) {
  struct Case {
    std::string value;
    bool valid;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"IN", true, ""},
      {"A", true, ""},
      {"Z9Z", true, ""},
      {"", false, ""},
      {"ABCD", false, "value's length is great than 3."},
      {"1N", false, "First char is not in A to Z"},
      {"iN", false, "First char is not in A to Z"},
      {"Ab", false, "second char is not in A to Z and 0 to 9"},
      {"AB-", false, "third char is not in A to Z and 0 to 9"},
      {"中", false, "First char is not in A to Z"},
  };
  for (const Case& c : cases) {
    if (c.message.empty()) {
      EXPECT_EQ(QzContextProperties::isValidABValue(c.value), c.valid) << c.value;
      continue;
    }
    try {
      QzContextProperties::isValidABValue(c.value);
      ADD_FAILURE() << c.value;
    } catch (const QzException& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.value;
      EXPECT_EQ(e.function(), "isValidABValue");
    }
  }
}

TEST(ContextPropertiesTest, SetPropertyRefusesASecondValueAndEventsOutOfRange) {
  QzContextProperties props;
  try {
    props.setProperty("IN", {3, 15, 4});
    ADD_FAILURE();
  } catch (const QzException& e) {
    EXPECT_EQ(std::string(e.what()), "QzEvent[15] overflow!");
    EXPECT_EQ(e.function(), "setProperty");
  }
  ASSERT_EQ(props.getEventProperties(3).size(), 1u) << "entries before the bad number stay";
  EXPECT_EQ(props.getEventProperties(3)[0].name, "qzc_ab");
  EXPECT_TRUE(props.getEventProperties(4).empty());
  try {
    props.setProperty("OUT", {7});
    ADD_FAILURE();
  } catch (const QzException& e) {
    EXPECT_EQ(std::string(e.what()), "Property[qzc_ab] already exist!");
  }
  for (const int event : {-1, 15}) {
    try {
      props.getEventProperties(event);
      ADD_FAILURE();
    } catch (const QzException& e) {
      EXPECT_EQ(std::string(e.what()), "QzEvent[" + std::to_string(event) + "] overflow!");
      EXPECT_EQ(e.function(), "getEventProperties");
    }
  }
}

TEST(ContextPropertiesTest, EachKindIsAddedInItsOwnForm) {
  setenv("TZ", "UTC", 1);
  tzset();
  QzContextProperties props;
  props.addProperty("qzc_flag", true, ContextKind::kBoolean, {3});
  props.addProperty("qzc_ms", int64_t{1700000000123}, ContextKind::kTime, {3});
  props.addProperty("qzc_s", int64_t{1700000000}, ContextKind::kTime, {3});
  props.addProperty("qzc_rate", 0.25, ContextKind::kNumber, {3});
  props.addProperty("qzc_text", std::string("bad \x01 text"), ContextKind::kText, {3});
  props.addProperty("qzc_list", std::vector<std::string>{"a", "b"}, ContextKind::kTextList, {3, 4});
  qz_analytics::PropertiesNode properties;
  testsupport::StderrCapture capture;
  AddContextProperties(props, 3, properties);
  EXPECT_EQ(properties.ToJson(), R"({"qzc_flag":true,"qzc_list":["a","b"],"qzc_ms":"2023-11-14 22:13:20.123",)"
                                 R"("qzc_rate":0.25,"qzc_s":"2023-11-14 22:13:20.000"})");
  EXPECT_NE(capture.Finish().find("String property 'qzc_text' is not valid UTF-8 string"), std::string::npos);
}

}  // namespace
}  // namespace vemra::tracking
