// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "spelling/dictionaries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell/hunspell.hxx>

namespace qirtaz::spelling {
namespace {

Q_LOGGING_CATEGORY(spellingLog, "qirtaz.spelling")

// Which dictionary checks the words of each script. Another language's
// dictionary from Debian (say hunspell-fr, which installs fr_FR) goes in a row
// of its own: a word is right when any dictionary of its script knows it, and
// the first one that has suggestions gives them.
struct Wanted {
    Script script;
    const char* name;     // the .aff and .dic files' name
    const char* package;  // the Debian package that installs them
    const char* language; // for the user
};

constexpr Wanted wanted[] = {
    {Script::Arabic, "ar", "hunspell-ar", "العربية"},
    {Script::Latin, "en_US", "hunspell-en-us", "الإنجليزية"},
};

constexpr qsizetype MostVerdicts = 100'000;

// The dictionary of that name in a folder, or failing it the largest of the
// same language ("ar_EG" for "ar"): the files' base name, or an empty string.
QString find(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (dir.exists(name + QStringLiteral(".dic")) && dir.exists(name + QStringLiteral(".aff")))
        return dir.filePath(name);
    const QString language = name.section(u'_', 0, 0);
    QString best;
    qint64 largest = -1;
    for (const QFileInfo& dic :
         dir.entryInfoList({language + QStringLiteral("_*.dic")}, QDir::Files)) {
        const QString base = dic.absolutePath() + QChar(u'/') + dic.completeBaseName();
        if (dic.size() > largest && QFileInfo::exists(base + QStringLiteral(".aff"))) {
            largest = dic.size();
            best = base;
        }
    }
    return best;
}

} // namespace

struct Dictionaries::Dictionary {
    Script script;
    std::unique_ptr<Hunspell> hunspell;
    QStringEncoder encoder;
    QStringDecoder decoder;

    // The word in the dictionary's own encoding; false where it has no letters for it.
    bool encode(QStringView word, std::string& out) {
        const QByteArray bytes = encoder.encode(word);
        if (encoder.hasError()) {
            encoder.resetState();
            return false;
        }
        out.assign(bytes.constData(), std::size_t(bytes.size()));
        return true;
    }
};

QStringList Dictionaries::standardFolders() {
    return {QStringLiteral("/usr/share/hunspell")};
}

Dictionaries::Dictionaries(const QStringList& folders) {
    for (const Wanted& entry : wanted) {
        QString base;
        for (const QString& folder : folders)
            if (base.isEmpty())
                base = find(folder, QString::fromLatin1(entry.name));
        std::unique_ptr<Dictionary> dictionary;
        // Hunspell takes a file it cannot read for a dictionary without words,
        // which would mark every word wrong.
        for (const QString& file : {base + QStringLiteral(".aff"), base + QStringLiteral(".dic")}) {
            const QFileInfo info(file);
            if (!base.isEmpty() && (!info.isFile() || !info.isReadable())) {
                qCWarning(spellingLog, "%s cannot be read; its words go unchecked",
                          qPrintable(file));
                base.clear();
            }
        }
        if (!base.isEmpty()) {
            auto hunspell = std::make_unique<Hunspell>(
                QFile::encodeName(base + QStringLiteral(".aff")).constData(),
                QFile::encodeName(base + QStringLiteral(".dic")).constData());
            const QString encoding = QString::fromStdString(hunspell->get_dict_encoding());
            dictionary = std::make_unique<Dictionary>(Dictionary{
                entry.script, std::move(hunspell), QStringEncoder(encoding.toLatin1().constData()),
                QStringDecoder(encoding.toLatin1().constData())});
            // Then the user is told the dictionary is missing, which its
            // package will not mend: say here what is wrong with it.
            if (!dictionary->encoder.isValid() || !dictionary->decoder.isValid()) {
                qCWarning(spellingLog,
                          "%s: written in %s, which Qt cannot read; its words go "
                          "unchecked",
                          qPrintable(base + QStringLiteral(".dic")), qPrintable(encoding));
                dictionary.reset();
            }
        }
        if (dictionary)
            dictionaries_.push_back(std::move(dictionary));
        else
            missing_ << QString::fromUtf8(entry.language) + QStringLiteral(" (") +
                            QString::fromLatin1(entry.package) + QChar(u')');
    }
}

Dictionaries::~Dictionaries() = default;

bool Dictionaries::has(Script script) const {
    return std::any_of(dictionaries_.begin(), dictionaries_.end(),
                       [script](const auto& d) { return d->script == script; });
}

bool Dictionaries::isCorrect(QStringView word, Script script) {
    QHash<QString, bool>& verdicts = verdicts_[int(script)];
    const QString key = word.toString();
    if (const auto known = verdicts.constFind(key); known != verdicts.cend())
        return *known;
    bool correct = true;
    std::string bytes;
    for (const auto& dictionary : dictionaries_) {
        if (dictionary->script != script || !dictionary->encode(word, bytes))
            continue;
        correct = dictionary->hunspell->spell(bytes);
        if (correct)
            break;
    }
    if (verdicts.size() >= MostVerdicts)
        verdicts.clear();
    verdicts.insert(key, correct);
    return correct;
}

QStringList Dictionaries::suggestions(QStringView word, Script script, int most) {
    QStringList found;
    std::string bytes;
    for (const auto& dictionary : dictionaries_) {
        if (dictionary->script != script || !dictionary->encode(word, bytes))
            continue;
        for (const std::string& suggestion : dictionary->hunspell->suggest(bytes)) {
            if (found.size() == most)
                break;
            found << QString(dictionary->decoder.decode(
                QByteArrayView(suggestion.data(), qsizetype(suggestion.size()))));
        }
        if (!found.isEmpty())
            break;
    }
    return found;
}

QStringList Dictionaries::missing() const {
    return missing_;
}

} // namespace qirtaz::spelling
