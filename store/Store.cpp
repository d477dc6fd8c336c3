#include "store/Store.h"

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

template <class T> std::optional<T> first(const QList<T>& rows) {
    if (rows.isEmpty()) return std::nullopt;
    return rows.first();
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

OpenResult Store::open(const QString& path) {
    if (!QFileInfo(path).isFile()) return OpenResult::Missing;
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? QSqlDatabase::database(m_connection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=2000"));
    db.setDatabaseName(
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded) +
        QStringLiteral("?mode=rw"));
    if (!db.open()) {
        m_error = db.lastError().text();
        return OpenResult::NotAStore;
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"))) {
        m_error = q.lastError().text();
        db.close();
        return OpenResult::NotAStore;
    }
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    for (const char* t : {"kd100", "list", "setting"})
        if (!tables.contains(QLatin1String(t))) {
            m_error = QStringLiteral("table %1 is missing").arg(QLatin1String(t));
            db.close();
            return OpenResult::MissingTables;
        }
    return OpenResult::Ok;
}

bool Store::createFromSeed(const QString& path, const QString& seedSql, QString* error) {
    if (QFileInfo::exists(path)) return false;
    if (runScript(path, seedSql, error)) return true;
    QFile::remove(path);
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

bool Store::exec(const QString& sql, const QVariantList& values, bool needRow) {
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

QList<ParcelRow> Store::parcelQuery(const QString& where, const QString& value) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM kd100 ") + where + QStringLiteral(" ORDER BY id"));
    if (!where.isEmpty()) q.addBindValue(value);
    QList<ParcelRow> rows;
    if (!q.exec()) {
        m_error = q.lastError().text();
        return rows;
    }
    while (q.next())
        rows << parcelFrom(q);
    return rows;
}

QList<ParcelRow> Store::parcels() {
    return parcelQuery(QString(), QString());
}
std::optional<ParcelRow> Store::parcelByGoods(const QString& goods) {
    return first(parcelsWithGoods(goods));
}
QList<ParcelRow> Store::parcelsWithGoods(const QString& goods) {
    return parcelQuery(QStringLiteral("WHERE goods = ?"), goods);
}
QList<ParcelRow> Store::parcelsGoodsLike(const QString& text) {
    return parcelQuery(QStringLiteral("WHERE goods LIKE ? ESCAPE '\\'"), containing(text));
}
QList<ParcelRow> Store::parcelsWithNumber(const QString& number) {
    return parcelQuery(QStringLiteral("WHERE number = ?"), number);
}
QList<ParcelRow> Store::parcelsNumberLike(const QString& text) {
    return parcelQuery(QStringLiteral("WHERE number LIKE ? ESCAPE '\\'"), containing(text));
}
std::optional<ParcelRow> Store::parcelById(qint64 id) {
    return first(parcelQuery(QStringLiteral("WHERE id = ?"), QString::number(id)));
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
bool Store::deleteParcel(qint64 id) {
    return exec(QStringLiteral("DELETE FROM kd100 WHERE id = ?"), {id}, true);
}
bool Store::clearParcels() {
    return exec(QStringLiteral("DELETE FROM kd100"), {}, false);
}

QList<CourierRow> Store::courierQuery(const QString& where, const QVariant& value) {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM list ") + where + QStringLiteral(" ORDER BY id"));
    if (!where.isEmpty()) q.addBindValue(value);
    QList<CourierRow> rows;
    if (!q.exec()) {
        m_error = q.lastError().text();
        return rows;
    }
    while (q.next())
        rows << courierFrom(q);
    return rows;
}

QList<CourierRow> Store::couriers() {
    return courierQuery(QString(), QVariant());
}
QList<CourierRow> Store::couriersNameLike(const QString& text) {
    return courierQuery(QStringLiteral("WHERE name LIKE ? ESCAPE '\\'"), containing(text));
}
std::optional<CourierRow> Store::courierByName(const QString& name) {
    return first(courierQuery(QStringLiteral("WHERE name = ?"), name));
}
std::optional<CourierRow> Store::courierById(qint64 id) {
    return first(courierQuery(QStringLiteral("WHERE id = ?"), id));
}
std::optional<CourierRow> Store::courierByShibie(const QString& key) {
    return first(courierQuery(QStringLiteral("WHERE shibie = ?"), key));
}

std::optional<SettingsRow> Store::settings() {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM setting LIMIT 1"))) {
        m_error = q.lastError().text();
        return std::nullopt;
    }
    if (!q.next()) return std::nullopt;
    SettingsRow row;
    for (int i = 0; i < SwitchCount; ++i)
        row.values[i] = q.value(QString::fromUtf8(SwitchColumns[i])).toString();
    row.address = q.value(QStringLiteral("通知邮箱")).toString();
    return row;
}

bool Store::setSwitch(Switch s, const QString& value) {
    return exec(
        QStringLiteral("UPDATE setting SET \"%1\" = ?").arg(QString::fromUtf8(switchColumn(s))),
        {value}, true);
}
bool Store::setAddress(const QString& address) {
    return exec(QStringLiteral("UPDATE setting SET \"通知邮箱\" = ?"), {address}, true);
}
