#pragma once

#include <QByteArrayView>
#include <QString>

// Qt's readers of Windows bitmaps, JPEG and GIF return a picture from a file that ends before
// its data does, with the missing part left as whatever the memory held (bitmaps) or made up
// (JPEG, GIF). libpng allocates whatever a PNG chunk claims before reading it. This tells such
// files apart by their structure alone, without decoding.
//
// Returns why `file` ends before the data its header promises (without naming the file), or an
// empty text when it holds all of it or is of another format. A file whose structure is broken
// in other ways passes, for the decoder to judge.
QString missingPictureData(QByteArrayView file);
