// Writes the program's icon for the desktop into the icon theme folder given as the only
// argument: hicolor/scalable/apps/depthloom.svg and hicolor/NxN/apps/depthloom.png.

#include "mainwindow/AppIcon.h"

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
    if (argc != 2) {
        std::fputs("usage: depthloom_icons FOLDER\n", stderr);
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
    return ok ? 0 : 1;
}
