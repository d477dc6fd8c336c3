// aiosmtpd on an ephemeral loopback port, requiring AUTH as
// notice@quorvex.cn / s3cret; what it accepts lands as JSON in a folder of
// its own.
#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

class SmtpServer {
public:
    explicit SmtpServer(const QString& mode = QStringLiteral("accept")) {
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral(JZB_SOURCE_DIR "/tests/support/smtp_server.py"),
                         m_dir.path(), QStringLiteral("notice@quorvex.cn"),
                         QStringLiteral("s3cret"), mode});
        if (!m_process.waitForReadyRead(10000)) qFatal("the SMTP server did not start");
        m_port = m_process.readLine().trimmed().toInt();
    }
    ~SmtpServer() {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) m_process.kill();
    }
    QString url() const { return QStringLiteral("smtp://127.0.0.1:%1").arg(m_port); }
    QList<QJsonObject> mails() const {
        QList<QJsonObject> out;
        for (int i = 0;; ++i) {
            QFile f(m_dir.filePath(QStringLiteral("mail-%1.json").arg(i)));
            if (!f.open(QIODevice::ReadOnly)) return out;
            out << QJsonDocument::fromJson(f.readAll()).object();
        }
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
