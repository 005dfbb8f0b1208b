// SPDX-FileCopyrightText: 2026 The Qirtaz developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A main for a fuzz target where the compiler has no libFuzzer (g++): runs every
// file given, or every file of every folder given, and then a fixed number of
// mutations of each from a fixed seed, so that a failure replays exactly.
//   fuzz_board tests/fuzz/corpus [crash-file …]

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int run(const QByteArray& input) {
    return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                  std::size_t(input.size()));
}

// Byte flips, insertions, deletions and pieces of other inputs, as a fuzzer's
// first steps would make them.
QByteArray mutated(QByteArray input, const QList<QByteArray>& all, QRandomGenerator& random) {
    const int steps = 1 + int(random.bounded(4));
    for (int step = 0; step < steps; ++step) {
        const qsizetype at = input.isEmpty() ? 0 : qsizetype(random.bounded(int(input.size())));
        switch (random.bounded(4)) {
        case 0:
            if (!input.isEmpty())
                input[at] = char(random.bounded(256));
            break;
        case 1:
            input.insert(at, char(random.bounded(256)));
            break;
        case 2:
            input.remove(at, 1 + random.bounded(8));
            break;
        default: {
            const QByteArray& other = all[random.bounded(int(all.size()))];
            const qsizetype from =
                other.isEmpty() ? 0 : qsizetype(random.bounded(int(other.size())));
            input.insert(at, other.mid(from, qsizetype(2) * (1 + random.bounded(16))));
        }
        }
    }
    return input;
}

} // namespace

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    QList<QByteArray> inputs;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        QStringList files{path};
        if (QFileInfo(path).isDir()) {
            files.clear();
            for (const QString& name : QDir(path).entryList(QDir::Files, QDir::Name))
                files << QDir(path).filePath(name);
        }
        for (const QString& name : files) {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
                return 2;
            }
            inputs << file.readAll();
        }
    }
    for (const QByteArray& input : inputs)
        run(input);
    QRandomGenerator random(19);
    constexpr int mutations = 200;
    for (const QByteArray& input : inputs)
        for (int m = 0; m < mutations; ++m)
            run(mutated(input, inputs, random));
    std::printf("fuzz_board: %lld inputs and %lld mutations passed\n",
                static_cast<long long>(inputs.size()),
                static_cast<long long>(inputs.size()) * mutations);
    return 0;
}
