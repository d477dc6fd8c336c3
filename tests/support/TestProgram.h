// A program folder of its own (a fresh copy of the shipped store), the
// in-process gateway on 127.0.0.1, fake dialogs, sound, shell and clock, the
// real HTTP client, and a Form1 on top, driven as a user would drive it.
#pragma once

#include "Answers.h"
#include "Fakes.h"
#include "app/Balloon.h"
#include "app/Form1.h"
#include "gateway/Gateway.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "platform/RealHttp.h"
#include "platform/RealMailer.h"
#include "platform/RealPlatform.h"
#include "services/Version.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/Answer.h"
#include "tracking/ForegroundQuery.h"
#include "tracking/QuerySession.h"
#include "watch/BookWatch.h"
#include "watch/Polling.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

// Holds a store locked as another program would (an exclusive transaction)
// until it is released or destroyed.
class StoreLock {
public:
    explicit StoreLock(const QString& path);
    ~StoreLock();
    void release();

private:
    QString m_name;
};

// Overwrites one page in the middle of the store with random bytes, the way a
// failing disk or an interrupted copy damages a file (the store must hold a
// few hundred parcels).
void damageStore(const QString& path);

// A file's permission bits (0600), or -1 when it is not there.
int fileMode(const QString& path);
// A file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString& path);
// Runs a command to its end (in folder, when given): its exit code, -1 when
// it crashed or took over four minutes, with what it printed in `out`.
int runCommand(const QString& program, const QStringList& args, QString* out = nullptr,
               const QString& folder = QString());
// Every place a key must never reach: this process's command line, each
// logged line, each mail, and every file below folder/db (the store and its
// backups), each unreadable file counted as holding it.
QList<QByteArray> placesAKeyMustNotReach(const QString& folder, const QStringList& logged,
                                         const QList<QJsonObject>& mails);
// Turns the whole-book watch on in the store at path, as its check box would.
void watchOnIn(const QString& storePath);

class TestProgram {
public:
    // Builds the folder and starts the gateway; the window comes with load().
    explicit TestProgram(int httpTimeoutMs = 60000);
    ~TestProgram();

    QString folder() const { return m_dir.path(); }
    QString storePath() const { return m_dir.path() + QStringLiteral("/db/kd100.db"); }

    // Adds a parcel straight into the store (before or after load()).
    qint64 addParcel(const QString& company, const QString& number, const QString& goods,
                     const QString& num = QStringLiteral("0"));
    ParcelRow parcel(qint64 id);
    std::optional<SettingsRow> settingsRow();

    // Constructs Form1 and runs its start-up; false when the program ended.
    bool load();
    // load(), show the window, and run the one-second start tasks now.
    void start();
    // A parcel in the book before the start, with the answer the gateway
    // gives for its number when there is one; chains: p.book(…).book(…).
    TestProgram& book(const QString& company, const QString& number, const QString& goods,
                      const QByteArray& answer = QByteArray());
    // start(), the parcel at index chosen and its query waited for; false
    // when the query did not end.
    bool startAndChoose(int index = 0);
    // The window is idle once the query has ended: the selector, the list
    // and the toolbar usable, the busy animation hidden, the watchdog and
    // the parser stopped. False, saying what is not, when it stays otherwise.
    bool expectIdle(int timeoutMs = 5000);
    // A book of one parcel with this answer, started and the parcel chosen and
    // queried; its row id, or 0 when the query did not end.
    qint64 startOnParcel(const QString& company, const QString& number, const QString& goods,
                         const QByteArray& answer);
    // Takes a parcel out of the book behind the window's back.
    void removeParcel(qint64 id);
    // Picks an entry of the parcel selector with the mouse, as a user would.
    void choose(int index);
    // Chooses an entry as code does (a search, an add): no popup, the same choice.
    void select(int index);
    // A key pressed as a user would: it goes to the control that has the focus.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Waits until the query has been parsed or has failed (window idle).
    bool waitForQueryEnd(int timeoutMs = 5000);

    QString status() const;

    // The window's controls, found as a user's tools find them: by their
    // legacy object names ("Text1", "Command1_13"). A control that is not
    // there stops the test.
#define JZB_CONTROL(Type, Name)                                                                    \
    Type* Name() const {                                                                           \
        return control<Type>(QStringLiteral(#Name));                                               \
    }
#define JZB_CONTROLS(Type, Name)                                                                   \
    Type* Name(int i) const {                                                                      \
        return control<Type>(QStringLiteral(#Name "_%1").arg(i));                                  \
    }
    // clang-format off
    JZB_CONTROL(QLabel, Label1) JZB_CONTROL(QLabel, AniGIF1) JZB_CONTROL(QLabel, Label17)
    JZB_CONTROL(QLabel, Label18) JZB_CONTROL(QLabel, Label19) JZB_CONTROL(QLabel, Label22)
    JZB_CONTROL(QLabel, Label23) JZB_CONTROL(QLabel, Label24) JZB_CONTROL(QLabel, Label26)
    JZB_CONTROL(QLabel, Label27) JZB_CONTROL(QLabel, Label28) JZB_CONTROL(QLabel, Picture5)
    JZB_CONTROL(QLabel, Picture7) JZB_CONTROL(QLabel, xAccount) JZB_CONTROL(QLabel, aicAlphaImage1)
    JZB_CONTROLS(QLabel, x) JZB_CONTROLS(QLabel, Image2) JZB_CONTROLS(QLabel, Label2)
    JZB_CONTROLS(QLabel, Label11) JZB_CONTROLS(QLabel, Label12) JZB_CONTROLS(QLabel, Label13)
    JZB_CONTROLS(QLabel, Label16) JZB_CONTROLS(QLabel, Label20)
    JZB_CONTROL(QComboBox, Text1) JZB_CONTROL(QComboBox, Text3) JZB_CONTROL(QComboBox, Combo2)
    JZB_CONTROL(QComboBox, Combo3) JZB_CONTROL(QComboBox, Combo4) JZB_CONTROL(QComboBox, Combo5)
    JZB_CONTROL(QTreeWidget, ListView1) JZB_CONTROL(QTreeWidget, ListView2)
    JZB_CONTROLS(QFrame, kdmenu)
    JZB_CONTROLS(QPushButton, Command1)
    JZB_CONTROL(QLineEdit, Text2) JZB_CONTROL(QLineEdit, Text4) JZB_CONTROL(QLineEdit, Text6)
    JZB_CONTROL(QLineEdit, Text7) JZB_CONTROL(QLineEdit, Text8) JZB_CONTROL(QLineEdit, Text9)
    JZB_CONTROL(QLineEdit, Text10) JZB_CONTROL(QLineEdit, Text11) JZB_CONTROL(QLineEdit, Sendmail)
    JZB_CONTROL(QPushButton, Command2) JZB_CONTROL(QPushButton, Command3)
    JZB_CONTROL(QPushButton, Command4) JZB_CONTROL(QPushButton, Command5)
    JZB_CONTROL(QPushButton, Command6) JZB_CONTROL(QPushButton, Command7)
    JZB_CONTROL(QGroupBox, Frame4) JZB_CONTROL(QGroupBox, Frame5) JZB_CONTROL(QGroupBox, Frame6)
    JZB_CONTROL(QCheckBox, Check2) JZB_CONTROL(QCheckBox, Check3) JZB_CONTROL(QCheckBox, Check4)
    JZB_CONTROL(QCheckBox, Check5) JZB_CONTROL(QCheckBox, Check6) JZB_CONTROL(QCheckBox, Check7)
    JZB_CONTROL(QCheckBox, Check8) JZB_CONTROL(QCheckBox, Check9) JZB_CONTROL(QCheckBox, Check10)
    JZB_CONTROL(QCheckBox, Check11)
    JZB_CONTROL(QFrame, Picture3) JZB_CONTROL(QFrame, kdaccount)
    JZB_CONTROLS(QRadioButton, Option1) JZB_CONTROLS(QRadioButton, Option2)
    JZB_CONTROLS(QRadioButton, Option3)
    JZB_CONTROL(QTimer, Timer1) JZB_CONTROL(QTimer, Timer3) JZB_CONTROL(QTimer, Timer4)
    JZB_CONTROL(QTimer, Timer5) JZB_CONTROL(QTimer, Timer6) JZB_CONTROL(QTimer, Timer7)
    // clang-format on
#undef JZB_CONTROL
#undef JZB_CONTROLS
        // The window's parts that are objects of their own.
        BookWatch* watch() const {
        return control<BookWatch>(QString());
    }
    Options& options() const {
        return *control<Options>(QString());
    }
    ForegroundQuery* query() const {
        return control<ForegroundQuery>(QString());
    }
    QuerySession& session() const {
        return form->session();
    }
    Polling* polling() const {
        return control<Polling>(QString());
    }
    Class1* tip() const {
        return form->findChild<Class1*>();
    } // none before its first use

    // In the window, or on the shelf where its panels wait until first shown.
    template <class T> T* control(const QString& name) const {
        T* found = form->findChild<T*>(name);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (!found && top->property(ShelfOf).value<QObject*>() == form.get())
                found = top->findChild<T*>(name);
        if (!found) qFatal("the window has no %s", qPrintable(name));
        return found;
    }

    FakeDialogs dialogs;
    FakeSound sound;
    FakeShell shell;
    FakeClock clock;
    Gateway gateway;
    RealMailer mailer{2, 10};     // short time-outs; no relay unless a test names one
    Endpoints endpoints;          // the gateway's addresses; tests may point one elsewhere
    int storeBusyTimeoutMs = 200; // a locked store is reported after this long
    std::unique_ptr<RealHttp> http;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Form1> form;

private:
    Store& fixtureStore();
    QTemporaryDir m_dir;
    std::unique_ptr<Store> m_fixture;
};
