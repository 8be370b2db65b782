// The message-box record shared by both builds of the platform layer.
#include <stdio.h>

#include "host/platform.h"

platform_box_record platform_log;
bool platform_boxes_quiet = false;

void platform_record_box(HWND owner, const char* text, const char* caption, UINT type) {
    platform_log.count++;
    platform_log.owner = owner;
    platform_log.type = type;
    snprintf(platform_log.text, sizeof platform_log.text, "%s", text ? text : "");
    snprintf(platform_log.caption, sizeof platform_log.caption, "%s", caption ? caption : "");
}
