#include "TestProgram.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {
int fixtures = 0;
}

TestProgram::TestProgram(int httpTimeoutMs) : http(std::make_unique<RealHttp>(httpTimeoutMs)) {
    QDir(m_dir.path()).mkpath(QStringLiteral("db"));
    QFile seed(QStringLiteral(JZB_SEED_SQL));
    seed.open(QIODevice::ReadOnly);
    QString error;
    if (!Store::createFromSeed(storePath(), QString::fromUtf8(seed.readAll()), &error))
        qFatal("cannot build the test store: %s", qPrintable(error));
    if (!gateway.listenLocal()) qFatal("the gateway cannot listen on 127.0.0.1");
    endpoints = Endpoints::atGateway(gateway.baseUrl());
    platform = std::make_unique<Platform>(Platform{dialogs, *http, sound, shell, clock});
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
    const qint64 id = s.parcels().constLast().id;
    if (num != QStringLiteral("0")) s.setParcelNum(id, num);
    return id;
}

ParcelRow TestProgram::parcel(qint64 id) {
    return fixtureStore().parcelById(id).value_or(ParcelRow{});
}

std::optional<SettingsRow> TestProgram::settingsRow() {
    return fixtureStore().settings();
}

bool TestProgram::load() {
    form = std::make_unique<Form1>(*platform, endpoints, folder());
    return form->Form_Load();
}

void TestProgram::start() {
    if (!load()) qFatal("start-up ended the program");
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) qFatal("the window was not shown");
    form->Timer3_Timer();
}

void TestProgram::choose(int index) {
    QComboBox* selector = form->Text1;
    selector->showPopup();
    QAbstractItemView* view = selector->view();
    if (!QTest::qWaitForWindowExposed(view->window())) qWarning("the selector list did not open");
    const QRect item = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
}

bool TestProgram::waitForQueryEnd(int timeoutMs) {
    return QTest::qWaitFor([this] { return form->Text1->isEnabled() && !form->Timer1->isActive(); },
                           timeoutMs);
}

QString TestProgram::status() const {
    return form->Label11[2]->text();
}
