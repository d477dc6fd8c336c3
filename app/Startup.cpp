// Start-up in its fixed order, the guard against a second copy and a store
// that cannot be opened, and the status-row clock.
#include "app/ClockText.h"
#include "app/Form1.h"
#include "platform/SecretFile.h"
#include "store/Backup.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QTimer>

bool Form1::Form_Load() {
    setWindowIcon(QIcon());
    // The skin is a style sheet in the program folder; without one the
    // window runs unskinned.
    QFile skin(m_folder + QStringLiteral("/skinh.she"));
    if (skin.open(QIODevice::ReadOnly)) setStyleSheet(QString::fromUtf8(skin.readAll()));
    // The selector takes the skin's font while it is still empty: a font
    // change later lays out every entry of a big book again.
    Text1->ensurePolished();
    if (!main()) return false;
    Timer3->start();
    Timer5->start();
    setting();
    read();
    startSource();
    checkSecretFiles();
    startWatch();
    fillTimeLists();
    Label11[3]->setText(QStringLiteral("5.2.0"));
    DrawWindowFrame();
    return true;
}

// Opens the store, checks it and takes the single-copy lock; after a passed
// check keeps the day's backup. On failure it tells the user and ends the
// program.
bool Form1::main() {
    const QString path = m_folder + QStringLiteral("/db/kd100.db");
    const QString folder = m_folder + QStringLiteral("/db");
    // A disk that takes no writes is said as such: the book on it is sound,
    // and reinstalling would not help.
    const auto unwritable = [&](const QString& reason) {
        m_platform.dialogs.MsgBox(
            QStringLiteral("快递数据库无法写入!快递数据没有损坏,也不需要重新安装。\n \n文件夹：") +
                QDir::toNativeSeparators(folder) + QStringLiteral("\n原因：") + reason +
                QStringLiteral("\n \n请排除上述原因后再启动件踪宝。"),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        quitProgram(1);
        return false;
    };
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
            if (const std::optional<QString> problem = folderWriteProblem(folder))
                return unwritable(*problem);
            ok = false; // the lock file cannot be written: the folder is not usable
        }
    }
    const OpenResult opened = ok ? m_store.open(path, storeBusyTimeoutMs) : OpenResult::Missing;
    switch (opened) {
    case OpenResult::Ok:
        // The book is its owner's alone, also where an older version made it
        // readable by others.
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (const std::optional<QString> failure =
                keepDailyBackup(m_store, m_folder, m_platform.clock.now().date()))
            m_startWarnings << QStringLiteral("今日的快递数据备份未能完成,下次启动时再试!原因：") +
                                   *failure;
        return true;
    case OpenResult::Unwritable:
        return unwritable(folderWriteProblem(folder).value_or(m_store.lastError()));
    case OpenResult::Busy:
        m_platform.dialogs.MsgBox(
            QStringLiteral(
                "快递数据库正被其他程序使用,请关闭该程序后再启动件踪宝!\n \n数据库文件：") +
                QDir::toNativeSeparators(path),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        quitProgram(1);
        return false;
    case OpenResult::Damaged: {
        // The file stays exactly as it is: whatever can still be rescued
        // from it is the user's.
        const QString backup = newestBackup(m_folder, m_platform.clock.now().date());
        m_platform.dialogs.MsgBox(
            QStringLiteral("快递数据库已损坏!程序没有改动它。\n \n数据库文件：") +
                QDir::toNativeSeparators(path) + QStringLiteral("\n最近的备份：") +
                (backup.isEmpty() ? QStringLiteral("(没有备份)")
                                  : QDir::toNativeSeparators(backup)) +
                QStringLiteral(
                    "\n \n请关闭程序,用备份文件替换数据库文件后再启动(方法见说明文档)。"),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        quitProgram(1);
        return false;
    }
    case OpenResult::Missing:
    case OpenResult::NotAStore:
    case OpenResult::MissingTables:
        break;
    }
    m_platform.dialogs.MsgBox(
        QStringLiteral("数据库链接出错!请到官网下载原版!\n \nQuorvex件踪宝官方网站：") +
            m_endpoints.site,
        Mb::OkOnly + Mb::Information, BoxTitle);
    m_platform.shell.openUrl(m_endpoints.site);
    quitProgram(1);
    return false;
}

// Files holding a password or a key that others than the user may read.
void Form1::checkSecretFiles() {
    for (const QString& file :
         {m_endpoints.configFolder + QStringLiteral("/mail.conf"), accountPath(),
          m_folder + QStringLiteral("/mail.conf"), m_folder + QStringLiteral("/gateway.conf")})
        if (readableByOthers(file))
            m_startWarnings << QStringLiteral("注意：%1 其他用户也能读取,其中的密码或key可能外泄,"
                                              "请改为仅本人可读(chmod 600)")
                                   .arg(QDir::toNativeSeparators(file));
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
    Label11[5]->setText(clockText(m_platform.clock.now()));
}
