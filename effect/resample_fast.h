// The fast resampling pass, built on one set of inner loops.
#pragma once

#include "effect/resample.h"
#include "effect/resample_primitives.h"

// The same pixels as resample_reference(job), for any job.
void resample_fast(const resample_primitives& k, const resample_job& job);
