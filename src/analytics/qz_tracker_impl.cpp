#include "analytics/qz_tracker_impl.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "analytics/collector_url.h"
#include "analytics/device_facts.h"
#include "analytics/native_user_tracker.h"
#include "analytics/qz_exception.h"
#include "analytics/sdk.h"
#include "utils/special_folders.h"

namespace vemra::tracking {

namespace {

using qz_analytics::Sdk;

constexpr char kInstallSource[] = "android_id=123##imei=1234##mac=123";
constexpr int kFlushAttempts = 3;

std::string FormatAmount(float amount) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(amount));
  return text;
}

void PauseOneMillisecond() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

void SetIfNotEmpty(qz_analytics::PropertiesNode& properties, const std::string& key, const std::string& value) {
  if (!value.empty()) properties.SetString(key, value);
}

template <typename T>
void SetIntegerIfPresent(qz_analytics::PropertiesNode& properties, const std::string& key, const Optional<T>& value) {
  if (value) properties.SetInteger(key, *value);
}

void SetNumberIfPresent(qz_analytics::PropertiesNode& properties, const std::string& key,
                        const Optional<float>& value) {
  if (value) properties.SetNumber(key, *value);
}

void SetNumberIfPositive(qz_analytics::PropertiesNode& properties, const std::string& key, float value) {
  if (value > 0) properties.SetNumber(key, value);
}

// Task, file and share results are sent for Success, Cancelled and Fail only.
bool IsReportedResult(const Optional<QzResult>& result) {
  return result && (*result == QzResult::Success || *result == QzResult::Cancelled || *result == QzResult::Fail);
}

}  // namespace

QzTrackerImpl::QzTrackerImpl(TrackerConfig config) : QzTrackerImpl(std::move(config), Utils::ExecutableFolder()) {}

QzTrackerImpl::QzTrackerImpl(TrackerConfig config, std::string exeFolder)
    : config_(std::move(config)), exeFolder_(std::move(exeFolder)) {
  context_.logPath = config_.logPath;
}

QzTrackerImpl::~QzTrackerImpl() {
  if (!context_.identityFile.empty()) saveIdentity(context_);
  if (context_.pendingCount > 0) {
    for (int attempt = 0; attempt < kFlushAttempts; ++attempt) {
      if (Sdk::flushAll()) {
        context_.pendingCount = 0;
        break;
      }
    }
  }
  Sdk::Shutdown();
  if (logger_) logger_->Close();
  logger_.reset();
}

void QzTrackerImpl::init() {
  if (config_.appName.empty()) QZ_RAISE("init", "appName is empty");
  if (config_.appVersion.empty()) QZ_RAISE("init", "appVersion is empty");
  if (config_.appStore.empty()) QZ_RAISE("init", "appStore is empty");

  context_.pendingCount = 0;
  resolveFolders(context_, exeFolder_, config_.appName);
  collectorUrl_ = config_.serverUrl.empty() ? std::string(kDefaultCollectorUrl) : config_.serverUrl;
  loadIdentity(context_, collectorUrl_);
  logger_ = std::make_unique<NativeTrackLogger>();
  logger_->Open(context_.logPath);

  const bool loggedIn = context_.loggedIn;
  if (!Sdk::Init(stagingFilePath(context_, config_.appName), collectorUrl_,
                 loggedIn ? context_.userId : context_.distinctId, loggedIn)) {
    QZ_RAISE("init", "qz_analytics::Sdk::Init is failed");
  }

  Properties common;
  common.SetString("qz_app_id", config_.appName);
  common.SetString("$app_version", config_.appVersion);
  common.SetString("$app_id", config_.appName);
  common.SetString("qz_app_store", config_.appStore);
  common.SetString("qz_edition", toString(config_.edition));
  SetIfNotEmpty(common, "qz_dlapp_id", config_.dlAppId);
  SetIfNotEmpty(common, "qz_dlapp_version", config_.dlAppVersion);
  const OsDescription os = osNameAndVersion();
  common.SetString("qz_app_platform", os.name);
  common.SetString("qz_track_type", "Client");
  common.SetString("qz_sdk_version", "3.3.8");
  common.SetString("qz_sdk", "WindowsCPP");
  common.SetString("$os", os.name);
  common.SetString("$os_version", os.version);
  common.Merge(localeCommonProperties());
  const ScreenSize screen = primaryScreenSize();
  common.SetInteger("$screen_height", screen.height);
  common.SetInteger("$screen_width", screen.width);
  SetIfNotEmpty(common, "qz_user_id", context_.userId);
  Sdk::addCommonProperties(common);

  writeInstallRecord(context_, config_.appStore, config_.appName, config_.appVersion);
}

QzTrackerImpl::Properties QzTrackerImpl::localeCommonProperties() const {
  const Locale locale = localeProperties(context_.locale);
  Properties properties;
  properties.SetString("qz_l10n_locale", locale.locale);
  properties.SetString("qz_l10n_language", locale.language);
  properties.SetString("qz_l10n_country", locale.country);
  return properties;
}

void QzTrackerImpl::send(QzEvent event, const char* eventName, Properties& properties,
                         const QzContextProperties& props) {
  AddContextProperties(props, static_cast<int>(event), properties);
  Sdk::track(eventName, properties);
}

void QzTrackerImpl::flushNow() {
  for (int attempt = 0; attempt < kFlushAttempts && context_.pendingCount > 0; ++attempt) {
    if (Sdk::flushAll()) {
      context_.pendingCount = 0;
      return;
    }
    PauseOneMillisecond();
  }
}

void QzTrackerImpl::markPending() {
  PauseOneMillisecond();
  ++context_.pendingCount;
}

void QzTrackerImpl::trackActivity(const QzContextProperties& props) {
  // The context goes first here, so the fixed properties of the activity win over it.
  Properties properties;
  AddContextProperties(props, static_cast<int>(QzEvent::Activity), properties);
  SetIfNotEmpty(properties, "qz_app_store", config_.appStore);
  if (!config_.appName.empty()) {
    properties.SetString("qz_app_id", config_.appName);
    properties.SetString("$app_id", config_.appName);
  }
  SetIfNotEmpty(properties, "$app_version", config_.appVersion);
  properties.SetString("$ios_install_source", kInstallSource);
  SetIfNotEmpty(properties, "$user_agent", userAgent());
  properties.SetBool("$is_first_time", true);
  const OsDescription os = osNameAndVersion();
  properties.SetString("$os", os.name);
  properties.SetString("$os_version", os.version);
  Sdk::trackWithInstallSource(properties);
  NativeUserTracker::VisitStep(context_, config_.appStore, config_.appName, config_.appVersion);
  flushNow();
}

void QzTrackerImpl::trackLaunch(const QzContextProperties& props) {
  Properties properties;
  send(QzEvent::PaLaunchPal, "QzEventLaunch", properties, props);
  NativeUserTracker::LaunchStep(context_);
  flushNow();
}

void QzTrackerImpl::trackLogin(const QzUserInfo& user, bool success, const std::string& reason,
                               const QzContextProperties& props) {
  Properties properties;
  if (!user.userId.empty()) {
    properties.SetString("qz_user_id", user.userId);
    properties.SetString("qz_login_id", user.userId);
  }
  properties.SetString("qz_type", toString(user.userType));
  properties.SetString("qz_result", success ? "Success" : "Fail");
  SetIfNotEmpty(properties, "qz_reason", reason);
  if (!user.userId.empty()) properties.SetBool("$is_first_time", true);
  send(QzEvent::Login, "QzEventLogin", properties, props);

  if (!user.userId.empty()) {
    context_.vipLevel = user.vipLevel;
    if (!context_.loggedIn || context_.userId.empty()) {
      Sdk::login(user.userId);
      context_.loggedIn = true;
      context_.userId = user.userId;
      context_.distinctId = user.userId;
      Sdk::setDistinctId(user.userId, true);
      Properties userIdProperty;
      userIdProperty.SetString("qz_user_id", user.userId);
      Sdk::addCommonProperties(userIdProperty);
    }
    saveIdentity(context_);
  }
  flushNow();
}

void QzTrackerImpl::trackClick(const QzEventClick& click, const QzContextProperties& props) {
  if (click.name.empty()) QZ_RAISE("trackClick", "qzEventClick.name is empty");
  const std::string clickType = toString(click.clickType);
  Properties properties;
  properties.SetString("qz_name", click.name);
  properties.SetString("qz_click_type", clickType);
  SetIfNotEmpty(properties, "qz_aname", click.aname);
  SetIfNotEmpty(properties, "qz_title", click.title);
  SetIfNotEmpty(properties, "qz_position", click.position);
  SetIfNotEmpty(properties, "qz_module", click.module);
  SetIfNotEmpty(properties, "qz_tab_name", click.tabName);
  SetIntegerIfPresent(properties, "qz_tab_index", click.tabIndex);
  SetIfNotEmpty(properties, "qz_banner_name", click.bannerName);
  SetIntegerIfPresent(properties, "qz_banner_index", click.bannerIndex);
  properties.SetBool("$is_first_time", true);
  send(QzEvent::Click, "QzEventClick", properties, props);
  ++context_.pendingCount;
  markPending();
}

void QzTrackerImpl::trackView(const QzEventView& view, const QzContextProperties& props) {
  if (view.name.empty()) QZ_RAISE("trackView", "qzEventView.name is empty");
  Properties properties;
  properties.SetString("qz_name", view.name);
  SetIfNotEmpty(properties, "qz_aname", view.aname);
  SetIfNotEmpty(properties, "qz_title", view.title);
  SetIfNotEmpty(properties, "qz_position", view.position);
  properties.SetBool("$is_first_time", true);
  send(QzEvent::View, "QzEventView", properties, props);
  ++context_.pendingCount;
  markPending();
}

void QzTrackerImpl::trackCashier(const QzEventCashier& cashier, const QzContextProperties& props) {
  if (cashier.qz_cashier_name.empty()) QZ_RAISE("trackCashier", "qzEventCashier.qz_cashier_name is empty");
  Properties properties;
  properties.SetString("qz_cashier_name", cashier.qz_cashier_name);
  SetIfNotEmpty(properties, "qz_cashier_title", cashier.qz_cashier_title);
  SetIfNotEmpty(properties, "qz_subitem", cashier.qz_subitem);
  properties.SetBool("$is_first_time", true);
  send(QzEvent::Cashier, "QzEventCashier", properties, props);
  ++context_.pendingCount;
  markPending();
}

void QzTrackerImpl::trackShare(const QzEventShare& share, const QzContextProperties& props) {
  Properties properties;
  SetIfNotEmpty(properties, "qz_aname", share.aname);
  SetIfNotEmpty(properties, "qz_channel", share.channel);
  SetIfNotEmpty(properties, "qz_position", share.position);
  SetIfNotEmpty(properties, "qz_shared_name", share.sharedName);
  if (share.result) properties.SetString("qz_result", toString(*share.result));
  properties.SetBool("$is_first_time", true);
  send(QzEvent::Share, "QzEventShare", properties, props);
  ++context_.pendingCount;
  markPending();
}

void QzTrackerImpl::trackTask(const QzEventTask& task, const QzContextProperties& props) {
  if (task.name.empty()) QZ_RAISE("trackTask", "qzEventTask.name is empty");
  Properties properties;
  properties.SetString("qz_task_name", task.name);
  SetNumberIfPresent(properties, "qz_task_elapsed", task.elapsed);
  if (IsReportedResult(task.result)) properties.SetString("qz_task_result", toString(*task.result));
  SetIfNotEmpty(properties, "qz_aname", task.aname);
  SetIfNotEmpty(properties, "qz_reason", task.reason);
  properties.SetBool("$is_first_time", true);
  send(QzEvent::Task, "QzEventTask", properties, props);
  markPending();
}

void QzTrackerImpl::trackFile(const QzEventFile& file, const QzContextProperties& props) {
  if (file.aname.empty()) QZ_RAISE("trackFile", "qzEventFile.aname is empty");
  Properties properties;
  properties.SetString("qz_aname", file.aname);
  if (file.io) properties.SetString("qz_io", toString(*file.io));
  if (IsReportedResult(file.result)) properties.SetString("qz_result", toString(*file.result));
  SetIfNotEmpty(properties, "qz_name", file.name);
  SetIfNotEmpty(properties, "qz_ext", file.ext);
  if (file.size && *file.size > 0) properties.SetNumber("qz_size", *file.size);
  SetIntegerIfPresent(properties, "qz_duration", file.duration);
  SetNumberIfPresent(properties, "qz_fps", file.fps);
  SetNumberIfPresent(properties, "qz_bps", file.bps);
  SetIntegerIfPresent(properties, "qz_width", file.width);
  SetIntegerIfPresent(properties, "qz_height", file.height);
  SetIntegerIfPresent(properties, "qz_depth", file.depth);
  properties.SetBool("$is_first_time", true);
  send(QzEvent::File, "QzEventFile", properties, props);
  ++context_.pendingCount;
  markPending();
}

void QzTrackerImpl::trackOrder(const QzEventOrder& order, const QzContextProperties& props) {
  if (order.qzSuitId.empty()) QZ_RAISE("trackOrder", "qzEventOrder.qzSuitId is empty");
  if (!order.qzCurrency) QZ_RAISE("trackOrder", "qzEventOrder.qzCurrency is nullptr");
  if (!(order.originalAmount > 0)) QZ_RAISE("trackOrder", "qzEventOrder.originalAmount is less than zero");
  if (!(order.paidAmount > 0)) QZ_RAISE("trackOrder", "qzEventOrder.paidAmount is less than zero");
  const std::string currency = toString(*order.qzCurrency);
  Properties properties;
  properties.SetString("qz_suit_id", order.qzSuitId);
  properties.SetString("qz_currency", currency);
  properties.SetNumber("qz_paid_amount", order.paidAmount);
  properties.SetNumber("qz_original_amount", order.originalAmount);
  properties.SetBool("$is_first_time", true);
  SetIfNotEmpty(properties, "qz_order_id", order.qzOrderId);
  SetIfNotEmpty(properties, "qz_subitem", order.qzSubitem);
  SetIfNotEmpty(properties, "qz_sku", order.qzSku);
  SetIntegerIfPresent(properties, "qz_campaign_code", order.qzCampaignCode);
  SetIfNotEmpty(properties, "qz_voucher_id", order.qzVoucherId);
  SetNumberIfPositive(properties, "qz_cur_original_amount", order.curOriginalAmount);
  SetNumberIfPositive(properties, "qz_cur_paid_amount", order.curPaidAmount);
  SetIfNotEmpty(properties, "qz_cashier_name", order.qzCashierName);
  SetIfNotEmpty(properties, "qz_cashier_title", order.qzCashierTitle);
  send(QzEvent::Order, "QzEventOrder", properties, props);
  ++context_.pendingCount;
  markPending();
}

void QzTrackerImpl::trackPayment(const QzEventPayment& payment, const QzContextProperties& props) {
  if (payment.qzOrderId.empty()) QZ_RAISE("trackPayment", "qzEventPayment.qzOrderId is empty");
  if (payment.paidAmount < 0)
    QZ_RAISE("trackPayment", "paidAmount = " + FormatAmount(payment.paidAmount) + " is invalid");
  if (payment.originalAmount < 0) {
    QZ_RAISE("trackPayment", "originalAmount = " + FormatAmount(payment.originalAmount) + " is invalid");
  }
  if (!payment.result || (*payment.result != QzResult::Success && *payment.result != QzResult::Fail)) {
    QZ_RAISE("trackPayment", "qzEventPayment.result is invalid");
  }
  // Both are needed for the record; an absent one is refused like any other missing field.
  if (!payment.qzPaidPlatform) QZ_RAISE("trackPayment", "qzEventPayment.qzPaidPlatform is nullptr");
  if (!payment.qzCurrency) QZ_RAISE("trackPayment", "qzEventPayment.qzCurrency is nullptr");
  const std::string platform = toString(*payment.qzPaidPlatform);
  const std::string currency = toString(*payment.qzCurrency);

  Properties properties;
  properties.SetString("qz_order_id", payment.qzOrderId);
  properties.SetString("qz_paid_platform", platform);
  properties.SetString("qz_currency", currency);
  properties.SetNumber("qz_paid_amount", payment.paidAmount);
  properties.SetNumber("qz_original_amount", payment.originalAmount);
  properties.SetString("qz_result", toString(*payment.result));
  properties.SetBool("$is_first_time", true);
  SetIfNotEmpty(properties, "qz_suit_id", payment.qzSuitId);
  if (payment.qzIapType) properties.SetString("qz_iap_type", toString(*payment.qzIapType));
  SetIfNotEmpty(properties, "qz_subitem", payment.qzSubitem);
  SetIfNotEmpty(properties, "qz_sku", payment.qzSku);
  SetIfNotEmpty(properties, "qz_voucher_id", payment.qzVoucherId);
  SetIfNotEmpty(properties, "qz_used_voucher_id", payment.qzUsedVoucherId);
  SetIntegerIfPresent(properties, "qz_campaign_code", payment.qzCampaignCode);
  SetNumberIfPositive(properties, "qz_cur_original_amount", payment.curOriginalAmount);
  SetNumberIfPositive(properties, "qz_cur_paid_amount", payment.curPaidAmount);
  SetIfNotEmpty(properties, "qz_cashier_name", payment.qzCashierName);
  SetIfNotEmpty(properties, "qz_cashier_title", payment.qzCashierTitle);
  send(QzEvent::Payment, "QzEventPayment", properties, props);

  NativeUserTracker::PaymentStep(context_, payment.paidAmount);
  if (*payment.result == QzResult::Success) {
    context_.vipLevel = 1;
    saveIdentity(context_);
  }
  flushNow();
}

void QzTrackerImpl::trackUninstall(const std::string& reason, const QzContextProperties& props) {
  Properties properties;
  SetIfNotEmpty(properties, "qz_uninstall_reason", reason);
  send(QzEvent::Uninstall, "QzEventUninstall", properties, props);
  flushNow();
}

void QzTrackerImpl::trackCrash(const std::string& reason) {
  Properties properties;
  SetIfNotEmpty(properties, "app_crashed_reason", reason);
  Sdk::track("AppCrashed", properties);
  flushNow();
}

void QzTrackerImpl::trackUpdate(const QzEventUpdate& update, const QzContextProperties& props) {
  const std::string op = toString(update.op);
  const std::string result = update.result ? toString(*update.result) : std::string();
  Properties properties;
  properties.SetString("qz_update_op", op);
  switch (update.op) {
    case QzUpdateOp::UpdateCheck:
      properties.SetString("qz_update_result", result);
      break;
    case QzUpdateOp::DownloadStart:
    case QzUpdateOp::UpgrateStart:
      break;
    case QzUpdateOp::DownloadEnd:
    case QzUpdateOp::UpgrateEnd:
      if (result.empty()) QZ_RAISE("trackUpdate", "Unknown updateResultInfo info");
      properties.SetString("qz_update_result", result);
      if (update.op == QzUpdateOp::UpgrateEnd) properties.SetBool("$is_first_time", true);
      if (!update.elapsed) QZ_RAISE("trackUpdate", "invalid elapsed info");
      properties.SetNumber("qz_elapsed", *update.elapsed);
      break;
  }
  send(QzEvent::Update, "QzEventUpdate", properties, props);
  flushNow();
}

void QzTrackerImpl::trackAppOpenNotification(const AppOpenNotification* notification,
                                             const QzContextProperties& props) {
  static constexpr char kFunction[] = "trackAppOpenNotification";
  if (!notification) QZ_RAISE(kFunction, "&appOpenNotification is nullptr");
  if (notification->planID.empty()) QZ_RAISE(kFunction, "planID is emptry");
  if (notification->planType.empty()) QZ_RAISE(kFunction, "planType is emptry");
  if (notification->msgTitle.empty()) QZ_RAISE(kFunction, "msgTitle is emptry");
  Properties properties;
  properties.SetString("$sf_msg_title", notification->msgTitle);
  properties.SetString("$sf_plan_id", notification->planID);
  properties.SetString("$sf_plan_type", notification->planType);
  properties.SetBool("$is_first_time", true);
  SetIfNotEmpty(properties, "$sf_msg_content", notification->msgContent);
  SetIfNotEmpty(properties, "$sf_link_url", notification->linkUrl);
  SetIfNotEmpty(properties, "$sf_audience_id", notification->audienceId);
  SetIfNotEmpty(properties, "$sf_plan_strategy_id", notification->planStrategyId);
  SetIfNotEmpty(properties, "$sf_strategy_unit_id", notification->strategyUnitId);
  send(QzEvent::AppOpenNotification, "AppOpenNotification", properties, props);
  markPending();
}

void QzTrackerImpl::setLocale(const std::string& locale) {
  context_.locale = locale;
  if (Sdk::Exists()) Sdk::addCommonProperties(localeCommonProperties());
}

std::string QzTrackerImpl::getPrimaryDistinctId() { return context_.primaryDistinctId; }

TrackLogger* QzTrackerImpl::getTrackLogger() { return logger_.get(); }

}  // namespace vemra::tracking
