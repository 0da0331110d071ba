#include "download/curl_client.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <mutex>
#include <thread>

#include "analytics/installer_reports.h"
#include "collector/collector.h"
#include "download/download_fixture.h"
#include "support/scratch.h"
#include "utils/md5.h"

namespace {

using downloadtest::DownloadTest;
using downloadtest::MakePackage;
using testsupport::LinkService;

// Keeps the tasks the installer reports, with their AB property.
class TaskTracker : public vemra::tracking::QzTracker {
 public:
  struct Task {
    std::string name;
    std::string reason;
  };
  std::vector<Task> Tasks() {
    std::lock_guard lock(mutex_);
    return tasks_;
  }
  void trackTask(const vemra::tracking::QzEventTask& task, const vemra::tracking::QzContextProperties&) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back({task.name, task.reason});
  }
  void trackActivity(const vemra::tracking::QzContextProperties&) override {}
  void trackLaunch(const vemra::tracking::QzContextProperties&) override {}
  void trackLogin(const vemra::tracking::QzUserInfo&, bool, const std::string&,
                  const vemra::tracking::QzContextProperties&) override {}
  void trackClick(const vemra::tracking::QzEventClick&, const vemra::tracking::QzContextProperties&) override {}
  void trackView(const vemra::tracking::QzEventView&, const vemra::tracking::QzContextProperties&) override {}
  void trackCashier(const vemra::tracking::QzEventCashier&, const vemra::tracking::QzContextProperties&) override {}
  void trackShare(const vemra::tracking::QzEventShare&, const vemra::tracking::QzContextProperties&) override {}
  void trackFile(const vemra::tracking::QzEventFile&, const vemra::tracking::QzContextProperties&) override {}
  void trackOrder(const vemra::tracking::QzEventOrder&, const vemra::tracking::QzContextProperties&) override {}
  void trackPayment(const vemra::tracking::QzEventPayment&, const vemra::tracking::QzContextProperties&) override {}
  void trackUninstall(const std::string&, const vemra::tracking::QzContextProperties&) override {}
  void trackCrash(const std::string&) override {}
  void trackUpdate(const vemra::tracking::QzEventUpdate&, const vemra::tracking::QzContextProperties&) override {}
  void trackAppOpenNotification(const vemra::tracking::AppOpenNotification*,
                                const vemra::tracking::QzContextProperties&) override {}
  void setLocale(const std::string&) override {}
  std::string getPrimaryDistinctId() override { return {}; }
  vemra::tracking::TrackLogger* getTrackLogger() override { return nullptr; }

 private:
  std::mutex mutex_;
  std::vector<Task> tasks_;
};

struct Progress {
  std::mutex mutex;
  std::vector<double> percents;
  static void Record(void* owner, double, double percent) {
    auto* self = static_cast<Progress*>(owner);
    std::lock_guard lock(self->mutex);
    self->percents.push_back(percent);
  }
};

using CurlClientTest = DownloadTest;

TEST_F(CurlClientTest, RefusesAFileBelowOneMebibyteAndDownloadsOneOfExactlyOne) {
  struct Case {
    size_t size;
    int32_t result;
  };
  for (const Case& c : {Case{1048575, CurlClient::kLengthRefused}, Case{1048576, 0}}) {
    SCOPED_TRACE(c.size);
    LinkService service;
    const std::string package = MakePackage(c.size);
    service.ServeFile(package, "setup.exe");
    const std::string target = NewTarget();
    testsupport::WriteFile(target, "an older package");
    CurlClient client(service.Url(), target, nullptr, nullptr);

    EXPECT_EQ(client.Start(), c.result);

    EXPECT_EQ(service.CountRequests("GET"), c.result == 0 ? 1 : 0);
    EXPECT_FALSE(testsupport::Exists(target + ".part") && c.result == 0);
    if (c.result == 0) {
      EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
      EXPECT_EQ(client.RealUrl(), service.PackageUrl());
      EXPECT_EQ(client.CompletedFileMd5(), service.FileMd5());
    }
  }
}

TEST_F(CurlClientTest, ResumesAfterThePartFileAndCountsItsBytesAsReceived) {
  const std::string package = MakePackage(1536 * 1024);
  service_.ServeFile(package, "setup.exe");
  // Slow enough for progress reports: about two seconds for what is left.
  LinkService::Faults faults;
  faults.bytesPerSecond = 600 * 1024;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  const std::string bytes = testsupport::ReadFile(package);
  testsupport::WriteFile(target + ".part", bytes.substr(0, 300000));
  Progress progress;
  CurlClient client(service_.Url(), target, &progress, &Progress::Record);

  ASSERT_EQ(client.Start(), 0);

  EXPECT_EQ(client.ResumeOffset(), 300000);
  const auto requests = service_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().method, "GET");
  EXPECT_EQ(requests.back().range, "bytes=300000-");
  EXPECT_EQ(testsupport::ReadFile(target), bytes);
  // The digest covers the bytes the earlier attempt left, exactly as hashing the file would.
  EXPECT_EQ(client.CompletedFileMd5(), Utils::FileMd5(target));
  std::lock_guard lock(progress.mutex);
  ASSERT_FALSE(progress.percents.empty());
  // The first report already counts the 300000 bytes on disk.
  EXPECT_GE(progress.percents.front(), 300000.0 / bytes.size() * 100.0);
  EXPECT_LE(progress.percents.back(), 100.0);
}

TEST_F(CurlClientTest, ASecondStartSkipsResolutionAndResumesWhereTheDroppedTransferEnded) {
  const std::string package = MakePackage(1048576 + 4096);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults faults;
  faults.dropAfterBytes = 100000;
  faults.faultyGets = 1;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  CurlClient client(service_.Url(), target, nullptr, nullptr);

  EXPECT_EQ(client.Start(), CURLE_PARTIAL_FILE);
  const int headsAfterFirst = service_.CountRequests("HEAD");
  EXPECT_TRUE(testsupport::Exists(target + ".part"));
  EXPECT_EQ(client.Start(), 0);

  EXPECT_EQ(service_.CountRequests("HEAD"), headsAfterFirst);
  const auto requests = service_.Requests();
  EXPECT_EQ(requests.back().range, "bytes=100000-");
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
  EXPECT_EQ(client.CompletedFileMd5(), service_.FileMd5());
  EXPECT_FALSE(testsupport::Exists(target + ".part"));
}

TEST_F(CurlClientTest, ReportsTheHeadStatusOncePerResolutionWayAndRefuses) {
  auto tracker = std::make_shared<TaskTracker>();
  SetReportTracker(tracker);
  service_.ServeFile(MakePackage(1048576), "setup.exe");
  LinkService::Faults faults;
  faults.headStatus = 404;
  service_.SetFaults(faults);
  CurlClient client(service_.Url(), NewTarget(), nullptr, nullptr);

  EXPECT_EQ(client.Start(), CurlClient::kLengthRefused);

  EXPECT_EQ(service_.CountRequests("GET"), 0);
  const auto tasks = tracker->Tasks();
  ASSERT_EQ(tasks.size(), 2u);
  for (const auto& task : tasks) {
    EXPECT_EQ(task.name, "下载失败原因");
    EXPECT_EQ(task.reason, "1.获取文件大小的状态码为=404；");
  }
  ReleaseReportTracker();
}

TEST_F(CurlClientTest, RefusesAServerThatStatesNoLength) {
  service_.ServeFile(MakePackage(1048576), "setup.exe");
  LinkService::Faults faults;
  faults.headStatesLength = false;
  service_.SetFaults(faults);
  CurlClient client(service_.Url(), NewTarget(), nullptr, nullptr);

  EXPECT_EQ(client.Start(), CurlClient::kLengthRefused);
  EXPECT_EQ(service_.CountRequests("GET"), 0);
}

TEST_F(CurlClientTest, AnErrorStatusOnTheGetKeepsThePartFile) {
  service_.ServeFile(MakePackage(1048576), "setup.exe");
  LinkService::Faults faults;
  faults.getStatus = 500;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  testsupport::WriteFile(target + ".part", "kept");
  CurlClient client(service_.Url(), target, nullptr, nullptr);

  EXPECT_EQ(client.Start(), CURLE_HTTP_RETURNED_ERROR);
  EXPECT_EQ(testsupport::ReadFile(target + ".part"), "kept");
  EXPECT_FALSE(testsupport::Exists(target));
}

TEST_F(CurlClientTest, RefusesAServerWhoseCertificateDoesNotVerify) {
  testsupport::Collector tlsServer(testsupport::Collector::Transport::kHttpsSelfSigned);
  const std::string target = NewTarget();
  CurlClient client("https://127.0.0.1:" + std::to_string(tlsServer.Port()) + "/software/226", target, nullptr,
                    nullptr);

  EXPECT_EQ(client.Start(), CurlClient::kLengthRefused);
  EXPECT_FALSE(testsupport::Exists(target));
  EXPECT_TRUE(tlsServer.Posts().empty());
}

TEST_F(CurlClientTest, ReportsProgressAtMostOncePerSecondAndNeverZero) {
  Progress progress;
  CurlClient client("http://127.0.0.1:1/", NewTarget(), &progress, &Progress::Record);
  // Begin right after a second boundary, so the calls below share one second.
  const time_t start = time(nullptr);
  while (time(nullptr) == start) std::this_thread::sleep_for(std::chrono::milliseconds(5));

  EXPECT_EQ(CurlClient::ProgressCallback(&client, 2000, 500, 0, 0), 0);
  EXPECT_EQ(CurlClient::ProgressCallback(&client, 2000, 900, 0, 0), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(CurlClient::ProgressCallback(&client, 2000, 0, 0, 0), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  EXPECT_EQ(CurlClient::ProgressCallback(&client, 2000, 1000, 0, 0), 0);

  {
    std::lock_guard lock(progress.mutex);
    EXPECT_EQ(progress.percents, (std::vector<double>{25.0, 50.0}));
  }
  client.RequestStop();
  EXPECT_EQ(CurlClient::ProgressCallback(&client, 2000, 1500, 0, 0), 1);
}

}  // namespace
