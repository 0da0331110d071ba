#include "ui/skin_package.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "utils/resources.h"

namespace {

struct Entry {
  std::string name;
  std::string content;
  bool directory = false;
};

// A 7z archive made in memory, with folder entries where the test asks for them.
std::string Make7z(const std::vector<Entry>& entries) {
  archive* writer = archive_write_new();
  archive_write_set_format_7zip(writer);
  archive_write_set_format_option(writer, "7zip", "compression", "lzma2");
  std::vector<char> buffer(16 * 1024 * 1024);
  size_t used = 0;
  archive_write_open_memory(writer, buffer.data(), buffer.size(), &used);
  for (const Entry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_filetype(entry, e.directory ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, e.directory ? 0 : static_cast<la_int64_t>(e.content.size()));
    archive_write_header(writer, entry);
    if (!e.directory && !e.content.empty()) archive_write_data(writer, e.content.data(), e.content.size());
    archive_entry_free(entry);
  }
  archive_write_close(writer);
  archive_write_free(writer);
  return std::string(buffer.data(), used);
}

std::span<const std::byte> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

class SkinPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archive_ = Make7z({{"res", "", true},
                       {"res/mainWnd", "", true},
                       {"mainWnd.xml", "<Window/>"},
                       {"res/mainWnd/Cb1.png", "png-bytes"},
                       {"empty.xml", ""},
                       {"big.xml", std::string(kLimit + 1, 'x')},
                       {"limit.xml", std::string(kLimit, 'x')}});
    ASSERT_TRUE(package_.Open(Bytes(archive_))) << package_.LastError();
  }
  static constexpr size_t kLimit = SkinUI::kMaxMarkupBytes;
  std::string archive_;
  SkinUI::SkinPackage package_;
};

TEST_F(SkinPackageTest, FindsFilesByNameIgnoringCaseAndSeparator) {
  struct Case {
    const char* request;
    const char* expected;  // null: not found
  } cases[] = {
      {"MainWnd.xml", "<Window/>"},
      {"mainWnd.xml", "<Window/>"},
      {"res\\mainWnd\\Cb1.png", "png-bytes"},
      {"RES/MAINWND/CB1.PNG", "png-bytes"},
      {"res\\mainWnd\\cb1.png", "png-bytes"},
      {"res/mainWnd/Cb2.png", nullptr},
      {"res", nullptr},  // folders are not files
      {"res/mainWnd", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    const std::string* found = package_.Find(c.request);
    if (c.expected) {
      ASSERT_NE(found, nullptr) << c.request;
      EXPECT_EQ(*found, c.expected) << c.request;
    } else {
      EXPECT_EQ(found, nullptr) << c.request;
    }
  }
  EXPECT_EQ(package_.FileCount(), 5u);  // the two folder entries are skipped
}

TEST_F(SkinPackageTest, ReadMarkupReportsTheLoaderErrors) {
  struct Case {
    const char* request;
    bool ok;
    const char* error;
  } cases[] = {
      {"MAINWND.XML", true, ""},
      {"missing.xml", false, "Could not find ziped file"},
      {"empty.xml", false, "File is empty"},
      {"big.xml", false, "File too large"},
      {"limit.xml", true, ""},  // exactly 4 MiB is still accepted
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(package_.ReadMarkup(c.request, text), c.ok) << c.request;
    if (!c.ok) {
      EXPECT_EQ(package_.LastError(), c.error) << c.request;
    }
  }
}

TEST(SkinPackageOpen, RefusesWhatIsNotAWholeArchive) {
  const std::string good = Make7z({{"a.xml", std::string(100000, 'a')}});
  const std::string cases[] = {
      "", "not an archive at all", good.substr(0, 6),  // the signature only
      good.substr(0, good.size() / 2),                 // cut in the middle
  };
  for (const std::string& bytes : cases) {
    SkinUI::SkinPackage package;
    EXPECT_FALSE(package.Open(Bytes(bytes))) << bytes.size();
    EXPECT_FALSE(package.IsOpen());
    EXPECT_EQ(package.Find("a.xml"), nullptr);
    EXPECT_FALSE(package.LastError().empty());
    std::string text;
    EXPECT_FALSE(package.ReadMarkup("a.xml", text));
  }
}

TEST(SkinPackageEmbedded, HoldsTheSixMarkupFilesAndTheirImages) {
  const std::span<const std::byte> resource = Utils::FindResource("SKINRES", 147);
  ASSERT_GT(resource.size(), 6u);
  EXPECT_EQ(std::memcmp(resource.data(), "7z\xBC\xAF\x27\x1C", 6), 0);
  EXPECT_EQ(Utils::FindResource("skinres", 147).data(), resource.data());  // type names ignore case
  EXPECT_TRUE(Utils::FindResource("SKINRES", 148).empty());

  SkinUI::SkinPackage* package = SkinUI::SkinPackage::Embedded();
  ASSERT_NE(package, nullptr);
  EXPECT_EQ(SkinUI::SkinPackage::Embedded(), package);  // opened once, shared afterwards
  for (const char* name : {"MainWnd.xml", "MessageBox1Wnd.xml", "MessageBox2Wnd.xml", "NetworkTipWnd.xml",
                           "ExitTipWnd.xml", "InstalledPathTipWnd.xml"}) {
    std::string text;
    EXPECT_TRUE(package->ReadMarkup(name, text)) << name << ": " << package->LastError();
    EXPECT_NE(text.find("\r\n"), std::string::npos) << name;
    EXPECT_NE(text.substr(0, 3), "\xEF\xBB\xBF") << name;
  }
  for (int frame = 0; frame < 100; ++frame) {
    char name[64];
    std::snprintf(name, sizeof name, "res\\mainWnd\\installBtnAnimate\\%.3d.png", frame);
    EXPECT_NE(package->Find(name), nullptr) << name;
  }
  // The skins name three disabled-state images that the package leaves out on purpose.
  for (const char* name : {"res\\common\\minbtn4.png", "res\\common\\closebtn4.png", "res\\common\\closebtnM_4.png"}) {
    EXPECT_EQ(package->Find(name), nullptr) << name;
  }
  EXPECT_EQ(SkinUI::SkinPackage::Embedded(999), nullptr);
}

TEST(ResourceTable, RegistersEachTypeAndIdOnce) {
  static const std::byte first[] = {std::byte{1}, std::byte{2}};
  static const std::byte second[] = {std::byte{3}};
  EXPECT_TRUE(Utils::RegisterResource("TESTRES", 5, first));
  EXPECT_FALSE(Utils::RegisterResource("testres", 5, second));
  EXPECT_TRUE(Utils::RegisterResource("TESTRES", 6, second));
  EXPECT_EQ(Utils::FindResource("TestRes", 5).data(), first);
  EXPECT_EQ(Utils::FindResource("TESTRES", 6).size(), 1u);
  EXPECT_TRUE(Utils::FindResource("OTHER", 5).empty());
}

}  // namespace
