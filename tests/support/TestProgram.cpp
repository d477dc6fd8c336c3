#include "TestProgram.h"

#include <QDirIterator>
#include <QJsonDocument>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

namespace {
int fixtures = 0;
int locks = 0;
} // namespace

StoreLock::StoreLock(const QString& path) : m_name(QStringLiteral("lock-%1").arg(locks++)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(path);
    if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE")))
        qFatal("cannot lock the test store");
}

StoreLock::~StoreLock() {
    release();
}

void StoreLock::release() {
    if (m_name.isEmpty()) return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
}

int fileMode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int runCommand(const QString& program, const QStringList& args, QString* out,
               const QString& folder) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForFinished(240000)) return -1;
    if (out) *out = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QList<QByteArray> placesAKeyMustNotReach(const QString& folder, const QStringList& logged,
                                         const QList<QJsonObject>& mails) {
    QFile cmdline(QStringLiteral("/proc/self/cmdline"));
    QList<QByteArray> places = {cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : "?"};
    for (const QString& text : logged)
        places << text.toUtf8();
    for (const QJsonObject& m : mails)
        places << QJsonDocument(m).toJson();
    QDirIterator files(folder + QStringLiteral("/db"), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        places << (file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable");
    }
    return places;
}

void watchOnIn(const QString& storePath) {
    if (!Store::runScript(
            storePath,
            QStringLiteral("UPDATE watchoption SET value = '是' WHERE name = '后台刷新';\n"),
            nullptr))
        qFatal("cannot turn the watch on");
}

void damageStore(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) qFatal("cannot open the store to damage");
    const qint64 page = (f.size() / 2) / 4096 * 4096;
    if (page <= 4096) qFatal("the store is too small to damage a middle page");
    QByteArray noise(4096, 0);
    QRandomGenerator random(17);
    for (char& c : noise)
        c = char(random.bounded(256));
    f.seek(page);
    f.write(noise);
}

TestProgram::TestProgram(int httpTimeoutMs) : http(std::make_unique<RealHttp>(httpTimeoutMs)) {
    QDir(m_dir.path()).mkpath(QStringLiteral("db"));
    seedStore(storePath());
    if (!gateway.listenLocal()) qFatal("the gateway cannot listen on 127.0.0.1");
    endpoints = Endpoints::atGateway(gateway.baseUrl());
    endpoints.configFolder = m_dir.path() + QStringLiteral("/config");
    endpoints.autostartFolder = m_dir.path() + QStringLiteral("/autostart");
    platform = std::make_unique<Platform>(Platform{dialogs, *http, mailer, sound, shell, clock});
}

TestProgram::~TestProgram() {
    gateway.releaseHanging();
    form.reset();
}

Store& TestProgram::fixtureStore() {
    if (!m_fixture) {
        m_fixture = std::make_unique<Store>(QStringLiteral("fixture-%1").arg(fixtures++));
        if (m_fixture->open(storePath()) != OpenResult::Ok) qFatal("cannot open the test store");
    }
    return *m_fixture;
}

qint64 TestProgram::addParcel(const QString& company, const QString& number, const QString& goods,
                              const QString& num) {
    Store& s = fixtureStore();
    s.addParcel(company, number, goods);
    const qint64 id = s.parcels()->constLast().id;
    if (num != QStringLiteral("0")) s.setParcelNum(id, num);
    return id;
}

ParcelRow TestProgram::parcel(qint64 id) {
    return fixtureStore().parcelById(id)->value_or(ParcelRow{});
}

std::optional<SettingsRow> TestProgram::settingsRow() {
    return *fixtureStore().settings();
}

bool TestProgram::load() {
    form = std::make_unique<Form1>(*platform, endpoints, folder());
    form->setStoreBusyTimeout(storeBusyTimeoutMs);
    // The start-up, then the event loop's first turn, where the store's
    // check and the day's backup run once the window is up.
    const qsizetype ended = shell.ended.size();
    if (!form->Form_Load()) return false;
    QCoreApplication::processEvents();
    return shell.ended.size() == ended;
}

void TestProgram::start() {
    if (!load()) qFatal("start-up ended the program");
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) qFatal("the window was not shown");
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("the window did not become active");
    form->Timer3_Timer();
}

TestProgram& TestProgram::book(const QString& company, const QString& number, const QString& goods,
                               const QByteArray& answer) {
    addParcel(company, number, goods);
    if (!answer.isEmpty()) gateway.script(number, {answer});
    return *this;
}

bool TestProgram::startAndChoose(int index) {
    start();
    choose(index);
    return waitForQueryEnd();
}

bool TestProgram::expectIdle(int timeoutMs) {
    const auto busy = [this]() -> const char* {
        if (!Text1()->isEnabled()) return "the selector is disabled";
        if (!ListView1()->isEnabled()) return "the progress list is disabled";
        for (int i = 1; i <= 7; ++i)
            if (!Image2(i)->isEnabled()) return "a toolbar image is disabled";
        if (AniGIF1()->isVisible()) return "the busy animation shows";
        if (Timer7()->isActive()) return "the watchdog runs";
        if (Timer1()->isActive()) return "the parser is armed";
        return nullptr;
    };
    if (QTest::qWaitFor([&] { return !busy(); }, timeoutMs)) return true;
    qWarning("the window is not idle: %s", busy());
    return false;
}

qint64 TestProgram::startOnParcel(const QString& company, const QString& number,
                                  const QString& goods, const QByteArray& answer) {
    const qint64 id = addParcel(company, number, goods);
    gateway.script(number, {answer});
    return startAndChoose() ? id : 0;
}

void TestProgram::removeParcel(qint64 id) {
    if (!Store::runScript(storePath(), QStringLiteral("DELETE FROM kd100 WHERE id = %1;\n").arg(id),
                          nullptr))
        qFatal("cannot remove a parcel from the test store");
}

void TestProgram::choose(int index) {
    QComboBox* selector = Text1();
    selector->showPopup();
    QAbstractItemView* view = selector->view();
    if (!QTest::qWaitForWindowExposed(view->window())) qWarning("the selector list did not open");
    const QRect item = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
}

void TestProgram::select(int index) {
    QComboBox* selector = Text1();
    {
        const QSignalBlocker quiet(selector);
        selector->setCurrentIndex(index);
    }
    emit selector->activated(index);
}

void TestProgram::press(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : form.get(), Qt::Key(key), modifiers);
}

bool TestProgram::waitForQueryEnd(int timeoutMs) {
    return QTest::qWaitFor([this] { return Text1()->isEnabled() && !Timer1()->isActive(); },
                           timeoutMs);
}

QString TestProgram::status() const {
    return Label11(2)->text();
}
