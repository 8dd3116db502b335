#include "DirectoryListing.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Reads the directory with readdir rather than QDir: cards hold directories of
// many thousands of clips, and a QFileInfo per entry costs several times the
// reading itself. The rules are those of a QDir with the name filter
// "*.avi *.wm? *.mp? *.dat *.*", QDir::DirsFirst | QDir::Name and
// QDir::AllEntries | QDir::AllDirs, without the literal name "*.*".

namespace {

// A literal "*.*" entry would otherwise match its own wildcard.
const char* const skippedName = "*.*";

enum class EntryKind { Directory, File, Other };

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

struct CFree
{
    void operator()(char* text) const { std::free(text); }
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool isHidden(const char* name)
{
    return name[0] == '.' && !isDotOrDotDot(name);
}

// The five patterns all need a dot, and "*.*" takes every name that has one.
bool matchesNameFilter(const char* name)
{
    return std::strchr(name, '.') != nullptr;
}

// A link counts as what it points to; d_type spares a stat for everything
// else (unless the file system leaves it unknown).
EntryKind kindOf(int dirFd, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_DIR:
        return EntryKind::Directory;
    case DT_REG:
        return EntryKind::File;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat target;
        // Fails for dangling links, loops and entries gone since readdir.
        if (::fstatat(dirFd, entry.d_name, &target, 0) != 0)
            return EntryKind::Other;
        if (S_ISDIR(target.st_mode))
            return EntryKind::Directory;
        return S_ISREG(target.st_mode) ? EntryKind::File : EntryKind::Other;
    }
    default:
        return EntryKind::Other;
    }
}

// A name that is not valid UTF-8 has no text that leads back to the file, so
// it is not shown. A leading byte-order mark is part of the name and stays.
bool decodeName(const char* name, QString& text)
{
    QStringDecoder toUtf16(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                     | QStringDecoder::Flag::ConvertInitialBom);
    text = toUtf16(QByteArrayView(name, qsizetype(std::strlen(name))));
    return !toUtf16.hasError();
}

// QDir::Name without QDir::IgnoreCase: UTF-16 code units, case-sensitive.
void sortByName(std::vector<QString>& names)
{
    std::sort(names.begin(), names.end(), [](const QString& left, const QString& right) {
        return QString::compare(left, right, Qt::CaseSensitive) < 0;
    });
}

QString canonicalPathOf(const QByteArray& nativePath)
{
    const std::unique_ptr<char, CFree> resolved(::realpath(nativePath.constData(), nullptr));
    return resolved ? QFile::decodeName(resolved.get()) : QString();
}

} // namespace

std::optional<DirectoryListing> listMediaDirectory(const QString& path)
{
    const QString dirPath = path.isEmpty() ? QStringLiteral(".") : path;
    const QByteArray nativePath = QFile::encodeName(dirPath);
    // An embedded NUL would silently name another directory.
    if (nativePath.contains('\0'))
        return std::nullopt;
    // Readable in the sense of QDir::isReadable(), checked before opening.
    if (::access(nativePath.constData(), R_OK) != 0)
        return std::nullopt;
    const DirHandle dir(::opendir(nativePath.constData()));
    if (!dir)
        return std::nullopt;

    DirectoryListing listing;
    listing.canonicalPath = canonicalPathOf(nativePath);
    // Gone between the two looks: as unreadable as a missing one.
    if (listing.canonicalPath.isEmpty())
        return std::nullopt;

    std::vector<QString> directories;
    std::vector<QString> files;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (isHidden(name) || std::strcmp(name, skippedName) == 0)
            continue;
        const EntryKind kind = kindOf(dirFd, *entry);
        if (kind == EntryKind::Other || (kind == EntryKind::File && !matchesNameFilter(name)))
            continue;
        QString text;
        if (!decodeName(name, text))
            continue;
        (kind == EntryKind::Directory ? directories : files).push_back(std::move(text));
    }

    sortByName(directories);
    sortByName(files);
    listing.names.reserve(qsizetype(directories.size() + files.size()));
    std::move(directories.begin(), directories.end(), std::back_inserter(listing.names));
    std::move(files.begin(), files.end(), std::back_inserter(listing.names));
    return listing;
}
