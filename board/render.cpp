// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/render.h"
#include "board/direction_marks.h"

#include "screens/pictures.h"
#include "screens/smileys.h"

#include <QColor>
#include <QImage>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <array>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <utility>

namespace qirtaz::board {

Q_LOGGING_CATEGORY(boardLog, "qirtaz.board")

using reading::Direction;

namespace {

constexpr QChar NoBreakSpace(0x00A0);

constexpr const char* pictureNames[] = {
    // the smileys, in the order of Smiley
    "angry", "wink", "surprised", "sad", "tongue", "grin", "question", "smiling",
    // the media, in the order of Media; both RealMedia tags come from one dialog
    "picture-frame", "web-page", "flash-burst", "loudspeaker", "play-bubble", "play-bubble"};
constexpr int PictureCount = int(std::size(pictureNames));

int pictureOf(Smiley smiley) {
    return int(smiley);
}
int pictureOf(Media media) {
    return int(Smiley::Smile) + 1 + int(media);
}

// Decoded once for every document: QImage, unlike QPixmap, may be made and
// shared by any thread, and these are only ever read. On a display of more
// pixels per point, the picture's drawing at the display's own pixel size,
// made once for each ratio.
QImage pictureImage(int picture, qreal pixelRatio) {
    static const std::array<QImage, PictureCount> images = [] {
        std::array<QImage, PictureCount> decoded;
        for (int i = 0; i < PictureCount; ++i) {
            const QString path = QStringLiteral(":/pictures/") +
                                 QLatin1StringView(pictureNames[i]) + QStringLiteral(".gif");
            decoded[i] = QImage(path);
            // The preview would show an empty square where the smiley or medium stands.
            if (decoded[i].isNull())
                qCWarning(boardLog, "%s does not decode", qPrintable(path));
        }
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

// HTML's font sizes 1 to 7 against its usual size 3.
constexpr double sizeFactors[] = {0.625, 0.8125, 1.0, 1.125, 1.5, 2.0, 3.0};

const QColor linkColour(0x1a, 0x0d, 0xab);
const QColor markUnderline(0xd0, 0x10, 0x10);
const QColor markBackground(0xfd, 0xe4, 0xe4);
const QColor placeholderBackground(0xe8, 0xee, 0xf5);
const QColor placeholderLabel(0x44, 0x55, 0x66);
const QColor quoteBackgrounds[] = {{0xf1, 0xf4, 0xf8}, {0xe3, 0xe9, 0xf1}, {0xd5, 0xde, 0xea}};
constexpr int QuoteIndent = 14;
constexpr int ListIndent = 18;
// Lists nested deeper than this are drawn at this depth.
constexpr int DeepestListShown = 8;
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

// Outside the anonymous namespace, as the renderer's members are made of it.
// The last few values made for a key, so that a post's many runs of one look
// share one format: building a format anew costs a copy and a hash, which
// the document then spends again finding the one it already holds; the same
// format object is found at once. A handful suffices, as a post's runs of one
// look come together.
template <typename Key, typename Value> class Recent {
public:
    template <typename Make> const Value& get(const Key& key, Make make) {
        for (Entry& entry : entries_)
            if (entry.filled && entry.key == key)
                return entry.value;
        Entry& entry = entries_[next_];
        next_ = (next_ + 1) % entries_.size();
        entry = {key, make(), true};
        return entry.value;
    }

private:
    struct Entry {
        Key key{};
        Value value{};
        bool filled = false;
    };
    std::array<Entry, 8> entries_{};
    std::size_t next_ = 0;
};

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
            if (item.smiley == Smiley::Other)
                otherSmiley(item);
            else
                addPicture(pictureOf(item.smiley),
                           smileyFormats_.get({item.style, item.smiley, parsed_.text(item.code)},
                                              [&] { return smileyFormat(item); }));
            break;
        case Item::Kind::ListItem:
            add(listMark(item) + QChar(NoBreakSpace), format(item.style));
            break;
        case Item::Kind::Placeholder:
            placeholder(item);
            break;
        }
    }

    // The format with AddedTextProperty set, made once for each format.
    const QTextCharFormat& addedFormat(const QTextCharFormat& format) {
        if (format.boolProperty(AddedTextProperty))
            return format;
        return addedFormats_.get(format, [&] {
            QTextCharFormat added = format;
            added.setProperty(AddedTextProperty, true);
            return added;
        });
    }

    void add(const QString& text, const QTextCharFormat& format) {
        Piece piece;
        piece.format = addedFormat(format);
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

    const QTextCharFormat& format(const Style& style) {
        return formats_.get(style, [&] { return makeFormat(style); });
    }

    QTextCharFormat makeFormat(const Style& style) {
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
        else if (style.scale > 0)
            format.setFontPointSize(basePoints_ * style.scale / 1000.0);
        if (style.code) {
            format.setFontFamilies({QStringLiteral("monospace")});
            format.setFontFixedPitch(true);
        }
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

    // Holds text on one line unless it alone is wider than one. Qt breaks a
    // line after any blank, so a blank goes in as a no-break space (the
    // blank it stands for is kept with it); wherever else Qt's line breaker would
    // break (after a slash, before an opening bracket, between two Chinese
    // letters), a word joiner. So too where a stretch shown in several steps
    // is cut, unless it ends there. The joiners go in with the text between
    // blanks, at once and in a format of their own (GluedProperty); a word
    // joiner of the post's own goes in alone, in the stretch's format.
    void gluedText(const QString& text, const QTextCharFormat& format, bool last) {
        QString shown = text;
        for (QChar& c : shown)
            if (c.isSpace())
                c = NoBreakSpace;
        const QTextCharFormat& glued = gluedFormat(format);
        const qsizetype n = shown.size();
        QString run;
        run.reserve(n + 8);
        const auto flush = [&] {
            if (!run.isEmpty())
                cursor_.insertText(run, glued);
            run.clear();
        };
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, shown);
        qsizetype at = breaks.toNextBoundary();
        for (qsizetype i = 0; i < n; ++i) {
            if (i == at) {
                run += WordJoiner;
                at = breaks.toNextBoundary();
            }
            const QChar c = text[i];
            if (c.isSpace()) {
                flush();
                cursor_.insertText(noBreakSpace(), heldFormat(format, c));
            } else if (c == WordJoiner) {
                flush();
                cursor_.insertText(QString(c), format);
            } else {
                run += c;
            }
        }
        if (!last)
            run += WordJoiner;
        flush();
    }

    // The format with GluedProperty set, made once for each format.
    const QTextCharFormat& gluedFormat(const QTextCharFormat& format) {
        return gluedFormats_.get(format, [&] {
            QTextCharFormat glued = format;
            glued.setProperty(GluedProperty, true);
            return glued;
        });
    }

    // The format of a no-break space that stands for blank.
    const QTextCharFormat& heldFormat(const QTextCharFormat& format, QChar blank) {
        return heldFormats_.get({format, blank}, [&] {
            QTextCharFormat held = format;
            held.setProperty(BlankProperty, QString(blank));
            return held;
        });
    }

    void added(const QString& text, const QTextCharFormat& format) {
        cursor_.insertText(text, addedFormat(format));
        blockUnits_ += text.size();
    }

    void picture(int picture, const QTextCharFormat& around) {
        if (!resourceAdded_[picture]) {
            document_.addResource(QTextDocument::ImageResource, pictureUrl(picture),
                                  pictureImage(picture, pixelRatio_));
            resourceAdded_[picture] = true;
        }
        cursor_.insertImage(imageFormats_.get({around, picture}, [&] {
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
            return image;
        }));
        ++blockUnits_;
    }

    // How a marked tag looks: its text, and the isolate that ends it.
    struct MarkFormats {
        QTextCharFormat text;
        QTextCharFormat end;
    };
    MarkFormats markFormats(const Style& style, Problem problem) {
        MarkFormats formats;
        QTextCharFormat& format = formats.text;
        format = this->format(style);
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        format.setUnderlineColor(markUnderline);
        format.setBackground(markBackground);
        format.setToolTip(problemName(problem));
        // A screen reader reads the tag, then what is wrong with it.
        formats.end = addedFormat(format);
        formats.end.setProperty(SpokenProperty, QStringLiteral(" (") + problemName(problem) + u')');
        return formats;
    }

    void marked(const Item& item) {
        const MarkFormats& formats = markFormats_.get(
            {item.style, item.problem}, [&] { return markFormats(item.style, item.problem); });
        // Read left to right, as typed, even in an Arabic paragraph.
        add(leftToRight(), formats.text);
        pieces_.back().mark = MarkStart;
        pieces_.back().markOf = item.text;
        // Never broken across lines: "[/" at the end of one and "URL]" at the
        // start of the next reads as two tags.
        addPost(item.text, formats.text, LeftToRightIsolate, true);
        add(pop(), formats.end);
        pieces_.back().mark = MarkEnd;
    }

    // A character the rendering adds often, as a string made once.
    template <char16_t Character> static const QString& once() {
        static const QString text(QChar{Character});
        return text;
    }
    static const QString& leftToRight() { return once<LeftToRightIsolate.unicode()>(); }
    static const QString& pop() { return once<PopIsolate.unicode()>(); }
    static const QString& noBreakSpace() { return once<NoBreakSpace.unicode()>(); }

    // Blanks inside a placeholder hold its parts together on one line.
    static QString spaced(QStringView word) {
        QString text(NoBreakSpace);
        text.append(word);
        if (!word.isEmpty())
            text.append(NoBreakSpace);
        return text;
    }

    // A screen reader says what the face means, as the main window's button
    // for the same picture does, and the code as this board's writer typed it.
    QTextCharFormat smileyFormat(const Item& item) {
        QTextCharFormat format = this->format(item.style);
        format.setProperty(CopiedProperty, parsed_.text(item.code).toString());
        const QByteArrayView picture(pictureNames[pictureOf(item.smiley)]);
        for (const screens::SmileyButton& button : screens::smileyButtons)
            if (picture == QByteArrayView(button.picture)) {
                const QString spoken = QString::fromUtf8(button.spoken);
                format.setProperty(SpokenProperty, spoken.first(spoken.lastIndexOf(u' ') + 1) +
                                                       parsed_.text(item.code).toString());
                break;
            }
        return format;
    }

    // A smiley the preview has no picture for: its code, whole, in a box.
    void otherSmiley(const Item& item) {
        QTextCharFormat box = format(item.style);
        box.setBackground(placeholderBackground);
        add(leftToRight(), box);
        addPost(item.text, box, LeftToRightIsolate, true);
        add(pop(), box);
    }

    // "•", or the item's number in its list's style: "3.", "c.", "C.", "iii.", "III.".
    static QString listMark(const Item& item) {
        if (item.number <= 0)
            return QStringLiteral("•");
        const int n = item.number;
        switch (item.listStyle) {
        case u'a':
        case u'A': {
            QString letters;
            for (int rest = n; rest > 0; rest = (rest - 1) / 26)
                letters.prepend(QChar(char16_t(item.listStyle + (rest - 1) % 26)));
            return letters + u'.';
        }
        case u'i':
        case u'I': {
            if (n >= 4000)
                break;
            static constexpr std::pair<int, const char*> numerals[] = {
                {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                {5, "v"},    {4, "iv"},   {1, "i"}};
            QString roman;
            int rest = n;
            for (const auto& [value, numeral] : numerals)
                for (; rest >= value; rest -= value)
                    roman += QLatin1StringView(numeral);
            return (item.listStyle == u'I' ? roman.toUpper() : roman) + u'.';
        }
        default:
            break;
        }
        return QString::number(n) + u'.';
    }

    void placeholder(const Item& item) {
        QTextCharFormat box = format(item.style);
        box.setBackground(placeholderBackground);
        // A copy takes the address alone, with a blank at either edge where
        // words would otherwise touch it.
        QTextCharFormat hidden = box;
        hidden.setProperty(CopiedProperty, QString());
        QTextCharFormat label = hidden;
        label.setForeground(placeholderLabel);
        label.setFontWeight(QFont::Bold);
        QTextCharFormat opening = label;
        opening.setProperty(EdgeProperty, true);
        QTextCharFormat closing = box;
        closing.setProperty(EdgeProperty, true);
        // One unit with an Arabic label, which the text around it cannot pull
        // apart: an Arabic word beside it would otherwise join the label. It
        // never breaks across lines: no blank inside it, a word joiner
        // wherever the address could break, and its icon last, as a line may
        // always break after a picture.
        add(QString(RightToLeftIsolate) + spaced(mediaLabel(item.media)), opening);
        add(leftToRight(), box);
        addPost(item.text, box, LeftToRightIsolate, true);
        add(pop(), box);
        const auto value = [&](QStringView name, Span span) {
            add(spaced(name), label);
            add(QString(FirstStrongIsolate), hidden);
            addPost(span, hidden, FirstStrongIsolate, true);
            add(QString(PopIsolate), hidden);
        };
        if (!item.width.none()) {
            value(u"العرض", item.width);
            value(u"الارتفاع", item.height);
        } else if (!item.extra.none()) {
            value(u"", item.extra);
        }
        add(QString(NoBreakSpace), hidden);
        QTextCharFormat icon = hidden;
        icon.setProperty(SpokenProperty, QString()); // the label says it
        addPicture(pictureOf(item.media), icon);
        add(QString(PopIsolate), closing);
        // The next placeholder right after it keeps a box of its own, and the
        // line may break between them.
        if (next_ < parsed_.items.size() && parsed_.items[next_].kind == Item::Kind::Placeholder)
            add(QStringLiteral(" "), format(item.style));
    }

    void paragraph(const Item& item) {
        startBlock(item.direction == Direction::RightToLeft, item.align, item.listDepth);
    }

    void startBlock(bool rtl, Align align, int listDepth = 0) {
        const int depth = std::min(quoteDepth_, DeepestQuoteShown);
        const BlockKey key{rtl, align, std::min(listDepth, DeepestListShown), depth,
                           depth > 0 && depthChanged_};
        const QTextBlockFormat& block = blockFormats_.get(key, [&] { return blockFormat(key); });
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

    // What a paragraph's block looks like; a post's many paragraphs share a
    // few of them.
    struct BlockKey {
        bool rtl = false;
        Align align = Align::Natural;
        int listDepth = 0;
        int quoteDepth = 0;
        bool gap = false;
        friend bool operator==(const BlockKey&, const BlockKey&) = default;
    };
    static QTextBlockFormat blockFormat(const BlockKey& key) {
        const bool rtl = key.rtl;
        QTextBlockFormat block;
        block.setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        switch (key.align) {
        case Align::Natural:
            block.setAlignment((rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute);
            break;
        case Align::Left:
            block.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
            break;
        case Align::Centre:
            block.setAlignment(Qt::AlignHCenter);
            break;
        case Align::Right:
            block.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
            break;
        case Align::Justify:
            block.setAlignment(Qt::AlignJustify);
            break;
        }
        const int depth = key.quoteDepth;
        // A list's items stand in from the side its paragraph starts on.
        const int listIndent = key.listDepth * ListIndent;
        if (rtl)
            block.setRightMargin(listIndent);
        else
            block.setLeftMargin(listIndent);
        if (depth > 0) {
            block.setLeftMargin(depth * QuoteIndent + (rtl ? 0 : listIndent));
            block.setRightMargin(depth * QuoteIndent + (rtl ? listIndent : 0));
            block.setBackground(quoteBackgrounds[(depth - 1) % std::size(quoteBackgrounds)]);
            if (key.gap)
                block.setTopMargin(QuoteGap);
        }
        return block;
    }

    // The paragraph goes on in a new block of the same look.
    void continueBlock() {
        QTextBlockFormat block = cursor_.blockFormat();
        block.setTopMargin(0);
        block.setProperty(ContinuedProperty, true);
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
        if (item.text.length <= 0 && !item.spoiler)
            return;
        // Whom it quotes heads the quotation, on a line of its own; a spoiler's
        // title heads it, as the board shows it before it is opened.
        startBlock(true, Align::Natural);
        QTextCharFormat header;
        header.setFontWeight(QFont::Bold);
        header.setForeground(placeholderLabel);
        if (item.spoiler && item.text.length <= 0) {
            add(QStringLiteral("محتوى مخفي"), header);
            return;
        }
        add((item.spoiler ? QStringLiteral("محتوى مخفي: ") : QStringLiteral("اقتباس من ")) +
                FirstStrongIsolate,
            header);
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
    Recent<Style, QTextCharFormat> formats_;
    Recent<BlockKey, QTextBlockFormat> blockFormats_;
    Recent<std::pair<Style, Problem>, MarkFormats> markFormats_;
    struct SmileyKey {
        Style style;
        Smiley smiley = Smiley::Other;
        QStringView code;
        friend bool operator==(const SmileyKey&, const SmileyKey&) = default;
    };
    Recent<SmileyKey, QTextCharFormat> smileyFormats_;
    Recent<std::pair<QTextCharFormat, int>, QTextImageFormat> imageFormats_;
    Recent<QTextCharFormat, QTextCharFormat> addedFormats_;
    Recent<QTextCharFormat, QTextCharFormat> gluedFormats_;
    Recent<std::pair<QTextCharFormat, QChar>, QTextCharFormat> heldFormats_;
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

namespace {

// What orders and holds the preview's text on screen, and what stands for a
// picture: nothing a reader sees.
bool unseen(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x2066 && u <= 0x2069) || (u >= 0x202A && u <= 0x202E) || u == 0x200E ||
           u == 0x200F || u == 0x061C || u == 0x2060 || u == QChar::ObjectReplacementCharacter;
}

} // namespace

QString readerText(const QTextDocument& document, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, document.characterCount() - 1);
    QString text;
    bool edge = false; // a placeholder's edge wants a blank before what comes next
    const auto put = [&text, &edge](QChar c) {
        if (unseen(c))
            return;
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
        if (edge && !text.isEmpty() && !text.back().isSpace() && !c.isSpace())
            text += u' ';
        edge = false;
        text += c;
    };
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        if (block.position() > from && !block.blockFormat().boolProperty(ContinuedProperty))
            put(u'\n');
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= to)
                break;
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (start >= end)
                continue;
            const QTextCharFormat format = fragment.charFormat();
            if (format.boolProperty(EdgeProperty))
                edge = true;
            const int instead = format.hasProperty(CopiedProperty)  ? CopiedProperty
                                : format.hasProperty(BlankProperty) ? BlankProperty
                                                                    : 0;
            if (instead != 0) {
                const QString copied = format.stringProperty(instead);
                for (int i = start; i < end; ++i)
                    for (QChar c : copied)
                        put(c);
            } else {
                const QString characters = fragment.text();
                for (int i = start; i < end; ++i)
                    put(characters[i - fragment.position()]);
            }
        }
    }
    return text;
}

QString postCharactersOf(const QTextFragment& fragment) {
    const QTextCharFormat format = fragment.charFormat();
    if (format.boolProperty(AddedTextProperty))
        return {};
    if (format.boolProperty(GluedProperty))
        return fragment.text().remove(WordJoiner);
    if (!format.hasProperty(BlankProperty))
        return fragment.text();
    return format.stringProperty(BlankProperty).repeated(fragment.length());
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

} // namespace qirtaz::board
