// Still images (PNG, JPEG, BMP) as one 4:4:4 frame.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "tools/pulvax-run/y4m.h"

// Loads the image at path into f (its size, 30/1 frames per second, square
// pixels, progressive, C444) and one frame of planes. False with a message for
// an unreadable, damaged, cut, unsupported or too large image.
bool load_image(const char* path, y4m_format& f, std::vector<uint8_t>& planes, std::string& error);

// The same for the file's bytes, which are checked (image_check.h) before
// they are decoded; the message names no file.
bool decode_image(const uint8_t* data, size_t size, y4m_format& f, std::vector<uint8_t>& planes,
                  std::string& error);

// Whether path claims by its first bytes to be a PNG, JPEG or BMP image, so
// that load_image should take it and tell what is wrong with it.
bool is_image(const char* path);
