// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "support.h"

#include "app/wiring.h"
#include "post/post.h"
#include "screens/catalogue.h"
#include "shell/post_buffer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace qirtaz::testing {

class Program::Unanswered : public QObject {
public:
    Unanswered() { startTimer(100); }

protected:
    void timerEvent(QTimerEvent*) override {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            box_ = nullptr;
            return;
        }
        if (box != box_) {
            box_ = box;
            shown_.start();
            return;
        }
        if (shown_.elapsed() < Patience)
            return;
        QTest::qFail(qPrintable(QStringLiteral("a message box nobody answered: ") + box->text()),
                     __FILE__, __LINE__);
        box_ = nullptr;
        QTest::keyClick(box, Qt::Key_Escape);
    }

private:
    // Far longer than any test takes to answer a box it expects.
    static constexpr qint64 Patience = 5000;
    QPointer<QMessageBox> box_;
    QElapsedTimer shown_;
};

Program::Program()
    : unanswered_(std::make_unique<Unanswered>()) {
    QObject::connect(&registry, &Registry::finished, &registry, [this] { finished = true; });
    speakArabic();
    bindAll(registry);
    start(registry);
}

Program::~Program() = default;

screens::ScreenWindow* windowOf(Registry& registry, QStringView screen) {
    return registry.instance(screen).window();
}

bool exposed(Registry& registry, QStringView screen) {
    auto* window = windowOf(registry, screen);
    return window && QTest::qWaitForWindowExposed(window);
}

void clickAtTwips(Registry& registry, QStringView screen, QPoint twips) {
    auto* window = windowOf(registry, screen);
    QVERIFY2(window, "the screen is not loaded");
    // A window just shown is exposed by the next turn of the event loop; the
    // wait below would sleep 10 ms before it looked again.
    if (!window->windowHandle() || !window->windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QPoint inWindow = window->client()->mapTo(window, twips / 15);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, inWindow);
}

void click(Registry& registry, QStringView screen, QStringView control) {
    const screens::Screen* entry = screens::findScreen(screen);
    QVERIFY(entry);
    const screens::Control* row = screens::findControl(*entry, control);
    QVERIFY2(row, qPrintable(control.toString()));
    const QRect rect =
        row->rect.toPixels().intersected(QRect(QPoint(), entry->client.toPixels().size()));
    clickAtTwips(registry, screen, rect.center() * 15);
}

QString postText(Registry& registry) {
    return PostBuffer(registry).text();
}

void setPost(Registry& registry, const QString& text) {
    PostBuffer post(registry);
    auto& box = postBox(post);
    box.setPlainText(QString()); // and no undo history
    box.insertPlainText(text);
}

QLineEdit& box(Registry& registry, QStringView screen, QStringView control) {
    return registry.instance(screen).control<QLineEdit>(control);
}

void typeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
            QTest::keyClick(widget, char(c.unicode()));
            continue;
        }
        // A key the test library has no name for: the key event carries the text alone.
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, length),
                            Qt::NoModifier);
        i += length - 1;
    }
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class MessageBoxes::Watcher : public QObject {
public:
    explicit Watcher(MessageBoxes& boxes)
        : boxes_(boxes) {}

protected:
    void timerEvent(QTimerEvent*) override {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        boxes_.seen << box->text();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else if (!boxes_.leave)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            for (QAbstractButton* button : box->buttons())
                if (box->buttonRole(button) == QMessageBox::DestructiveRole)
                    button->click();
    }

private:
    MessageBoxes& boxes_;
};

MessageBoxes::MessageBoxes()
    : watcher_(new Watcher(*this)) {
    watcher_->startTimer(5);
}

MessageBoxes::~MessageBoxes() {
    delete watcher_;
}

void addPictureControlRows() {
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("control");
    for (const screens::Screen& screen : screens::allScreens())
        for (const screens::Control& row : screen.controls)
            if (*row.picture)
                QTest::addRow("%s.%s", screen.name, row.name)
                    << QString::fromLatin1(screen.name) << QString::fromLatin1(row.name);
}

QRegion inFrontOf(const screens::Screen& screen, const screens::Control& picture) {
    QRegion hidden;
    for (const screens::Control& other : screen.controls)
        if (&other != &picture && (screens::takesFocus(other.kind) || &other < &picture))
            hidden += other.rect.toPixels();
    return hidden;
}

QPoint pictureOrigin(const screens::Control& picture) {
    const int border = (picture.look & screens::Sunken) ? 2 : 0;
    return picture.rect.toPixels().topLeft() + QPoint(border, border);
}

} // namespace qirtaz::testing
