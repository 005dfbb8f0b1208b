// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The boards the preview can follow, one table each, read from each engine's
// own parser or its help page of tags (named in each table's source). Where an
// engine leaves a choice to the board's administrator, the table follows the
// engine as it is installed.
#include "board/profile.h"

#include "post/markup.h"

namespace qirtaz::board {
namespace {

using tags::Name;
using L = QLatin1StringView;

constexpr L webSchemes[] = {L("http"), L("https"), L("ftp"), L("mailto")};
constexpr L pictureSchemes[] = {L("http"), L("https")};
constexpr L ftpToo[] = {L("http"), L("https"), L("ftp")};
constexpr L scriptSchemes[] = {L("javascript"), L("vbscript"), L("data")};
constexpr L vbulletinRefused[] = {L("about"), L("javascript"), L("vbscript"), L("data")};
constexpr L javascript[] = {L("javascript")};

// The program's own markup: the tags and codes its buttons and dialogs write.
constexpr TagRule defaultTags[] = {
    {L("b"), Name::Bold},
    {L("i"), Name::Italic},
    {L("u"), Name::Underline},
    {L("s"), Name::Strike},
    {L("center"), Name::Centre},
    {L("quote"), Name::Quote, Value::Optional},
    {L("color"), Name::Colour, Value::Required},
    {L("size"), Name::Size, Value::Required},
    {L("url"), Name::Link, Value::Optional},
    {L("img"), Name::Image},
    {L("web"), Name::Web},
    {L("flash"), Name::Flash, Value::Required},
    {L("sound"), Name::Sound},
    {L("ram"), Name::Video},
    {L("ram2"), Name::Audio},
};
constexpr SmileyCode defaultSmileys[] = {
    {markup::Mad, Smiley::Mad},           {markup::Wink, Smiley::Wink},
    {markup::Eek, Smiley::Eek},           {markup::Sad, Smiley::Sad},
    {markup::Tongue, Smiley::Tongue},     {markup::Grin, Smiley::Grin},
    {markup::Confused, Smiley::Confused},
};

// MyBB 1.8, inc/class_parser.php (cache_mycode, parse_mycode,
// mycode_parse_quotes, parse_smilies) and the smilies of install/resources/
// mysql_db_inserts.php. Every MyCode is one regular expression over the whole
// message, so a tag without its partner is left as typed.
constexpr TagRule mybbTags[] = {
    {L("b"), Name::Bold},
    {L("i"), Name::Italic},
    {L("u"), Name::Underline},
    {L("s"), Name::Strike},
    {L("color"), Name::Colour, Value::Required},
    {L("size"), Name::Size, Value::Required},
    {L("font"), Name::Font, Value::Required},
    {L("align"), Name::Align, Value::Required},
    {L("quote"), Name::Quote, Value::Optional},
    {L("code"), Name::Code},
    {L("php"), Name::Code},
    {L("list"), Name::List, Value::Optional},
    {L("*"), Name::ListItem, Value::None, false, false},
    {L("url"), Name::Link, Value::Optional},
    {L("email"), Name::Font, Value::Optional},
    {L("img"), Name::Image},
};
constexpr SmileyCode mybbSmileys[] = {
    {u":)", Smiley::Smile},       {u";)", Smiley::Wink},       {u":cool:", Smiley::Other},
    {u":D", Smiley::Grin},        {u":P", Smiley::Tongue},     {u":rolleyes:", Smiley::Other},
    {u":shy:", Smiley::Other},    {u":(", Smiley::Sad},        {u":at:", Smiley::Other},
    {u":angel:", Smiley::Other},  {u":@", Smiley::Mad},        {u":blush:", Smiley::Other},
    {u":s", Smiley::Confused},    {u":dodgy:", Smiley::Other}, {u":exclamation:", Smiley::Other},
    {u":heart:", Smiley::Other},  {u":huh:", Smiley::Other},   {u":idea:", Smiley::Other},
    {u":sleepy:", Smiley::Other}, {u":-/", Smiley::Other},     {u":cry:", Smiley::Other},
    {u":sick:", Smiley::Other},   {u":arrow:", Smiley::Other}, {u":my:", Smiley::Other},
};

// SMF 2.1, Sources/Subs.php (parse_bbc: its codes, their tests and
// validations, and the tags it closes itself at the end of the message) and
// the default smiley set.
constexpr TagRule smfTags[] = {
    {L("b"), Name::Bold},
    {L("i"), Name::Italic},
    {L("u"), Name::Underline},
    {L("s"), Name::Strike},
    {L("color"), Name::Colour, Value::Required},
    {L("size"), Name::Size, Value::Required},
    {L("font"), Name::Font, Value::Required},
    {L("center"), Name::Centre},
    {L("left"), Name::Left},
    {L("right"), Name::Right},
    {L("quote"), Name::Quote, Value::Attributes},
    {L("code"), Name::Code},
    {L("list"), Name::List},
    {L("*"), Name::ListItem, Value::None, false, false},
    {L("url"), Name::Link, Value::Optional, true},
    {L("iurl"), Name::Link, Value::Optional, true},
    {L("email"), Name::Font, Value::Optional},
    {L("sub"), Name::Font},
    {L("sup"), Name::Font},
    {L("tt"), Name::Font},
    {L("img"), Name::Image},
};
constexpr SmileyCode smfSmileys[] = {
    {u":)", Smiley::Smile},  {u";)", Smiley::Wink},    {u":D", Smiley::Grin},
    {u";D", Smiley::Other},  {u">:(", Smiley::Mad},    {u":(", Smiley::Sad},
    {u":o", Smiley::Eek},    {u"8)", Smiley::Other},   {u"???", Smiley::Confused},
    {u"::)", Smiley::Other}, {u":P", Smiley::Tongue},  {u":-[", Smiley::Other},
    {u":-X", Smiley::Other}, {u":-\\", Smiley::Other}, {u":-*", Smiley::Other},
    {u":'(", Smiley::Other}, {u">:D", Smiley::Other},  {u"^-^", Smiley::Other},
    {u"O0", Smiley::Other},  {u"C:-)", Smiley::Other}, {u"O:-)", Smiley::Other},
};

// phpBB 3.3, phpbb/textformatter/s9e/factory.php (its default BBCodes,
// allowed_schemes_links, the font size filter against max_font_size 200, and
// where smileys count) over s9e TextFormatter, which closes a tag left open;
// [url] looks ahead for its end ($forceLookahead) and is text without it. The
// smileys are those of install/schemas/schema_data.sql.
constexpr TagRule phpbbTags[] = {
    {L("b"), Name::Bold},
    {L("i"), Name::Italic},
    {L("u"), Name::Underline},
    {L("color"), Name::Colour, Value::Required},
    {L("size"), Name::Size, Value::Required},
    {L("quote"), Name::Quote, Value::Attributes},
    {L("code"), Name::Code, Value::Attributes},
    {L("list"), Name::List, Value::Optional},
    {L("*"), Name::ListItem},
    {L("url"), Name::Link, Value::Optional, true},
    {L("email"), Name::Font, Value::Attributes},
    {L("img"), Name::Image},
};
constexpr SmileyCode phpbbSmileys[] = {
    {u":D", Smiley::Grin},         {u":-D", Smiley::Grin},        {u":grin:", Smiley::Grin},
    {u":)", Smiley::Smile},        {u":-)", Smiley::Smile},       {u":smile:", Smiley::Smile},
    {u";)", Smiley::Wink},         {u";-)", Smiley::Wink},        {u":wink:", Smiley::Wink},
    {u":(", Smiley::Sad},          {u":-(", Smiley::Sad},         {u":sad:", Smiley::Sad},
    {u":o", Smiley::Eek},          {u":-o", Smiley::Eek},         {u":eek:", Smiley::Eek},
    {u":shock:", Smiley::Eek},     {u":?", Smiley::Confused},     {u":-?", Smiley::Confused},
    {u":???:", Smiley::Confused},  {u"8-)", Smiley::Other},       {u":cool:", Smiley::Other},
    {u":lol:", Smiley::Other},     {u":x", Smiley::Mad},          {u":-x", Smiley::Mad},
    {u":mad:", Smiley::Mad},       {u":P", Smiley::Tongue},       {u":-P", Smiley::Tongue},
    {u":razz:", Smiley::Tongue},   {u":oops:", Smiley::Other},    {u":cry:", Smiley::Other},
    {u":evil:", Smiley::Other},    {u":twisted:", Smiley::Other}, {u":roll:", Smiley::Other},
    {u":!:", Smiley::Other},       {u":?:", Smiley::Other},       {u":idea:", Smiley::Other},
    {u":arrow:", Smiley::Other},   {u":|", Smiley::Other},        {u":-|", Smiley::Other},
    {u":mrgreen:", Smiley::Other}, {u":geek:", Smiley::Other},    {u":ugeek:", Smiley::Other},
};

// vBulletin 5, its help page of BB codes (help#bbcode_reference) and
// includes/class_bbcode.php (handle_bbcode_url: an address without one of the
// schemes it trusts gets "http://"; a tag without its partner stays text),
// with the default smilies.
constexpr TagRule vbulletinTags[] = {
    {L("b"), Name::Bold},
    {L("i"), Name::Italic},
    {L("u"), Name::Underline},
    {L("color"), Name::Colour, Value::Required},
    {L("size"), Name::Size, Value::Required},
    {L("font"), Name::Font, Value::Required},
    {L("left"), Name::Left},
    {L("center"), Name::Centre},
    {L("right"), Name::Right},
    {L("quote"), Name::Quote, Value::Optional},
    {L("code"), Name::Code},
    {L("php"), Name::Code},
    {L("html"), Name::Code},
    {L("list"), Name::List, Value::Optional},
    {L("*"), Name::ListItem, Value::None, false, false},
    {L("url"), Name::Link, Value::Optional},
    {L("email"), Name::Font, Value::Optional},
    {L("indent"), Name::Font, Value::Optional},
    {L("highlight"), Name::Font},
    {L("img"), Name::Image},
};
constexpr SmileyCode vbulletinSmileys[] = {
    {u":)", Smiley::Smile},
    {u":(", Smiley::Sad},
    {u";)", Smiley::Wink},
    {u":D", Smiley::Grin},
    {u":o", Smiley::Eek},
    {u":p", Smiley::Tongue},
    {u":cool:", Smiley::Other},
    {u":rolleyes:", Smiley::Other},
    {u":mad:", Smiley::Mad},
    {u":eek:", Smiley::Eek},
    {u":confused:", Smiley::Confused},
};

// XenForo 2, its help page of BB codes (help/bb-codes) and the default
// smilies; its parser closes a tag left open at the end of the message.
constexpr TagRule xenforoTags[] = {
    {L("b"), Name::Bold},
    {L("i"), Name::Italic},
    {L("u"), Name::Underline},
    {L("s"), Name::Strike},
    {L("color"), Name::Colour, Value::Required},
    {L("size"), Name::Size, Value::Required},
    {L("font"), Name::Font, Value::Required},
    {L("left"), Name::Left},
    {L("center"), Name::Centre},
    {L("right"), Name::Right},
    {L("justify"), Name::Justify},
    {L("quote"), Name::Quote, Value::Optional},
    {L("spoiler"), Name::Spoiler, Value::Optional},
    {L("code"), Name::Code, Value::Optional},
    {L("list"), Name::List, Value::Optional},
    {L("*"), Name::ListItem, Value::None, false, false},
    {L("url"), Name::Link, Value::Optional, true},
    {L("email"), Name::Font, Value::Optional},
    {L("icode"), Name::Font},
    {L("indent"), Name::Font, Value::Optional},
    {L("heading"), Name::Font, Value::Required},
    {L("user"), Name::Font, Value::Required},
    {L("img"), Name::Image},
};
constexpr SmileyCode xenforoSmileys[] = {
    {u":)", Smiley::Smile},
    {u";)", Smiley::Wink},
    {u":(", Smiley::Sad},
    {u":mad:", Smiley::Mad},
    {u":confused:", Smiley::Confused},
    {u":cool:", Smiley::Other},
    {u":p", Smiley::Tongue},
    {u":D", Smiley::Grin},
    {u":eek:", Smiley::Eek},
    {u":oops:", Smiley::Other},
    {u":rolleyes:", Smiley::Other},
    {u"o_O", Smiley::Other},
    {u":cautious:", Smiley::Other},
    {u":censored:", Smiley::Other},
    {u":cry:", Smiley::Other},
    {u":love:", Smiley::Other},
    {u":LOL:", Smiley::Other},
    {u":ROFLMAO:", Smiley::Other},
    {u":sick:", Smiley::Other},
    {u":sleep:", Smiley::Other},
    {u":sneaky:", Smiley::Other},
    {u"(y)", Smiley::Other},
    {u"(n)", Smiley::Other},
    {u":unsure:", Smiley::Other},
    {u":whistle:", Smiley::Other},
    {u":coffee:", Smiley::Other},
    {u":giggle:", Smiley::Other},
    {u":alien:", Smiley::Other},
    {u":devilish:", Smiley::Other},
    {u":geek:", Smiley::Other},
    {u":poop:", Smiley::Other},
};

constexpr Profile boards[] = {
    {
        .key = L("default"),
        .name = u"الافتراضي",
        .source = "the program's own markup catalogue (post/markup.h)",
        .tags = defaultTags,
        .sizes = {.steps = true},
        .colours = {},
        .links = {.taken = webSchemes},
        .media = {.taken = pictureSchemes},
        .quotes = {},
        .slashAfterLinkClose = true,
        .unclosed = Unclosed::ShownAsTyped,
        .smileys = defaultSmileys,
        .linkClose = markup::LinkClose,
    },
    {
        .key = L("mybb"),
        .name = u"MyBB 1.8",
        .source = "MyBB inc/class_parser.php",
        .tags = mybbTags,
        .sizes =
            {.unit = SizeUnit::Points, .least = 1, .most = 50, .clamped = true, .cssNames = true},
        .colours = {.anyWord = true, .bareHex = true},
        .links = {.refused = javascript, .schemeless = true},
        .media = {.taken = pictureSchemes},
        .quotes = {.unquoted = true, .attributes = true},
        .unclosed = Unclosed::ShownAsTyped,
        .smileys = mybbSmileys,
        .smileysAnyCase = true,
        .linkClose = markup::LinkEnd,
    },
    {
        .key = L("smf"),
        .name = u"SMF 2.1",
        .source = "SMF Sources/Subs.php (parse_bbc)",
        .tags = smfTags,
        .sizes = {.steps = true, .suffixed = true, .cssNames = true},
        .colours = {.anyWord = true, .rgb = true},
        .links = {.refused = scriptSchemes, .schemeless = true},
        .media = {.taken = pictureSchemes, .schemeless = true},
        .quotes = {.unquoted = true, .attributes = true},
        .unclosed = Unclosed::ClosedAtEnd,
        .smileys = smfSmileys,
        .linkClose = markup::LinkEnd,
    },
    {
        .key = L("phpbb"),
        .name = u"phpBB 3.3",
        .source = "phpBB phpbb/textformatter/s9e/factory.php",
        .tags = phpbbTags,
        .sizes = {.unit = SizeUnit::Percent, .least = 1, .most = 200},
        .colours = {.anyWord = true, .rgb = true},
        .links = {.taken = ftpToo},
        .media = {.taken = ftpToo},
        .quotes = {.unquoted = true, .attributes = true},
        .unclosed = Unclosed::ClosedAtEnd,
        .smileys = phpbbSmileys,
        .smileysApart = true,
        .linkClose = markup::LinkEnd,
    },
    {
        .key = L("vbulletin"),
        .name = u"vBulletin 5",
        .source = "vBulletin help#bbcode_reference, includes/class_bbcode.php",
        .tags = vbulletinTags,
        .sizes = {.steps = true},
        .colours = {.anyWord = true},
        .links = {.refused = vbulletinRefused, .schemeless = true},
        .media = {.taken = pictureSchemes},
        .quotes = {.nameEnd = QChar(u';')},
        .unclosed = Unclosed::ShownAsTyped,
        .smileys = vbulletinSmileys,
        .linkClose = markup::LinkEnd,
    },
    {
        .key = L("xenforo"),
        .name = u"XenForo 2",
        .source = "XenForo help/bb-codes",
        .tags = xenforoTags,
        .sizes = {.steps = true},
        .colours = {.anyWord = true, .rgb = true},
        .links = {.taken = webSchemes, .schemeless = true},
        .media = {.taken = pictureSchemes},
        .quotes = {.unquoted = true, .nameEnd = QChar(u',')},
        .unclosed = Unclosed::ClosedAtEnd,
        .smileys = xenforoSmileys,
        .linkClose = markup::LinkEnd,
    },
};

} // namespace

std::span<const Profile> profiles() {
    return boards;
}

const Profile& defaultProfile() {
    return boards[0];
}

const TagRule* ruleOf(const Profile& profile, QStringView word) {
    for (const TagRule& rule : profile.tags)
        if (word.compare(rule.word, Qt::CaseInsensitive) == 0)
            return &rule;
    return nullptr;
}

} // namespace qirtaz::board
