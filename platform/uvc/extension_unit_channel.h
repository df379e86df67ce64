#pragma once
// The requests of one bound filter: its open video node, the topology it shows, the control
// lengths asked so far and whether the camera is past answering. A filter and the node instances
// it hands out share one channel; the node stays open until the last of them is released, so the
// camera is not suspended between requests.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/devices/kernel_streaming.h"
#include "platform/uvc/node_io.h"
#include "platform/uvc/video_control_descriptors.h"

namespace platform::uvc {

using Topology = std::vector<VideoControlEntity>;  // node id = index

class ExtensionUnitChannel {
 public:
  // Takes over `handle` and closes it when destroyed.
  ExtensionUnitChannel(std::shared_ptr<NodeIo> io, int handle, std::shared_ptr<const Topology> topology);
  ~ExtensionUnitChannel();
  ExtensionUnitChannel(const ExtensionUnitChannel&) = delete;
  ExtensionUnitChannel& operator=(const ExtensionUnitChannel&) = delete;

  const Topology& Nodes() const { return *topology_; }

  // IKsControl::KsProperty of the filter (ownNode empty) or of the instance of one node. A GET or
  // SET on an extension unit is one UVCIOC_CTRL_QUERY (after one GET_LEN the first time the
  // control is used); the support probe is answered from the descriptors.
  HRESULT KsProperty(const ULONG* ownNode, const KSPROPERTY* property, ULONG propertyLength, void* data,
                     ULONG dataLength, ULONG* bytesReturned);

 private:
  HRESULT Transfer(const VideoControlEntity& unit, std::uint8_t selector, bool set, std::uint8_t* data,
                   ULONG dataLength, ULONG* bytesReturned);
  HRESULT ControlLength(std::uint8_t unit, std::uint8_t selector, std::uint16_t* length);
  HRESULT Query(std::uint8_t unit, std::uint8_t selector, std::uint8_t query, std::uint8_t* data, std::uint16_t size);

  const std::shared_ptr<NodeIo> io_;
  const int handle_;
  const std::shared_ptr<const Topology> topology_;

  std::mutex mutex_;  // one request at a time on the node; guards everything below
  std::map<std::uint16_t, std::uint16_t> lengths_;  // GET_LEN by unit << 8 | selector
  HRESULT latched_ = S_OK;                           // a failure every later request returns at once
  unsigned timeoutsInARow_ = 0;
};

}  // namespace platform::uvc
