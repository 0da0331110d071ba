// The installer's reports as the collector receives them: the task, click, view and crash
// events with the AB group, reports from many threads, and reports that outlive an outage.
#include "analytics/installer_reports.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "app/installer_settings.h"
#include "tracker_fixture.h"
#include "utils/text.h"

namespace vemra::tracking {
namespace {

using nlohmann::json;
using testsupport::Collector;

class InstallerReportsTest : public TrackerTest {
 protected:
  void SetUp() override {
    TrackerTest::SetUp();
    Settings().ExeName = "lumetravox_setup.exe";
  }
  void TearDown() override {
    ReleaseReportTracker();
    Settings().IsEnableAppSensors = true;
  }
  void StartReporting(const std::string& url) {
    TrackerConfig config = InstallerTrackerConfig();
    config.serverUrl = url;
    auto impl = std::make_unique<QzTrackerImpl>(config, exeFolder_);
    impl->init();
    SetReportTracker(std::make_shared<QzTrackerWrapper>(std::move(impl)));
  }
  static const ReportExtras& In() {
    static const ReportExtras extras = {{"AB", "IN"}};
    return extras;
  }
};

TEST_F(InstallerReportsTest, ATaskReportArrivesAsTheInstallerSentIt) {
  StartReporting(collector_.Url());
  ReportTask("大包下载完毕", 95.123f, "", In());
  ReportTask("安装失败原因", 0, FormatShortReason(1000.0, "setup said no"), In());
  EXPECT_TRUE(collector_.Posts().empty()) << "tasks wait for a flush";
  ReleaseReportTracker();

  const auto records = collector_.Records();
  ASSERT_EQ(records.size(), 2u);
  const json& done = records[0];
  EXPECT_EQ(done["type"], "track");
  EXPECT_EQ(done["event"], "QzEventTask");
  EXPECT_EQ(OwnProperties(done), (json{{"qz_task_name", "大包下载完毕"},
                                       {"qz_task_elapsed", 95.123},
                                       {"qz_task_result", "Success"},
                                       {"qzc_ab", "IN"},
                                       {"$is_first_time", true}}));
  EXPECT_EQ(done["properties"]["qz_app_id"], Settings().ProductId + Settings().DlAppNameSuffix);
  EXPECT_EQ(done["properties"]["$app_version"], "1.7.9");
  EXPECT_EQ(done["properties"]["qz_dlapp_id"], "lumetravox");
  EXPECT_EQ(done["properties"]["qz_app_store"], Settings().ExeName);
  EXPECT_EQ(records[1]["properties"]["qz_reason"], ":1.code=1000；2.msg=setup said no");
  EXPECT_EQ(records[1]["properties"]["qz_task_elapsed"], 0);
}

TEST_F(InstallerReportsTest, ClicksViewsAndCrashesCarryTheirOwnFields) {
  StartReporting(collector_.Url());
  ReportClick("立即安装", In());
  ReportView("安装中", In());
  ReportClick("立即体验", {{"AB", "in"}});  // not a valid AB value: sent without it
  ReportView("自定义安装", {});
  ReportCrash();  // flushes everything pending
  const auto records = collector_.Records();
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(OwnProperties(records[0]),
            (json{{"qz_name", "立即安装"}, {"qz_click_type", "Button"}, {"qzc_ab", "IN"}, {"$is_first_time", true}}));
  EXPECT_EQ(OwnProperties(records[1]), (json{{"qz_name", "安装中"}, {"qzc_ab", "IN"}, {"$is_first_time", true}}));
  EXPECT_EQ(OwnProperties(records[2]),
            (json{{"qz_name", "立即体验"}, {"qz_click_type", "Button"}, {"$is_first_time", true}}));
  EXPECT_EQ(OwnProperties(records[3]), (json{{"qz_name", "自定义安装"}, {"$is_first_time", true}}));
  EXPECT_EQ(records[4]["event"], "AppCrashed");
  EXPECT_EQ(OwnProperties(records[4]), (json{{"app_crashed_reason", "崩溃"}}));
}

TEST_F(InstallerReportsTest, TextsThatAreNotCleanAreLeftOutAndTheEventStillGoes) {
  StartReporting(collector_.Url());
  testsupport::StderrCapture quiet;
  ReportTask("下载失败原因", 0, "bad \xff\xfe bytes", In());
  ReportTask(std::string(8193, 'n'), 0, "too long a name", In());
  ReportTask("下载失败原因", 0, std::string(8192, 'r'), {{"AB", "ABCD"}});
  ReleaseReportTracker();
  quiet.Finish();
  const auto records = collector_.Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(OwnProperties(records[0]), (json{{"qz_task_name", "下载失败原因"},
                                             {"qz_task_elapsed", 0},
                                             {"qz_task_result", "Success"},
                                             {"qzc_ab", "IN"},
                                             {"$is_first_time", true}}));
  EXPECT_FALSE(records[1]["properties"].contains("qz_task_name"));
  EXPECT_EQ(records[1]["properties"]["qz_reason"], "too long a name");
  EXPECT_EQ(records[2]["properties"]["qz_reason"].get<std::string>().size(), 8192u);
  EXPECT_FALSE(records[2]["properties"].contains("qzc_ab"));
}

TEST_F(InstallerReportsTest, NothingIsSentWithAnalyticsOffOrWithoutATracker) {
  ReportTask("下载器启动", 0, "", In());  // no tracker yet: dropped
  StartReporting(collector_.Url());
  Settings().IsEnableAppSensors = false;
  ReportClick("立即安装", In());
  ReportTask("开始下载大包", 0, "", In());
  ReportCrash();
  Settings().IsEnableAppSensors = true;
  ReleaseReportTracker();
  ReportCrash();  // after release: dropped
  EXPECT_TRUE(collector_.Records().empty());
  EXPECT_TRUE(collector_.Posts().empty());
}

TEST_F(InstallerReportsTest, ReportsFromManyThreadsArriveOnceEach) {
  StartReporting(collector_.Url());
  constexpr int kThreads = 8;
  constexpr int kReportsPerThread = 60;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kReportsPerThread; ++i) {
        const std::string id = std::to_string(t) + "-" + std::to_string(i);
        if (i % 3 == 0) {
          ReportClick("click " + id, In());
        } else {
          ReportTask("task " + id, static_cast<float>(i), "reason " + id, In());
        }
        if (i % 20 == 19) ReportCrash();  // flushes while the others keep queueing
      }
    });
  }
  for (auto& thread : threads) thread.join();
  ReleaseReportTracker();

  std::multiset<std::string> names;
  for (const json& record : collector_.Records()) {
    const json& properties = record["properties"];
    if (record["event"] == "QzEventTask") names.insert(properties["qz_task_name"].get<std::string>());
    if (record["event"] == "QzEventClick") names.insert(properties["qz_name"].get<std::string>());
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(kThreads * kReportsPerThread));
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kReportsPerThread; ++i) {
      const std::string id = std::to_string(t) + "-" + std::to_string(i);
      EXPECT_EQ(names.count((i % 3 == 0 ? "click " : "task ") + id), 1u) << id;
    }
  }
}

TEST_F(InstallerReportsTest, ReportsQueuedDuringAnOutageArriveWithTheNextRun) {
  int port = 0;
  {
    Collector probe;
    port = probe.Port();
  }
  // First run: nothing listens at the collector's address.
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/sa?project=pc";
  StartReporting(url);
  ReportTask("开始下载大包", 0, "", In());
  ReportClick("立即安装", In());
  testsupport::StderrCapture quiet;
  ReportCrash();
  ReleaseReportTracker();
  quiet.Finish();

  // Second run: the collector is back.
  Collector collector(Collector::Transport::kHttp, port);
  StartReporting(url);
  ReportTask("安装成功", 0, "", In());
  ReleaseReportTracker();

  std::vector<std::string> events;
  for (const json& record : collector.Records()) {
    events.push_back(record["event"].get<std::string>() + ":" +
                     record["properties"].value("qz_task_name", record["properties"].value("qz_name", "")));
  }
  EXPECT_EQ(events, (std::vector<std::string>{"QzEventTask:开始下载大包", "QzEventClick:立即安装",
                                              "AppCrashed:", "QzEventTask:安装成功"}));
}

TEST(ShortReasonTest, FormatsTheCodeAndCutsLongMessages) {
  EXPECT_EQ(FormatShortReason(1000.0, "安装包报告失败"), ":1.code=1000；2.msg=安装包报告失败");
  EXPECT_EQ(FormatShortReason(-3.7, ""), ":1.code=-3；2.msg=");
  EXPECT_EQ(FormatShortReason(1e300, "x"), ":1.code=9223372036854775807；2.msg=x");
  EXPECT_EQ(FormatShortReason(std::nan(""), "x"), ":1.code=0；2.msg=x");

  const std::string longMessage(500, 'm');
  const std::string cut = FormatShortReason(2004, longMessage);
  EXPECT_EQ(cut, ":1.code=2004；2.msg=" + std::string(199 - 19, 'm'));

  std::string wide;
  for (int i = 0; i < 300; ++i) wide += "错";
  const std::string cutWide = FormatShortReason(7, wide);
  EXPECT_EQ(Utils::CodePointCount(cutWide), 199u);
  EXPECT_TRUE(Utils::IsValidUtf8(cutWide)) << "never splits a character";
}

}  // namespace
}  // namespace vemra::tracking
