#pragma once
// A small dialog for the framework tests, with its own templates, so that the tests do not depend
// on the tool's resources. Its handlers record what reached them.
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/dialog/afxwin.h"

namespace probe {

// Template ids and control ids.
constexpr WORD kProbeTemplate = 900;
constexpr WORD kNestedTemplate = 901;
constexpr int kClickButton = 10;
constexpr int kHiddenButton = 11;
constexpr int kDisabledButton = 12;
constexpr int kTab = 20;
constexpr int kProgress = 30;
constexpr int kStatus = 40;
constexpr UINT kStatusString = 7001;
constexpr UINT kWorkerDone = WM_APP + 1;
constexpr UINT kAboutCommand = 0x0010;

void RegisterProbeResources();

class ProbeDialog : public CDialog {
 public:
  explicit ProbeDialog(WORD template_id = kProbeTemplate) : CDialog(template_id) {}

  CProgressCtrl m_progress;
  CTabCtrl m_tab;

  // Filled on the UI thread; read by tests after an input settled or the dialog ended.
  std::function<void(ProbeDialog&)> on_init;
  std::function<void(ProbeDialog&)> on_click;
  std::function<void(ProbeDialog&, HDROP)> on_drop;
  int clicks = 0;
  int hidden_clicks = 0;
  int disabled_clicks = 0;
  int destroys = 0;
  std::vector<int> selections_seen;  // the tab selection at each TCN_SELCHANGE
  int selchanging = 0;
  std::vector<UINT> system_commands;
  std::vector<WPARAM> worker_done;
  HICON icon = nullptr;

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  afx_msg void OnClick();
  afx_msg void OnHiddenClick() { ++hidden_clicks; }
  afx_msg void OnDisabledClick() { ++disabled_clicks; }
  afx_msg void OnSelChanging(NMHDR*, LRESULT* result);
  afx_msg void OnSelChange(NMHDR*, LRESULT* result);
  afx_msg void OnSysCommand(UINT id, LPARAM lParam);
  afx_msg void OnPaint();
  afx_msg HCURSOR OnQueryDragIcon() { return icon; }
  afx_msg void OnDestroy();
  afx_msg void OnDropFiles(HDROP drop);
  afx_msg LRESULT OnWorkerDone(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

}  // namespace probe
