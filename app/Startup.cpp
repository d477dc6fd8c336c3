// Start-up in its fixed order, the guard against a second copy and a store
// that cannot be opened, and the status-row clock.
#include "app/ClockText.h"
#include "app/Form1.h"
#include "couriers/CourierPanel.h"
#include "parcels/AddPanel.h"
#include "parcels/BatchPanel.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "platform/SecretFile.h"
#include "services/Version.h"
#include "settings/Options.h"
#include "settings/SettingsPanel.h"
#include "store/Backup.h"
#include "store/Place.h"
#include "store/Store.h"
#include "tracking/Accounts.h"
#include "tracking/QuerySession.h"
#include "tracking/Source.h"
#include "watch/BookWatch.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QTimer>
#include <functional>
#include <utility>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
// Runs the rest of the start once, after the window's first frame: a call
// posted while the frame is painted runs after the frame has gone to the
// display. A window that is not to paint now (not shown, minimised, in the
// tray) does not hold the rest back: it runs in the event loop's first
// turn. Neither does a frame that never comes: by FrameWaitMs the rest runs
// anyway, before the one-second start tasks that need it.
class AfterFirstFrame : public QObject {
public:
    static constexpr int FrameWaitMs = 500;

    AfterFirstFrame(QWidget* window, std::function<void()> rest)
        : QObject(window), m_window(window), m_rest(std::move(rest)) {
        window->installEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            if (!m_window->isVisible() || m_window->isMinimized()) run();
        });
        QTimer::singleShot(FrameWaitMs, this, [this] { run(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { run(); });
        return false;
    }

private:
    void run() {
        if (!m_rest) return;
        m_window->removeEventFilter(this);
        std::exchange(m_rest, nullptr)();
        deleteLater();
    }

    QWidget* m_window;
    std::function<void()> m_rest;
};
} // namespace

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
    m_options->load(); // the boxes, the watch and its interval follow
    startSource();
    checkSecretFiles();
    Label11[3]->setText(ProgramVersion);
    DrawWindowFrame();
    // The settings panel's time lists, the store's check and the day's
    // backup, then the book into the selector, once the window's first frame
    // is on the screen (the panel is not open and the selector shows no entry
    // until one is chosen, so the frame is the same); the store takes no
    // write before the check has passed, and a damaged book is not read for
    // the selector.
    new AfterFirstFrame(this, [this] {
        m_settings->fillTimeLists();
        if (!checkStore()) return;
        refill();
        // The pages the check, the backup and the book's reading went
        // through are not needed again soon: given back to the system.
        m_store->releaseMemory();
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    });
    return true;
}

// Opens the store and takes the single-copy lock. On failure it tells the
// user and ends the program.
bool Form1::main() {
    if (!placeStore()) return false;
    const QString path = m_dataFolder + QStringLiteral("/db/kd100.db");
    const bool ok = QFileInfo(path).isFile() && m_lock->isLocked();
    const OpenResult opened =
        ok ? m_store->open(path, storeBusyTimeoutMs, Store::Check::Later) : OpenResult::Missing;
    if (opened != OpenResult::Ok) return storeFailed(opened);
    // The book is its owner's alone, also where an older version made it
    // readable by others.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

// The store's integrity check, once, and after it has passed the day's
// backup; false when the check failed and the program ended.
bool Form1::checkStore() {
    if (m_storeChecked) return *m_storeChecked;
    const OpenResult verdict = m_store->verify();
    m_storeChecked = verdict == OpenResult::Ok;
    if (verdict != OpenResult::Ok) return storeFailed(verdict);
    m_options->storeLoaded(); // the options the loader turned on, stored as "是"
    if (const std::optional<QString> failure =
            keepDailyBackup(*m_store, m_dataFolder, m_platform.clock.now().date()))
        m_startWarnings << QStringLiteral("今日的快递数据备份未能完成,下次启动时再试!原因：") +
                               *failure;
    // The tracking service's answers older than a day pace nothing any more.
    if (m_services[0])
        m_store->forgetAnswers(
            m_platform.clock.now().addDays(-1).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    return true;
}

// A store that cannot be used, said as what it is; the program ends.
bool Form1::storeFailed(OpenResult opened) {
    const QString path = m_dataFolder + QStringLiteral("/db/kd100.db");
    const QString folder = m_dataFolder + QStringLiteral("/db");
    switch (opened) {
    case OpenResult::Ok:
        return true;
    case OpenResult::Unwritable:
        return storeUnwritable(folder, folderWriteProblem(folder).value_or(m_store->lastError()));
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
        const QString backup = newestBackup(m_dataFolder, m_platform.clock.now().date());
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
            m_endpoints->site,
        Mb::OkOnly + Mb::Information, BoxTitle);
    m_platform.shell.openUrl(m_endpoints->site);
    quitProgram(1);
    return false;
}

// A disk that takes no writes is said as such: the book on it is sound,
// and reinstalling would not help.
bool Form1::storeUnwritable(const QString& folder, const QString& reason) {
    m_platform.dialogs.MsgBox(
        QStringLiteral("快递数据库无法写入!快递数据没有损坏,也不需要重新安装。\n \n文件夹：") +
            QDir::toNativeSeparators(folder) + QStringLiteral("\n原因：") + reason +
            QStringLiteral("\n \n请排除上述原因后再启动件踪宝。"),
        Mb::OkOnly + Mb::Exclamation, BoxTitle);
    quitProgram(1);
    return false;
}

bool Form1::alreadyRunning() {
    m_platform.dialogs.MsgBox(QStringLiteral("程序已运行!"), Mb::OkOnly + Mb::Information,
                              BoxTitle);
    quitProgram(1);
    return false;
}

// Decides where the book lives and takes the single-copy lock there. In the
// user's data folder (made readable by the user alone) a book an earlier
// version kept beside the program is moved in, and a new book is made from
// the shipped seed when there is none and no backup that could replace it.
bool Form1::placeStore() {
    const StorePlace place = storePlace(m_folder, m_endpoints->dataFolder);
    m_dataFolder = place.folder;
    const QString folder = m_dataFolder + QStringLiteral("/db");
    const QString path = folder + QStringLiteral("/kd100.db");
    m_lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    if (!place.own) {
        // A portable program folder: its book is there, or the start fails.
        if (!QFileInfo(path).isFile() || m_lock->tryLock(0)) return true;
        if (m_lock->error() == QLockFile::LockFailedError) return alreadyRunning();
        if (const std::optional<QString> problem = folderWriteProblem(folder))
            return storeUnwritable(folder, *problem);
        return true; // the lock file cannot be written: the folder is not usable
    }
    if (!makePrivateFolder(folder))
        return storeUnwritable(
            folder, folderWriteProblem(m_dataFolder).value_or(QStringLiteral("无法创建文件夹")));
    // Both books are locked while one moves: no copy of the program writes
    // either meanwhile.
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) return alreadyRunning();
        return storeUnwritable(
            folder, folderWriteProblem(folder).value_or(QStringLiteral("无法写入锁文件")));
    }
    if (!place.oldFolder.isEmpty()) {
        QLockFile oldLock(place.oldFolder + QStringLiteral("/db/kd100.db.lock"));
        if (!oldLock.tryLock(0) && oldLock.error() == QLockFile::LockFailedError)
            return alreadyRunning();
        const StoreMove move = moveStore(place.oldFolder, m_dataFolder);
        oldLock.unlock();
        QDir(place.oldFolder).rmdir(QStringLiteral("db")); // once nothing is left in it
        if (!move.message.isEmpty()) m_startWarnings << move.message;
        if (!move.moved) {
            // The old book stays in use where it is, under its own lock.
            m_dataFolder = place.oldFolder;
            m_lock =
                std::make_unique<QLockFile>(m_dataFolder + QStringLiteral("/db/kd100.db.lock"));
            if (m_lock->tryLock(0)) return true;
            return m_lock->error() == QLockFile::LockFailedError ? alreadyRunning() : true;
        }
    }
    if (QFileInfo::exists(path)) return true;
    // A book that is gone while its backups are there is not replaced by an
    // empty one: the user restores a backup.
    const QString backup = newestBackup(m_dataFolder, m_platform.clock.now().date());
    if (!backup.isEmpty()) {
        m_platform.dialogs.MsgBox(
            QStringLiteral("快递数据库不存在!\n \n数据库文件：") + QDir::toNativeSeparators(path) +
                QStringLiteral("\n最近的备份：") + QDir::toNativeSeparators(backup) +
                QStringLiteral("\n \n请用备份文件替换数据库文件后再启动(方法见说明文档)。"),
            Mb::OkOnly + Mb::Exclamation, BoxTitle);
        quitProgram(1);
        return false;
    }
    QFile seed(m_folder + QStringLiteral("/seed.sql"));
    QString error;
    if (seed.open(QIODevice::ReadOnly) && // without the seed the start fails as without a book
        !Store::createFromSeed(path, QString::fromUtf8(seed.readAll()), &error))
        return storeUnwritable(folder, folderWriteProblem(folder).value_or(error));
    return true;
}

// Where tracking answers come from: the demo's simulation, a configured
// gateway, or the tracking service with the user's own account.
void Form1::startSource() {
    TrackingSource* source = nullptr;
    if (m_endpoints->demo) {
        source = new DemoSource(m_endpoints->demoSpeed, this);
        setWindowTitle(windowTitle() + QStringLiteral("（演示）"));
        Label28->show();
    } else if (m_endpoints->viaGateway()) {
        source = new GatewaySource(m_platform.http, m_endpoints->tracking, m_endpoints->autoNumber,
                                   this);
    } else {
        m_services = {new EnterpriseSource(m_platform.http, *m_store, m_platform.clock,
                                           m_endpoints->poll, m_endpoints->autoEnterprise, this),
                      new KdniaoSource(m_platform.http, *m_store, m_platform.clock,
                                       m_endpoints->kdniao, this)};
        // Their answers older than a day are forgotten after the store's check.
        return useService(m_accounts->load(*m_store));
    }
    m_session->setSource(source);
    m_add->detection().setSource(source);
    m_batch->setSource(source);
    bookWatch->setSource(source);
    m_settings->accountUsable(false, m_endpoints->demo
                                         ? QStringLiteral("演示模式不使用查询账户")
                                         : QStringLiteral("查询经由设置的网关,不使用查询账户"));
}

// Both services know the accounts; the one the account names is asked, from
// now on (a switch in 查询账户 takes effect at once).
void Form1::useService(const TrackingAccount& account) {
    if (!m_services[0]) return; // a gateway or the demo answers
    for (ServiceSource* s : m_services)
        s->setAccount(account);
    ServiceSource* source = m_services[account.service == TrackingService::Kdniao ? 1 : 0];
    m_session->setSource(source);
    m_add->detection().setSource(source);
    m_batch->setSource(source);
    bookWatch->setSource(source);
    m_settings->accountUsable(true, {});
}

// The user's config folder is theirs alone; files holding a password or a key
// that others may read, or that are no plain small files, are named.
void Form1::checkSecretFiles() {
    makeFolderPrivate(m_endpoints->configFolder);
    for (const QString& file :
         {m_endpoints->configFolder + QStringLiteral("/mail.conf"), m_accounts->path(),
          m_folder + QStringLiteral("/mail.conf"), m_folder + QStringLiteral("/gateway.conf")}) {
        bool refused = false;
        readConfigFile(file, &refused);
        if (refused)
            m_startWarnings << QStringLiteral("注意：%1 不是普通文件、超过64KB或无法读取,已忽略")
                                   .arg(QDir::toNativeSeparators(file));
        else if (readableByOthers(file))
            m_startWarnings << QStringLiteral("注意：%1 其他用户也能读取,其中的密码或key可能外泄,"
                                              "请改为仅本人可读(chmod 600)")
                                   .arg(QDir::toNativeSeparators(file));
    }
}

void Form1::Timer5_Timer() {
    Label11[5]->setText(clockText(m_platform.clock.now()));
}
