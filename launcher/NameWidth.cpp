#include "NameWidth.h"

#include "EntryNames.h"

#include <QFontMetricsF>
#include <QHash>
#include <QtMath>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

// Widths in 1/64 pixel: integer sums keep the pass over every name fast.
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

// A name's width guessed as the sum of its characters' advances, each
// measured once, for names of plain spacing characters only.
class WidthGuess
{
public:
    explicit WidthGuess(const QFontMetricsF& metrics)
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
    const QFontMetricsF metrics(font);
    NameWidth widest;
    int widestWidth = 0;
    const auto measureWhole = [&](int index) {
        const int width = sixtyFourths(metrics.horizontalAdvance(names.text(index)));
        if (widest.index < 0 || width > widestWidth) {
            widest.index = index;
            widestWidth = width;
        }
    };

    WidthGuess guess(metrics);
    // One more than are ever measured: the first left out bounds the rest.
    Leaders leaders(mostMeasured + 1);
    for (int index = 0; index < names.size(); ++index) {
        if (const std::optional<int> width = guess(names, index))
            leaders.offer({ *width, index });
        else
            measureWhole(index);
    }

    // Names guessed within this of the widest measured width are not worth
    // measuring: the allowance is added to the width instead.
    int allowance = sixtyFourths(metrics.averageCharWidth());
    const std::vector<Guess>& candidates = leaders.widestFirst();
    for (std::size_t rank = 0; rank < candidates.size(); ++rank) {
        // Every name after this one is guessed no wider.
        if (widest.index >= 0 && candidates[rank].width <= widestWidth + allowance)
            break;
        if (rank == mostMeasured) {
            allowance = candidates[rank].width - widestWidth;
            break;
        }
        measureWhole(candidates[rank].index);
    }
    widest.allowance = qCeil(qreal(allowance) / 64);
    return widest;
}
