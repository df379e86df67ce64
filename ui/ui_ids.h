#pragma once
// Every id the dialog code uses: the control and string ids shared with the burner, and the
// template, picture and menu ids of the resources. control_ids.h declares the control and string
// ids as constants and resource.h defines the same names as macros, so control_ids.h must come
// first: the macros then only replace later uses, which name the same values.
#include "burner/control_ids.h"
// clang-format off
#include "resources/resource.h"
// clang-format on
