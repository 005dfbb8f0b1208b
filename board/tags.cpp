// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/tags.h"
#include "board/profile.h"

#include "post/markup.h"
#include "post/reading.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <utility>

namespace qirtaz::board {
namespace tags {
namespace {

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

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool allDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "rgb" / "rrggbb": "#rgb" stands for "#rrggbb".
bool hexColour(QStringView digits, Rgb& rgb) {
    if (digits.size() != 3 && digits.size() != 6)
        return false;
    Rgb read = 0;
    for (QChar c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return false;
        read = digits.size() == 3 ? read << 8 | Rgb(digit * 0x11) : read << 4 | Rgb(digit);
    }
    rgb = 0xff000000 | read;
    return true;
}

bool namedColour(QStringView value, Rgb& rgb) {
    // "transparent" is not in the list: it would hide the words.
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

// "rgb(r,g,b)", each 0 to 255, blanks allowed after the commas.
bool rgbColour(QStringView value, Rgb& rgb) {
    if (!value.startsWith(u"rgb(", Qt::CaseInsensitive) || !value.endsWith(u')'))
        return false;
    const QStringView inside = value.sliced(4, value.size() - 5);
    Rgb read = 0;
    int parts = 0;
    for (QStringView part : inside.tokenize(u',')) {
        part = part.trimmed();
        if (++parts > 3 || !allDigits(part) || part.size() > 3 || part.toInt() > 255)
            return false;
        read = read << 8 | Rgb(part.toInt());
    }
    if (parts != 3)
        return false;
    rgb = 0xff000000 | read;
    return true;
}

// The colours the board takes (see Colours). A word the board takes but no
// browser draws gives 0: taken, in the usual colour.
bool colourOf(QStringView value, const Colours& rules, Rgb& rgb) {
    if (value.isEmpty() || value.size() > 24)
        return false;
    if (value.front() == u'#')
        return hexColour(value.sliced(1), rgb);
    if (namedColour(value, rgb))
        return true;
    if (rules.anyWord && std::all_of(value.begin(), value.end(), isAsciiLetter)) {
        rgb = 0;
        return true;
    }
    return (rules.bareHex && hexColour(value, rgb)) || (rules.rgb && rgbColour(value, rgb));
}

// The usual size of a board's text, against which points and pixels count.
constexpr int UsualPoints = 10;
constexpr int UsualPixels = 13;

unsigned short scaleOf(int n, SizeUnit unit) {
    switch (unit) {
    case SizeUnit::Percent:
        return static_cast<unsigned short>(n * 10);
    case SizeUnit::Points:
        return static_cast<unsigned short>(n * 1000 / UsualPoints);
    case SizeUnit::Pixels:
        return static_cast<unsigned short>(n * 1000 / UsualPixels);
    case SizeUnit::None:
        break;
    }
    return 0;
}

// CSS's sizes by name, against "medium".
struct CssSize {
    QLatin1StringView name;
    unsigned short scale;
};
constexpr CssSize cssSizes[] = {
    {QLatin1StringView("xx-small"), 600},  {QLatin1StringView("x-small"), 750},
    {QLatin1StringView("small"), 889},     {QLatin1StringView("medium"), 1000},
    {QLatin1StringView("large"), 1200},    {QLatin1StringView("x-large"), 1500},
    {QLatin1StringView("xx-large"), 2000},
};

bool sizeOf(QStringView value, const Sizes& rules, Token& token) {
    if (rules.steps && value.size() == 1 && value[0] >= u'1' && value[0] <= u'7') {
        token.size = static_cast<unsigned char>(value[0].unicode() - u'0');
        return true;
    }
    if (rules.unit != SizeUnit::None && allDigits(value) && value.size() <= 6) {
        int n = value.toInt();
        if (rules.clamped)
            n = std::clamp<int>(n, rules.least, rules.most);
        else if (n < rules.least || n > rules.most)
            return false;
        token.scale = scaleOf(n, rules.unit);
        return token.scale > 0;
    }
    if (rules.suffixed && value.size() >= 3 && value.size() <= 4 && allDigits(value.chopped(2))) {
        const int n = value.chopped(2).toInt();
        const QStringView unit = value.last(2);
        if (n < 1)
            return false;
        if (unit.compare(u"pt", Qt::CaseInsensitive) == 0)
            token.scale = scaleOf(n, SizeUnit::Points);
        else if (unit.compare(u"px", Qt::CaseInsensitive) == 0)
            token.scale = scaleOf(n, SizeUnit::Pixels);
        return token.scale > 0;
    }
    if (rules.cssNames)
        for (const CssSize& size : cssSizes)
            if (value.compare(size.name, Qt::CaseInsensitive) == 0) {
                token.scale = size.scale;
                return true;
            }
    return false;
}

bool alignOf(QStringView value, Align& align) {
    constexpr std::pair<QLatin1StringView, Align> aligns[] = {
        {QLatin1StringView("left"), Align::Left},
        {QLatin1StringView("center"), Align::Centre},
        {QLatin1StringView("right"), Align::Right},
        {QLatin1StringView("justify"), Align::Justify},
    };
    for (const auto& [word, to] : aligns)
        if (value.compare(word, Qt::CaseInsensitive) == 0) {
            align = to;
            return true;
        }
    return false;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Where " word=" starts in text after from, or text's size.
qsizetype nextAttribute(QStringView text, qsizetype from) {
    for (qsizetype i = from; i < text.size(); ++i) {
        if (!isBlank(text[i]))
            continue;
        qsizetype j = i + 1;
        while (j < text.size() && (isAsciiLetter(text[j]) || text[j] == u'_'))
            ++j;
        if (j > i + 1 && j < text.size() && text[j] == u'=')
            return i;
    }
    return text.size();
}

// Whom a quotation quotes, within the tag's value (see Quotes); afterBlank:
// the value is the tag's attributes, "author=name link=…".
Span quoteName(QStringView post, Span value, bool afterBlank, const Quotes& rules) {
    const QStringView text = post.sliced(value.start, value.length);
    qsizetype from = 0;
    qsizetype to = text.size();
    if (afterBlank) {
        qsizetype at = -1;
        for (qsizetype i = 0; i + 7 <= text.size(); ++i)
            if ((i == 0 || isBlank(text[i - 1])) &&
                text.sliced(i, 7).compare(u"author=", Qt::CaseInsensitive) == 0) {
                at = i;
                break;
            }
        if (at < 0)
            return {};
        from = at + 7;
    }
    bool quoted = false;
    if ((rules.unquoted || afterBlank) && from < to &&
        (text[from] == u'"' || text[from] == u'\'')) {
        const qsizetype close = text.indexOf(text[from], from + 1);
        if (close > from) {
            ++from;
            to = close;
            quoted = true;
        }
    }
    if (!quoted && (rules.attributes || afterBlank))
        to = std::min(to, nextAttribute(text, from));
    if (!rules.nameEnd.isNull()) {
        const qsizetype end = text.indexOf(rules.nameEnd, from);
        if (end >= 0 && end < to)
            to = end;
    }
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return {value.start + from, to - from};
}

// What the tag between "[" and "]" at start is; fills type, name and values.
void classify(QStringView post, Token& token, const Profile& profile) {
    const QStringView inner = post.sliced(token.start + 1, token.length - 2);
    token.type = Token::Type::Unknown;
    if (inner.startsWith(u'/')) {
        const TagRule* rule = ruleOf(profile, inner.sliced(1));
        if (rule) {
            token.type = Token::Type::Close;
            token.name = rule->name;
        }
        return;
    }
    // "[url/]": the slash after the word, as some boards close a link.
    if (profile.slashAfterLinkClose && inner.compare(u"url/", Qt::CaseInsensitive) == 0) {
        token.type = Token::Type::Close;
        token.name = Name::Link;
        return;
    }
    qsizetype wordEnd = 0;
    while (wordEnd < inner.size() && inner[wordEnd] != u'=' && !isBlank(inner[wordEnd]))
        ++wordEnd;
    const TagRule* rule = ruleOf(profile, inner.first(wordEnd));
    if (!rule)
        return;
    const bool hasValue = wordEnd < inner.size();
    const bool afterBlank = hasValue && inner[wordEnd] != u'=';
    const Span value =
        hasValue ? Span{token.start + 1 + wordEnd + 1, inner.size() - wordEnd - 1} : Span{};
    const QStringView text = hasValue ? post.sliced(value.start, value.length) : QStringView();
    switch (rule->value) {
    case Value::None:
        if (hasValue)
            return;
        break;
    case Value::Optional:
    case Value::Required:
        if (afterBlank || (rule->value == Value::Required && !hasValue))
            return;
        break;
    case Value::Attributes:
        break;
    }
    token.needsClose = rule->needsClose;
    Name name = rule->name;
    switch (name) {
    case Name::Colour:
        if (!colourOf(text, profile.colours, token.colour))
            return;
        break;
    case Name::Size:
        if (!sizeOf(text, profile.sizes, token))
            return;
        break;
    case Name::Align:
        if (!alignOf(text, token.align))
            return;
        break;
    case Name::Left:
        token.align = Align::Left;
        break;
    case Name::Right:
        token.align = Align::Right;
        break;
    case Name::Justify:
        token.align = Align::Justify;
        break;
    case Name::Centre:
        token.align = Align::Centre;
        break;
    case Name::List:
        if (hasValue) {
            if (text.size() != 1 || !QStringView(u"1aAiI").contains(text[0]))
                return;
            token.listStyle = text[0].unicode();
        }
        break;
    case Name::Link:
        if (hasValue)
            token.value = value;
        else
            name = Name::BareLink;
        break;
    case Name::Flash:
        token.value = value;
        break;
    case Name::Quote:
        if (hasValue)
            token.value = quoteName(post, value, afterBlank, profile.quotes);
        break;
    case Name::Spoiler:
        if (hasValue)
            token.value = quoteName(post, value, false, Quotes{.unquoted = true});
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

bool isBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator;
}

// The smiley codes of a board, found the way it finds them: the longest code
// that starts here.
class Smileys {
public:
    explicit Smileys(const Profile& profile)
        : profile_(profile) {
        for (const SmileyCode& code : profile.smileys) {
            const QChar c = code.code.front();
            if (c.unicode() < first_.size()) {
                first_[c.unicode()] = true;
                if (profile.smileysAnyCase) {
                    first_[c.toLower().unicode() & 0x7f] = true;
                    first_[c.toUpper().unicode() & 0x7f] = true;
                }
            }
        }
    }

    bool mayStart(QChar c) const { return c.unicode() < first_.size() && first_[c.unicode()]; }

    qsizetype at(QStringView post, qsizetype i, Smiley& smiley) const {
        const QStringView rest = post.sliced(i);
        qsizetype length = 0;
        const Qt::CaseSensitivity cs =
            profile_.smileysAnyCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (const SmileyCode& code : profile_.smileys)
            if (code.code.size() > length && rest.startsWith(code.code, cs)) {
                length = code.code.size();
                smiley = code.smiley;
            }
        if (length == 0 || !profile_.smileysApart)
            return length;
        const bool before = i == 0 || isBreak(post[i - 1]) || post[i - 1] == u' ' ||
                            post[i - 1] == u'.' || post[i - 1] == u']';
        const bool after =
            length == rest.size() || !(rest[length].isLetterOrNumber() || rest[length] == u'_');
        return before && after ? length : 0;
    }

private:
    const Profile& profile_;
    std::array<bool, 128> first_{};
};

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

bool addressTaken(QStringView address, bool link, const Profile& profile) {
    const Addresses& rules = link ? profile.links : profile.media;
    if (address.isEmpty())
        return false;
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
    // A scheme is a letter, then letters, digits, "+", "-" or ".", up to ":".
    qsizetype colon = 0;
    while (colon < n && (isAsciiLetter(address[colon]) ||
                         (colon > 0 && (address[colon].isDigit() || address[colon] == u'+' ||
                                        address[colon] == u'-' || address[colon] == u'.'))))
        ++colon;
    if (colon == 0 || colon == n || address[colon] != u':')
        return rules.schemeless;
    const QStringView scheme = address.first(colon);
    const QStringView rest = address.sliced(colon + 1);
    const auto among = [scheme](std::span<const QLatin1StringView> schemes) {
        return std::any_of(schemes.begin(), schemes.end(), [scheme](QLatin1StringView name) {
            return scheme.compare(name, Qt::CaseInsensitive) == 0;
        });
    };
    if (rules.taken.empty() ? among(rules.refused) : !among(rules.taken))
        return false;
    const auto is = [scheme](QStringView name) {
        return scheme.compare(name, Qt::CaseInsensitive) == 0;
    };
    if (is(u"http") || is(u"https") || is(u"ftp"))
        // Something must follow "//": "http://" alone, as the dialogs offer it, names nothing.
        return rest.startsWith(u"//") && rest.size() >= 3 && rest[2] != u'/';
    return !rest.isEmpty();
}

std::vector<Token> tokenize(QStringView post, const Profile& profile) {
    const qsizetype n = post.size();
    const Smileys smileys(profile);
    const TagRule* item = ruleOf(profile, u"*");
    // Room for every token at once: growing a vector of a mebibyte's tokens
    // step by step costs more than reading the post.
    qsizetype most = 0;
    for (QChar c : post)
        most += c == u'[' || smileys.mayStart(c) || isBreak(c);
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
            const QStringView rest = post.sliced(i);
            if (item && (rest.startsWith(u"[*]") || (item->closes && rest.startsWith(u"[/*]")))) {
                token.length = rest[1] == u'*' ? 3 : 4;
                token.type = rest[1] == u'*' ? Token::Type::Open : Token::Type::Close;
                token.name = Name::ListItem;
            } else {
                token.length = reading::tagAt(rest);
                if (token.length > 0 && post.sliced(i, token.length).contains(u'\r'))
                    token.length = 0;
                if (token.length > 0)
                    classify(post, token, profile);
            }
        } else if (smileys.mayStart(c)) {
            token.length = smileys.at(post, i, token.smiley);
            token.type = Token::Type::Smiley;
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

void pair(std::vector<Token>& tokens, const Profile& profile) {
    using Type = Token::Type;
    const bool closesAtEnd = profile.unclosed == Unclosed::ClosedAtEnd;
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
    // A tag left open: shown as typed, or on a board that closes it, taken and told.
    const auto leftOpen = [&](int k) {
        if (closesAtEnd && !tokens[k].needsClose) {
            tokens[k].autoClosed = true;
            tokens[k].problem = Problem::Unclosed;
            return false;
        }
        leave(k, Problem::Unclosed);
        return true;
    };
    const auto nextCloseOf = [&](Name name, int k) {
        const std::vector<int>& candidates = closes[int(name)];
        std::size_t& c = nextClose[int(name)];
        while (c < candidates.size() && candidates[c] <= k)
            ++c;
        return c < candidates.size() ? candidates[c] : count;
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
            if (token.name == Name::ListItem) {
                if (openByName[int(Name::List)].empty())
                    leave(k, Problem::Unknown);
                else
                    token.partner = openByName[int(Name::List)].back();
            } else if (token.name == Name::Code) {
                // Its content as it stands, up to its closing tag on any line.
                const int end = nextCloseOf(Name::Code, k);
                if (end == count && leftOpen(k))
                    break;
                for (int inside = k + 1; inside < end; ++inside)
                    tokens[inside].inside = tokens[inside].type != Type::Break;
                openByName[int(token.name)].push_back(k);
                open.push_back(k);
                k = end - 1; // the closing tag is read next, as any other
            } else if (takesContentAsIs(token.name)) {
                const Name closeName = token.name == Name::BareLink ? Name::Link : token.name;
                const int close = nextCloseOf(closeName, k);
                while (nextBreak < breaks.size() && breaks[nextBreak] <= k)
                    ++nextBreak;
                const bool found =
                    close < count && (nextBreak == breaks.size() || close < breaks[nextBreak]);
                if (!found) {
                    leave(k, Problem::Unclosed);
                    break;
                }
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
            if (token.name == Name::ListItem) {
                if (openByName[int(Name::List)].empty())
                    leave(k, Problem::Unopened);
                else
                    token.partner = openByName[int(Name::List)].back();
                break;
            }
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
                if (leftOpen(inner) && !closesAtEnd)
                    cutByName[int(tokens[inner].name)].push_back(inner);
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
        leftOpen(k);
    // An item of a list the board shows as typed is text as well.
    for (Token& token : tokens)
        if (token.name == Name::ListItem && token.partner >= 0 &&
            tokens[std::size_t(token.partner)].literal) {
            token.literal = true;
            token.problem = token.type == Type::Open ? Problem::Unknown : Problem::Unopened;
            token.partner = -1;
        }
}

void refuseAddresses(QStringView post, std::vector<Token>& tokens, const Profile& profile) {
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
        if (addressTaken(post.sliced(address.start, address.length), link, profile))
            continue;
        token.literal = close.literal = true;
        token.problem = close.problem = Problem::Address;
        token.value = address;
        close.counted = false;
    }
}

} // namespace tags

bool linkTaken(QStringView address) {
    return tags::addressTaken(address, true, defaultProfile());
}

bool mediaTaken(QStringView address) {
    return tags::addressTaken(address, false, defaultProfile());
}

} // namespace qirtaz::board
