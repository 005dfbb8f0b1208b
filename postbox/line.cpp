// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "postbox/line.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace qirtaz::postbox {

Q_LOGGING_CATEGORY(postboxLog, "qirtaz.postbox")

namespace {

// A line of more pieces than this keeps the layouts of those in use only.
constexpr std::size_t KeptWhole = 8;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// The direction of the nearest strong letter from i on, stepping by step,
// within a short reach: 0 for none, 1 left to right, 2 right to left.
int strongNear(QStringView line, qsizetype i, int step, qsizetype begin, qsizetype end) {
    constexpr int Reach = 48;
    for (int n = 0; n < Reach && i >= begin && i < end; ++n, i += step) {
        switch (line[i].direction()) {
        case QChar::DirL:
            return 1;
        case QChar::DirR:
        case QChar::DirAL:
            return 2;
        default:
            break;
        }
    }
    return 0;
}

bool isRightToLeft(QChar c) {
    const QChar::Direction d = c.direction();
    return d == QChar::DirR || d == QChar::DirAL;
}

// What may stand inside an Arabic word: its letters, their marks, digits.
bool continuesWord(QChar c) {
    switch (c.direction()) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirNSM:
    case QChar::DirAN:
    case QChar::DirBN:
        return true;
    default:
        return false;
    }
}

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c.isMark();
}

} // namespace

std::vector<qsizetype> wordStarts(QStringView text, const std::vector<reading::Span>& spans) {
    std::vector<qsizetype> starts;
    auto span = spans.begin();
    for (qsizetype i = 0; i < text.size();) {
        if (span != spans.end() && span->start <= i) {
            starts.push_back(span->start);
            i = span->start + span->length;
            ++span;
            continue;
        }
        const qsizetype end = span != spans.end() ? span->start : text.size();
        for (const qsizetype run = i; i < end; ++i)
            if (isWordCharacter(text[i]) && (i == run || !isWordCharacter(text[i - 1])))
                starts.push_back(i);
    }
    return starts;
}

std::pair<qsizetype, qsizetype> wordAt(QStringView text, const std::vector<reading::Span>& spans,
                                       qsizetype position) {
    if (text.isEmpty())
        return {0, 0};
    position = std::clamp<qsizetype>(position, 0, text.size());
    const auto holding = [&spans](qsizetype at) {
        const auto span =
            std::partition_point(spans.begin(), spans.end(),
                                 [at](const reading::Span& s) { return s.start + s.length <= at; });
        return span != spans.end() && span->start <= at ? span : spans.end();
    };
    if (const auto span = holding(position); span != spans.end())
        return {span->start, span->start + span->length};
    // At the end of a word, the word itself.
    if (position == text.size() ||
        (position > 0 && !isWordCharacter(text[position]) && isWordCharacter(text[position - 1]) &&
         holding(position - 1) == spans.end()))
        --position;
    if (const auto span = holding(position); span != spans.end())
        return {span->start, span->start + span->length};
    const auto kind = [](QChar c) { return isWordCharacter(c) ? 0 : isBlank(c) ? 1 : 2; };
    const int here = kind(text[position]);
    const auto same = [&](qsizetype at) {
        return at >= 0 && at < text.size() && kind(text[at]) == here && holding(at) == spans.end();
    };
    qsizetype from = position;
    qsizetype to = position + 1;
    while (same(from - 1))
        --from;
    while (same(to))
        ++to;
    if (from > 0 && text[from].isLowSurrogate() && text[from - 1].isHighSurrogate())
        --from;
    if (to < text.size() && text[to].isLowSurrogate() && text[to - 1].isHighSurrogate())
        ++to;
    return {from, to};
}

std::vector<qsizetype> Piece::wordStarts() const {
    // The piece's own text, and its markup: what stands between its outermost
    // controls.
    QString text;
    text.reserve(to - from);
    std::vector<reading::Span> spans;
    int depth = 0;
    qsizetype opened = 0;
    std::size_t j = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (j < controls.size() && controls[j].at + qsizetype(j) == i) {
            if (controls[j].opens) {
                if (depth++ == 0)
                    opened = text.size();
            } else if (--depth == 0) {
                spans.push_back({opened, text.size() - opened});
            }
            ++j;
            continue;
        }
        text.append(shown[i]);
    }
    std::vector<qsizetype> starts = postbox::wordStarts(text, spans);
    for (qsizetype& start : starts)
        start += from;
    return starts;
}

qsizetype Piece::toShown(qsizetype position) const {
    const qsizetype offset = position - from;
    auto before = std::partition_point(controls.begin(), controls.end(),
                                       [offset](const Control& c) { return c.at < offset; });
    // Markup that ends here closes before the position.
    while (before != controls.end() && before->at == offset && !before->opens)
        ++before;
    return offset + (before - controls.begin());
}

qsizetype Piece::fromShown(qsizetype index) const {
    // The j-th control stands at at + j in shown, which grows with j: the
    // controls before index are found by bisecting on that.
    qsizetype low = 0;
    auto high = qsizetype(controls.size());
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (controls[std::size_t(middle)].at + middle < index)
            low = middle + 1;
        else
            high = middle;
    }
    return from + std::clamp<qsizetype>(index - low, 0, to - from);
}

namespace {

// The first span that ends after position.
std::vector<reading::Span>::const_iterator spanAfter(const std::vector<reading::Span>& spans,
                                                     qsizetype position) {
    return std::partition_point(spans.begin(), spans.end(), [position](const reading::Span& s) {
        return s.start + s.length <= position;
    });
}

// Where the piece of the row from .. to that starts at start ends. It reads
// the text no further than 48 characters past start + MaxPiece, nor the spans
// past start + MaxPiece, so a change after that leaves it as it is.
qsizetype nextCut(QStringView line, qsizetype from, qsizetype start, qsizetype to, bool rightToLeft,
                  const std::vector<reading::Span>& spans) {
    if (to - start <= MaxPiece)
        return to;
    auto span = spanAfter(spans, start);
    const int own = rightToLeft ? 2 : 1;
    const auto inside = [&](qsizetype b) {
        while (span != spans.end() && span->start + span->length <= b)
            ++span;
        return span != spans.end() && span->start < b && b < span->start + span->length;
    };
    qsizetype cut = -1;
    qsizetype lastBlank = -1;
    qsizetype lastEdge = -1;
    for (qsizetype b = start + 1; b <= start + MaxPiece; ++b) {
        if (inside(b))
            continue;
        lastEdge = b;
        if (!isBlank(line[b - 1]))
            continue;
        lastBlank = b;
        if (b - start < MinPiece || b < from + 8)
            continue;
        // Where the text says: a blank after eight characters of a kind
        // one place in sixteen has, between letters of the line's direction.
        if ((qHash(line.sliced(b - 8, 8)) & 15) != 0)
            continue;
        const int before = strongNear(line, b - 2, -1, start, to);
        const int after = strongNear(line, b, 1, start, to);
        if ((before == 0 || before == own) && (after == 0 || after == own)) {
            cut = b;
            break;
        }
    }
    if (cut < 0)
        cut = lastBlank > start + MinPiece  ? lastBlank
              : lastEdge > start + MinPiece ? lastEdge
                                            : start + MaxPiece;
    if (line[cut - 1].isHighSurrogate() && line[cut].isLowSurrogate())
        --cut;
    return cut;
}

Piece makePiece(QStringView line, qsizetype from, qsizetype to,
                const std::vector<reading::Span>& spans) {
    Piece piece;
    piece.from = from;
    piece.to = to;
    piece.shown.reserve(piece.to - piece.from + 8);
    qsizetype at = piece.from;
    for (auto span = spanAfter(spans, from); span != spans.end() && span->start < piece.to;
         ++span) {
        const qsizetype start = std::max(span->start, piece.from);
        const qsizetype end = std::min(span->start + span->length, piece.to);
        piece.shown.append(line.sliced(at, start - at));
        piece.controls.push_back({start - piece.from, true});
        piece.shown.append(Isolate);
        // Arabic words inside markup (an address's, say) each read right
        // to left in a place of their own, so that what separates them,
        // "." or "/", stays in the order typed.
        qsizetype copied = start;
        for (qsizetype i = start; i < end; ++i) {
            if (!isRightToLeft(line[i]))
                continue;
            qsizetype last = i;
            for (qsizetype j = i + 1; j < end && continuesWord(line[j]); ++j)
                if (isRightToLeft(line[j]))
                    last = j;
            piece.shown.append(line.sliced(copied, i - copied));
            piece.controls.push_back({i - piece.from, true});
            piece.shown.append(RightToLeftIsolate);
            piece.shown.append(line.sliced(i, last + 1 - i));
            piece.shown.append(PopIsolate);
            piece.controls.push_back({last + 1 - piece.from, false});
            copied = last + 1;
            i = last;
        }
        piece.shown.append(line.sliced(copied, end - copied));
        piece.shown.append(PopIsolate);
        piece.controls.push_back({end - piece.from, false});
        at = end;
    }
    piece.shown.append(line.sliced(at, piece.to - at));
    return piece;
}

} // namespace

std::vector<Piece> cutRow(QStringView line, qsizetype from, qsizetype to, bool rightToLeft,
                          const std::vector<reading::Span>& spans) {
    std::vector<Piece> pieces;
    for (qsizetype start = from;;) {
        const qsizetype cut = nextCut(line, from, start, to, rightToLeft, spans);
        pieces.push_back(makePiece(line, start, cut, spans));
        if (cut == to)
            return pieces;
        start = cut;
    }
}

namespace {

// Where the character at i ends with the marks, joiners and variation
// selectors that go with it.
qsizetype characterEnd(QStringView line, qsizetype i, qsizetype end) {
    const auto joined = [&](qsizetype at) {
        if (at >= end)
            return false;
        const char16_t c = line[at].unicode();
        return line[at].isMark() || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) ||
               line[at].isLowSurrogate() || (at > 0 && line[at - 1].unicode() == 0x200D);
    };
    ++i;
    while (joined(i))
        ++i;
    return i;
}

} // namespace

std::vector<qsizetype> wrapRow(QStringView line, qsizetype from, qsizetype to,
                               const std::vector<reading::Span>& spans, qreal width,
                               const Advance& advance,
                               const std::function<bool(qsizetype)>& settled) {
    std::vector<qsizetype> ends;
    auto span = spanAfter(spans, from);
    qsizetype rowStart = from;
    qreal used = 0; // by the row so far, the blanks after its last word too
    for (qsizetype i = from; i < to;) {
        // A word: up to a blank outside markup, markup whole.
        const qsizetype start = i;
        while (i < to) {
            while (span != spans.end() && span->start + span->length <= i)
                ++span;
            if (span != spans.end() && span->start <= i) {
                i = std::min(span->start + span->length, to);
                continue;
            }
            if (isBlank(line[i]))
                break;
            ++i;
        }
        const qsizetype wordEnd = i;
        while (i < to && isBlank(line[i]))
            ++i;
        // Markup is measured as it is shown, between its isolates, which
        // keep the Arabic letters on either side from joining it.
        const auto first = spanAfter(spans, start);
        const bool markup = first != spans.end() && first->start < wordEnd;
        const qreal word = wordEnd == start ? 0
                           : markup         ? advance(makePiece(line, start, wordEnd, spans).shown)
                                            : advance(line.sliced(start, wordEnd - start));
        const qreal blanks = i > wordEnd ? advance(line.sliced(wordEnd, i - wordEnd)) : 0;
        if (start > rowStart && used + word > width) {
            ends.push_back(start);
            if (settled && settled(start))
                return ends;
            rowStart = start;
            used = 0;
        }
        if (word <= width || wordEnd == start) {
            used += word + blanks;
            continue;
        }
        // Alone wider than the row: broken between characters.
        for (qsizetype c = start; c < wordEnd;) {
            const qsizetype next = characterEnd(line, c, wordEnd);
            const qreal w = advance(line.sliced(c, next - c));
            if (c > rowStart && used + w > width) {
                ends.push_back(c);
                rowStart = c;
                used = 0;
            }
            used += w;
            c = next;
        }
        used += blanks;
    }
    ends.push_back(to);
    return ends;
}

void Line::forgetShapes() {
    rows_.clear();
    built_ = false;
    whole_ = true;
}

void Line::edited(qsizetype at, qsizetype removed, qsizetype added) {
    if (whole_) {
        built_ = false;
        return;
    }
    if (built_) {
        changedFrom_ = at;
        changedTo_ = at + added;
        delta_ = added - removed;
        built_ = false;
        return;
    }
    // One range of the text holds every change since the line was built.
    changedTo_ = std::max(changedTo_, at + removed) + added - removed;
    changedFrom_ = std::min(changedFrom_, at);
    delta_ += added - removed;
}

void Line::build(QStringView text, bool rightToLeft, qreal width, const Advance& advance) {
    const bool wrapped = width > 0 && width == width_;
    const bool near = (width <= 0 || wrapped) && width_ == width && !whole_ && !rows_.empty() &&
                      rightToLeft == rightToLeft_ && text.size() == length_ + delta_ &&
                      changedFrom_ >= 0 && changedFrom_ <= changedTo_ && changedTo_ <= text.size();
    if (!near || !(wrapped ? wrapNear(text, width, advance) : buildNear(text)))
        buildWhole(text, rightToLeft, width, advance);
    width_ = width;
    length_ = text.size();
    delta_ = 0;
    whole_ = false;
    built_ = true;
}

void Line::buildWhole(QStringView text, bool rightToLeft, qreal width, const Advance& advance) {
    // What the pieces were shaped as, to be found again by their text.
    QHash<QString, ShapedPiece*> before;
    std::vector<Row> old = std::move(rows_);
    if (rightToLeft == rightToLeft_)
        for (Row& row : old)
            for (ShapedPiece& piece : row.pieces)
                if (piece.width >= 0)
                    before.insert(piece.shown, &piece);
    rows_.clear();
    rightToLeft_ = rightToLeft;
    unmeasured_ = 0;
    spans_.clear();
    markup_.clear();
    reading::readOwnOrder(text, 0, text.size(), {}, spans_, markup_);
    qsizetype from = 0;
    for (;;) {
        qsizetype to = text.indexOf(QChar::LineSeparator, from);
        const bool last = to < 0;
        if (last)
            to = text.size();
        const std::vector<qsizetype> ends = width > 0
                                                ? wrapRow(text, from, to, spans_, width, advance)
                                                : std::vector<qsizetype>{to};
        for (qsizetype start = from; const qsizetype end : ends) {
            Row row;
            row.from = start;
            row.to = end;
            row.soft = end != to;
            for (Piece& cut : cutRow(text, start, end, rightToLeft, spans_)) {
                ShapedPiece piece;
                static_cast<Piece&>(piece) = std::move(cut);
                if (const auto found = before.find(piece.shown); found != before.end()) {
                    piece.layout = std::move(found.value()->layout);
                    piece.width = found.value()->width;
                    before.erase(found);
                } else {
                    ++unmeasured_;
                }
                row.pieces.push_back(std::move(piece));
            }
            rows_.push_back(std::move(row));
            start = end;
        }
        if (last)
            break;
        from = to + 1;
    }
}

bool Line::buildNear(QStringView text) {
    const qsizetype changedFrom = changedFrom_;
    const qsizetype changedTo = changedTo_;
    const qsizetype delta = delta_;
    // The change stays within one row, which grows or shrinks by delta.
    const std::size_t r = rowAt(changedFrom);
    if (changedTo - delta > rows_[r].to || rows_[r].from > changedFrom ||
        text.sliced(changedFrom, changedTo - changedFrom).contains(QChar::LineSeparator))
        return false;

    // The spans are read again from a place before the change that nothing
    // read before it reads as far as the change: a tag, address or smiley code
    // that does ends after that place and holds it, and so does one that the
    // change lengthens or shortens; but a bracket that failed to open a tag
    // for want of a closing one might open one now, so reading starts before
    // the last bracket when it is an opening one. A smiley code is shorter
    // than 16.
    qsizetype bracket = changedFrom - 1;
    while (bracket >= 0 && text[bracket] != u'[' && text[bracket] != u']')
        --bracket;
    qsizetype readFrom = std::max<qsizetype>(0, changedFrom - 16);
    if (bracket >= 0 && text[bracket] == u'[')
        readFrom = std::min(readFrom, bracket);
    if (const auto holding = spanAfter(spans_, readFrom);
        holding != spans_.end() && holding->start < readFrom)
        readFrom = holding->start;

    // Read on until a place after the change where the spans as they were,
    // moved by delta, would be read on from just the same.
    auto old = spanAfter(spans_, readFrom);
    const auto agree = [&](qsizetype at) {
        const qsizetype was = at - delta;
        while (old != spans_.end() && old->start + old->length <= was)
            ++old;
        return old == spans_.end() || old->start >= was;
    };
    std::vector<reading::Span> spans;
    std::vector<reading::Span> markup;
    const qsizetype readTo =
        reading::readOwnOrder(text, readFrom, changedTo + 1, agree, spans, markup);
    // A tag may run on past a line separator: spans read again beyond the
    // row would change the pieces of another.
    Row& row = rows_[r];
    if (readFrom < row.from || readTo > row.to + delta)
        return false;
    // The spans as they were from readFrom up to there give way to those read.
    const qsizetype readToBefore = readTo == text.size() ? length_ + 1 : readTo - delta;
    const auto splice = [delta](std::vector<reading::Span>& kept, qsizetype from, qsizetype to,
                                std::vector<reading::Span>& read) {
        const auto first = spanAfter(kept, from) - kept.begin();
        auto last = first;
        while (last < qsizetype(kept.size()) && kept[std::size_t(last)].start < to)
            ++last;
        for (auto i = std::size_t(last); i < kept.size(); ++i)
            kept[i].start += delta;
        kept.erase(kept.begin() + first, kept.begin() + last);
        kept.insert(kept.begin() + first, read.begin(), read.end());
    };
    splice(spans_, readFrom, readToBefore, spans);
    splice(markup_, readFrom, readToBefore, markup);

    // The pieces are cut again from the first whose start no earlier cut
    // read as far as the change or the spans read again, until a cut after
    // both falls where one fell before.
    std::vector<ShapedPiece>& pieces = row.pieces;
    const qsizetype untouched = std::min(changedFrom, readFrom);
    std::size_t k = 0;
    while (k + 1 < pieces.size() && pieces[k].from + MaxPiece + 64 <= untouched)
        ++k;
    const qsizetype settled = std::max(changedTo, readTo);
    const qsizetype to = row.to + delta;
    std::vector<Piece> cut;
    std::size_t m = k + 1; // the first piece kept after the change
    for (qsizetype start = pieces[k].from;;) {
        const qsizetype end = nextCut(text, row.from, start, to, rightToLeft_, spans_);
        cut.push_back(makePiece(text, start, end, spans_));
        if (end == to) {
            m = pieces.size();
            break;
        }
        if (end >= settled) {
            while (m < pieces.size() && pieces[m].from < end - delta)
                ++m;
            if (m < pieces.size() && pieces[m].from == end - delta)
                break;
        }
        start = end;
    }

    // The pieces cut again keep the shapes of those they match.
    QHash<QString, ShapedPiece*> before;
    for (std::size_t i = k; i < m; ++i) {
        if (pieces[i].width >= 0)
            before.insert(pieces[i].shown, &pieces[i]);
        else
            --unmeasured_;
    }
    std::vector<ShapedPiece> fresh;
    fresh.reserve(cut.size());
    for (Piece& piece : cut) {
        ShapedPiece shaped;
        static_cast<Piece&>(shaped) = std::move(piece);
        if (const auto found = before.find(shaped.shown); found != before.end()) {
            shaped.layout = std::move(found.value()->layout);
            shaped.width = found.value()->width;
            shaped.usedAt = found.value()->usedAt;
            before.erase(found);
        } else {
            ++unmeasured_;
        }
        fresh.push_back(std::move(shaped));
    }
    const auto move = [delta](ShapedPiece& piece) {
        piece.from += delta;
        piece.to += delta;
        for (ShapedPiece::Stop& stop : piece.stops)
            stop.position += delta;
    };
    for (std::size_t i = m; i < pieces.size(); ++i)
        move(pieces[i]);
    pieces.erase(pieces.begin() + qsizetype(k), pieces.begin() + qsizetype(m));
    pieces.insert(pieces.begin() + qsizetype(k), std::make_move_iterator(fresh.begin()),
                  std::make_move_iterator(fresh.end()));
    row.to = to;
    for (std::size_t i = r + 1; i < rows_.size(); ++i) {
        rows_[i].from += delta;
        rows_[i].to += delta;
        for (ShapedPiece& piece : rows_[i].pieces)
            move(piece);
    }
    return true;
}

bool Line::wrapNear(QStringView text, qreal width, const Advance& advance) {
    const qsizetype changedFrom = changedFrom_;
    const qsizetype changedTo = changedTo_;
    const qsizetype delta = delta_;
    // Neither a line separator added nor one taken away.
    if (text.sliced(changedFrom, changedTo - changedFrom).contains(QChar::LineSeparator))
        return false;
    for (std::size_t i = 0; i + 1 < rows_.size(); ++i)
        if (!rows_[i].soft && rows_[i].to >= changedFrom && rows_[i].to < changedTo - delta)
            return false;
    // From the start of a word in the row before the change's, where wrapping
    // the line whole would start a row just the same.
    std::size_t first = rowAt(changedFrom);
    if (first > 0 && rows_[first - 1].soft)
        --first;
    while (first > 0 && rows_[first - 1].soft && !isBlank(text[rows_[first].from - 1]))
        --first;
    const qsizetype start = rows_[first].from;
    qsizetype hardEnd = text.indexOf(QChar::LineSeparator, changedTo);
    if (hardEnd < 0)
        hardEnd = text.size();

    std::vector<reading::Span> spans;
    std::vector<reading::Span> markup;
    reading::readOwnOrder(text, 0, text.size(), {}, spans, markup);
    // The row as it was that ends where the new one would: one after the
    // change, after a blank, or the row's own end.
    const auto oldRowEndingAt = [&](qsizetype end) -> std::ptrdiff_t {
        const qsizetype was = end - delta;
        const auto found = std::partition_point(rows_.begin() + qsizetype(first), rows_.end(),
                                                [was](const Row& r) { return r.to < was; });
        return found != rows_.end() && found->to == was ? found - rows_.begin() : -1;
    };
    const std::vector<qsizetype> ends =
        wrapRow(text, start, hardEnd, spans, width, advance, [&](qsizetype end) {
            return end > changedTo && isBlank(text[end - 1]) && oldRowEndingAt(end) >= 0;
        });
    const std::ptrdiff_t last = oldRowEndingAt(ends.back());
    if (last < 0 || (ends.back() == hardEnd) == rows_[std::size_t(last)].soft)
        return false;
    // The markup before and after what was wrapped again reads as it did.
    const auto startingBefore = [](const std::vector<reading::Span>& all, qsizetype at) {
        return std::partition_point(all.begin(), all.end(),
                                    [at](const reading::Span& s) { return s.start < at; }) -
               all.begin();
    };
    const qsizetype before = startingBefore(spans, start);
    if (before != startingBefore(spans_, start) ||
        !std::equal(spans.begin(), spans.begin() + before, spans_.begin()))
        return false;
    const auto afterNew = spans.begin() + startingBefore(spans, ends.back());
    const auto afterOld = spans_.begin() + startingBefore(spans_, ends.back() - delta);
    if (spans.end() - afterNew != spans_.end() - afterOld ||
        !std::equal(afterNew, spans.end(), afterOld, [delta](const auto& a, const auto& b) {
            return a.start == b.start + delta && a.length == b.length;
        }))
        return false;
    spans_ = std::move(spans);
    markup_ = std::move(markup);

    // The rows wrapped again keep the shapes of the pieces they match.
    QHash<QString, ShapedPiece*> shaped;
    for (auto r = std::size_t(first); r <= std::size_t(last); ++r)
        for (ShapedPiece& piece : rows_[r].pieces) {
            if (piece.width >= 0)
                shaped.insert(piece.shown, &piece);
            else
                --unmeasured_;
        }
    std::vector<Row> fresh;
    for (qsizetype from = start; const qsizetype end : ends) {
        Row row;
        row.from = from;
        row.to = end;
        row.soft = end != hardEnd;
        for (Piece& cut : cutRow(text, from, end, rightToLeft_, spans_)) {
            ShapedPiece piece;
            static_cast<Piece&>(piece) = std::move(cut);
            if (const auto found = shaped.find(piece.shown); found != shaped.end()) {
                piece.layout = std::move(found.value()->layout);
                piece.width = found.value()->width;
                piece.usedAt = found.value()->usedAt;
                shaped.erase(found);
            } else {
                ++unmeasured_;
            }
            row.pieces.push_back(std::move(piece));
        }
        fresh.push_back(std::move(row));
        from = end;
    }
    for (auto r = std::size_t(last) + 1; r < rows_.size(); ++r) {
        rows_[r].from += delta;
        rows_[r].to += delta;
        for (ShapedPiece& piece : rows_[r].pieces) {
            piece.from += delta;
            piece.to += delta;
            for (ShapedPiece::Stop& stop : piece.stops)
                stop.position += delta;
        }
    }
    rows_.erase(rows_.begin() + qsizetype(first), rows_.begin() + last + 1);
    rows_.insert(rows_.begin() + qsizetype(first), std::make_move_iterator(fresh.begin()),
                 std::make_move_iterator(fresh.end()));
    return true;
}

std::size_t Line::rowAt(qsizetype position) const {
    // Where the line wraps, the position starts the next row.
    const auto after = std::partition_point(rows_.begin(), rows_.end(), [position](const Row& r) {
        return r.to < position || (r.to == position && r.soft);
    });
    return std::min<std::size_t>(after - rows_.begin(), rows_.size() - 1);
}

std::size_t Line::pieceAt(const Row& row, qsizetype position) const {
    const auto after =
        std::partition_point(row.pieces.begin(), row.pieces.end(),
                             [position](const Piece& p) { return p.to <= position; });
    return std::min<std::size_t>(after - row.pieces.begin(), row.pieces.size() - 1);
}

QTextLayout& Line::shape(ShapedPiece& piece, const Shaping& shaping, qreal& lineHeight) {
    if (piece.layout)
        return *piece.layout;
    piece.layout = std::make_unique<QTextLayout>(piece.shown, shaping.font);
    piece.stops.clear();
    QTextLayout& layout = *piece.layout;
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(rightToLeft_ ? Qt::RightToLeft : Qt::LeftToRight);
    // Where a piece stands is the box's business, not the piece's.
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setFlags(shaping.flags | QTextOption::IncludeTrailingSpaces);
    option.setTabStopDistance(shaping.tabStop);
    layout.setTextOption(option);
    // The glyphs of a long line's pieces are kept, as they are drawn again and
    // again while it is edited; those of a short line go once it is laid out,
    // as Qt's own lines do: shaping one again costs little, and keeping the
    // glyphs of every line costs memory and time when the lines go.
    std::size_t pieces = 0;
    for (const Row& row : rows_)
        pieces += row.pieces.size();
    layout.setCacheEnabled(pieces > 1);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(0);
        line.setPosition(QPointF(0, 0));
        // Nothing breaks a piece, but make sure of it.
        while (layout.createLine().isValid()) {
        }
    }
    layout.endLayout();
    const qreal width = line.isValid() ? line.naturalTextWidth() : 0;
    if (piece.width < 0)
        --unmeasured_;
    piece.width = width;
    if (line.isValid() && line.height() > lineHeight)
        lineHeight = std::ceil(line.height());
    return layout;
}

const std::vector<ShapedPiece::Stop>& Line::stopsOf(ShapedPiece& piece) {
    if (!piece.stops.empty() || !piece.layout)
        return piece.stops;
    const QTextLine line = piece.layout->lineAt(0);
    piece.stops.reserve(std::size_t(piece.to - piece.from + 1));
    for (qsizetype position = piece.from; position <= piece.to; ++position) {
        const int index = int(piece.toShown(position));
        if (piece.layout->isValidCursorPosition(index))
            piece.stops.push_back({line.cursorToX(index), position});
    }
    std::stable_sort(
        piece.stops.begin(), piece.stops.end(),
        [](const ShapedPiece::Stop& a, const ShapedPiece::Stop& b) { return a.x < b.x; });
    return piece.stops;
}

qreal Line::arrange(qreal estimate) {
    qreal widest = 0;
    for (Row& row : rows_) {
        qreal sum = 0;
        for (const ShapedPiece& piece : row.pieces)
            sum += piece.widthOr(estimate);
        row.width = sum;
        qreal x = rightToLeft_ ? sum : 0;
        for (ShapedPiece& piece : row.pieces) {
            const qreal width = piece.widthOr(estimate);
            if (rightToLeft_) {
                x -= width;
                piece.x = x;
            } else {
                piece.x = x;
                x += width;
            }
        }
        widest = std::max(widest, sum);
    }
    return widest;
}

bool Line::measureOne(const Shaping& shaping, qreal& lineHeight, int keepFrom) {
    if (unmeasured_ <= 0)
        return false;
    std::size_t count = 0;
    for (const Row& row : rows_)
        count += row.pieces.size();
    for (Row& row : rows_)
        for (ShapedPiece& piece : row.pieces)
            if (piece.width < 0) {
                shape(piece, shaping, lineHeight);
                if (count > KeptWhole && piece.usedAt < keepFrom)
                    piece.layout.reset();
                return true;
            }
    return false;
}

} // namespace qirtaz::postbox
