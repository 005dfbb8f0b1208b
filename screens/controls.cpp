// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/controls.h"

#include "screens/pictures.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QStyleOption>
#include <QTextEdit>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

namespace qirtaz::screens {

namespace {

// Enter, Return or Space alone, as typed: what presses the control with the focus.
bool isPressKey(const QKeyEvent& key) {
    const bool press =
        key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Space;
    return press && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
           !key.isAutoRepeat();
}

// Where the keyboard is, over whatever the control shows (a swatch may be
// black, white or any colour between): a dark frame with a light one inside it.
void drawFocusFrame(QWidget* control) {
    if (!control->hasFocus())
        return;
    QPainter painter(control);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRect(QRectF(control->rect()).adjusted(1, 1, -1, -1));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(QRectF(control->rect()).adjusted(2.5, 2.5, -2.5, -2.5));
}

} // namespace

qreal zoomScale(int step) {
    static constexpr qreal scales[] = {0.5, 0.67, 0.8, 0.9, 1, 1.1, 1.25, 1.5, 1.75, 2, 2.5, 3};
    static_assert(std::size(scales) == LargestZoom - SmallestZoom + 1);
    return scales[std::clamp(step, SmallestZoom, LargestZoom) - SmallestZoom];
}

QList<QKeySequence> zoomKeys(int by) {
    if (by > 0)
        return {QKeySequence(QStringLiteral("Ctrl+=")), QKeySequence(QStringLiteral("Ctrl++"))};
    if (by < 0)
        return {QKeySequence(QStringLiteral("Ctrl+-"))};
    return {QKeySequence(QStringLiteral("Ctrl+0"))};
}

std::function<void(int)> addZoom(QWidget& window, QMenu* menu, std::function<void(qreal)> scaled) {
    auto step = std::make_shared<int>(0);
    const auto zoomTo = [step, scaled = std::move(scaled)](int to) {
        *step = std::clamp(to, SmallestZoom, LargestZoom);
        scaled(zoomScale(*step));
    };
    for (const int by : {1, -1, 0}) {
        auto* action = new QAction(by > 0   ? QStringLiteral("تكبير الخط")
                                   : by < 0 ? QStringLiteral("تصغير الخط")
                                            : QStringLiteral("الحجم الأصلي للخط"),
                                   &window);
        action->setObjectName(by > 0   ? QStringLiteral("zoomIn")
                              : by < 0 ? QStringLiteral("zoomOut")
                                       : QStringLiteral("zoomReset"));
        action->setShortcuts(zoomKeys(by));
        if (menu)
            menu->addAction(action);
        else
            window.addAction(action);
        QObject::connect(action, &QAction::triggered, &window,
                         [zoomTo, step, by] { zoomTo(by == 0 ? 0 : *step + by); });
    }
    return [zoomTo, step](int steps) { zoomTo(*step + steps); };
}

ClientArea::ClientArea(QWidget* parent)
    : QWidget(parent) {}

void ClientArea::setBackground(const QString& picture) {
    background_ = picture;
    update();
}

void ClientArea::paintEvent(QPaintEvent* event) {
    if (background_.isEmpty())
        return;
    QPainter painter(this);
    const QPixmap picture = screens::picture(background_, devicePixelRatioF());
    // Grown, the area has the picture stretched over all of it.
    if (grows_ && size() != laidOut_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(
            QRect(QPoint(0, 0), size()), picture,
            QRect(QPoint(0, 0), laidOut_ * picture.devicePixelRatio()).intersected(picture.rect()));
        return;
    }
    // One rectangle of what is to be painted at a time. The controls over the
    // area cut it into many, and under a clip of many rectangles the picture
    // is blended line by line, a large one in helper threads started for it;
    // under a clip of one rectangle its lines are copied as they are.
    for (const QRect& part : event->region()) {
        painter.setClipRect(part);
        painter.drawPixmap(QPoint(0, 0), picture);
    }
}

QSize ClientArea::sizeHint() const {
    return grows_ ? laidOut_ : QWidget::sizeHint();
}

void ClientArea::growAround(QWidget* grows) {
    grows_ = grows;
    laidOut_ = size();
    at_.clear();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        at_.emplace_back(child, child->geometry());
    setMinimumSize(laidOut_);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (QLayout* outer = parentWidget() ? parentWidget()->layout() : nullptr)
        outer->setSizeConstraint(QLayout::SetMinimumSize);
}

void ClientArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!grows_)
        return;
    const int dx = std::max(0, width() - laidOut_.width());
    const int dy = std::max(0, height() - laidOut_.height());
    QRect growing;
    for (const auto& [child, rect] : at_)
        if (child == grows_)
            growing = rect;
    for (const auto& [child, rect] : at_) {
        if (child == grows_)
            child->setGeometry(rect.adjusted(0, 0, dx, dy));
        else
            child->setGeometry(rect.translated(dx, rect.top() >= growing.bottom() ? dy : 0));
    }
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

void ScreenWindow::letGrow(QWidget* grows) {
    Qt::WindowFlags flags = windowFlags();
    flags &= ~Qt::MSWindowsFixedSizeDialogHint;
    setWindowFlags(flags | Qt::WindowMaximizeButtonHint);
    client_->growAround(grows);
}

QMenuBar* ScreenWindow::addMenuBar() {
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        layout()->setMenuBar(menuBar_);
    }
    return menuBar_;
}

QMenu* ScreenWindow::menu(const QString& title) {
    QMenuBar* bar = addMenuBar();
    const auto bare = [](QString text) { return text.remove(u'&'); };
    for (QAction* entry : bar->actions())
        if (entry->menu() && bare(entry->text()) == bare(title))
            return entry->menu();
    return bar->addMenu(title);
}

void ScreenWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closedThroughFrame();
}

void ScreenWindow::keyPressEvent(QKeyEvent* event) {
    if (dialog_ && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

Clicks::Clicks(QWidget* control)
    : QObject(control)
    , control_(control) {
    control->installEventFilter(this);
}

Clicks& Clicks::of(QWidget* control) {
    if (Clicks* attached = find(control))
        return *attached;
    return *new Clicks(control);
}

Clicks* Clicks::find(const QObject* control) {
    return control ? control->findChild<Clicks*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void Clicks::click() {
    if (control_->isEnabled())
        emit clicked();
}

void Clicks::setShortcut(const QKeySequence& keys) {
    if (!shortcut_) {
        shortcut_ = new QShortcut(control_);
        shortcut_->setContext(Qt::WindowShortcut);
        connect(shortcut_, &QShortcut::activated, this, &Clicks::click);
        // The same key shown by a menu item, where both reach: each press goes to
        // one of the two, which do the same.
        connect(shortcut_, &QShortcut::activatedAmbiguously, this, &Clicks::click);
    }
    shortcut_->setKey(keys);
}

QKeySequence Clicks::shortcut() const {
    return shortcut_ ? shortcut_->key() : QKeySequence();
}

bool Clicks::eventFilter(QObject* /*watched*/, QEvent* event) {
    // Events still reach a filter on a disabled control; they go no further.
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!isPressKey(*static_cast<QKeyEvent*>(event)))
            return false;
        click();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a double click
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        pressed_ = control_->isEnabled();
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* release = static_cast<QMouseEvent*>(event);
        if (release->button() != Qt::LeftButton)
            return false;
        const bool clicked = std::exchange(pressed_, false) &&
                             control_->rect().contains(release->position().toPoint());
        if (clicked)
            click();
        return true;
    }
    default:
        return false;
    }
}

bool CommandButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        click();
        return true;
    }
    return QPushButton::event(event);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    // The screens are no dialogs of Qt's, where Enter would go to a default button.
    if (isPressKey(*event) && event->key() != Qt::Key_Space) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    drawFocusFrame(this);
}

ArrowKeys::ArrowKeys(QWidget* client, const QList<QWidget*>& controls)
    : QObject(client)
    , client_(client) {
    for (QWidget* control : controls) {
        controls_.append(control);
        if (control->focusPolicy() == Qt::NoFocus)
            control->setFocusPolicy(Qt::ClickFocus);
    }
    for (QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (controls.contains(control) || qobject_cast<QLineEdit*>(control))
            control->installEventFilter(this);
}

ArrowKeys* ArrowKeys::install(const QList<QWidget*>& controls) {
    if (controls.isEmpty())
        return nullptr;
    return new ArrowKeys(controls.front()->parentWidget(), controls);
}

QList<QList<QWidget*>> ArrowKeys::rows() const {
    QList<QWidget*> members;
    for (QWidget* control : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if ((controls_.contains(control) || qobject_cast<QLineEdit*>(control)) &&
            control->isVisible() && control->isEnabled())
            members.append(control);
    std::sort(members.begin(), members.end(), [](QWidget* a, QWidget* b) {
        return a->geometry().center().y() < b->geometry().center().y();
    });
    // A control belongs to the row of the first one when their middles lie
    // within half the lower one's height of each other.
    QList<QList<QWidget*>> rows;
    for (QWidget* control : members) {
        const QRect place = control->geometry();
        if (!rows.isEmpty()) {
            const QRect first = rows.back().front()->geometry();
            if (2 * std::abs(place.center().y() - first.center().y()) <
                std::min(place.height(), first.height())) {
                rows.back().append(control);
                continue;
            }
        }
        rows.append({control});
    }
    for (QList<QWidget*>& row : rows)
        std::sort(row.begin(), row.end(), [](QWidget* a, QWidget* b) {
            return a->geometry().center().x() > b->geometry().center().x();
        });
    return rows;
}

QList<QWidget*> ArrowKeys::readingOrder() const {
    QList<QWidget*> order;
    for (const QList<QWidget*>& row : rows())
        for (QWidget* control : row)
            if (controls_.contains(control))
                order.append(control);
    return order;
}

QWidget* ArrowKeys::target(QWidget* from, int key) const {
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        const QList<QWidget*> order = readingOrder();
        const qsizetype at = order.indexOf(from);
        if (at < 0)
            return nullptr;
        const qsizetype step = key == Qt::Key_Left ? 1 : order.size() - 1;
        return order[(at + step) % order.size()];
    }
    const QList<QList<QWidget*>> all = rows();
    qsizetype row = 0;
    while (row < all.size() && !all[row].contains(from))
        ++row;
    const qsizetype next = key == Qt::Key_Up ? row - 1 : row + 1;
    if (row == all.size() || next < 0 || next >= all.size())
        return nullptr;
    const int x = from->geometry().center().x();
    return *std::min_element(all[next].begin(), all[next].end(), [x](QWidget* a, QWidget* b) {
        return std::abs(a->geometry().center().x() - x) < std::abs(b->geometry().center().x() - x);
    });
}

bool ArrowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = key->key();
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
        (code != Qt::Key_Left && code != Qt::Key_Right && code != Qt::Key_Up &&
         code != Qt::Key_Down))
        return false;
    auto* from = static_cast<QWidget*>(watched);
    const bool isBox = !controls_.contains(from);
    if (isBox && (code == Qt::Key_Left || code == Qt::Key_Right))
        return false; // the caret's
    QWidget* to = target(from, code);
    if (to)
        to->setFocus(Qt::OtherFocusReason);
    // A control of the set keeps its arrows from Qt's buttons, which would tab on.
    return to || !isBox;
}

PictureControl::PictureControl(QWidget* parent)
    : QFrame(parent) {}

void PictureControl::setPicture(const QString& picture) {
    picture_ = picture;
    update();
}

void PictureControl::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!picture_.isEmpty()) {
        QPainter painter(this);
        // Unscaled, from the top-left corner inside the border.
        painter.drawPixmap(contentsRect().topLeft(),
                           screens::picture(picture_, devicePixelRatioF()));
    }
    drawFocusFrame(this);
}

namespace {
MultiLineMaker& multiLineMaker() {
    static MultiLineMaker maker;
    return maker;
}
} // namespace

void setMultiLineMaker(MultiLineMaker maker) {
    multiLineMaker() = std::move(maker);
}

QAbstractScrollArea* makeMultiLine(QWidget* parent) {
    if (multiLineMaker())
        return multiLineMaker()(parent);
    auto* box = new QTextEdit(parent);
    box->setAcceptRichText(false);
    box->setLineWrapMode(QTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    return box;
}

bool onClick(QObject* control, QObject* context, std::function<void()> handler) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, context, [handler] { handler(); });
    } else if (Clicks* clicks = Clicks::find(control)) {
        QObject::connect(clicks, &Clicks::clicked, context, std::move(handler));
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        QObject::connect(action, &QAction::triggered, context, [handler] { handler(); });
    } else {
        return false;
    }
    return true;
}

bool click(QObject* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->click();
    else if (auto* action = qobject_cast<QAction*>(control))
        action->trigger();
    else if (Clicks* clicks = Clicks::find(control))
        clicks->click();
    else
        return false;
    return true;
}

QKeySequence shortcut(const QObject* control) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->shortcut();
    if (const auto* action = qobject_cast<const QAction*>(control))
        return action->shortcut();
    if (const Clicks* clicks = Clicks::find(control))
        return clicks->shortcut();
    return {};
}

bool setShortcut(QObject* control, const QKeySequence& keys) {
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setShortcut(keys);
    else if (auto* action = qobject_cast<QAction*>(control))
        action->setShortcut(keys);
    else if (Clicks* clicks = Clicks::find(control))
        clicks->setShortcut(keys);
    else
        return false;
    return true;
}

namespace {

// Qt lays a right-to-left menu's items out mirrored, but draws their words in
// the application's direction: each item is drawn in the menu's own, and the
// codes and tags in it as typed. The item's own text stays as it is, for the
// screen reader that reads it.
class RightToLeftMenuStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem) {
            painter->setLayoutDirection(option->direction);
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem typed = *item;
                typed.text = typedOrder(item->text);
                return QProxyStyle::drawControl(element, &typed, painter, widget);
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

QString typedOrder(QStringView caption) {
    // A run is Latin letters, digits and punctuation, with single blanks
    // inside it; "&" stays out, as it marks the item's letter.
    const auto inRun = [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7f && c != u'&';
    };
    QString typed;
    typed.reserve(caption.size() + 8);
    for (qsizetype i = 0; i < caption.size();) {
        if (!inRun(caption[i])) {
            typed += caption[i++];
            continue;
        }
        qsizetype end = i;
        while (end < caption.size() &&
               (inRun(caption[end]) || (caption[end] == u' ' && end + 1 < caption.size() &&
                                        inRun(caption[end + 1]) && end > i)))
            ++end;
        typed += QChar(0x2066);
        typed += caption.sliced(i, end - i);
        typed += QChar(0x2069);
        i = end;
    }
    return typed;
}

void setRightToLeft(QMenu* menu) {
    menu->setLayoutDirection(Qt::RightToLeft);
    auto* style = new RightToLeftMenuStyle();
    style->setParent(menu);
    menu->setStyle(style);
}

void tellDone(QWidget* control, const QString& note) {
    // Above the control, where it covers no other control: a tip is placed a
    // little below and right of the point it is given.
    constexpr QPoint TipOffset(2, 16);
    const int tipHeight = QFontMetrics(QToolTip::font()).height() + 8;
    QToolTip::showText(control->mapToGlobal(QPoint(0, -tipHeight - 2)) - TipOffset, note, control);
    // A screen reader speaks a change of the description of the control it is
    // on; the note stays the control's description until the next one.
    control->setAccessibleDescription(note);
}

namespace {

// A window: the main window is a window, every other screen a dialog.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(ScreenWindow* window)
        : QAccessibleWidget(window, QAccessible::Window) {}

    QAccessible::Role role() const override {
        return static_cast<ScreenWindow*>(widget())->isDialog() ? QAccessible::Dialog
                                                                : QAccessible::Window;
    }
};

// An option button of a group kept by hand (see the builder): a radio button,
// whatever Qt would say of a button without its own exclusive group.
class OptionAccessible : public QAccessibleWidget {
public:
    explicit OptionAccessible(OptionButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    OptionButton* button() const { return static_cast<OptionButton*>(widget()); }
};

// A picture or a label that takes clicks: a push button named by its tooltip
// or what the screen's layout gives it to say, pressed as a click presses it.
class ClickableAccessible : public QAccessibleWidget {
public:
    explicit ClickableAccessible(QWidget* control)
        : QAccessibleWidget(control, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            if (!widget()->accessibleName().isEmpty())
                return widget()->accessibleName();
            if (!widget()->toolTip().isEmpty())
                return widget()->toolTip();
            if (auto* label = qobject_cast<QLabel*>(widget()))
                return label->text();
            return {};
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            if (Clicks* clicks = Clicks::find(widget()))
                clicks->click();
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        const Clicks* clicks = Clicks::find(widget());
        if (action != pressAction() || !clicks || clicks->shortcut().isEmpty())
            return {};
        return {clicks->shortcut().toString()};
    }
};

QAccessibleInterface* accessibleControl(const QString& className, QObject* object) {
    const auto is = [&className](const QMetaObject& kind) {
        return className == QLatin1StringView(kind.className());
    };
    if (is(ScreenWindow::staticMetaObject))
        return new WindowAccessible(static_cast<ScreenWindow*>(object));
    if (is(OptionButton::staticMetaObject))
        return new OptionAccessible(static_cast<OptionButton*>(object));
    if ((is(PictureControl::staticMetaObject) || is(ClickableLabel::staticMetaObject)) &&
        Clicks::find(object))
        return new ClickableAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void installAccessibility() {
    static bool installed = false;
    if (!std::exchange(installed, true))
        QAccessible::installFactory(accessibleControl);
}

} // namespace qirtaz::screens
