#include "app/Form1.h"
#include "app/Backdrop.h"
#include "app/Balloon.h"
#include "couriers/CourierPanel.h"
#include "parcels/AddPanel.h"
#include "parcels/Archive.h"
#include "parcels/BatchPanel.h"
#include "parcels/EditPanel.h"
#include "parcels/SearchPanel.h"
#include "platform/Endpoints.h"
#include "platform/Notifications.h"
#include "platform/Platform.h"
#include "services/TimeCalibration.h"
#include "services/Version.h"
#include "settings/AccountPanel.h"
#include "settings/Options.h"
#include "settings/SettingsPanel.h"
#include "store/Store.h"
#include "tracking/QuerySession.h"
#include "tracking/Source.h"
#include "watch/Alerts.h"
#include "watch/BookWatch.h"
#include "watch/ChangeDetection.h"
#include "watch/Polling.h"

#include <QComboBox>
#include <QLabel>
#include <QLockFile>
#include <QMovie>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>

// The pictures are compiled into the core library; a static library must
// register them itself.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {
int nextConnection = 0;
}

Form1::Form1(Platform& platform, Endpoints endpoints, QString programFolder, QWidget* parent)
    : QWidget(parent), m_platform(platform),
      m_endpoints(std::make_unique<Endpoints>(std::move(endpoints))),
      m_folder(std::move(programFolder)),
      m_store(std::make_unique<Store>(QStringLiteral("kd100-%1").arg(nextConnection++))),
      notice(std::make_unique<Announcement>()),
      m_accounts(std::make_unique<Accounts>(m_endpoints->configFolder, m_folder,
                                            m_endpoints->account, m_endpoints->service)) {
    initResources();
    buildWindow();
    Dialogs& dialogs = platform.dialogs;
    m_options = new Options(*m_store, this);
    m_session = new QuerySession(*m_store, dialogs, platform.clock, this);
    m_alerts = new Alerts(platform, *m_endpoints, *m_options, *notice,
                          m_folder + QStringLiteral("/ts.mp3"), this);
    auto* change = new ChangeDetection(*m_session, *m_store, *m_alerts, this);
    m_polling = new Polling(*m_session, dialogs, platform.clock, this);
    m_polling->chosen = [this] { return !Text1->currentText().isEmpty(); };
    bookWatch = new BookWatch(*m_store, platform.clock, this);

    // The panels, in their stacking order; each keeps its own controls.
    m_add = new AddPanel(*m_store, dialogs, *m_options, *m_session, *this, this);
    m_settings = new SettingsPanel(
        *m_options, *m_polling, dialogs, platform.shell,
        std::make_unique<TimeCalibration>(platform.http, dialogs, platform.clock,
                                          m_endpoints->probePage, m_endpoints->timeSource),
        {m_endpoints->autostartFolder, m_folder + QStringLiteral("/jianzongbao"),
         m_endpoints->promotion},
        this);
    m_edit = new EditPanel(*m_store, dialogs, *m_options, *m_session, *this, this);
    m_search = new SearchPanel(*m_store, dialogs, *this, this);
    m_couriers = new CourierPanel(*m_store, dialogs, this);
    m_account = new AccountPanel(*m_accounts, this);
    m_batch = new BatchPanel(*m_store, dialogs, *this, this);
    kdmenu = {m_add, m_settings, m_edit, m_search, m_couriers};
    m_panels = {m_add, m_settings, m_edit, m_search, m_couriers, m_account, m_batch};
    for (Panel* p : m_panels)
        connect(p, &Panel::status, this, &Form1::setStatus);
    Picture5->raise(); // the enlarged entry covers the panels too

    // The query shows itself here.
    connect(m_session, &QuerySession::busy, this, [this](bool on) {
        AniGIF1->setVisible(on);
        if (on)
            m_busy->start();
        else
            m_busy->stop();
    });
    connect(m_session, &QuerySession::status, this, &Form1::setStatus);
    connect(m_session, &QuerySession::cleared, this, [this](bool answerLine) {
        ListView1->clear();
        if (answerLine) Label27->clear();
    });
    connect(m_session, &QuerySession::cellsReset, this, [this] {
        for (int i : {7, 2, 3, 5})
            Label12[i]->setText(QStringLiteral("未查询"));
        Label12[3]->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    });
    connect(m_session, &QuerySession::answerTime, Label27, &QLabel::setText);
    connect(m_session, &QuerySession::parsed, this, &Form1::showParsed);
    connect(m_session, &QuerySession::answered, this, [this, change](const Reading& read) {
        change->gxtj(read);
        rememberAnswer(read); // after gxtj, so the marks see the count just stored
        noteSigning(*m_store, m_session->current().id, read, m_platform.clock.now());
    });
    connect(m_session, &QuerySession::unlock, this, [this](ForegroundQuery::Unlock what) {
        if (what == ForegroundQuery::Unlock::Window)
            unlockWindow();
        else if (what == ForegroundQuery::Unlock::AfterQuery)
            unlockAfterQuery();
    });
    connect(m_session, &QuerySession::reset, this, [this] {
        hideAllPanels();
        unlockWindow();
        ListView1->setFocus();
    });
    connect(m_session, &QuerySession::failed, this, &Form1::showRemembered);
    connect(m_session, &QuerySession::deleted, this, [this] {
        if (refill() && m_options->on(Switch::QueryFirst) && Text1->count() > 0) choose(0);
    });
    connect(m_session, &QuerySession::accountWanted, this, &Form1::openAccountPanel);
    connect(change, &ChangeDetection::judged, this, [this](const QString& text, bool news) {
        Label12[3]->setText(text);
        Label12[3]->setStyleSheet(news ? QStringLiteral("color: rgb(255, 0, 0);")
                                       : QStringLiteral("color: rgb(255, 255, 255);"));
    });
    connect(change, &ChangeDetection::status, this, &Form1::setStatus);

    // The panels' wishes.
    connect(m_add, &AddPanel::courierListWanted, this, &Form1::openCourierList);
    connect(m_add, &AddPanel::batchWanted, this, &Form1::openBatchPanel);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this), &QShortcut::activated, this,
            &Form1::openBatchPanel);
    connect(m_edit, &EditPanel::courierListWanted, this, &Form1::openCourierList);
    connect(m_add, &AddPanel::querying, this, [this] { setToolbarEnabled(false); });
    connect(m_couriers, &CourierPanel::picked, this, &Form1::courierPicked);
    connect(m_settings, &SettingsPanel::accountWanted, this, &Form1::openAccountPanel);
    connect(m_account, &AccountPanel::saved, this, &Form1::useService);

    // Polling locks the window to its parcel, and queries it when due.
    connect(m_polling, &Polling::modeChanged, this, [this](Polling::Mode mode) {
        const bool locked = mode != Polling::Mode::Off;
        Text1->setEnabled(!locked);
        setToolbarEnabled(!locked);
        if (locked) Image2[6]->setEnabled(true);
    });
    connect(m_polling, &Polling::due, this, &Form1::Text1_Click);

    // The whole-book watch follows its options.
    bookWatch->foregroundBusy = [this] { return m_session->query().waiting(); };
    connect(bookWatch, &BookWatch::moved, this, &Form1::watchMoved);
    connect(bookWatch, &BookWatch::remembered, this, &Form1::refreshMarks);
    connect(m_options, &Options::changed, this, [this] {
        bookWatch->setIntervalMinutes(m_options->watchMinutes());
        if (m_options->watching() != bookWatch->isOn()) setWatching(m_options->watching());
    });

    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(1000);
    Timer5 = new QTimer(this);
    Timer5->setObjectName(QStringLiteral("Timer5"));
    Timer5->setInterval(1000);
    // The start tasks and the clock begin once the store is open (Form_Load).
    connect(Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    connect(Timer5, &QTimer::timeout, this, &Form1::Timer5_Timer);
    connect(Text1, &QComboBox::activated, this, [this] { Text1_Click(); });
    ListView1->viewport()->installEventFilter(this);
    // The progress list's columns cannot be resized by the user.
    HookListHeader(ListView1);
    HookListHeader(findChild<QTreeWidget*>(QStringLiteral("ListView2")));
    installKeyPreview();

    // Text from the user, the store or a service is never read as markup.
    for (QLabel* l : findChildren<QLabel*>())
        l->setTextFormat(Qt::PlainText);
    // Mouse behaviour of labels, close images, panels and the overlay.
    for (QWidget* w : findChildren<QWidget*>())
        if (qobject_cast<QLabel*>(w) || qobject_cast<QFrame*>(w)) w->installEventFilter(this);

    // The panels wait outside the window, unstyled, until they are first
    // placed: the skin styles only what the start shows.
    m_shelf = std::make_unique<QWidget>();
    m_shelf->setObjectName(QStringLiteral("shelf"));
    m_shelf->setProperty(ShelfOf, QVariant::fromValue(static_cast<QObject*>(this)));
    for (QWidget* panel : m_panels)
        panel->setParent(m_shelf.get());
}

Form1::~Form1() {
    // Timers must not tick into a half-destroyed window.
    Timer3->stop();
    Timer5->stop();
    // Panels never shown go with the window's other controls, after this
    // window has stopped being one (its event filter then no longer runs).
    for (QWidget* panel : m_panels)
        panel->setParent(this);
}

void Form1::quitProgram(int status) {
    // The process ends at once; give the single-copy lock back first so the
    // next start does not have to judge a stale one.
    if (m_lock) m_lock->unlock();
    m_platform.shell.endProgram(status);
}

void Form1::setStatus(const QString& text) {
    Label11[2]->setText(text);
    Label11[2]->setToolTip(text); // a long text is cut at the label's end
}

void Form1::setToolbarEnabled(bool enabled) {
    for (int i = 1; i <= 7; ++i)
        Image2[i]->setEnabled(enabled);
}

void Form1::unlockWindow() {
    Text1->setEnabled(true);
    ListView1->setEnabled(true);
    setToolbarEnabled(true);
}

// The selector and toolbar after a finished query; while loop or timed
// querying runs, only the courier-list button.
void Form1::unlockAfterQuery() {
    ListView1->setEnabled(true);
    if (m_polling->mode() == Polling::Mode::Off) {
        Text1->setEnabled(true);
        setToolbarEnabled(true);
    } else {
        Image2[6]->setEnabled(true);
    }
}
