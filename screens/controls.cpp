#include "screens/controls.h"

#include "screens/pictures.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>

namespace qirtaz::screens {

ClientArea::ClientArea(QWidget* parent)
    : QWidget(parent) {}

void ClientArea::setBackground(const QString& picture) {
    background_ = picture;
    update();
}

void ClientArea::paintEvent(QPaintEvent* /*event*/) {
    if (background_.isEmpty())
        return;
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), screens::picture(background_, devicePixelRatioF()));
}

ScreenWindow::ScreenWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , client_(new ClientArea(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(client_);
    client_->setObjectName(QStringLiteral("client"));
}

QMenuBar* ScreenWindow::addMenuBar() {
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        layout()->setMenuBar(menuBar_);
    }
    return menuBar_;
}

void ScreenWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closedThroughFrame();
}

bool Clickable::handlePress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return false;
    pressedOnMe = true;
    return true;
}

bool Clickable::handleRelease(QMouseEvent* event, const QWidget& self) {
    if (event->button() != Qt::LeftButton || !pressedOnMe)
        return false;
    pressedOnMe = false;
    return self.rect().contains(event->position().toPoint());
}

PictureControl::PictureControl(QWidget* parent)
    : QFrame(parent) {}

void PictureControl::setPicture(const QString& picture) {
    picture_ = picture;
    update();
}

void PictureControl::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (picture_.isEmpty())
        return;
    QPainter painter(this);
    // Unscaled, from the top-left corner inside the border.
    painter.drawPixmap(contentsRect().topLeft(), screens::picture(picture_, devicePixelRatioF()));
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
    if (!click_.handlePress(event))
        QFrame::mousePressEvent(event);
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.handleRelease(event, *this))
        emit clicked();
    else
        QFrame::mouseReleaseEvent(event);
}

ClickableLabel::ClickableLabel(QWidget* parent)
    : QLabel(parent) {}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (!click_.handlePress(event))
        QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.handleRelease(event, *this))
        emit clicked();
    else
        QLabel::mouseReleaseEvent(event);
}

MultiLineBox::MultiLineBox(QWidget* parent)
    : QTextEdit(parent) {
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every other box of the program.
    setTabChangesFocus(true);
    setTextAlignment(Qt::AlignLeft);
}

void MultiLineBox::setTextAlignment(Qt::Alignment horizontal) {
    QTextOption option = document()->defaultTextOption();
    // Left is the leading edge, which Qt mirrors in a right-to-left line; right
    // is the right edge itself.
    option.setAlignment(horizontal & Qt::AlignRight ? Qt::AlignRight | Qt::AlignAbsolute
                                                    : Qt::AlignLeading);
    document()->setDefaultTextOption(option);
    // Without wrapping the box lays lines out at their natural width, where
    // alignment has nothing to act on, until it sees aligned content on a
    // change of its width. Tell it of one, so it lays out against its own width.
    QResizeEvent widthChanged(viewport()->size(), QSize(-1, viewport()->height()));
    QCoreApplication::sendEvent(viewport(), &widthChanged);
}

Qt::Alignment MultiLineBox::textAlignment() const {
    return document()->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask &
           ~Qt::AlignAbsolute;
}

bool onClick(QObject* control, QObject* context, std::function<void()> handler) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, context, [handler] { handler(); });
    } else if (auto* picture = qobject_cast<PictureControl*>(control)) {
        QObject::connect(picture, &PictureControl::clicked, context, std::move(handler));
    } else if (auto* label = qobject_cast<ClickableLabel*>(control)) {
        QObject::connect(label, &ClickableLabel::clicked, context, std::move(handler));
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        QObject::connect(action, &QAction::triggered, context, [handler] { handler(); });
    } else {
        return false;
    }
    return true;
}

} // namespace qirtaz::screens
