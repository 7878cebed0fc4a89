#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The rules of the file choosers that need no window: filter lists, masks, extensions and
// what a text typed into a name field asks for.
//
// Masks follow the conventions of the editor's files, which come from Windows: they compare
// without regard to case, several masks are separated by ';', and "*.*" means every file
// (also one without a dot in its name).
namespace chooser {

// One entry of a filter list: what the user reads and the mask it stands for.
struct FilterEntry
{
    QString description;
    QString mask; // e.g. "*.bmp" or "*.bmp;*.dib"

    bool operator==(const FilterEntry&) const = default;
};

// Splits "description|mask|description|mask..." into its pairs. A description left without a
// mask at the end is dropped; so are pairs whose mask is empty.
QList<FilterEntry> parseFilterList(const QString& filter);

// The same filter list as QFileDialog takes its name filters: "description (mask mask)".
// Masks separated by ';' become separated by blanks and "*.*" becomes "*".
QStringList qtNameFilters(const QString& filter);

// The index of the entry whose mask contains `pattern` (case ignored), or -1.
int filterIndexForPattern(const QList<FilterEntry>& entries, const QString& pattern);

// The entry that lists every picture format Qt reads: "Pictures[*.bmp;*.gif;...]".
FilterEntry picturesEntry();

// The first entry that shows the file `name` without showing every file, or -1: the filter to
// turn to when a typed name is hidden by the current mask. "*.*" alone never counts, so a name
// only it shows stays hidden.
int filterIndexShowing(const QList<FilterEntry>& entries, const QString& name);

// The single masks of a mask text, "*.*" turned into "*". Empty parts are dropped.
QStringList splitMask(const QString& mask);

bool hasWildcards(const QString& text);

// Whether the file name `name` (no folder) matches any of `masks`, case ignored.
bool matchesMask(const QString& name, const QStringList& masks);

// The names of the plain files in `folder` that match `mask`, sorted by name with case
// ignored. Hidden files (a name starting with a dot) are left out, and so is every name that
// is not a regular file once links are followed (a link to a device or a pipe), which nobody
// can choose as a picture. An unreadable or missing folder gives an empty list.
QStringList listFiles(const QString& folder, const QString& mask);

// The extension of `path` including its dot, in upper case and cut to its first 4 characters:
// ".BMP" for "a.bmpx" as for "A.Bmp"; empty when the file name has no dot.
QString extensionKey(const QString& path);

enum class PreviewKind
{
    None,      // not a picture the chooser shows
    Bitmap,    // any picture format Qt reads, by its extension
    HeightMap, // the depth map's own file format
};

// ".BMP" and ".BKP" by extensionKey, so "a.bmpx" is a bitmap; any other extension Qt reads
// pictures of ("png", "jpeg") by the whole extension.
PreviewKind previewKind(const QString& path);

// What a text typed into the chooser's name field asks for. Every field may be empty.
struct TypedPath
{
    QString folder; // absolute folder to make current; empty: keep the current one
    QString mask;   // new mask, when the last part holds '*' or '?'
    QString name;   // a plain file name to select in `folder` (or the current folder)

    bool operator==(const TypedPath&) const = default;
};

// Splits `text` into a folder, a mask and a name. A relative folder part counts from
// `currentFolder`. A last part that names an existing folder (also "." and "..") becomes the
// folder instead of a name.
TypedPath splitTypedPath(const QString& text, const QString& currentFolder);

// How a file dialog starts from a start text like "*.bmp", "/pictures/*.bmp" or a full path.
struct DialogStart
{
    QString folder;  // folder to open in; empty: the dialog's own choice
    QString pattern; // a wildcard mask to pick the filter by
    QString file;    // a file to preselect

    bool operator==(const DialogStart&) const = default;
};

DialogStart dialogStart(const QString& fileName);

// `path` with "." and `suffix` in lower case appended when its file name has no extension.
QString applyDefaultSuffix(const QString& path, const QString& suffix);

} // namespace chooser
