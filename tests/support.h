// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the suites share: a program with every command bound, clicks that go
// through the window's own hit testing, and a hand that dismisses message boxes.

#include "postbox/post_box.h"
#include "screens/catalogue.h"
#include "shell/post_buffer.h"
#include "shell/registry.h"

#include <QPoint>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <memory>

class QLineEdit;

namespace qirtaz::testing {

// The program as main() sets it up, with its main window shown. A message box
// nobody answers within a few seconds fails the test and is put away with Esc,
// so that a box a fault brings up (the goodbye after the main window closed)
// fails the test at once instead of holding it until CTest's limit.
class Program {
public:
    Program();
    ~Program();
    Registry registry;
    bool finished = false;

private:
    class Unanswered;
    std::unique_ptr<Unanswered> unanswered_;
};

screens::ScreenWindow* windowOf(Registry& registry, QStringView screen);

// Clicks at a point of the screen's client area, given in twips as the layout
// sheets give it, through the window: the front-most control there takes it.
void clickAtTwips(Registry& registry, QStringView screen, QPoint twips);
// Clicks the middle of the part of a control that lies inside the client area.
void click(Registry& registry, QStringView screen, QStringView control);

QString postText(Registry& registry);
// The post box a buffer reaches.
inline postbox::PostBox& postBox(PostBuffer& post) {
    return static_cast<postbox::PostBox&>(post.box());
}
void setPost(Registry& registry, const QString& text);

QLineEdit& box(Registry& registry, QStringView screen, QStringView control);

// Types text into the widget key by key, Arabic letters included.
void typeText(QWidget* widget, const QString& text);

// Lets unloaded windows really go.
void flushDeletes();

// Dismisses the next message boxes with OK as soon as they show, keeping their
// texts; a question is answered yes when leave holds, else with Esc.
class MessageBoxes {
public:
    MessageBoxes();
    ~MessageBoxes();
    QStringList seen;
    bool leave = false;

private:
    class Watcher;
    Watcher* watcher_;
};

// Waits until the screen's window is exposed, so that clicks on it arrive.
bool exposed(Registry& registry, QStringView screen);

// Data rows of columns "screen" and "control": every picture control of every screen.
void addPictureControlRows();
// What lies in front of a picture control, in the client's pixels: boxes and
// buttons always, and the rows the screen lists before it.
QRegion inFrontOf(const screens::Screen& screen, const screens::Control& picture);
// Where the picture's own pixels start: inside the control's sunken border.
QPoint pictureOrigin(const screens::Control& picture);

} // namespace qirtaz::testing
