// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The board's reader under random posts: the bytes are read as UTF-16, so that
// lone surrogates and every other code unit reach it. For each post and each
// board's profile, parse()
// and render() must neither crash nor trip the sanitizers, must drop no code
// unit of the post, and must take time linear in its length. Built for
// libFuzzer by the fuzz preset (clang), and with tests/fuzz/replay.cpp as its
// main by the other presets, which run it over the corpus and its mutations.

#include "board/profile.h"
#include "board/render.h"
#include "post/markup.h"
#include "post/reading.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace qirtaz;
using board::Item;
using board::Span;

[[noreturn]] void fail(const char* what, qsizetype at, const QString& post) {
    std::fprintf(stderr, "fuzz_board: %s at code unit %lld of %lld\n", what,
                 static_cast<long long>(at), static_cast<long long>(post.size()));
    std::abort();
}

// The tags the board takes; a tag not shown must be one of them.
bool knownTag(QStringView tag, const board::Profile& profile) {
    if (profile.slashAfterLinkClose && tag.compare(u"[url/]", Qt::CaseInsensitive) == 0)
        return true;
    QStringView inner = tag.sliced(1, tag.size() - 2);
    if (inner.startsWith(u'/'))
        inner = inner.sliced(1);
    qsizetype end = 0;
    while (end < inner.size() && inner[end] != u'=' && inner[end] != u' ' && inner[end] != u'\t')
        ++end;
    return board::ruleOf(profile, inner.first(end)) != nullptr;
}

// The longest smiley code of the board at the start of text: its length, or 0.
qsizetype smileyAt(QStringView text, const board::Profile& profile, board::Smiley& smiley) {
    qsizetype length = 0;
    const auto cs = profile.smileysAnyCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (const board::SmileyCode& code : profile.smileys)
        if (code.code.size() > length && text.startsWith(code.code, cs)) {
            length = code.code.size();
            smiley = code.smiley;
        }
    return length;
}

// Every code unit is shown (in an item's span) or part of what the board takes:
// a known tag, a smiley code (one Smiley item each, of its kind, in order; one
// without a picture shows its code), a list's "[*]", a line break, or the
// "WIDTH=" and "HEIGHT=" of a Flash movie's sizes.
void checkNothingDropped(const board::Parsed& parsed, const board::Profile& profile) {
    const QString& post = parsed.post;
    const qsizetype n = post.size();
    std::vector<bool> shown(std::size_t(n), false);
    std::vector<qsizetype> sizeWords;
    std::vector<board::Smiley> smileys;
    qsizetype shownUpTo = 0;
    const auto show = [&](Span span) {
        if (span.none())
            return;
        if (span.start < 0 || span.length < 0 || span.start + span.length > n)
            fail("a span outside the post", span.start, post);
        std::fill_n(shown.begin() + span.start, span.length, true);
    };
    for (const Item& item : parsed.items) {
        switch (item.kind) {
        case Item::Kind::Text:
        case Item::Kind::Marked:
            if (item.text.start < shownUpTo || item.text.length <= 0)
                fail("text out of the post's order, or empty", item.text.start, post);
            shownUpTo = item.text.start + item.text.length;
            break;
        case Item::Kind::Smiley:
            if (item.text.none())
                smileys.push_back(item.smiley);
            break;
        case Item::Kind::Placeholder:
            if (!item.width.none()) {
                sizeWords.push_back(item.width.start - markup::FlashWidth.size());
                sizeWords.push_back(item.height.start - markup::FlashHeight.size());
            }
            break;
        default:
            break;
        }
        show(item.text);
        show(item.width);
        show(item.height);
        show(item.extra);
        show(item.style.link);
    }
    std::size_t smiley = 0;
    for (qsizetype i = 0; i < n;) {
        if (shown[std::size_t(i)]) {
            ++i;
            continue;
        }
        const QStringView rest = QStringView(post).sliced(i);
        const QChar c = post[i];
        qsizetype taken = 0;
        if (c == u'\r')
            taken = rest.startsWith(u"\r\n") ? 2 : 1;
        else if (c == u'\n' || c == QChar::ParagraphSeparator)
            taken = 1;
        else if (c == u'[' && board::ruleOf(profile, u"*") &&
                 (rest.startsWith(u"[*]") || rest.startsWith(u"[/*]")))
            taken = rest[1] == u'*' ? 3 : 4;
        else if (c == u'[' && (taken = reading::tagAt(rest)) > 0) {
            if (!knownTag(rest.first(taken), profile) || rest.first(taken).contains(u'\r'))
                fail("a tag the board does not take, not shown", i, post);
        } else if (board::Smiley kind{}; (taken = smileyAt(rest, profile, kind)) > 0) {
            if (smiley == smileys.size() || smileys[smiley] != kind)
                fail("a smiley code without its smiley", i, post);
            ++smiley;
        } else if (std::find(sizeWords.begin(), sizeWords.end(), i) != sizeWords.end()) {
            taken = rest.startsWith(markup::FlashWidth, Qt::CaseInsensitive)
                        ? markup::FlashWidth.size()
                        : markup::FlashHeight.size();
        }
        if (taken == 0)
            fail("a code unit neither shown nor taken", i, post);
        i += taken;
    }
    if (smiley != smileys.size())
        fail("a smiley the post has no code for", n, post);
}

// The document holds the post's shown text in order (whom a quotation quotes
// among it); what render() adds (labels, isolation marks, pictures) is marked
// as added. The two characters a document keeps for its frames are shown as
// the replacement character.
void checkRendered(const board::Parsed& parsed, const QTextDocument& document) {
    QString expected;
    for (const Item& item : parsed.items)
        if (item.kind != Item::Kind::Paragraph)
            for (const Span span : {item.text, item.width, item.height, item.extra})
                expected += parsed.text(span);
    for (QChar& c : expected)
        if (c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1)
            c = QChar::ReplacementCharacter;
    QString own;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            own += board::postCharactersOf(it.fragment());
    if (own != expected)
        fail("the document's own text differs from the parsed text", 0, parsed.post);
}

qint64 parseNanoseconds(QStringView post, const board::Profile& profile) {
    qint64 best = -1;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const board::Parsed parsed = board::parse(post, profile);
        const qint64 spent = timer.nsecsElapsed();
        best = best < 0 ? spent : std::min(best, spent);
    }
    return best;
}

// A post 32 times as long takes at most about 32 times as long (four times
// that, and some milliseconds, for a busy machine); a quadratic step makes it
// a thousand times. Measured again before it counts: one slow measurement is
// more likely the machine than the code.
void checkLinear(QStringView post, const board::Profile& profile) {
    if (post.isEmpty())
        return;
    QString small;
    while (small.size() < 512)
        small += post;
    const QString large = small.repeated(32);
    const auto tooSlow = [&] {
        const qint64 smallTime = parseNanoseconds(small, profile);
        return parseNanoseconds(large, profile) > 128 * smallTime + 5'000'000;
    };
    if (tooSlow() && tooSlow())
        fail("parse time grows faster than the post", large.size(), large);
}

} // namespace

// NOLINTNEXTLINE(readability-non-const-parameter): the signature is libFuzzer's.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString post(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(post.data(), data, size / 2 * 2);
    // Timing a post 32 times as long costs more than all the rest: one post in
    // eight, under one board, chosen by its content so that a replay times the same ones.
    const std::size_t hash = qHash(post);
    const auto boards = board::profiles();
    for (const board::Profile& profile : boards) {
        const board::Parsed parsed = board::parse(post, profile);
        checkNothingDropped(parsed, profile);
        QTextDocument document;
        board::render(parsed, document);
        checkRendered(parsed, document);
        board::problemsLine(parsed);
        board::describe(parsed);
        if (hash % 8 == 0 && &profile == &boards[hash / 8 % boards.size()])
            checkLinear(post, profile);
    }
    return 0;
}
