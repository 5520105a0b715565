// Reads the pixel size of a PNG, BMP, GIF or JPEG file from its header,
// without decoding the picture.
#pragma once

#include <string>

// False when the file is missing or is none of the four formats.
bool fReadImageSize(const std::string& path, int& width, int& height);
