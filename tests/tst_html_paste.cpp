// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Clipboard HTML as pages, mails and word processors write it, turned into
// board tags: the tags, and every word in its order.

#include "post/html_paste.h"
#include "tests/qt_html_reader.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace qirtaz;

class HtmlPasteTest : public QObject {
    Q_OBJECT

private slots:
    void becomesBoardTags_data();
    void becomesBoardTags();
    void hostileHtmlLosesNoWord_data();
    void hostileHtmlLosesNoWord();
    void readsAsQtReadWellFormedPages();
};

void HtmlPasteTest::becomesBoardTags_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("tags");
    // clang-format off
    QTest::newRow("bold, link, red") << "<p><b>مرحبا</b> <a href=\"http://example.org\">بكم</a> <span style=\"color:red\">هنا</span></p>"
        << "[b]مرحبا[/b] [url=http://example.org]بكم[/url] [color=red]هنا[/color]";
    // A browser's copy of a news paragraph: the fragment markers, a styled link, a picture.
    QTest::newRow("news page") << "<html><body><!--StartFragment--><p style=\"font-size:16px;color:rgb(0,0,0)\">قال <strong>الوزير</strong> في <a href=\"https://news.example/a?b=1&amp;c=[2]\" style=\"color:#1a0dab\">بيان</a> إن <em>الخطة</em> <s>القديمة</s> انتهت.<br>تابع <img src=\"https://news.example/p.jpg\" alt=\"صورة\"></p><script>track()</script><!--EndFragment--></body></html>"
        << "قال [b]الوزير[/b] في [url=https://news.example/a?b=1&c=%5B2%5D][color=#1a0dab]بيان[/color][/url] إن [i]الخطة[/i] [s]القديمة[/s] انتهت.\nتابع [img]https://news.example/p.jpg[/img]";
    // A mail: a quoted reply, centred signature, purple and green words, underline.
    QTest::newRow("mail") << "<div>شكرا <font color=\"#800080\">لك</font> <u>جدا</u></div><blockquote type=\"cite\"><div>السؤال <span style=\"color:green\">الأول</span></div><div>والثاني</div></blockquote><div align=\"center\">سلام</div>"
        << "شكرا [color=purple]لك[/color] [u]جدا[/u]\n[QUOTE]السؤال [color=green]الأول[/color]\nوالثاني[/QUOTE]\n[center]سلام[/center]";
    // A word processor: headings, larger and bold-italic runs in any order, a list and a table.
    QTest::newRow("word processor") << "<html><head><style>p{margin:0}</style></head><body><h1>العنوان</h1><h3>فرع</h3><p><span style=\"font-size:18pt\">كبير</span> <span style=\"font-size:14pt;font-family:Arial\">أكبر قليلا</span> <i>مائل <b>وغامق</b></i> <span style=\"color:#123456\">لون</span> <span style=\"color:blue\">أزرق</span> <font color=\"#ffa500\" face=\"Times\">برتقالي</font></p><ul><li>أول</li><li>ثان</li></ul><ol><li>one</li></ol><table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td><p>d</p><p>e</p></td></tr></table></body></html>"
        << "[size=5][b]العنوان[/b][/size]\n[size=4][b]فرع[/b][/size]\n[size=5]كبير[/size] [size=4]أكبر قليلا[/size] [i]مائل [b]وغامق[/b][/i] [color=#123456]لون[/color] [color=blue]أزرق[/color] [color=orange]برتقالي[/color]\n• أول\n• ثان\n• one\na | b\nc | d e";
    QTest::newRow("empty tags and blanks open nothing") << "<p><b></b><i> </i>x<u>  </u><span style=\"color:red\"></span></p>"
        << "x ";
    QTest::newRow("a picture only in the clipboard") << "<p>a<img src=\"data:image/png;base64,AAAA\">b</p>" << "ab";
    // A copy that ends inside a quotation: it is closed.
    QTest::newRow("quotation open at the end") << "<div>شكرا</div><blockquote type=\"cite\"><div>السؤال</div><div>والثاني"
        << "شكرا\n[QUOTE]السؤال\nوالثاني[/QUOTE]";
    QTest::newRow("broken markup") << "<p><b>أ<i>ب</b>ج</i><div><table><tr><td>د" << "[b]أ[i]ب[/i][/b]ج\n\nد";
    // Qt's reader put a picture after a quotation inside it, glued the words after a nested
    // division onto the last of it, and broke a line inside a bold run after a block.
    QTest::newRow("a picture after a quotation") << "<blockquote><p>قال</p></blockquote><img src=\"x.png\">"
        << "[QUOTE]قال[/QUOTE]\n[img]x.png[/img]";
    QTest::newRow("words after a nested division") << "<div>أول<div>ثان</div>ثالث</div>" << "أول\nثان\nثالث";
    QTest::newRow("inline elements after a block") << "<p>a</p><b>x<i>y</i></b>" << "a\n[b]x[i]y[/i][/b]";
    QTest::newRow("styles and scripts dropped") << "<style>b{}</style><script>var s = 'سر';</script><!-- تعليق --><b>نص</b><noscript></noscript>"
        << "[b]نص[/b]";
    // clang-format on
}

void HtmlPasteTest::becomesBoardTags() {
    QFETCH(QString, html);
    QFETCH(QString, tags);
    QCOMPARE(paste::boardTags(html), tags);
}

void HtmlPasteTest::hostileHtmlLosesNoWord_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("words");
    QStringList many;
    QString big;
    for (int i = 0; big.size() < qsizetype(1024) * 1024; ++i) {
        many << QStringLiteral("w%1").arg(i);
        big += QStringLiteral("<p style=\"color:red\"><b>w%1</b> <script>x</script><a href=\"h\">")
                   .arg(i);
    }
    QTest::newRow("1 MiB of paragraphs, unclosed links and scripts") << big << many;
    for (const char* element :
         {"div", "b", "blockquote", "span style=\"color:red\"", "ul><li", "table><tr><td"}) {
        const int depth = 10000;
        QString nested;
        QStringList marks;
        for (int i = 0; i < depth; ++i) {
            nested += u'<' + QLatin1StringView(element) + u'>';
            if (i % 500 == 0)
                nested += (marks << QStringLiteral("n%1").arg(i)).last() + u' ';
        }
        QTest::addRow("%d nested %s", depth, element) << nested << marks;
    }
}

void HtmlPasteTest::hostileHtmlLosesNoWord() {
    QFETCH(QString, html);
    QFETCH(QStringList, words);
    QElapsedTimer clock;
    clock.start();
    const QString tags = paste::boardTags(html);
    qInfo("%lld ms", clock.elapsed());
    QVERIFY(!tags.contains(u'<'));
    const QStringList found =
        tags.split(QRegularExpression(QStringLiteral("\\[[^\\]]*\\]|[^\\w]+")), Qt::SkipEmptyParts);
    const QStringList& wanted = words;
    QCOMPARE(found.filter(QRegularExpression(QStringLiteral("^[wn]\\d+$"))), wanted);
}

// Pages as editors and browsers write them, of blocks that hold words in the
// supported tags, nested the right way round: where Qt's rich-text reader and
// libxml2's read the page alike, the paste must give what it gave before.
void HtmlPasteTest::readsAsQtReadWellFormedPages() {
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const auto pick = [&random](std::initializer_list<const char*> from) {
        return QString::fromUtf8(*(from.begin() + random.bounded(int(from.size()))));
    };
    // Words in up to depth inline elements. (Qt put a line break at the start of
    // a link outside it, dropped a <font> colour inside a link, and placed some
    // blanks beside pictures and at the ends of blocks otherwise.)
    const auto words = [&](int depth, const auto& self) -> QString {
        constexpr std::pair<const char*, const char*> elements[] = {
            {"<b>", "</b>"},
            {"<i>", "</i>"},
            {"<u>", "</u>"},
            {"<s>", "</s>"},
            {"<span style=\"color:red\">", "</span>"},
            {"<span style=\"color:#123456\">", "</span>"},
            {"<span style=\"font-size:20pt\">", "</span>"},
            {"<big>", "</big>"},
            {"<a href=\"http://e.example/?q=[x]\">", "</a>"}};
        QString html;
        for (int n = random.bounded(1, 4); n > 0; --n) {
            const int what = random.bounded(depth > 0 ? 4 : 1);
            if (what == 0) {
                html += pick({"كلمة", "two words", " x", "&amp;", "a&nbsp;b", "y "});
            } else {
                // A link holds no link: only the innermost elements are links.
                const int count = int(std::size(elements)) - (depth > 1 ? 1 : 0);
                const auto& [opening, closing] = elements[random.bounded(count)];
                html +=
                    QString::fromUtf8(opening) + self(depth - 1, self) + QString::fromUtf8(closing);
            }
        }
        return html;
    };
    for (int page = 0; page < 300; ++page) {
        QString html;
        for (int n = random.bounded(1, 5); n > 0; --n) {
            const QString inner = words(3, words);
            const QString more = words(2, words);
            const QString heading = QString::number(random.bounded(1, 4));
            // clang-format off
            switch (random.bounded(7)) {
            case 0: html += QStringLiteral("<p>") + inner + QStringLiteral("</p>"); break;
            case 1: html += QStringLiteral("<div align=\"center\">") + inner + QStringLiteral("</div>"); break;
            case 2: html += QStringLiteral("<h") + heading + u'>' + inner + QStringLiteral("</h") + heading + u'>'; break;
            case 3: html += QStringLiteral("<ul><li>") + inner + QStringLiteral("</li><li>") + more + QStringLiteral("</li></ul>"); break;
            case 4: html += QStringLiteral("<blockquote><p>") + inner + QStringLiteral("</p><p>") + more + QStringLiteral("</p></blockquote>"); break;
            case 5: html += QStringLiteral("<table><tr><td>") + inner + QStringLiteral("</td><td>") + more + QStringLiteral("</td></tr><tr><td>x</td></tr></table>"); break;
            default: html += QStringLiteral("\n<p style=\"text-align:center\">") + inner + QStringLiteral("</p>"); break;
            }
            // clang-format on
        }
        const QString tags = paste::boardTags(html);
        const QString before = qtreader::boardTags(html);
        if (tags != before)
            qInfo("seed %u: %s", seed, qPrintable(html));
        QCOMPARE(tags, before);
    }
}

QTEST_MAIN(HtmlPasteTest)
#include "tst_html_paste.moc"
