// A parameter source that reaches up into the effect: the layer check must
// refuse it.
#include "effect/scale_frame.h"
#include "shared/track_table.h"
