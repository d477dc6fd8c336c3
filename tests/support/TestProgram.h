// A program folder of its own (a fresh copy of the shipped store), the
// in-process gateway on 127.0.0.1, fake dialogs, sound, shell and clock, the
// real HTTP client, and a Form1 on top, driven as a user would drive it.
#pragma once

#include "Fakes.h"
#include "app/Form1.h"
#include "gateway/Gateway.h"
#include "platform/RealMailer.h"
#include "platform/RealPlatform.h"
#include "settings/Options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
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
    // A book of one parcel with this answer, started and the parcel chosen and
    // queried; its row id, or 0 when the query did not end.
    qint64 startOnParcel(const QString& company, const QString& number, const QString& goods,
                         const QByteArray& answer);
    // Takes a parcel out of the book behind the window's back.
    void removeParcel(qint64 id);
    // Picks an entry of the parcel selector with the mouse, as a user would.
    void choose(int index);
    // A key pressed as a user would: it goes to the control that has the focus.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Waits until the query has been parsed or has failed (window idle).
    bool waitForQueryEnd(int timeoutMs = 5000);

    QString status() const;
    // The body of a tracking answer with these (time, text) entries, newest first.
    static QByteArray answerOf(const QList<QPair<QString, QString>>& entries);

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
