#pragma once
// One real camera as a video-input device: its property bag and its capture filter.
#include <memory>
#include <string>

#include "platform/devices/device_registry.h"
#include "platform/uvc/extension_unit_channel.h"
#include "platform/uvc/node_io.h"

namespace platform::uvc {

struct UvcCameraDescription {
  std::string nodePath;        // the capture node, "/dev/videoN"
  std::wstring friendlyName;   // the node's name in sysfs
  std::wstring devicePath;     // see device_path.h
  std::shared_ptr<const Topology> topology;
};

class UvcCameraDevice final : public VideoInputDevice {
 public:
  UvcCameraDevice(UvcCameraDescription description, std::shared_ptr<NodeIo> io);
  HRESULT ReadProperty(std::wstring_view name, std::wstring& value) override;
  // Opens the capture node; a node that cannot be opened refuses the bind with the open's errno.
  HRESULT BindFilter(IBaseFilter** filter) override;

 private:
  const UvcCameraDescription description_;
  const std::shared_ptr<NodeIo> io_;
};

}  // namespace platform::uvc
