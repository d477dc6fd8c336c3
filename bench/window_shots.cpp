// Pictures of the started window and of each panel opened, as PNG files in
// OUT_DIR, on a fixed clock: two builds' pictures compare pixel for pixel.
//
//   window_shots OUT_DIR
#include "TestProgram.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    TestProgram p;
    p.clock.fixed = QDateTime(QDate(2026, 12, 9), QTime(20, 30));
    QFile::copy(QStringLiteral(JZB_SOURCE_DIR "/resources/skinh.she"),
                p.folder() + QStringLiteral("/skinh.she"));
    p.addParcel(QStringLiteral("顺丰快递"), QStringLiteral("SF1234567890"),
                QStringLiteral("爸爸衣服"));
    p.gateway.script(QStringLiteral("SF1234567890"), {journey(4, QStringLiteral("已签收"))});
    p.start();
    p.form->Timer5_Timer();
    const auto shoot = [&](const QString& name) {
        QApplication::processEvents();
        p.form->grab().save(out + '/' + name + QStringLiteral(".png"));
    };
    shoot(QStringLiteral("window"));
    p.choose(0);
    p.waitForQueryEnd();
    p.Label27()->clear(); // when the gateway answered: its own clock, not the fixed one
    shoot(QStringLiteral("queried"));
    const char* panels[] = {"add", "settings", "edit", "search", "couriers"};
    for (int i = 0; i < 5; ++i) {
        p.form->hideAllPanels();
        p.form->showPanel(i);
        shoot(QString::fromLatin1(panels[i]));
    }
    p.form->hideAllPanels();
    emit p.session().accountWanted();
    shoot(QStringLiteral("account"));
    return 0;
}
