#pragma once
// Expected extension-unit traffic written as data, and one comparison that prints both
// sequences side by side from the first difference.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace sftest {

// One request as the tests compare it. A GET matches on control and length unless `reply`
// lists the bytes expected back.
struct Req {
  enum class Kind { Set, Get, Probe };
  Kind kind = Kind::Set;
  std::uint32_t control = 0;
  std::vector<std::uint8_t> bytes;  // SET payload; for a GET the expected reply (may be empty)
  std::uint32_t length = 0;         // data length
  std::uint32_t node = 0;           // probes only
};

std::string Describe(const Req& r);
::testing::AssertionResult SameRequests(const std::vector<Req>& expected, const std::vector<Req>& actual);

// Builders for the usual requests.
Req Set(std::uint32_t control, std::vector<std::uint8_t> payload);
Req Get(std::uint32_t control, std::uint32_t length);
Req Probe(std::uint32_t node);

// Control-1 register traffic.
Req RegWrite(std::uint16_t reg, std::uint8_t value);
std::vector<Req> RegRead(std::uint16_t reg);
// Control 3: a twelve-byte request {address, command, data...}.
Req FlashCommand(std::uint16_t address, std::uint8_t command, std::vector<std::uint8_t> data = {});
Req FlashData();
std::vector<Req> Control4Read(std::uint16_t address);

// Concatenates pieces of a sequence.
std::vector<Req> Seq(std::initializer_list<std::vector<Req>> parts);
inline std::vector<Req> One(Req r) { return {std::move(r)}; }

}  // namespace sftest
