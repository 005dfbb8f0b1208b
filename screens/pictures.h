#pragma once
// Every picture the screens show, embedded in the program and decoded on first
// use. A picture shown by several screens is one picture: they share its pixels.

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringView>

#include <span>

namespace qirtaz::screens {

enum class PictureFormat { Gif, Jpeg, Icon };

struct Picture {
    const char* name = ""; // as the layout sheets refer to it
    PictureFormat format = PictureFormat::Jpeg;
    QSize size;      // pixels; for an icon, its larger image
    int colours = 0; // palette entries of a GIF or an icon; 0 for a JPEG's true colour
};

std::span<const Picture> allPictures();

// nullptr when there is no such picture.
const Picture* findPicture(QStringView name);

// Where the picture's file lives among the program's resources.
QString resourcePath(const Picture& picture);

// The picture decoded, at its own size (an icon gives its 32 x 32 image).
// Throws std::invalid_argument for a name that is no picture.
QPixmap picture(QStringView name);

// The icon every screen's window carries, with both of its images.
QIcon windowIcon();

} // namespace qirtaz::screens
