#pragma once
// A dialog context for tests: records every effect in the order the code under test makes it and
// answers LoadString from the English string table.
#include <cstdio>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "burner/burner_dialog_context.h"
#include "burner/control_ids.h"

namespace burner_test {

enum class EffectKind { SetItemText, ShowItem, SetProgressRange, SetProgressPos, ShowMessage, ShowCaptionedMessage };

struct Effect {
  EffectKind kind;
  int id = 0;             // control id (not used by the message boxes)
  int value = 0;          // range maximum or position
  std::wstring text;      // item text or message text
  std::wstring caption;   // captioned message box only
  friend bool operator==(const Effect&, const Effect&) = default;
};

inline Effect ItemText(int id, std::wstring text) { return {EffectKind::SetItemText, id, 0, std::move(text), {}}; }
inline Effect Shown(int id) { return {EffectKind::ShowItem, id, 0, {}, {}}; }
inline Effect Range(int id, int max) { return {EffectKind::SetProgressRange, id, max, {}, {}}; }
inline Effect Pos(int id, int pos) { return {EffectKind::SetProgressPos, id, pos, {}, {}}; }
inline Effect Message(std::wstring text) { return {EffectKind::ShowMessage, 0, 0, std::move(text), {}}; }
inline Effect CaptionedMessage(std::wstring text, std::wstring caption) {
  return {EffectKind::ShowCaptionedMessage, 0, 0, std::move(text), std::move(caption)};
}

inline std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t ch : text) {
    if (ch >= 0x20 && ch < 0x7F) {
      out += static_cast<char>(ch);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(ch));
      out += buf;
    }
  }
  return out;
}

// gtest prints effects with this, so a failed comparison of two effect lists reads as a diff.
inline void PrintTo(const Effect& e, std::ostream* os) {
  switch (e.kind) {
    case EffectKind::SetItemText: *os << "ItemText(" << e.id << ", \"" << Narrow(e.text) << "\")"; return;
    case EffectKind::ShowItem: *os << "Shown(" << e.id << ")"; return;
    case EffectKind::SetProgressRange: *os << "Range(" << e.id << ", " << e.value << ")"; return;
    case EffectKind::SetProgressPos: *os << "Pos(" << e.id << ", " << e.value << ")"; return;
    case EffectKind::ShowMessage: *os << "Message(\"" << Narrow(e.text) << "\")"; return;
    case EffectKind::ShowCaptionedMessage:
      *os << "CaptionedMessage(\"" << Narrow(e.text) << "\", \"" << Narrow(e.caption) << "\")";
      return;
  }
}

class RecordingContext : public BurnerDialogContext {
 public:
  std::vector<Effect> effects;
  // Called after each effect is recorded (for example to look at the camera when a box opens).
  std::function<void(const Effect&)> onEffect;
  std::map<unsigned, std::wstring> strings = {
      {IDS_ABOUTBOX, L"&About Common USB Flarnex..."},
      {IDS_TAB_BURN, L"Burn"},
      {IDS_TAB_AUX, L"Auxiliary Function"},
      {IDS_IDLE, L"No Task is Running..."},
      {IDS_READY, L"Click 'GO' to start burning..."},
      {IDS_BURNING, L"Burning..."},
      {IDS_BURN_OK, L"Burn Successes!"},
      {IDS_BURN_FAIL, L"Burn Failed!"},
      {IDS_ERASING, L"Erasing..."},
      {IDS_ERASE_OK, L"Flash Erase Successes!"},
      {IDS_ERASE_FAIL, L"Flash Erase Failed!"},
      {IDS_EXPORTING, L"Exporting..."},
      {IDS_EXPORT_OK, L"Export Rom Successes!"},
      {IDS_EXPORT_FAIL, L"Export Failed!"},
  };

  void SetItemText(int id, const std::wstring& text) override { Record(ItemText(id, text)); }
  void ShowItem(int id) override { Record(Shown(id)); }
  void SetProgressRange(int id, int max) override { Record(Range(id, max)); }
  void SetProgressPos(int id, int pos) override { Record(Pos(id, pos)); }
  void ShowMessage(const std::wstring& text) override { Record(Message(text)); }
  void ShowCaptionedMessage(const std::wstring& text, const std::wstring& caption) override {
    Record(CaptionedMessage(text, caption));
  }
  std::wstring LoadString(unsigned id) override {
    auto it = strings.find(id);
    return it == strings.end() ? std::wstring() : it->second;
  }

  // The texts of the message boxes shown, in order.
  std::vector<std::wstring> Messages() const {
    std::vector<std::wstring> out;
    for (const Effect& e : effects) {
      if (e.kind == EffectKind::ShowMessage || e.kind == EffectKind::ShowCaptionedMessage) out.push_back(e.text);
    }
    return out;
  }

 private:
  void Record(Effect e) {
    effects.push_back(std::move(e));
    if (onEffect) onEffect(effects.back());
  }
};

}  // namespace burner_test
