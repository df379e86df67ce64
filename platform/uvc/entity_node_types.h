#pragma once
// The kernel-streaming node type each VideoControl entity shows in the filter's topology.
#include "platform/com/guid.h"
#include "platform/uvc/video_control_descriptors.h"

namespace platform::uvc {

// Extension units are device-specific nodes; every other entity has a video node type of its
// own, never the device-specific one.
GUID NodeTypeOf(const VideoControlEntity& entity);

}  // namespace platform::uvc
