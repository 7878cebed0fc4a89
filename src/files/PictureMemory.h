#pragma once

#include <QImage>

// A new picture of `width` x `height` in `format`, its pixels not yet set, in memory that the
// kernel backs with 2 MiB pages where it can. A large picture touched for the first time in
// 4 KiB pages costs a page fault per page, which takes longer than writing its pixels; huge
// pages cut that about fourfold. Returns a null picture when the memory cannot be had.
QImage newPicture(int width, int height, QImage::Format format);
