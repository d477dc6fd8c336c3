#include "store/Store.h"
#include "store/Select.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QUrl>
#include <QVariant>

using store::first;
using store::select;

namespace {

const char* const SwitchColumns[SwitchCount] = {"邮件通知", "语音提示", "支持拖动", "关闭窗口",
                                                "气泡提示", "默认查询", "自动识别"};

// A LIKE pattern that finds text anywhere, with the user's own "%", "_" and
// "\" taken literally.
QString containing(const QString& text) {
    QString t = text;
    t.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    return '%' + t + '%';
}

ParcelRow parcelFrom(const QSqlQuery& q) {
    ParcelRow r;
    r.id = q.value("id").toLongLong();
    r.company = q.value("company").toString();
    r.number = q.value("number").toString();
    r.goods = q.value("goods").toString();
    r.num = q.value("num").toString();
    r.archived = q.value("archived").toBool();
    return r;
}

CourierRow courierFrom(const QSqlQuery& q) {
    CourierRow r;
    r.id = q.value("id").toLongLong();
    r.name = q.value("name").toString();
    r.code = q.value("code").toString();
    r.shibie = q.value("shibie").toString();
    r.call = q.value("call").toString();
    return r;
}

// SQLite's result codes for a locked file, a corrupt file and a file that is
// not a database at all.
bool isBusy(const QSqlError& e) {
    return e.nativeErrorCode() == QLatin1String("5") || e.nativeErrorCode() == QLatin1String("6");
}
bool isCorrupt(const QSqlError& e) {
    return e.nativeErrorCode() == QLatin1String("11");
}
// Read-only, a disk I/O error, no space, the journal cannot be made.
bool isUnwritable(const QSqlError& e) {
    const int code = e.nativeErrorCode().toInt() & 0xff; // extended codes keep the primary low
    return code == 8 || code == 10 || code == 13 || code == 14;
}

} // namespace

const char* switchColumn(Switch s) {
    return SwitchColumns[static_cast<int>(s)];
}

Store::Store(QString connectionName) : m_connection(std::move(connectionName)) {}

Store::~Store() {
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

OpenResult Store::open(const QString& path, int busyTimeoutMs, Check check) {
    m_verdict.reset();
    if (!QFileInfo(path).isFile()) return OpenResult::Missing;
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? QSqlDatabase::database(m_connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    db.setDatabaseName(
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
        QStringLiteral("?mode=rw"));
    if (!db.open()) {
        m_error = db.lastError().text();
        return OpenResult::NotAStore;
    }
    const auto fail = [&](const QSqlError& e, OpenResult r) {
        m_error = e.text();
        db.close();
        return isBusy(e) ? OpenResult::Busy : isCorrupt(e) ? OpenResult::Damaged : r;
    };
    const auto checked = [&] {
        const OpenResult verdict = verify();
        if (verdict != OpenResult::Ok) db.close();
        return verdict;
    };
    if (check == Check::Now)
        if (const OpenResult verdict = checked(); verdict != OpenResult::Ok) return verdict;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'")))
        return fail(q.lastError(), OpenResult::NotAStore);
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    for (const char* t : {"kd100", "list", "setting"})
        if (!tables.contains(QLatin1String(t))) {
            m_error = QStringLiteral("table %1 is missing").arg(QLatin1String(t));
            db.close();
            return OpenResult::MissingTables;
        }
    // The tables this version adds are made in a checked store only.
    for (const char* t : {"watch", "watchoption", "answer", "parcelphone", "pause", "kdniaocode",
                          "servicecalls", "archive", "signed"})
        if (!tables.contains(QLatin1String(t)))
            if (const OpenResult verdict = checked(); verdict != OpenResult::Ok) return verdict;
    if (!makeTables(!tables.contains(QLatin1String("signed")))) {
        // A store that cannot take the new tables cannot take parcels
        // either: it is locked, or its disk cannot be written.
        const QSqlError e = QSqlDatabase::database(m_connection, false).lastError();
        db.close();
        return isBusy(e)         ? OpenResult::Busy
               : isUnwritable(e) ? OpenResult::Unwritable
                                 : OpenResult::NotAStore;
    }
    return OpenResult::Ok;
}

bool Store::copyTo(const QString& path) {
    return exec(QStringLiteral("VACUUM INTO ?"), {path}, false);
}

bool Store::copyPrivately(const QString& path) {
    QFile::remove(path);
    QFile empty(path);
    if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_error = empty.errorString();
        return false;
    }
    empty.close();
    if (copyTo(path)) return true;
    QFile::remove(path);
    return false;
}

Read<QByteArray> Store::digest() {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    const auto failed = [&] {
        m_error = q.lastError().text();
        return Read<QByteArray>::failure(m_error);
    };
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                               "LIKE 'sqlite_%' ORDER BY name")))
        return failed();
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& table : tables) {
        hash.addData(table.toUtf8());
        QString quoted = table;
        quoted.replace('"', QStringLiteral("\"\""));
        if (!q.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(quoted)))
            return failed();
        while (q.next())
            for (int i = 0; i < q.record().count(); ++i) {
                const QVariant v = q.value(i);
                hash.addData(QByteArray::number(v.isNull() ? -1 : v.typeId()));
                hash.addData(v.toString().toUtf8());
                hash.addData(QByteArrayView("\0", 1));
            }
        if (q.lastError().isValid()) return failed();
    }
    return hash.result();
}

bool Store::createFromSeed(const QString& path, const QString& seedSql, QString* error) {
    if (QFileInfo::exists(path)) return false;
    // Built under a temporary name, so a start cut short never leaves a
    // half-made book behind; made empty with its mode first, so the book is
    // never readable by others.
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    QFile empty(part);
    if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (error) *error = empty.errorString();
        return false;
    }
    empty.close();
    const bool made = runScript(part, seedSql, error);
    if (made && QFile::rename(part, path)) return true;
    if (made && error) *error = QStringLiteral("cannot rename %1").arg(part);
    QFile::remove(part);
    return false;
}

bool Store::runScript(const QString& path, const QString& sql, QString* error) {
    const QString name = QStringLiteral("script-") + path;
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        ok = ok && q.exec(QStringLiteral("BEGIN"));
        for (const QString& raw : sql.split(QRegularExpression(QStringLiteral(";\\s*\\n")))) {
            QStringList lines;
            for (const QString& line : raw.split('\n'))
                if (!line.trimmed().startsWith(QLatin1String("--"))) lines << line;
            const QString stmt = lines.join('\n').trimmed();
            if (!ok || stmt.isEmpty()) continue;
            if (!q.exec(stmt)) {
                ok = false;
                if (error) *error = q.lastError().text() + QStringLiteral(" in: ") + stmt.left(120);
            }
        }
        ok = ok && q.exec(QStringLiteral("COMMIT"));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

OpenResult Store::integrity() {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    const auto fail = [&](const QSqlError& e, OpenResult r) {
        m_error = e.text();
        return isBusy(e) ? OpenResult::Busy : isCorrupt(e) ? OpenResult::Damaged : r;
    };
    // The check reads every page; a damaged page answers with something
    // other than the single row "ok", or with an error.
    if (!q.exec(QStringLiteral("PRAGMA quick_check")))
        return fail(q.lastError(), OpenResult::NotAStore);
    QStringList problems;
    while (q.next())
        problems << q.value(0).toString();
    if (q.lastError().isValid()) return fail(q.lastError(), OpenResult::Damaged);
    if (problems != QStringList{QStringLiteral("ok")}) {
        m_error = problems.join('\n');
        return OpenResult::Damaged;
    }
    return OpenResult::Ok;
}

OpenResult Store::verify() {
    if (!m_verdict) m_verdict = integrity();
    return *m_verdict;
}

bool Store::writable() {
    if (verify() == OpenResult::Ok) return true;
    if (m_error.isEmpty()) m_error = QStringLiteral("the store did not pass its check");
    return false;
}

bool Store::exec(const QString& sql, const QVariantList& values, bool needRow) {
    return writable() && run(sql, values, needRow);
}

bool Store::run(const QString& sql, const QVariantList& values, bool needRow) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
    return !needRow || q.numRowsAffected() > 0;
}

bool Store::execAll(const QList<std::pair<QString, QVariantList>>& statements, bool needRow) {
    if (!writable()) return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction()) {
        m_error = db.lastError().text();
        return false;
    }
    for (qsizetype i = 0; i < statements.size(); ++i)
        if (!run(statements[i].first, statements[i].second, needRow && i == 0)) {
            if (db.lastError().isValid()) m_error = db.lastError().text();
            db.rollback();
            return false;
        }
    if (db.commit()) return true;
    m_error = db.lastError().text();
    db.rollback();
    return false;
}

Read<QList<ParcelRow>> Store::parcelQuery(const QString& where, const QVariant& value) {
    return select<ParcelRow>(
        m_connection,
        QStringLiteral("SELECT kd100.*, archive.parcel IS NOT NULL AS archived "
                       "FROM kd100 LEFT JOIN archive ON archive.parcel = "
                       "kd100.id ") +
            where + QStringLiteral(" ORDER BY id"),
        value, parcelFrom, m_error);
}

Read<QList<ParcelRow>> Store::parcels() {
    return parcelQuery(QString(), QVariant());
}
Read<BookList> Store::parcelList() {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT id, goods FROM kd100 ORDER BY id"))) {
        m_error = q.lastError().text();
        return Read<BookList>::failure(m_error);
    }
    BookList book;
    while (q.next()) {
        book.ids << q.value(0).toLongLong();
        book.goods << q.value(1).toString();
    }
    if (q.lastError().isValid()) {
        m_error = q.lastError().text();
        return Read<BookList>::failure(m_error);
    }
    return book;
}
Read<std::optional<ParcelRow>> Store::parcelByGoods(const QString& goods) {
    return first(parcelsWithGoods(goods));
}
Read<QList<ParcelRow>> Store::parcelsWithGoods(const QString& goods) {
    return parcelQuery(QStringLiteral("WHERE goods = ?"), goods);
}
Read<QList<ParcelRow>> Store::parcelsGoodsLike(const QString& text) {
    return parcelQuery(QStringLiteral("WHERE goods LIKE ? ESCAPE '\\'"), containing(text));
}
Read<QList<ParcelRow>> Store::parcelsWithNumber(const QString& number) {
    return parcelQuery(QStringLiteral("WHERE number = ?"), number);
}
Read<QList<ParcelRow>> Store::parcelsNumberLike(const QString& text) {
    return parcelQuery(QStringLiteral("WHERE number LIKE ? ESCAPE '\\'"), containing(text));
}
Read<std::optional<ParcelRow>> Store::parcelById(qint64 id) {
    return first(parcelQuery(QStringLiteral("WHERE id = ?"), id));
}

bool Store::addParcel(const QString& company, const QString& number, const QString& goods) {
    return exec(
        QStringLiteral("INSERT INTO kd100 (company, number, goods, num) VALUES (?, ?, ?, 0)"),
        {company, number, goods}, true);
}
bool Store::updateParcel(qint64 id, const QString& company, const QString& goods,
                         const QString& number) {
    return exec(QStringLiteral("UPDATE kd100 SET company = ?, goods = ?, number = ? WHERE id = ?"),
                {company, goods, number, id}, true);
}
bool Store::setParcelNum(qint64 id, const QString& num) {
    return exec(QStringLiteral("UPDATE kd100 SET num = ? WHERE id = ?"), {num, id}, true);
}
// The watch's rows and the phones go with their parcels.
bool Store::deleteParcel(qint64 id) {
    QList<std::pair<QString, QVariantList>> statements = {
        {QStringLiteral("DELETE FROM kd100 WHERE id = ?"), {id}}};
    for (const char* table : {"watch", "parcelphone", "archive", "signed"})
        statements.append(
            {QStringLiteral("DELETE FROM %1 WHERE parcel = ?").arg(QLatin1String(table)), {id}});
    return execAll(statements, true);
}
bool Store::clearParcels() {
    return execAll({{QStringLiteral("DELETE FROM kd100"), {}},
                    {QStringLiteral("DELETE FROM watch"), {}},
                    {QStringLiteral("DELETE FROM parcelphone"), {}},
                    {QStringLiteral("DELETE FROM archive"), {}},
                    {QStringLiteral("DELETE FROM signed"), {}}},
                   false);
}

Read<QList<CourierRow>> Store::courierQuery(const QString& where, const QVariant& value) {
    return select<CourierRow>(m_connection,
                              QStringLiteral("SELECT * FROM list ") + where +
                                  QStringLiteral(" ORDER BY id"),
                              value, courierFrom, m_error);
}

Read<QList<CourierRow>> Store::couriers() {
    return courierQuery(QString(), QVariant());
}
Read<QList<CourierRow>> Store::couriersNameLike(const QString& text) {
    return courierQuery(QStringLiteral("WHERE name LIKE ? ESCAPE '\\'"), containing(text));
}
Read<std::optional<CourierRow>> Store::courierByName(const QString& name) {
    return first(courierQuery(QStringLiteral("WHERE name = ?"), name));
}
Read<std::optional<CourierRow>> Store::courierById(qint64 id) {
    return first(courierQuery(QStringLiteral("WHERE id = ?"), id));
}
Read<std::optional<CourierRow>> Store::courierByShibie(const QString& key) {
    return first(courierQuery(QStringLiteral("WHERE shibie = ?"), key));
}

Read<std::optional<SettingsRow>> Store::settings() {
    const auto settingsFrom = [](const QSqlQuery& q) {
        SettingsRow row;
        for (int i = 0; i < SwitchCount; ++i)
            row.values[i] = q.value(QString::fromUtf8(SwitchColumns[i])).toString();
        row.address = q.value(QStringLiteral("通知邮箱")).toString();
        return row;
    };
    return first(select<SettingsRow>(m_connection, QStringLiteral("SELECT * FROM setting LIMIT 1"),
                                     QVariant(), settingsFrom, m_error));
}

bool Store::setSwitch(Switch s, const QString& value) {
    return exec(
        QStringLiteral("UPDATE setting SET \"%1\" = ?").arg(QString::fromUtf8(switchColumn(s))),
        {value}, true);
}
bool Store::setAddress(const QString& address) {
    // Without a settings row there is nowhere to keep it; that is no failure.
    return exec(QStringLiteral("UPDATE setting SET \"通知邮箱\" = ?"), {address}, false);
}

bool Store::makeTables(bool signedIsNew) {
    for (const char* table :
         {"watch (parcel INTEGER PRIMARY KEY, entries TEXT NOT NULL DEFAULT '', answered TEXT NOT "
          "NULL DEFAULT '', state TEXT NOT NULL DEFAULT '', notified INTEGER NOT NULL DEFAULT 0)",
          "watchoption (name TEXT PRIMARY KEY, value TEXT NOT NULL)",
          "answer (com TEXT NOT NULL, number TEXT NOT NULL, body TEXT NOT NULL, answered TEXT NOT "
          "NULL, PRIMARY KEY (com, number))",
          "parcelphone (parcel INTEGER PRIMARY KEY, phone TEXT NOT NULL)",
          "pause (com TEXT NOT NULL, number TEXT NOT NULL, until TEXT NOT NULL, failures INTEGER "
          "NOT NULL, reason TEXT NOT NULL, PRIMARY KEY (com, number))",
          "kdniaocode (code TEXT PRIMARY KEY, kdniao TEXT NOT NULL)",
          "servicecalls (service TEXT NOT NULL, day TEXT NOT NULL, calls INTEGER NOT NULL, "
          "PRIMARY KEY (service, day))",
          "archive (parcel INTEGER PRIMARY KEY, at TEXT NOT NULL)",
          "signed (parcel INTEGER PRIMARY KEY, at TEXT NOT NULL)"})
        if (!run(QStringLiteral("CREATE TABLE IF NOT EXISTS ") + QLatin1String(table), {}, false))
            return false;
    // A book from before signings were noted: the watch asks no more about a
    // parcel it saw signed for, so its signing counts from that answer.
    if (signedIsNew &&
        !run(
            QStringLiteral("INSERT OR IGNORE INTO signed (parcel, at) SELECT parcel, answered FROM "
                           "watch WHERE state = ?"),
            {QStringLiteral("已签收")}, false))
        return false;
    return makeCodes();
}
