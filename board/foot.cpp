// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The foot line of the preview: what the board will not take, counted in
// words as Arabic counts them.
#include "board/board.h"
#include "board/direction_marks.h"

#include <QString>
#include <QTextBoundaryFinder>

namespace qirtaz::board {

QString problemName(Problem problem) {
    switch (problem) {
    case Problem::Unclosed:
        return QStringLiteral("وسم غير مغلق");
    case Problem::Unopened:
        return QStringLiteral("وسم إغلاق بلا فتح");
    case Problem::Crossed:
        return QStringLiteral("وسم متداخل");
    case Problem::Unknown:
        return QStringLiteral("وسم غير معروف");
    case Problem::Address:
        return QStringLiteral("رابط غير مقبول");
    }
    return {};
}

namespace {

// Arabic counts a noun in five ways: one, two, three to ten, eleven to
// ninety-nine, and hundreds (100, 101, 102, 200 …).
QString counted(Problem problem, qsizetype n) {
    struct Forms {
        const char16_t* one;
        const char16_t* two;
        const char16_t* few;
        const char16_t* many;
        const char16_t* hundreds;
    };
    static constexpr Forms forms[] = {
        {u"وسم غير مغلق", u"وسمان غير مغلقين", u"وسوم غير مغلقة", u"وسمًا غير مغلق",
         u"وسم غير مغلق"},
        {u"وسم إغلاق بلا فتح", u"وسما إغلاق بلا فتح", u"وسوم إغلاق بلا فتح", u"وسم إغلاق بلا فتح",
         u"وسم إغلاق بلا فتح"},
        {u"وسم متداخل", u"وسمان متداخلان", u"وسوم متداخلة", u"وسمًا متداخلًا", u"وسم متداخل"},
        {u"وسم غير معروف", u"وسمان غير معروفين", u"وسوم غير معروفة", u"وسمًا غير معروف",
         u"وسم غير معروف"},
        {u"رابط غير مقبول", u"رابطان غير مقبولين", u"روابط غير مقبولة", u"رابطًا غير مقبول",
         u"رابط غير مقبول"},
    };
    const Forms& form = forms[int(problem)];
    if (n == 1)
        return QString::fromUtf16(form.one);
    if (n == 2)
        return QString::fromUtf16(form.two);
    const qsizetype rest = n % 100;
    const char16_t* noun = rest >= 3 && rest <= 10    ? form.few
                           : rest >= 11 && rest <= 99 ? form.many
                                                      : form.hundreds;
    return QString::number(n) + u' ' + QString::fromUtf16(noun);
}

constexpr int TagsShown = 3;
constexpr qsizetype LongestTagShown = 40;

// A tag, or an address the board will not take, as the foot shows it: left to
// right as typed, cut short when long.
QString shownTag(QStringView tag, bool address) {
    QString shown;
    if (tag.size() <= LongestTagShown) {
        shown = tag.toString();
    } else {
        qsizetype cut = LongestTagShown - 10;
        if (tag[cut - 1].isHighSurrogate())
            --cut;
        shown = tag.first(cut).toString() + (address ? QStringLiteral("…") : QStringLiteral("…]"));
    }
    return unbroken(address ? addressShown(shown) : LeftToRightIsolate + shown + PopIsolate);
}

} // namespace

QString unbroken(QStringView text) {
    QString held = text.toString();
    for (QChar& c : held)
        if (c.isSpace())
            c = QChar(QChar::Nbsp);
    QString shown;
    shown.reserve(held.size() + 8);
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, held);
    qsizetype from = 0;
    for (qsizetype at = breaks.toNextBoundary(); at > 0 && at < held.size();
         at = breaks.toNextBoundary()) {
        shown += QStringView(held).sliced(from, at - from);
        shown += WordJoiner;
        from = at;
    }
    shown += QStringView(held).sliced(from);
    return shown;
}

QString addressShown(QStringView address) {
    // Isolated left to right; within it a run of Arabic letters would still
    // take the dots and slashes between its words and read backwards, so a
    // left-to-right mark closes each run: "http://مثال.كوم/صفحة" reads as typed.
    QString shown;
    shown.reserve(address.size() + 8);
    shown += LeftToRightIsolate;
    bool rightToLeft = false;
    for (QChar c : address) {
        const QChar::Direction direction = c.direction();
        const bool strongRight = direction == QChar::DirR || direction == QChar::DirAL;
        if (rightToLeft && !strongRight && direction != QChar::DirNSM)
            shown += LeftToRightMark;
        if (strongRight)
            rightToLeft = true;
        else if (direction != QChar::DirNSM)
            rightToLeft = false;
        shown += c;
    }
    if (rightToLeft)
        shown += LeftToRightMark;
    return shown + PopIsolate;
}

QString withoutDirectionMarks(QStringView text) {
    QString plain;
    plain.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= 0x2066 && u <= 0x2069) || u == 0x200E || u == 0x200F ||
              (u >= 0x202A && u <= 0x202E) || u == 0x061C || u == WordJoiner))
            plain += c;
    }
    return plain;
}

QString problemLine(const Parsed& parsed, const Issue& issue) {
    return problemName(issue.problem) + QStringLiteral(": ") +
           shownTag(parsed.text(issue.tag), issue.problem == Problem::Address);
}

QString problemsLine(const Parsed& parsed) {
    QString line;
    for (Problem problem : {Problem::Unclosed, Problem::Unopened, Problem::Crossed,
                            Problem::Unknown, Problem::Address}) {
        qsizetype count = 0;
        QString tags;
        for (const Issue& issue : parsed.issues) {
            if (issue.problem != problem)
                continue;
            if (count < TagsShown)
                tags += u' ' + shownTag(parsed.text(issue.tag), problem == Problem::Address);
            else if (count == TagsShown)
                tags += QStringLiteral(" …");
            ++count;
        }
        if (count == 0)
            continue;
        if (!line.isEmpty())
            line += QStringLiteral("؛ ");
        line += counted(problem, count) + u':' + tags;
    }
    return line;
}

} // namespace qirtaz::board
