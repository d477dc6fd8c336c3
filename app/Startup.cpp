// Start-up in its fixed order, the guard against a second copy and a store
// that cannot be opened, and the status-row clock.
#include "app/ClockText.h"
#include "app/Form1.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>

bool Form1::Form_Load() {
    setWindowIcon(QIcon());
    // The skin is a style sheet in the program folder; without one the
    // window runs unskinned.
    QFile skin(m_folder + QStringLiteral("/skinh.she"));
    if (skin.open(QIODevice::ReadOnly)) setStyleSheet(QString::fromUtf8(skin.readAll()));
    if (!main()) return false;
    setting();
    read();
    fillTimeLists();
    Label11[3]->setText(QStringLiteral("5.2.0"));
    DrawWindowFrame();
    return true;
}

// Opens the store and takes the single-copy lock. On failure it tells the
// user and ends the program.
bool Form1::main() {
    const QString path = m_folder + QStringLiteral("/db/kd100.db");
    bool ok = QFileInfo(path).isFile();
    if (ok) {
        m_lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
        if (!m_lock->tryLock(0)) {
            if (m_lock->error() == QLockFile::LockFailedError) {
                m_platform.dialogs.MsgBox(QStringLiteral("程序已运行!"),
                                          Mb::OkOnly + Mb::Information, BoxTitle);
                quitProgram(1);
                return false;
            }
            ok = false; // the lock file cannot be written: the folder is not usable
        }
    }
    if (ok && m_store.open(path) == OpenResult::Ok) return true;
    m_platform.dialogs.MsgBox(
        QStringLiteral("数据库链接出错!请到官网下载原版!\n \nQuorvex件踪宝官方网站：") +
            m_endpoints.site,
        Mb::OkOnly + Mb::Information, BoxTitle);
    m_platform.shell.openUrl(m_endpoints.site);
    quitProgram(1);
    return false;
}

void Form1::fillTimeLists() {
    for (int h = 0; h <= 23; ++h)
        Combo2->addItem(QString::number(h));
    for (int m = 0; m <= 59; ++m)
        Combo3->addItem(QString::number(m));
    for (int n = 1; n <= 360; ++n)
        Combo4->addItem(QString::number(n));
    Combo2->setCurrentIndex(0);
    Combo3->setCurrentIndex(0);
    Combo4->setCurrentIndex(-1);
}

void Form1::Timer5_Timer() {
    Label11[5]->setText(clockText(QDateTime::currentDateTime()));
}
