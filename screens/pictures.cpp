// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/pictures.h"

#include <QFile>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QResource>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace qirtaz::screens {

Q_LOGGING_CATEGORY(screensLog, "qirtaz.screens")
namespace {

using enum PictureFormat;

constexpr std::array<Picture, 24> pictures{{
    // Screen backgrounds
    {"main-background", Jpeg, {509, 421}},
    {"dialog-background", Jpeg, {340, 102}},
    {"size-background", Jpeg, {320, 261}},
    {"about", Jpeg, {270, 202}},
    // Pictures of the picture controls
    {"ok", Jpeg, {40, 20}},
    {"cancel", Jpeg, {32, 32}},
    {"return-arrow", Jpeg, {32, 32}},
    {"colour-letters", Jpeg, {32, 32}},
    {"bin", Icon, {32, 32}, 16},
    {"picture-frame", Gif, {23, 22}, 8},
    {"web-page", Gif, {23, 22}, 256},
    {"chain-link", Gif, {23, 22}, 4},
    {"loudspeaker", Gif, {23, 22}, 256},
    {"play-bubble", Gif, {23, 22}, 256},
    {"flash-burst", Gif, {23, 22}, 256},
    {"grin", Gif, {15, 15}, 64},
    {"question", Gif, {15, 22}, 64},
    {"angry", Gif, {15, 15}, 64},
    {"wink", Gif, {15, 15}, 64},
    {"surprised", Gif, {15, 15}, 64},
    {"smiling", Gif, {15, 15}, 64},
    {"tongue", Gif, {15, 15}, 64},
    {"sad", Gif, {15, 15}, 64},
    // The window icon
    {"window", Icon, {32, 32}, 16},
}};

const Picture& named(QStringView name) {
    if (const Picture* found = findPicture(name))
        return *found;
    throw std::invalid_argument("no picture " + name.toString().toStdString());
}

// Every image of the picture's file: one for a GIF or JPEG, each size of an icon.
QList<QImage> decodeAll(const Picture& picture) {
    QImageReader reader(resourcePath(picture));
    QList<QImage> images;
    do {
        QImage image = reader.read();
        if (image.isNull()) {
            if (images.isEmpty())
                qCWarning(screensLog, "%s does not decode: %s", qPrintable(reader.fileName()),
                          qPrintable(reader.errorString()));
            break;
        }
        images.append(image);
    } while (reader.jumpToNextImage());
    return images;
}

QString cacheKey(const Picture& picture) {
    return QStringLiteral("qirtaz:") + QLatin1StringView(picture.name);
}

// The picture's pixels as the build decoded them (tools/decode_pictures.cpp):
// "QZPX", its width, height, format, bytes per line and palette size, its
// palette, its lines. The image reads them where the program holds them, in
// the format a pixmap keeps on an ordinary display, so that making the pixmap
// copies nothing. A null image where the program holds none that fits.
QImage builtIn(const Picture& picture) {
    const QResource pixels(QStringLiteral(":/pixels/") + QLatin1StringView(picture.name) +
                           QStringLiteral(".pixels"));
    qint32 head[5] = {};
    const qint64 headSize = 4 + qint64(sizeof head);
    if (!pixels.isValid() || pixels.compressionAlgorithm() != QResource::NoCompression ||
        pixels.size() < headSize || std::memcmp(pixels.data(), "QZPX", 4) != 0)
        return {};
    std::memcpy(head, pixels.data() + 4, sizeof head);
    const auto [width, height, format, bytesPerLine, colours] = head;
    if (QSize(width, height) != picture.size || format <= QImage::Format_Invalid ||
        format >= QImage::NImageFormats || colours < 0 || colours > 256)
        return {};
    const qint64 paletteSize = colours * qint64(sizeof(QRgb));
    const uchar* lines = pixels.data() + headSize + paletteSize;
    QImage image(lines, width, height, bytesPerLine, QImage::Format(format));
    if (image.isNull() || pixels.size() != headSize + paletteSize + image.sizeInBytes())
        return {};
    if (colours > 0) { // an empty list has no storage to copy into
        QList<QRgb> palette(colours);
        std::memcpy(palette.data(), pixels.data() + headSize, std::size_t(paletteSize));
        image.setColorTable(palette);
    }
    // Qt reads the lines of an image a whole pixel at a time.
    if (reinterpret_cast<quintptr>(lines) % sizeof(QRgb) != 0)
        return image.copy();
    return image;
}

QImage decode(const Picture& picture) {
    if (QImage image = builtIn(picture); !image.isNull())
        return image;
    const QList<QImage> images = decodeAll(picture);
    for (const QImage& image : images)
        if (image.size() == picture.size)
            return image;
    // Embedded at build time and checked by the tests: a picture that does not
    // decode to its size is a broken build, not something a user can cause.
    throw std::runtime_error("picture " + std::string(picture.name) +
                             " does not decode to its size");
}

// ------------------------------------------------------------------ drawings
//
// Qt's SVG renderer draws a shape that carries a blur filter as if it had none:
// a glow becomes a hard disc and a soft shadow a second sharp word. The drawings
// use that one filter, on shapes that stand directly in the document. So the
// document is rendered in layers, runs of its top-level shapes in order, each
// blurred shape a layer of its own that is blurred here, and the layers are laid
// over each other as the document orders them.

struct Layer {
    QByteArray document; // the whole drawing with every shape outside the layer hidden
    qreal blur = 0;      // the filter's standard deviation, in the drawing's pixels
};

bool isShape(QStringView element) {
    return element != u"defs" && element != u"title" && element != u"desc" &&
           element != u"metadata" && element != u"style";
}

// Filter id -> standard deviation, for filters that are one Gaussian blur.
QHash<QString, qreal> blurFilters(const QByteArray& document) {
    QHash<QString, qreal> blurs;
    QXmlStreamReader reader(document);
    QString filter;
    int steps = 0;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isStartElement() && reader.name() == u"filter") {
            filter = reader.attributes().value(QStringLiteral("id")).toString();
            steps = 0;
        } else if (reader.isStartElement() && !filter.isEmpty()) {
            ++steps;
            if (reader.name() == u"feGaussianBlur")
                blurs.insert(filter,
                             reader.attributes().value(QStringLiteral("stdDeviation")).toDouble());
        } else if (reader.isEndElement() && reader.name() == u"filter") {
            if (steps != 1)
                blurs.remove(filter); // more than a blur: drawn unfiltered
            filter.clear();
        }
    }
    return blurs;
}

qreal blurOf(const QXmlStreamAttributes& attributes, const QHash<QString, qreal>& blurs) {
    const QStringView reference = attributes.value(QStringLiteral("filter"));
    if (!reference.startsWith(u"url(#") || !reference.endsWith(u')'))
        return 0;
    return blurs.value(reference.mid(5, reference.size() - 6).toString(), 0);
}

// The drawing with only the top-level shapes from..to (indices among them) shown.
QByteArray showingOnly(const QByteArray& document, int from, int to) {
    QByteArray out;
    QXmlStreamReader reader(document);
    QXmlStreamWriter writer(&out);
    int depth = 0;
    int shape = -1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.hasError())
            break;
        if (reader.isStartDocument() || reader.isDTD())
            continue;
        writer.writeCurrentToken(reader);
        if (reader.isStartElement()) {
            if (depth == 1 && isShape(reader.name())) {
                ++shape;
                if (shape < from || shape > to)
                    writer.writeAttribute(QStringLiteral("display"), QStringLiteral("none"));
            }
            ++depth;
        } else if (reader.isEndElement()) {
            --depth;
        }
    }
    return out;
}

std::vector<Layer> layersOf(const QByteArray& document) {
    const QHash<QString, qreal> blurs = blurFilters(document);
    if (blurs.isEmpty())
        return {{document, 0}};

    std::vector<qreal> shapes; // each top-level shape's blur, 0 for none
    QXmlStreamReader reader(document);
    int depth = 0;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isStartElement()) {
            if (depth == 1 && isShape(reader.name()))
                shapes.push_back(blurOf(reader.attributes(), blurs));
            ++depth;
        } else if (reader.isEndElement()) {
            --depth;
        }
    }

    std::vector<Layer> layers;
    for (int first = 0; first < int(shapes.size());) {
        int last = first;
        if (shapes[std::size_t(first)] == 0)
            while (last + 1 < int(shapes.size()) && shapes[std::size_t(last) + 1] == 0)
                ++last;
        layers.push_back({showingOnly(document, first, last), shapes[std::size_t(first)]});
        first = last + 1;
    }
    return layers;
}

// One box blur along rows (or columns) of a premultiplied image; what lies
// beyond the edge counts as clear, as beyond a filter's region.
void boxBlur(QImage& image, int radius, bool alongRows) {
    const int lines = alongRows ? image.height() : image.width();
    const int length = alongRows ? image.width() : image.height();
    const int window = 2 * radius + 1;
    std::vector<QRgb> line(static_cast<std::size_t>(length));
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> QRgb& {
            return alongRows ? reinterpret_cast<QRgb*>(image.scanLine(l))[i]
                             : reinterpret_cast<QRgb*>(image.scanLine(i))[l];
        };
        for (int i = 0; i < length; ++i)
            line[std::size_t(i)] = at(i);
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length)
                return;
            const QRgb p = line[std::size_t(i)];
            sum[0] += sign * qAlpha(p);
            sum[1] += sign * qRed(p);
            sum[2] += sign * qGreen(p);
            sum[3] += sign * qBlue(p);
        };
        for (int i = -radius; i < radius; ++i)
            add(i, 1);
        for (int i = 0; i < length; ++i) {
            add(i + radius, 1);
            auto mean = [&](int total) { return (total + window / 2) / window; };
            at(i) = qRgba(mean(sum[1]), mean(sum[2]), mean(sum[3]), mean(sum[0]));
            add(i - radius, -1);
        }
    }
}

// Three box blurs each way come within a few per cent of a Gaussian; the box
// width is the one SVG gives for that approximation.
void gaussianBlur(QImage& image, qreal deviation) {
    const int width = int(std::floor(deviation * 3 * std::sqrt(2 * M_PI) / 4 + 0.5));
    const int radius = width / 2;
    if (radius < 1)
        return;
    for (bool alongRows : {true, false})
        for (int pass = 0; pass < 3; ++pass)
            boxBlur(image, radius, alongRows);
}

// A drawing that says its edges lie on the pixel grid (crisp edges for the
// whole drawing) is pixel art: each shape a run of whole pixels.
bool onPixelGrid(const QByteArray& document) {
    QXmlStreamReader reader(document);
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd())
        if (reader.isStartElement())
            return reader.attributes().value(QStringLiteral("shape-rendering")) == u"crispEdges";
    return false;
}

// Scale2x (EPX): every pixel becomes four; a quarter takes the colour of its two
// outer neighbours where those agree and the others do not, so a staircase of
// whole pixels becomes a diagonal while flat areas and straight edges stay as
// they are.
QImage scale2x(const QImage& source) {
    const int width = source.width();
    const int height = source.height();
    QImage out(2 * width, 2 * height, source.format());
    auto at = [&](int x, int y) {
        x = qBound(0, x, width - 1);
        y = qBound(0, y, height - 1);
        return reinterpret_cast<const QRgb*>(source.constScanLine(y))[x];
    };
    for (int y = 0; y < height; ++y) {
        QRgb* upper = reinterpret_cast<QRgb*>(out.scanLine(2 * y));
        QRgb* lower = reinterpret_cast<QRgb*>(out.scanLine(2 * y + 1));
        for (int x = 0; x < width; ++x) {
            const QRgb p = at(x, y);
            const QRgb above = at(x, y - 1);
            const QRgb right = at(x + 1, y);
            const QRgb left = at(x - 1, y);
            const QRgb below = at(x, y + 1);
            const bool corners = above != below && left != right;
            const std::ptrdiff_t column = std::ptrdiff_t(2) * x;
            upper[column] = corners && left == above ? left : p;
            upper[column + 1] = corners && above == right ? right : p;
            lower[column] = corners && left == below ? left : p;
            lower[column + 1] = corners && below == right ? right : p;
        }
    }
    return out;
}

QImage drawnAt(const Picture& entry, qreal ratio) {
    QImage image = renderDrawing(drawingPath(entry), ratio, entry.format == Jpeg);
    if (image.isNull())
        throw std::runtime_error("picture " + std::string(entry.name) + " has no drawing");
    image.setDevicePixelRatio(ratio);
    return image;
}

// The window icon: the file's own images where a display wants exactly their
// pixel sizes, the drawings (the small one up to 24 pixels) everywhere else.
class WindowIconEngine : public QIconEngine {
public:
    QIconEngine* clone() const override { return new WindowIconEngine(*this); }

    // What a window hands its frame and task bar. Any other size can be asked
    // for; these are the ones sent along with every window, so no large ones.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = qMin(size.width(), size.height());
        return {side, side};
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1);
    }

    // QIcon asks with the size already in device pixels. On X11 every window
    // hands its frame all the sizes above as it is made, and Qt asks twice:
    // each size is decoded or drawn once, not for every window every time.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) override {
        const int pixels = qMin(size.width(), size.height());
        if (pixels <= 0)
            return {};
        const QString key = QStringLiteral("qirtaz:window icon@%1").arg(pixels);
        QPixmap pixmap;
        const Picture& entry = named(u"window");
        if (pixels == entry.size.width()) {
            pixmap = picture(u"window"); // the larger image, as the build decoded it
        } else if (!QPixmapCache::find(key, &pixmap)) {
            QImage image;
            if (pixels < entry.size.width()) {
                static const QList<QImage> own = decodeAll(entry);
                for (const QImage& one : own)
                    if (one.width() == pixels)
                        image = one;
            }
            if (image.isNull()) {
                const bool small = pixels <= 24;
                image = renderDrawing(drawingPath(entry, small), pixels / (small ? 16.0 : 32.0));
            }
            pixmap = QPixmap::fromImage(image);
            QPixmapCache::insert(key, pixmap);
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * scale, mode, state, scale));
    }
};

} // namespace

std::span<const Picture> allPictures() {
    return pictures;
}

const Picture* findPicture(QStringView name) {
    for (const Picture& picture : pictures)
        if (name == QLatin1StringView(picture.name))
            return &picture;
    return nullptr;
}

QString resourcePath(const Picture& picture) {
    const char* extension = picture.format == Gif    ? ".gif"
                            : picture.format == Jpeg ? ".jpg"
                                                     : ".ico";
    return QStringLiteral(":/pictures/") + QLatin1StringView(picture.name) +
           QLatin1StringView(extension);
}

QPixmap picture(QStringView name) {
    const Picture& entry = named(name);
    const QString key = cacheKey(entry);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(decode(entry));
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

QPixmap picture(QStringView name, qreal devicePixelRatio) {
    if (devicePixelRatio <= 1)
        return picture(name);
    const Picture& entry = named(name);
    const QString key =
        QStringLiteral("qirtaz:%1@%2").arg(QLatin1StringView(entry.name)).arg(devicePixelRatio);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        // A background drawn at three times its size is some 8 MB, over the
        // cache's usual 10 MB: room for every picture at a few ratios, so that
        // no paint has to render a drawing again.
        if (QPixmapCache::cacheLimit() < 96 * 1024)
            QPixmapCache::setCacheLimit(96 * 1024);
        pixmap = QPixmap::fromImage(drawnAt(entry, devicePixelRatio));
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

QString drawingPath(const Picture& picture, bool small) {
    const QString path = QStringLiteral(":/drawings/") + QLatin1StringView(picture.name) +
                         (small ? QStringLiteral("-16.svg") : QStringLiteral(".svg"));
    return small && !QFile::exists(path) ? drawingPath(picture, false) : path;
}

QImage renderDrawing(const QString& drawing, qreal scale, bool opaque) {
    QFile file(drawing);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray document = file.readAll();
    const QSizeF size = QSvgRenderer(document).defaultSize();
    if (size.isEmpty())
        return {};
    // The drawing at exactly its scale; a last column or row it covers only in
    // part is part of the image, so that nothing of it is lost or stretched.
    const QRectF target(QPointF(), size * scale);
    const QSize pixels(int(std::ceil(target.width() - 1e-6)),
                       int(std::ceil(target.height() - 1e-6)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::white : Qt::transparent);
    QPainter onto(&image);

    if (scale > 1 && onPixelGrid(document)) {
        // Rendered larger, a drawing made of whole pixels is only its pixels
        // blown up: the same staircases, in blocks. Its own pixels, enlarged by
        // a pixel-art scaler that turns staircases into diagonals, are what a
        // finer display can show of it.
        QImage grid(size.toSize(), QImage::Format_ARGB32_Premultiplied);
        grid.fill(Qt::transparent);
        QPainter painter(&grid);
        QSvgRenderer(document).render(&painter, QRectF(QPointF(), size));
        painter.end();
        qreal reached = 1;
        while (reached < scale - 1e-6) {
            grid = scale2x(grid);
            reached *= 2;
        }
        onto.setRenderHint(QPainter::SmoothPixmapTransform, reached != scale);
        onto.drawImage(QRectF(QPointF(), size * scale), grid);
        return image;
    }

    for (const Layer& layer : layersOf(document)) {
        QImage part(pixels, QImage::Format_ARGB32_Premultiplied);
        part.fill(Qt::transparent);
        QPainter painter(&part);
        QSvgRenderer(layer.document).render(&painter, target);
        painter.end();
        if (layer.blur > 0)
            gaussianBlur(part, layer.blur * scale);
        onto.drawImage(0, 0, part);
    }
    return image;
}

QIcon windowIcon() {
    return QIcon(new WindowIconEngine);
}

} // namespace qirtaz::screens
