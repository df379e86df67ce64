#pragma once
// The video-input devices the system's enumeration offers, in a fixed order. Device providers (the
// simulated camera, or a test's own small device) register them here; a provider whose devices
// come and go (the machine's real cameras) sets a source that is asked at each enumeration. The
// system device enumerator presents each device as a moniker with a property bag and a bindable
// capture filter.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/devices/enumeration_interfaces.h"

namespace platform {

class VideoInputDevice {
 public:
  virtual ~VideoInputDevice() = default;
  // Outcome of IMoniker::BindToStorage for the property bag; a failure status refuses the bag.
  virtual HRESULT BindToStorageStatus() { return S_OK; }
  // One property of the bag ("FriendlyName", "DevicePath"): S_OK with the value, or the status
  // the bag's Read returns.
  virtual HRESULT ReadProperty(std::wstring_view name, std::wstring& value) = 0;
  // IMoniker::BindToObject for IBaseFilter: S_OK with a new reference the caller owns, or the
  // status of the refusal (then *filter stays null).
  virtual HRESULT BindFilter(IBaseFilter** filter) = 0;
};

void RegisterVideoInputDevice(std::shared_ptr<VideoInputDevice> device);
void UnregisterVideoInputDevice(const VideoInputDevice* device);
// Also drops the source and the enumeration faults.
void ClearVideoInputDevices();
std::vector<std::shared_ptr<VideoInputDevice>> RegisteredVideoInputDevices();

// The devices present right now, in the order the source gives them; called without the registry
// held, on whichever thread enumerates.
using VideoInputSource = std::function<std::vector<std::shared_ptr<VideoInputDevice>>()>;
void SetVideoInputSource(VideoInputSource source);
// What one enumeration of the category offers: the registered devices, then the source's.
std::vector<std::shared_ptr<VideoInputDevice>> CurrentVideoInputDevices();

// Failures of the enumeration itself, for tests of its callers. S_OK everywhere means healthy.
struct EnumerationFaults {
  HRESULT createDeviceEnumerator = S_OK;  // CoCreateInstance of the system device enumerator
  HRESULT createClassEnumerator = S_OK;   // CreateClassEnumerator for the video-input category
  int nextFailsAt = -1;                   // Next fails when asked for this moniker index (0-based)
  HRESULT nextFailure = E_FAIL;           // the status Next then returns
};
void SetEnumerationFaults(const EnumerationFaults& faults);
EnumerationFaults CurrentEnumerationFaults();

}  // namespace platform
