// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/registry.h"

#include "screens/placement.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace qirtaz {

Q_LOGGING_CATEGORY(shellLog, "qirtaz.shell")

ScreenInstance::ScreenInstance(Registry& registry, QString name, Builder build)
    : registry_(registry)
    , name_(std::move(name))
    , build_(std::move(build)) {}

QString ScreenInstance::name() const {
    return name_;
}

bool ScreenInstance::isShown() const {
    return isLoaded() && window_->isVisible();
}

ScreenState ScreenInstance::state() const {
    if (!isLoaded())
        return ScreenState::Created;
    return window_->isVisible() ? ScreenState::Shown : ScreenState::LoadedHidden;
}

void ScreenInstance::load() {
    Q_ASSERT(!window_ && !loading_);
    window_ = build_();
    window_->setObjectName(name_);
    QObject::connect(window_.get(), &screens::ScreenWindow::closedThroughFrame, window_.get(),
                     [this] { unload(); });
    // Half a screen is no screen: if a command cannot be bound or the load step
    // fails, the window goes again and the screen stays unloaded.
    loading_ = true;
    try {
        registry_.loaded(*this);
    } catch (...) {
        loading_ = false;
        registry_.retire(std::move(window_));
        throw;
    }
    loading_ = false;
    Q_ASSERT(state() == ScreenState::LoadedHidden || state() == ScreenState::Shown);
}

QObject& ScreenInstance::control(QStringView controlName) {
    if (!window_)
        load();
    if (auto* found = window_->findChild<QObject*>(controlName.toString()))
        return *found;
    throw std::logic_error("screen " + name().toStdString() + " has no control " +
                           controlName.toString().toStdString());
}

void ScreenInstance::show() {
    if (registry_.hasEnded())
        return;
    if (!window_)
        load();
    // Opening, not merely coming forward: a screen of the catalogue opens at its
    // place beside the main window; one built outside it places itself.
    const screens::Screen* entry = screens::findScreen(name_);
    if (entry && !window_->isVisible()) {
        const ScreenInstance* main = registry_.instances_.front().get();
        const bool mainShown = main && main != this && main->isShown();
        screens::placeWindow(*window_, *entry, mainShown ? main->window() : nullptr);
    }
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    // A window that asks not to take the keyboard when shown only comes forward.
    if (!window_->testAttribute(Qt::WA_ShowWithoutActivating))
        window_->activateWindow();
    Q_ASSERT(state() == ScreenState::Shown);
}

void ScreenInstance::unload() {
    if (!window_)
        return;
    registry_.retire(std::move(window_));
    Q_ASSERT(state() == ScreenState::Created);
    registry_.unloaded();
}

Registry::Registry() {
    instances_.resize(screens::allScreens().size());
}

Registry::~Registry() {
    for (auto& instance : instances_)
        if (instance)
            instance->window_.reset();
    for (const auto& window : retired_)
        delete window.data();
}

int Registry::indexOf(QStringView screen) const {
    const auto all = screens::allScreens();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (screen == QLatin1StringView(all[i].name))
            return int(i);
    for (std::size_t i = 0; i < added_.size(); ++i)
        if (screen == added_[i].first)
            return int(all.size() + i);
    return -1;
}

void Registry::addScreen(QStringView screen, Builder build) {
    if (indexOf(screen) >= 0)
        throw std::invalid_argument("screen " + screen.toString().toStdString() + " exists");
    added_.emplace_back(screen.toString(), std::move(build));
    instances_.resize(instances_.size() + 1);
    Q_ASSERT(instances_.size() == screens::allScreens().size() + added_.size());
}

ScreenInstance& Registry::instance(QStringView screen) {
    const int index = indexOf(screen);
    if (index < 0)
        throw std::invalid_argument("no screen " + screen.toString().toStdString());
    auto& slot = instances_[std::size_t(index)];
    if (slot)
        return *slot;
    const auto all = screens::allScreens();
    if (std::size_t(index) < all.size()) {
        const screens::Screen& entry = all[std::size_t(index)];
        const QString name = QLatin1StringView(entry.name);
        // The pictures and labels a command is bound to are built to take clicks.
        slot.reset(new ScreenInstance(*this, name, [this, &entry, name] {
            return screens::buildWindow(
                entry, [this, name](QStringView control) { return isBound(name, control); });
        }));
    } else {
        const auto& [name, build] = added_[std::size_t(index) - all.size()];
        slot.reset(new ScreenInstance(*this, name, build));
    }
    return *slot;
}

ScreenState Registry::state(QStringView screen) const {
    const int index = indexOf(screen);
    if (index < 0)
        qCWarning(shellLog, "state of %s, which is no screen", qPrintable(screen.toString()));
    if (index < 0 || !instances_[std::size_t(index)])
        return ScreenState::Absent;
    return instances_[std::size_t(index)]->state();
}

bool Registry::anyLoaded() const {
    for (const auto& instance : instances_)
        if (instance && instance->isLoaded())
            return true;
    return false;
}

const screens::Screen& Registry::entryOf(QStringView screen) const {
    const screens::Screen* found = screens::findScreen(screen);
    if (!found) // a screen built outside the catalogue brings its own behaviour
        throw std::invalid_argument("no catalogued screen " + screen.toString().toStdString());
    return *found;
}

namespace {

std::invalid_argument refused(QStringView screen, QStringView control, const char* why) {
    return std::invalid_argument(screen.toString().toStdString() + "." +
                                 control.toString().toStdString() + ": " + why);
}

} // namespace

void Registry::bind(QStringView screen, QStringView control, Handler handler) {
    const screens::Screen& entry = entryOf(screen);
    const bool isMenuItem = screens::findMenuItem(entry, control) != nullptr;
    const screens::Control* row = screens::findControl(entry, control);
    if (!isMenuItem && !row)
        throw refused(screen, control, "no such control");
    if (row && row->kind == screens::Kind::TextBox)
        throw refused(screen, control, "a text box takes no click");
    bindings_.push_back({screen.toString(), control.toString(), std::move(handler)});
}

bool Registry::isBound(QStringView screen, QStringView control) const {
    return std::any_of(bindings_.begin(), bindings_.end(), [&](const Binding& binding) {
        return binding.screen == screen && binding.control == control;
    });
}

void Registry::bindKey(QStringView screen, const QKeySequence& key, QStringView control) {
    entryOf(screen);
    if (!isBound(screen, control))
        throw refused(screen, control, "a key needs a bound command");
    keys_.push_back({screen.toString(), key, control.toString()});
}

void Registry::bindEnter(QStringView screen, QStringView box, QStringView control) {
    const screens::Control* row = screens::findControl(entryOf(screen), box);
    if (!row || row->kind != screens::Kind::TextBox || (row->look & screens::MultiLine))
        throw refused(screen, box, "Enter is bound in single-line boxes only");
    if (!isBound(screen, control))
        throw refused(screen, control, "Enter needs a bound command");
    enters_.push_back({screen.toString(), box.toString(), control.toString()});
}

void Registry::bindArrows(QStringView screen, const QStringList& controls) {
    entryOf(screen);
    for (const QString& control : controls)
        if (!isBound(screen, control))
            throw refused(screen, control, "the arrow keys go to bound commands only");
    arrows_.emplace_back(screen.toString(), controls);
}

QStringList Registry::boundControls(QStringView screen) const {
    QStringList controls;
    for (const Binding& binding : bindings_)
        if (binding.screen == screen && !controls.contains(binding.control))
            controls << binding.control;
    return controls;
}

void Registry::setLoadStep(QStringView screen, LoadStep step) {
    if (indexOf(screen) < 0)
        throw std::invalid_argument("no screen " + screen.toString().toStdString());
    loadSteps_.emplace_back(screen.toString(), std::move(step));
}

void Registry::loaded(ScreenInstance& instance) {
    screens::ScreenWindow* window = instance.window();
    const QString name = instance.name();
    for (const Binding& binding : bindings_) {
        if (binding.screen != name)
            continue;
        auto* control = window->findChild<QObject*>(binding.control);
        if (!control ||
            !screens::onClick(control, window, [this, handler = binding.handler] { run(handler); }))
            throw std::logic_error("cannot bind a click to " + binding.control.toStdString());
    }
    for (const KeyBinding& key : keys_) {
        if (key.screen == name)
            screens::setShortcut(window->findChild<QObject*>(key.control), key.key);
    }
    for (const EnterBinding& enter : enters_) {
        if (enter.screen != name)
            continue;
        auto* box = window->findChild<QLineEdit*>(enter.box);
        auto* control = window->findChild<QObject*>(enter.control);
        QObject::connect(box, &QLineEdit::returnPressed, window,
                         [control] { screens::click(control); });
    }
    for (const auto& [screen, controls] : arrows_) {
        if (screen != name)
            continue;
        QList<QWidget*> widgets;
        for (const QString& control : controls) {
            auto* widget = window->findChild<QWidget*>(control);
            if (!widget)
                throw std::logic_error("no control " + control.toStdString() + " for the arrows");
            widgets << widget;
        }
        screens::ArrowKeys::install(widgets);
    }
    for (const auto& [screen, step] : loadSteps_)
        if (screen == name)
            step(instance);
}

void Registry::retire(std::unique_ptr<screens::ScreenWindow> window) {
    window->hide();
    // The rest of a double click may still be on its way to the window: its
    // controls take no more clicks, or a handler would run again, on a fresh
    // copy of the screen it has just closed.
    window->setEnabled(false);
    // The handler that unloads a screen is usually running inside a signal of one
    // of that screen's own controls; the window goes once the handler is done.
    std::erase_if(retired_, [](const QPointer<QWidget>& gone) { return gone.isNull(); });
    retired_.emplace_back(window.get());
    window.release()->deleteLater();
}

void Registry::unloaded() {
    if (!ended_ && !anyLoaded()) {
        ended_ = true;
        emit finished();
    }
}

void Registry::messageBox(const QString& prompt) {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), prompt,
                    QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    // Every word in it is Arabic: it reads from the right, and its button says
    // OK as the program's own OK pictures do.
    box.setLayoutDirection(Qt::RightToLeft);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("موافق"));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool Registry::question(const QString& prompt, const QString& yes, const QString& no) {
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(), prompt,
                    QMessageBox::NoButton);
    box.setLayoutDirection(Qt::RightToLeft);
    QPushButton* doIt = box.addButton(yes, QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.setWindowModality(Qt::ApplicationModal);
    QTimer::singleShot(0, keep, [keep] { keep->setFocus(Qt::OtherFocusReason); });
    box.exec();
    return box.clickedButton() == doIt;
}

void Registry::end() {
    if (ended_)
        return;
    ended_ = true;
    for (auto& instance : instances_)
        if (instance && instance->window_)
            retire(std::move(instance->window_));
    Q_ASSERT(!anyLoaded());
    emit finished();
}

void Registry::run(const Handler& handler) {
    if (ended_)
        return;
    try {
        handler();
    } catch (const std::exception& error) {
        messageBox(QStringLiteral("تعذّر إتمام هذا الأمر، وبقي النص كما كان.\n") +
                   QString::fromUtf8(error.what()));
    } catch (...) {
        messageBox(QStringLiteral("تعذّر إتمام هذا الأمر، وبقي النص كما كان."));
    }
}

} // namespace qirtaz
