#pragma once
// Bytes as the tests print them in traces and failure messages: "1F 10 00 FF".
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace test_support {

inline std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  for (std::uint8_t b : bytes) {
    char buf[4];
    std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", b);
    out += buf;
  }
  return out;
}

}  // namespace test_support
