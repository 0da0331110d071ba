#include "utils/guid.h"

#include <sys/random.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace Utils {

std::string NewGuidString() {
  unsigned char bytes[16] = {};
  for (size_t got = 0; got < sizeof bytes;) {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n > 0) got += static_cast<size_t>(n);
  }
  uint32_t data1;
  uint16_t data2, data3;
  std::memcpy(&data1, bytes, 4);
  std::memcpy(&data2, bytes + 4, 2);
  std::memcpy(&data3, bytes + 6, 2);
  const unsigned char* data4 = bytes + 8;
  data3 = static_cast<uint16_t>((data3 & 0x0FFF) | 0x4000);  // version 4: random
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // the standard variant

  char text[50];
  std::snprintf(text, sizeof text, "%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", data1, data2, data3, data4[0],
                data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
  return text;
}

}  // namespace Utils
