// Writes the program's icon for the desktop into the icon theme folder given as the first
// argument: hicolor/scalable/apps/depthloom.svg and hicolor/NxN/apps/depthloom.png; and the
// splash window's picture, as raw rows for the program to build in, to the file given second.

#include "mainwindow/AppIcon.h"
#include "mainwindow/SplashPicture.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <functional>

namespace {

bool write(const QString& path, const std::function<bool(QSaveFile&)>& fill)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !fill(file) || !file.commit()) {
        std::fprintf(stderr, "depthloom_icons: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: depthloom_icons FOLDER SPLASH_FILE\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    bool ok = write(folder.filePath(QStringLiteral("hicolor/scalable/apps/depthloom.svg")),
                    [](QSaveFile& file) { return file.write(appicon::svg()) >= 0; });
    for (const int size : appicon::PngSizes) {
        const QString path =
            folder.filePath(QStringLiteral("hicolor/%1x%1/apps/depthloom.png").arg(size));
        ok = write(path,
                   [size](QSaveFile& file) { return appicon::draw(size).save(&file, "PNG"); }) &&
             ok;
    }
    const QImage splash = splashpicture::draw(splashpicture::Size);
    ok = write(QString::fromLocal8Bit(argv[2]),
               [&splash](QSaveFile& file) {
                   return file.write(reinterpret_cast<const char*>(splash.constBits()),
                                     splash.sizeInBytes()) == splash.sizeInBytes();
               }) &&
         ok;
    return ok ? 0 : 1;
}
