// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "post/html_paste.h"

#include "post/post.h"

#include "post/markup.h"

#include <QColor>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

// The lines a page becomes follow what the paste gave while Qt's rich-text
// reader read the page: a block begins a line unless the line it would end
// holds nothing yet, so that empty paragraphs and nested blocks collapse; a
// line break after a closed block is a line of its own; an empty paragraph
// before a table stays an empty line, as does the one after a table that a
// paragraph follows; a list item inside a list begins with "• ", and the
// paragraphs of one table cell are joined by a blank. Blanks collapse to one
// and are dropped at the start of a line, kept at its end.

namespace qirtaz::paste {
namespace {

// Outermost first: a link holds its colour and size, and they hold the rest.
enum class Kind { Link, Colour, Size, Bold, Italic, Underline, Strike };

struct Tag {
    Kind kind;
    QString opening;
    QStringView closing;
    bool operator==(const Tag& other) const {
        return kind == other.kind && opening == other.opening;
    }
};

constexpr QStringView catalogueColours[] = {markup::Red, markup::Green, markup::Blue,
                                            markup::Purple, markup::Orange};

// An address inside a tag must not end the tag early; escaped, it is the same address.
QString address(QString text) {
    text.replace(u'[', QLatin1StringView("%5B"));
    text.replace(u']', QLatin1StringView("%5D"));
    return text;
}

QString colourOpening(QRgb colour) {
    for (QStringView opening : catalogueColours) {
        const QStringView name = opening.sliced(7, opening.size() - 8); // "[color=" … "]"
        if (QColor::fromString(name).rgb() == colour)
            return opening.toString();
    }
    return QStringLiteral("[color=") + QColor(colour).name(QColor::HexRgb) + u']';
}

// What a run of text looks like, as its elements and their styles give it.
struct Look {
    QString link;
    std::optional<QRgb> colour;
    double points = 0; // a size in points or pixels, where one is given
    int pixels = 0;
    int adjustment = 0; // <h1> … <h6>, <big>, <small>, <font size>: steps above the usual
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
};

// The board's sizes above its usual one. Body text is set at about 12 points by
// word processors and at 16 pixels (12 points) by browsers.
int boardSize(const Look& look) {
    constexpr double BodyPoints = 12;
    double factor = 1;
    if (look.points > 0)
        factor = look.points / BodyPoints;
    else if (look.pixels > 0)
        factor = look.pixels * 0.75 / BodyPoints;
    if (look.adjustment >= 2 || factor >= 1.4)
        return 5;
    if (look.adjustment == 1 || factor >= 1.15)
        return 4;
    return 0;
}

std::vector<Tag> tagsOf(const Look& look) {
    std::vector<Tag> tags;
    const bool link = !look.link.isEmpty();
    if (link)
        tags.push_back(
            {Kind::Link, QStringLiteral("[url=") + address(look.link) + u']', markup::LinkEnd});
    // Black is the board's own colour for words, which documents spell out on every line.
    if (look.colour && qAlpha(*look.colour) > 0 && qRgb(0, 0, 0) != (*look.colour | 0xff000000))
        tags.push_back(
            {Kind::Colour, colourOpening(*look.colour | 0xff000000u), markup::ColourClose});
    if (const int size = boardSize(look))
        tags.push_back({Kind::Size, QStringLiteral("[size=%1]").arg(size), markup::SizeClose});
    if (look.bold)
        tags.push_back({Kind::Bold, markup::BoldOpen.toString(), markup::BoldClose});
    if (look.italic)
        tags.push_back({Kind::Italic, markup::ItalicOpen.toString(), markup::ItalicClose});
    // A link is underlined anyway.
    if (look.underline && !link)
        tags.push_back({Kind::Underline, markup::UnderlineOpen.toString(), markup::UnderlineClose});
    if (look.strike)
        tags.push_back({Kind::Strike, markup::StrikeOpen.toString(), markup::StrikeClose});
    return tags;
}

// Writes one line's runs of text, opening a tag only when a word needs it and
// closing it only when a word no longer has it, so that a bold sentence of
// many runs is one "[b]" … "[/b]" and no tag is ever left around nothing.
class Line {
public:
    explicit Line(QString& out)
        : out_(out) {}
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;
    ~Line() {
        flush();
        closeTo(0);
    }

    // Runs of the same tags are one run, as a document keeps them: a break
    // opens the tags of the words after it on its own line.
    void add(QStringView text, const std::vector<Tag>& tags) {
        if (tags != pendingTags_)
            flush();
        pending_ += text;
        pendingTags_ = tags;
    }
    // A picture is a run of its own.
    void addPicture(QStringView tag, const std::vector<Tag>& tags) {
        flush();
        write(tag, tags);
    }
    void flush() {
        if (pending_.isEmpty())
            return;
        write(pending_, pendingTags_);
        pending_.clear();
    }

private:
    void write(QStringView text, const std::vector<Tag>& tags) {
        qsizetype keep = 0;
        while (keep < qsizetype(open_.size()) &&
               std::find(tags.begin(), tags.end(), open_[std::size_t(keep)]) != tags.end())
            ++keep;
        closeTo(keep);
        // Blanks alone open nothing: a tag around a blank shows nothing.
        const bool blank =
            std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
        if (!blank)
            for (const Tag& tag : tags)
                if (std::find(open_.begin(), open_.end(), tag) == open_.end()) {
                    out_ += tag.opening;
                    open_.push_back(tag);
                }
        for (QChar c : text) {
            if (c == QChar::LineSeparator)
                out_ += u'\n';
            else if (c == QChar::Nbsp)
                out_ += u' ';
            else
                out_ += c;
        }
    }

    void closeTo(qsizetype depth) {
        while (qsizetype(open_.size()) > depth) {
            out_ += open_.back().closing;
            open_.pop_back();
        }
    }

    QString& out_;
    std::vector<Tag> open_;
    QString pending_;
    std::vector<Tag> pendingTags_;
};

// Where a line stands: in how many quotations, centred or not, a list item or
// not, and in which cell of which row of which table.
struct Place {
    int quotes = 0;
    bool centred = false;
    bool listItem = false;
    const xmlNode* table = nullptr;
    std::size_t tableStep = 0; // where the table is on the walk's way down
    const xmlNode* row = nullptr;
    int column = -1;
};

// The lines, written as the walk through the page meets blocks, text and breaks.
class Lines {
public:
    // A paragraph, heading, list item, quotation or division begins.
    void block(const Place& place) {
        if (open_ && empty_)
            place_ = place;
        else
            begin(place);
        closed_ = false;
        collapse_ = true;
    }
    // A cell always has a line of its own, and an empty line before its table stays.
    void cell(const Place& place) {
        begin(place);
        collapse_ = true;
        lastCellEmpty_.reset();
    }
    // An empty cell that a short row ends in.
    void padding(const Place& place) {
        if (!lastCellEmpty_)
            lastCellEmpty_ = empty_;
        begin(place);
        closed_ = true;
        collapse_ = true;
    }
    void blockEnded() { closed_ = true; }
    void cellEnded() {
        closed_ = true;
        collapse_ = true;
    }
    // After a table the words go on in a line of its own.
    void tableEnded(const Place& place) {
        const bool empty = lastCellEmpty_.value_or(empty_);
        lastCellEmpty_.reset();
        begin(place);
        if (!empty) {
            // Words after the last cell go on this line; a block after it leaves it empty.
            start(false);
            empty_ = false;
        }
        closed_ = false;
        collapse_ = true;
    }
    // A horizontal rule is an empty line.
    void rule(const Place& place) {
        block(place);
        start(false);
        empty_ = false;
        closed_ = true;
    }

    void text(QStringView text, const Look& look, const Place& place, bool preformatted) {
        QString kept;
        kept.reserve(text.size());
        std::optional<std::vector<Tag>> tags;
        const auto flush = [&] {
            if (kept.isEmpty())
                return;
            if (!tags)
                tags = tagsOf(look);
            content(place).add(kept, *tags);
            kept.clear();
        };
        for (QChar c : text) {
            if (preformatted) {
                if (c == u'\n') {
                    flush();
                    content(place);
                    Place next = place_;
                    next.listItem = false;
                    begin(next);
                } else if (c != u'\r') {
                    kept += c;
                }
                continue;
            }
            if (c.isSpace() && c != QChar::Nbsp && c != QChar::ParagraphSeparator) {
                // Blanks after a closed block lie between blocks.
                if (collapse_ || (closed_ && kept.isEmpty()))
                    continue;
                collapse_ = true;
                kept += u' ';
            } else {
                collapse_ = false;
                kept += c;
            }
        }
        flush();
        if (preformatted)
            collapse_ = false;
    }
    // A break keeps the look of the words around it but is no part of a link.
    void lineBreak(Look look, const Place& place) {
        look.link.clear();
        content(place).add(QString(QChar::LineSeparator), tagsOf(look));
        collapse_ = true;
    }
    void picture(const QString& tag, const Look& look, const Place& place) {
        content(place).addPicture(tag, tagsOf(look));
        collapse_ = false;
    }

    QString finish() {
        end();
        for (; quotes_ > 0; --quotes_)
            out_ += markup::QuoteClose;
        // The empty lines before and after what was copied.
        qsizetype from = 0;
        while (from < out_.size() && out_[from] == u'\n')
            ++from;
        qsizetype to = out_.size();
        while (to > from && out_[to - 1] == u'\n')
            --to;
        return out_.sliced(from, to - from);
    }

private:
    void begin(const Place& place) {
        end();
        place_ = place;
        open_ = true;
        empty_ = true;
        closed_ = false;
    }
    // The line that takes the next words: after a closed block, a new one
    // unless the current one is still empty.
    Line& content(const Place& place) {
        if (!open_ || (closed_ && !empty_))
            begin(place);
        else if (closed_)
            place_ = place;
        closed_ = false;
        if (empty_) {
            start(true);
            empty_ = false;
        }
        return *line_;
    }
    void start(bool withWords) {
        while (quotes_ > place_.quotes) {
            out_ += markup::QuoteClose;
            --quotes_;
        }
        if (!first_) {
            if (place_.table && place_.table == last_.table && place_.row == last_.row)
                out_ += place_.column == last_.column ? QStringView(u" ") : QStringView(u" | ");
            else
                out_ += u'\n';
        }
        first_ = false;
        for (; quotes_ < place_.quotes; ++quotes_)
            out_ += markup::QuoteOpen;
        centred_ = withWords && place_.centred;
        if (centred_)
            out_ += markup::CentreOpen;
        if (place_.listItem)
            out_ += QStringLiteral("• ");
        line_.emplace(out_);
    }
    void end() {
        if (!open_)
            return;
        if (empty_)
            start(false);
        line_.reset();
        if (centred_)
            out_ += markup::CentreClose;
        last_ = place_;
        open_ = false;
    }

    QString out_;
    std::optional<Line> line_;
    Place place_;
    Place last_;
    int quotes_ = 0;
    bool first_ = true;
    bool open_ = true; // the document's first line, as a table can follow it
    bool empty_ = true;
    bool closed_ = false;
    bool collapse_ = true;
    bool centred_ = false;
    std::optional<bool> lastCellEmpty_;
};

// --- what the elements say ------------------------------------------------------------

// The elements the paste reads something from; the reader names them in lower case.
enum class Element {
    Other,
    Head,
    Title,
    Script,
    Style,
    Noscript,
    Template,
    Meta,
    Link,
    P,
    Div,
    H1,
    H2,
    H3,
    H4,
    H5,
    H6,
    Blockquote,
    Li,
    Dl,
    Dt,
    Dd,
    Pre,
    Address,
    Center,
    Caption,
    B,
    Strong,
    Th,
    I,
    Em,
    Cite,
    Var,
    Dfn,
    U,
    Ins,
    S,
    Strike,
    Del,
    Big,
    Small,
    Font,
    A,
    Br,
    Img,
    Hr,
    Table,
    Tr,
    Td,
    Tbody,
    Thead,
    Tfoot,
    Ul,
    Ol,
};

Element elementOf(const xmlNode* node) {
    static const std::unordered_map<std::string_view, Element> names = {
        {"head", Element::Head},
        {"title", Element::Title},
        {"script", Element::Script},
        {"style", Element::Style},
        {"noscript", Element::Noscript},
        {"template", Element::Template},
        {"meta", Element::Meta},
        {"link", Element::Link},
        {"p", Element::P},
        {"div", Element::Div},
        {"h1", Element::H1},
        {"h2", Element::H2},
        {"h3", Element::H3},
        {"h4", Element::H4},
        {"h5", Element::H5},
        {"h6", Element::H6},
        {"blockquote", Element::Blockquote},
        {"li", Element::Li},
        {"dl", Element::Dl},
        {"dt", Element::Dt},
        {"dd", Element::Dd},
        {"pre", Element::Pre},
        {"address", Element::Address},
        {"center", Element::Center},
        {"caption", Element::Caption},
        {"b", Element::B},
        {"strong", Element::Strong},
        {"th", Element::Th},
        {"i", Element::I},
        {"em", Element::Em},
        {"cite", Element::Cite},
        {"var", Element::Var},
        {"dfn", Element::Dfn},
        {"u", Element::U},
        {"ins", Element::Ins},
        {"s", Element::S},
        {"strike", Element::Strike},
        {"del", Element::Del},
        {"big", Element::Big},
        {"small", Element::Small},
        {"font", Element::Font},
        {"a", Element::A},
        {"br", Element::Br},
        {"img", Element::Img},
        {"hr", Element::Hr},
        {"table", Element::Table},
        {"tr", Element::Tr},
        {"td", Element::Td},
        {"tbody", Element::Tbody},
        {"thead", Element::Thead},
        {"tfoot", Element::Tfoot},
        {"ul", Element::Ul},
        {"ol", Element::Ol}};
    if (node->type != XML_ELEMENT_NODE || !node->name)
        return Element::Other;
    const auto found = names.find(reinterpret_cast<const char*>(node->name));
    return found == names.end() ? Element::Other : found->second;
}

const char* valueOf(const xmlNode* node, const char* name) {
    for (const xmlAttr* attribute = node->properties; attribute; attribute = attribute->next)
        if (std::strcmp(reinterpret_cast<const char*>(attribute->name), name) == 0) {
            const xmlNode* text = attribute->children;
            return text && text->content ? reinterpret_cast<const char*>(text->content) : "";
        }
    return nullptr;
}

QString attribute(const xmlNode* node, const char* name) {
    const char* value = valueOf(node, name);
    return value ? QString::fromUtf8(value) : QString();
}

std::optional<QRgb> colourOf(QStringView text) {
    text = text.trimmed();
    if (text.startsWith(u"rgb", Qt::CaseInsensitive)) {
        const qsizetype open = text.indexOf(u'(');
        const qsizetype close = text.indexOf(u')');
        if (open < 0 || close < open)
            return std::nullopt;
        const auto parts = text.sliced(open + 1, close - open - 1).split(u',');
        if (parts.size() < 3)
            return std::nullopt;
        int channels[4] = {0, 0, 0, 255};
        for (qsizetype i = 0; i < std::min<qsizetype>(parts.size(), 4); ++i) {
            const QStringView part = parts[i].trimmed();
            bool ok = false;
            if (i == 3) {
                const double alpha = part.toDouble(&ok);
                channels[3] = ok ? std::clamp(qRound(alpha * 255), 0, 255) : 255;
            } else if (part.endsWith(u'%')) {
                channels[i] = std::clamp(qRound(part.chopped(1).toDouble(&ok) * 2.55), 0, 255);
            } else {
                channels[i] = std::clamp(part.toInt(&ok), 0, 255);
            }
            if (!ok)
                return std::nullopt;
        }
        return qRgba(channels[0], channels[1], channels[2], channels[3]);
    }
    const QColor colour = QColor::fromString(text);
    if (!colour.isValid())
        return std::nullopt;
    return colour.rgba();
}

int fontSizeAdjustment(QStringView size) {
    size = size.trimmed();
    bool ok = false;
    const int n = size.toInt(&ok);
    if (!ok)
        return 0;
    if (size.startsWith(u'+') || size.startsWith(u'-'))
        return n;
    return n - 3;
}

// The declarations of a style attribute that change what the paste keeps.
void applyStyle(QStringView style, Look& look, bool& centred, bool& hidden) {
    for (QStringView declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0)
            continue;
        const QString name = declaration.first(colon).trimmed().toString().toLower();
        QString value = declaration.sliced(colon + 1).trimmed().toString().toLower();
        if (value.endsWith(QLatin1StringView("!important")))
            value = value.chopped(10).trimmed();
        if (name == u"color") {
            if (const auto colour = colourOf(value))
                look.colour = colour;
        } else if (name == u"font-weight") {
            bool number = false;
            const int weight = value.toInt(&number);
            if (number)
                look.bold = weight >= 600;
            else if (value == u"bold" || value == u"bolder")
                look.bold = true;
            else if (value == u"normal" || value == u"lighter")
                look.bold = false;
        } else if (name == u"font-style") {
            look.italic = value == u"italic" || value == u"oblique";
        } else if (name == u"text-decoration" || name == u"text-decoration-line") {
            if (value.contains(u"none")) {
                look.underline = false;
                look.strike = false;
            }
            if (value.contains(u"underline"))
                look.underline = true;
            if (value.contains(u"line-through"))
                look.strike = true;
        } else if (name == u"font-size") {
            bool number = false;
            if (value.endsWith(u"pt")) {
                const double points = value.chopped(2).toDouble(&number);
                if (number) {
                    look.points = points;
                    look.pixels = 0;
                }
            } else if (value.endsWith(u"px")) {
                const double pixels = value.chopped(2).toDouble(&number);
                if (number) {
                    look.pixels = int(pixels);
                    look.points = 0;
                }
            } else {
                constexpr std::pair<QStringView, int> keywords[] = {
                    {u"xx-small", -2}, {u"x-small", -2}, {u"small", -1},  {u"medium", 0},
                    {u"large", 1},     {u"x-large", 2},  {u"xx-large", 3}};
                for (const auto& [keyword, adjustment] : keywords)
                    if (value == keyword)
                        look.adjustment = adjustment;
            }
        } else if (name == u"text-align") {
            centred = value == u"center";
        } else if (name == u"display") {
            hidden = hidden || value == u"none";
        }
    }
}

bool isCentred(const xmlNode* node) {
    return attribute(node, "align").compare(u"center", Qt::CaseInsensitive) == 0;
}

// One element on the walk's way down, with what it hands its children.
struct Step {
    const xmlNode* node;
    const xmlNode* next; // the next child to walk
    Look look;
    Place place;
    int lists = 0;
    bool preformatted = false;
    bool hadCell = false; // a table: whether any of its cells began
    int columns = 0;      // a table: its widest row; a row: the columns its cells took
};

int span(const xmlNode* cell) {
    const char* colspan = valueOf(cell, "colspan");
    return colspan ? std::clamp(std::atoi(colspan), 1, 1000) : 1;
}

bool isCell(const xmlNode* node) {
    const Element element = elementOf(node);
    return element == Element::Td || element == Element::Th;
}

// A table is as wide as its widest row: the rows short of cells end in empty ones.
int columnsOf(const xmlNode* table) {
    int widest = 0;
    const auto row = [&widest](const xmlNode* tr) {
        int width = 0;
        for (const xmlNode* cell = tr->children; cell; cell = cell->next)
            if (isCell(cell))
                width += span(cell);
        widest = std::max(widest, width);
    };
    for (const xmlNode* part = table->children; part; part = part->next) {
        const Element element = elementOf(part);
        if (element == Element::Tr) {
            row(part);
        } else if (element == Element::Tbody || element == Element::Thead ||
                   element == Element::Tfoot) {
            for (const xmlNode* tr = part->children; tr; tr = tr->next)
                if (elementOf(tr) == Element::Tr)
                    row(tr);
        }
    }
    return widest;
}

enum class Role { Inline, Block, Hidden };

Role roleOf(Element element) {
    switch (element) {
    case Element::Head:
    case Element::Title:
    case Element::Script:
    case Element::Style:
    case Element::Noscript:
    case Element::Template:
    case Element::Meta:
    case Element::Link:
        return Role::Hidden;
    case Element::P:
    case Element::Div:
    case Element::H1:
    case Element::H2:
    case Element::H3:
    case Element::H4:
    case Element::H5:
    case Element::H6:
    case Element::Blockquote:
    case Element::Li:
    case Element::Dl:
    case Element::Dt:
    case Element::Dd:
    case Element::Pre:
    case Element::Address:
    case Element::Center:
    case Element::Caption:
        return Role::Block;
    default:
        return Role::Inline;
    }
}

class Walk {
public:
    explicit Walk(const std::atomic<bool>* cancelled)
        : cancelled_(cancelled) {}

    bool run(const xmlNode* root) {
        std::vector<Step>& steps = steps_;
        steps.push_back(Step{root, root->children, {}, {}, 0, false, false});
        std::size_t done = 0;
        while (!steps.empty()) {
            if (cancelled_ && ++done % 4096 == 0 && cancelled_->load(std::memory_order_relaxed))
                return false;
            Step& step = steps.back();
            if (!step.next) {
                leave();
                steps.pop_back();
                continue;
            }
            const xmlNode* child = step.next;
            step.next = child->next;
            switch (child->type) {
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
                if (child->content)
                    lines_.text(QString::fromUtf8(reinterpret_cast<const char*>(child->content)),
                                step.look, step.place, step.preformatted);
                break;
            case XML_ELEMENT_NODE:
                if (std::optional<Step> next = enter(step, child))
                    steps.push_back(std::move(*next));
                break;
            default:
                break;
            }
        }
        return true;
    }

    QString finish() { return lines_.finish(); }

private:
    // What an element starts; nothing to walk into where it hides its children.
    std::optional<Step> enter(Step& parent, const xmlNode* node) {
        const Element tag = elementOf(node);
        Role role = roleOf(tag);
        if (role == Role::Hidden)
            return std::nullopt;
        Step step{node,         node->children,      parent.look, parent.place,
                  parent.lists, parent.preformatted, false};
        step.place.listItem = false;
        Look& look = step.look;
        bool centred = step.place.centred || isCentred(node);
        switch (tag) {
        case Element::B:
        case Element::Strong:
        case Element::Th:
            look.bold = true;
            break;
        case Element::I:
        case Element::Em:
        case Element::Cite:
        case Element::Var:
        case Element::Dfn:
        case Element::Address:
            look.italic = true;
            break;
        case Element::U:
        case Element::Ins:
            look.underline = true;
            break;
        case Element::S:
        case Element::Strike:
        case Element::Del:
            look.strike = true;
            break;
        case Element::Big:
            look.adjustment = 1;
            break;
        case Element::Small:
            look.adjustment = -1;
            break;
        case Element::H1:
        case Element::H2:
        case Element::H3:
        case Element::H4:
        case Element::H5:
        case Element::H6:
            look.bold = true;
            look.adjustment = 3 - (int(tag) - int(Element::H1));
            break;
        case Element::Font: {
            if (const auto colour = colourOf(attribute(node, "color")))
                look.colour = colour;
            const QString size = attribute(node, "size");
            if (!size.isEmpty())
                look.adjustment = fontSizeAdjustment(size);
            break;
        }
        case Element::A:
            // A link takes the link colour, which the board has of its own,
            // unless its words are given one.
            if (const QString href = attribute(node, "href"); !href.isEmpty()) {
                look.link = href;
                look.colour.reset();
            }
            break;
        case Element::Center:
            centred = true;
            break;
        case Element::Blockquote:
            ++step.place.quotes;
            break;
        case Element::Pre:
            step.preformatted = true;
            break;
        case Element::Ul:
        case Element::Ol:
            ++step.lists;
            break;
        default:
            break;
        }
        bool hidden = false;
        if (const char* style = valueOf(node, "style"))
            applyStyle(QString::fromUtf8(style), look, centred, hidden);
        if (hidden)
            return std::nullopt;
        step.place.centred = centred;

        switch (tag) {
        case Element::Br:
            lines_.lineBreak(look, step.place);
            return std::nullopt;
        case Element::Img: {
            const QString source = attribute(node, "src");
            // A picture that lives only in the clipboard is nothing a board can show.
            if (!source.isEmpty() && !source.startsWith(u"data:", Qt::CaseInsensitive))
                lines_.picture(markup::imageTag(address(source)), look, step.place);
            return std::nullopt;
        }
        case Element::Hr:
            lines_.rule(step.place);
            return std::nullopt;
        case Element::Table:
            step.place.table = node;
            step.place.tableStep = steps_.size();
            step.place.row = nullptr;
            step.place.column = -1;
            step.columns = columnsOf(node);
            break;
        case Element::Tr:
            step.place.row = node;
            break;
        case Element::Td:
        case Element::Th:
            if (step.place.table && step.place.row && parent.node == step.place.row) {
                step.place.column = parent.columns;
                parent.columns += span(node);
                // The table learns that a cell of it began, for what follows it.
                steps_[step.place.tableStep].hadCell = true;
                lines_.cell(step.place);
                return step;
            }
            role = Role::Block;
            break;
        case Element::Li:
            step.place.listItem = step.lists > 0;
            break;
        default:
            break;
        }
        if (role == Role::Block)
            lines_.block(step.place);
        return step;
    }

    void leave() {
        const std::vector<Step>& steps = steps_;
        const Step& step = steps.back();
        if (step.node->type != XML_ELEMENT_NODE)
            return;
        switch (const Element tag = elementOf(step.node)) {
        case Element::Table:
            if (step.hadCell && steps.size() > 1)
                lines_.tableEnded(steps[steps.size() - 2].place);
            break;
        case Element::Td:
        case Element::Th:
            lines_.cellEnded();
            break;
        case Element::Tr:
            if (step.place.table) {
                Step& table = steps_[step.place.tableStep];
                Place empty = step.place;
                for (empty.column = step.columns; empty.column < table.columns; ++empty.column) {
                    lines_.padding(empty);
                    table.hadCell = true;
                }
            }
            lines_.blockEnded();
            break;
        case Element::Ul:
        case Element::Ol:
            lines_.blockEnded();
            break;
        default:
            if (roleOf(tag) == Role::Block)
                lines_.blockEnded();
            break;
        }
    }

    Lines lines_;
    std::vector<Step> steps_;
    const std::atomic<bool>* cancelled_;
};

} // namespace

QString boardTags(const QString& html, const std::atomic<bool>* cancelled) {
    QByteArray page = html.toUtf8();
    // What a browser copies sits between these two marks; the rest is its frame.
    const qsizetype start = page.indexOf("<!--StartFragment-->");
    if (start >= 0) {
        const qsizetype end = page.indexOf("<!--EndFragment-->", start);
        page = end > start ? page.sliced(start, end - start) : page.sliced(start);
    }
    // The reader's tables are set up once, before any two threads read at once.
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });
    // HUGE lifts the reader's limit of 256 nested elements, past which it
    // would stop reading and lose the words after. The page is UTF-8 whatever
    // its <meta> says: it came as text.
    const std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> document(
        htmlReadMemory(page.constData(), int(page.size()), nullptr, "UTF-8",
                       HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                           HTML_PARSE_IGNORE_ENC | XML_PARSE_HUGE),
        &xmlFreeDoc);
    if (!document) {
        // The user sees nothing come of the paste; say why here at least.
        if (!page.isEmpty())
            qCWarning(post::postLog, "the HTML reader read nothing of a pasted page of %lld bytes",
                      static_cast<long long>(page.size()));
        return {};
    }
    if (cancelled && cancelled->load())
        return {};
    Walk walk(cancelled);
    if (!walk.run(reinterpret_cast<const xmlNode*>(document.get())))
        return {};
    return walk.finish();
}

} // namespace qirtaz::paste
