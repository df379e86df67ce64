#include "tests/uvc/fake_uvc_kernel.h"

#include <linux/usb/video.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace uvc_test {
namespace {

constexpr std::uint8_t kStaleByte = 0xA5;  // what the kernel's buffer held before a short reply

bool KnownQuery(std::uint8_t query) {
  switch (query) {
    case UVC_SET_CUR: case UVC_GET_CUR: case UVC_GET_MIN: case UVC_GET_MAX:
    case UVC_GET_RES: case UVC_GET_LEN: case UVC_GET_INFO: case UVC_GET_DEF:
      return true;
    default:
      return false;
  }
}

}  // namespace

void FakeUvcKernel::AddNode(FakeNode node) {
  std::lock_guard lock(mutex_);
  nodes_[node.path] = std::move(node);
}

void FakeUvcKernel::FailNextTransfers(std::vector<int> errors) {
  std::lock_guard lock(mutex_);
  failures_.insert(failures_.end(), errors.begin(), errors.end());
}

std::vector<QueryRecord> FakeUvcKernel::Queries() const {
  std::lock_guard lock(mutex_);
  return queries_;
}

void FakeUvcKernel::ClearQueries() {
  std::lock_guard lock(mutex_);
  queries_.clear();
}

std::set<int> FakeUvcKernel::OpenHandles() const {
  std::lock_guard lock(mutex_);
  std::set<int> out;
  for (const auto& [handle, path] : handles_) out.insert(handle);
  return out;
}

std::size_t FakeUvcKernel::OpenCount() const {
  std::lock_guard lock(mutex_);
  return opens_;
}

std::string FakeUvcKernel::PathOf(int handle) const {
  std::lock_guard lock(mutex_);
  auto it = handles_.find(handle);
  return it == handles_.end() ? std::string() : it->second;
}

int FakeUvcKernel::Open(const std::string& path, int* error) {
  std::lock_guard lock(mutex_);
  auto node = nodes_.find(path);
  const int failure = node == nodes_.end() ? ENOENT : node->second.openError;
  if (failure != 0) {
    *error = failure;
    return -1;
  }
  ++opens_;
  handles_[nextHandle_] = path;
  return nextHandle_++;
}

int FakeUvcKernel::QueryCapabilities(int handle, v4l2_capability* capabilities) {
  std::lock_guard lock(mutex_);
  auto open = handles_.find(handle);
  if (open == handles_.end()) return EBADF;
  const FakeNode& node = nodes_.at(open->second);
  *capabilities = {};
  std::strncpy(reinterpret_cast<char*>(capabilities->driver), "uvcvideo", sizeof capabilities->driver);
  // `capabilities` is the whole device's: capture and metadata together.
  capabilities->capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_DEVICE_CAPS;
  capabilities->device_caps = node.deviceCaps;
  return 0;
}

int FakeUvcKernel::Check(const FakeNode& node, const uvc_xu_control_query& q, const FakeControl** control) const {
  if ((node.deviceCaps & V4L2_CAP_VIDEO_CAPTURE) == 0) return -ENOTTY;
  auto unit = std::find_if(node.units.begin(), node.units.end(), [&](const FakeUnit& u) { return u.id == q.unit; });
  if (unit == node.units.end()) return -ENOENT;
  auto found = unit->controls.find(q.selector);
  if (found == unit->controls.end()) return -ENOENT;
  *control = &found->second;
  if (!KnownQuery(q.query)) return -EINVAL;
  const std::uint16_t size = q.query == UVC_GET_LEN ? 2 : q.query == UVC_GET_INFO ? 1 : found->second.length;
  if (q.size != size) return -ENOBUFS;
  if (q.query == UVC_GET_CUR && (found->second.info & UVC_CONTROL_CAP_GET) == 0) return -EBADRQC;
  if (q.query == UVC_SET_CUR && (found->second.info & UVC_CONTROL_CAP_SET) == 0) return -EBADRQC;
  return 0;
}

int FakeUvcKernel::QueryControl(int handle, uvc_xu_control_query* q) {
  std::unique_lock lock(mutex_);
  QueryRecord record{handle, q->unit, q->selector, q->query, q->size, {}, 0};
  if (q->query == UVC_SET_CUR) record.data.assign(q->data, q->data + q->size);
  auto open = handles_.find(handle);
  if (open == handles_.end()) {
    record.result = -EBADF;
    queries_.push_back(record);
    return record.result;
  }
  const FakeNode& node = nodes_.at(open->second);
  const FakeControl* control = nullptr;
  int result = Check(node, *q, &control);
  std::vector<std::uint8_t> buffer(q->size, kStaleByte);
  if (result == 0 && !failures_.empty()) {
    result = -failures_.front();
    failures_.erase(failures_.begin());
  } else if (result == 0) {
    switch (q->query) {
      case UVC_GET_LEN:
        buffer = {static_cast<std::uint8_t>(control->length), static_cast<std::uint8_t>(control->length >> 8)};
        break;
      case UVC_GET_INFO:
        buffer = {control->info};
        break;
      default:
        if (q->query == UVC_SET_CUR) std::copy_n(q->data, q->size, buffer.begin());
        if (node.camera) {
          const CameraAnswer camera = node.camera;
          lock.unlock();  // the camera may be a model with its own lock
          result = camera(handle, q->unit, q->selector, q->query, buffer);
          lock.lock();
        } else if (q->query != UVC_SET_CUR) {
          std::fill(buffer.begin(), buffer.end(), 0);
        }
        break;
    }
  }
  // A short reply still copies `size` bytes: the camera's, then what the buffer held before.
  if (result >= 0 && q->query != UVC_SET_CUR) {
    std::copy(buffer.begin(), buffer.end(), q->data);
    record.data = buffer;
  }
  record.result = result;
  queries_.push_back(record);
  return result;
}

void FakeUvcKernel::Close(int handle) {
  std::lock_guard lock(mutex_);
  handles_.erase(handle);
}

}  // namespace uvc_test
