#pragma once
// The event catalogue of the tracker: event kinds, the enumerations whose text forms become
// property values, and the argument record of each track operation.
#include <cstdint>
#include <memory>
#include <string>

namespace vemra::tracking {

enum class QzEvent {
  Activity = 0,
  PaLaunchPal = 1,
  Login = 2,
  Click = 3,
  View = 4,
  Cashier = 5,
  Share = 6,
  Task = 7,
  File = 8,
  Order = 9,
  Payment = 10,
  Uninstall = 11,
  Update = 12,
  Crashed = 13,
  AppOpenNotification = 14,
};

enum class Edition { China = 0, Overseas = 1 };
enum class UserType {
  Unknown = 0,
  MobilePhone,
  Email,
  Weixin,
  QQ,
  DeviceId,
  Baidu,
  Huawei,
  Apple,
  VemraUserId,
  Google,
  Facebook
};
enum class QzResult { Success = 0, Cancelled = 1, Fail = 2, Unknown = 3 };
enum class ClickType { Button = 0, Banner = 1, Tutorial = 2, File = 3, Others = 4 };
enum class IoType { Input = 0, Output = 1 };
enum class Currency { CNY = 0, USD, EUR, HKD, TWD, MOP, SGD, JPY, KRW, INR, GBP };
enum class PaidPlatform {
  Alipay = 0,
  WeChatPay,
  PayPal,
  Tenpay,
  CIECC,
  GooglePay,
  HuaweiPay,
  AppleIAP,
  Paddle,
  ChinaUnionPay
};
enum class QzIapType { Consumable = 0, NonConsumable, AutoRenewable, NonRenewable };
enum class QzUpdateOp { UpdateCheck = 0, DownloadStart, DownloadEnd, UpgrateStart, UpgrateEnd };
enum class QzUpdateResult { Success = 0, Cancelled, Timeout, Fail, Latest, Updateable };

// Text forms; a value outside its table raises QzException.
std::string toString(Edition value);
std::string toString(UserType value);
std::string toString(QzResult value);
std::string toString(ClickType value);
std::string toString(IoType value);
std::string toString(Currency value);
std::string toString(PaidPlatform value);
std::string toString(QzIapType value);
std::string toString(QzUpdateOp value);
std::string toString(QzUpdateResult value);

// Optional numbers are shared holders: absent when empty.
template <typename T>
using Optional = std::shared_ptr<T>;

template <typename T>
Optional<T> Some(T value) {
  return std::make_shared<T>(value);
}

struct QzEventClick {
  std::string aname;
  std::string name;
  ClickType clickType = ClickType::Others;
  std::string title;
  std::string module;
  std::string position;
  Optional<int> tabIndex;
  std::string tabName;
  Optional<int> bannerIndex;
  std::string bannerName;
};

struct QzEventView {
  std::string aname;
  std::string name;
  std::string title;
  std::string position;
};

struct QzEventCashier {
  std::string qz_cashier_name;
  std::string qz_cashier_title;
  std::string qz_subitem;
};

struct QzEventShare {
  std::string aname;
  std::string channel;
  std::string position;
  std::string sharedName;
  Optional<QzResult> result;
};

struct QzEventTask {
  std::string aname;
  std::string name;
  std::string reason;
  Optional<float> elapsed;
  Optional<QzResult> result;
};

struct QzEventFile {
  std::string aname;
  std::string name;
  Optional<IoType> io;
  std::string ext;
  Optional<float> size;
  Optional<int> duration;
  Optional<float> fps;
  Optional<float> bps;
  Optional<int> width;
  Optional<int> height;
  Optional<int> depth;
  Optional<QzResult> result;
};

struct QzEventOrder {
  std::string qzOrderId;
  std::string qzSubitem;
  std::string qzSku;
  std::string qzSuitId;
  Optional<Currency> qzCurrency;
  float originalAmount = 0;
  std::string qzVoucherId;
  float paidAmount = 0;
  std::string qzCashierName;
  std::string qzCashierTitle;
  Optional<int> qzCampaignCode;
  float curOriginalAmount = 0;
  float curPaidAmount = 0;
};

struct QzEventPayment {
  std::string qzOrderId;
  std::string qzSubitem;
  std::string qzSku;
  Optional<Currency> qzCurrency;
  float originalAmount = 0;
  Optional<int> qzCampaignCode;
  std::string qzVoucherId;
  std::string qzUsedVoucherId;
  float paidAmount = 0;
  std::string qzSuitId;
  std::string qzCashierName;
  std::string qzCashierTitle;
  Optional<PaidPlatform> qzPaidPlatform;
  Optional<QzResult> result;
  Optional<QzIapType> qzIapType;
  float curOriginalAmount = 0;
  float curPaidAmount = 0;
};

struct QzEventUpdate {
  QzUpdateOp op = QzUpdateOp::UpdateCheck;
  Optional<QzUpdateResult> result;
  Optional<float> elapsed;
};

struct AppOpenNotification {
  std::string msgTitle;
  std::string msgContent;
  std::string linkUrl;
  std::string planID;
  std::string audienceId;
  std::string planStrategyId;
  std::string planType;
  std::string strategyUnitId;
};

struct QzUserInfo {
  std::string userId;
  std::string userName;
  UserType userType = UserType::Unknown;
  std::string nickname;
  std::string portrait;
  std::string mobilephone;
  std::string email;
  std::string weixin;
  std::string qq;
  std::string did;
  int64_t created = 0;    // seconds since 1970; not positive = absent
  int64_t lastLogin = 0;  // likewise
  std::string lastIp;
  int vipLevel = 0;
  int64_t vipEndDate = 0;  // likewise
};

}  // namespace vemra::tracking
