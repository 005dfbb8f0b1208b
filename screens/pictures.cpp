#include "screens/pictures.h"

#include <QImageReader>
#include <QPixmapCache>

#include <array>
#include <stdexcept>

namespace qirtaz::screens {
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
        if (image.isNull())
            break;
        images.append(image);
    } while (reader.jumpToNextImage());
    return images;
}

QImage decode(const Picture& picture) {
    const QList<QImage> images = decodeAll(picture);
    for (const QImage& image : images)
        if (image.size() == picture.size)
            return image;
    // Embedded at build time and checked by the tests: a picture that does not
    // decode to its size is a broken build, not something a user can cause.
    throw std::runtime_error("picture " + std::string(picture.name) +
                             " does not decode to its size");
}

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
    const QString key = QStringLiteral("qirtaz:") + QLatin1StringView(entry.name);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(decode(entry));
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

QIcon windowIcon() {
    QIcon icon;
    for (const QImage& image : decodeAll(named(u"window")))
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

} // namespace qirtaz::screens
