#pragma once
// Every id the dialog code uses: the control and string ids shared with the burner, and the
// template, picture and menu ids of the resources.
#include "resources/resource.h"
