// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One instance of each screen, created on first use and kept for the whole run;
// loading builds a screen's window from the catalogue, unloading destroys it.
// Every handler reaches other screens, and their controls, only through here.

#include "screens/builder.h"

#include <QKeySequence>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace qirtaz {

Q_DECLARE_LOGGING_CATEGORY(shellLog)

enum class ScreenState { Absent, Created, LoadedHidden, Shown };

class Registry;

class ScreenInstance {
public:
    QString name() const;
    // Loaded once its window is built, its commands bound and its load step run.
    bool isLoaded() const { return window_ != nullptr && !loading_; }
    bool isShown() const;
    ScreenState state() const;

    // The window while the screen is loaded, nullptr otherwise.
    screens::ScreenWindow* window() const { return window_.get(); }

    // Loads the screen, hidden, if it is not loaded, then gives the named
    // control. Throws std::logic_error for a name the screen does not have
    // or a control of another kind.
    QObject& control(QStringView controlName);
    template <class T> T& control(QStringView controlName) {
        if (auto* typed = qobject_cast<T*>(&control(controlName)))
            return *typed;
        throw std::logic_error("control " + controlName.toString().toStdString() +
                               " is not of the kind asked for");
    }

    // Loads if needed, makes visible, brings to the front and activates.
    // Modeless and without an owner: returns at once.
    void show();

    // Hides and destroys the window with all its controls. Safe from a handler
    // of this very screen: the handler may go on and show other screens.
    void unload();

private:
    friend class Registry;
    using Builder = std::function<std::unique_ptr<screens::ScreenWindow>()>;
    ScreenInstance(Registry& registry, QString name, Builder build);
    void load();

    Registry& registry_;
    QString name_;
    Builder build_;
    std::unique_ptr<screens::ScreenWindow> window_;
    bool loading_ = false;
};

class Registry : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;
    using LoadStep = std::function<void(ScreenInstance&)>;
    using Builder = ScreenInstance::Builder;

    // Registers every screen of the catalogue, in its order; none is created yet.
    Registry();
    ~Registry() override;

    // Registers a screen the catalogue does not describe, built by build on every
    // load; otherwise it is a screen like any other. Throws std::invalid_argument
    // for a name that is taken.
    void addScreen(QStringView screen, Builder build);

    // The screen's one instance, created on first access. Throws
    // std::invalid_argument for a name that is no screen.
    ScreenInstance& instance(QStringView screen);

    // Absent until first access, then as the instance says.
    ScreenState state(QStringView screen) const;
    bool anyLoaded() const;

    // Runs handler on every click of that control, on every load of the screen.
    // Throws std::invalid_argument for a control the catalogue does not have or
    // one that cannot take a click (a text box).
    void bind(QStringView screen, QStringView control, Handler handler);
    // The key clicks the bound control wherever the focus is in the screen;
    // assistive technology reports it as the control's key binding. Throws
    // std::invalid_argument for a control that is not bound.
    void bindKey(QStringView screen, const QKeySequence& key, QStringView control);
    // Enter in the box clicks the bound control. Throws std::invalid_argument
    // for a box that is no single-line text box or a control that is not bound.
    void bindEnter(QStringView screen, QStringView box, QStringView control);
    // The arrow keys move the keyboard focus through these controls of the screen
    // (see screens::ArrowKeys), and Enter or Space clicks the one it is on.
    // Throws std::invalid_argument for a control that is not bound.
    void bindArrows(QStringView screen, const QStringList& controls);
    // The controls of the screen a command is bound to, in the order bound.
    QStringList boundControls(QStringView screen) const;
    // Runs after the screen's controls are built, on every load.
    void setLoadStep(QStringView screen, LoadStep step);

    // A modal box with a single OK button over the whole application; returns
    // when the user has dismissed it.
    void messageBox(const QString& prompt);
    // A modal question over the whole application with two buttons; true when
    // the user chose yes. The focus starts on no, and Esc or the box's close
    // box mean no, so that a stray key never takes the step.
    bool question(const QString& prompt, const QString& yes, const QString& no);

    // Ends the run at once: every screen disappears and no handler runs any more.
    void end();
    bool hasEnded() const { return ended_; }

    // Runs one handler to its end. An error that escapes it is reported in a
    // message box and the program goes on, with every screen as the handler left it.
    void run(const Handler& handler);

signals:
    // The run is over: end was called, or no screen is loaded any more.
    void finished();

private:
    friend class ScreenInstance;
    struct Binding {
        QString screen;
        QString control;
        Handler handler;
    };
    struct KeyBinding {
        QString screen;
        QKeySequence key;
        QString control;
    };
    struct EnterBinding {
        QString screen;
        QString box;
        QString control;
    };
    int indexOf(QStringView screen) const;
    const screens::Screen& entryOf(QStringView screen) const;
    bool isBound(QStringView screen, QStringView control) const;
    void loaded(ScreenInstance& instance);
    void retire(std::unique_ptr<screens::ScreenWindow> window);
    void unloaded();

    std::vector<std::unique_ptr<ScreenInstance>> instances_; // catalogue order, then added
    std::vector<std::pair<QString, Builder>> added_;
    std::vector<Binding> bindings_;
    std::vector<KeyBinding> keys_;
    std::vector<EnterBinding> enters_;
    std::vector<std::pair<QString, QStringList>> arrows_;
    std::vector<std::pair<QString, LoadStep>> loadSteps_;
    std::vector<QPointer<QWidget>> retired_; // unloaded windows waiting to be deleted
    bool ended_ = false;
};

} // namespace qirtaz
