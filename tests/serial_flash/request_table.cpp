#include "request_table.h"

#include <cstdio>
#include <sstream>

#include "tests/support/hex_bytes.h"

namespace sftest {

std::string Describe(const Req& r) {
  std::ostringstream out;
  switch (r.kind) {
    case Req::Kind::Probe: out << "PROBE node " << r.node; return out.str();
    case Req::Kind::Set: out << "SET c" << r.control << " ["; break;
    case Req::Kind::Get: out << "GET c" << r.control << " len " << r.length << " ["; break;
  }
  out << test_support::HexBytes(r.bytes) << "]";
  return out.str();
}

namespace {

bool Matches(const Req& e, const Req& a) {
  if (e.kind != a.kind) return false;
  switch (e.kind) {
    case Req::Kind::Probe: return e.node == a.node;
    case Req::Kind::Set: return e.control == a.control && e.bytes == a.bytes;
    case Req::Kind::Get:
      return e.control == a.control && e.length == a.length && (e.bytes.empty() || e.bytes == a.bytes);
  }
  return false;
}

}  // namespace

::testing::AssertionResult SameRequests(const std::vector<Req>& expected, const std::vector<Req>& actual) {
  std::size_t first = 0;
  while (first < expected.size() && first < actual.size() && Matches(expected[first], actual[first])) ++first;
  if (first == expected.size() && first == actual.size()) return ::testing::AssertionSuccess();
  std::ostringstream out;
  out << "requests differ at #" << first << " (expected " << expected.size() << ", got " << actual.size() << ")\n";
  std::size_t from = first >= 3 ? first - 3 : 0;
  std::size_t to = std::max(expected.size(), actual.size());
  if (to > first + 12) to = first + 12;
  for (std::size_t i = from; i < to; ++i) {
    std::string e = i < expected.size() ? Describe(expected[i]) : "-";
    std::string a = i < actual.size() ? Describe(actual[i]) : "-";
    bool same = i < expected.size() && i < actual.size() && Matches(expected[i], actual[i]);
    out << (same ? "   " : ">> ") << "#" << i << "  expected: " << e << "\n" << "       got:      " << a << "\n";
  }
  return ::testing::AssertionFailure() << out.str();
}

Req Set(std::uint32_t control, std::vector<std::uint8_t> payload) {
  Req r;
  r.kind = Req::Kind::Set;
  r.control = control;
  r.length = static_cast<std::uint32_t>(payload.size());
  r.bytes = std::move(payload);
  return r;
}

Req Get(std::uint32_t control, std::uint32_t length) {
  Req r;
  r.kind = Req::Kind::Get;
  r.control = control;
  r.length = length;
  return r;
}

Req Probe(std::uint32_t node) {
  Req r;
  r.kind = Req::Kind::Probe;
  r.node = node;
  return r;
}

Req RegWrite(std::uint16_t reg, std::uint8_t value) {
  return Set(1, {static_cast<std::uint8_t>(reg & 0xFF), static_cast<std::uint8_t>(reg >> 8), value, 0x00});
}

std::vector<Req> RegRead(std::uint16_t reg) {
  return {Set(1, {static_cast<std::uint8_t>(reg & 0xFF), static_cast<std::uint8_t>(reg >> 8), 0x00, 0xFF}), Get(1, 4)};
}

Req FlashCommand(std::uint16_t address, std::uint8_t command, std::vector<std::uint8_t> data) {
  std::vector<std::uint8_t> payload(12, 0);
  payload[0] = static_cast<std::uint8_t>(address & 0xFF);
  payload[1] = static_cast<std::uint8_t>(address >> 8);
  payload[2] = command;
  for (std::size_t i = 0; i < data.size() && i < 9; ++i) payload[3 + i] = data[i];
  return Set(3, payload);
}

Req FlashData() { return Get(3, 12); }

std::vector<Req> Control4Read(std::uint16_t address) {
  std::vector<std::uint8_t> payload(12, 0);
  payload[0] = static_cast<std::uint8_t>(address & 0xFF);
  payload[1] = static_cast<std::uint8_t>(address >> 8);
  payload[2] = 0x08;
  return {Set(4, payload), Get(4, 12)};
}

std::vector<Req> Seq(std::initializer_list<std::vector<Req>> parts) {
  std::vector<Req> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

}  // namespace sftest
