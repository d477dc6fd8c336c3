#include "Fakes.h"
#include "store/Store.h"

#include <QFile>

int FakeDialogs::MsgBox(const QString& prompt, int buttons, const QString& title) {
    shown << ShownBox{prompt, buttons, title};
    if (whileShown) whileShown();
    if (!answers.isEmpty()) return answers.takeFirst();
    return (buttons & 7) == Mb::YesNo ? Mb::No : Mb::Ok;
}

std::optional<QString> FakeDialogs::saveFileName(const QString& filter) {
    saveFilters << filter;
    if (whileShown) whileShown();
    return saveAnswer;
}

std::optional<QString> FakeDialogs::openFileName(const QString& filter) {
    saveFilters << filter;
    if (whileShown) whileShown();
    return openAnswer;
}

QStringList FakeDialogs::prompts() const {
    QStringList p;
    for (const ShownBox& b : shown)
        p << b.prompt;
    return p;
}

std::optional<QString> FakeDialogs::InputBox(const QString& prompt, const QString& title) {
    shown << ShownBox{prompt, -1, title};
    return inputs.isEmpty() ? std::nullopt : inputs.takeFirst();
}

void seedStore(const QString& path) {
    QFile seed(QStringLiteral(JZB_SEED_SQL));
    QString error;
    if (!seed.open(QIODevice::ReadOnly) ||
        !Store::createFromSeed(path, QString::fromUtf8(seed.readAll()), &error))
        qFatal("cannot build the test store: %s", qPrintable(error));
}
