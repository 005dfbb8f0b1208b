// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every picture the screens show, embedded in the program both as its file and
// as the pixels the build decoded from it, which its pixmap reads where they
// lie. A picture shown by several screens is one picture: they share its pixels.

#include <QIcon>
#include <QLoggingCategory>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringView>

#include <span>

namespace qirtaz::screens {

Q_DECLARE_LOGGING_CATEGORY(screensLog)

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

// The picture as a device of that pixel ratio shows it. At 1, the file itself,
// pixel for pixel. Above 1 a file's pixels would have to be blown up, so the
// picture's drawing is rendered at the device's own pixel size instead: the
// result covers the picture's size in device-independent pixels and carries
// the ratio. Throws std::invalid_argument for a name that is no picture.
QPixmap picture(QStringView name, qreal devicePixelRatio);

// Where a picture's drawing lives among the program's resources; an icon's
// 16 x 16 image may have a simpler drawing of its own (small = true).
// Empty where there is no such drawing.
QString drawingPath(const Picture& picture, bool small = false);

// The drawing at `scale` device pixels to one of the picture's pixels, in an
// image just large enough to hold it. JPEG pictures are opaque: what the drawing
// leaves open is white, as in their files.
QImage renderDrawing(const QString& drawing, qreal scale, bool opaque = false);

// The icon every screen's window carries: its two catalogued images at 16 x 16
// and 32 x 32 on an ordinary display, its drawings at every other pixel size.
QIcon windowIcon();

} // namespace qirtaz::screens
