// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/board.h"

#include "post/markup.h"
#include "screens/pictures.h"

#include <QColor>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <array>
#include <deque>
#include <limits>
#include <map>
#include <mutex>

namespace qirtaz::board {
namespace {

using reading::Direction;

// ------------------------------------------------------------------ the tags

enum class Name : unsigned char {
    None,
    Bold,
    Italic,
    Underline,
    Strike,
    Centre,
    Quote,
    Colour,
    Size,
    Link,     // "[url=address]phrase[url/]"; also every closing url tag
    BareLink, // "[url]address[/url]"
    Image,
    Web,
    Flash,
    Sound,
    Video,
    Audio,
};
constexpr int NameCount = int(Name::Audio) + 1;

// Tags whose content the board takes as it stands (an address), up to the
// first closing tag of their kind on the same line.
bool takesContentAsIs(Name name) {
    return name == Name::BareLink || name >= Name::Image;
}

bool breaksBlock(Name name) {
    return name == Name::Quote || name == Name::Centre;
}

Media mediaOf(Name name) {
    switch (name) {
    case Name::Web:
        return Media::Web;
    case Name::Flash:
        return Media::Flash;
    case Name::Sound:
        return Media::Sound;
    case Name::Video:
        return Media::Video;
    case Name::Audio:
        return Media::Audio;
    default:
        return Media::Image;
    }
}

struct TagWord {
    QLatin1StringView word;
    Name name;
    bool value; // the opening tag carries "=value"
};

constexpr TagWord tagWords[] = {
    {QLatin1StringView("b"), Name::Bold, false},
    {QLatin1StringView("i"), Name::Italic, false},
    {QLatin1StringView("u"), Name::Underline, false},
    {QLatin1StringView("s"), Name::Strike, false},
    {QLatin1StringView("center"), Name::Centre, false},
    {QLatin1StringView("quote"), Name::Quote, false},
    {QLatin1StringView("color"), Name::Colour, true},
    {QLatin1StringView("size"), Name::Size, true},
    {QLatin1StringView("img"), Name::Image, false},
    {QLatin1StringView("web"), Name::Web, false},
    {QLatin1StringView("flash"), Name::Flash, true},
    {QLatin1StringView("sound"), Name::Sound, false},
    {QLatin1StringView("ram"), Name::Video, false},
    {QLatin1StringView("ram2"), Name::Audio, false},
};

Name nameOf(QStringView word) {
    for (const TagWord& tag : tagWords)
        if (word.compare(tag.word, Qt::CaseInsensitive) == 0)
            return tag.name;
    return Name::None;
}

bool hasValue(Name name) {
    for (const TagWord& tag : tagWords)
        if (tag.name == name)
            return tag.value;
    return false;
}

// The colours a board takes: a colour name of the web's list or "#rgb" /
// "#rrggbb". The dialogs write five names, but people type others by hand and
// the board shows them; "transparent" would hide the words, so it is no colour.
bool colourOf(QStringView value, QRgb& rgb) {
    if (value.isEmpty() || value.size() > 24)
        return false;
    if (value.front() == u'#') {
        if (value.size() != 4 && value.size() != 7)
            return false;
        for (QChar c : value.sliced(1))
            if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
                return false;
    } else {
        for (QChar c : value)
            if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
                return false;
        if (value.compare(QLatin1StringView("transparent"), Qt::CaseInsensitive) == 0)
            return false;
    }
    const QColor colour = QColor::fromString(value);
    if (!colour.isValid())
        return false;
    rgb = colour.rgb();
    return true;
}

struct Token {
    enum class Type : unsigned char { Break, Smiley, Open, Close, Unknown };
    qsizetype start = 0;
    qsizetype length = 0;
    Type type = Type::Unknown;
    Name name = Name::None;
    Smiley smiley = Smiley::Sad;
    unsigned char size = 0;
    bool literal = false; // shown as typed: not taken by the board
    bool inside = false;  // part of the content of a tag that takes it as it stands
    bool counted = true;  // shown as typed for a problem of its own, not its partner's
    Problem problem = Problem::Unknown;
    QRgb colour = 0;
    Span value; // the address of [url=…] and [FLASH=…]
    int partner = -1;
    qsizetype end() const { return start + length; }
};

constexpr std::array<std::pair<QStringView, Smiley>, 7> smileyCodes{{
    {markup::Mad, Smiley::Mad},
    {markup::Wink, Smiley::Wink},
    {markup::Eek, Smiley::Eek},
    {markup::Sad, Smiley::Sad},
    {markup::Tongue, Smiley::Tongue},
    {markup::Grin, Smiley::Grin},
    {markup::Confused, Smiley::Confused},
}};

// What the tag between "[" and "]" at start is; fills type, name and values.
void classify(QStringView post, Token& token) {
    const QStringView inner = post.sliced(token.start + 1, token.length - 2);
    token.type = Token::Type::Unknown;
    if (inner.startsWith(u'/')) {
        const Name name = nameOf(inner.sliced(1));
        if (name != Name::None) {
            token.type = Token::Type::Close;
            token.name = name;
        } else if (inner.sliced(1).compare(QLatin1StringView("url"), Qt::CaseInsensitive) == 0) {
            token.type = Token::Type::Close;
            token.name = Name::Link;
        }
        return;
    }
    // The boards' own closing link tag has its slash after the word.
    if (inner.compare(QLatin1StringView("url/"), Qt::CaseInsensitive) == 0) {
        token.type = Token::Type::Close;
        token.name = Name::Link;
        return;
    }
    const qsizetype equals = inner.indexOf(u'=');
    const QStringView word = equals < 0 ? inner : inner.first(equals);
    const qsizetype valueStart = token.start + 1 + equals + 1;
    const QStringView value = equals < 0 ? QStringView() : inner.sliced(equals + 1);
    if (word.compare(QLatin1StringView("url"), Qt::CaseInsensitive) == 0) {
        token.type = Token::Type::Open;
        if (equals < 0) {
            token.name = Name::BareLink;
        } else {
            token.name = Name::Link;
            token.value = {valueStart, value.size()};
        }
        return;
    }
    const Name name = nameOf(word);
    // A quotation may name whom it quotes, "[QUOTE=name]", as boards write it
    // when quoting a post.
    if (name == Name::None || (name != Name::Quote && hasValue(name) != (equals >= 0)))
        return;
    switch (name) {
    case Name::Colour:
        if (!colourOf(value, token.colour))
            return;
        break;
    case Name::Size:
        if (value.size() != 1 || value[0] < u'1' || value[0] > u'7')
            return;
        token.size = static_cast<unsigned char>(value[0].unicode() - u'0');
        break;
    case Name::Flash:
    case Name::Quote:
        if (equals >= 0)
            token.value = {valueStart, value.size()};
        break;
    default:
        break;
    }
    token.type = Token::Type::Open;
    token.name = name;
}

// Characters a board refuses in an address: they end an address in the board's
// own reading, or hide what it says (a direction override, a blank).
bool refusedInAddress(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    return QChar::isSpace(c) || QChar::isNonCharacter(c) || c == U'"' || c == U'\'' || c == U'`' ||
           c == U'<' || c == U'>' || c == U'\\';
}

bool addressTaken(QStringView address, bool link) {
    const qsizetype colon = address.indexOf(u':');
    if (colon <= 0)
        return false;
    const QStringView scheme = address.first(colon);
    const QStringView rest = address.sliced(colon + 1);
    const auto is = [scheme](const char* name) {
        return scheme.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0;
    };
    if (link && is("mailto")) {
        if (rest.isEmpty())
            return false;
    } else if (is("http") || is("https") || (link && is("ftp"))) {
        // Something must follow "//": "http://" alone, as the dialogs offer it, names nothing.
        if (!rest.startsWith(u"//") || rest.size() < 3 || rest[2] == u'/')
            return false;
    } else {
        return false;
    }
    const qsizetype n = address.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = address[i].unicode();
        if (address[i].isHighSurrogate() && i + 1 < n && address[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(address[i], address[i + 1]);
            ++i;
        }
        if (refusedInAddress(c))
            return false;
    }
    return true;
}

bool isBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator;
}

// Every tag, smiley code and line break of the post, in order. A tag is what
// the post box takes for one, so that both read the post alike; one holding a
// carriage return is none, since the return breaks the line.
std::vector<Token> tokenize(QStringView post) {
    const qsizetype n = post.size();
    // Room for every token at once: growing a vector of a mebibyte's tokens
    // step by step costs more than reading the post.
    qsizetype most = 0;
    for (QChar c : post)
        most += c == u'[' || c == u':' || c == u';' || isBreak(c);
    std::vector<Token> tokens;
    tokens.reserve(std::size_t(most));
    qsizetype i = 0;
    while (i < n) {
        const QChar c = post[i];
        Token token;
        token.start = i;
        if (isBreak(c)) {
            token.type = Token::Type::Break;
            token.length = c == u'\r' && i + 1 < n && post[i + 1] == u'\n' ? 2 : 1;
        } else if (c == u'[') {
            token.length = reading::tagAt(post.sliced(i));
            if (token.length > 0 && post.sliced(i, token.length).contains(u'\r'))
                token.length = 0;
            if (token.length > 0)
                classify(post, token);
        } else if (c == u':' || c == u';') {
            token.length = reading::smileyAt(post.sliced(i));
            if (token.length > 0) {
                token.type = Token::Type::Smiley;
                for (const auto& [code, smiley] : smileyCodes)
                    if (post.sliced(i).startsWith(code))
                        token.smiley = smiley;
            }
        }
        if (token.length > 0) {
            tokens.push_back(token);
            i += token.length;
        } else {
            ++i;
        }
    }
    return tokens;
}

// Pairs opening and closing tags the way the board does, with a stack per tag
// name and one of every open tag, so each tag is pushed and popped at most once.
// A closing tag ends the innermost open tag of its name; tags opened inside it
// and still open are left unclosed. Tags that take their content as it stands
// end at the first closing tag of their kind on their line.
void pair(std::vector<Token>& tokens) {
    using Type = Token::Type;
    const int count = int(tokens.size());
    std::array<std::vector<int>, NameCount> closes; // of the tags that take content as it stands
    std::vector<int> breaks;
    for (int k = 0; k < count; ++k) {
        if (tokens[k].type == Type::Close)
            closes[int(tokens[k].name)].push_back(k);
        else if (tokens[k].type == Type::Break)
            breaks.push_back(k);
    }
    std::array<std::size_t, NameCount> nextClose{};
    std::size_t nextBreak = 0;
    std::array<std::vector<int>, NameCount> openByName;
    std::array<std::vector<int>, NameCount> cutByName;
    std::vector<int> open;

    const auto leave = [&tokens](int k, Problem problem) {
        tokens[k].literal = true;
        tokens[k].problem = problem;
    };

    for (int k = 0; k < count; ++k) {
        Token& token = tokens[k];
        switch (token.type) {
        case Type::Break:
        case Type::Smiley:
            break;
        case Type::Unknown:
            leave(k, Problem::Unknown);
            break;
        case Type::Open:
            if (takesContentAsIs(token.name)) {
                const int closeName = int(token.name == Name::BareLink ? Name::Link : token.name);
                const std::vector<int>& candidates = closes[closeName];
                std::size_t& c = nextClose[closeName];
                while (c < candidates.size() && candidates[c] <= k)
                    ++c;
                while (nextBreak < breaks.size() && breaks[nextBreak] <= k)
                    ++nextBreak;
                const bool found = c < candidates.size() && (nextBreak == breaks.size() ||
                                                             candidates[c] < breaks[nextBreak]);
                if (!found) {
                    leave(k, Problem::Unclosed);
                    break;
                }
                const int close = candidates[c];
                token.partner = close;
                tokens[close].partner = k;
                for (int inside = k + 1; inside < close; ++inside)
                    tokens[inside].inside = true;
                k = close;
            } else {
                openByName[int(token.name)].push_back(k);
                open.push_back(k);
            }
            break;
        case Type::Close: {
            std::vector<int>& sameName = openByName[int(token.name)];
            if (sameName.empty()) {
                std::vector<int>& cut = cutByName[int(token.name)];
                if (cut.empty()) {
                    leave(k, Problem::Unopened);
                } else {
                    leave(cut.back(), Problem::Crossed);
                    leave(k, Problem::Crossed);
                    cut.pop_back();
                }
                break;
            }
            const int opening = sameName.back();
            while (open.back() != opening) {
                const int inner = open.back();
                open.pop_back();
                openByName[int(tokens[inner].name)].pop_back();
                cutByName[int(tokens[inner].name)].push_back(inner);
                leave(inner, Problem::Unclosed);
            }
            open.pop_back();
            sameName.pop_back();
            token.partner = opening;
            tokens[opening].partner = k;
            break;
        }
        }
    }
    for (int k : open)
        leave(k, Problem::Unclosed);
}

// A link, picture or media whose address the board will not take is shown as
// typed: its tags (and, for what takes its content as an address, the whole of
// it) are marked, and counted once, by the address.
void refuseAddresses(QStringView post, std::vector<Token>& tokens) {
    for (Token& token : tokens) {
        if (token.type != Token::Type::Open || token.literal || token.inside || token.partner < 0)
            continue;
        Token& close = tokens[std::size_t(token.partner)];
        Span address;
        if (token.name == Name::Link || token.name == Name::Flash)
            address = token.value;
        else if (takesContentAsIs(token.name))
            address = {token.end(), close.start - token.end()};
        else
            continue;
        const bool link = token.name == Name::Link || token.name == Name::BareLink;
        if (addressTaken(post.sliced(address.start, address.length), link))
            continue;
        token.literal = close.literal = true;
        token.problem = close.problem = Problem::Address;
        token.value = address;
        close.counted = false;
    }
}

// ------------------------------------------------------------ the item list

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
                if (token.problem == Problem::Address && takesContentAsIs(token.name)) {
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
                if (takesContentAsIs(token.name)) {
                    const Token& close = tokens[token.partner];
                    media(token, {token.end(), close.start - token.end()});
                    at = close.end();
                    k = token.partner;
                } else {
                    opened(token);
                    if (breaksBlock(token.name))
                        k = swallowBreak(tokens, k, at);
                }
                break;
            case Token::Type::Close:
                closed(token);
                if (breaksBlock(token.name))
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
        item.media = mediaOf(opening.name);
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

bool linkTaken(QStringView address) {
    return addressTaken(address, true);
}

bool mediaTaken(QStringView address) {
    return addressTaken(address, false);
}

Parsed parse(QStringView post) {
    Parsed parsed;
    parsed.post = post.toString();
    std::vector<Token> tokens = tokenize(parsed.post);
    pair(tokens);
    refuseAddresses(parsed.post, tokens);
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

// ----------------------------------------------------------------- rendering

namespace {

constexpr QChar LeftToRightIsolate(0x2066);
constexpr QChar RightToLeftIsolate(0x2067);
constexpr QChar FirstStrongIsolate(0x2068);
constexpr QChar PopIsolate(0x2069);
constexpr QChar LeftToRightMark(0x200E);
constexpr QChar WordJoiner(0x2060);
constexpr QChar NoBreakSpace(0x00A0);

constexpr const char* pictureNames[] = {
    // the smileys, in the order of Smiley
    "angry", "wink", "surprised", "sad", "tongue", "grin", "question",
    // the media, in the order of Media; both RealMedia tags come from one dialog
    "picture-frame", "web-page", "flash-burst", "loudspeaker", "play-bubble", "play-bubble"};
constexpr int PictureCount = int(std::size(pictureNames));

int pictureOf(Smiley smiley) {
    return int(smiley);
}
int pictureOf(Media media) {
    return int(Smiley::Confused) + 1 + int(media);
}

// Decoded once for every document: QImage, unlike QPixmap, may be made and
// shared by any thread, and these are only ever read. On a display of more
// pixels per point, the picture's drawing at the display's own pixel size,
// made once for each ratio.
QImage pictureImage(int picture, qreal pixelRatio) {
    static const std::array<QImage, PictureCount> images = [] {
        std::array<QImage, PictureCount> decoded;
        for (int i = 0; i < PictureCount; ++i)
            decoded[i] = QImage(QStringLiteral(":/pictures/") + QLatin1StringView(pictureNames[i]) +
                                QStringLiteral(".gif"));
        return decoded;
    }();
    if (pixelRatio <= 1)
        return images[picture];
    static std::mutex drawnMutex;
    static std::map<std::pair<int, qreal>, QImage> drawn;
    const std::lock_guard lock(drawnMutex);
    QImage& image = drawn[{picture, pixelRatio}];
    if (image.isNull()) {
        const screens::Picture* entry =
            screens::findPicture(QString::fromLatin1(pictureNames[picture]));
        image = entry ? screens::renderDrawing(screens::drawingPath(*entry), pixelRatio) : QImage();
        if (image.isNull())
            image = images[picture];
        else
            image.setDevicePixelRatio(pixelRatio);
    }
    return image;
}

QUrl pictureUrl(int picture) {
    return {QStringLiteral("qirtaz-board:") + QLatin1StringView(pictureNames[picture])};
}

QStringView mediaLabel(Media media) {
    switch (media) {
    case Media::Image:
        return u"صورة";
    case Media::Web:
        return u"صفحة";
    case Media::Flash:
        return u"فلاش";
    case Media::Sound:
        return u"صوت";
    case Media::Video:
        return u"مقطع مرئي";
    case Media::Audio:
        return u"مقطع صوتي";
    }
    return {};
}

QString problemName(Problem problem) {
    switch (problem) {
    case Problem::Unclosed:
        return QStringLiteral("وسم غير مغلق");
    case Problem::Unopened:
        return QStringLiteral("وسم إغلاق بلا فتح");
    case Problem::Crossed:
        return QStringLiteral("وسم متداخل");
    case Problem::Unknown:
        return QStringLiteral("وسم غير معروف");
    case Problem::Address:
        return QStringLiteral("رابط غير مقبول");
    }
    return {};
}

// HTML's font sizes 1 to 7 against its usual size 3.
constexpr double sizeFactors[] = {0.625, 0.8125, 1.0, 1.125, 1.5, 2.0, 3.0};

const QColor linkColour(0x1a, 0x0d, 0xab);
const QColor markUnderline(0xd0, 0x10, 0x10);
const QColor markBackground(0xfd, 0xe4, 0xe4);
const QColor placeholderBackground(0xe8, 0xee, 0xf5);
const QColor placeholderLabel(0x44, 0x55, 0x66);
const QColor quoteBackgrounds[] = {{0xf1, 0xf4, 0xf8}, {0xe3, 0xe9, 0xf1}, {0xd5, 0xde, 0xea}};
constexpr int QuoteIndent = 14;
constexpr int QuoteGap = 4;
// Quotations nested deeper than this are drawn at this depth, so that the text
// keeps its width.
constexpr int DeepestQuoteShown = 8;

// A paragraph is laid out whole, and Qt lays out a line without a break
// opportunity in time that grows with the square of its length (a megabyte of
// "[" took minutes). So a paragraph longer than LongestBlock, or a run longer
// than LongestRun without a blank, goes on in a block of its own with the same
// look: the line ends there as a wrapped line would, and every character stays.
constexpr qsizetype LongestBlock = qsizetype(16) * 1024;
constexpr qsizetype LongestRun = 2048;
// Where a long paragraph is cut, a blank this close before the cut is taken
// instead, so the cut falls where a line would wrap anyway.
constexpr qsizetype CutReach = 256;
// An address shown in a tooltip: more than this is cut off, and says so.
constexpr qsizetype LongestTip = 2000;
constexpr qsizetype LongestOneLineTip = 120;

} // namespace

class Renderer {
public:
    Renderer(const Parsed& parsed, QTextDocument& document, qreal pixelRatio)
        : parsed_(parsed)
        , document_(document)
        , cursor_(&document)
        , pixelRatio_(pixelRatio) {
        const QFont font = document.defaultFont();
        basePoints_ = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    }

    bool finished() const { return next_ == parsed_.items.size() && pieces_.empty(); }
    const std::vector<Mark>& marks() const { return marks_; }

    // Adds what follows, about units code units of the post, as one edit of
    // the document; true once the whole post is in.
    bool step(qsizetype units) {
        cursor_.beginEditBlock();
        while (units > 0 && !finished()) {
            if (pieces_.empty()) {
                expand(parsed_.items[next_++]);
                --units;
                continue;
            }
            Piece& piece = pieces_.front();
            if (piece.mark == MarkStart)
                marks_.push_back({piece.markOf, cursor_.position(), 0});
            if (piece.picture >= 0) {
                picture(piece.picture, piece.format);
                --units;
            } else if (piece.post.none()) {
                added(piece.added, piece.format);
                units -= piece.added.size();
            } else {
                units -= postText(piece.post, piece.format, piece.reopen, piece.glued, units);
                if (piece.post.length > 0)
                    break; // the rest in the next step
            }
            if (piece.mark == MarkEnd)
                marks_.back().length = cursor_.position() - marks_.back().position;
            pieces_.pop_front();
        }
        cursor_.endEditBlock();
        return finished();
    }

private:
    // What an item puts in the document, in order: a picture, words the
    // preview adds, or a stretch of the post.
    enum MarkEdge : unsigned char { NoMark, MarkStart, MarkEnd };
    struct Piece {
        QTextCharFormat format;
        int picture = -1;
        QString added;
        Span post;
        QChar reopen;           // the isolate the stretch stands in, opened again in a new block
        bool glued = false;     // no line may break inside the stretch
        MarkEdge mark = NoMark; // the piece begins or ends a marked tag
        Span markOf;            // the marked tag, for its start
    };

    void expand(const Item& item) {
        switch (item.kind) {
        case Item::Kind::Paragraph:
            paragraph(item);
            break;
        case Item::Kind::QuoteStart:
            quoteStart(item);
            break;
        case Item::Kind::QuoteEnd:
            quoteEnd();
            break;
        case Item::Kind::Text:
            addPost(item.text, format(item.style), {});
            break;
        case Item::Kind::Marked:
            marked(item);
            break;
        case Item::Kind::Smiley:
            addPicture(pictureOf(item.smiley), format(item.style));
            break;
        case Item::Kind::Placeholder:
            placeholder(item);
            break;
        }
    }

    void add(const QString& text, QTextCharFormat format) {
        format.setProperty(AddedTextProperty, true);
        Piece piece;
        piece.format = std::move(format);
        piece.added = text;
        pieces_.push_back(std::move(piece));
    }
    void addPicture(int picture, const QTextCharFormat& format) {
        Piece piece;
        piece.format = format;
        piece.picture = picture;
        pieces_.push_back(std::move(piece));
    }
    void addPost(Span span, const QTextCharFormat& format, QChar reopen, bool glued = false) {
        Piece piece;
        piece.format = format;
        piece.post = span;
        piece.reopen = reopen;
        piece.glued = glued;
        pieces_.push_back(std::move(piece));
    }

    QTextCharFormat format(const Style& style) {
        QTextCharFormat format;
        if (style.bold)
            format.setFontWeight(QFont::Bold);
        if (style.italic)
            format.setFontItalic(true);
        if (style.underline)
            format.setFontUnderline(true);
        if (style.strike)
            format.setFontStrikeOut(true);
        if (!style.link.none()) {
            // Only shown: the preview opens nothing, so there is no anchor to follow.
            format.setForeground(linkColour);
            format.setFontUnderline(true);
            if (style.link.length > 0) {
                format.setToolTip(tip(style.link));
                format.setProperty(LinkProperty, tipAddress_);
            }
        }
        if (style.coloured)
            format.setForeground(QColor(style.colour));
        if (style.size > 0)
            format.setFontPointSize(basePoints_ * sizeFactors[style.size - 1]);
        return format;
    }

    // Every item inside a link carries the link's address as its tooltip:
    // made once a link, not once an item, or a long link costs the square of
    // its length.
    const QString& tip(Span link) {
        if (!(link == tipLink_)) {
            tipLink_ = link;
            QStringView address = parsed_.text(link);
            QString shown;
            if (address.size() > LongestTip)
                shown = address
                            .first(address[LongestTip - 1].isHighSurrogate() ? LongestTip - 1
                                                                             : LongestTip)
                            .toString() +
                        QStringLiteral("…");
            else
                shown = address.toString();
            tipAddress_ = shown;
            // A tooltip of rich text wraps where it likes, even inside a short
            // address: one that fits a screen stays on one line.
            tip_ = shown.size() <= LongestOneLineTip
                       ? QStringLiteral("<p style=\"white-space:pre\">") +
                             addressShown(shown).toHtmlEscaped() + QStringLiteral("</p>")
                       : Qt::convertFromPlainText(addressShown(shown));
        }
        return tip_;
    }

    // How much of text fits in the paragraph's block before a cut.
    qsizetype fitting(QStringView text) {
        const qsizetype room = LongestBlock - blockUnits_;
        qsizetype i = 0;
        qsizetype blank = -1;
        for (; i < text.size() && i < room; ++i) {
            if (text[i].isSpace()) {
                run_ = 0;
                blank = i;
            } else if (++run_ > LongestRun) {
                break;
            }
        }
        if (i == text.size())
            return i;
        if (i == room && blank >= 0 && i - blank <= CutReach)
            return blank + 1;
        if (i > 0 && text[i - 1].isHighSurrogate() && text[i].isLowSurrogate())
            --i;
        return i;
    }

    // Shows the post's own characters, every one of them, at most budget of
    // them now; span keeps what is left. The two characters a text document
    // keeps for its frames would split the paragraph, so they are shown as the
    // replacement character; a post box never holds them.
    qsizetype postText(Span& span, const QTextCharFormat& format, QChar reopen, bool glued,
                       qsizetype budget) {
        qsizetype done = 0;
        while (span.length > 0 && done < budget) {
            QStringView rest = QStringView(parsed_.post).sliced(span.start, span.length);
            rest = rest.first(std::min(rest.size(), budget - done));
            const qsizetype take = fitting(rest);
            if (take == 0) {
                continueBlock();
                if (!reopen.isNull())
                    added(QString(reopen), format);
                continue;
            }
            QString text = rest.first(take).toString();
            for (QChar& c : text)
                if (c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1)
                    c = QChar::ReplacementCharacter;
            blockUnits_ += take;
            span.start += take;
            span.length -= take;
            done += take;
            if (glued)
                gluedText(text, format, span.length == 0);
            else
                cursor_.insertText(text, format);
        }
        return std::max<qsizetype>(done, 1);
    }

    // A line may break after a slash, a hyphen or a question mark: a word
    // joiner after each keeps an address on one line with its label.
    void gluedText(const QString& text, const QTextCharFormat& format, bool last) {
        qsizetype from = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text[i];
            if (c.isLetterOrNumber() || c.isMark() || c.isSurrogate() || (last && i + 1 == n))
                continue;
            cursor_.insertText(text.sliced(from, i + 1 - from), format);
            added(QString(WordJoiner), format);
            from = i + 1;
        }
        if (from < n)
            cursor_.insertText(from == 0 ? text : text.sliced(from), format);
    }

    void added(const QString& text, QTextCharFormat format) {
        format.setProperty(AddedTextProperty, true);
        cursor_.insertText(text, format);
        blockUnits_ += text.size();
    }

    void picture(int picture, const QTextCharFormat& around) {
        if (!resourceAdded_[picture]) {
            document_.addResource(QTextDocument::ImageResource, pictureUrl(picture),
                                  pictureImage(picture, pixelRatio_));
            resourceAdded_[picture] = true;
        }
        QTextImageFormat image;
        image.merge(around);
        image.setObjectType(QTextFormat::ImageObject);
        image.setName(pictureUrl(picture).toString());
        // Its size in points, whatever the pixels it is drawn from.
        const QSize size = pictureImage(picture, 1).size();
        image.setWidth(size.width());
        image.setHeight(size.height());
        image.setVerticalAlignment(QTextCharFormat::AlignMiddle);
        image.setProperty(AddedTextProperty, true);
        cursor_.insertImage(image);
        ++blockUnits_;
    }

    void marked(const Item& item) {
        QTextCharFormat format = this->format(item.style);
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        format.setUnderlineColor(markUnderline);
        format.setBackground(markBackground);
        format.setToolTip(problemName(item.problem));
        // Read left to right, as typed, even in an Arabic paragraph.
        add(QString(LeftToRightIsolate), format);
        pieces_.back().mark = MarkStart;
        pieces_.back().markOf = item.text;
        addPost(item.text, format, LeftToRightIsolate);
        // A screen reader reads the tag, then what is wrong with it.
        QTextCharFormat end = format;
        end.setProperty(SpokenProperty, QStringLiteral(" (") + problemName(item.problem) + u')');
        add(QString(PopIsolate), end);
        pieces_.back().mark = MarkEnd;
    }

    // Blanks inside a placeholder hold its parts together on one line.
    static QString spaced(QStringView word) {
        QString text(NoBreakSpace);
        text.append(word);
        if (!word.isEmpty())
            text.append(NoBreakSpace);
        return text;
    }

    void placeholder(const Item& item) {
        QTextCharFormat box = format(item.style);
        box.setBackground(placeholderBackground);
        QTextCharFormat label = box;
        label.setForeground(placeholderLabel);
        label.setFontWeight(QFont::Bold);
        // One unit with an Arabic label, which the text around it cannot pull
        // apart: an Arabic word beside it would otherwise join the label. It
        // never breaks across lines: no blank inside it, a word joiner
        // wherever the address could break, and its icon last, as a line may
        // always break after a picture.
        add(QString(RightToLeftIsolate) + spaced(mediaLabel(item.media)), label);
        add(QString(LeftToRightIsolate), box);
        addPost(item.text, box, LeftToRightIsolate, true);
        add(QString(PopIsolate), box);
        const auto value = [&](QStringView name, Span span) {
            add(spaced(name), label);
            add(QString(FirstStrongIsolate), box);
            addPost(span, box, FirstStrongIsolate, true);
            add(QString(PopIsolate), box);
        };
        if (!item.width.none()) {
            value(u"العرض", item.width);
            value(u"الارتفاع", item.height);
        } else if (!item.extra.none()) {
            value(u"", item.extra);
        }
        add(QString(NoBreakSpace), box);
        QTextCharFormat icon = box;
        icon.setProperty(SpokenProperty, QString()); // the label says it
        addPicture(pictureOf(item.media), icon);
        add(QString(PopIsolate), box);
        // The next placeholder right after it keeps a box of its own, and the
        // line may break between them.
        if (next_ < parsed_.items.size() && parsed_.items[next_].kind == Item::Kind::Placeholder)
            add(QStringLiteral(" "), format(item.style));
    }

    void paragraph(const Item& item) {
        startBlock(item.direction == Direction::RightToLeft, item.centred);
    }

    void startBlock(bool rtl, bool centred) {
        QTextBlockFormat block;
        block.setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        block.setAlignment(centred ? Qt::AlignHCenter
                                   : (rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute);
        const int depth = std::min(quoteDepth_, DeepestQuoteShown);
        if (depth > 0) {
            block.setLeftMargin(depth * QuoteIndent);
            block.setRightMargin(depth * QuoteIndent);
            block.setBackground(quoteBackgrounds[(depth - 1) % std::size(quoteBackgrounds)]);
            if (depthChanged_)
                block.setTopMargin(QuoteGap);
        }
        depthChanged_ = false;
        blockDepth_ = depth;
        if (first_) {
            cursor_.setBlockFormat(block);
            first_ = false;
        } else {
            cursor_.insertBlock(block, QTextCharFormat());
        }
        blockUnits_ = 0;
        run_ = 0;
    }

    // The paragraph goes on in a new block of the same look.
    void continueBlock() {
        QTextBlockFormat block = cursor_.blockFormat();
        block.setTopMargin(0);
        if (first_) {
            first_ = false;
            blockDepth_ = 0;
        }
        cursor_.insertBlock(block, QTextCharFormat());
        blockUnits_ = 0;
        run_ = 0;
    }

    // A quotation is its paragraphs indented from both sides on a tinted
    // ground, deeper and darker as quotations nest. Not text frames: a
    // document finds a position's frame by walking its frames, so thousands of
    // them take time that grows with the square of their number, and their
    // layout recurses once per level.
    void quoteStart(const Item& item) {
        ++quoteDepth_;
        depthChanged_ = true;
        if (item.text.length <= 0)
            return;
        // Whom it quotes heads the quotation, on a line of its own.
        startBlock(true, false);
        QTextCharFormat header;
        header.setFontWeight(QFont::Bold);
        header.setForeground(placeholderLabel);
        add(QStringLiteral("اقتباس من ") + FirstStrongIsolate, header);
        addPost(item.text, header, FirstStrongIsolate);
        add(PopIsolate + QStringLiteral(":"), header);
    }

    void quoteEnd() {
        if (!first_ && blockDepth_ == std::min(quoteDepth_, DeepestQuoteShown)) {
            QTextBlockFormat gap;
            gap.setBottomMargin(QuoteGap);
            cursor_.mergeBlockFormat(gap);
        }
        --quoteDepth_;
        depthChanged_ = true;
    }

    const Parsed& parsed_;
    QTextDocument& document_;
    QTextCursor cursor_;
    double basePoints_ = 9.0;
    std::size_t next_ = 0;     // the first item not yet taken
    std::deque<Piece> pieces_; // what the last item taken still has to show
    bool first_ = true;        // the document's first block is still to be used
    int quoteDepth_ = 0;
    int blockDepth_ = 0;
    bool depthChanged_ = false;
    qsizetype blockUnits_ = 0; // in the block being filled
    qsizetype run_ = 0;        // since its last blank
    Span tipLink_;
    QString tip_;
    QString tipAddress_;
    std::vector<Mark> marks_;
    std::array<bool, PictureCount> resourceAdded_{};
    qreal pixelRatio_ = 1;
};

namespace {

void prepare(QTextDocument& into) {
    if (!into.isEmpty())
        into.clear();
    // A preview is never edited: recording each insertion for undo only costs.
    into.setUndoRedoEnabled(false);
}

} // namespace

void render(const Parsed& parsed, QTextDocument& into, qreal pixelRatio) {
    prepare(into);
    Renderer(parsed, into, pixelRatio).step(std::numeric_limits<qsizetype>::max());
}

Rendering::Rendering(std::shared_ptr<const Parsed> parsed, QTextDocument& into, qreal pixelRatio)
    : parsed_(std::move(parsed)) {
    prepare(into);
    renderer_ = std::make_unique<Renderer>(*parsed_, into, pixelRatio);
}

Rendering::~Rendering() = default;

bool Rendering::step(qsizetype units) {
    return renderer_->step(std::max<qsizetype>(units, 1));
}

bool Rendering::finished() const {
    return renderer_->finished();
}

const std::vector<Mark>& Rendering::marks() const {
    return renderer_->marks();
}

// ------------------------------------------------------------- the foot line

namespace {

// Arabic counts a noun in five ways: one, two, three to ten, eleven to
// ninety-nine, and hundreds (100, 101, 102, 200 …).
QString counted(Problem problem, qsizetype n) {
    struct Forms {
        const char16_t* one;
        const char16_t* two;
        const char16_t* few;
        const char16_t* many;
        const char16_t* hundreds;
    };
    static constexpr Forms forms[] = {
        {u"وسم غير مغلق", u"وسمان غير مغلقين", u"وسوم غير مغلقة", u"وسمًا غير مغلق",
         u"وسم غير مغلق"},
        {u"وسم إغلاق بلا فتح", u"وسما إغلاق بلا فتح", u"وسوم إغلاق بلا فتح", u"وسم إغلاق بلا فتح",
         u"وسم إغلاق بلا فتح"},
        {u"وسم متداخل", u"وسمان متداخلان", u"وسوم متداخلة", u"وسمًا متداخلًا", u"وسم متداخل"},
        {u"وسم غير معروف", u"وسمان غير معروفين", u"وسوم غير معروفة", u"وسمًا غير معروف",
         u"وسم غير معروف"},
        {u"رابط غير مقبول", u"رابطان غير مقبولين", u"روابط غير مقبولة", u"رابطًا غير مقبول",
         u"رابط غير مقبول"},
    };
    const Forms& form = forms[int(problem)];
    if (n == 1)
        return QString::fromUtf16(form.one);
    if (n == 2)
        return QString::fromUtf16(form.two);
    const qsizetype rest = n % 100;
    const char16_t* noun = rest >= 3 && rest <= 10    ? form.few
                           : rest >= 11 && rest <= 99 ? form.many
                                                      : form.hundreds;
    return QString::number(n) + u' ' + QString::fromUtf16(noun);
}

constexpr int TagsShown = 3;
constexpr qsizetype LongestTagShown = 40;

// A tag, or an address the board will not take, as the foot shows it: left to
// right as typed, cut short when long.
QString shownTag(QStringView tag, bool address) {
    QString shown;
    if (tag.size() <= LongestTagShown) {
        shown = tag.toString();
    } else {
        qsizetype cut = LongestTagShown - 10;
        if (tag[cut - 1].isHighSurrogate())
            --cut;
        shown = tag.first(cut).toString() + (address ? QStringLiteral("…") : QStringLiteral("…]"));
    }
    return address ? addressShown(shown) : LeftToRightIsolate + shown + PopIsolate;
}

bool isDirectionMark(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x2066 && u <= 0x2069) || u == 0x200E || u == 0x200F ||
           (u >= 0x202A && u <= 0x202E) || u == 0x061C;
}

} // namespace

QString addressShown(QStringView address) {
    // Isolated left to right; within it a run of Arabic letters would still
    // take the dots and slashes between its words and read backwards, so a
    // left-to-right mark closes each run: "http://مثال.كوم/صفحة" reads as typed.
    QString shown;
    shown.reserve(address.size() + 8);
    shown += LeftToRightIsolate;
    bool rightToLeft = false;
    for (QChar c : address) {
        const QChar::Direction direction = c.direction();
        const bool strongRight = direction == QChar::DirR || direction == QChar::DirAL;
        if (rightToLeft && !strongRight && direction != QChar::DirNSM)
            shown += LeftToRightMark;
        if (strongRight)
            rightToLeft = true;
        else if (direction != QChar::DirNSM)
            rightToLeft = false;
        shown += c;
    }
    if (rightToLeft)
        shown += LeftToRightMark;
    return shown + PopIsolate;
}

QString withoutDirectionMarks(QStringView text) {
    QString plain;
    plain.reserve(text.size());
    for (QChar c : text)
        if (!isDirectionMark(c))
            plain += c;
    return plain;
}

QString problemLine(const Parsed& parsed, const Issue& issue) {
    return problemName(issue.problem) + QStringLiteral(": ") +
           shownTag(parsed.text(issue.tag), issue.problem == Problem::Address);
}

const Mark* markOf(const std::vector<Mark>& marks, const Issue& issue) {
    const auto after =
        std::upper_bound(marks.begin(), marks.end(), issue.tag.start,
                         [](qsizetype start, const Mark& mark) { return start < mark.post.start; });
    if (after == marks.begin())
        return nullptr;
    const Mark& mark = *std::prev(after);
    return issue.tag.start < mark.post.start + std::max<qsizetype>(mark.post.length, 1) ? &mark
                                                                                        : nullptr;
}

QString problemsLine(const Parsed& parsed) {
    QString line;
    for (Problem problem : {Problem::Unclosed, Problem::Unopened, Problem::Crossed,
                            Problem::Unknown, Problem::Address}) {
        qsizetype count = 0;
        QString tags;
        for (const Issue& issue : parsed.issues) {
            if (issue.problem != problem)
                continue;
            if (count < TagsShown)
                tags += u' ' + shownTag(parsed.text(issue.tag), problem == Problem::Address);
            else if (count == TagsShown)
                tags += QStringLiteral(" …");
            ++count;
        }
        if (count == 0)
            continue;
        if (!line.isEmpty())
            line += QStringLiteral("؛ ");
        line += counted(problem, count) + u':' + tags;
    }
    return line;
}

// ----------------------------------------------------------- the description

namespace {

void appendEscaped(QString& out, QStringView text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        const QChar::Category category = c.category();
        if (c == u'\\' || c == u'\'') {
            out += u'\\';
            out += c;
        } else if (c.isSurrogate() || c.isNonCharacter() || category == QChar::Other_Control ||
                   category == QChar::Other_Format || category == QChar::Separator_Line ||
                   category == QChar::Separator_Paragraph) {
            out += QStringLiteral("\\u{") + QString::number(c.unicode(), 16) + u'}';
        } else {
            out += c;
        }
    }
}

QString quoted(QStringView text) {
    QString out = QStringLiteral("'");
    appendEscaped(out, text);
    return out + u'\'';
}

QString colourName(QRgb rgb) {
    switch (rgb & 0xffffff) {
    case 0xff0000:
        return QStringLiteral("red");
    case 0x008000:
        return QStringLiteral("green");
    case 0x0000ff:
        return QStringLiteral("blue");
    case 0x800080:
        return QStringLiteral("purple");
    case 0xffa500:
        return QStringLiteral("orange");
    default:
        return QColor(rgb).name();
    }
}

QString styleWords(const Parsed& parsed, const Style& style) {
    QStringList words;
    if (style.bold)
        words << QStringLiteral("b");
    if (style.italic)
        words << QStringLiteral("i");
    if (style.underline)
        words << QStringLiteral("u");
    if (style.strike)
        words << QStringLiteral("s");
    if (style.coloured)
        words << colourName(style.colour);
    if (style.size > 0)
        words << QStringLiteral("size") + QString::number(style.size);
    if (!style.link.none()) {
        QString link = QStringLiteral("link(");
        appendEscaped(link, parsed.text(style.link));
        words << link + u')';
    }
    return words.isEmpty() ? QString() : words.join(u'+') + u':';
}

QLatin1StringView smileyName(Smiley smiley) {
    constexpr const char* names[] = {"mad", "wink", "eek", "sad", "tongue", "grin", "confused"};
    return QLatin1StringView(names[int(smiley)]);
}

QLatin1StringView mediaName(Media media) {
    constexpr const char* names[] = {"image", "web", "flash", "sound", "video", "audio"};
    return QLatin1StringView(names[int(media)]);
}

} // namespace

QString describe(const Parsed& parsed) {
    QString out;
    bool inParagraph = false;
    bool first = true; // nothing yet in the current braces
    const auto separate = [&] {
        if (!first)
            out += u' ';
        first = false;
    };
    const auto endParagraph = [&] {
        if (inParagraph) {
            out += u'}';
            first = false;
        }
        inParagraph = false;
    };
    for (const Item& item : parsed.items) {
        switch (item.kind) {
        case Item::Kind::Paragraph:
            endParagraph();
            separate();
            out += item.direction == Direction::LeftToRight ? QStringLiteral("ltr")
                                                            : QStringLiteral("rtl");
            if (item.centred)
                out += QStringLiteral("-center");
            out += u'{';
            inParagraph = true;
            first = true;
            break;
        case Item::Kind::QuoteStart:
            endParagraph();
            separate();
            out += QStringLiteral("quote");
            if (item.text.length > 0) {
                out += u'(';
                appendEscaped(out, parsed.text(item.text));
                out += u')';
            }
            out += u'{';
            first = true;
            break;
        case Item::Kind::QuoteEnd:
            endParagraph();
            out += u'}';
            first = false;
            break;
        case Item::Kind::Text:
            separate();
            out += styleWords(parsed, item.style) + quoted(parsed.text(item.text));
            break;
        case Item::Kind::Marked:
            separate();
            out += styleWords(parsed, item.style) + u'!' + quoted(parsed.text(item.text));
            break;
        case Item::Kind::Smiley:
            separate();
            out += styleWords(parsed, item.style) + u'(' + smileyName(item.smiley) + u')';
            break;
        case Item::Kind::Placeholder:
            separate();
            out += styleWords(parsed, item.style) + mediaName(item.media) + u'<';
            appendEscaped(out, parsed.text(item.text));
            if (!item.width.none())
                out += QStringLiteral(" w=") + quoted(parsed.text(item.width)) +
                       QStringLiteral(" h=") + quoted(parsed.text(item.height));
            else if (!item.extra.none())
                out += u' ' + quoted(parsed.text(item.extra));
            out += u'>';
            break;
        }
    }
    endParagraph();
    return out;
}

} // namespace qirtaz::board
