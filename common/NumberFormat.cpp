#include "common/NumberFormat.h"

#include <QHash>

#include <algorithm>
#include <optional>
#include <vector>

namespace ret {
namespace {

struct Token {
    enum Kind { Zero, Hash, Point, Comma, Literal } kind;
    QString text; // what the token shows when taken as a literal
};

bool isPlaceholder(const Token& t) {
    return t.kind == Token::Zero || t.kind == Token::Hash;
}

// Splits on ";" outside quotes and escapes; quotes and escapes stay in place for tokenize().
std::vector<QString> splitSections(const QString& pattern) {
    std::vector<QString> sections(1);
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u';' && !quoted) {
            sections.emplace_back();
            continue;
        }
        sections.back().append(c);
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u'\\' && !quoted && i + 1 < pattern.size()) {
            sections.back().append(pattern[++i]);
        }
    }
    return sections;
}

// Only the first "." starts the decimals; any later one is a literal.
std::vector<Token> tokenize(const QString& section) {
    std::vector<Token> tokens;
    bool pointSeen = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'"') {
            const qsizetype end = section.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? section.size() : end;
            tokens.push_back({Token::Literal, section.mid(i + 1, stop - i - 1)});
            i = stop;
        } else if (c == u'\\') {
            if (i + 1 < section.size())
                tokens.push_back({Token::Literal, QString(section[++i])});
        } else if (c == u'0') {
            tokens.push_back({Token::Zero, QString(c)});
        } else if (c == u'#') {
            tokens.push_back({Token::Hash, QString(c)});
        } else if (c == u'.') {
            tokens.push_back({pointSeen ? Token::Literal : Token::Point, QString(c)});
            pointSeen = true;
        } else if (c == u',') {
            tokens.push_back({Token::Comma, QString(c)});
        } else {
            tokens.push_back({Token::Literal, QString(c)});
        }
    }
    return tokens;
}

// A section read once: the layout of its placeholders and what they imply.
struct Section {
    std::vector<Token> tokens; // without the grouping commas
    bool hasPlaceholders = false;
    bool grouping = false;
    int intPlaceholders = 0;
    int minIntDigits = 0; // from the leftmost integer "0" to the point
    int places = 0;
    int minPlaces = 0; // up to the last decimal "0"
    qsizetype pointAt = -1;
    qsizetype firstInt = -1, lastInt = -1, firstDec = -1, lastDec = -1;
};

Section analyse(const QString& text) {
    std::vector<Token> raw = tokenize(text);
    qsizetype firstIntRaw = -1, lastIntRaw = -1;
    for (qsizetype i = 0; i < qsizetype(raw.size()) && raw[i].kind != Token::Point; ++i) {
        if (isPlaceholder(raw[i])) {
            if (firstIntRaw < 0)
                firstIntRaw = i;
            lastIntRaw = i;
        }
    }
    Section s;
    for (qsizetype i = 0; i < qsizetype(raw.size()); ++i) {
        if (raw[i].kind != Token::Comma)
            continue;
        if (firstIntRaw >= 0 && i > firstIntRaw && i < lastIntRaw)
            s.grouping = true; // dropped below: grouping is applied to the digits as a whole
        else
            raw[i].kind = Token::Literal;
    }
    int leftmostZero = -1; // among the integer placeholders, counted from the left
    for (const Token& t : raw) {
        if (t.kind == Token::Comma)
            continue;
        const qsizetype at = qsizetype(s.tokens.size());
        s.tokens.push_back(t);
        if (t.kind == Token::Point) {
            s.pointAt = at;
        } else if (isPlaceholder(t)) {
            s.hasPlaceholders = true;
            if (s.pointAt < 0) {
                if (s.firstInt < 0)
                    s.firstInt = at;
                s.lastInt = at;
                if (t.kind == Token::Zero && leftmostZero < 0)
                    leftmostZero = s.intPlaceholders;
                ++s.intPlaceholders;
            } else {
                if (s.firstDec < 0)
                    s.firstDec = at;
                s.lastDec = at;
                ++s.places;
                if (t.kind == Token::Zero)
                    s.minPlaces = s.places;
            }
        }
    }
    s.minIntDigits = leftmostZero < 0 ? 0 : s.intPlaceholders - leftmostZero;
    return s;
}

// The digits of |value| rounded to `places`: the integer digits without leading zeros (empty
// for a zero integer part) and exactly `places` decimals.
struct Digits {
    bool negative = false;
    bool zero = true;
    QString whole;
    QString fraction;
};

Digits digitsOf(Decimal value, int places) {
    QString text = value.toPlainString(places);
    Digits d;
    if (text.startsWith(u'-')) {
        d.negative = true;
        text.remove(0, 1);
    }
    const qsizetype point = text.indexOf(u'.');
    d.whole = point < 0 ? text : text.left(point);
    d.fraction = point < 0 ? QString() : text.mid(point + 1);
    while (!d.whole.isEmpty() && d.whole.front() == u'0')
        d.whole.remove(0, 1);
    d.zero = d.whole.isEmpty() &&
             std::all_of(d.fraction.begin(), d.fraction.end(), [](QChar c) { return c == u'0'; });
    return d;
}

QString render(const Section& s, const Digits& d) {
    QString out;
    if (!s.hasPlaceholders) {
        for (const Token& t : s.tokens)
            out.append(t.text);
        return out;
    }
    int shownPlaces = s.places;
    while (shownPlaces > s.minPlaces && d.fraction[shownPlaces - 1] == u'0')
        --shownPlaces;
    const int count = std::max(int(d.whole.size()), s.minIntDigits);
    const QString digits = d.whole.rightJustified(count, u'0');
    // Positions count from the right, so the thousands commas fall in place even when the
    // value has more digits than the pattern has placeholders.
    auto emitDigit = [&](int position) {
        out.append(digits[count - 1 - position]);
        if (s.grouping && position > 0 && position % 3 == 0)
            out.append(u',');
    };
    int intSeen = 0;
    int decSeen = 0;
    for (qsizetype i = 0; i < qsizetype(s.tokens.size()); ++i) {
        const Token& t = s.tokens[i];
        switch (t.kind) {
        case Token::Zero:
        case Token::Hash:
            if (i < s.pointAt || s.pointAt < 0) {
                const int position = s.intPlaceholders - 1 - intSeen;
                const int from = intSeen == 0 ? count - 1 : position;
                for (int p = from; p >= position; --p) {
                    if (p < count)
                        emitDigit(p);
                }
                ++intSeen;
            } else {
                if (decSeen < shownPlaces)
                    out.append(d.fraction[decSeen]);
                ++decSeen;
            }
            break;
        case Token::Point:
            if (s.intPlaceholders == 0) {
                for (int p = count - 1; p >= 0; --p)
                    emitDigit(p);
            }
            out.append(u'.');
            break;
        case Token::Comma:
        case Token::Literal:
            // Between placeholders a literal belongs to the digits around it: shown only when
            // the digits reach it.
            if (i > s.firstInt && i < s.lastInt) {
                if (s.intPlaceholders - intSeen < count)
                    out.append(t.text);
            } else if (i > s.firstDec && i < s.lastDec) {
                if (decSeen < shownPlaces)
                    out.append(t.text);
            } else {
                out.append(t.text);
            }
            break;
        }
    }
    return out;
}

// A pattern read once: its positive section, and the negative and zero ones when they are
// there and not empty (an empty one falls back to the positive one).
struct Pattern {
    Section positive;
    std::optional<Section> negative;
    std::optional<Section> zero;
};

// The same few patterns format every amount of a report, tens of thousands of times: each is
// read once per thread.
const Pattern& parsed(const QString& pattern) {
    thread_local QHash<QString, Pattern> cache;
    if (const auto it = cache.constFind(pattern); it != cache.constEnd())
        return *it;
    if (cache.size() >= 64)
        cache.clear(); // patterns come from the code and the reports: a handful
    const std::vector<QString> texts = splitSections(pattern);
    Pattern p{analyse(texts[0]), std::nullopt, std::nullopt};
    if (texts.size() > 1 && !texts[1].isEmpty())
        p.negative = analyse(texts[1]);
    if (texts.size() > 2 && !texts[2].isEmpty())
        p.zero = analyse(texts[2]);
    return *cache.insert(pattern, std::move(p));
}

} // namespace

QString formatNumber(Decimal value, const QString& pattern) {
    if (pattern.isEmpty())
        return value.toShortString();
    const Pattern& p = parsed(pattern);
    if (value.isNegative() && p.negative) {
        const Digits d = digitsOf(value, p.negative->places);
        if (!d.zero)
            return render(*p.negative, d);
    } else if (!value.isZero()) {
        const Digits d = digitsOf(value, p.positive.places);
        if (!d.zero)
            return (d.negative ? QStringLiteral("-") : QString()) + render(p.positive, d);
    }
    if (p.zero)
        return render(*p.zero, digitsOf(Decimal(), p.zero->places));
    return render(p.positive, digitsOf(Decimal(), p.positive.places));
}

QString formatText(const QString& text, const QString& pattern) {
    if (const std::optional<Decimal> value = Decimal::parseNumericText(text))
        return formatNumber(*value, pattern);
    return text;
}

Decimal readNumber(const QString& text, const QString& pattern) {
    return Decimal::leadingValue(formatText(text, pattern));
}

} // namespace ret
