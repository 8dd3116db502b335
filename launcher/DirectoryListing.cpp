#include "DirectoryListing.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Reads the directory with readdir rather than QDir, with no file information
// object per entry: cards hold directories of many thousands of clips. The
// rules are those of a QDir with the name filter
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
bool matchesNameFilter(const char* name, std::size_t length)
{
    return std::memchr(name, '.', length) != nullptr;
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

// QDir::Name without QDir::IgnoreCase orders names by their UTF-16 code
// units. UTF-8 bytes order by code point, which agrees except that U+E000 to
// U+FFFF (lead bytes EE, EF) come after the characters beyond U+FFFF (lead
// bytes F0 to F4, surrogate pairs in UTF-16). Two valid names part at bytes
// of the same role, so ranking those lead bytes where they part is all it
// takes.
int utf16Rank(uchar byte)
{
    if (byte >= 0xf0)
        return byte - 2;
    if (byte >= 0xee)
        return byte + 5;
    return byte;
}

// Only a name that holds a byte from EE up needs ranking; all others order
// as their plain bytes.
bool needsRanking(const char* name, std::size_t length)
{
    return std::any_of(name, name + length, [](char byte) { return uchar(byte) >= 0xee; });
}

bool precedesInUtf16(QByteArrayView left, QByteArrayView right)
{
    const auto [l, r] = std::mismatch(left.begin(), left.end(), right.begin(), right.end());
    if (r == right.end())
        return false;
    if (l == left.end())
        return true;
    return utf16Rank(uchar(*l)) < utf16Rank(uchar(*r));
}

// A path that does not survive decoding names no directory the list could
// list again, or leave through "..": as unreadable as a missing one.
QString canonicalPathOf(const QByteArray& nativePath)
{
    const std::unique_ptr<char, CFree> resolved(::realpath(nativePath.constData(), nullptr));
    if (!resolved)
        return QString();
    const QString path = QFile::decodeName(resolved.get());
    return QFile::encodeName(path) == resolved.get() ? path : QString();
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
    // Gone between the two looks, or beyond naming: as unreadable as a
    // missing one.
    if (listing.canonicalPath.isEmpty())
        return std::nullopt;

    const int dirFd = ::dirfd(dir.get());
    using Row = EntryNames::Row;
    std::vector<Row> rows;
    std::vector<char> bytes;
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (isHidden(name) || (name[0] == '*' && std::strcmp(name, skippedName) == 0))
            continue;
        const EntryKind kind = kindOf(dirFd, *entry);
        if (kind == EntryKind::Other)
            continue;
        const std::size_t length = std::strlen(name);
        const bool isFile = kind == EntryKind::File;
        if (isFile && !matchesNameFilter(name, length))
            continue;
        // A name that is not valid UTF-8 has no text that leads back to the
        // file, so it is not shown.
        if (!QByteArrayView(name, qsizetype(length)).isValidUtf8())
            continue;
        rows.push_back({ quint32(bytes.size()), quint16(length), isFile, needsRanking(name, length) });
        bytes.insert(bytes.end(), name, name + length);
    }

    // Directories first, then files, each by name.
    const auto nameOf = [&bytes](const Row& row) {
        return QByteArrayView(bytes.data() + row.offset, qsizetype(row.length));
    };
    std::sort(rows.begin(), rows.end(), [&nameOf](const Row& left, const Row& right) {
        if (left.isFile != right.isFile)
            return right.isFile;
        if (left.ranked || right.ranked)
            return precedesInUtf16(nameOf(left), nameOf(right));
        return nameOf(left) < nameOf(right);
    });
    listing.names = EntryNames(std::move(bytes), std::move(rows));
    return listing;
}

QString EntryNames::text(int index) const
{
    if (index < 0 || index >= size())
        return QString();
    // A leading byte-order mark is part of the name: QString::fromUtf8 would
    // drop it.
    QStringDecoder toUtf16(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless
                                                     | QStringDecoder::Flag::ConvertInitialBom);
    return toUtf16(bytes(index));
}

int EntryNames::indexOf(const QString& text) const
{
    const QByteArray name = text.toUtf8();
    for (int index = 0; index < size(); ++index) {
        if (bytes(index) == name)
            return index;
    }
    return -1;
}
