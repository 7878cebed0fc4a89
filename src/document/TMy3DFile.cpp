#include "document/TMy3DFile.h"

#include "files/RegularFile.h"

#include <QDir>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace {

constexpr QByteArrayView utf8Bom("\xEF\xBB\xBF");
constexpr const char* legacyEncoding = "GBK";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isBlank(QChar c)
{
    return c.unicode() < 0x80 && isBlank(char(c.unicode()));
}

template <typename View> View trimBlanks(View text)
{
    while (!text.isEmpty() && isBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && isBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section and a key are in a file, as byte offsets into its content. Lines are split
// on the raw bytes and each piece is decoded on its own: '\n', '=', ';' and '[' never occur
// inside a multi-byte character of UTF-8 or GBK, so the offsets hold in either encoding and a
// broken sequence cannot spill over into the next line. (']' can be a GBK trail byte, so it is
// looked for only in decoded text.)
struct Location
{
    bool utf8 = true;
    qsizetype bodyStart = 0; // past the byte order mark
    QByteArray lineEnd = "\r\n";
    bool sectionFound = false;
    qsizetype insertAt = -1; // past the line end of the section's last key line, or its header
    qsizetype valueBegin = -1;
    qsizetype valueEnd = -1;
};

// Decodes one piece of a line at a time. A byte order mark inside the file is a character like
// any other, so that a line starting with one never matches a name.
class Decoder final
{
public:
    explicit Decoder(bool utf8)
        : m_decoder(utf8 ? QStringDecoder(QStringDecoder::Utf8, BomKept)
                         : QStringDecoder(legacyEncoding, BomKept))
    {}

    QString operator()(QByteArrayView bytes)
    {
        m_decoder.resetState();
        return m_decoder.decode(bytes);
    }

private:
    static constexpr auto BomKept = QStringConverter::Flag::ConvertInitialBom;
    QStringDecoder m_decoder;
};

Location locate(QByteArrayView content, QStringView section, QStringView key)
{
    Location where;
    where.bodyStart = content.startsWith(utf8Bom) ? utf8Bom.size() : 0;
    where.utf8 = where.bodyStart > 0 || content.isValidUtf8();
    Decoder decode(where.utf8);
    bool lineEndSeen = false;
    bool inside = false;
    for (qsizetype pos = where.bodyStart; pos < content.size();) {
        const qsizetype newline = content.indexOf('\n', pos);
        const qsizetype end = newline < 0 ? content.size() : newline;
        const qsizetype next = newline < 0 ? content.size() : newline + 1;
        if (!lineEndSeen && newline >= 0) {
            lineEndSeen = true;
            where.lineEnd = newline > pos && content[newline - 1] == '\r' ? "\r\n" : "\n";
        }
        const QByteArrayView line = trimBlanks(content.sliced(pos, end - pos));
        pos = next;
        if (line.isEmpty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const QString header = decode(line.sliced(1));
            const qsizetype close = header.indexOf(u']');
            if (close < 0) {
                continue;
            }
            if (inside) {
                break;
            }
            if (sameName(trimBlanks(QStringView(header).first(close)), section)) {
                inside = true;
                where.sectionFound = true;
                where.insertAt = next;
            }
            continue;
        }
        const qsizetype equals = inside ? line.indexOf('=') : -1;
        if (equals < 0) {
            continue;
        }
        where.insertAt = next;
        if (sameName(decode(trimBlanks(line.first(equals))), key)) {
            const QByteArrayView value = trimBlanks(line.sliced(equals + 1));
            where.valueBegin = value.data() - content.data();
            where.valueEnd = where.valueBegin + value.size();
            break;
        }
    }
    return where;
}

// Encodes text for a file read as `utf8` or not; nothing when GBK has no code for some of it.
std::optional<QByteArray> encode(const QString& text, bool utf8)
{
    if (utf8) {
        return text.toUtf8();
    }
    QStringEncoder encoder(legacyEncoding);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || Decoder(false)(bytes) != text) {
        return std::nullopt;
    }
    return bytes;
}

bool hasNonAscii(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
}

// A comment line in GBK that is not valid UTF-8 ("encoding: GBK"). A file read as GBK gets it
// when a write would otherwise leave it valid UTF-8, so that its other text, and the value just
// written, still read as GBK afterwards.
QByteArray gbkMark()
{
    QStringEncoder encoder(legacyEncoding);
    return encoder.encode(QStringLiteral("; \u7f16\u7801: GBK"));
}

QString whyUnwritable(QStringView section, QStringView key, QStringView value)
{
    const auto hasLineBreak = [](QStringView text) {
        return text.contains(u'\n') || text.contains(u'\r');
    };
    if (section.isEmpty() || key.isEmpty()) {
        return QStringLiteral("the section or the key name is empty");
    }
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) {
        return QStringLiteral("a name or the value contains a line break");
    }
    if (section.contains(u']')) {
        return QStringLiteral("the section name \"%1\" contains ']'").arg(section);
    }
    if (key.contains(u'=') || key.front() == u';' || key.front() == u'[') {
        return QStringLiteral("the key name \"%1\" contains '=' or starts with ';' or '['")
            .arg(key);
    }
    return {};
}

// The section every project file has; a new one gets it with its first key.
const QString ProjectSection = QStringLiteral("Files");

// Why `content` is not a project file, or nothing when it is one: it has the project's section,
// or nothing but blanks (a new project). Text has no NUL bytes; a file with them is something
// else, a picture say. Any other text without the section is some other file of the user's.
QString whyNotAProjectIn(QByteArrayView content)
{
    if (content.contains('\0')) {
        return QStringLiteral("it holds binary data, not a project");
    }
    const QByteArrayView body =
        content.startsWith(utf8Bom) ? content.sliced(utf8Bom.size()) : content;
    const bool blank =
        std::all_of(body.begin(), body.end(), [](char c) { return c == '\n' || isBlank(c); });
    if (blank || locate(content, ProjectSection, {}).sectionFound) {
        return {};
    }
    return QStringLiteral("it has no [%1] section, so it is not a project").arg(ProjectSection);
}

} // namespace

QString TMy3DFile::readString(const QString& section, const QString& key,
                              const QString& defaultValue, QString* error) const
{
    RegularFile file;
    QByteArray content;
    QString reason;
    if (!file.open(m_path, RegularFile::MaxProjectBytes, &reason) ||
        !file.readAll(&content, &reason)) {
        if (error) {
            *error =
                QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(m_path), reason);
        }
        return defaultValue;
    }
    return readStringIn(content, section, key, defaultValue);
}

QString TMy3DFile::whyNotAProject() const
{
    RegularFile file;
    QByteArray content;
    QString reason;
    if (!file.open(m_path, RegularFile::MaxProjectBytes, &reason) ||
        !file.readAll(&content, &reason)) {
        return QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(m_path), reason);
    }
    if (const QString why = whyNotAProjectIn(content); !why.isEmpty()) {
        return QStringLiteral("Cannot open %1: %2").arg(QDir::toNativeSeparators(m_path), why);
    }
    return {};
}

bool TMy3DFile::writeString(const QString& section, const QString& key, const QString& value,
                            QString* error)
{
    const auto fail = [&](const QString& reason) {
        if (error) {
            *error = QStringLiteral("Cannot write to %1: %2")
                         .arg(QDir::toNativeSeparators(m_path), reason);
        }
        return false;
    };
    QByteArray content;
    RegularFile old;
    QString reason;
    if (!old.open(m_path, RegularFile::MaxProjectBytes, &reason) && !old.missing()) {
        return fail(reason);
    }
    if (!old.missing() && !old.readAll(&content, &reason)) {
        return fail(reason);
    }
    if (const QString why = whyNotAProjectIn(content); !why.isEmpty()) {
        return fail(why);
    }
    if (!writeStringIn(content, section, key, value, &reason)) {
        return fail(reason);
    }
    QSaveFile file(m_path);
    if (!openToReplace(file, QIODevice::WriteOnly, &reason)) {
        return fail(reason);
    }
    if (!writeAll(file, content.constData(), content.size(), &reason)) {
        return fail(reason);
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    return true;
}

QString TMy3DFile::readStringIn(QByteArrayView content, const QString& section, const QString& key,
                                const QString& defaultValue)
{
    const QStringView keyName = trimBlanks(QStringView(key));
    if (keyName.isEmpty()) {
        return defaultValue;
    }
    const Location where = locate(content, trimBlanks(QStringView(section)), keyName);
    if (where.valueBegin < 0) {
        return defaultValue;
    }
    const QString value =
        Decoder(where.utf8)(content.sliced(where.valueBegin, where.valueEnd - where.valueBegin));
    // As the system's INI service reads it: one pair of matching quotes around the whole value
    // is taken off, so a path written by hand as "D:\my art\a.bmp" reads as the path.
    const bool quoted = value.size() >= 2 && value.front() == value.back() &&
                        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''));
    return quoted ? value.mid(1, value.size() - 2) : value;
}

bool TMy3DFile::writeStringIn(QByteArray& content, const QString& section, const QString& key,
                              const QString& value, QString* reason)
{
    const auto fail = [&](const QString& why) {
        if (reason) {
            *reason = why;
        }
        return false;
    };
    const QStringView sectionName = trimBlanks(QStringView(section));
    const QStringView keyName = trimBlanks(QStringView(key));
    const QStringView valueText = trimBlanks(QStringView(value));
    if (const QString why = whyUnwritable(sectionName, keyName, valueText); !why.isEmpty()) {
        return fail(why);
    }
    const Location where = locate(content, sectionName, keyName);

    const bool replacing = where.valueBegin >= 0;
    QString text = valueText.toString();
    if (!replacing) {
        text = keyName.toString() + u'=' + text;
        if (!where.sectionFound) {
            text = u'[' + sectionName.toString() + u']' + QString::fromLatin1(where.lineEnd) + text;
        }
    }
    const std::optional<QByteArray> bytes = encode(text, where.utf8);
    if (!bytes) {
        return fail(QStringLiteral("[%1] %2=%3 cannot be written in %4, the encoding of the file")
                        .arg(sectionName, keyName, valueText, QLatin1StringView(legacyEncoding)));
    }
    // Into the middle, a new line goes before the following line; at the end of a file that
    // does not end with a line end, after a new one, so that the file still does not.
    const auto insertLine = [&](QByteArray& into, qsizetype at, const QByteArray& line) {
        const bool afterUnendedLine = at > where.bodyStart && into[at - 1] != '\n';
        into.insert(at, afterUnendedLine ? where.lineEnd + line : line + where.lineEnd);
    };
    QByteArray written = content;
    if (replacing) {
        written.replace(where.valueBegin, where.valueEnd - where.valueBegin, *bytes);
    } else {
        insertLine(written, where.sectionFound ? where.insertAt : written.size(), *bytes);
    }
    // Replacing the only bytes that are not UTF-8 would make the whole file read as UTF-8.
    if (!where.utf8 && hasNonAscii(written) && written.isValidUtf8()) {
        insertLine(written, written.size(), gbkMark());
    }
    content = written;
    return true;
}
