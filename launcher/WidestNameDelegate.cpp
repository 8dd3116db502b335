#include "WidestNameDelegate.h"

#include "DirectoryListing.h"

#include <QFontMetricsF>
#include <QHash>
#include <QtMath>
#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Widths in 1/64 pixel, the unit of the font's own advances: integer sums
// keep the pass over every name fast and exact.
int sixtyFourths(qreal pixels)
{
    return qCeil(pixels * 64);
}

// A character that the font draws as a glyph of its own, beside the others:
// shaping a text of such characters can only bring them closer (kerning,
// ligatures), so the sum of their advances bounds its width. Marks, joiners,
// controls and the scripts whose shaping joins, stacks or reorders glyphs
// (Arabic, the Indic scripts, Thai and many more) give no such bound.
bool isPlainSpacing(char32_t character)
{
    switch (QChar::category(character)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
        return false;
    default:
        break;
    }
    switch (QChar::script(character)) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Armenian:
    case QChar::Script_Georgian:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
    case QChar::Script_Hangul:
        return true;
    default:
        return false;
    }
}

// A bound on a name's width from above: the sum of its characters' advances,
// each measured once, for names of plain spacing characters only.
class WidthBound
{
public:
    explicit WidthBound(const QFontMetricsF& metrics)
        : metrics(metrics)
    {
        asciiAdvances.fill(unknown);
    }

    std::optional<int> operator()(const EntryNames& names, int index)
    {
        quint64 width = 0;
        for (const char byte : names.bytes(index))
            width += asciiAdvances[uchar(byte)];
        if (width < unknown)
            return int(width);
        return fromCharacters(names.text(index));
    }

private:
    std::optional<int> fromCharacters(const QString& text)
    {
        int width = 0;
        for (qsizetype at = 0; at < text.size(); ++at) {
            char32_t character = text[at].unicode();
            if (QChar::isHighSurrogate(character) && at + 1 < text.size()) {
                character = QChar::surrogateToUcs4(text[at], text[at + 1]);
                ++at;
            }
            if (!isPlainSpacing(character))
                return std::nullopt;
            width += advance(character);
        }
        return width;
    }

    // Characters are measured as they turn up: measuring one loads its
    // glyph, and a folder uses few of them.
    int advance(char32_t character)
    {
        if (character < 0x80) {
            if (asciiAdvances[character] == unknown)
                asciiAdvances[character] = quint64(measure(character));
            return int(asciiAdvances[character]);
        }
        const auto known = others.constFind(character);
        if (known != others.constEnd())
            return *known;
        return *others.insert(character, measure(character));
    }

    int measure(char32_t character) const
    {
        if (QChar::requiresSurrogates(character))
            return sixtyFourths(metrics.horizontalAdvance(QString::fromUcs4(&character, 1)));
        // The glyph's own advance: far cheaper than shaping a string of one.
        return sixtyFourths(metrics.horizontalAdvance(QChar(character)));
    }

    // Counted for a byte beyond ASCII, or of a character not measured (yet):
    // far above any sum of advances, so one such byte sends the name to the
    // pass over its characters.
    static constexpr quint64 unknown = quint64(1) << 32;

    const QFontMetricsF& metrics;
    std::array<quint64, 256> asciiAdvances {};
    QHash<char32_t, int> others;
};

} // namespace

void WidestNameDelegate::findWidest(const EntryNames& names, const QFont& font)
{
    const QFontMetricsF metrics(font);
    widestRow = -1;
    int widestWidth = 0;
    const auto measure = [&](int index) {
        const int width = sixtyFourths(metrics.horizontalAdvance(names.text(index)));
        if (widestRow < 0 || width > widestWidth) {
            widestRow = index;
            widestWidth = width;
        }
    };

    // Names with a bound wait in a heap, highest bound on top; the others
    // are measured whole at once.
    WidthBound bound(metrics);
    std::vector<std::pair<int, int>> bounds;
    for (int index = 0; index < names.size(); ++index) {
        if (const std::optional<int> width = bound(names, index))
            bounds.emplace_back(*width, index);
        else
            measure(index);
    }
    // From the highest bound down, until no name left can be wider than the
    // widest measured.
    std::make_heap(bounds.begin(), bounds.end());
    while (!bounds.empty() && (widestRow < 0 || bounds.front().first > widestWidth)) {
        std::pop_heap(bounds.begin(), bounds.end());
        measure(bounds.back().second);
        bounds.pop_back();
    }
}

QSize WidestNameDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    // The height stays the toolkit's choice, so that a name broken over lines
    // does not make every row taller.
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (widestRow >= 0)
        size.setWidth(QStyledItemDelegate::sizeHint(option, index.siblingAtRow(widestRow)).width());
    return size;
}
