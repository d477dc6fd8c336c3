// One second after start-up: the version check (when a version file is
// configured), the load summary, unlocking the window and, with a current
// version, the announcement.
#include "app/Form1.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "services/Version.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

void Form1::Timer3_Timer() {
    Timer3->stop(); // runs once; stopped first so a slow answer cannot run it twice
    if (!checkStore() || !startTasks()) return; // the program ended
    // What the start found wrong (a backup not made, a secret readable by
    // others) follows the load summary.
    if (!m_startWarnings.isEmpty()) setStatus(m_startWarnings.join(QStringLiteral("  ")));
}

bool Form1::startTasks() {
    const int parcels = Text1->count();
    // Without a version file to ask, the start goes on as with a current
    // version, without a box and without an announcement.
    const bool asked = !m_endpoints->versionFile.isEmpty();
    const HttpReply version = asked ? m_platform.http.get(m_endpoints->versionFile) : HttpReply{};
    const QString v = bodyText(version);
    switch (asked ? judgeVersion(v, version.status) : VersionVerdict::Current) {
    case VersionVerdict::Failed:
        m_platform.dialogs.MsgBox(QStringLiteral("检测更新失败!请您稍后再试,暂时使用原版"),
                                  Mb::OkOnly + Mb::Exclamation, BoxTitle);
        setStatus(loadSummary(parcels));
        unlockWindow();
        ListView1->setFocus();
        break;
    case VersionVerdict::Current:
        setStatus(loadSummary(parcels) +
                  (m_endpoints->demo ? QStringLiteral("（演示）") : QString()));
        if (parcels == 0) openAddPanel();
        unlockWindow();
        ListView1->setFocus();
        if (asked) notice->take(bodyText(m_platform.http.get(m_endpoints->noticeFile)));
        break;
    case VersionVerdict::Newer:
        setStatus(QStringLiteral("程序已加载完毕..."));
        m_platform.dialogs.MsgBox(QStringLiteral("发现最新版本![") + v.trimmed() +
                                      QStringLiteral("]\n \n确定后自动打开官方网站!"),
                                  Mb::OkOnly + Mb::Information, BoxTitle);
        m_platform.shell.openUrl(m_endpoints->site);
        quitProgram(0);
        return false;
    }
    return true;
}
