#pragma once
// The capture filter of a real camera: IKsTopologyInfo over the VideoControl entities and
// IKsControl for extension-unit requests, both on one open video node. It offers no
// IKsPropertySet: the property sets of other camera drivers do not exist here.
#include <memory>

#include "platform/devices/enumeration_interfaces.h"
#include "platform/uvc/extension_unit_channel.h"

namespace platform::uvc {

// A new filter (one reference, the caller's) on the channel.
IBaseFilter* CreateUvcFilter(std::shared_ptr<ExtensionUnitChannel> channel);

}  // namespace platform::uvc
