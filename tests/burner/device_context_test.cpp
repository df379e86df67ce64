// The dialog context owns the filter reference that discovery leaves in it.
#include <gtest/gtest.h>

#include "platform/com/unknown.h"
#include "tests/burner/recording_context.h"

namespace {

class CountedFilter final : public IBaseFilter, public platform::ComObject<CountedFilter> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IBaseFilter>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }
};

TEST(DeviceContext, DestroyingTheContextReleasesItsFilter) {
  const std::size_t before = platform::LiveComObjects();
  {
    burner_test::RecordingContext ctx;
    ctx.m_pFilter = new CountedFilter;
    EXPECT_EQ(platform::LiveComObjects(), before + 1);
  }
  EXPECT_EQ(platform::LiveComObjects(), before);
}

TEST(DeviceContext, RecorderKeepsEffectsInOrder) {
  burner_test::RecordingContext ctx;
  ctx.SetProgressRange(IDC_PROGRESS_WORK, 9);
  ctx.ShowMessage(L"No Device!");
  ctx.SetItemText(IDC_STATUS, ctx.LoadString(IDS_BURNING));
  EXPECT_EQ(ctx.effects, (std::vector<burner_test::Effect>{burner_test::Range(IDC_PROGRESS_WORK, 9),
                                                            burner_test::Message(L"No Device!"),
                                                            burner_test::ItemText(IDC_STATUS, L"Burning...")}));
  EXPECT_TRUE(ctx.LoadString(999).empty());
}

}  // namespace
