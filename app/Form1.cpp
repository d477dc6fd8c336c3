#include "app/Form1.h"
#include "app/Backdrop.h"
#include "app/Balloon.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "services/Version.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/ForegroundQuery.h"
#include "tracking/Reading.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

// The pictures are compiled into the core library; a static library must
// register them itself.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {
int nextConnection = 0;

QTimer* timer(QObject* parent, const char* name, int interval, bool enabled) {
    auto* t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(interval);
    if (enabled) t->start();
    return t;
}
} // namespace

Form1::Form1(Platform& platform, Endpoints endpoints, QString programFolder, QWidget* parent)
    : QWidget(parent), reading(std::make_unique<Reading>()), shown(std::make_unique<Reading>()),
      notice(std::make_unique<Announcement>()), m_platform(platform),
      m_endpoints(std::make_unique<Endpoints>(std::move(endpoints))),
      m_folder(std::move(programFolder)),
      m_store(std::make_unique<Store>(QStringLiteral("kd100-%1").arg(nextConnection++))) {
    initResources();
    buildWindow();
    options = new Options(this);
    connect(options, &Options::changed, this, &Form1::showOptions);

    Timer1 = timer(this, "Timer1", 100, false);
    Timer1->setTimerType(Qt::PreciseTimer); // the parse follows its answer after 100 ms, not 95
    // The start tasks and the clock begin once the store is open (Form_Load).
    Timer3 = timer(this, "Timer3", 1000, false);
    Timer4 = timer(this, "Timer4", 1000, false);
    Timer5 = timer(this, "Timer5", 1000, false);
    Timer6 = timer(this, "Timer6", 60000, false);
    Timer7 = timer(this, "Timer7", 1000, false);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    connect(Timer5, &QTimer::timeout, this, &Form1::Timer5_Timer);
    connect(Timer7, &QTimer::timeout, this, &Form1::Timer7_Timer);
    m_query = new ForegroundQuery(Timer7, this);
    m_query->showBusy = [this](bool busy) { setBusy(busy); };
    m_query->unlock = [this](ForegroundQuery::Unlock what) {
        if (what == ForegroundQuery::Unlock::Window)
            unlockWindow();
        else if (what == ForegroundQuery::Unlock::AfterQuery)
            unlockAfterQuery();
    };
    connect(Timer6, &QTimer::timeout, this, &Form1::Timer6_Timer);
    connect(Timer4, &QTimer::timeout, this, &Form1::Timer4_Timer);

    // One handler per control array, dispatching on the index.
    for (int i = 0; i < int(Command1.size()); ++i)
        if (Command1[i])
            connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(Text1, &QComboBox::activated, this, [this] { Text1_Click(); });
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, [this] {
        ListView2->clear();
        kdlb();
    });
    // The number boxes' filters and the courier detection follow every change.
    connect(Text3, &QComboBox::editTextChanged, this, &Form1::Text3_Change);
    connect(Text4, &QLineEdit::textChanged, this, &Form1::Text4_Change);
    connect(Text7, &QLineEdit::textChanged, this, &Form1::Text7_Change);
    connect(Text8, &QLineEdit::textChanged, this, &Form1::Text8_Change);
    connect(ListView2, &QTreeWidget::itemDoubleClicked, this, &Form1::ListView2_DblClick);
    ListView2->viewport()->installEventFilter(this);
    ListView1->viewport()->installEventFilter(this);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::openAccountPanel);
    connect(Command7, &QPushButton::clicked, this, &Form1::saveAccount);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    // Neither list's columns can be resized by the user.
    HookListHeader(ListView1);
    HookListHeader(ListView2);
    installKeyPreview();

    const std::pair<QCheckBox*, Switch> toggles[] = {
        {Check2, Switch::Mail},         {Check3, Switch::Sound},   {Check4, Switch::Drag},
        {Check5, Switch::CloseOnClick}, {Check6, Switch::Balloon}, {Check7, Switch::QueryFirst},
        {Check8, Switch::AutoDetect}};
    for (const auto& [box, which] : toggles)
        connect(box, &QCheckBox::stateChanged, this, [this, which = which] { Check_Click(which); });
    connect(Check9, &QCheckBox::stateChanged, this, &Form1::Check9_Click);
    connect(Check10, &QCheckBox::stateChanged, this, &Form1::Check10_Click);
    connect(Sendmail, &QLineEdit::textChanged, options, &Options::setAddress);
    connect(Combo5, &QComboBox::activated, this, &Form1::Combo5_Click);

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
    m_panels = {kdmenu[0], kdmenu[1], kdmenu[2], kdmenu[3], kdmenu[4], kdaccount};
    for (QWidget* panel : m_panels)
        panel->setParent(m_shelf.get());
}

Form1::~Form1() {
    // Timers must not tick into a half-destroyed window.
    for (QTimer* t : {Timer1, Timer3, Timer4, Timer5, Timer6, Timer7})
        t->stop();
    // Panels never shown go with the window's other controls, after this
    // window has stopped being one (its event filter then no longer runs).
    for (QWidget* panel : m_panels)
        panel->setParent(this);
}

void Form1::bringIn(QWidget* panel) {
    if (panel->parentWidget() == this) return;
    panel->setParent(this);
    // In the window's stacking order as built: under the panels after it
    // that are in already, and under the enlarged-entry overlay.
    QWidget* above = Picture5;
    for (auto i = m_panels.size(); i-- > 0 && m_panels[i] != panel;)
        if (m_panels[i]->parentWidget() == this) above = m_panels[i];
    panel->stackUnder(above);
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
