#include "platform/RealPlatform.h"

#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/timex.h>

int RealDialogs::MsgBox(const QString& prompt, int buttons, const QString& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText); // a goods text or a number is never markup
    box.setText(prompt);
    const int icon = buttons & (Mb::Information | Mb::Exclamation);
    box.setIcon(icon == Mb::Exclamation ? QMessageBox::Warning : QMessageBox::Information);
    if ((buttons & 7) == Mb::YesNo)
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    else
        box.setStandardButtons(QMessageBox::Ok);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) return Mb::Yes;
    if (answer == QMessageBox::No) return Mb::No;
    return Mb::Ok;
}

std::optional<QString> RealDialogs::InputBox(const QString& prompt, const QString& title) {
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

namespace {
// "(TXT文本)|*.txt" as the dialog writes its filters: "(TXT文本) (*.txt)".
QString dialogFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    return parts.size() == 2 ? parts[0] + QStringLiteral(" (") + parts[1] + u')' : filter;
}
} // namespace

std::optional<QString> RealDialogs::saveFileName(const QString& filter) {
    const QString name = QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(),
                                                      QString(), dialogFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

std::optional<QString> RealDialogs::openFileName(const QString& filter) {
    const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                      QString(), dialogFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

void RealShell::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

void RealShell::endProgram(int status) {
    // Every change is already in the store; nothing is saved at exit.
    std::fflush(nullptr);
    std::_Exit(status);
}

QDateTime RealClock::now() const {
    return QDateTime::currentDateTime();
}

qint64 RealClock::elapsedSecs() const {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts); // goes on while the machine sleeps
    return ts.tv_sec;
}

std::optional<QString> RealClock::set(const QDateTime& instant) {
    // A clock kept by network time synchronisation would be put back at once.
    timex state{};
    if (adjtimex(&state) != TIME_ERROR && !(state.status & STA_UNSYNC))
        return QStringLiteral("系统时间已由网络时间同步自动校准,无需手动校对");
    timespec ts{};
    ts.tv_sec = instant.toSecsSinceEpoch();
    if (clock_settime(CLOCK_REALTIME, &ts) == 0) return std::nullopt;
    if (errno == EPERM) return QStringLiteral("修改系统时间需要管理员权限,请以管理员身份运行");
    return QString::fromLocal8Bit(std::strerror(errno));
}
