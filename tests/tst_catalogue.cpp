// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every screen is built as its layout sheet draws it: sizes, controls, what lies
// in front of what, where the focus starts and where Tab takes it.

#include "screens/builder.h"
#include "support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

using namespace qirtaz;
using namespace qirtaz::screens;
using namespace qirtaz::testing;

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The control a click on this point reaches, by the rules of the layout sheet:
// windowed controls lie above windowless ones, and rows run front to back.
const Control* frontMost(const Screen& screen, QPoint pixel) {
    for (bool windowed : {true, false})
        for (const Control& row : screen.controls)
            if (takesFocus(row.kind) == windowed && row.rect.toPixels().contains(pixel))
                return &row;
    return nullptr;
}

} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void buildsEveryScreenAtItsRectangles_data();
    void buildsEveryScreenAtItsRectangles();
    void clicksReachTheFrontMostControl_data() { buildsEveryScreenAtItsRectangles_data(); }
    void clicksReachTheFrontMostControl();
    void focusStartsAndTabsInTabOrder_data();
    void focusStartsAndTabsInTabOrder();
    void swatchesShowOnlyTheirColour();
    void captionsFitTheirRectangles_data() { buildsEveryScreenAtItsRectangles_data(); }
    void captionsFitTheirRectangles();
};

void CatalogueTest::buildsEveryScreenAtItsRectangles_data() {
    QTest::addColumn<QString>("screen");
    for (const Screen& screen : allScreens())
        QTest::newRow(screen.name) << QString::fromLatin1(screen.name);
}

// What the rows cannot say of themselves: that the window keeps its size, that
// every row is a control the user can see, and that none is lost off the
// window's edges or lies over another that takes the keyboard. (Where each
// control goes is the builder's rule, tried on made-up screens in tst_builder;
// which one a click reaches, below.)
void CatalogueTest::buildsEveryScreenAtItsRectangles() {
    QFETCH(QString, screen);
    const Screen& entry = *findScreen(screen);
    const auto window = buildWindow(entry);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const QRect client = window->client()->rect();
    QVERIFY(!client.isEmpty());

    const auto children = window->client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), qsizetype(entry.controls.size()));
    for (QWidget* widget : children) {
        const QByteArray name = widget->objectName().toLatin1();
        QVERIFY2(findControl(entry, widget->objectName()), name);
        QVERIFY2(widget->isVisibleTo(window.get()) && widget->isEnabled(), name);
        QVERIFY2(client.intersects(widget->geometry()), name);
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        for (QWidget* other : children)
            if (other != widget && other->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!widget->geometry().intersects(other->geometry()),
                         name + " over " + other->objectName().toLatin1());
    }
}

void CatalogueTest::clicksReachTheFrontMostControl() {
    QFETCH(QString, screen);
    const Screen& entry = *findScreen(screen);
    const auto window = buildWindow(entry);
    const QRect client(QPoint(), entry.client.toPixels().size());
    for (const Control& row : entry.controls) {
        // A corner and the middle of the part of the control that shows.
        const QRect shown = row.rect.toPixels().intersected(client);
        for (QPoint spot : {shown.center(), shown.topLeft() + QPoint(1, 1)}) {
            const Control* expected = frontMost(entry, spot);
            QWidget* hit = window->client()->childAt(spot);
            // A line edit or a text box answers with an inner part of itself.
            while (hit && hit->parentWidget() != window->client())
                hit = hit->parentWidget();
            QVERIFY2(hit, row.name);
            QCOMPARE(hit->objectName(), QString::fromLatin1(expected->name));
        }
    }
}

void CatalogueTest::focusStartsAndTabsInTabOrder_data() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QStringList>("order");
    // clang-format off
    QTest::newRow("main window") << "Form1" << QStringList{"Text1", "Command4", "Command5", "Command1"};
    QTest::newRow("image")       << "Form2" << QStringList{"Text1"};
    QTest::newRow("link")        << "Form3" << QStringList{"Text1", "Text2"};
    QTest::newRow("flash")       << "Form8" << QStringList{"Text1", "Text2", "Text3"};
    QTest::newRow("colour list") << "Form9" << QStringList{"Command1"};
    QTest::newRow("size")        << "Form17" << QStringList{"Text1", "Command1", "Text2", "Text3", "Text4", "Text5", "Command2", "Command3", "Command4", "Command5"};
    QTest::newRow("realmedia")   << "Form20" << QStringList{"Text1", "Option1", "Option2"};
    // clang-format on
}

void CatalogueTest::focusStartsAndTabsInTabOrder() {
    QFETCH(QString, screen);
    QFETCH(QStringList, order);
    const auto window = buildWindow(*findScreen(screen));
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));

    QStringList visited;
    for (qsizetype i = 0; i <= order.size(); ++i) {
        visited << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Round once and back to the first.
    QCOMPARE(visited, order + QStringList{order.front()});
}

void CatalogueTest::swatchesShowOnlyTheirColour() {
    const Screen& entry = *findScreen(u"Form9");
    const auto window = buildWindow(entry);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    int swatches = 0;
    for (const Control& row : entry.controls) {
        if (row.backColour == DefaultColour)
            continue;
        ++swatches;
        const QImage image =
            window->client()->findChild<QWidget*>(QString::fromLatin1(row.name))->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2((image.pixel(x, y) & 0xFFFFFF) == QRgb(row.backColour), row.name);
    }
    QCOMPARE(swatches, 14);
}

// Every caption shows whole, in the font the screen gives it: a label's within
// its rectangle, wrapped where it is tall enough; a button's or an option's
// within the part of the control its style leaves for text.
void CatalogueTest::captionsFitTheirRectangles() {
    QFETCH(QString, screen);
    const Screen& entry = *findScreen(screen);
    const auto window = buildWindow(entry);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (const Control& row : entry.controls) {
        const QString caption = text(row.text);
        if (caption.isEmpty() || row.kind == Kind::TextBox)
            continue;
        auto* widget = window->client()->findChild<QWidget*>(QString::fromLatin1(row.name));
        const QFontMetrics metrics(widget->font());
        QRect room;
        QRect needed;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            room = label->contentsRect();
            needed =
                metrics.boundingRect(room, int(label->alignment()) | Qt::TextWordWrap, caption);
        } else {
            auto* button = qobject_cast<QAbstractButton*>(widget);
            QVERIFY(button);
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = caption;
            const bool radio = row.kind == Kind::OptionButton;
            room = button->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents
                                                         : QStyle::SE_PushButtonContents,
                                                   &option, button);
            needed = metrics.boundingRect(room, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
        }
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(QStringLiteral("%1: %2x%3 needed, %4x%5 room")
                                .arg(QString::fromLatin1(row.name))
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(room.width())
                                .arg(room.height())));
    }
}

QTEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
