#pragma once

namespace vemra::tracking {

// Where events go unless the tracker is configured with another collector.
constexpr char kDefaultCollectorUrl[] = "https://sa.vemrasoft.com/sa?project=pc";

}  // namespace vemra::tracking
