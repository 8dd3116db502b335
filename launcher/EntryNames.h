#ifndef ENTRYNAMES_H
#define ENTRYNAMES_H

#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <vector>

// The names of one listing as their UTF-8 bytes, back to back in one buffer:
// no allocation per name, and a name is decoded only when it is shown. Cards
// hold folders of many thousands of clips.
class EntryNames
{
public:
    // Where one name lies in the buffer.
    struct Span
    {
        quint32 offset;
        quint32 length;
    };

    int size() const { return int(order.size()); }
    QByteArrayView bytes(int index) const
    {
        const Span span = order[std::size_t(index)];
        return QByteArrayView(bytesOf(span), qsizetype(span.length));
    }
    // The name as text, or a null string for an index out of range.
    QString text(int index) const;

    // Building: store every name, then give the order in which they are shown.
    void reserveBytes(std::size_t total) { buffer.reserve(total); }
    Span store(const char* name, std::size_t length);
    const char* bytesOf(Span span) const { return buffer.data() + span.offset; }
    void setOrder(std::vector<Span> spans) { order = std::move(spans); }

private:
    std::vector<char> buffer;
    std::vector<Span> order;
};

#endif
