// A tiny 5x7 bitmap font (digits, a few capitals, '-', ':', '.', ' ') for the
// built-in clip's frame counter and the contact sheet's labels.
#pragma once

#include <stdint.h>

enum { glyph_w = 5, glyph_h = 7, glyph_advance = 6 };

// Draws text into a w x h RGB picture (3 bytes a pixel) with its top left
// corner at (x, y), each font pixel a scale x scale square; clipped to the
// picture. Characters the font lacks are left blank.
void draw_text(uint8_t* rgb, int w, int h, int x, int y, int scale, const char* text,
               const uint8_t color[3]);

// Width in pixels of text drawn at this scale.
int text_width(const char* text, int scale);
