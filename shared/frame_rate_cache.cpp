#include "shared/frame_rate_cache.h"

int last_video_rate = 30;
int last_video_scale = 1;
