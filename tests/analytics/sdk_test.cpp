// The analytics core against a real collector on loopback: the exact record text, batching, the
// bounded queue, what a failed post keeps, and the staging file between two lifetimes.
#include "analytics/sdk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <regex>

#include "collector/collector.h"
#include "support/scratch.h"
#include "support/stderr_capture.h"

namespace qz_analytics {
namespace {

using testsupport::Collector;

// The record id is random; the rest of a record is fixed once its time is given.
std::string MaskTrackId(const std::string& text) {
  return std::regex_replace(text, std::regex("^\\{\"_track_id\":[0-9]{5,9},"), "{\"_track_id\":#,");
}

class SdkTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    staging_ = testsupport::NewFolder("data") + "/app_QZSQueue.txt";
  }
  void TearDown() override {
    Sdk::Shutdown();
  }
  void Start(const std::string& url, const std::string& id = "dev-1", bool login = false) {
    ASSERT_TRUE(Sdk::Init(staging_, url, id, login));
  }
  static PropertiesNode At(int64_t seconds, int milliseconds) {
    PropertiesNode properties;
    properties.SetDateTime("$time", seconds, milliseconds);
    return properties;
  }

  std::string staging_;
};

TEST_F(SdkTest, RecordsArriveAsExactTextOnePerAction) {
  Collector collector;
  Start(collector.Url());

  PropertiesNode event = At(1500000000, 250);
  event.SetString("qz_name", "立即安装 \"x\"\t\\ end");
  event.SetNumber("qz_elapsed", 12.5);
  event.SetNumber("qz_big", 1000000.0);
  event.SetNumber("qz_third", 1.0 / 3.0);
  event.SetInteger("qz_count", -7);
  event.SetBool("$is_first_time", true);
  event.SetList("qz_list", {"a", "b\nc"});
  event.SetDateTime("qz_when", 86400 + 3661, 5);
  event.SetObject("qz_nested", utils::ObjectNode());  // a property set never nests
  event.SetString("$project", "p1");
  ASSERT_TRUE(Sdk::track("QzEventClick", event));

  PropertiesNode profile = At(1500000000, 0);
  profile.SetString("qz_os", "Linux");
  ASSERT_TRUE(Sdk::profileSet(profile));
  PropertiesNode increment = At(1500000001, 999);
  increment.SetNumber("qz_consumption", 19.9);
  ASSERT_TRUE(Sdk::profileIncrement(increment));
  ASSERT_TRUE(Sdk::profileAppend("qz_label", "vip"));
  ASSERT_TRUE(Sdk::login("user-9"));

  ASSERT_TRUE(Sdk::flushAll());
  const auto texts = collector.RecordTexts();
  ASSERT_EQ(texts.size(), 5u);
  const std::string lib = R"("lib":{"$lib":"cpp","$lib_method":"code","$lib_version":"0.9"})";
  EXPECT_EQ(MaskTrackId(texts[0]),
            R"({"_track_id":#,"distinct_id":"dev-1","event":"QzEventClick",)" + lib +
                R"(,"project":"p1","properties":{"$is_first_time":true,"$lib":"cpp","$lib_version":"0.9",)"
                R"("qz_big":1e+06,"qz_count":-7,"qz_elapsed":12.5,"qz_list":["a","b\nc"],)"
                R"("qz_name":"立即安装 \"x\"\t\\ end","qz_third":0.333333,"qz_when":"1970-01-02 01:01:01.005"},)"
                R"("time":1500000000250,"type":"track"})");
  EXPECT_EQ(MaskTrackId(texts[1]), R"({"_track_id":#,"distinct_id":"dev-1",)" + lib +
                                       R"(,"properties":{"qz_os":"Linux"},"time":1500000000000,"type":"profile_set"})");
  EXPECT_EQ(MaskTrackId(texts[2]),
            R"({"_track_id":#,"distinct_id":"dev-1",)" + lib +
                R"(,"properties":{"qz_consumption":19.9},"time":1500000001999,"type":"profile_increment"})");
  EXPECT_TRUE(
      std::regex_match(MaskTrackId(texts[3]), std::regex(R"(\{"_track_id":#,"distinct_id":"dev-1","lib":\{[^}]*\},)"
                                                         R"("properties":\{"qz_label":\["vip"\]\},"time":[0-9]{13},)"
                                                         R"("type":"profile_append"\})")))
      << texts[3];
  EXPECT_TRUE(std::regex_match(
      MaskTrackId(texts[4]), std::regex(R"(\{"_track_id":#,"distinct_id":"user-9","event":"\$SignUp","lib":\{[^}]*\},)"
                                        R"("original_id":"dev-1","properties":\{"\$lib":"cpp","\$lib_version":"0.9"\},)"
                                        R"("time":[0-9]{13},"type":"track_signup"\})")))
      << texts[4];
  for (size_t i = 1; i < texts.size(); ++i) EXPECT_EQ(texts[i].find(' '), std::string::npos) << texts[i];

  const auto posts = collector.Posts();
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].path, "/sa");
  EXPECT_EQ(posts[0].query, "project=pc");
  EXPECT_EQ(posts[0].userAgent, "QzAnalytics CPP SDK 0.9");
  EXPECT_EQ(posts[0].contentType, "application/x-www-form-urlencoded");
  EXPECT_TRUE(posts[0].gzipFlag);
  EXPECT_TRUE(std::regex_match(posts[0].body, std::regex("data_list=[A-Za-z0-9%._~-]+&gzip=1")));
}

TEST_F(SdkTest, AfterLoginEveryRecordCarriesTheLoginFlag) {
  Collector collector;
  Start(collector.Url(), "dev-1", /*login=*/true);
  ASSERT_TRUE(Sdk::track("QzEventView", PropertiesNode()));
  ASSERT_TRUE(Sdk::profileSetOnce("qz_first_visit_date", "x"));
  ASSERT_TRUE(Sdk::flushAll());
  const auto records = collector.Records();
  ASSERT_EQ(records.size(), 2u);
  for (const auto& record : records) EXPECT_EQ(record["properties"]["$is_login_id"], true) << record;
  EXPECT_EQ(records[1]["type"], "profile_set_once");
  EXPECT_FALSE(records[1]["properties"].contains("$lib")) << "profile records carry no common properties";
}

TEST_F(SdkTest, AnIdWithControlCharactersStillMakesReadableRecords) {
  Collector collector;
  Start(collector.Url());
  ASSERT_TRUE(Sdk::login("user\x01\x1f"));
  ASSERT_TRUE(Sdk::flushAll());
  const auto texts = collector.RecordTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(R"("distinct_id":"user\u0001\u001f")"), std::string::npos) << texts[0];
  EXPECT_EQ(collector.Records()[0]["distinct_id"], "user\x01\x1f");
}

TEST_F(SdkTest, CommonPropertiesGoUnderTrackRecordsAndTheEventWins) {
  Collector collector;
  Start(collector.Url());
  PropertiesNode common;
  common.SetString("qz_app_id", "app");
  common.SetString("qz_edition", "china");
  Sdk::addCommonProperties(common);
  PropertiesNode own;
  own.SetString("qz_edition", "overseas");
  ASSERT_TRUE(Sdk::track("QzEventTask", own));
  ASSERT_TRUE(Sdk::trackWithInstallSource(PropertiesNode()));
  ASSERT_TRUE(Sdk::flushAll());
  const auto records = collector.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0]["properties"]["qz_app_id"], "app");
  EXPECT_EQ(records[0]["properties"]["qz_edition"], "overseas");
  EXPECT_EQ(records[1]["event"], "QzEventActivity");
  EXPECT_EQ(records[1]["properties"]["$ios_install_source"], "");
}

TEST_F(SdkTest, InvalidRecordsAreRefusedWithTheirReason) {
  struct Case {
    std::string name;
    std::function<bool()> build;
    std::string diagnostic;
  };
  PropertiesNode stringTime;
  stringTime.SetString("$time", "now");
  PropertiesNode numberProject;
  numberProject.SetInteger("$project", 1);
  PropertiesNode badKey;
  badKey.SetBool("9lives", true);
  PropertiesNode longKey;
  longKey.SetBool(std::string(101, 'k'), true);
  const std::vector<Case> cases = {
      {"event name starting with a digit", [] { return Sdk::track("1Event", {}); },
       "The Event Name need to be a valid variable name.\n"},
      {"event name of 101 characters", [] { return Sdk::track(std::string(101, 'e'), {}); },
       "The Event Name is empty or too long, max length is 100\n"},
      {"empty event name", [] { return Sdk::track("", {}); },
       "The Event Name is empty or too long, max length is 100\n"},
      {"event name with a dash", [] { return Sdk::track("Qz-Event", {}); },
       "The Event Name need to be a valid variable name.\n"},
      {"$time holding a string", [&] { return Sdk::track("E", stringTime); },
       "The property '$time' should be DateTime type.\n"},
      {"$project holding a number", [&] { return Sdk::track("E", numberProject); },
       "The property '$project' should be String type.\n"},
      {"property key starting with a digit", [&] { return Sdk::profileSet(badKey); },
       "The Property Key need to be a valid variable name.\n"},
      {"property key of 101 characters", [&] { return Sdk::profileSet(longKey); },
       "The Property Key is empty or too long, max length is 100\n"},
  };
  Start("http://127.0.0.1:9/sa");
  for (const Case& c : cases) {
    testsupport::StderrCapture capture;
    EXPECT_FALSE(c.build()) << c.name;
    EXPECT_EQ(capture.Finish(), c.diagnostic) << c.name;
  }
  EXPECT_TRUE(Sdk::QueuedRecords().empty());

  for (const std::string& name : std::vector<std::string>{"$Event", "_event", "a", std::string(100, 'z')}) {
    EXPECT_TRUE(Sdk::track(name, {})) << name;
  }
  EXPECT_EQ(Sdk::QueuedRecords().size(), 4u);
}

TEST_F(SdkTest, StringPropertiesThatAreNotCleanTextAreLeftOut) {
  struct Case {
    std::string value;
    bool kept;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"tab\there", true, ""},
      {"line\r\nfeed", true, ""},
      {"form\ffeed", false, "is not valid UTF-8 string"},
      {"del\x7f", false, "is not valid UTF-8 string"},
      {"\xC0\xAF overlong", false, "is not valid UTF-8 string"},
      {"\xED\xA0\x80 surrogate", false, "is not valid UTF-8 string"},
      {"cut \xE6\xBE", false, "is not valid UTF-8 string"},
      {"\xF4\x90\x80\x80 beyond", false, "is not valid UTF-8 string"},
      {"\xF0\x9F\x98\x80 emoji", true, ""},
      {std::string(8192, 'x'), true, ""},
      {std::string(8193, 'x'), false, "is too long"},
  };
  for (const Case& c : cases) {
    PropertiesNode properties;
    testsupport::StderrCapture capture;
    properties.SetString("qz_value", c.value);
    const std::string diagnostic = capture.Finish();
    EXPECT_EQ(properties.Contains("qz_value"), c.kept) << c.value.substr(0, 20);
    if (c.kept) {
      EXPECT_EQ(diagnostic, "");
    } else {
      EXPECT_EQ(diagnostic.rfind("String property 'qz_value' " + c.reason + ", value: ", 0), 0u) << diagnostic;
    }
  }
}

TEST_F(SdkTest, NumbersThatJsonCannotCarryAreLeftOut) {
  PropertiesNode properties;
  testsupport::StderrCapture capture;
  properties.SetNumber("qz_nan", std::nan(""));
  properties.SetNumber("qz_inf", -HUGE_VAL);
  properties.SetNumber("qz_tiny", 1e-300);
  EXPECT_EQ(capture.Finish(),
            "Number property 'qz_nan' is not a finite number, value: nan\n"
            "Number property 'qz_inf' is not a finite number, value: -inf\n");
  EXPECT_EQ(properties.ToJson(), R"({"qz_tiny":1e-300})");
}

TEST_F(SdkTest, WithoutACoreNothingIsBuilt) {
  EXPECT_FALSE(Sdk::track("E", {}));
  EXPECT_FALSE(Sdk::flushAll());
  testsupport::StderrCapture capture;
  EXPECT_FALSE(Sdk::Init(staging_, "http://127.0.0.1:9/sa", "", false));
  EXPECT_FALSE(Sdk::Init(staging_, "http://127.0.0.1:9/sa", std::string(256, 'i'), false));
  EXPECT_EQ(capture.Finish(), "The Distinct ID is empty.\nThe Distinct ID is too long, max length is 255.\n");
  EXPECT_FALSE(Sdk::Exists());
  EXPECT_TRUE(Sdk::Init(staging_, "http://127.0.0.1:9/sa", std::string(255, 'i'), false));
  EXPECT_TRUE(Sdk::Init(staging_, "http://other/", "second", true)) << "a second Init changes nothing";
  EXPECT_EQ(Sdk::distinctId(), std::string(255, 'i'));
  EXPECT_FALSE(Sdk::isLoginId());
}

TEST_F(SdkTest, ThirtyOneRecordsGoOutAsThirtyAndOne) {
  Collector collector;
  Start(collector.Url());
  for (int i = 0; i < 31; ++i) {
    PropertiesNode properties;
    properties.SetInteger("qz_index", i);
    ASSERT_TRUE(Sdk::track("E", properties));
  }
  ASSERT_TRUE(Sdk::flushAll());
  const auto posts = collector.Posts();
  ASSERT_EQ(posts.size(), 2u);
  EXPECT_EQ(posts[0].batch.size(), 30u);
  EXPECT_EQ(posts[1].batch.size(), 1u);
  const auto records = collector.Records();
  for (int i = 0; i < 31; ++i) EXPECT_EQ(records[i]["properties"]["qz_index"], i);
  EXPECT_TRUE(Sdk::QueuedRecords().empty());
}

TEST_F(SdkTest, AFullQueueDropsItsOldestRecord) {
  Start("http://127.0.0.1:9/sa");
  for (int i = 0; i < 1025; ++i) {
    PropertiesNode properties;
    properties.SetInteger("qz_index", i);
    ASSERT_TRUE(Sdk::track("E", properties));
  }
  const auto queued = Sdk::QueuedRecords();
  ASSERT_EQ(queued.size(), 1024u);
  EXPECT_NE(queued.front().find("\"qz_index\":1}"), std::string::npos) << queued.front();
  EXPECT_NE(queued.back().find("\"qz_index\":1024}"), std::string::npos);
}

TEST(RecordQueueTest, AFailedBatchPutsBackOnlyWhatStillFits) {
  // While the batch of 30 is on its way, 1010 newer records arrive: only 14 places are free, and
  // they go to the newest records of the batch, in their order.
  RecordQueue* queue = nullptr;
  RecordQueue q("http://unused", "", [&](const std::string&, std::string_view) {
    for (int i = 0; i < 1010; ++i) queue->send("{\"new\":" + std::to_string(i) + "}");
    return false;
  });
  queue = &q;
  for (int i = 0; i < 30; ++i) q.send("{\"old\":" + std::to_string(i) + "}");
  EXPECT_FALSE(q.flushBatch());
  const auto records = q.Snapshot();
  ASSERT_EQ(records.size(), 1024u);
  for (int i = 0; i < 14; ++i) EXPECT_EQ(records[i], "{\"old\":" + std::to_string(16 + i) + "}");
  EXPECT_EQ(records[14], "{\"new\":0}");
  EXPECT_EQ(records.back(), "{\"new\":1009}");
}

TEST(RecordQueueTest, AFailedBatchIntoAFullQueuePutsNothingBack) {
  RecordQueue* queue = nullptr;
  RecordQueue q("http://unused", "", [&](const std::string&, std::string_view) {
    for (int i = 0; i < 1024; ++i) queue->send("{\"new\":" + std::to_string(i) + "}");
    return false;
  });
  queue = &q;
  q.send("{\"old\":0}");
  EXPECT_FALSE(q.flushAll());
  const auto records = q.Snapshot();
  ASSERT_EQ(records.size(), 1024u);
  EXPECT_EQ(records.front(), "{\"new\":0}");
}

// Every way a post can fail keeps the batch queued, in order, and a later flush delivers it once.
TEST_F(SdkTest, RefusedPostsKeepTheRecordsForTheNextFlush) {
  struct Case {
    const char* name;
    Collector::Answer answer;
    Collector::Transport transport;
    std::string diagnostic;
  };
  const std::vector<Case> cases = {
      {"status 500", Collector::Answer::kStatus, Collector::Transport::kHttp,
       "QzAnalytics SDK send failed: collector refused the batch\n"},
      {"closed mid-answer", Collector::Answer::kCloseConnection, Collector::Transport::kHttp,
       "QzAnalytics SDK send failed: Transferred a partial file\n"},
      {"self-signed certificate", Collector::Answer::kAccept, Collector::Transport::kHttpsSelfSigned,
       "QzAnalytics SDK send failed: SSL peer certificate or SSH remote key was not OK\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Collector collector(c.transport);
    collector.SetAnswer(c.answer);
    Start(collector.Url());
    for (int i = 0; i < 35; ++i) {
      PropertiesNode properties;
      properties.SetInteger("qz_index", i);
      ASSERT_TRUE(Sdk::track("E", properties));
    }
    testsupport::StderrCapture capture;
    EXPECT_FALSE(Sdk::flushAll());
    EXPECT_EQ(capture.Finish(), c.diagnostic);
    const auto queued = Sdk::QueuedRecords();
    ASSERT_EQ(queued.size(), 35u);
    EXPECT_NE(queued.front().find("\"qz_index\":0}"), std::string::npos);

    if (c.transport == Collector::Transport::kHttp) {
      collector.SetAnswer(Collector::Answer::kAccept);
      EXPECT_TRUE(Sdk::flushAll());
      const auto posts = collector.Posts();
      ASSERT_EQ(posts.size(), 3u) << "the failed batch, then 30 and 5";
      std::vector<nlohmann::json> delivered(posts[1].batch.begin(), posts[1].batch.end());
      delivered.insert(delivered.end(), posts[2].batch.begin(), posts[2].batch.end());
      ASSERT_EQ(delivered.size(), 35u);
      for (int i = 0; i < 35; ++i) EXPECT_EQ(delivered[i]["properties"]["qz_index"], i);
    } else {
      EXPECT_TRUE(collector.Posts().empty()) << "nothing may reach an unverified collector";
    }
    Sdk::Shutdown();
    std::remove(staging_.c_str());
  }
}

TEST_F(SdkTest, ACollectorThatNeverAnswersCostsThreeSecondsAPost) {
  Collector collector;
  collector.SetAnswer(Collector::Answer::kStall);
  Start(collector.Url());
  ASSERT_TRUE(Sdk::track("E", {}));
  testsupport::StderrCapture capture;
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(Sdk::flushAll());
  const auto elapsed = std::chrono::steady_clock::now() - started;
  EXPECT_GE(elapsed, std::chrono::milliseconds(2900));
  EXPECT_LT(elapsed, std::chrono::milliseconds(5500));
  EXPECT_EQ(capture.Finish().rfind("QzAnalytics SDK send failed: Timeout was reached", 0), 0u);
  EXPECT_EQ(Sdk::QueuedRecords().size(), 1u);
}

TEST_F(SdkTest, GarbageInA200AnswerStillCountsAsAccepted) {
  Collector collector;
  collector.SetAnswer(Collector::Answer::kGarbage);
  Start(collector.Url());
  ASSERT_TRUE(Sdk::track("E", {}));
  EXPECT_TRUE(Sdk::flushAll());
  EXPECT_TRUE(Sdk::QueuedRecords().empty());
  EXPECT_EQ(collector.Records().size(), 1u);
}

TEST_F(SdkTest, UnsentRecordsWaitInTheStagingFileForTheNextLifetime) {
  Start("http://127.0.0.1:9/sa");  // nothing listens on the discard port
  for (int i = 0; i < 3; ++i) {
    PropertiesNode properties;
    properties.SetInteger("qz_index", i);
    ASSERT_TRUE(Sdk::track("E", properties));
  }
  testsupport::StderrCapture quiet;
  EXPECT_FALSE(Sdk::flushAll());
  Sdk::Shutdown();
  quiet.Finish();

  // Lines that are not records are skipped when the file is read back.
  testsupport::WriteFile(staging_, testsupport::ReadFile(staging_) + "\n  \nnot a record\n{broken\n");

  Collector collector;
  Start(collector.Url());
  PropertiesNode properties;
  properties.SetInteger("qz_index", 3);
  ASSERT_TRUE(Sdk::track("E", properties));
  ASSERT_TRUE(Sdk::flushAll());
  const auto records = collector.Records();
  ASSERT_EQ(records.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(records[i]["properties"]["qz_index"], i);
  EXPECT_EQ(testsupport::ReadFile(staging_), "") << "restored records are not kept twice";
  Sdk::Shutdown();
  EXPECT_EQ(testsupport::ReadFile(staging_), "");
}

}  // namespace
}  // namespace qz_analytics
