#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <utility>

// Reads and writes keys of an INI file the way the Windows profile functions do, so that project
// files (.3dp) made by the Windows program read and write alike here:
// - section and key names compare without regard to case; only the first section of a name and
//   the first key of a name in it count (later duplicates are kept but never read or written);
// - "white space" is ASCII blank, tab, CR, VT and FF; it is trimmed around names and values;
// - values are taken as they stand, but for one pair of matching quotes ('"' or '\'') around
//   the whole value, which is taken off: no escapes, a ';' inside a value is part of it;
// - a line whose first non-blank character is ';' is a comment; a line without '=' in a section,
//   or a '[' line without ']', is never matched but kept as it is on rewrite;
// - lines end with LF or CR LF.
//
// Text is UTF-8 when the whole file is valid UTF-8 (or starts with the UTF-8 byte order mark),
// else GBK, which is what such files are on Chinese Windows. A byte order mark counts only at
// the start of the file. A write changes only the bytes it must: the value of the key, or one
// added line (plus a section header), in the file's encoding and line ending; every other byte,
// the byte order mark included, stays as it was. The one exception keeps the encoding: when the
// value replaced held a GBK file's only bytes that are not UTF-8, a GBK comment line is added at
// the end, so that a write never changes how the other keys read. A file without any line
// ending, and a new file, get CR LF, and new files are UTF-8 without a mark.
//
// A project file has a [Files] section, or is empty (a new project; blanks and a byte order mark
// count as empty). Any other file is something else that added keys would spoil: a picture
// chosen as a project by mistake (NUL bytes, which no text has), a text file, another program's
// settings. It is never opened as a project nor written into.
//
// Nothing is cached: every call reads the file again, as another program may change it.
class TMy3DFile final
{
public:
    explicit TMy3DFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // The value of `key` in `section`, or `defaultValue` when the file, the section or the key is
    // missing or the file cannot be read. Only a regular file of at most 1 MiB is read; when the
    // file cannot be read (missing included), `error` names it and says why.
    QString readString(const QString& section, const QString& key, const QString& defaultValue = {},
                       QString* error = nullptr) const;

    // Why the file cannot be opened as a project: it cannot be read (missing included), or it
    // is not a project file. Empty when it can; otherwise a message naming the file.
    QString whyNotAProject() const;

    // Sets `key` in `section` to `value` (trimmed) and saves the file at once, through a temporary
    // file renamed over the old one only when complete; a missing file is made, a file that is
    // not a project is refused. On failure returns false, leaves the file as it was, and puts in
    // `error` a message naming the file and the reason.
    bool writeString(const QString& section, const QString& key, const QString& value,
                     QString* error = nullptr);

    // The same two operations on a file's whole content in memory, whatever that content is.
    static QString readStringIn(QByteArrayView content, const QString& section, const QString& key,
                                const QString& defaultValue = {});
    // On failure `content` is left unchanged and `reason` says why (without a file name).
    static bool writeStringIn(QByteArray& content, const QString& section, const QString& key,
                              const QString& value, QString* reason = nullptr);

private:
    QString m_path;
};
