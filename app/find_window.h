// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Find and replace in the post: the window "بحث واستبدال" (Ctrl+F, Ctrl+H, and
// the menu "تحرير"), F3 and Shift+F3 from the post box, and the marks on every
// match while the window is open. What is looked for and the three choices
// last until the program ends.

#include "post/find.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QStringView>
#include <QTextBlock>
#include <QTextLayout>

#include <optional>
#include <vector>

class QTextDocument;

namespace qirtaz {
class Registry;
class ScreenInstance;

namespace postbox {
class PostBox;
}

inline constexpr QStringView FindScreen = u"Find";

// What the user looks for, and how; kept for the whole run.
struct FindChoices {
    QString needle;
    QString replacement;
    find::Options options;
};
FindChoices& findChoices();

// The matches of one search in the box's post, kept in step with its edits and
// marked in the box. A post up to SyncLimit long is searched at once on every
// change; a longer one by a worker, on a copy of its text, while the marks
// already found move with the edits.
class PostSearch : public QObject {
    Q_OBJECT
public:
    static constexpr int SyncLimit = 64 * 1024;

    explicit PostSearch(postbox::PostBox& box);
    ~PostSearch() override;

    // Searches anew; the current match becomes the first at or after the start
    // of the box's selection, or the first of all.
    void search(const QString& needle, find::Options options);

    const std::vector<reading::Span>& matches() const { return matches_; }
    // Which of them is the current one: -1 for none.
    int current() const { return current_; }
    // True while a worker is searching a text older than the post.
    bool isBehind() const { return waiting_ || again_; }

    // Selects the match after the box's caret (or before it), round the ends of
    // the post; false when there is none.
    bool next();
    bool previous();
    // Replaces the selected match, then selects the next one.
    bool replace(const QString& replacement);
    // Replaces every match as one step of the undo history; how many.
    int replaceAll(const QString& replacement);

    // "N من M", or what the search is doing.
    QString counter() const;

signals:
    void changed();

private:
    // Marks and hears the changes of the document that holds the post now.
    void follow();
    void contentsChange(int position, int removed, int added);
    void start();
    void adopt(std::vector<reading::Span> found, bool moveToOrigin);
    void select(int index);
    QList<QTextLayout::FormatRange> highlights(const QTextBlock& block) const;

    QPointer<postbox::PostBox> box_;
    QPointer<QTextDocument> document_;
    find::Finder finder_;
    std::vector<reading::Span> matches_;
    int current_ = -1;
    qsizetype origin_ = 0; // where the current search began
    bool pendingOrigin_ = false;
    int edits_ = 0;        // changes of the post so far
    int searched_ = -1;    // edits_ when the running worker's copy was taken
    bool waiting_ = false; // for the worker's answer
    bool again_ = false;   // the post changed since that copy
    QFutureWatcher<std::vector<reading::Span>> watcher_;
};

// The window, registered as a screen of its own, its menu items and keys on
// the main window; called from the main window's load step.
void addFindWindow(Registry& registry);
void addFindCommands(Registry& registry, ScreenInstance& mainWindow);

} // namespace qirtaz
