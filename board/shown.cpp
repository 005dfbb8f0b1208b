// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The list of what is shown, made from the post's tags in one pass.
#include "board/board.h"
#include "board/profile.h"
#include "board/tags.h"

#include "post/reading.h"

#include <algorithm>
#include <vector>

namespace qirtaz::board {
namespace {

using reading::Direction;
using tags::Name;
using tags::Token;

class Builder {
    // A tag open in the board's reading, and the style it gives.
    struct OpenTag {
        Style style;
        int opener = -1;
        Name name = Name::None;
    };
    struct List {
        char16_t style = 0;
        int count = 0;
    };

public:
    Builder(Parsed& parsed)
        : parsed_(parsed)
        , post_(parsed.post) {}

    void run(const std::vector<Token>& tokens) {
        styles_.push_back({Style{}, -1, Name::None});
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
                item.code = {token.start, token.length};
                // A smiley the preview has no picture for shows its code.
                if (token.smiley == Smiley::Other)
                    item.text = {token.start, token.length};
                parsed_.items.push_back(item);
                break;
            }
            case Token::Type::Open:
                if (token.name == Name::ListItem) {
                    listItem(token);
                } else if (tags::takesContentAsIs(token.name)) {
                    const Token& close = tokens[token.partner];
                    media(token, {token.end(), close.start - token.end()});
                    at = close.end();
                    k = token.partner;
                } else {
                    opened(token, k);
                    if (tags::breaksBlock(token.name))
                        k = swallowBreak(tokens, k, at);
                }
                break;
            case Token::Type::Close:
                if (token.name != Name::ListItem)
                    closed(token);
                if (tags::breaksBlock(token.name))
                    k = swallowBreak(tokens, k, at);
                break;
            case Token::Type::Unknown:
                break;
            }
        }
        text(at, post_.size());
        // What the board closes at the end.
        while (styles_.size() > 1) {
            const OpenTag last = styles_.back();
            styles_.pop_back();
            ended(last, post_.size());
        }
        if (owed_)
            openParagraph(post_.size());
        closeParagraph(post_.size());
    }

private:
    Item made(Item::Kind kind) const {
        Item item;
        item.kind = kind;
        item.style = styles_.back().style;
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

    void opened(const Token& token, int k) {
        Style style = styles_.back().style;
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
            // A word the board takes but no browser draws leaves the colour as it was.
            if (token.colour != 0) {
                style.coloured = true;
                style.colour = token.colour;
            }
            break;
        case Name::Size:
            style.size = token.size;
            style.scale = token.scale;
            break;
        case Name::Link:
            style.link = token.value;
            break;
        case Name::Quote:
        case Name::Spoiler: {
            blockBoundary(token.start);
            Item item = made(Item::Kind::QuoteStart);
            item.text = token.value;
            item.spoiler = token.name == Name::Spoiler;
            parsed_.items.push_back(item);
            break;
        }
        case Name::Centre:
        case Name::Left:
        case Name::Right:
        case Name::Justify:
        case Name::Align:
            blockBoundary(token.start);
            aligns_.push_back(token.align);
            break;
        case Name::Code:
            blockBoundary(token.start);
            style.code = true;
            break;
        case Name::List:
            blockBoundary(token.start);
            lists_.push_back({token.listStyle, 0});
            break;
        default:
            break;
        }
        styles_.push_back({style, k, token.name});
    }

    // Closes the tag token closes, and any the board closes with it.
    void closed(const Token& token) {
        while (styles_.size() > 1) {
            const OpenTag last = styles_.back();
            styles_.pop_back();
            ended(last, token.start);
            if (last.opener == token.partner)
                break;
        }
    }

    void ended(const OpenTag& open, qsizetype at) {
        switch (open.name) {
        case Name::Quote:
        case Name::Spoiler:
            blockBoundary(at);
            parsed_.items.push_back(made(Item::Kind::QuoteEnd));
            break;
        case Name::Centre:
        case Name::Left:
        case Name::Right:
        case Name::Justify:
        case Name::Align:
            blockBoundary(at);
            aligns_.pop_back();
            break;
        case Name::Code:
            blockBoundary(at);
            break;
        case Name::List:
            blockBoundary(at);
            lists_.pop_back();
            break;
        default:
            break;
        }
    }

    // An item of a list is a paragraph of its own that starts with its bullet
    // or number.
    void listItem(const Token& token) {
        blockBoundary(token.start);
        openParagraph(token.start);
        Item item = made(Item::Kind::ListItem);
        item.listStyle = lists_.back().style;
        item.number = item.listStyle == 0 ? 0 : ++lists_.back().count;
        parsed_.items.push_back(item);
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
        item.align = aligns_.empty() ? Align::Natural : aligns_.back();
        item.centred = item.align == Align::Centre;
        item.listDepth = static_cast<unsigned char>(std::min<std::size_t>(lists_.size(), 255));
        parsed_.items.push_back(item);
    }

    // The paragraph reads the way its text does, as in the post box: by its
    // first strong letter outside markup, else the way the one before reads.
    void closeParagraph(qsizetype at) {
        if (!paragraphOpen_)
            return;
        paragraphOpen_ = false;
        Item& paragraph = parsed_.items[paragraphItem_];
        // Code reads left to right whatever its words.
        if (paragraph.style.code) {
            paragraph.direction = Direction::LeftToRight;
            return;
        }
        const QStringView own = QStringView(post_).sliced(paragraphStart_, at - paragraphStart_);
        previous_ = reading::resolved(reading::ownDirection(own), previous_);
        paragraph.direction = previous_;
    }

    Parsed& parsed_;
    const QString& post_;
    std::vector<OpenTag> styles_;
    std::vector<Align> aligns_;
    std::vector<List> lists_;
    bool paragraphOpen_ = false;
    bool owed_ = false;
    std::size_t paragraphItem_ = 0;
    qsizetype paragraphStart_ = 0;
    Direction previous_ = Direction::Neutral;
};

} // namespace

Parsed parse(QStringView post) {
    return parse(post, defaultProfile());
}

Parsed parse(QStringView post, const Profile& profile) {
    Parsed parsed;
    parsed.post = post.toString();
    std::vector<Token> tokens = tags::tokenize(parsed.post, profile);
    tags::pair(tokens, profile);
    tags::refuseAddresses(parsed.post, tokens, profile);
    for (const Token& token : tokens) {
        if (!(token.literal || token.autoClosed) || token.inside || !token.counted)
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
