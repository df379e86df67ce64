#include "burner/burner_dialog_context.h"

BurnerDialogContext::~BurnerDialogContext() {
  if (m_pFilter != nullptr) {
    m_pFilter->Release();
    m_pFilter = nullptr;
  }
}
