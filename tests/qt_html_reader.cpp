// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/qt_html_reader.h"

#include "post/markup.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <vector>

namespace qirtaz::qtreader {
namespace {

// Qt's reader asks the document for pictures and style sheets by address. A
// paste must never open a file or a connection, so it is given nothing.
class OfflineDocument : public QTextDocument {
protected:
    QVariant loadResource(int /*type*/, const QUrl& /*name*/) override { return {}; }
};

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

QString colourOpening(const QColor& colour) {
    for (QStringView opening : catalogueColours) {
        const QStringView name = opening.sliced(7, opening.size() - 8); // "[color=" … "]"
        if (QColor::fromString(name).rgb() == colour.rgb())
            return opening.toString();
    }
    return QStringLiteral("[color=") + colour.name(QColor::HexRgb) + u']';
}

// The board's sizes above its usual one. Body text is set at about 12 points by
// word processors and at 16 pixels (12 points) by browsers; headings and larger
// text come as a size adjustment (from <h1> … <h3>, <big>, <font size>) or a
// size in points or pixels.
int boardSize(const QTextCharFormat& format) {
    constexpr double BodyPoints = 12;
    double factor = 1;
    if (format.hasProperty(QTextFormat::FontPointSize))
        factor = format.fontPointSize() / BodyPoints;
    else if (format.hasProperty(QTextFormat::FontPixelSize))
        factor = format.intProperty(QTextFormat::FontPixelSize) * 0.75 / BodyPoints;
    const int adjustment = format.intProperty(QTextFormat::FontSizeAdjustment);
    if (adjustment >= 2 || factor >= 1.4)
        return 5;
    if (adjustment == 1 || factor >= 1.15)
        return 4;
    return 0;
}

std::vector<Tag> tagsOf(const QTextCharFormat& format) {
    std::vector<Tag> tags;
    const bool link = format.isAnchor() && !format.anchorHref().isEmpty();
    if (link)
        tags.push_back({Kind::Link, QStringLiteral("[url=") + address(format.anchorHref()) + u']',
                        markup::LinkEnd});
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush) {
        const QColor colour = format.foreground().color();
        // Black is the board's own colour for words, which documents spell out
        // on every line; and Qt paints every link in the palette's link colour.
        const bool own = colour.rgb() == qRgb(0, 0, 0) ||
                         (link && colour == QGuiApplication::palette().link().color());
        if (colour.alpha() > 0 && !own)
            tags.push_back({Kind::Colour, colourOpening(colour), markup::ColourClose});
    }
    if (const int size = boardSize(format))
        tags.push_back({Kind::Size, QStringLiteral("[size=%1]").arg(size), markup::SizeClose});
    if (format.fontWeight() >= QFont::DemiBold)
        tags.push_back({Kind::Bold, markup::BoldOpen.toString(), markup::BoldClose});
    if (format.fontItalic())
        tags.push_back({Kind::Italic, markup::ItalicOpen.toString(), markup::ItalicClose});
    // Qt underlines every link itself.
    if (format.fontUnderline() && !link)
        tags.push_back({Kind::Underline, markup::UnderlineOpen.toString(), markup::UnderlineClose});
    if (format.fontStrikeOut())
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
    ~Line() { closeTo(0); }

    void add(QStringView text, const std::vector<Tag>& tags) {
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

private:
    void closeTo(qsizetype depth) {
        while (qsizetype(open_.size()) > depth) {
            out_ += open_.back().closing;
            open_.pop_back();
        }
    }

    QString& out_;
    std::vector<Tag> open_;
};

void writeRuns(const QTextBlock& block, QString& out) {
    Line line(out);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.isImageFormat()) {
            const QString name = format.toImageFormat().name();
            // A picture that lives only in the clipboard is nothing a board can show.
            if (name.isEmpty() || name.startsWith(QLatin1StringView("data:"), Qt::CaseInsensitive))
                continue;
            const QString tag = markup::imageTag(address(name));
            for (qsizetype i = 0; i < fragment.length(); ++i)
                line.add(tag, tagsOf(format));
        } else {
            line.add(fragment.text(), tagsOf(format));
        }
    }
}

} // namespace

QString boardTags(const QString& html) {
    OfflineDocument document;
    document.setHtml(html);

    QString out;
    std::vector<double> quotes; // the left margin of each open quotation, outermost first
    const QTextTable* lastTable = nullptr;
    int lastRow = -1;
    int lastColumn = -1;
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();

        // Qt marks the first paragraph of a quotation; the ones after it keep its margin.
        const double margin = format.leftMargin();
        QString closing;
        while (!quotes.empty() && margin < quotes.back()) {
            closing += markup::QuoteClose;
            quotes.pop_back();
        }
        QString opening;
        const int level = format.intProperty(QTextFormat::BlockQuoteLevel);
        for (int depth = int(quotes.size()) + 1; depth <= level; ++depth) {
            opening += markup::QuoteOpen;
            quotes.push_back(margin * depth / level);
        }

        // A table's row is one line, its cells joined by " | ".
        QString separator = QStringLiteral("\n");
        const QTextTable* table = QTextCursor(block).currentTable();
        if (table) {
            const QTextTableCell cell = table->cellAt(block.position());
            if (table == lastTable && cell.row() == lastRow)
                separator =
                    cell.column() == lastColumn ? QStringLiteral(" ") : QStringLiteral(" | ");
            lastRow = cell.row();
            lastColumn = cell.column();
        }
        lastTable = table;

        out += closing;
        if (!first)
            out += separator;
        first = false;
        out += opening;
        const bool centred = block.length() > 1 && (format.alignment() & Qt::AlignHorizontal_Mask &
                                                    ~Qt::AlignAbsolute) == Qt::AlignHCenter;
        if (centred)
            out += markup::CentreOpen;
        if (block.textList())
            out += QStringLiteral("• ");
        writeRuns(block, out);
        if (centred)
            out += markup::CentreClose;
    }
    for (std::size_t i = 0; i < quotes.size(); ++i)
        out += markup::QuoteClose;

    // The reader's empty paragraphs before and after what was copied.
    qsizetype from = 0;
    while (from < out.size() && out[from] == u'\n')
        ++from;
    qsizetype to = out.size();
    while (to > from && out[to - 1] == u'\n')
        --to;
    return out.sliced(from, to - from);
}

} // namespace qirtaz::qtreader
