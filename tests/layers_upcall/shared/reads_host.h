// Shared state that reaches up into the host: refused too.
#pragma once
#include "host/platform.h"
#include "host/filter_api.h"
