#include "download/curl_downloader.h"

#include <gtest/gtest.h>

#include <thread>

#include "collector/collector.h"
#include "download/download_fixture.h"
#include "support/scratch.h"
#include "support/stderr_capture.h"

namespace {

using downloadtest::DownloadTest;
using downloadtest::MakePackage;
using downloadtest::RestartOnRetry;
using downloadtest::Seconds;
using downloadtest::Status;
using downloadtest::StatusRecorder;
using testsupport::LinkService;

constexpr size_t kPackageSize = 1048576 + 12345;

using CurlDownloaderTest = DownloadTest;

TEST_F(CurlDownloaderTest, StatusSequencesFollowTheMd5InTheFinalAddress) {
  struct Case {
    LinkService::Md5Segment md5;
    std::vector<int32_t> codes;
    std::vector<std::string> notices;
    int gets;
  };
  const Case cases[] = {
      {LinkService::Md5Segment::kCorrect, {1001, 1003}, {}, 1},
      {LinkService::Md5Segment::kMissing, {1001, 1006, 1003}, {"curl获取url-md5失败"}, 1},
      // The comparison is exact: upper-case digits never match, so the one restart fails again.
      {LinkService::Md5Segment::kUpperCase,
       {1001, 1006, 1005, 1001, 1006, 1004},
       {"curl文件md5校验失败", "curl文件md5校验失败"},
       2},
      {LinkService::Md5Segment::kWrong,
       {1001, 1006, 1005, 1001, 1006, 1004},
       {"curl文件md5校验失败", "curl文件md5校验失败"},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.md5));
    LinkService service;
    const std::string package = MakePackage(kPackageSize);
    service.ServeFile(package, "setup.exe");
    LinkService::Faults faults;
    faults.md5 = c.md5;
    service.SetFaults(faults);
    const std::string target = NewTarget();
    StatusRecorder recorder;
    std::unique_ptr<CCurlDownloader> downloader;
    RestartOnRetry(recorder, downloader);
    downloader = std::make_unique<CCurlDownloader>(recorder.Callback(), service.Url(), target);

    downloader->Start();
    ASSERT_TRUE(recorder.WaitFor(c.codes.back()));
    downloader.reset();

    EXPECT_EQ(recorder.Codes(), c.codes);
    std::vector<std::string> notices;
    for (const Status& status : recorder.All()) {
      if (status.code == DL_CODE_VERIFY) notices.push_back(status.text);
      if (status.code == DL_CODE_START) {
        EXPECT_EQ(status.value, 1.0);
      }
      if (status.code == DL_CODE_SUCCESS || status.code == DL_CODE_RETRY || status.code == DL_CODE_FAIL) {
        EXPECT_EQ(status.value, 0.0);
        EXPECT_EQ(status.text, "LibCurl");
      }
    }
    EXPECT_EQ(notices, c.notices);
    EXPECT_EQ(service.CountRequests("GET"), c.gets);
    if (c.codes.back() == DL_CODE_SUCCESS) {
      EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
    }
    // The restart downloads the package anew rather than resuming a file that failed its check.
    for (const auto& request : service.Requests()) EXPECT_EQ(request.range, "");
  }
}

TEST_F(CurlDownloaderTest, GivesUpAfterSixAttemptsHalfASecondApart) {
  service_.ServeFile(MakePackage(kPackageSize), "setup.exe");
  LinkService::Faults faults;
  faults.headStatus = 404;
  service_.SetFaults(faults);
  StatusRecorder recorder;
  CCurlDownloader downloader(recorder.Callback(), service_.Url(), NewTarget());
  testsupport::StderrCapture log;

  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_FAIL));
  const std::string lines = log.Finish();

  const auto statuses = recorder.All();
  ASSERT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_EQ(statuses.back().value, -998.0);
  EXPECT_EQ(statuses.back().text, "LibCurl");
  EXPECT_GE(Seconds(statuses.back().at - statuses.front().at), 2.5);
  EXPECT_EQ(service_.CountRequests("GET"), 0);
  // Each attempt starts one transfer; five of them are followed by a pause and a log line.
  size_t starts = 0;
  size_t codes = 0;
  for (size_t at = 0; (at = lines.find("(CurlClient::Start)<", at)) != std::string::npos; ++at) {
    starts += lines.compare(lines.find(">: ", at) + 3, 14, "start download") == 0;
  }
  for (size_t at = 0; (at = lines.find("(CCurlDownloader::dlThreadFun)<", at)) != std::string::npos; ++at) {
    EXPECT_EQ(lines.compare(lines.find(">: ", at) + 3, 26, "CurlDownLoader Code=-998\r\n"), 0);
    ++codes;
  }
  EXPECT_EQ(starts, 6u);
  EXPECT_EQ(codes, 5u);
}

TEST_F(CurlDownloaderTest, PartialTransfersGetTwelveAttemptsThatEachResume) {
  service_.ServeFile(MakePackage(kPackageSize), "setup.exe");
  LinkService::Faults faults;
  faults.dropAfterBytes = 1000;
  service_.SetFaults(faults);
  StatusRecorder recorder;
  CCurlDownloader downloader(recorder.Callback(), service_.Url(), NewTarget());

  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_FAIL));

  EXPECT_EQ(recorder.All().back().value, 18.0);
  std::vector<std::string> ranges;
  for (const auto& request : service_.Requests()) {
    if (request.method == "GET") ranges.push_back(request.range);
  }
  ASSERT_EQ(ranges.size(), 12u);
  EXPECT_EQ(ranges[0], "");
  for (size_t i = 1; i < ranges.size(); ++i) EXPECT_EQ(ranges[i], "bytes=" + std::to_string(i * 1000) + "-");
}

TEST_F(CurlDownloaderTest, RecoversFromADroppedConnectionWithinItsBudget) {
  const std::string package = MakePackage(kPackageSize);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults faults;
  faults.dropAfterBytes = 300000;
  faults.faultyGets = 2;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  CCurlDownloader downloader(recorder.Callback(), service_.Url(), target);

  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_SUCCESS));

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1003}));
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
  EXPECT_FALSE(testsupport::Exists(target + ".part"));
}

TEST_F(CurlDownloaderTest, ReportsProgressAsFractionsUpToOne) {
  const std::string package = MakePackage(1536 * 1024);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults faults;
  faults.bytesPerSecond = 700 * 1024;
  service_.SetFaults(faults);
  StatusRecorder recorder;
  CCurlDownloader downloader(recorder.Callback(), service_.Url(), NewTarget());

  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_SUCCESS));

  const std::vector<double> values = recorder.ProgressValues();
  ASSERT_GE(values.size(), 1u);
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_GT(values[i], 0.0);
    EXPECT_LE(values[i], 1.0);
    if (i > 0) {
      EXPECT_GT(values[i], values[i - 1]);
    }
  }
}

TEST_F(CurlDownloaderTest, StartsFromAnEmptyPartFileWhateverAnEarlierRunLeft) {
  const std::string package = MakePackage(kPackageSize);
  service_.ServeFile(package, "setup.exe");
  const std::string target = NewTarget();
  testsupport::WriteFile(target + ".part", std::string(5000, 'x'));
  StatusRecorder recorder;
  CCurlDownloader downloader(recorder.Callback(), service_.Url(), target);
  EXPECT_FALSE(testsupport::Exists(target + ".part"));

  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_SUCCESS));
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
  EXPECT_EQ(service_.Requests().back().range, "");
}

TEST_F(CurlDownloaderTest, AnEmptyTargetPathFailsAtOnce) {
  StatusRecorder recorder;
  CCurlDownloader downloader(recorder.Callback(), service_.Url(), "");
  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_FAIL));
  const auto statuses = recorder.All();
  ASSERT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_EQ(statuses.back().value, 1.0);
  EXPECT_EQ(statuses.back().text, "");
}

TEST_F(CurlDownloaderTest, DestroyingItDuringATransferReturnsPromptly) {
  service_.ServeFile(MakePackage(kPackageSize), "setup.exe");
  LinkService::Faults faults;
  faults.stallAfterBytes = 200000;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  auto downloader = std::make_unique<CCurlDownloader>(recorder.Callback(), service_.Url(), target);
  downloader->Start();
  ASSERT_TRUE(service_.WaitForStall(std::chrono::seconds(10)));

  const auto before = std::chrono::steady_clock::now();
  downloader.reset();

  EXPECT_LT(Seconds(std::chrono::steady_clock::now() - before), 2.0);
  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_EQ(recorder.All().back().value, static_cast<double>(CURLE_ABORTED_BY_CALLBACK));
  EXPECT_FALSE(testsupport::Exists(target + ".part"));
  EXPECT_FALSE(testsupport::Exists(target));
}

TEST_F(CurlDownloaderTest, ASecondStartAfterAFailureBeginsANewRun) {
  const std::string package = MakePackage(kPackageSize);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults faults;
  faults.getStatus = 500;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  CCurlDownloader downloader(recorder.Callback(), service_.Url(), target);
  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_FAIL));
  EXPECT_EQ(recorder.All().back().value, 22.0);
  EXPECT_EQ(service_.CountRequests("GET"), 6);

  service_.SetFaults({});
  downloader.Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_SUCCESS));
  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1004, 1001, 1003}));
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
}

}  // namespace
