// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "post/find.h"

#include <array>

namespace qirtaz::find {
namespace {

// The folding, the one place that says which letters are the same word. A rule
// takes the units first..last to to (to + (unit - first) where it shifts, as
// capitals to small letters), or drops them when to is Ignored.
struct Rule {
    char16_t first;
    char16_t last;
    char32_t to;
    bool shifts = false;
};

constexpr Rule rules[] = {
    {u'\u064B', u'\u065F', Ignored},   // the short vowels, tanween, shadda, sukun and other marks
    {u'\u0670', u'\u0670', Ignored},   // the dagger alef
    {u'\u0640', u'\u0640', Ignored},   // the lengthening stroke (tatweel)
    {u'\u0622', u'\u0623', u'\u0627'}, // آ أ -> ا
    {u'\u0625', u'\u0625', u'\u0627'}, // إ -> ا
    {u'\u0671', u'\u0671', u'\u0627'}, // ٱ -> ا
    {u'\u0649', u'\u0649', u'\u064A'}, // ى -> ي
    {u'A', u'Z', u'a', true},
    {u'\u00C0', u'\u00D6', u'\u00E0', true}, // Latin-1 capitals, but for the sign ×
    {u'\u00D8', u'\u00DE', u'\u00F8', true},
};

// Every rule touches a unit below this; what lies above folds to itself.
constexpr char16_t TableEnd = u'\u0700';

constexpr std::array<char32_t, TableEnd> table = [] {
    std::array<char32_t, TableEnd> folded{};
    for (char16_t unit = 0; unit < TableEnd; ++unit)
        folded[unit] = unit;
    for (const Rule& rule : rules)
        for (char16_t unit = rule.first; unit <= rule.last; ++unit)
            folded[unit] = rule.to == Ignored ? Ignored
                           : rule.shifts      ? rule.to + (unit - rule.first)
                                              : rule.to;
    return folded;
}();

static_assert([] {
    for (const Rule& rule : rules)
        if (rule.last >= TableEnd || rule.first > rule.last)
            return false;
    return true;
}());

// What may stand inside a word: letters (the lengthening stroke among them),
// digits, marks. A boundary of a whole word is where one of these meets
// something else.
bool inWord(QChar unit) {
    return unit.isLetterOrNumber() || unit.isMark();
}

} // namespace

char32_t fold(char16_t unit) {
    return unit < TableEnd ? table[unit] : unit;
}

Finder::Finder(QStringView needle, Options options)
    : options_(options) {
    needle_.reserve(std::size_t(needle.size()));
    for (const QChar unit : needle) {
        const char32_t folded = options.exact ? unit.unicode() : fold(unit.unicode());
        if (folded != Ignored)
            needle_.push_back(char16_t(folded));
    }
}

namespace {

// One line folded, with where each of its folded letters stands in the line.
struct Folded {
    std::vector<char16_t> text;
    std::vector<qsizetype> at;
};

// Matches in line from the unit from on; at most one when first is set.
void scan(QStringView line, qsizetype offset, qsizetype from, const std::vector<char16_t>& needle,
          const Options& options, bool first, std::vector<reading::Span>& out) {
    const auto length = qsizetype(needle.size());
    if (length == 0 || line.size() - from < length)
        return;
    const QStringView wanted(needle.data(), length);
    thread_local Folded folded;
    QStringView haystack = line;
    qsizetype k = from;
    if (!options.exact) {
        folded.text.clear();
        folded.at.clear();
        folded.text.reserve(std::size_t(line.size()));
        folded.at.reserve(std::size_t(line.size()));
        k = -1;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char32_t unit = fold(line[i].unicode());
            if (unit == Ignored)
                continue;
            if (k < 0 && i >= from)
                k = qsizetype(folded.text.size());
            folded.text.push_back(char16_t(unit));
            folded.at.push_back(i);
        }
        if (k < 0)
            return;
        haystack = QStringView(folded.text.data(), qsizetype(folded.text.size()));
    }
    const auto unitAt = [&](qsizetype index) { return options.exact ? index : folded.at[index]; };

    std::vector<reading::Span> skipped;
    bool skippedRead = false;
    auto skip = skipped.cbegin();
    while ((k = haystack.indexOf(wanted, k)) >= 0) {
        const qsizetype start = unitAt(k);
        qsizetype end = unitAt(k + length - 1) + 1;
        // The marks after the last letter are its own: they go with it.
        if (!options.exact)
            while (end < line.size() && fold(line[end].unicode()) == Ignored)
                ++end;
        bool taken = true;
        if (options.textOnly) {
            if (!skippedRead) {
                skipped = reading::ownOrderSpans(line);
                skip = skipped.cbegin();
                skippedRead = true;
            }
            while (skip != skipped.cend() && skip->start + skip->length <= start)
                ++skip;
            taken = skip == skipped.cend() || skip->start >= end;
        }
        if (taken && options.wholeWords)
            taken = !(start > 0 && inWord(line[start - 1]) && inWord(line[start])) &&
                    !(end < line.size() && inWord(line[end]) && inWord(line[end - 1]));
        if (!taken) {
            ++k;
            continue;
        }
        out.push_back({offset + start, end - start});
        if (first)
            return;
        k += length;
    }
}

} // namespace

void Finder::findInLine(QStringView line, qsizetype offset, std::vector<reading::Span>& out) const {
    scan(line, offset, 0, needle_, options_, false, out);
}

std::vector<reading::Span> Finder::findAll(QStringView post) const {
    std::vector<reading::Span> found;
    if (needle_.empty())
        return found;
    for (qsizetype start = 0; start <= post.size();) {
        qsizetype end = post.indexOf(u'\n', start);
        if (end < 0)
            end = post.size();
        findInLine(post.sliced(start, end - start), start, found);
        start = end + 1;
    }
    return found;
}

std::optional<reading::Span> Finder::findFrom(QStringView post, qsizetype from) const {
    if (needle_.empty() || from < 0 || from > post.size())
        return std::nullopt;
    qsizetype start = from == 0 ? 0 : post.lastIndexOf(u'\n', from - 1) + 1;
    std::vector<reading::Span> found;
    for (qsizetype within = from - start; start <= post.size(); within = 0) {
        qsizetype end = post.indexOf(u'\n', start);
        if (end < 0)
            end = post.size();
        scan(post.sliced(start, end - start), start, within, needle_, options_, true, found);
        if (!found.empty())
            return found.front();
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace qirtaz::find
