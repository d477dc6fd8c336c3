// The parcel book, the courier directory and the options row, in one SQLite
// file. One typed operation per statement the program issues; every value is
// bound, never spliced, so quotes, "%", "_", ";" and "--" in user text are
// stored and found exactly as typed.
#pragma once

#include <QList>
#include <QString>
#include <optional>

struct ParcelRow {
    qint64 id = 0;
    QString company, number, goods;
    QString num; // stored count as text; empty when the column is empty
};

struct CourierRow {
    qint64 id = 0;
    QString name, code, shibie, call;
};

// The seven switches of the options row, in the order of their check boxes
// Check2 .. Check8.
enum class Switch { Mail, Sound, Drag, CloseOnClick, Balloon, QueryFirst, AutoDetect };
constexpr int SwitchCount = 7;
const char* switchColumn(Switch s);

struct SettingsRow {
    QString values[SwitchCount]; // indexed by Switch, raw column text
    QString address;             // 通知邮箱
    const QString& operator[](Switch s) const { return values[static_cast<int>(s)]; }
};

enum class OpenResult { Ok, Missing, NotAStore, MissingTables };

class Store {
public:
    explicit Store(QString connectionName = QStringLiteral("kd100"));
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens an existing store; never creates a file.
    OpenResult open(const QString& path);
    QString lastError() const { return m_error; }

    // Creates a store at path from the seed script; false when the file exists
    // already (an existing book is never touched) or the script fails.
    static bool createFromSeed(const QString& path, const QString& seedSql, QString* error);
    // Runs a script of statements (one per ";" at a line end) in one transaction.
    static bool runScript(const QString& path, const QString& sql, QString* error);

    // kd100, always in insertion (id) order
    QList<ParcelRow> parcels();
    std::optional<ParcelRow> parcelByGoods(const QString& goods);
    QList<ParcelRow> parcelsWithGoods(const QString& goods);
    QList<ParcelRow> parcelsGoodsLike(const QString& text);
    QList<ParcelRow> parcelsWithNumber(const QString& number);
    QList<ParcelRow> parcelsNumberLike(const QString& text);
    std::optional<ParcelRow> parcelById(qint64 id);
    bool addParcel(const QString& company, const QString& number, const QString& goods);
    // Each returns false when no row has that id or the statement failed.
    bool updateParcel(qint64 id, const QString& company, const QString& goods,
                      const QString& number);
    bool setParcelNum(qint64 id, const QString& num);
    bool deleteParcel(qint64 id);
    bool clearParcels();

    // list
    QList<CourierRow> couriers();
    QList<CourierRow> couriersNameLike(const QString& text);
    std::optional<CourierRow> courierByName(const QString& name);
    std::optional<CourierRow> courierById(qint64 id);
    std::optional<CourierRow> courierByShibie(const QString& key);

    // setting: the one row, written without a filtering clause
    std::optional<SettingsRow> settings();
    bool setSwitch(Switch s, const QString& value);
    bool setAddress(const QString& address);

private:
    QList<ParcelRow> parcelQuery(const QString& where, const QString& value);
    QList<CourierRow> courierQuery(const QString& where, const QVariant& value);
    bool exec(const QString& sql, const QVariantList& values, bool needRow);

    QString m_connection;
    QString m_error;
};
