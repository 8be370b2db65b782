// The fast resampling pass, built on one record of inner loops.
#pragma once

#include "effect/resample.h"
#include "effect/resample_primitives.h"

// The same pixels as resample_reference(job), for any job. Uses the module's
// static scratch: one pass at a time.
void resample_fast(const resample_primitives& k, const resample_job& job);
