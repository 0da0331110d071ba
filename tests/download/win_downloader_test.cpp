#include "download/win_downloader.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <thread>

#include "download/download_fixture.h"
#include "support/scratch.h"

namespace {

using downloadtest::DownloadTest;
using downloadtest::MakePackage;
using downloadtest::Seconds;
using downloadtest::StatusRecorder;
using testsupport::LinkService;

using WinDownloaderTest = DownloadTest;

TEST(WinDownloaderAddressTest, EncodesEverythingButPrintableAsciiExceptLocalFiles) {
  struct Case {
    std::string url;
    std::string address;
  };
  const Case cases[] = {
      {"http://h/安装 包.exe", "http://h/%E5%AE%89%E8%A3%85+%E5%8C%85.exe"},
      {"http://h/a%20b?x=1&y=2", "http://h/a%20b?x=1&y=2"},
      {"file:///tmp/安装 包.exe", "file:///tmp/安装 包.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(CWinDownloader::RequestAddress(c.url), c.address);
}

TEST(WinDownloaderBindCallbackTest, ReportsFractionsOfAKnownSizeAndCancelsOnceAborted) {
  StatusRecorder recorder;
  CWinDownloader::CBindCallback bind;
  bind.callback = recorder.Callback();

  EXPECT_EQ(bind.OnProgress(100, 0), CWinDownloader::kOk);
  EXPECT_EQ(bind.OnProgress(1, 4), CWinDownloader::kOk);
  // Sizes past 4 GiB keep their fraction.
  EXPECT_EQ(bind.OnProgress(3ull << 32, 4ull << 32), CWinDownloader::kOk);
  bind.abort = true;
  EXPECT_EQ(bind.OnProgress(2, 4), CWinDownloader::kAbort);

  EXPECT_EQ(recorder.ProgressValues(), (std::vector<double>{0.25, 0.75}));
}

TEST_F(WinDownloaderTest, DownloadsThroughTheRedirectWithoutAnyCheck) {
  const std::string package = MakePackage(300000);
  service_.ServeFile(package, "setup.exe");
  LinkService::Faults faults;
  faults.md5 = LinkService::Md5Segment::kWrong;
  faults.bytesPerSecond = 200000;
  service_.SetFaults(faults);
  const std::string target = NewTarget();
  StatusRecorder recorder;
  CWinDownloader downloader(recorder.Callback(), service_.Url(), target);

  downloader.Start();
  ASSERT_TRUE(recorder.WaitForEnds(1));

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1003}));
  EXPECT_EQ(recorder.All().back().text, "URLDownloadToFile");
  EXPECT_EQ(testsupport::ReadFile(target), testsupport::ReadFile(package));
  const std::vector<double> values = recorder.ProgressValues();
  ASSERT_GE(values.size(), 2u);
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_GT(values[i], 0.0);
    EXPECT_LE(values[i], 1.0);
  }
  EXPECT_EQ(values.back(), 1.0);
  EXPECT_EQ(service_.CountRequests("HEAD"), 0);
}

TEST_F(WinDownloaderTest, SendsTheEncodedAddress) {
  service_.ServeFile(MakePackage(1000), "setup.exe");
  StatusRecorder recorder;
  CWinDownloader downloader(recorder.Callback(), service_.Origin() + "/dir with space/安装包.exe", NewTarget());

  downloader.Start();
  ASSERT_TRUE(recorder.WaitForEnds(1));

  ASSERT_EQ(service_.Requests().size(), 1u);
  EXPECT_EQ(service_.Requests()[0].target, "/dir+with+space/%E5%AE%89%E8%A3%85%E5%8C%85.exe");
}

TEST_F(WinDownloaderTest, TriesThreeTimesOneSecondApart) {
  struct Case {
    int faultyGets;
    std::vector<int32_t> codes;
    int gets;
    double minimumSeconds;
  };
  const Case cases[] = {
      {2, {1001, 1003}, 3, 2.0},
      {-1, {1001, 1004}, 3, 3.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faultyGets);
    LinkService service;
    service.ServeFile(MakePackage(1000), "setup.exe");
    LinkService::Faults faults;
    faults.getStatus = 500;
    faults.faultyGets = c.faultyGets;
    service.SetFaults(faults);
    StatusRecorder recorder;
    CWinDownloader downloader(recorder.Callback(), service.Url(), NewTarget());

    downloader.Start();
    ASSERT_TRUE(recorder.WaitForEnds(1));

    const auto statuses = recorder.All();
    EXPECT_EQ(recorder.Codes(), c.codes);
    EXPECT_EQ(service.CountRequests("GET"), 2 * c.gets);  // the link and the package each time
    EXPECT_GE(Seconds(statuses.back().at - statuses.front().at), c.minimumSeconds);
    if (c.codes.back() == DL_CODE_FAIL) {
      EXPECT_LT(statuses.back().value, 0.0);
      EXPECT_EQ(statuses.back().value, static_cast<double>(CWinDownloader::kInternetError | CURLE_HTTP_RETURNED_ERROR));
      EXPECT_EQ(statuses.back().text, "URLDownloadToFile");
    }
  }
}

TEST_F(WinDownloaderTest, RunsOnlyOnce) {
  service_.ServeFile(MakePackage(1000), "setup.exe");
  StatusRecorder recorder;
  CWinDownloader downloader(recorder.Callback(), service_.Url(), NewTarget());
  downloader.Start();
  ASSERT_TRUE(recorder.WaitForEnds(1));

  downloader.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1003}));
  EXPECT_EQ(service_.CountRequests("GET"), 2);  // the link and the package
}

TEST_F(WinDownloaderTest, DestroyingItDuringATransferReturnsPromptly) {
  service_.ServeFile(MakePackage(500000), "setup.exe");
  LinkService::Faults faults;
  faults.stallAfterBytes = 100000;
  service_.SetFaults(faults);
  StatusRecorder recorder;
  auto downloader = std::make_unique<CWinDownloader>(recorder.Callback(), service_.Url(), NewTarget());
  downloader->Start();
  ASSERT_TRUE(service_.WaitForStall(std::chrono::seconds(10)));

  const auto before = std::chrono::steady_clock::now();
  downloader.reset();

  EXPECT_LT(Seconds(std::chrono::steady_clock::now() - before), 2.0);
  EXPECT_EQ(recorder.Codes(), (std::vector<int32_t>{1001, 1004}));
  EXPECT_EQ(recorder.All().back().value, static_cast<double>(CWinDownloader::kAbort));
}

TEST_F(WinDownloaderTest, ADownloaderThatNeverStartedReportsNothing) {
  StatusRecorder recorder;
  { CWinDownloader downloader(recorder.Callback(), service_.Url(), NewTarget()); }
  EXPECT_TRUE(recorder.All().empty());
  EXPECT_TRUE(service_.Requests().empty());
}

}  // namespace
