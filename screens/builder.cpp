// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/builder.h"

#include "screens/font_configuration.h"
#include "screens/pictures.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <limits>
#include <vector>

namespace qirtaz::screens {
namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

QColor rgb(int colour) {
    return QColor::fromRgb(QRgb(colour));
}

QFont fontFor(Face face) {
    switch (face) {
    case Face::Default:
        break;
    case Face::DecorativeArabic9Bold: {
        QFont font(QStringLiteral("KacstDecorative"), 9, QFont::Bold);
        font.setStyleHint(QFont::Decorative);
        return font;
    }
    case Face::SansSerif12BoldItalic: {
        QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPointSize(12);
        font.setBold(true);
        font.setItalic(true);
        return font;
    }
    }
    return {};
}

void setColour(QWidget* widget, QPalette::ColorRole role, int colour) {
    if (colour == DefaultColour)
        return;
    QPalette palette = widget->palette();
    palette.setColor(role, rgb(colour));
    widget->setPalette(palette);
}

// Whether the caption shows whole: a label's within its rectangle, wrapped
// where it is tall enough; a button's or an option's within the part of the
// control its style leaves for text.
bool captionFits(QWidget* widget, const QString& caption) {
    const QFontMetrics metrics(widget->font());
    QRect room;
    int flags = Qt::AlignCenter;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        room = label->contentsRect();
        flags = int(label->alignment()) | Qt::TextWordWrap;
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = caption;
        room = button->style()->subElementRect(qobject_cast<QRadioButton*>(button)
                                                   ? QStyle::SE_RadioButtonContents
                                                   : QStyle::SE_PushButtonContents,
                                               &option, button);
    } else {
        return true;
    }
    const QRect needed = metrics.boundingRect(room, flags, caption);
    return needed.width() <= room.width() && needed.height() <= room.height();
}

// The layouts were drawn for a narrower face than the desktop's: a caption that
// would be cut is set a little smaller until it shows whole. The rectangles stay
// as drawn.
void fitCaption(QWidget* widget, const QString& caption) {
    if (caption.isEmpty())
        return;
    QFont font = widget->font();
    constexpr qreal Smallest = 6;
    while (!captionFits(widget, caption) && font.pointSizeF() - 0.25 >= Smallest) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        widget->setFont(font);
    }
}

// A control's kind to assistive technology is settled when it is first asked
// for, which may be as early as its first text: a control that takes clicks
// says so before anything else is set.
QWidget* makeLabel(const Control& row, QWidget* parent, bool takesClicks) {
    auto* label = new ClickableLabel(parent);
    if (takesClicks)
        Clicks::of(label);
    label->setText(utf8(row.text));
    label->setWordWrap(true);
    label->setAlignment(((row.look & Centred) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    setColour(label, QPalette::WindowText, row.textColour);
    if (!(row.look & Transparent)) {
        label->setAutoFillBackground(true);
        const int back = row.backColour != DefaultColour
                             ? row.backColour
                             : int(label->palette().color(QPalette::Button).rgb() & 0xFFFFFF);
        setColour(label, QPalette::Window, back);
    }
    return label;
}

QWidget* makeTextBox(const Control& row, QWidget* parent) {
    QWidget* box = nullptr;
    if (row.look & MultiLine) {
        QAbstractScrollArea* edit = makeMultiLine(parent);
        edit->setProperty("plainText", utf8(row.text));
        if (!(row.look & BothScrollBars)) {
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
        box = edit;
    } else {
        auto* edit = new QLineEdit(parent);
        // A pasted text is never cut short: the box takes as much as the user gives it.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setText(utf8(row.text));
        box = edit;
    }
    setColour(box, QPalette::Text, row.textColour);
    return box;
}

QWidget* makePicture(const Control& row, QWidget* parent, bool takesClicks) {
    auto* picture = new PictureControl(parent);
    if (takesClicks)
        Clicks::of(picture);
    if (row.look & Sunken) {
        picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        picture->setLineWidth(2);
    }
    if (*row.picture)
        picture->setPicture(QString::fromLatin1(row.picture));
    return picture;
}

QWidget* makeControl(const Control& row, QWidget* parent, bool takesClicks) {
    QWidget* widget = nullptr;
    switch (row.kind) {
    case Kind::Label:
        widget = makeLabel(row, parent, takesClicks);
        break;
    case Kind::TextBox:
        widget = makeTextBox(row, parent);
        break;
    case Kind::CommandButton:
        widget = new CommandButton(utf8(row.text), parent);
        break;
    case Kind::OptionButton:
        widget = new OptionButton(utf8(row.text), parent);
        break;
    case Kind::Picture:
        widget = makePicture(row, parent, takesClicks);
        break;
    }
    widget->setObjectName(QLatin1StringView(row.name));
    widget->setGeometry(row.rect.toPixels());
    if (*row.tooltip)
        widget->setToolTip(utf8(row.tooltip));
    if (row.face != Face::Default)
        widget->setFont(fontFor(row.face));
    if (!takesFocus(row.kind))
        widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

Qt::WindowFlags frameFor(const Screen& screen) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (screen.minimizable)
        flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

// What assistive technology calls each control: the name its layout gives it,
// else its tooltip; a box takes the caption of its prompt. Buttons with a
// caption and no name of their own are called by their caption, as Qt does.
void nameForAssistiveTechnology(const Screen& screen, const Control& row, QWidget* widget) {
    const QString tooltip = utf8(row.tooltip);
    const QString spoken = utf8(row.spoken);
    QString name = spoken;
    if (!tooltip.isEmpty() &&
        (row.kind == Kind::Picture || row.kind == Kind::Label || row.kind == Kind::TextBox)) {
        name = tooltip;
        if (!spoken.isEmpty())
            widget->setAccessibleDescription(spoken);
    }
    if (row.kind == Kind::TextBox && spoken.isEmpty()) {
        for (const Control& prompt : screen.controls)
            if (QLatin1StringView(prompt.prompts) == QLatin1StringView(row.name))
                name = utf8(prompt.text);
    }
    if (!name.isEmpty())
        widget->setAccessibleName(name);
}

// A screen's option buttons form one group: choosing one clears the others.
// Kept by hand rather than by Qt's own exclusive groups, which let Tab stop at
// one button of the group only; here Tab stops at every one of them.
void groupOptionButtons(QWidget* client) {
    const auto options = client->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    for (QRadioButton* option : options) {
        option->setAutoExclusive(false);
        QObject::connect(option, &QRadioButton::toggled, option, [option, options](bool chosen) {
            if (!chosen)
                return;
            for (QRadioButton* other : options)
                if (other != option)
                    other->setChecked(false);
        });
    }
}

} // namespace

std::unique_ptr<ScreenWindow> buildWindow(const Screen& screen,
                                          const std::function<bool(QStringView)>& takesClicks) {
    installAccessibility();
    auto window = std::make_unique<ScreenWindow>();
    window->setDialog(QLatin1StringView(screen.name) !=
                      QLatin1StringView(allScreens().front().name));
    window->setObjectName(QLatin1StringView(screen.name));
    window->setWindowTitle(utf8(screen.caption));
    window->setWindowFlags(frameFor(screen));
    window->setWindowIcon(windowIcon());
    // The layouts were drawn for a small user-interface face; at the desktop's
    // usual size the longer captions would not fit their labels.
    QFont face = window->font();
    face.setPointSizeF(8);
    window->setFont(face);

    ClientArea* client = window->client();
    const QRect area = screen.client.toPixels();
    client->setFixedSize(area.size());
    if (screen.backColour != DefaultColour) {
        client->setAutoFillBackground(true);
        setColour(client, QPalette::Window, screen.backColour);
    }
    if (*screen.background)
        client->setBackground(QString::fromLatin1(screen.background));

    for (const Menu& entry : screen.menus) {
        QMenu* menu = window->menu(utf8(entry.caption));
        menu->setObjectName(QLatin1StringView(entry.name));
        QAction* item = menu->addAction(utf8(entry.itemCaption));
        item->setObjectName(QLatin1StringView(entry.itemName));
    }

    // Rows run front to back and a widget made later lies above those made
    // before it, so build back to front: windowless controls first, then the
    // windowed ones, which always lie above them. The windowless ones are made
    // while the font configuration may still be being read: a label or a
    // picture measures no text until it is asked its size, or its caption is
    // fitted below. A text box lays its text out as it is given it.
    std::vector<std::pair<const Control*, QWidget*>> made;
    std::vector<std::pair<int, QWidget*>> focusable;
    for (bool windowed : {false, true}) {
        if (windowed)
            awaitFontConfiguration();
        for (std::size_t i = screen.controls.size(); i-- > 0;) {
            const Control& row = screen.controls[i];
            if (takesFocus(row.kind) != windowed)
                continue;
            QWidget* widget =
                makeControl(row, client, takesClicks && takesClicks(QString::fromLatin1(row.name)));
            nameForAssistiveTechnology(screen, row, widget);
            made.emplace_back(&row, widget);
            if (windowed)
                focusable.emplace_back(row.tab, widget);
        }
    }
    for (const auto& [row, widget] : made)
        if (row->kind != Kind::TextBox)
            fitCaption(widget, utf8(row->text));

    groupOptionButtons(client);

    std::stable_sort(focusable.begin(), focusable.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1].second, focusable[i].second);
    if (!focusable.empty())
        focusable.front().second->setFocus(Qt::OtherFocusReason);

    return window;
}

} // namespace qirtaz::screens
