// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/tags.h"

#include "post/markup.h"
#include "post/reading.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <utility>

namespace qirtaz::board {
namespace tags {
namespace {

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

// The colour names of the web's list, in the order of their names, as
// 0xrrggbb. Kept here rather than asked of QtGui, so that the reader needs
// nothing but QtCore; a test holds the list to QtGui's own.
struct ColourName {
    const char* name;
    Rgb rgb;
};
constexpr ColourName colourNames[] = {
    {"aliceblue", 0xf0f8ff},
    {"antiquewhite", 0xfaebd7},
    {"aqua", 0x00ffff},
    {"aquamarine", 0x7fffd4},
    {"azure", 0xf0ffff},
    {"beige", 0xf5f5dc},
    {"bisque", 0xffe4c4},
    {"black", 0x000000},
    {"blanchedalmond", 0xffebcd},
    {"blue", 0x0000ff},
    {"blueviolet", 0x8a2be2},
    {"brown", 0xa52a2a},
    {"burlywood", 0xdeb887},
    {"cadetblue", 0x5f9ea0},
    {"chartreuse", 0x7fff00},
    {"chocolate", 0xd2691e},
    {"coral", 0xff7f50},
    {"cornflowerblue", 0x6495ed},
    {"cornsilk", 0xfff8dc},
    {"crimson", 0xdc143c},
    {"cyan", 0x00ffff},
    {"darkblue", 0x00008b},
    {"darkcyan", 0x008b8b},
    {"darkgoldenrod", 0xb8860b},
    {"darkgray", 0xa9a9a9},
    {"darkgreen", 0x006400},
    {"darkgrey", 0xa9a9a9},
    {"darkkhaki", 0xbdb76b},
    {"darkmagenta", 0x8b008b},
    {"darkolivegreen", 0x556b2f},
    {"darkorange", 0xff8c00},
    {"darkorchid", 0x9932cc},
    {"darkred", 0x8b0000},
    {"darksalmon", 0xe9967a},
    {"darkseagreen", 0x8fbc8f},
    {"darkslateblue", 0x483d8b},
    {"darkslategray", 0x2f4f4f},
    {"darkslategrey", 0x2f4f4f},
    {"darkturquoise", 0x00ced1},
    {"darkviolet", 0x9400d3},
    {"deeppink", 0xff1493},
    {"deepskyblue", 0x00bfff},
    {"dimgray", 0x696969},
    {"dimgrey", 0x696969},
    {"dodgerblue", 0x1e90ff},
    {"firebrick", 0xb22222},
    {"floralwhite", 0xfffaf0},
    {"forestgreen", 0x228b22},
    {"fuchsia", 0xff00ff},
    {"gainsboro", 0xdcdcdc},
    {"ghostwhite", 0xf8f8ff},
    {"gold", 0xffd700},
    {"goldenrod", 0xdaa520},
    {"gray", 0x808080},
    {"green", 0x008000},
    {"greenyellow", 0xadff2f},
    {"grey", 0x808080},
    {"honeydew", 0xf0fff0},
    {"hotpink", 0xff69b4},
    {"indianred", 0xcd5c5c},
    {"indigo", 0x4b0082},
    {"ivory", 0xfffff0},
    {"khaki", 0xf0e68c},
    {"lavender", 0xe6e6fa},
    {"lavenderblush", 0xfff0f5},
    {"lawngreen", 0x7cfc00},
    {"lemonchiffon", 0xfffacd},
    {"lightblue", 0xadd8e6},
    {"lightcoral", 0xf08080},
    {"lightcyan", 0xe0ffff},
    {"lightgoldenrodyellow", 0xfafad2},
    {"lightgray", 0xd3d3d3},
    {"lightgreen", 0x90ee90},
    {"lightgrey", 0xd3d3d3},
    {"lightpink", 0xffb6c1},
    {"lightsalmon", 0xffa07a},
    {"lightseagreen", 0x20b2aa},
    {"lightskyblue", 0x87cefa},
    {"lightslategray", 0x778899},
    {"lightslategrey", 0x778899},
    {"lightsteelblue", 0xb0c4de},
    {"lightyellow", 0xffffe0},
    {"lime", 0x00ff00},
    {"limegreen", 0x32cd32},
    {"linen", 0xfaf0e6},
    {"magenta", 0xff00ff},
    {"maroon", 0x800000},
    {"mediumaquamarine", 0x66cdaa},
    {"mediumblue", 0x0000cd},
    {"mediumorchid", 0xba55d3},
    {"mediumpurple", 0x9370db},
    {"mediumseagreen", 0x3cb371},
    {"mediumslateblue", 0x7b68ee},
    {"mediumspringgreen", 0x00fa9a},
    {"mediumturquoise", 0x48d1cc},
    {"mediumvioletred", 0xc71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xf5fffa},
    {"mistyrose", 0xffe4e1},
    {"moccasin", 0xffe4b5},
    {"navajowhite", 0xffdead},
    {"navy", 0x000080},
    {"oldlace", 0xfdf5e6},
    {"olive", 0x808000},
    {"olivedrab", 0x6b8e23},
    {"orange", 0xffa500},
    {"orangered", 0xff4500},
    {"orchid", 0xda70d6},
    {"palegoldenrod", 0xeee8aa},
    {"palegreen", 0x98fb98},
    {"paleturquoise", 0xafeeee},
    {"palevioletred", 0xdb7093},
    {"papayawhip", 0xffefd5},
    {"peachpuff", 0xffdab9},
    {"peru", 0xcd853f},
    {"pink", 0xffc0cb},
    {"plum", 0xdda0dd},
    {"powderblue", 0xb0e0e6},
    {"purple", 0x800080},
    {"red", 0xff0000},
    {"rosybrown", 0xbc8f8f},
    {"royalblue", 0x4169e1},
    {"saddlebrown", 0x8b4513},
    {"salmon", 0xfa8072},
    {"sandybrown", 0xf4a460},
    {"seagreen", 0x2e8b57},
    {"seashell", 0xfff5ee},
    {"sienna", 0xa0522d},
    {"silver", 0xc0c0c0},
    {"skyblue", 0x87ceeb},
    {"slateblue", 0x6a5acd},
    {"slategray", 0x708090},
    {"slategrey", 0x708090},
    {"snow", 0xfffafa},
    {"springgreen", 0x00ff7f},
    {"steelblue", 0x4682b4},
    {"tan", 0xd2b48c},
    {"teal", 0x008080},
    {"thistle", 0xd8bfd8},
    {"tomato", 0xff6347},
    {"turquoise", 0x40e0d0},
    {"violet", 0xee82ee},
    {"wheat", 0xf5deb3},
    {"white", 0xffffff},
    {"whitesmoke", 0xf5f5f5},
    {"yellow", 0xffff00},
    {"yellowgreen", 0x9acd32},
};

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// The colours a board takes: a colour name of the web's list or "#rgb" /
// "#rrggbb". The dialogs write five names, but people type others by hand and
// the board shows them; "transparent" would hide the words, so it is no colour.
bool colourOf(QStringView value, Rgb& rgb) {
    if (value.isEmpty() || value.size() > 24)
        return false;
    if (value.front() == u'#') {
        if (value.size() != 4 && value.size() != 7)
            return false;
        Rgb read = 0;
        for (QChar c : value.sliced(1)) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return false;
            // "#rgb" stands for "#rrggbb".
            read = value.size() == 4 ? read << 8 | Rgb(digit * 0x11) : read << 4 | Rgb(digit);
        }
        rgb = 0xff000000 | read;
        return true;
    }
    // "transparent" is not in the list.
    const auto found = std::lower_bound(
        std::begin(colourNames), std::end(colourNames), value,
        [](const ColourName& entry, QStringView name) {
            return QLatin1StringView(entry.name).compare(name, Qt::CaseInsensitive) < 0;
        });
    if (found == std::end(colourNames) ||
        QLatin1StringView(found->name).compare(value, Qt::CaseInsensitive) != 0)
        return false;
    rgb = 0xff000000 | found->rgb;
    return true;
}

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

} // namespace

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

} // namespace tags

bool linkTaken(QStringView address) {
    return tags::addressTaken(address, true);
}

bool mediaTaken(QStringView address) {
    return tags::addressTaken(address, false);
}

} // namespace qirtaz::board
