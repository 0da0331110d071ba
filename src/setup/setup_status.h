#pragma once
// The status codes of the two runners. They travel through the downloaders' callback type, next to
// the download codes 1001 to 1006, so the orchestrator and the main window handle one stream.
#include <cstdint>

#include "download/download_status.h"

// The setup package's run.
enum SetupCode : int32_t {
  IST_CODE_START = 2001,     // the runner's worker has started
  IST_CODE_PROGRESS = 2002,  // value: the "Progress=" number; 0.0 at launch
  IST_CODE_SUCCESS = 2003,   // value: 0.0 after "State=Success", 1.0 when the package ended without a result
  IST_CODE_FAIL = 2004,      // value: 0.0 "State=Fail", 1000.0 "Error=", 2.0 the package did not start
};

// Facts the setup package reports about the installed product. There is no 3006.
enum SetupInfoCode : int32_t {
  IST_INFO_INSTALL_PATH = 3000,
  IST_INFO_EXE_PATH = 3001,
  IST_INFO_UNINSTALLER_PATH = 3002,
  IST_INFO_UNINSTALL_EP = 3003,
  IST_INFO_START_URL = 3004,
  IST_INFO_STARTUP_STYLE = 3005,  // value: 0 no start, 1 start automatically, 2 start when asked
  IST_INFO_TOP_SHOW_DETENTION = 3007,
  IST_INFO_FINISH_CLOSE_DETENTION = 3008,
  IST_INFO_MESSAGE = 3009,
};

// The old version's uninstaller. 5001 is never sent; it keeps its number so the family stays whole.
enum UninstallCode : int32_t {
  UNIST_CODE_START = 5001,
  UNIST_CODE_PROGRESS = 5002,  // value: the "Progress=" number; 0.0 at launch
  UNIST_CODE_SUCCESS = 5003,   // value: 0.0 after "State=Success", 1.0 when it ended without a failure line
  UNIST_CODE_FAIL = 5004,      // the uninstaller did not run: 1.0 file missing, 2.0 it did not start
  UNIST_CODE_ERROR = 5005,     // the uninstaller reported failure
};

// Texts the runners send with their failures.
inline constexpr char kSetupFailText[] = "安装包安装失败";
inline constexpr char kUninstallFailText[] = "安装包卸载失败";
inline constexpr char kUninstallerMissingText[] = "可执行卸载文件不存在";
