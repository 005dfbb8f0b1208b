// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kinds of control the screens are built from, beyond Qt's own line edit,
// push button and radio button.

#include <QAbstractScrollArea>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QShortcut;

namespace qirtaz::screens {

// A screen's client area: its background picture (named as among the
// pictures) drawn unscaled from the top-left corner and cut at the edge, over
// the background colour; on a display of more pixels per inch, at its pixels.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(QWidget* parent = nullptr);

    void setBackground(const QString& picture);
    // From now on the area may grow past its present size, never below it:
    // grows takes all the extra width and height, every other control keeps
    // its distance to the right edge, and those below grows to the bottom one.
    void growAround(QWidget* grows);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString background_;
    QPointer<QWidget> grows_;
    QSize laidOut_;                              // the size the controls were placed for
    std::vector<std::pair<QWidget*, QRect>> at_; // each control where it was placed
};

// The steps lettering zooms in, as scales of its own size: step 0 is 1, and
// every step a little larger than the one before.
inline constexpr int SmallestZoom = -4;
inline constexpr int LargestZoom = 7;
qreal zoomScale(int step);
// The keys that zoom: larger (two keys), smaller, and back to step 0.
QList<QKeySequence> zoomKeys(int by);
// Actions under those keys that zoom by calling scaled with the scale of the
// step reached: items of menu, or else the window's own; returns the function
// that goes steps further (as Ctrl and the mouse wheel do).
std::function<void(int)> addZoom(QWidget& window, QMenu* menu, std::function<void(qreal)> scaled);

// One screen's window: a client area of fixed size (see letGrow), under a menu bar where
// the screen has one. Closing it through its frame is reported, never refused.
// Every screen but the main window is a dialog: Esc closes it as its frame's
// close box does, unless a key of its own (its cancel command) takes Esc first.
class ScreenWindow : public QWidget {
    Q_OBJECT
public:
    explicit ScreenWindow(QWidget* parent = nullptr);

    ClientArea* client() const { return client_; }
    QMenuBar* menuBar() const { return menuBar_; }
    QMenuBar* addMenuBar();
    // The menu of the menu bar with that title ('&' marks its letter and is not
    // compared), added at the bar's end if there is none yet: every menu of a
    // window, the catalogue's and the program's own, joins the bar here.
    QMenu* menu(const QString& title);

    void setDialog(bool dialog) { dialog_ = dialog; }
    // Opens as built and may then be resized by its frame and maximized,
    // never below its built size: grows, a control of the client area, takes
    // all the extra room (see ClientArea::growAround). Before it is shown.
    void letGrow(QWidget* grows);
    bool isDialog() const { return dialog_; }

    // Asked before the window closes through its frame; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

signals:
    void closedThroughFrame();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ClientArea* client_;
    QMenuBar* menuBar_ = nullptr;
    bool dialog_ = false;
    std::function<bool()> closeGuard_;
};

// How a picture or a label takes a click: a press and a release of the left
// button on it, as a push button does, a press through assistive technology,
// its key, or Enter or Space while it has the keyboard focus (see ArrowKeys). Attached to the
// pictures and labels a command is bound to; it is what makes them buttons to assistive technology
// too (see installAccessibility).
class Clicks : public QObject {
    Q_OBJECT
public:
    // The control's click mechanism, attached on first use.
    static Clicks& of(QWidget* control);
    // nullptr for a control that takes no clicks.
    static Clicks* find(const QObject* control);

    QWidget* control() const { return control_; }

    // Does what a click does, unless the control is disabled: the controls of a
    // screen that has gone take no more clicks.
    void click();

    // A key that clicks the control wherever the focus is in its window.
    void setShortcut(const QKeySequence& keys);
    QKeySequence shortcut() const;

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit Clicks(QWidget* control);

    QWidget* control_;
    QShortcut* shortcut_ = nullptr;
    bool pressed_ = false;
};

// A picture, optionally framed by a sunken border two pixels wide. Without a
// picture it draws only its border; with a command bound it takes clicks over
// its whole rectangle. With the keyboard focus it shows a focus frame.
class PictureControl : public QFrame {
    Q_OBJECT
public:
    explicit PictureControl(QWidget* parent = nullptr);

    // A picture by its name among the pictures, drawn at the display's pixels.
    void setPicture(const QString& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString picture_;
};

// A label of a screen: static text, or with a command bound, a control that takes
// clicks; transparent ones let what lies behind show through. With the keyboard
// focus it shows a focus frame.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A command button whose key clicks it at once and leaves the keyboard focus
// where it was: a key of the main window must not take the caret from the post.
// Enter clicks it while it has the focus, as Space does.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The arrow keys over some of a screen's controls, beside Tab, whose order stays
// as catalogued. The screens read right to left: the controls are taken row by
// row from the top, each row from its right end, and Left moves the focus to the
// next one, Right to the one before, wrapping round, so that both go the way the
// user sees. Up and Down move to the nearest control, left to right, in the row
// above or below; the screen's text boxes count there too, so that Up and Down
// lead into a box and out of it, while Left and Right stay the box's own.
// Pictures and labels among the controls take the focus so, and by a click,
// never by Tab.
class ArrowKeys : public QObject {
    Q_OBJECT
public:
    // Attaches the arrow keys to the controls, all of one window's client area.
    static ArrowKeys* install(const QList<QWidget*>& controls);

    // The controls in the order Left walks them.
    QList<QWidget*> readingOrder() const;
    // Where an arrow key moves the focus from a control; nullptr: nowhere.
    QWidget* target(QWidget* from, int key) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ArrowKeys(QWidget* client, const QList<QWidget*>& controls);
    // The controls and the text boxes that show, in rows from the top, each
    // from the right.
    QList<QList<QWidget*>> rows() const;

    QWidget* client_;
    QList<QPointer<QWidget>> controls_;
};

// An option button of a screen's one group. Clicking a chosen button leaves it
// chosen; choosing one clears the others (see the builder).
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override { setChecked(true); }
};

// The multi-line text box is the post box, a widget of a folder above this one:
// the program says how to make one before any screen is built. Until it does,
// a plain text box that never wraps stands in, with both scroll bars.
using MultiLineMaker = std::function<QAbstractScrollArea*(QWidget* parent)>;
void setMultiLineMaker(MultiLineMaker maker);
QAbstractScrollArea* makeMultiLine(QWidget* parent);

// Connects a control's click, whatever its kind, to a handler that lives as long
// as context does. Returns false for a control that cannot be clicked.
bool onClick(QObject* control, QObject* context, std::function<void()> handler);

// Clicks the control as the user would. Returns false for a control that cannot be clicked.
bool click(QObject* control);

// The key that clicks the control wherever the focus is in its window; empty
// for none.
QKeySequence shortcut(const QObject* control);

// Gives the control a key that clicks it wherever the focus is in its window;
// assistive technology reports the key as the control's key binding. Returns
// false for a control that cannot be clicked.
bool setShortcut(QObject* control, const QKeySequence& keys);

// Lays the menu out right to left, its items' words read from the right and
// their keys at the left edge, in a program whose own direction stays left to
// right; the codes and tags in an item read as typed (typedOrder).
void setRightToLeft(QMenu* menu);

// A right-to-left caption with codes and tags in it, as drawn: each run of
// Latin letters, digits and punctuation (":D", "[img]", "MyBB 1.8") isolated
// left to right, so that ":D" does not read "D:" nor "[/b]" "[b/]".
QString typedOrder(QStringView caption);

// Shows the user, and tells a screen reader, that a command has done its work,
// in a short note beside the control.
void tellDone(QWidget* control, const QString& note);

// Makes the screens' own kinds of control known to assistive technology: windows
// as windows (dialogs for every screen but the main one), option buttons as radio
// buttons, and the pictures and labels that take clicks as push buttons with a
// name, a press action and their key. Called by the builder; once is enough.
void installAccessibility();

} // namespace qirtaz::screens
