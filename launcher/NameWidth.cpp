#include "NameWidth.h"

#include "EntryNames.h"

#include <QFontMetricsF>
#include <QHash>
#include <QtMath>
#include <algorithm>
#include <array>
#include <vector>

namespace {

// Widths in 1/64 pixel: integer sums keep the pass over every name fast.
int sixtyFourths(qreal pixels)
{
    return qCeil(pixels * 64);
}

// A name's width guessed as the sum of its characters' advances, each
// measured once. Shaping only narrows text (kerning), so the guess is never
// short of the width the list draws.
class WidthGuess
{
public:
    explicit WidthGuess(const QFontMetricsF& metrics)
        : metrics(metrics)
    {
        for (int byte = 0; byte < 0x80; ++byte)
            byteAdvances[std::size_t(byte)] = measure(char32_t(byte));
        std::fill(byteAdvances.begin() + 0x80, byteAdvances.end(), beyond);
    }

    int operator()(QByteArrayView name)
    {
        const auto* bytes = reinterpret_cast<const uchar*>(name.data());
        quint64 width = 0;
        for (qsizetype at = 0; at < name.size(); ++at)
            width += byteAdvances[bytes[at]];
        return width < beyond ? int(width) : beyondAscii(bytes, name.size());
    }

private:
    // Names were listed as valid UTF-8.
    int beyondAscii(const uchar* bytes, qsizetype length)
    {
        int width = 0;
        for (qsizetype at = 0; at < length;) {
            const uchar lead = bytes[at++];
            if (lead < 0x80) {
                width += int(byteAdvances[lead]);
                continue;
            }
            const int sequence = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
            char32_t character = lead & (0x7f >> sequence);
            for (int continuation = 1; continuation < sequence; ++continuation)
                character = (character << 6) | (bytes[at++] & 0x3f);
            width += advance(character);
        }
        return width;
    }

    int measure(char32_t character) const
    {
        if (QChar::requiresSurrogates(character))
            return sixtyFourths(metrics.horizontalAdvance(QString::fromUcs4(&character, 1)));
        return sixtyFourths(metrics.horizontalAdvance(QChar(character)));
    }

    int advance(char32_t character)
    {
        const auto known = others.constFind(character);
        if (known != others.constEnd())
            return *known;
        return *others.insert(character, measure(character));
    }

    // Counted for each byte beyond ASCII: far above any sum of ASCII
    // advances, so one such byte sends the name to the slower pass.
    static constexpr quint64 beyond = quint64(1) << 32;

    const QFontMetricsF& metrics;
    std::array<quint64, 256> byteAdvances {};
    QHash<char32_t, int> others;
};

const int prefetchDistance = 16;

// Names whose guesses still pass the widest measured width are measured too,
// at most this many, those guessed widest first.
const std::size_t mostMeasured = 16;

} // namespace

NameWidth widestName(const EntryNames& names, const QFont& font)
{
    if (names.size() == 0)
        return {};
    const QFontMetricsF metrics(font);
    WidthGuess guess(metrics);
    std::vector<int> guesses(std::size_t(names.size()));
    for (int index = 0; index < names.size(); ++index) {
        // Rows are in name order and their bytes in reading order: fetching
        // ahead keeps the pass from waiting on memory at every name.
        if (index + prefetchDistance < names.size())
            __builtin_prefetch(names.bytes(index + prefetchDistance).data());
        guesses[std::size_t(index)] = guess(names.bytes(index));
    }
    const auto guessedWider = [&guesses](int left, int right) {
        return guesses[std::size_t(left)] > guesses[std::size_t(right)];
    };
    const auto measured = [&](int index) {
        return sixtyFourths(metrics.horizontalAdvance(names.text(index)));
    };

    int widest = int(std::max_element(guesses.begin(), guesses.end()) - guesses.begin());
    int widestWidth = measured(widest);
    // Names guessed within this of the widest measured width are not worth
    // measuring: the allowance is added to the width instead.
    int allowance = sixtyFourths(metrics.averageCharWidth());
    std::vector<int> contenders;
    for (int index = 0; index < names.size(); ++index)
        if (index != widest && guesses[std::size_t(index)] > widestWidth + allowance)
            contenders.push_back(index);
    const std::size_t ranked = std::min(contenders.size(), mostMeasured + 1);
    std::partial_sort(contenders.begin(), contenders.begin() + qsizetype(ranked), contenders.end(),
                      guessedWider);
    for (std::size_t rank = 0; rank < ranked; ++rank) {
        const int index = contenders[rank];
        if (rank == mostMeasured) {
            // Left unmeasured: the guess bounds the width.
            allowance = std::max(allowance, guesses[std::size_t(index)] - widestWidth);
            break;
        }
        const int width = measured(index);
        if (width > widestWidth) {
            widest = index;
            widestWidth = width;
        }
    }
    return { widest, qCeil(qreal(allowance) / 64) };
}
