#pragma once
// What the installer tells the analytics collector: tasks (download and setup steps and their
// failures), button clicks, page views and crashes. Reporting never changes what the installer
// does: without a tracker, or with analytics switched off in the settings, every call returns
// at once, and failures stay inside the tracker. Safe from any thread.
#include <map>
#include <memory>
#include <string>

#include "analytics/qz_tracker_wrapper.h"

// Extra properties of a report; the installer passes {"AB": <AB test group>}.
using ReportExtras = std::map<std::string, std::string>;

void ReportTask(const std::string& name, float elapsed, const std::string& reason, const ReportExtras& extras);
void ReportClick(const std::string& name, const ReportExtras& extras);
void ReportView(const std::string& name, const ReportExtras& extras);
void ReportCrash();

// The process-wide tracker that the reports go to; empty until start-up installs one.
void SetReportTracker(std::shared_ptr<vemra::tracking::QzTracker> tracker);
std::shared_ptr<vemra::tracking::QzTracker> ReportTracker();
// Empties the handle; when it held the last share, the tracker flushes and stages its records.
void ReleaseReportTracker();

// The tracker configuration of this installer, from the settings: application name
// ProductId + DlAppNameSuffix, version ProductVersion, store ExeName, downloaded application
// ProductId and m_DlAppVersion; the default log file and collector.
vemra::tracking::TrackerConfig InstallerTrackerConfig();

// The short reason of a failed step: ":1.code=<value as an integer>；2.msg=<text>", cut to the
// 199 characters that fit the 200-character buffer it has always been formatted into.
std::string FormatShortReason(double code, const std::string& message);
