#include "parcels/BatchPanel.h"

#include "couriers/AutoNumber.h"
#include "parcels/ParcelSelector.h"
#include "platform/Platform.h"
#include "store/Store.h"
#include "tracking/Source.h"
#include "watch/Watching.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSaveFile>
#include <QTimer>

namespace {
const QString Detect = QStringLiteral("检测快递公司"), Cancel = QStringLiteral("取消检测");
} // namespace

BatchPanel::BatchPanel(Store& store, Dialogs& dialogs, ParcelSelector& selector, QWidget* parent)
    : Panel(QStringLiteral("kdbatch"), QStringLiteral("xBatch"), tw(0, 0, 9000, 6150), 8505, 120,
            parent),
      m_store(store), m_dialogs(dialogs), m_selector(selector) {
    title(QStringLiteral("Label_batch_title"), QStringLiteral("批量添加"));
    auto* hint =
        label(this, "Label_batch_hint",
              QStringLiteral("每行一个快递单号,可带快递公司和物品信息,以Tab、逗号或空格分隔"
                             "(可从订单页面或表格复制粘贴);也可打开文本或CSV文件导入。"),
              QRect(20, 40, 560, 36));
    hint->setWordWrap(true);
    hint->setProperty("hint", true);
    TextBatch = place(new QPlainTextEdit(this), "TextBatch", QRect(20, 80, 560, 90));
    TextBatch->setPlaceholderText(QStringLiteral("YT9876543210123\t圆通速递\t新买的书"));
    const char* captions[] = {"打开文件(导入快递簿)", "预览", "检测快递公司", "导出快递簿",
                              "确认添加"};
    const QRect places[] = {QRect(20, 178, 160, 30), QRect(188, 178, 80, 30),
                            QRect(276, 178, 120, 30), QRect(460, 178, 120, 30),
                            QRect(440, 360, 140, 34)};
    for (int i = 0; i < 5; ++i)
        CommandBatch[i] =
            button(this, indexed("CommandBatch", i), QString::fromUtf8(captions[i]), places[i]);
    ListBatch =
        reportList(this, QStringLiteral("ListBatch"), QRect(20, 216, 560, 136),
                   {QStringLiteral("行"), QStringLiteral("快递单号"), QStringLiteral("快递公司"),
                    QStringLiteral("物品信息"), QStringLiteral("结论")},
                   {44, 150, 100, 150, 110});
    ProgressBatch = place(new QProgressBar(this), "ProgressBatch", QRect(20, 362, 400, 14));
    ProgressBatch->setTextVisible(false);
    LabelBatch = label(this, "LabelBatch", QString(), QRect(20, 378, 410, 20));
    m_pace = new QTimer(this);
    m_pace->setSingleShot(true);
    connect(m_pace, &QTimer::timeout, this, &BatchPanel::detectNext);
    connect(CommandBatch[0], &QPushButton::clicked, this, &BatchPanel::openFile);
    connect(CommandBatch[1], &QPushButton::clicked, this, &BatchPanel::preview);
    connect(CommandBatch[2], &QPushButton::clicked, this, &BatchPanel::detect);
    connect(CommandBatch[3], &QPushButton::clicked, this, &BatchPanel::exportBook);
    connect(CommandBatch[4], &QPushButton::clicked, this, &BatchPanel::addAccepted);
}

void BatchPanel::openBatchPanel() {
    stopDetecting({});
    TextBatch->clear();
    ListBatch->clear();
    m_lines.clear();
    ProgressBatch->setValue(0);
    LabelBatch->clear();
    TextBatch->setFocus();
}

BatchLookup BatchPanel::lookup() {
    return {[this](const QString& text) -> std::optional<std::pair<QString, QString>> {
                for (const auto& found :
                     {m_store.courierByName(text), m_store.courierByCode(text.toLower()),
                      m_store.courierByKdniao(text.toUpper())})
                    if (!found.failed() && *found) return std::pair{(*found)->name, (*found)->code};
                return std::nullopt;
            },
            [this](const QString& number) {
                const auto rows = m_store.parcelsWithNumber(number);
                return rows.failed() || !rows->isEmpty(); // unsure: not stored twice
            }};
}

// A file is read in pieces with the window answering meanwhile; a file that
// is no text, or too long, is refused whole.
void BatchPanel::openFile() {
    const std::optional<QString> path =
        m_dialogs.openFileName(QStringLiteral("(文本或CSV文件)|*.txt *.csv"));
    if (!path) return;
    QFile file(*path);
    QString why;
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly) || (!file.isSequential() && file.size() > maxFileBytes)) {
        why = file.isOpen() ? QStringLiteral("文件过大") : file.errorString();
    } else {
        ProgressBatch->setMaximum(int(qMax<qint64>(1, file.size() >> 16)));
        while (!file.atEnd() && bytes.size() <= maxFileBytes) {
            bytes += file.read(1 << 16);
            ProgressBatch->setValue(int(bytes.size() >> 16));
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        if (bytes.size() > maxFileBytes) why = QStringLiteral("文件过大");
    }
    const std::optional<QString> text = why.isEmpty() ? decodeText(bytes, &why) : std::nullopt;
    if (!text) {
        m_dialogs.MsgBox(why + QStringLiteral(",没有添加任何快递.."), Mb::OkOnly + Mb::Exclamation,
                         BoxTitle);
        return;
    }
    TextBatch->clear();
    showLines(*text);
}

void BatchPanel::preview() {
    showLines(TextBatch->toPlainText());
}

void BatchPanel::showLines(const QString& text) {
    stopDetecting({});
    ListBatch->clear();
    m_lines.clear();
    // Lines beyond the most taken are only counted.
    qsizetype total = 0;
    const QList<TextRow> rows = splitLines(text, MaxBatchLines, &total);
    if (total > MaxBatchLines) {
        LabelBatch->setText(
            QStringLiteral("共%1行,一次最多添加%2行,请分批添加..").arg(total).arg(MaxBatchLines));
        return;
    }
    m_lines = readBatch(rows, lookup());
    QList<QTreeWidgetItem*> items;
    items.reserve(m_lines.size());
    for (int i = 0; i < m_lines.size(); ++i)
        items << new QTreeWidgetItem(5);
    ListBatch->addTopLevelItems(items);
    for (int i = 0; i < m_lines.size(); ++i)
        showLine(i);
    showCounts();
    ProgressBatch->setValue(0);
}

void BatchPanel::showLine(int row) {
    const BatchLine& l = m_lines[row];
    QTreeWidgetItem* item = ListBatch->topLevelItem(row);
    const QString cells[] = {QString::number(l.line), l.number, l.courier, l.goods,
                             verdictText(l.verdict)};
    for (int c = 0; c < 5; ++c)
        item->setText(c, cells[c]);
}

void BatchPanel::showCounts() {
    int counts[5] = {};
    for (const BatchLine& each : std::as_const(m_lines))
        ++counts[each.verdict];
    LabelBatch->setText(QStringLiteral("新快递%1个,已在快递簿中%2个,不是单号%3个,待检测%4个,"
                                       "未知快递公司%5个")
                            .arg(counts[0])
                            .arg(counts[1])
                            .arg(counts[2])
                            .arg(counts[3])
                            .arg(counts[4]));
}

void BatchPanel::detect() {
    if (!m_toDetect.isEmpty()) return stopDetecting(QStringLiteral("已取消检测.."));
    for (int i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].verdict == BatchLine::ToDetect) m_toDetect << i;
    if (m_toDetect.isEmpty()) return emit status(QStringLiteral("没有需要检测快递公司的单号.."));
    if (!m_source || !m_source->ready()) {
        m_toDetect.clear();
        return emit status(
            QStringLiteral("未设置查询账户,无法检测快递公司,请在每行写明快递公司.."));
    }
    m_detectTotal = int(m_toDetect.size());
    ProgressBatch->setMaximum(m_detectTotal);
    ProgressBatch->setValue(0);
    CommandBatch[2]->setText(Cancel);
    detectNext();
}

void BatchPanel::detectNext() {
    if (m_toDetect.isEmpty()) return stopDetecting(QStringLiteral("快递公司检测完毕.."));
    const int row = m_toDetect.first();
    m_asking = m_source->autoNumber(m_lines[row].number, [this, row](const QString& answer) {
        m_asking = nullptr;
        if (m_toDetect.isEmpty() || m_toDetect.first() != row) return;
        m_toDetect.removeFirst();
        const Detected found = readAutoNumberAnswer(answer);
        const auto courier = found.kind == Detected::Code ? m_store.courierByShibie(found.code)
                                                          : Read<std::optional<CourierRow>>{{}};
        BatchLine& l = m_lines[row];
        if (!courier.failed() && *courier) {
            l.courier = (*courier)->name;
            l.code = (*courier)->code;
            l.verdict = BatchLine::New;
        } else if (found.kind != Detected::Busy && found.kind != Detected::Limit &&
                   found.kind != Detected::Nothing) {
            l.verdict = BatchLine::UnknownCourier;
        }
        showLine(row);
        showCounts();
        ProgressBatch->setValue(m_detectTotal - int(m_toDetect.size()));
        if (found.kind == Detected::Limit || found.kind == Detected::Refused)
            return stopDetecting(QStringLiteral("查询服务拒绝了检测(账户或今日次数),已停止.."));
        m_pace->start(detectPauseMs);
    });
}

void BatchPanel::stopDetecting(const QString& said) {
    m_pace->stop();
    if (m_asking) std::exchange(m_asking, nullptr)();
    m_toDetect.clear();
    CommandBatch[2]->setText(Detect);
    if (!said.isEmpty()) emit status(said);
}

void BatchPanel::addAccepted() {
    stopDetecting({});
    QList<NewParcel> parcels;
    for (const BatchLine& l : std::as_const(m_lines))
        if (l.verdict == BatchLine::New) parcels.append({l.courier, l.number, l.goods});
    if (parcels.isEmpty()) return emit status(QStringLiteral("没有可添加的新快递.."));
    if (!m_store.addParcels(parcels)) {
        m_dialogs.MsgBox(QStringLiteral("批量添加失败!没有添加任何快递,快递数据库暂时无法写入,"
                                        "请稍后再试..\n \n原因：") +
                             m_store.lastError(),
                         Mb::OkOnly + Mb::Exclamation, BoxTitle);
        return;
    }
    m_selector.refill();
    setVisible(false);
    emit status(QStringLiteral("已添加%1个快递单..").arg(parcels.size()));
}

void BatchPanel::exportBook() {
    const auto parcels = m_store.parcels();
    const auto watched = m_store.watchRows();
    if (parcels.failed() || watched.failed())
        return emit status(QStringLiteral("快递簿读取失败!请稍后再试.."));
    QHash<qint64, WatchRow> known;
    for (const WatchRow& w : *watched)
        known.insert(w.parcel, w);
    QList<QStringList> rows;
    for (const ParcelRow& p : *parcels) {
        const WatchRow w = known.value(p.id);
        const QList<Entry> entries = decodeEntries(w.entries);
        rows << QStringList{p.company,
                            p.number,
                            p.goods,
                            p.num,
                            w.state,
                            entries.isEmpty() ? QString() : entries.first().context,
                            entries.isEmpty() ? QString() : entries.first().time};
    }
    const std::optional<QString> path = m_dialogs.saveFileName(QStringLiteral("(CSV文件)|*.csv"));
    if (!path) return;
    const QString name = path->endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                             ? *path
                             : *path + QStringLiteral(".csv");
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bookCsv(rows)) < 0 || !file.commit())
        return emit status(QStringLiteral("快递簿导出失败!原因：") + file.errorString());
    emit status(QStringLiteral("快递簿已导出(%1个快递单)..").arg(rows.size()));
}
