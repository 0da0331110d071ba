// The tracker's operations: what each one checks and raises, which properties it sends, how the
// caller's context merges in, and when the queue is posted.
#include <gtest/gtest.h>

#include <functional>

#include "analytics/qz_exception.h"
#include "analytics/qz_tracker_impl.h"
#include "analytics/qz_tracker_wrapper.h"
#include "support/stderr_capture.h"
#include "tracker_fixture.h"
#include "utils/ini_file.h"

namespace vemra::tracking {
namespace {

using nlohmann::json;
using qz_analytics::Sdk;

// Every record the tracker produced so far: delivered ones first, then those still queued.
std::vector<json> AllRecords(const testsupport::Collector& collector) {
  std::vector<json> records = collector.Records();
  for (const auto& text : Sdk::QueuedRecords()) records.push_back(json::parse(text));
  return records;
}

json LastRecordOf(const testsupport::Collector& collector, const std::string& event) {
  const auto records = AllRecords(collector);
  for (auto it = records.rbegin(); it != records.rend(); ++it)
    if (it->value("event", "") == event) return *it;
  return json();
}

template <typename T>
T Bad(int number) {
  return static_cast<T>(number);
}

TEST_F(TrackerTest, InitNeedsTheThreeNamesOfTheApplication) {
  struct Case {
    std::function<void(TrackerConfig&)> change;
    std::string message;
    std::string function;
  };
  const std::vector<Case> cases = {
      {[](TrackerConfig& c) { c.appName.clear(); }, "appName is empty", "init"},
      {[](TrackerConfig& c) { c.appVersion.clear(); }, "appVersion is empty", "init"},
      {[](TrackerConfig& c) { c.appStore.clear(); }, "appStore is empty", "init"},
      {[](TrackerConfig& c) { c.edition = Bad<Edition>(5); }, "Unknown edition [5]!", "toString"},
  };
  for (const Case& c : cases) {
    TrackerConfig config = TestConfig(collector_.Url());
    c.change(config);
    QzTrackerImpl tracker(config, exeFolder_);
    try {
      tracker.init();
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const QzException& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
      EXPECT_EQ(e.function(), c.function);
      EXPECT_NE(e.line(), 0);
    }
  }
}

TEST_F(TrackerTest, EveryFailedCheckRaisesItsMessageAndSendsNothing) {
  QzTrackerImpl& tracker = StartTracker();
  const QzContextProperties none;
  QzEventOrder order;
  order.qzSuitId = "suit";
  order.qzCurrency = Some(Currency::CNY);
  order.originalAmount = 10;
  order.paidAmount = 8;
  QzEventPayment payment;
  payment.qzOrderId = "order-1";
  payment.result = Some(QzResult::Success);
  payment.qzPaidPlatform = Some(PaidPlatform::Alipay);
  payment.qzCurrency = Some(Currency::USD);
  AppOpenNotification notification{"title", "", "", "plan", "", "", "type", ""};

  struct Case {
    std::function<void()> call;
    std::string message;
    std::string function;
  };
  const auto withOrder = [&](std::function<void(QzEventOrder&)> change) {
    return [&, change] {
      QzEventOrder changed = order;
      change(changed);
      tracker.trackOrder(changed, none);
    };
  };
  const auto withPayment = [&](std::function<void(QzEventPayment&)> change) {
    return [&, change] {
      QzEventPayment changed = payment;
      change(changed);
      tracker.trackPayment(changed, none);
    };
  };
  const auto withNotification = [&](std::function<void(AppOpenNotification&)> change) {
    return [&, change] {
      AppOpenNotification changed = notification;
      change(changed);
      tracker.trackAppOpenNotification(&changed, none);
    };
  };
  const std::vector<Case> cases = {
      {[&] { tracker.trackClick(QzEventClick{}, none); }, "qzEventClick.name is empty", "trackClick"},
      {[&] {
         QzEventClick click;
         click.name = "b";
         click.clickType = Bad<ClickType>(9);
         tracker.trackClick(click, none);
       },
       "Unknown ClickType [9]!", "toString"},
      {[&] { tracker.trackView(QzEventView{}, none); }, "qzEventView.name is empty", "trackView"},
      {[&] { tracker.trackCashier(QzEventCashier{}, none); }, "qzEventCashier.qz_cashier_name is empty",
       "trackCashier"},
      {[&] {
         QzEventShare share;
         share.result = Some(Bad<QzResult>(7));
         tracker.trackShare(share, none);
       },
       "Unknown task result [7]!", "toString"},
      {[&] { tracker.trackTask(QzEventTask{}, none); }, "qzEventTask.name is empty", "trackTask"},
      {[&] { tracker.trackFile(QzEventFile{}, none); }, "qzEventFile.aname is empty", "trackFile"},
      {[&] {
         QzEventFile file;
         file.aname = "a";
         file.io = Some(Bad<IoType>(5));
         tracker.trackFile(file, none);
       },
       "the io type is invalid", "toString"},
      {withOrder([](QzEventOrder& o) { o.qzSuitId.clear(); }), "qzEventOrder.qzSuitId is empty", "trackOrder"},
      {withOrder([](QzEventOrder& o) { o.qzCurrency.reset(); }), "qzEventOrder.qzCurrency is nullptr", "trackOrder"},
      {withOrder([](QzEventOrder& o) { o.originalAmount = 0; }), "qzEventOrder.originalAmount is less than zero",
       "trackOrder"},
      {withOrder([](QzEventOrder& o) { o.paidAmount = 0; }), "qzEventOrder.paidAmount is less than zero", "trackOrder"},
      {withOrder([](QzEventOrder& o) { o.qzCurrency = Some(Bad<Currency>(42)); }), "Unknown currency [42]!",
       "toString"},
      {withPayment([](QzEventPayment& p) { p.qzOrderId.clear(); }), "qzEventPayment.qzOrderId is empty",
       "trackPayment"},
      {withPayment([](QzEventPayment& p) { p.paidAmount = -1; }), "paidAmount = -1.000000 is invalid", "trackPayment"},
      {withPayment([](QzEventPayment& p) { p.originalAmount = -2.5; }), "originalAmount = -2.500000 is invalid",
       "trackPayment"},
      {withPayment([](QzEventPayment& p) { p.result.reset(); }), "qzEventPayment.result is invalid", "trackPayment"},
      {withPayment([](QzEventPayment& p) { p.result = Some(QzResult::Cancelled); }), "qzEventPayment.result is invalid",
       "trackPayment"},
      {withPayment([](QzEventPayment& p) { p.qzPaidPlatform.reset(); }), "qzEventPayment.qzPaidPlatform is nullptr",
       "trackPayment"},
      {withPayment([](QzEventPayment& p) { p.qzCurrency.reset(); }), "qzEventPayment.qzCurrency is nullptr",
       "trackPayment"},
      {withPayment([](QzEventPayment& p) { p.qzPaidPlatform = Some(Bad<PaidPlatform>(12)); }),
       "Unknown paid platform [12]!", "toString"},
      {withPayment([](QzEventPayment& p) { p.qzIapType = Some(Bad<QzIapType>(9)); }), "Unknown qzIapType [9]!",
       "toString"},
      {[&] {
         QzUserInfo user;
         user.userType = Bad<UserType>(20);
         tracker.trackLogin(user, true, "", none);
       },
       "Unknown user type [20]!", "userType"},
      {[&] {
         QzEventUpdate update;
         update.op = Bad<QzUpdateOp>(9);
         tracker.trackUpdate(update, none);
       },
       "Unknown QzUpdateOp [9]!", "toString"},
      {[&] {
         QzEventUpdate update;
         update.result = Some(Bad<QzUpdateResult>(8));
         tracker.trackUpdate(update, none);
       },
       "Unknown QzUpdateResult [8]!", "toString"},
      {[&] {
         QzEventUpdate update;
         update.op = QzUpdateOp::DownloadEnd;
         update.elapsed = Some(1.5f);
         tracker.trackUpdate(update, none);
       },
       "Unknown updateResultInfo info", "trackUpdate"},
      {[&] {
         QzEventUpdate update;
         update.op = QzUpdateOp::DownloadEnd;
         update.result = Some(QzUpdateResult::Success);
         tracker.trackUpdate(update, none);
       },
       "invalid elapsed info", "trackUpdate"},
      {[&] {
         QzEventUpdate update;
         update.op = QzUpdateOp::UpgrateEnd;
         update.result = Some(QzUpdateResult::Fail);
         tracker.trackUpdate(update, none);
       },
       "invalid elapsed info", "trackUpdate"},
      {[&] { tracker.trackAppOpenNotification(nullptr, none); }, "&appOpenNotification is nullptr",
       "trackAppOpenNotification"},
      {withNotification([](AppOpenNotification& n) { n.planID.clear(); }), "planID is emptry",
       "trackAppOpenNotification"},
      {withNotification([](AppOpenNotification& n) { n.planType.clear(); }), "planType is emptry",
       "trackAppOpenNotification"},
      {withNotification([](AppOpenNotification& n) { n.msgTitle.clear(); }), "msgTitle is emptry",
       "trackAppOpenNotification"},
  };
  for (const Case& c : cases) {
    const int pendingBefore = tracker.context().pendingCount;
    try {
      c.call();
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const QzException& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
      EXPECT_EQ(e.function(), c.function) << c.message;
    }
    EXPECT_TRUE(Sdk::QueuedRecords().empty()) << c.message;
    EXPECT_EQ(tracker.context().pendingCount, pendingBefore) << c.message;
  }
  EXPECT_TRUE(collector_.Posts().empty());
}

TEST_F(TrackerTest, EachOperationSendsItsFixedProperties) {
  QzTrackerImpl& tracker = StartTracker();
  const QzContextProperties none;
  struct Case {
    std::string event;
    std::function<void()> call;
    json own;
  };
  const std::vector<Case> cases = {
      {"QzEventClick",
       [&] {
         QzEventClick click;
         click.aname = "an";
         click.name = "n";
         click.clickType = ClickType::Banner;
         click.title = "t";
         click.module = "m";
         click.position = "p";
         click.tabIndex = Some(2);
         click.tabName = "tab";
         click.bannerIndex = Some(0);
         click.bannerName = "ban";
         tracker.trackClick(click, none);
       },
       {{"qz_name", "n"},
        {"qz_click_type", "Banner"},
        {"qz_aname", "an"},
        {"qz_title", "t"},
        {"qz_position", "p"},
        {"qz_module", "m"},
        {"qz_tab_name", "tab"},
        {"qz_tab_index", 2},
        {"qz_banner_name", "ban"},
        {"qz_banner_index", 0},
        {"$is_first_time", true}}},
      {"QzEventClick",
       [&] {
         QzEventClick click;
         click.name = "only";
         tracker.trackClick(click, none);
       },
       {{"qz_name", "only"}, {"qz_click_type", "Others"}, {"$is_first_time", true}}},
      {"QzEventView",
       [&] {
         tracker.trackView({"a", "v", "", "pos"}, none);
       },
       {{"qz_name", "v"}, {"qz_aname", "a"}, {"qz_position", "pos"}, {"$is_first_time", true}}},
      {"QzEventCashier",
       [&] {
         tracker.trackCashier({"c", "", "sub"}, none);
       },
       {{"qz_cashier_name", "c"}, {"qz_subitem", "sub"}, {"$is_first_time", true}}},
      {"QzEventShare",
       [&] {
         tracker.trackShare({"", "wx", "", "s", Some(QzResult::Fail)}, none);
       },
       {{"qz_channel", "wx"}, {"qz_shared_name", "s"}, {"qz_result", "Fail"}, {"$is_first_time", true}}},
      {"QzEventTask",
       [&] {
         tracker.trackTask({"", "t", "why", Some(95.5f), Some(QzResult::Unknown)}, none);
       },
       {{"qz_task_name", "t"}, {"qz_task_elapsed", 95.5}, {"qz_reason", "why"}, {"$is_first_time", true}}},
      {"QzEventTask",
       [&] {
         tracker.trackTask({"a", "t", "", nullptr, Some(QzResult::Cancelled)}, none);
       },
       {{"qz_task_name", "t"}, {"qz_task_result", "Cancelled"}, {"qz_aname", "a"}, {"$is_first_time", true}}},
      {"QzEventFile",
       [&] {
         QzEventFile file;
         file.aname = "f";
         file.io = Some(IoType::Output);
         file.size = Some(0.0f);
         file.fps = Some(29.97f);
         file.width = Some(640);
         file.result = Some(QzResult::Success);
         tracker.trackFile(file, none);
       },
       {{"qz_aname", "f"},
        {"qz_io", "Output"},
        {"qz_result", "Success"},
        {"qz_fps", 29.97},
        {"qz_width", 640},
        {"$is_first_time", true}}},
      {"QzEventOrder",
       [&] {
         QzEventOrder order;
         order.qzSuitId = "s";
         order.qzCurrency = Some(Currency::EUR);
         order.originalAmount = 20;
         order.paidAmount = 12.5;
         order.qzCampaignCode = Some(7);
         order.curPaidAmount = 3;
         tracker.trackOrder(order, none);
       },
       {{"qz_suit_id", "s"},
        {"qz_currency", "EUR"},
        {"qz_paid_amount", 12.5},
        {"qz_original_amount", 20},
        {"$is_first_time", true},
        {"qz_campaign_code", 7},
        {"qz_cur_paid_amount", 3}}},
      {"QzEventPayment",
       [&] {
         QzEventPayment payment;
         payment.qzOrderId = "o";
         payment.qzCurrency = Some(Currency::JPY);
         payment.qzPaidPlatform = Some(PaidPlatform::Paddle);
         payment.result = Some(QzResult::Fail);
         payment.qzIapType = Some(QzIapType::AutoRenewable);
         payment.qzUsedVoucherId = "voucher-7";
         tracker.trackPayment(payment, none);
       },
       {{"qz_order_id", "o"},
        {"qz_paid_platform", "Paddle"},
        {"qz_currency", "JPY"},
        {"qz_paid_amount", 0},
        {"qz_original_amount", 0},
        {"qz_result", "Fail"},
        {"$is_first_time", true},
        {"qz_iap_type", "AutoRenewable"},
        {"qz_used_voucher_id", "voucher-7"}}},
      {"QzEventUninstall", [&] { tracker.trackUninstall("too slow", none); }, {{"qz_uninstall_reason", "too slow"}}},
      {"AppCrashed", [&] { tracker.trackCrash("崩溃"); }, {{"app_crashed_reason", "崩溃"}}},
      {"QzEventUpdate",
       [&] {
         tracker.trackUpdate({QzUpdateOp::UpdateCheck, nullptr, nullptr}, none);
       },
       {{"qz_update_op", "UpdateCheck"}, {"qz_update_result", ""}}},
      {"QzEventUpdate",
       [&] {
         tracker.trackUpdate({QzUpdateOp::DownloadEnd, Some(QzUpdateResult::Timeout), Some(2.25f)}, none);
       },
       {{"qz_update_op", "DownloadEnd"}, {"qz_update_result", "Timeout"}, {"qz_elapsed", 2.25}}},
      {"QzEventUpdate",
       [&] {
         tracker.trackUpdate({QzUpdateOp::UpgrateEnd, Some(QzUpdateResult::Latest), Some(1.0f)}, none);
       },
       {{"qz_update_op", "UpgrateEnd"}, {"qz_update_result", "Latest"}, {"$is_first_time", true}, {"qz_elapsed", 1}}},
      {"QzEventUpdate",
       [&] {
         tracker.trackUpdate({QzUpdateOp::UpgrateStart, nullptr, nullptr}, none);
       },
       {{"qz_update_op", "UpgrateStart"}}},
      {"AppOpenNotification",
       [&] {
         AppOpenNotification n{"title", "body", "https://x", "plan", "", "", "type", "unit"};
         tracker.trackAppOpenNotification(&n, none);
       },
       {{"$sf_msg_title", "title"},
        {"$sf_plan_id", "plan"},
        {"$sf_plan_type", "type"},
        {"$is_first_time", true},
        {"$sf_msg_content", "body"},
        {"$sf_link_url", "https://x"},
        {"$sf_strategy_unit_id", "unit"}}},
      {"QzEventLogin",
       [&] { tracker.trackLogin(QzUserInfo{}, false, "", none); },
       {{"qz_type", "unknown"}, {"qz_result", "Fail"}}},
      {"QzEventLaunch", [&] { tracker.trackLaunch(none); }, json::object()},
  };
  for (const Case& c : cases) {
    c.call();
    const json record = LastRecordOf(collector_, c.event);
    ASSERT_TRUE(record.is_object()) << c.event;
    EXPECT_EQ(OwnProperties(record), c.own) << c.event;
    EXPECT_EQ(record["type"], "track");
  }
  const json crash = LastRecordOf(collector_, "AppCrashed");
  EXPECT_EQ(crash["properties"]["qz_app_id"], "lumetravox.downloader") << "common properties go under every event";
  EXPECT_EQ(tracker.context().userId, "") << "a login without a user id changes nothing";
}

TEST_F(TrackerTest, TheCommonPropertiesDescribeTheApplicationAndThisSystem) {
  setenv("LANG", "zh_CN.UTF-8", 1);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  QzTrackerImpl& tracker = StartTracker();
  tracker.trackCrash("x");
  const json properties = LastRecordOf(collector_, "AppCrashed")["properties"];
  EXPECT_EQ(properties["qz_app_id"], "lumetravox.downloader");
  EXPECT_EQ(properties["$app_id"], "lumetravox.downloader");
  EXPECT_EQ(properties["$app_version"], "1.7.9");
  EXPECT_EQ(properties["qz_app_store"], "lumetravox_setup.exe");
  EXPECT_EQ(properties["qz_edition"], "china");
  EXPECT_EQ(properties["qz_dlapp_id"], "lumetravox");
  EXPECT_FALSE(properties.contains("qz_dlapp_version")) << "left out when empty";
  EXPECT_EQ(properties["qz_app_platform"], "Linux");
  EXPECT_EQ(properties["$os"], "Linux");
  EXPECT_TRUE(properties["$os_version"].get<std::string>().find('.') != std::string::npos);
  EXPECT_EQ(properties["qz_track_type"], "Client");
  EXPECT_EQ(properties["qz_sdk_version"], "3.3.8");
  EXPECT_EQ(properties["qz_sdk"], "WindowsCPP");
  EXPECT_EQ(properties["qz_l10n_locale"], "zh_CN");
  EXPECT_EQ(properties["qz_l10n_language"], "zh");
  EXPECT_EQ(properties["qz_l10n_country"], "CN");
  EXPECT_TRUE(properties["$screen_width"].is_number_integer());
  EXPECT_TRUE(properties["$screen_height"].is_number_integer());
  EXPECT_FALSE(properties.contains("qz_user_id"));

  // A locale without a country keeps the system's; one with a country replaces it.
  tracker.setLocale("en");
  tracker.trackCrash("x");
  EXPECT_EQ(LastRecordOf(collector_, "AppCrashed")["properties"]["qz_l10n_locale"], "zh_CN");
  tracker.setLocale("fr_FR");
  tracker.trackCrash("x");
  const json french = LastRecordOf(collector_, "AppCrashed")["properties"];
  EXPECT_EQ(french["qz_l10n_locale"], "fr_FR");
  EXPECT_EQ(french["qz_l10n_language"], "fr");
  EXPECT_EQ(french["qz_l10n_country"], "FR");
}

TEST_F(TrackerTest, ContextPropertiesReplaceFixedOnesExceptInTheActivity) {
  QzTrackerImpl& tracker = StartTracker();
  QzContextProperties props;
  props.addProperty("qz_name", std::string("from context"), ContextKind::kText,
                    {static_cast<int>(QzEvent::Click), static_cast<int>(QzEvent::Activity)});
  props.addProperty("qz_app_store", std::string("context store"), ContextKind::kText,
                    {static_cast<int>(QzEvent::Activity)});
  props.setProperty("IN", {static_cast<int>(QzEvent::Click)});
  QzEventClick click;
  click.name = "fixed";
  tracker.trackClick(click, props);
  const json clickRecord = LastRecordOf(collector_, "QzEventClick");
  EXPECT_EQ(clickRecord["properties"]["qz_name"], "from context");
  EXPECT_EQ(clickRecord["properties"]["qzc_ab"], "IN");

  tracker.trackActivity(props);
  const json activity = LastRecordOf(collector_, "QzEventActivity");
  EXPECT_EQ(activity["properties"]["qz_name"], "from context") << "no fixed property of that name";
  EXPECT_EQ(activity["properties"]["qz_app_store"], "lumetravox_setup.exe") << "the fixed value wins";
  EXPECT_FALSE(activity["properties"].contains("qzc_ab")) << "the AB value was for clicks only";
  EXPECT_EQ(activity["properties"]["$ios_install_source"], "android_id=123##imei=1234##mac=123");
  EXPECT_EQ(activity["properties"]["$is_first_time"], true);
  EXPECT_TRUE(activity["properties"]["$user_agent"].get<std::string>().rfind("Mozilla/5.0(Linux ", 0) == 0);
}

TEST_F(TrackerTest, DeferredEventsWaitForAnOperationThatFlushes) {
  QzTrackerImpl& tracker = StartTracker();
  const QzContextProperties none;

  // A crash with nothing pending is queued but not posted.
  tracker.trackCrash("first");
  EXPECT_TRUE(collector_.Posts().empty());
  EXPECT_EQ(tracker.context().pendingCount, 0);

  QzEventClick click;
  click.name = "b";
  tracker.trackClick(click, none);
  EXPECT_EQ(tracker.context().pendingCount, 2);
  tracker.trackTask({"", "t", "", nullptr, nullptr}, none);
  EXPECT_EQ(tracker.context().pendingCount, 3);
  tracker.trackView({"", "v", "", ""}, none);
  EXPECT_EQ(tracker.context().pendingCount, 5);
  EXPECT_TRUE(collector_.Posts().empty());

  tracker.trackUninstall("", none);
  EXPECT_EQ(tracker.context().pendingCount, 0);
  std::vector<std::string> events;
  for (const auto& record : collector_.Records()) events.push_back(record["event"]);
  EXPECT_EQ(events,
            (std::vector<std::string>{"AppCrashed", "QzEventClick", "QzEventTask", "QzEventView", "QzEventUninstall"}));
}

TEST_F(TrackerTest, AFailedFlushKeepsThePendingCountForTheShutdown) {
  collector_.SetAnswer(testsupport::Collector::Answer::kStatus, 503);
  QzTrackerImpl& tracker = StartTracker();
  QzEventClick click;
  click.name = "b";
  tracker.trackClick(click, {});
  testsupport::StderrCapture quiet;
  tracker.trackUninstall("", {});
  EXPECT_EQ(tracker.context().pendingCount, 2);
  EXPECT_EQ(collector_.Posts().size(), 3u) << "three attempts";

  collector_.SetAnswer(testsupport::Collector::Answer::kAccept);
  StopTracker();
  quiet.Finish();
  const auto posts = collector_.Posts();
  ASSERT_EQ(posts.size(), 4u);
  ASSERT_EQ(posts[3].batch.size(), 2u);
  EXPECT_EQ(posts[3].batch[0]["event"], "QzEventClick");
  EXPECT_EQ(posts[3].batch[1]["event"], "QzEventUninstall");
}

TEST_F(TrackerTest, LoginSwitchesToTheUserIdAndIsRemembered) {
  QzTrackerImpl& tracker = StartTracker();
  const std::string device = tracker.context().distinctId;
  QzUserInfo user;
  user.userId = "u-1";
  user.userType = UserType::Email;
  user.vipLevel = 3;
  tracker.trackLogin(user, true, "", {});
  // Nothing was pending, so the login's flush finds nothing to do: both records wait in the queue.
  EXPECT_TRUE(collector_.Posts().empty());
  const auto records = AllRecords(collector_);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0]["event"], "QzEventLogin");
  EXPECT_EQ(records[0]["distinct_id"], device);
  EXPECT_EQ(OwnProperties(records[0]),
            (json{{"qz_login_id", "u-1"}, {"qz_type", "email"}, {"qz_result", "Success"}, {"$is_first_time", true}}));
  EXPECT_EQ(records[0]["properties"]["qz_user_id"], "u-1");
  EXPECT_EQ(records[1]["event"], "$SignUp");
  EXPECT_EQ(records[1]["distinct_id"], "u-1");
  EXPECT_EQ(records[1]["original_id"], device);

  tracker.trackCrash("after");
  const json after = LastRecordOf(collector_, "AppCrashed");
  EXPECT_EQ(after["distinct_id"], "u-1");
  EXPECT_EQ(after["properties"]["$is_login_id"], true);
  EXPECT_EQ(after["properties"]["qz_user_id"], "u-1");

  const std::string identity = tracker.context().identityFile;
  EXPECT_EQ(Utils::ReadProfileString(identity, "Base", "UserId", "?"), "u-1");
  EXPECT_EQ(Utils::ReadProfileString(identity, "Base", "isLogined", "?"), "OK");
  EXPECT_EQ(Utils::ReadProfileString(identity, "Base", "UserVipLevel", "?"), "3");

  StopTracker();
  StartTracker();
  EXPECT_EQ(Sdk::distinctId(), "u-1");
  EXPECT_TRUE(Sdk::isLoginId());
  EXPECT_EQ(tracker_->getPrimaryDistinctId(), device);
}

TEST_F(TrackerTest, TheWrapperSwallowsFailuresAndSaysSoOnStandardOutput) {
  auto impl = std::make_unique<QzTrackerImpl>(TestConfig(collector_.Url()), exeFolder_);
  QzTrackerImpl* raw = impl.get();
  QzTrackerWrapper wrapper(std::move(impl));
  EXPECT_EQ(wrapper.getTrackLogger(), nullptr);

  {
    StdoutCapture out;
    wrapper.trackClick(QzEventClick{}, {});
    EXPECT_EQ(out.Finish(), "") << "before init there is no track log, so nothing is said";
  }
  raw->init();
  EXPECT_NE(raw->getTrackLogger(), nullptr);
  EXPECT_EQ(wrapper.getTrackLogger(), nullptr);
  {
    StdoutCapture out;
    wrapper.trackClick(QzEventClick{}, {});
    wrapper.trackAppOpenNotification(nullptr, {});
    EXPECT_EQ(out.Finish(), "Failed to trackClick\nFailed to trackAppOpenNotification\n");
  }
  EXPECT_EQ(wrapper.getPrimaryDistinctId(), raw->getPrimaryDistinctId());

  QzTrackerWrapper empty(nullptr);
  StdoutCapture out;
  empty.trackCrash("x");
  empty.trackClick(QzEventClick{}, {});
  EXPECT_EQ(empty.getPrimaryDistinctId(), "");
  EXPECT_EQ(out.Finish(), "");
}

TEST_F(TrackerTest, ATrackerWhoseStartFailedDropsEveryEvent) {
  TrackerConfig config = TestConfig(collector_.Url());
  config.appStore.clear();
  auto tracker = CreateTracker(config);
  QzEventClick click;
  click.name = "b";
  tracker->trackClick(click, {});
  tracker->trackUninstall("", {});
  EXPECT_FALSE(Sdk::Exists());
  tracker.reset();
  EXPECT_TRUE(collector_.Posts().empty());
}

TEST_F(TrackerTest, TheTrackLogIsCreatedEmptyAndStaysEmpty) {
  QzTrackerImpl& tracker = StartTracker();
  const std::string log = tracker.context().logPath;
  EXPECT_EQ(log, DefaultDataFolder() + "lumetravox.downloader_QZSLog.txt");
  EXPECT_TRUE(testsupport::Exists(log));
  tracker.trackCrash("x");
  StopTracker();
  EXPECT_EQ(testsupport::ReadFile(log), "");
}

}  // namespace
}  // namespace vemra::tracking
