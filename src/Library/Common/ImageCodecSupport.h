#pragma once
// What the picture codecs share: their error, and the checks every decoder makes
// before it takes memory for a picture.
#include <QImage>

#include <string>

namespace image_codecs {

// Raises EImageError with the message.
[[noreturn]] void Fail(const std::string& message);
// Refuses an empty picture or one beyond kMaxPictureSide / kMaxPicturePixels.
void CheckPictureSize(qint64 width, qint64 height, const char* format);
// A picture of that size, or EImageError when its memory cannot be had.
QImage NewImage(int width, int height, QImage::Format format);

} // namespace image_codecs
