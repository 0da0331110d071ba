// Profile records: the kind of each known property decides the action, and the visit, launch and
// payment steps send one record per property.
#include <gtest/gtest.h>

#include <functional>

#include "analytics/native_user_tracker.h"
#include "analytics/qz_exception.h"
#include "tracker_fixture.h"
#include "utils/ini_file.h"

namespace vemra::tracking {
namespace {

using nlohmann::json;
using qz_analytics::Sdk;

std::vector<json> QueuedRecords() {
  std::vector<json> records;
  for (const auto& text : Sdk::QueuedRecords()) records.push_back(json::parse(text));
  return records;
}

std::vector<json> ProfileRecords(const std::vector<json>& records) {
  std::vector<json> profiles;
  for (const json& record : records)
    if (record["type"].get<std::string>().rfind("profile_", 0) == 0) profiles.push_back(record);
  return profiles;
}

TEST(ProfileKindTest, MisusedPropertiesRaiseTheirMessage) {
  struct Case {
    std::function<void()> call;
    std::string message;
    std::string function;
  };
  const std::vector<Case> cases = {
      {[] { NativeUserTracker::ProfileUserPropertyString("qz_visit_count", "1"); },
       "user property [qz_visit_count] is string type value, it cannot be accumulated!", "ProfileUserPropertyString"},
      {[] { NativeUserTracker::ProfileUserPropertyString("qz_nothing", "1"); },
       "Not supported user property [qz_nothing]!", "ProfileUserPropertyString"},
      {[] { NativeUserTracker::ProfileUserPropertyNumber("qz_nothing", 1); },
       "Not supported user property [qz_nothing]!", "ProfileUserPropertyNumber"},
      {[] { NativeUserTracker::ProfileUserPropertyNumber("qz_nothing", 1.5); },
       "Not supported user property [qz_nothing]!", "ProfileUserPropertyNumber"},
      {[] { NativeUserTracker::ProfileUserPropertyDateTime("qz_paid_count", 1500); },
       "user property [qz_paid_count] is boolean value, it cannot be accumulative!", "ProfileUserPropertyDateTime"},
      {[] { NativeUserTracker::ProfileUserPropertyDateTime("$ios_install_sourc", 1500); },
       "Not supported user property [$ios_install_sourc]!", "ProfileUserPropertyDateTime"},
  };
  // The checks hold whether or not an analytics core exists.
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.message;
    } catch (const QzException& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
      EXPECT_EQ(e.function(), c.function);
    }
  }
  EXPECT_EQ(NativeUserTracker::KindOf("qz_consumption"), ProfileKind::Increment);
  EXPECT_EQ(NativeUserTracker::KindOf("qz_first_paid_date"), ProfileKind::SetOnce);
  EXPECT_EQ(NativeUserTracker::KindOf("qz_city"), ProfileKind::Set);
}

class ProfileTest : public TrackerTest {};

TEST_F(ProfileTest, EachKindBecomesItsAction) {
  StartTracker();
  NativeUserTracker::ProfileUserPropertyString("qz_city", "杭州");
  NativeUserTracker::ProfileUserPropertyString("$ios_install_source", "x");
  NativeUserTracker::ProfileUserPropertyNumber("qz_visit_count", 2);
  NativeUserTracker::ProfileUserPropertyNumber("qz_user_vip_level", 5);
  NativeUserTracker::ProfileUserPropertyNumber("qz_consumption", 19.9);
  NativeUserTracker::ProfileUserPropertyDateTime("qz_last_visit_date", 1500);
  NativeUserTracker::ProfileUserPropertyDateTime("qz_first_paid_date", 1700000000123);
  const auto records = QueuedRecords();
  ASSERT_EQ(records.size(), 7u);
  const std::vector<std::pair<std::string, json>> expected = {
      {"profile_set", {{"qz_city", "杭州"}}},
      {"profile_set_once", {{"$ios_install_source", "x"}}},
      {"profile_increment", {{"qz_visit_count", 2}}},
      {"profile_set", {{"qz_user_vip_level", 5}}},
      {"profile_increment", {{"qz_consumption", 19.9}}},
      {"profile_set", {{"qz_last_visit_date", "1970-01-01 00:25:00.000"}}},
      {"profile_set_once", {{"qz_first_paid_date", "2023-11-14 22:13:20.123"}}},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(records[i]["type"], expected[i].first) << i;
    EXPECT_EQ(records[i]["properties"], expected[i].second) << i;
    EXPECT_FALSE(records[i].contains("event"));
  }
}

TEST_F(ProfileTest, AnActivitySendsOneEventAndTenProfileRecords) {
  QzTrackerImpl& tracker = StartTracker();
  tracker.trackActivity({});
  const auto records = collector_.Records();
  ASSERT_EQ(records.size(), 11u) << "the visit step made the activity's flush find records pending";
  EXPECT_EQ(records[0]["event"], "QzEventActivity");
  std::map<std::string, std::string> actions;
  for (const json& profile : ProfileRecords(records))
    for (const auto& [key, value] : profile["properties"].items()) actions[key] = profile["type"];
  EXPECT_EQ(actions, (std::map<std::string, std::string>{{"$first_visit_time", "profile_set_once"},
                                                         {"qz_first_visit_date", "profile_set_once"},
                                                         {"$ios_install_source", "profile_set_once"},
                                                         {"qz_last_visit_date", "profile_set"},
                                                         {"qz_os", "profile_set"},
                                                         {"qz_os_version", "profile_set"},
                                                         {"qz_app_store", "profile_set"},
                                                         {"qz_app_platform", "profile_set"},
                                                         {"qz_last_app_id", "profile_set"},
                                                         {"qz_last_app_version", "profile_set"}}));
  EXPECT_EQ(records[4]["properties"]["qz_os"], "Linux");
  EXPECT_EQ(tracker.context().pendingCount, 0);
}

TEST_F(ProfileTest, TheLaunchStepNeedsALoggedInUser) {
  QzTrackerImpl& tracker = StartTracker();
  tracker.trackLaunch({});
  EXPECT_EQ(QueuedRecords().size(), 1u) << "the launch event only";
  EXPECT_EQ(tracker.context().pendingCount, 0);

  QzUserInfo user;
  user.userId = "u-7";
  tracker.trackLogin(user, true, "", {});
  tracker.trackLaunch({});
  const auto records = collector_.Records();
  const auto profiles = ProfileRecords(records);
  ASSERT_EQ(profiles.size(), 3u);
  for (const json& profile : profiles) EXPECT_EQ(profile["distinct_id"], "u-7");
}

TEST_F(ProfileTest, APaymentCountsAndAddsTheAmount) {
  QzTrackerImpl& tracker = StartTracker();
  QzEventPayment payment;
  payment.qzOrderId = "o-1";
  payment.paidAmount = 19.9f;
  payment.result = Some(QzResult::Success);
  payment.qzPaidPlatform = Some(PaidPlatform::WeChatPay);
  payment.qzCurrency = Some(Currency::CNY);
  tracker.trackPayment(payment, {});
  const auto profiles = ProfileRecords(collector_.Records());
  ASSERT_EQ(profiles.size(), 4u);
  EXPECT_EQ(profiles[0]["type"], "profile_increment");
  EXPECT_EQ(profiles[0]["properties"], (json{{"qz_paid_count", 1}}));
  EXPECT_EQ(profiles[1]["type"], "profile_increment");
  EXPECT_EQ(profiles[1]["properties"], (json{{"qz_consumption", 19.9}}));
  EXPECT_EQ(profiles[2]["type"], "profile_set_once");
  EXPECT_TRUE(profiles[2]["properties"].contains("qz_first_paid_date"));
  EXPECT_EQ(profiles[3]["type"], "profile_set");
  EXPECT_EQ(tracker.context().vipLevel, 1);
  EXPECT_EQ(Utils::ReadProfileString(tracker.context().identityFile, "Base", "UserVipLevel", ""), "1");
}

}  // namespace
}  // namespace vemra::tracking
