#include "analytics/tracker_types.h"

#include <array>

#include "analytics/qz_exception.h"

namespace vemra::tracking {

namespace {

template <typename Enum, size_t N>
std::string TextOf(Enum value, const std::array<const char*, N>& texts, const char* function, const char* prefix) {
  const int number = static_cast<int>(value);
  if (number < 0 || static_cast<size_t>(number) >= N) {
    QZ_RAISE(function, std::string(prefix) + std::to_string(number) + "]!");
  }
  return texts[number];
}

}  // namespace

std::string toString(Edition value) {
  return TextOf(value, std::array{"china", "overseas"}, "toString", "Unknown edition [");
}

std::string toString(UserType value) {
  static constexpr std::array texts{"unknown", "mobilephone", "email", "weixin",      "qq",     "deviceid",
                                    "baidu",   "huawei",      "apple", "vemrauserid", "google", "facebook"};
  return TextOf(value, texts, "userType", "Unknown user type [");
}

std::string toString(QzResult value) {
  return TextOf(value, std::array{"Success", "Cancelled", "Fail", "Unknown"}, "toString", "Unknown task result [");
}

std::string toString(ClickType value) {
  return TextOf(value, std::array{"Button", "Banner", "Tutorial", "File", "Others"}, "toString", "Unknown ClickType [");
}

std::string toString(IoType value) {
  if (value == IoType::Input) return "Input";
  if (value == IoType::Output) return "Output";
  QZ_RAISE("toString", "the io type is invalid");
}

std::string toString(Currency value) {
  static constexpr std::array texts{"CNY", "USD", "EUR", "HKD", "TWD", "MOP", "SGD", "JPY", "KRW", "INR", "GBP"};
  return TextOf(value, texts, "toString", "Unknown currency [");
}

std::string toString(PaidPlatform value) {
  static constexpr std::array texts{"Alipay",    "WeChatPay", "PayPal",   "Tenpay", "CIECC",
                                    "GooglePay", "HuaweiPay", "AppleIAP", "Paddle", "ChinaUnionPay"};
  return TextOf(value, texts, "toString", "Unknown paid platform [");
}

std::string toString(QzIapType value) {
  return TextOf(value, std::array{"Consumable", "NonConsumable", "AutoRenewable", "NonRenewable"}, "toString",
                "Unknown qzIapType [");
}

std::string toString(QzUpdateOp value) {
  return TextOf(value, std::array{"UpdateCheck", "DownloadStart", "DownloadEnd", "UpgrateStart", "UpgrateEnd"},
                "toString", "Unknown QzUpdateOp [");
}

std::string toString(QzUpdateResult value) {
  return TextOf(value, std::array{"Success", "Cancelled", "Timeout", "Fail", "Latest", "Updateable"}, "toString",
                "Unknown QzUpdateResult [");
}

}  // namespace vemra::tracking
