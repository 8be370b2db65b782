// Frame rate of the file whose frame was processed last (video_rate /
// video_scale frames per second); 30/1 until the first frame. Written by
// scale_frame on every frame, read by the tempo coupling.
#pragma once

extern int last_video_rate;
extern int last_video_scale;
