#include "download/mt_curl_downloader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "collector/collector.h"
#include "download/download_fixture.h"
#include "support/scratch.h"

namespace {

using downloadtest::DownloadTest;
using downloadtest::MakePackage;
using downloadtest::RestartOnRetry;
using downloadtest::Seconds;
using downloadtest::Status;
using downloadtest::StatusRecorder;
using testsupport::LinkService;

constexpr size_t kMiB = 1048576;
// Two parts of 10 MiB + 2 bytes and 10 MiB + 3 bytes.
constexpr size_t kTwoPartSize = 20 * kMiB + 5;

class MTCurlDownloaderTest : public DownloadTest {
 protected:
  std::vector<std::string> GetRanges() const {
    std::vector<std::string> ranges;
    for (const auto& request : service_.Requests()) {
      if (request.method == "GET") ranges.push_back(request.range);
    }
    return ranges;
  }
};

TEST_F(MTCurlDownloaderTest, StatusSequencesFollowTheMd5InTheFinalAddress) {
  struct Case {
    LinkService::Md5Segment md5;
    std::vector<int32_t> codes;
    std::vector<std::string> notices;
  };
  const Case cases[] = {
      {LinkService::Md5Segment::kCorrect, {1001, 1003}, {}},
      {LinkService::Md5Segment::kMissing, {1001, 1006, 1003}, {"mtcurl获取url-md5失败"}},
      {LinkService::Md5Segment::kUpperCase,
       {1001, 1006, 1005, 1001, 1006, 1004},
       {"mtcurl文件md5校验失败", "mtcurl文件md5校验失败"}},
  };
  const std::string package = MakePackage(kTwoPartSize);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.md5));
    LinkService service;
    service.ServeFile(package, "setup.exe");
    LinkService::Faults faults;
    faults.md5 = c.md5;
    service.SetFaults(faults);
    const std::string target = NewTarget();
    StatusRecorder recorder;
    std::unique_ptr<CMTCurlDownloader> downloader;
    RestartOnRetry(recorder, downloader);
    downloader = std::make_unique<CMTCurlDownloader>(recorder.Callback(), service.Url(), target);

    downloader->Start();
    ASSERT_TRUE(recorder.WaitFor(c.codes.back()));
    downloader.reset();

    EXPECT_EQ(recorder.Codes(), c.codes);
    std::vector<std::string> notices;
    for (const Status& status : recorder.All()) {
      if (status.code == DL_CODE_VERIFY) notices.push_back(status.text);
    }
    EXPECT_EQ(notices, c.notices);
    std::vector<std::string> ranges;
    for (const auto& request : service.Requests()) {
      if (request.method == "GET") ranges.push_back(request.range);
    }
    // Each run fetches both halves; a failed check deletes the file and the parts.
    const std::vector<std::string> oneRun = {"bytes=0-10485761", "bytes=10485762-20971524"};
    EXPECT_EQ(std::vector<std::string>(ranges.begin(), ranges.begin() + 2), oneRun);
    EXPECT_EQ(ranges.size(), c.codes.back() == DL_CODE_SUCCESS ? 2u : 4u);
    if (c.codes.back() == DL_CODE_SUCCESS) {
      EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
    } else {
      EXPECT_FALSE(testsupport::Exists(target));
    }
    EXPECT_FALSE(testsupport::Exists(target + "_0"));
    EXPECT_FALSE(testsupport::Exists(target + "_1"));
  }
}

TEST_F(MTCurlDownloaderTest, RefusesALengthOf255AndDownloadsOneOf256) {
  for (const size_t size : {size_t{255}, size_t{256}}) {
    SCOPED_TRACE(size);
    LinkService service;
    const std::string package = MakePackage(size);
    service.ServeFile(package, "setup.exe");
    const std::string target = NewTarget();
    StatusRecorder recorder;
    CMTCurlDownloader downloader(recorder.Callback(), service.Url(), target);

    downloader.Start();
    ASSERT_TRUE(recorder.WaitForEnds(1));

    if (size == 255) {
      EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1004}));
      EXPECT_EQ(recorder.All().back().value, 0.0);
      EXPECT_EQ(recorder.All().back().text, "LibCurl");
      EXPECT_EQ(service.CountRequests("GET"), 0);
    } else {
      EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1003}));
      EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
    }
  }
}

TEST_F(MTCurlDownloaderTest, AServerThatIgnoresRangesFailsThePartsAndTheOneRestart) {
  service_.ServeFile(MakePackage(kTwoPartSize), "setup.exe");
  LinkService::Faults faults;
  faults.honourRanges = false;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  std::unique_ptr<CMTCurlDownloader> downloader;
  RestartOnRetry(recorder, downloader);
  downloader = std::make_unique<CMTCurlDownloader>(recorder.Callback(), service_.Url(), target);

  downloader->Start();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_FAIL));
  downloader.reset();

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1005, 1001, 1004}));
  for (const Status& status : recorder.All()) {
    if (status.code == DL_CODE_RETRY || status.code == DL_CODE_FAIL) {
      EXPECT_EQ(status.value, static_cast<double>(CURLE_WRITE_ERROR));
    }
  }
  EXPECT_FALSE(testsupport::Exists(target));
}

TEST_F(MTCurlDownloaderTest, ARestartAfterProgressResumesThePartFiles) {
  const std::string package = MakePackage(kTwoPartSize);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults slow;
  slow.bytesPerSecond = 3 * kMiB;
  service_.SetFaults(slow);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  std::unique_ptr<CMTCurlDownloader> downloader;
  int64_t partBytes[2] = {0, 0};
  RestartOnRetry(recorder, downloader, [&] {
    partBytes[0] = static_cast<int64_t>(testsupport::ReadFile(target + "_0").size());
    partBytes[1] = static_cast<int64_t>(testsupport::ReadFile(target + "_1").size());
    service_.SetFaults({});
  });
  downloader = std::make_unique<CMTCurlDownloader>(recorder.Callback(), service_.Url(), target);

  downloader->Start();
  // Once progress was reported, every transfer breaks off and every further GET fails.
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_PROGRESS));
  LinkService::Faults broken;
  broken.getStatus = 500;
  service_.SetFaults(broken);
  service_.DropActiveTransfers();
  ASSERT_TRUE(recorder.WaitFor(DL_CODE_SUCCESS));
  downloader.reset();

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1005, 1001, 1003}));
  ASSERT_GT(partBytes[0], 0);
  ASSERT_GT(partBytes[1], 0);
  const std::vector<std::string> ranges = GetRanges();
  ASSERT_GE(ranges.size(), 4u);
  const std::vector<std::string> resumed(ranges.end() - 2, ranges.end());
  EXPECT_EQ(resumed, (std::vector<std::string>{"bytes=" + std::to_string(partBytes[0]) + "-10485761",
                                               "bytes=" + std::to_string(10485762 + partBytes[1]) + "-20971524"}));
  // Progress after the restart starts from the bytes already there.
  const auto statuses = recorder.All();
  size_t secondStart = 0;
  for (size_t i = 1; i < statuses.size(); ++i) {
    if (statuses[i].code == DL_CODE_START) secondStart = i;
  }
  for (size_t i = secondStart; i < statuses.size(); ++i) {
    if (statuses[i].code == DL_CODE_PROGRESS) {
      EXPECT_GE(statuses[i].value, static_cast<double>(partBytes[0] + partBytes[1]) / kTwoPartSize - 1e-9);
    }
  }
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
}

TEST_F(MTCurlDownloaderTest, APartCompleteBeforeTheRestartIsNotFetchedAgain) {
  const std::string package = MakePackage(kTwoPartSize);
  service_.ServeFile(package, "setup.exe");
  // The first half arrives slowly enough for progress reports; the second half always fails.
  LinkService::Faults faults;
  faults.bytesPerSecond = 6 * kMiB;
  faults.getStatus = 500;
  faults.faultyFromOffset = 10485762;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  std::unique_ptr<CMTCurlDownloader> downloader;
  RestartOnRetry(recorder, downloader, [&] { service_.SetFaults({}); });
  downloader = std::make_unique<CMTCurlDownloader>(recorder.Callback(), service_.Url(), target);

  downloader->Start();
  ASSERT_TRUE(recorder.WaitForEnds(2));
  downloader.reset();

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1005, 1001, 1003}));
  EXPECT_FALSE(recorder.ProgressValues().empty());
  const std::vector<std::string> ranges = GetRanges();
  // The restart asks only for the second half; the merged file is checked against the MD5.
  ASSERT_FALSE(ranges.empty());
  EXPECT_EQ(ranges.back(), "bytes=10485762-20971524");
  EXPECT_EQ(std::count(ranges.begin(), ranges.end(), "bytes=0-10485761"), 1);
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
}

TEST_F(MTCurlDownloaderTest, ARestartWithoutProgressDownloadsFromTheStart) {
  const std::string package = MakePackage(kTwoPartSize);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults broken;
  broken.getStatus = 500;
  service_.SetFaults(broken);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  std::unique_ptr<CMTCurlDownloader> downloader;
  RestartOnRetry(recorder, downloader, [&] { service_.SetFaults({}); });
  downloader = std::make_unique<CMTCurlDownloader>(recorder.Callback(), service_.Url(), target);

  downloader->Start();
  ASSERT_TRUE(recorder.WaitForEnds(2));
  downloader.reset();

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1005, 1001, 1003}));
  EXPECT_EQ(recorder.All()[1].value, 22.0);
  const std::vector<std::string> ranges = GetRanges();
  // Seven attempts per part in the failed run, then both parts from their first byte.
  ASSERT_EQ(ranges.size(), 16u);
  EXPECT_EQ(std::vector<std::string>(ranges.end() - 2, ranges.end()),
            (std::vector<std::string>{"bytes=0-10485761", "bytes=10485762-20971524"}));
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
}

TEST_F(MTCurlDownloaderTest, DestroyingItDuringARunWaitsForTheRunToEnd) {
  const std::string package = MakePackage(2 * kMiB);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults slow;
  slow.bytesPerSecond = 2 * kMiB;
  service_.SetFaults(slow);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  auto downloader = std::make_unique<CMTCurlDownloader>(recorder.Callback(), service_.Url(), target);
  downloader->Start();
  ASSERT_TRUE(service_.WaitForBytesSent(100000, std::chrono::seconds(10)));

  downloader.reset();

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1003}));
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
}

TEST_F(MTCurlDownloaderTest, RefusesAServerWhoseCertificateDoesNotVerify) {
  testsupport::Collector tlsServer(testsupport::Collector::Transport::kHttpsSelfSigned);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  CMTCurlDownloader downloader(recorder.Callback(),
                               "https://127.0.0.1:" + std::to_string(tlsServer.Port()) + "/software/226", target);

  downloader.Start();
  ASSERT_TRUE(recorder.WaitForEnds(1));

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_FALSE(testsupport::Exists(target));
  EXPECT_FALSE(testsupport::Exists(target + "_0"));
}

}  // namespace
