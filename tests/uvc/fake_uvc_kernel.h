#pragma once
// A stand-in for uvcvideo behind the provider's system calls, keeping the kernel's rules for
// UVCIOC_CTRL_QUERY (Linux 6.1): the unit must be an extension unit reachable from the node
// (ENOENT), the selector one its bmControls lists (ENOENT), the query code known (EINVAL), the size
// exactly GET_LEN, 2 for GET_LEN or 1 for GET_INFO (ENOBUFS), GET_CUR and SET_CUR allowed by
// GET_INFO (EBADRQC); a metadata node takes no such request (ENOTTY); a camera's short reply comes
// back as a positive count with stale bytes after it. Every call is recorded.
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/uvc/node_io.h"

namespace uvc_test {

struct FakeControl {
  std::uint16_t length = 12;  // GET_LEN
  std::uint8_t info = 0x03;   // GET_INFO: bit 0 GET, bit 1 SET
};

struct FakeUnit {
  std::uint8_t id = 0;
  std::map<std::uint8_t, FakeControl> controls;  // by selector: those in the unit's bmControls
};

// The camera's answer to a GET_CUR or SET_CUR that passed the kernel's checks, on the node open
// as `handle`: 0, a byte count below `data.size()` for a short reply, or minus an errno.
using CameraAnswer = std::function<int(int handle, std::uint8_t unit, std::uint8_t selector, std::uint8_t query,
                                       std::span<std::uint8_t> data)>;

struct FakeNode {
  std::string path;                      // "/dev/video0"
  std::uint32_t deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
  int openError = 0;                     // errno every open fails with, 0 for none
  std::vector<FakeUnit> units;           // extension units in the node's chain
  CameraAnswer camera;                   // null: every transfer succeeds, GETs read zeros
};

struct QueryRecord {
  int handle;
  std::uint8_t unit, selector, query;
  std::uint16_t size;
  std::vector<std::uint8_t> data;  // what the caller sent (SET) or got back (any other query)
  int result;
};

class FakeUvcKernel final : public platform::uvc::NodeIo {
 public:
  void AddNode(FakeNode node);
  // The next transfers to the camera fail with these errnos, one each, after the kernel's checks.
  void FailNextTransfers(std::vector<int> errors);

  std::vector<QueryRecord> Queries() const;
  void ClearQueries();
  std::set<int> OpenHandles() const;
  std::size_t OpenCount() const;      // opens so far, successful ones
  std::string PathOf(int handle) const;

  int Open(const std::string& path, int* error) override;
  int QueryCapabilities(int handle, v4l2_capability* capabilities) override;
  int QueryControl(int handle, uvc_xu_control_query* query) override;
  void Close(int handle) override;

 private:
  int Check(const FakeNode& node, const uvc_xu_control_query& query, const FakeControl** control) const;

  mutable std::mutex mutex_;
  std::map<std::string, FakeNode> nodes_;
  std::map<int, std::string> handles_;
  int nextHandle_ = 3;
  std::size_t opens_ = 0;
  std::vector<int> failures_;
  std::vector<QueryRecord> queries_;
};

}  // namespace uvc_test
