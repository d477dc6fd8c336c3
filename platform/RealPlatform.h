// The real adapters behind the platform seams, as main.cpp builds them (HTTP:
// platform/RealHttp.h).
#pragma once

#include "platform/Platform.h"

class RealDialogs : public Dialogs {
public:
    int MsgBox(const QString& prompt, int buttons, const QString& title) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title) override;
    std::optional<QString> saveFileName(const QString& filter) override;
    std::optional<QString> openFileName(const QString& filter) override;
};

class RealShell : public Shell {
public:
    void openUrl(const QString& url) override;
    [[noreturn]] void endProgram(int status) override;
};

class RealClock : public SystemClock {
public:
    QDateTime now() const override;
    qint64 elapsedSecs() const override;
    std::optional<QString> set(const QDateTime& instant) override;
};
