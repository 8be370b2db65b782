// The filter record the module hands to the editor through GetFilterTable.
#pragma once

#include "host/filter_api.h"

// "PULVAX": seven track bars, no check boxes, the four callbacks of
// host/callbacks.h. Static data, valid for the life of the module.
extern FILTER_DLL filter_dll;
