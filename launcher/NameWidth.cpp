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
    // Characters are measured as they turn up: measuring one loads its
    // glyph, and a folder uses few of them.
    explicit WidthGuess(const QFontMetricsF& metrics)
        : metrics(metrics)
    {
        byteAdvances.fill(unknown);
    }

    int operator()(QByteArrayView name)
    {
        const auto* bytes = reinterpret_cast<const uchar*>(name.data());
        quint64 width = 0;
        for (qsizetype at = 0; at < name.size(); ++at)
            width += byteAdvances[bytes[at]];
        return width < unknown ? int(width) : slowly(bytes, name.size());
    }

private:
    // Names were listed as valid UTF-8.
    int slowly(const uchar* bytes, qsizetype length)
    {
        int width = 0;
        for (qsizetype at = 0; at < length;) {
            const uchar lead = bytes[at++];
            if (lead < 0x80) {
                if (byteAdvances[lead] == unknown)
                    byteAdvances[lead] = quint64(measure(lead));
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

    // Counted for a byte beyond ASCII, or of a character not measured yet:
    // far above any sum of advances, so one such byte sends the name to the
    // slower pass.
    static constexpr quint64 unknown = quint64(1) << 32;

    const QFontMetricsF& metrics;
    std::array<quint64, 256> byteAdvances {};
    QHash<char32_t, int> others;
};

const int prefetchDistance = 16;

// Names whose guesses pass the widest measured width are measured too, at
// most this many, those guessed widest first.
const std::size_t mostMeasured = 16;

struct Guess
{
    int width;
    int index;
};

// The names guessed widest so far, widest first, at most `capacity`.
class Leaders
{
public:
    explicit Leaders(std::size_t capacity)
        : capacity(capacity)
    {
        guesses.reserve(capacity + 1);
    }

    void offer(Guess guess)
    {
        if (guesses.size() == capacity && guess.width <= guesses.back().width)
            return;
        const auto place = std::find_if(guesses.begin(), guesses.end(), [&guess](const Guess& held) {
            return held.width < guess.width;
        });
        guesses.insert(place, guess);
        if (guesses.size() > capacity)
            guesses.pop_back();
    }

    const std::vector<Guess>& widestFirst() const { return guesses; }

private:
    std::size_t capacity;
    std::vector<Guess> guesses;
};

} // namespace

NameWidth widestName(const EntryNames& names, const QFont& font)
{
    if (names.size() == 0)
        return {};
    const QFontMetricsF metrics(font);
    WidthGuess guess(metrics);
    // One more than are ever measured: the first left out bounds the rest.
    Leaders leaders(mostMeasured + 1);
    for (int index = 0; index < names.size(); ++index) {
        // Rows are in name order and their bytes in reading order: fetching
        // ahead keeps the pass from waiting on memory at every name.
        if (index + prefetchDistance < names.size())
            __builtin_prefetch(names.bytes(index + prefetchDistance).data());
        leaders.offer({ guess(names.bytes(index)), index });
    }

    const std::vector<Guess>& candidates = leaders.widestFirst();
    const auto measured = [&](int index) {
        return sixtyFourths(metrics.horizontalAdvance(names.text(index)));
    };
    int widest = candidates.front().index;
    int widestWidth = measured(widest);
    // Names guessed within this of the widest measured width are not worth
    // measuring: the allowance is added to the width instead.
    int allowance = sixtyFourths(metrics.averageCharWidth());
    for (std::size_t rank = 1; rank < candidates.size(); ++rank) {
        const Guess candidate = candidates[rank];
        // Every name after this one is guessed no wider.
        if (candidate.width <= widestWidth + allowance)
            break;
        if (rank == mostMeasured) {
            allowance = candidate.width - widestWidth;
            break;
        }
        const int width = measured(candidate.index);
        if (width > widestWidth) {
            widest = candidate.index;
            widestWidth = width;
        }
    }
    return { widest, qCeil(qreal(allowance) / 64) };
}
