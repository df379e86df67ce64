#pragma once
// The simulated camera's filter behind a thin wrapper, for the two things the camera model cannot
// do: topology calls that fail (the node count, a node's type, a node instance) and control-2
// replies with bytes in them (the model answers control-2 reads with zeros). Every request still
// reaches the simulated camera and lands in its trace.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/devices/device_registry.h"

namespace sftest {

struct WrapperFaults {
  HRESULT numNodes = S_OK;              // get_NumNodes still writes the count
  std::vector<DWORD> nodeTypeFails{};   // get_NodeType still writes the type
  std::vector<DWORD> instanceFails{};   // CreateNodeInstance fails with E_FAIL
  bool control2Pattern = false;         // a successful control-2 GET reply becomes A0 A1 A2 ...
};

// Takes the registered devices' place in the enumeration: each becomes a wrapper around itself.
void WrapRegisteredDevices(const WrapperFaults& faults);

}  // namespace sftest
