// One burn, one erase and one export on both roads to the simulated camera: through its own
// devices, and through the real-camera provider over the fake uvcvideo. Both give the same result,
// the same flash and the same effects, and the camera sees the same requests (but the support
// probes, which the provider answers from the descriptors). At the kernel each of those requests
// is one query on the tool's unit at the control's GET_LEN, and each filter asks GET_LEN once per
// control, before the control's first request.
#include <gtest/gtest.h>
#include <linux/usb/video.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "burner/burn_workflow.h"
#include "burner/erase_workflow.h"
#include "burner/export_workflow.h"
#include "tests/burner/camera_fixture.h"
#include "tests/burner/workflow_fixture.h"
#include "tests/uvc/sample_cameras.h"

namespace burner_test {
namespace {

namespace fs = std::filesystem;
using uvc_test::QueryRecord;

struct Outcome {
  int result = -1;
  std::vector<std::uint8_t> flash;
  std::vector<std::uint8_t> exported;
  std::vector<Effect> effects;
  std::vector<simcam::RequestRecord> requests;  // without the support probes
  std::vector<QueryRecord> queries;             // at the fake kernel on the provider's road, discovery's too
  std::size_t workflowStart = 0;                // index of the workflow's first query
};

// Where two request traces part, or "" when they do not.
std::string FirstDifference(const std::vector<simcam::RequestRecord>& a, const std::vector<simcam::RequestRecord>& b) {
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (Describe(a[i]) != Describe(b[i])) return "request " + std::to_string(i) + ": " + Describe(a[i]) + " / " + Describe(b[i]);
  }
  if (a.size() != b.size()) return "lengths " + std::to_string(a.size()) + " / " + std::to_string(b.size());
  return "";
}

// "" when every query is GET_LEN once per filter and control before its first request, or (from
// `start` on) one of the camera's requests at the control's length, padded with zeros, in the same
// order.
std::string QueryMismatch(const std::vector<QueryRecord>& queries, std::size_t start,
                          const std::vector<simcam::RequestRecord>& requests) {
  std::set<std::pair<int, int>> asked;
  std::size_t next = 0;
  for (std::size_t i = 0; i < queries.size(); ++i) {
    const QueryRecord& q = queries[i];
    const std::string where = "query " + std::to_string(i) + ": ";
    const std::pair<int, int> control{q.handle, q.selector};
    if (q.unit != uvc_test::kToolUnit) return where + "unit " + std::to_string(q.unit);
    if (q.query == UVC_GET_LEN) {
      if (!asked.insert(control).second) return where + "GET_LEN asked again";
      continue;
    }
    if (asked.count(control) == 0) return where + "no GET_LEN before the first request";
    if (i < start) continue;  // discovery's chip-ID read, before the camera's trace starts
    if (next == requests.size()) return where + "more queries than requests";
    const simcam::RequestRecord& r = requests[next++];
    std::vector<std::uint8_t> expected = r.payload;
    expected.resize(uvc_test::kToolControlLengths[q.selector - 1], 0);
    const bool set = r.kind == simcam::RequestRecord::Kind::Set;
    if (q.selector != r.control || (q.query == UVC_SET_CUR) != set || q.size != expected.size() ||
        (r.result == S_OK && q.data != expected)) {
      return where + "does not carry " + Describe(r);
    }
  }
  return next == requests.size() ? "" : "requests without a query";
}

class WorkflowRoadsTest : public WorkflowTest {
 protected:
  void SetUp() override {
    WorkflowTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "flarnex-roads-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    fs::remove_all(dir);
    WorkflowTest::TearDown();
  }

  Outcome Run(CameraRoad on, const std::function<int()>& workflow) {
    WorkflowTest::TearDown();
    WorkflowTest::SetUp();
    road = on;
    behindUvc.reset();
    simcam::CameraConfig config = Config();
    config.strings.first = "OLD0000001";
    StartCamera(config);
    Outcome out;
    if (behindUvc) out.workflowStart = behindUvc->machine.kernel->Queries().size();
    image = simcam::MakeSampleFirmware(config.chipId, simcam::WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow));
    std::reverse(image.begin() + 0x1000, image.begin() + 0x1800);
    Load(image);

    out.result = workflow();
    out.flash = camera->Flash();
    out.effects = ctx.effects;
    for (const simcam::RequestRecord& r : camera->Requests()) {
      if (r.kind != simcam::RequestRecord::Kind::SetSupport) out.requests.push_back(r);
    }
    if (behindUvc) out.queries = behindUvc->machine.kernel->Queries();
    for (const auto& entry : fs::directory_iterator(dir)) {
      std::ifstream in(entry.path(), std::ios::binary);
      out.exported.assign(std::istreambuf_iterator<char>(in), {});
      fs::remove(entry.path());
    }
    return out;
  }

  fs::path dir;
  std::vector<std::uint8_t> image;
};

TEST_F(WorkflowRoadsTest, SameOutcomeAndRequestsPlusOneGetLenPerControl) {
  struct Case {
    const char* name;
    std::function<int()> workflow;
  };
  const Case cases[] = {
      {"burn", [this] { return BurnRom(ctx); }},
      {"erase", [this] { return EraseFlash(ctx); }},
      {"export", [this] { return ExportRomToDirectory(ctx, dir); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome own = Run(CameraRoad::SimulatedDevices, c.workflow);
    const Outcome provider = Run(CameraRoad::RealCameraProvider, c.workflow);

    EXPECT_EQ(own.result, 1);
    EXPECT_EQ(provider.result, own.result);
    EXPECT_TRUE(provider.flash == own.flash) << "the flash differs";
    EXPECT_TRUE(provider.exported == own.exported) << "the exported file differs";
    EXPECT_TRUE(provider.effects == own.effects) << "the effects differ";
    EXPECT_GT(own.requests.size(), 10000u);
    EXPECT_EQ(FirstDifference(own.requests, provider.requests), "");
    EXPECT_EQ(QueryMismatch(provider.queries, provider.workflowStart, provider.requests), "");
    EXPECT_TRUE(own.queries.empty());
  }
}

}  // namespace
}  // namespace burner_test
