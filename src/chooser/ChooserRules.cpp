#include "chooser/ChooserRules.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>

#include <algorithm>

namespace chooser {
namespace {

QList<QRegularExpression> maskExpressions(const QStringList& masks)
{
    QList<QRegularExpression> expressions;
    expressions.reserve(masks.size());
    for (const QString& mask : masks) {
        expressions.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(mask),
                                              QRegularExpression::CaseInsensitiveOption));
    }
    return expressions;
}

bool matchesAny(const QString& name, const QList<QRegularExpression>& expressions)
{
    return std::any_of(expressions.begin(), expressions.end(),
                       [&](const QRegularExpression& e) { return e.match(name).hasMatch(); });
}

// The text before the last '/' ("/" for a name right under the root) and the text after it.
// `hasFolder` tells whether there was a '/' at all.
struct SplitText
{
    bool hasFolder = false;
    QString folder;
    QString last;
};

SplitText splitLast(const QString& text)
{
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return {false, {}, text};
    }
    return {true, slash == 0 ? QStringLiteral("/") : text.left(slash), text.mid(slash + 1)};
}

} // namespace

QList<FilterEntry> parseFilterList(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i + 1].trimmed().isEmpty()) {
            entries.append({parts[i], parts[i + 1].trimmed()});
        }
    }
    return entries;
}

QStringList qtNameFilters(const QString& filter)
{
    QStringList result;
    for (const FilterEntry& entry : parseFilterList(filter)) {
        const QString masks = splitMask(entry.mask).join(QLatin1Char(' '));
        result.append(entry.description.trimmed().isEmpty()
                          ? masks
                          : QStringLiteral("%1 (%2)").arg(entry.description.trimmed(), masks));
    }
    return result;
}

int filterIndexForPattern(const QList<FilterEntry>& entries, const QString& pattern)
{
    const QStringList wanted = splitMask(pattern);
    if (wanted.isEmpty()) {
        return -1;
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (splitMask(entries[i].mask).contains(wanted.first(), Qt::CaseInsensitive)) {
            return int(i);
        }
    }
    return -1;
}

FilterEntry picturesEntry()
{
    QStringList masks;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        masks.append(QStringLiteral("*.") + QString::fromLatin1(format).toLower());
    }
    masks.removeDuplicates();
    const QString mask = masks.join(QLatin1Char(';'));
    return {QStringLiteral("Pictures[%1]").arg(mask), mask};
}

int filterIndexShowing(const QList<FilterEntry>& entries, const QString& name)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QStringList masks = splitMask(entries[i].mask);
        if (!masks.contains(QStringLiteral("*")) && matchesMask(name, masks)) {
            return int(i);
        }
    }
    return -1;
}

QStringList splitMask(const QString& mask)
{
    QStringList masks;
    for (const QString& part : mask.split(QLatin1Char(';'))) {
        const QString single = part.trimmed();
        if (single == QLatin1String("*.*")) {
            masks.append(QStringLiteral("*"));
        } else if (!single.isEmpty()) {
            masks.append(single);
        }
    }
    return masks;
}

bool hasWildcards(const QString& text)
{
    return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

bool matchesMask(const QString& name, const QStringList& masks)
{
    return matchesAny(name, maskExpressions(masks));
}

QStringList listFiles(const QString& folder, const QString& mask)
{
    const QList<QRegularExpression> expressions = maskExpressions(splitMask(mask));
    // QDir::Files keeps a link whatever it points to.
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    QStringList matching;
    for (const QFileInfo& entry : entries) {
        if (entry.isFile() && matchesAny(entry.fileName(), expressions)) {
            matching.append(entry.fileName());
        }
    }
    return matching;
}

QString extensionKey(const QString& path)
{
    const QString name = splitLast(path).last;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toUpper().left(4);
}

PreviewKind previewKind(const QString& path)
{
    const QString key = extensionKey(path);
    if (key == QLatin1String(".BMP")) {
        return PreviewKind::Bitmap;
    }
    if (key == QLatin1String(".BKP")) {
        return PreviewKind::HeightMap;
    }
    const QString suffix = QFileInfo(splitLast(path).last).suffix().toLower();
    if (!suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix.toLatin1())) {
        return PreviewKind::Bitmap;
    }
    return PreviewKind::None;
}

TypedPath splitTypedPath(const QString& text, const QString& currentFolder)
{
    TypedPath result;
    if (text.isEmpty()) {
        return result;
    }
    const SplitText split = splitLast(text);
    if (split.hasFolder) {
        result.folder = QDir::cleanPath(QDir(currentFolder).absoluteFilePath(split.folder));
    }
    if (split.last.isEmpty()) {
        return result;
    }
    if (hasWildcards(split.last)) {
        result.mask = split.last;
        return result;
    }
    const QString base = result.folder.isEmpty() ? currentFolder : result.folder;
    const QString candidate = QDir(base).absoluteFilePath(split.last);
    if (QFileInfo(candidate).isDir()) {
        result.folder = QDir::cleanPath(candidate);
    } else {
        result.name = split.last;
    }
    return result;
}

DialogStart dialogStart(const QString& fileName)
{
    DialogStart start;
    const SplitText split = splitLast(fileName);
    if (hasWildcards(split.last)) {
        start.pattern = split.last;
        start.folder = split.folder;
    } else if (!split.last.isEmpty()) {
        start.file = fileName;
    } else {
        start.folder = split.folder;
    }
    return start;
}

QString applyDefaultSuffix(const QString& path, const QString& suffix)
{
    QString extension = suffix.trimmed();
    while (extension.startsWith(QLatin1Char('.'))) {
        extension.remove(0, 1);
    }
    const QString name = splitLast(path).last;
    if (extension.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('.'))) {
        return path;
    }
    return path + QLatin1Char('.') + extension.toLower();
}

} // namespace chooser
