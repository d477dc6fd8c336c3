// Recording fakes for the platform seams, and a fresh copy of the shipped
// store for a test's own folder.
#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QStringList>
#include <functional>

struct ShownBox {
    QString prompt;
    int buttons = 0;
    QString title;
};

// Records every box and answers from a script; an unscripted question is
// answered No, an unscripted notice Ok.
class FakeDialogs : public Dialogs {
public:
    int MsgBox(const QString& prompt, int buttons, const QString& title) override;
    std::optional<QString> saveFileName(const QString& filter) override;
    std::optional<QString> openFileName(const QString& filter) override;
    // Input boxes are recorded in shown too (buttons -1), and answered from
    // inputs; an unscripted one is cancelled.
    std::optional<QString> InputBox(const QString& prompt, const QString& title) override;

    QList<ShownBox> shown;
    QList<std::optional<QString>> inputs;
    // Runs while each box or dialog is open (a real one takes the focus).
    std::function<void()> whileShown;
    QList<int> answers;
    std::optional<QString> saveAnswer, openAnswer;
    QStringList saveFilters; // the filter of every save dialog shown
    QStringList prompts() const;
};

class FakeSound : public Sound {
public:
    void play(const QString& path) override { played << path; }
    QStringList played;
};

class FakeShell : public Shell {
public:
    void openUrl(const QString& url) override { opened << url; }
    void endProgram(int status) override { ended << status; }
    QStringList opened;
    QList<int> ended;
};

// Tells the real time until a test sets one.
class FakeClock : public SystemClock {
public:
    QDateTime now() const override { return fixed ? *fixed : QDateTime::currentDateTime(); }
    std::optional<QDateTime> fixed;
    // The elapsed time: this when set, else the wall clock's (so a test that
    // moves the wall clock on moves this on too).
    qint64 elapsedSecs() const override { return elapsed ? *elapsed : now().toSecsSinceEpoch(); }
    std::optional<qint64> elapsed;
    std::optional<QString> set(const QDateTime& instant) override {
        if (refuse) return refuse;
        setTo << instant;
        return std::nullopt;
    }
    QList<QDateTime> setTo;        // every instant the clock was set to
    std::optional<QString> refuse; // the reason a refusing clock gives
};

// Builds a copy of the shipped store at path (its folder must exist); stops
// the test when it cannot.
void seedStore(const QString& path);
