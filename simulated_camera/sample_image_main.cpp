// flarnex_sample_image FILE [CHIP_ID]: writes a 131072-byte sample firmware image that the
// simulated camera with that chip ID (default 0x32) accepts: the signature, the firmware
// information strings and the write-protect configuration byte for its default wiring.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "simulated_camera/camera_config.h"
#include "simulated_camera/sample_firmware.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: flarnex_sample_image FILE [CHIP_ID]\n");
    return 2;
  }
  const simcam::CameraConfig defaults;
  const auto chip = static_cast<std::uint8_t>(argc == 3 ? std::strtoul(argv[2], nullptr, 0) : defaults.chipId);
  simcam::FirmwareStrings strings;
  strings.first = "CAMDEMO001";  // differs from the flash's own sample, so a burn changes it
  const auto image = simcam::MakeSampleFirmware(
      chip, simcam::WriteProtectConfigByteFor(defaults.wpPin, defaults.wpActiveLow), strings);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  return out ? 0 : 1;
}
