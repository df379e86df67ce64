#pragma once
// The simulated camera's extension unit behind the real-camera provider: the enumeration offers
// the tool's camera of sample_cameras.h through the fake uvcvideo, and every GET_CUR and SET_CUR
// that passes the kernel's checks goes on to the camera model's extension unit, node id of the
// model's own topology, as a kernel-streaming request. So the library and the burner reach the
// same controller and flash as through the simulated camera's own devices, on unit kToolUnit and
// node kToolNode, at the controls' GET_LEN (4, 8, 12, 12, 12).
//
// The burner's own control-3 transfers carry 11 bytes where the library's carry 12 (GET_LEN); the
// provider pads them. Once told which node the burner holds, the bridge hands the model the
// burner's 11 bytes again (the padding byte must be 0), so the model's trace reads as it does on
// the simulated camera's own devices and the same assertions hold on both roads.
#include <atomic>
#include <memory>

#include "platform/com/unknown.h"
#include "platform/devices/kernel_streaming.h"
#include "simulated_camera/simulated_camera.h"
#include "tests/uvc/fake_machine.h"

namespace uvc_test {

class SimulatedCameraBehindUvc {
 public:
  // `camera` must not be registered: its devices are used here, behind the provider, which this
  // makes the enumeration's source.
  explicit SimulatedCameraBehindUvc(simcam::SimulatedCamera& camera);
  ~SimulatedCameraBehindUvc();

  // The one video node open now (the burner's, after a discovery) is the burner's.
  void MarkBurnerNode();

  FakeMachine machine;

 private:
  int Answer(int handle, std::uint8_t selector, std::uint8_t query, std::span<std::uint8_t> data);

  platform::ComPtr<IBaseFilter> filter_;
  platform::ComPtr<IKsControl> control_;
  ULONG modelNode_ = 0;
  std::atomic<int> burnerHandle_{-1};
};

}  // namespace uvc_test
