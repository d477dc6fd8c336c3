// jianzongbao-makedb SEED.sql STORE.db      builds the shipped store from the
//                                            seed script, only where none exists
// jianzongbao-makedb --add SCRIPT.sql STORE.db  runs a script on a store
#include "store/Store.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool add = argc == 4 && std::strcmp(argv[1], "--add") == 0;
    if (argc != 3 && !add) {
        std::fprintf(stderr, "usage: jianzongbao-makedb [--add] SCRIPT.sql STORE.db\n");
        return 2;
    }
    const QString script = QString::fromLocal8Bit(argv[argc - 2]);
    const QString target = QString::fromLocal8Bit(argv[argc - 1]);
    if (!add && QFileInfo::exists(target)) return 0; // an existing book is never touched
    QFile file(script);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(script));
        return 1;
    }
    const QString sql = QString::fromUtf8(file.readAll());
    QString error;
    const bool ok =
        add ? Store::runScript(target, sql, &error) : Store::createFromSeed(target, sql, &error);
    if (!ok) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(target), qPrintable(error));
        return 1;
    }
    return 0;
}
