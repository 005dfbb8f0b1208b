#include "composer/board.h"
#include "composer/markup.h"

#include <QTest>
#include <QTextDocument>

using namespace qirtaz;

class BoardTest : public QObject {
    Q_OBJECT
private slots:
    void scratch();
};

void BoardTest::scratch() {
    const QStringList posts = {
        QStringLiteral("[color=red]مرحبا[/color] بكم\nHello [b]world[/b] :D"),
        QStringLiteral("[QUOTE]a[QUOTE]b[/QUOTE]c[/QUOTE]\nd"),
        QStringLiteral("[b][i]x[/b][/i] [foo] [/b] [u]"),
        QStringLiteral("[img]http://x/a.png[/img][FLASH=http://f]WIDTH=400HEIGHT=350[/FLASH][url=http://u]P[url/] [url]http://v[/url]"),
    };
    for (const QString& post : posts) {
        const board::Parsed parsed = board::parse(post);
        qDebug().noquote() << board::describe(parsed) << "|" << board::problemsLine(parsed);
        QTextDocument doc;
        board::render(parsed, doc);
        QString raw = doc.toRawText();
        for (QChar& c : raw)
            if (c.unicode() >= 0x2066 && c.unicode() <= 0x2069) c = u'|';
        qDebug().noquote() << doc.blockCount() << raw.replace(QChar(0x2029), u'¶').replace(QChar(0xfdd0), u'«').replace(QChar(0xfdd1), u'»');
    }
}

QTEST_MAIN(BoardTest)
#include "tst_board.moc"
