#ifndef DIRECTORYLISTING_H
#define DIRECTORYLISTING_H

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

// The names of one listing as their UTF-8 bytes, back to back in one buffer,
// and the rows that show them: no allocation per name, and a name is decoded
// only when it is shown. Cards hold folders of many thousands of clips.
class EntryNames
{
public:
    // Where one row's name lies in the buffer, with what the listing orders
    // rows by besides the name.
    struct Row
    {
        quint32 offset;
        quint16 length;
        // Directories come before files.
        bool isFile;
        // The name holds a byte from EE up, where byte order and UTF-16
        // order can part.
        bool ranked;
    };

    EntryNames() = default;
    EntryNames(std::vector<char> bytes, std::vector<Row> rows)
        : buffer(std::move(bytes)), rows(std::move(rows))
    {
    }

    int size() const { return int(rows.size()); }
    QByteArrayView bytes(int index) const
    {
        const Row& row = rows[std::size_t(index)];
        return QByteArrayView(buffer.data() + row.offset, qsizetype(row.length));
    }
    // The name as text, or a null string for an index out of range.
    QString text(int index) const;
    // The index of the name `text`, or -1.
    int indexOf(const QString& text) const;

private:
    std::vector<char> buffer;
    std::vector<Row> rows;
};

// What the media list shows for one directory: ".", "..", the directories,
// then the files that look like media, each group ordered as QString compares
// (UTF-16 code units, case-sensitive). Hidden names, names that are not valid
// UTF-8, dangling links, pipes, sockets and devices are left out.
struct DirectoryListing
{
    EntryNames names;
    QString canonicalPath;
};

// Lists `path` (empty means the working directory), or gives nothing when the
// directory cannot be read.
std::optional<DirectoryListing> listMediaDirectory(const QString& path);

#endif
