#ifndef ENTRYNAMES_H
#define ENTRYNAMES_H

#include <QByteArrayView>
#include <QString>
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

#endif
