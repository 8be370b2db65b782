#include "effect/resample.h"

#include <stddef.h>

#include "effect/sample_bilinear.h"

void resample_reference(const resample_job& job) {
    for (int y = 0; y < job.h; y++) {
        const double src_y = static_cast<double>(y - job.ref_y) * job.y_factor + job.ref_y;
        PIXEL_YC* out = job.dst + static_cast<ptrdiff_t>(y) * job.pitch;
        for (int x = 0; x < job.w; x++) {
            const double src_x = static_cast<double>(x - job.ref_x) * job.x_factor + job.ref_x;
            out[x] = sample_bilinear(job.src, job.w, job.h, job.pitch, src_x, src_y);
        }
    }
}
