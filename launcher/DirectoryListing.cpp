#include "DirectoryListing.h"

#include <QByteArrayView>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
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

// A name that is not valid UTF-8 has no text that leads back to the file, so
// it is not shown. A leading byte-order mark is part of the name and stays.
bool isUtf8(const char* name, std::size_t length)
{
    return QByteArrayView(name, qsizetype(length)).isValidUtf8();
}

const quint64 topBits = 0x8080808080808080;

// The name's bytes eight at a time, zeros past its end, OR-ed by `combine`.
template <typename Combine>
quint64 foldWords(const char* name, std::size_t length, Combine combine)
{
    quint64 folded = 0;
    std::size_t at = 0;
    for (; at + 8 <= length; at += 8) {
        quint64 word;
        std::memcpy(&word, name + at, sizeof word);
        folded |= combine(word);
    }
    quint64 tail = 0;
    std::memcpy(&tail, name + at, length - at);
    return folded | combine(tail);
}

// Most names are plain ASCII: valid, and in the same order as bytes or as
// UTF-16, with no further checks.
bool isAscii(const char* name, std::size_t length)
{
    return !(foldWords(name, length, [](quint64 word) { return word; }) & topBits);
}

// Names are sorted as their bytes, as QDir::Name without QDir::IgnoreCase
// orders them: by UTF-16 code units. UTF-8 bytes order by code point, which
// agrees except that U+E000 to U+FFFF (lead bytes EE, EF) come after the
// characters beyond U+FFFF (lead bytes F0 to F4, surrogates in UTF-16). Two
// valid names part at bytes of the same role, so ranking those lead bytes
// between the others is all it takes.
int utf16Rank(uchar byte)
{
    if (byte >= 0xf0)
        return byte - 2;
    if (byte >= 0xee)
        return byte + 5;
    return byte;
}

// Only a name that holds a byte from EE up needs ranking; all others order
// as their plain bytes. A byte from EE up is one with its top bit set whose
// low seven bits plus 0x12 reach 0x80, and no byte's sum carries into the
// next.
bool needsRanking(const char* name, std::size_t length)
{
    return foldWords(name, length, [](quint64 word) {
        return ((word & ~topBits) + 0x1212121212121212) & word & topBits;
    });
}

using Row = EntryNames::Row;

// Four bytes of a row's name from `depth` on, ranked, first byte highest and
// zeros past the end: comparing them as numbers orders names as UTF-16 does.
quint32 keyAt(const std::vector<char>& bytes, const Row& row, std::size_t depth)
{
    const char* name = bytes.data() + row.offset;
    if (!row.ranked && depth + 4 <= row.length)
        return qFromBigEndian<quint32>(name + depth);
    uchar key[4] = {};
    if (depth < row.length)
        std::memcpy(key, name + depth, std::min<std::size_t>(row.length - depth, sizeof key));
    if (row.ranked)
        for (uchar& byte : key)
            byte = uchar(utf16Rank(byte));
    return qFromBigEndian<quint32>(key);
}

// Sorts rows by their keys from the byte at `shift` down, a byte at a time:
// each round counts the rows per byte value and moves every row once into
// its place, where a comparison sort of many rows compares each many times.
void sortByKey(Row* first, Row* last, int shift)
{
    const std::ptrdiff_t fewRows = 256;
    if (last - first <= fewRows) {
        std::sort(first, last, [](const Row& left, const Row& right) {
            return left.sortKey < right.sortKey;
        });
        return;
    }
    const auto byteOf = [shift](const Row& row) { return (row.sortKey >> shift) & 0xff; };
    std::array<std::ptrdiff_t, 256> counts {};
    for (const Row* row = first; row != last; ++row)
        ++counts[byteOf(*row)];
    // A byte all rows share moves nothing.
    if (counts[byteOf(*first)] == last - first) {
        if (shift > 0)
            sortByKey(first, last, shift - 8);
        return;
    }
    std::array<Row*, 256> next;
    std::array<Row*, 256> ends;
    Row* bucket = first;
    for (std::size_t value = 0; value < 256; ++value) {
        next[value] = bucket;
        bucket += counts[value];
        ends[value] = bucket;
    }
    // Each row goes straight to the next free place of its bucket, swapping
    // out the row there, until the row that belongs here comes back.
    for (std::size_t value = 0; value < 256; ++value) {
        while (next[value] != ends[value]) {
            Row row = *next[value];
            for (std::size_t home = byteOf(row); home != value; home = byteOf(row))
                std::swap(row, *next[home]++);
            *next[value]++ = row;
        }
    }
    if (shift == 0)
        return;
    for (std::size_t value = 0; value < 256; ++value)
        sortByKey(ends[value] - counts[value], ends[value], shift - 8);
}

// Sorts by names four bytes at a time, then each run of equal bytes by the
// next four. Each round reads every name once and compares numbers kept in
// the rows; comparing whole names fetched two names from all over the buffer
// at every step, which was where the time went.
void sortByKeys(Row* first, Row* last, const std::vector<char>& bytes, std::size_t depth)
{
    if (last - first < 2)
        return;
    // Names are at most 255 bytes: beyond that, equal means the same name.
    const std::size_t deepest = 252;
    // Bytes all names share, as a series' episodes do, leave nothing to sort.
    for (;; depth += 4) {
        const quint32 lead = keyAt(bytes, *first, depth);
        bool shared = true;
        for (Row* row = first; row != last; ++row) {
            row->sortKey = keyAt(bytes, *row, depth);
            shared &= row->sortKey == lead;
        }
        if (!shared)
            break;
        if (depth == deepest)
            return;
    }
    sortByKey(first, last, 24);
    if (depth == deepest)
        return;
    for (Row* run = first; run != last;) {
        Row* const end = std::find_if(run + 1, last, [run](const Row& row) {
            return row.sortKey != run->sortKey;
        });
        sortByKeys(run, end, bytes, depth + 4);
        run = end;
    }
}

// Directories first, then files, each by name.
void sortRows(std::vector<Row>& rows, const std::vector<char>& bytes)
{
    Row* const first = rows.data();
    Row* const last = first + rows.size();
    Row* const files = std::partition(first, last, [](const Row& row) { return !row.isFile; });
    sortByKeys(first, files, bytes, 0);
    sortByKeys(files, last, bytes, 0);
}

// A directory's size is about 20 bytes per entry or more on the usual file
// systems, so this bounds the entries; reserving for them costs no memory
// until it is used.
std::size_t entriesAtMost(int dirFd)
{
    struct stat self;
    if (::fstat(dirFd, &self) != 0 || self.st_size <= 0)
        return 0;
    return std::size_t(std::min<quint64>(quint64(self.st_size) / 20, quint64(1) << 20));
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
    const std::size_t expected = entriesAtMost(dirFd);
    std::vector<Row> rows;
    rows.reserve(expected);
    std::vector<char> bytes;
    // Clip names run to some 30 bytes.
    bytes.reserve(expected * 32);
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
        const bool ascii = isAscii(name, length);
        if (!ascii && !isUtf8(name, length))
            continue;
        rows.push_back({ quint32(bytes.size()), quint16(length), isFile,
                         !ascii && needsRanking(name, length), 0 });
        bytes.insert(bytes.end(), name, name + length);
    }
    sortRows(rows, bytes);
    listing.names = EntryNames(std::move(bytes), std::move(rows));
    return listing;
}
