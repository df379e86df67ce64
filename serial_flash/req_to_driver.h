#pragma once
// Memory access by type: splits one access into the transport's requests of at most eight bytes.
#include <cstdint>

// Memory access types (compared on their low 8 bits).
constexpr std::uint8_t kMemFlashWrite = 6;
constexpr std::uint8_t kMemFlashRead = 7;
constexpr std::uint8_t kMemControl4Read = 9;

// True when every request of the access succeeded. Chunks above 8 count as 8; chunk 0 and a
// missing buffer for a non-empty access are refused without a request. A flash read whose bytes
// would not come from their own addresses (a run of small chunks in the upper bank, or a read
// crossing 0xFFFF without meeting the block at 0xFFF8) is refused without a request.
bool ReqToDriver(int dev, std::uint32_t type, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length,
                 std::uint32_t chunk);
