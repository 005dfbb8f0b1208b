// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The list of what is shown, made from the post's tags in one pass.
#include "board/board.h"
#include "board/tags.h"

#include "post/reading.h"

#include <vector>

namespace qirtaz::board {
namespace {

using reading::Direction;
using tags::Name;
using tags::Token;

class Builder {
public:
    Builder(Parsed& parsed)
        : parsed_(parsed)
        , post_(parsed.post) {}

    void run(const std::vector<Token>& tokens) {
        styles_.push_back(Style{});
        qsizetype at = 0;
        const int count = int(tokens.size());
        for (int k = 0; k < count; ++k) {
            const Token& token = tokens[k];
            if (token.inside)
                continue;
            text(at, token.start);
            at = token.end();
            if (token.literal) {
                content(token.start);
                Item item = made(Item::Kind::Marked);
                item.text = {token.start, token.length};
                item.problem = token.problem;
                if (token.problem == Problem::Address && tags::takesContentAsIs(token.name)) {
                    // The address is the content: all of it is shown as typed.
                    const Token& close = tokens[std::size_t(token.partner)];
                    item.text.length = close.end() - token.start;
                    at = close.end();
                    k = token.partner;
                }
                parsed_.items.push_back(item);
                continue;
            }
            switch (token.type) {
            case Token::Type::Break:
                lineBreak(token.start);
                break;
            case Token::Type::Smiley: {
                content(token.start);
                Item item = made(Item::Kind::Smiley);
                item.smiley = token.smiley;
                parsed_.items.push_back(item);
                break;
            }
            case Token::Type::Open:
                if (tags::takesContentAsIs(token.name)) {
                    const Token& close = tokens[token.partner];
                    media(token, {token.end(), close.start - token.end()});
                    at = close.end();
                    k = token.partner;
                } else {
                    opened(token);
                    if (tags::breaksBlock(token.name))
                        k = swallowBreak(tokens, k, at);
                }
                break;
            case Token::Type::Close:
                closed(token);
                if (tags::breaksBlock(token.name))
                    k = swallowBreak(tokens, k, at);
                break;
            case Token::Type::Unknown:
                break;
            }
        }
        text(at, post_.size());
        if (owed_)
            openParagraph(post_.size());
        closeParagraph(post_.size());
    }

private:
    Item made(Item::Kind kind) const {
        Item item;
        item.kind = kind;
        item.style = styles_.back();
        return item;
    }

    void text(qsizetype from, qsizetype to) {
        if (to <= from)
            return;
        content(from);
        Item item = made(Item::Kind::Text);
        item.text = {from, to - from};
        parsed_.items.push_back(item);
    }

    void media(const Token& opening, Span inside) {
        content(opening.start);
        if (opening.name == Name::BareLink) {
            Item item = made(Item::Kind::Text);
            item.text = inside;
            item.style.link = inside;
            parsed_.items.push_back(item);
            return;
        }
        Item item = made(Item::Kind::Placeholder);
        item.media = tags::mediaOf(opening.name);
        if (opening.name != Name::Flash) {
            item.text = inside;
            parsed_.items.push_back(item);
            return;
        }
        item.text = opening.value;
        // "WIDTH=wHEIGHT=h", as the Flash dialog writes it.
        const QStringView content = QStringView(post_).sliced(inside.start, inside.length);
        const QLatin1StringView width("WIDTH="), height("HEIGHT=");
        const qsizetype heightAt = content.startsWith(width, Qt::CaseInsensitive)
                                       ? content.indexOf(height, width.size(), Qt::CaseInsensitive)
                                       : -1;
        if (heightAt < 0) {
            if (inside.length > 0)
                item.extra = inside;
        } else {
            item.width = {inside.start + width.size(), heightAt - width.size()};
            item.height = {inside.start + heightAt + height.size(),
                           inside.length - heightAt - height.size()};
        }
        parsed_.items.push_back(item);
    }

    void opened(const Token& token) {
        Style style = styles_.back();
        switch (token.name) {
        case Name::Bold:
            style.bold = true;
            break;
        case Name::Italic:
            style.italic = true;
            break;
        case Name::Underline:
            style.underline = true;
            break;
        case Name::Strike:
            style.strike = true;
            break;
        case Name::Colour:
            style.coloured = true;
            style.colour = token.colour;
            break;
        case Name::Size:
            style.size = token.size;
            break;
        case Name::Link:
            style.link = token.value;
            break;
        case Name::Quote: {
            blockBoundary(token.start);
            Item item = made(Item::Kind::QuoteStart);
            item.text = token.value;
            parsed_.items.push_back(item);
            break;
        }
        case Name::Centre:
            blockBoundary(token.start);
            ++centred_;
            break;
        default:
            break;
        }
        styles_.push_back(style);
    }

    void closed(const Token& token) {
        styles_.pop_back();
        if (token.name == Name::Quote) {
            blockBoundary(token.start);
            parsed_.items.push_back(made(Item::Kind::QuoteEnd));
        } else if (token.name == Name::Centre) {
            blockBoundary(token.start);
            --centred_;
        }
    }

    // The quotation and the centred block are blocks of their own: a line break
    // right after their tags would only add an empty line, so it goes with the tag.
    static int swallowBreak(const std::vector<Token>& tokens, int k, qsizetype& at) {
        if (k + 1 < int(tokens.size()) && tokens[k + 1].type == Token::Type::Break &&
            tokens[k + 1].start == at) {
            at = tokens[k + 1].end();
            return k + 1;
        }
        return k;
    }

    // Paragraphs open when something is shown in them, so that a block's own
    // boundary and a line break beside it make one boundary, not an empty line.
    void content(qsizetype at) {
        if (!paragraphOpen_)
            openParagraph(at);
    }

    void lineBreak(qsizetype at) {
        content(at);
        closeParagraph(at);
        owed_ = true;
    }

    void blockBoundary(qsizetype at) {
        closeParagraph(at);
        owed_ = false;
    }

    void openParagraph(qsizetype at) {
        owed_ = false;
        paragraphOpen_ = true;
        paragraphItem_ = parsed_.items.size();
        paragraphStart_ = at;
        Item item = made(Item::Kind::Paragraph);
        item.centred = centred_ > 0;
        parsed_.items.push_back(item);
    }

    // The paragraph reads the way its text does, as in the post box: by its
    // first strong letter outside markup, else the way the one before reads.
    void closeParagraph(qsizetype at) {
        if (!paragraphOpen_)
            return;
        paragraphOpen_ = false;
        const QStringView own = QStringView(post_).sliced(paragraphStart_, at - paragraphStart_);
        previous_ = reading::resolved(reading::ownDirection(own), previous_);
        parsed_.items[paragraphItem_].direction = previous_;
    }

    Parsed& parsed_;
    const QString& post_;
    std::vector<Style> styles_;
    int centred_ = 0;
    bool paragraphOpen_ = false;
    bool owed_ = false;
    std::size_t paragraphItem_ = 0;
    qsizetype paragraphStart_ = 0;
    Direction previous_ = Direction::Neutral;
};

} // namespace

Parsed parse(QStringView post) {
    Parsed parsed;
    parsed.post = post.toString();
    std::vector<Token> tokens = tags::tokenize(parsed.post);
    tags::pair(tokens);
    tags::refuseAddresses(parsed.post, tokens);
    for (const Token& token : tokens) {
        if (!token.literal || token.inside || !token.counted)
            continue;
        const bool byAddress = token.problem == Problem::Address && token.value.length > 0;
        parsed.issues.push_back(
            {token.problem, byAddress ? token.value : Span{token.start, token.length}});
    }
    // A token gives at most one item and the text before it two (the text and
    // its paragraph).
    parsed.items.reserve(3 * tokens.size() + 2);
    Builder(parsed).run(tokens);
    return parsed;
}
} // namespace qirtaz::board
