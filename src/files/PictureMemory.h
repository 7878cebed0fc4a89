#pragma once

#include <QImage>

// A new picture of `width` x `height` in `format`, its pixels not yet set, in memory that the
// kernel backs with 2 MiB pages where it can (pictures of 8 MiB and more). In 4 KiB pages a
// picture touched for the first time costs a fault per page, more than writing its pixels: the
// 49 MB output of batch --make3d on 4000 x 3000 took 27.7 ms to touch, 6.5 ms in 2 MiB pages.
// Measured in the batch_make3d benchmarks against batch_floor, which touches plain memory.
// Returns a null picture when the memory cannot be had.
QImage newPicture(int width, int height, QImage::Format format);
