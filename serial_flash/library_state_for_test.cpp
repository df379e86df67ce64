#include "serial_flash/library_state_for_test.h"

#include <cstring>

#include "serial_flash/device_slots.h"
#include "serial_flash/flash_identification.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/write_protection.h"

void SFResetLibraryStateForTest() {
  KsResetTransportForTest();
  g_sfLibrary = SFLibraryState{};
  g_sfIdentification = SFIdentificationState{};
  std::memset(g_sfSaved5F3, 0, sizeof g_sfSaved5F3);
  std::memset(g_sfSaved5F5, 0, sizeof g_sfSaved5F5);
}
