#pragma once
// Serial-flash access library: the entry points the burner calls. Each acts on device slot 0.
// Call SFOpen first and SFClose last; the library is not thread-safe and must be used from one
// thread at a time.
#include <cstdint>

// Results of SFOpen.
constexpr int SF_OPEN_OK = 2;               // slot 0 open, backend table filled, chip probed
constexpr int SF_OPEN_NO_DEVICE = -1;       // enumeration failed or offered no video-input device
constexpr int SF_OPEN_UNKNOWN_BACKEND = -2; // devices present, none became the camera filter
constexpr int SF_OPEN_FAILED = 0;           // any other failure

// Memory access types of SFMemAccess.
constexpr std::uint32_t SF_MEM_FLASH_WRITE = 6;
constexpr std::uint32_t SF_MEM_FLASH_READ = 7;
constexpr std::uint32_t SF_MEM_CONTROL4_READ = 9;

int SFOpen();
bool SFClose();
bool SFWriteReg(std::uint16_t reg, std::uint8_t value);
// Writes *value only when the read succeeded.
bool SFReadReg(std::uint16_t reg, std::uint8_t* value);
// Waits for the controller's shift done flag (at most 1000 polls 1 ms apart).
void SFWaitReady();
// Waits for the flash's busy bit to clear (at most 10000 polls 1 ms apart).
void SFWaitIdle();
// Reads the flash's status register once, with host access on. True, with *status set, only when
// the camera answered every request of the read; *status is untouched otherwise.
bool SFReadFlashStatus(std::uint8_t* status);
bool SFMemAccess(std::uint32_t type, std::uint32_t address, std::uint8_t* buffer, std::uint32_t length);
// enable 0 lifts the flash's write protection, nonzero restores it. gpioReg and cfg are in/out.
bool SFSetWriteProtect(std::uint8_t enable, std::uint16_t* gpioReg, std::uint8_t* cfg);
// Probes the chip; the buffer (8 bytes) must be present and is never written.
bool SFCheck(std::uint8_t* buffer);
