#pragma once
// The kinds of control the screens are built from, beyond Qt's own line edit,
// push button and radio button.

#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QTextEdit>

#include <functional>

class QMenuBar;

namespace qirtaz::screens {

// A screen's client area: its background picture (named as among the
// pictures) drawn unscaled from the top-left corner and cut at the edge, over
// the background colour; on a display of more pixels per inch, at its pixels.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(QWidget* parent = nullptr);

    void setBackground(const QString& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString background_;
};

// One screen's window: a client area of fixed size, under a menu bar where
// the screen has one. Closing it through its frame is reported, never refused.
class ScreenWindow : public QWidget {
    Q_OBJECT
public:
    explicit ScreenWindow(QWidget* parent = nullptr);

    ClientArea* client() const { return client_; }
    QMenuBar* menuBar() const { return menuBar_; }
    QMenuBar* addMenuBar();

signals:
    void closedThroughFrame();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ClientArea* client_;
    QMenuBar* menuBar_ = nullptr;
};

// Something that reports a click: a press and a release of the left button
// on the same control, as a push button does.
class Clickable {
public:
    bool pressedOnMe = false;
    bool handlePress(QMouseEvent* event);
    bool handleRelease(QMouseEvent* event, const QWidget& self);
};

// A picture, optionally framed by a sunken border two pixels wide. Without a
// picture it draws only its border, but still takes clicks over its whole rectangle.
class PictureControl : public QFrame {
    Q_OBJECT
public:
    explicit PictureControl(QWidget* parent = nullptr);

    // A picture by its name among the pictures, drawn at the display's pixels.
    void setPicture(const QString& picture);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString picture_;
    Clickable click_;
};

// A label that reports clicks; transparent ones let what lies behind show through.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Clickable click_;
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

// The multi-line text box: plain text only, lines that never wrap, both scroll bars.
// Its alignment applies to every line, present and future. Left, as it starts,
// puts each line at the edge it reads from: an Arabic line at the right edge, an
// English one at the left. Right puts every line at the right edge, whatever its
// language.
class MultiLineBox : public QTextEdit {
    Q_OBJECT
public:
    explicit MultiLineBox(QWidget* parent = nullptr);

    void setTextAlignment(Qt::Alignment horizontal);
    Qt::Alignment textAlignment() const;
};

// Connects a control's click, whatever its kind, to a handler that lives as long
// as context does. Returns false for a control that cannot be clicked.
bool onClick(QObject* control, QObject* context, std::function<void()> handler);

} // namespace qirtaz::screens
