// Shared state that reaches up into the host: refused too.
#pragma once
#include "host/filter_api.h"
#include "host/platform.h"
