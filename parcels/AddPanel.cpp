#include "parcels/AddPanel.h"
#include "couriers/AutoNumber.h"
#include "parcels/ParcelSelector.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/QuerySession.h"

#include <QComboBox>
#include <QTimer>

namespace {
const QString AlreadyStored = QStringLiteral("快递数据已存在!");
const QString NoCourier = QStringLiteral("请选择快递公司");

QString addFailed(const QString& reason) {
    return QStringLiteral("快递添加失败!快递数据库暂时无法写入,请稍后再试..\n \n原因：") + reason;
}
} // namespace

AddPanel::AddPanel(Store& store, Dialogs& dialogs, const Options& options, QuerySession& session,
                   ParcelSelector& selector, QWidget* parent)
    : Panel(QStringLiteral("kdmenu_0"), QStringLiteral("x_0"), tw(0, 0, 5055, 5175), 4560, 120,
            parent),
      m_store(store), m_dialogs(dialogs), m_options(options), m_session(session),
      m_selector(selector), m_detection(store) {
    Label13[0] = title(QStringLiteral("Label13_0"), QStringLiteral("添加新快递"));
    label(this, "Label_add_number", QStringLiteral("快递单号："), QRect(20, 52, 70, 20));
    Text3 = place(new QComboBox(this), "Text3", QRect(90, 48, 220, 26));
    Text3->setEditable(true);
    Text3->setInsertPolicy(QComboBox::NoInsert); // Enter presses the query button instead
    label(this, "Label_add_company", QStringLiteral("快递公司："), QRect(20, 92, 70, 20));
    Command1[12] = button(this, "Command1_12", NoCourier, QRect(90, 88, 150, 28));
    Command2 = button(this, "Command2", QStringLiteral("刷新"), QRect(246, 88, 64, 28));
    label(this, "Label_add_goods", QStringLiteral("物品信息："), QRect(20, 132, 70, 20));
    Text2 = lineEdit(this, "Text2", QRect(90, 128, 220, 26));
    // clang-format off
    Label24 = label(this, "Label24", QStringLiteral("友情提示：自动识别快递功能偶尔会因为使用人数过多而变得不稳定，您可进行多次刷新尝试，如果仍不可用请手动选择快递公司或稍后再试，第一版本可能识别率不是特别高，后续版本我们会继续改进。"),
                    QRect(20, 170, 290, 100));
    // clang-format on
    Label24->setWordWrap(true);
    Label24->setProperty("hint", true);
    Command1[13] =
        button(this, "Command1_13", QStringLiteral("开始查询"), QRect(108, 290, 120, 34));
    auto* batch = button(this, "CommandBatch", QStringLiteral("批量添加"), QRect(240, 296, 76, 24));
    batch->setProperty("small", true);
    batch->setToolTip(QStringLiteral("一次添加多个单号,或导入快递簿(Ctrl+B)"));
    connect(batch, &QPushButton::clicked, this, &AddPanel::batchWanted);
    // The number box's filter and the courier detection follow every change.
    connect(Text3, &QComboBox::editTextChanged, this, &AddPanel::Text3_Change);
    connect(Command2, &QPushButton::clicked, this, &AddPanel::Command2_Click);
    connect(Command1[12], &QPushButton::clicked, this, [this] { emit courierListWanted(12); });
    connect(Command1[13], &QPushButton::clicked, this, &AddPanel::addParcel);
    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(detectPauseMs);
    connect(m_pause, &QTimer::timeout, this, [this] { detectCourier(false); });
}

void AddPanel::openAddPanel() {
    Text3->setCurrentText(QString());
    Text2->clear();
    Command1[12]->setText(NoCourier);
    Text3->setFocus();
}

void AddPanel::paste(const QString& number) {
    Text3->setCurrentText(number);
}

void AddPanel::setCompany(const QString& name) {
    Command1[12]->setText(name);
}

void AddPanel::Text3_Change() {
    const QString text = Text3->currentText();
    if (!isNumberText(text)) {
        Text3->setCurrentText(QString()); // runs this handler again, for the empty text
        return;
    }
    // Typing spends no calls: the service is asked once the number stops
    // changing for a moment.
    m_pause->stop();
    if (!m_options.on(Switch::AutoDetect) || text.size() < DetectFrom) return;
    m_pause->start(detectPauseMs);
}

void AddPanel::Command2_Click() {
    m_pause->stop();
    if (Text3->currentText().size() >= DetectFrom) detectCourier(true);
}

void AddPanel::detectCourier(bool again) {
    const QString number = Text3->currentText();
    if (m_detection.ready()) Command1[12]->setText(CourierDetection::Detecting);
    const auto said = m_detection.detect(
        number, [this, number] { return Text3->currentText() == number; }, again);
    if (!said) return; // a newer detection speaks
    if (said->caption) Command1[12]->setText(*said->caption);
    if (!said->status.isEmpty()) emit status(said->status);
}

// The selector lists the parcels whose number contains this one.
void AddPanel::listSimilarNumbers(const QString& number) {
    const auto rows = m_store.parcelsNumberLike(number.trimmed());
    if (rows.failed()) return m_selector.readFailed(rows.error());
    m_selector.list(*rows);
}

void AddPanel::addParcel() {
    const QString number = Text3->currentText();
    if (number.isEmpty()) {
        Text3->setFocus();
        return emit status(QStringLiteral("请输入快递单号!"));
    }
    if (number.contains(u'|')) return emit status(QStringLiteral("单号不正确,请您检查!"));
    const QString company = Command1[12]->text();
    if (company == NoCourier) {
        Command1[12]->setFocus();
        return emit status(QStringLiteral("请选择快递公司!"));
    }
    const QString goods = Text2->text();
    if (goods.isEmpty()) return emit status(QStringLiteral("请输入快递物品信息,例如：爸爸衣服"));
    const auto courier = m_store.courierByName(company);
    if (courier.failed()) return m_selector.readFailed(courier.error());
    m_session.prepareAdd(number, company, *courier ? (*courier)->code : QString(), goods);
    setVisible(false);
    emit querying();
    if (!m_session.kdgs(number)) return; // a newer query owns the window
    const quint64 query = m_session.query().current();
    const Reading read = m_session.reading();
    if (read.outcome == Reading::Outcome::Nothing) return; // the watchdog reports it
    const auto end = [this] { m_session.end(ForegroundQuery::Unlock::Window); };

    if (read.outcome == Reading::Outcome::Progress) {
        const auto stored = m_store.parcelsWithNumber(number);
        if (stored.failed()) {
            m_selector.readFailed(stored.error());
        } else if (stored->isEmpty()) {
            if (m_store.addParcel(company, number, goods)) {
                m_session.keepTypedPhone(number);
                // The new parcel is the last entry; choosing it queries it.
                if (m_selector.refill()) return m_selector.choose(m_selector.count() - 1);
            } else {
                m_dialogs.MsgBox(addFailed(m_store.lastError()), Mb::OkOnly + Mb::Exclamation,
                                 BoxTitle);
            }
        } else {
            m_dialogs.MsgBox(AlreadyStored, Mb::OkOnly + Mb::Information, BoxTitle);
            listSimilarNumbers(number);
            if (m_selector.count() > 0) {
                m_selector.choose(0);
                m_selector.addSeparators();
                return;
            }
        }
        return end(); // nothing was chosen: this query ends here
    }

    if (read.outcome == Reading::Outcome::Failed) {
        emit status(read.failure);
        if (read.accountRefused) m_session.accountRefused(read.failure);
        return end();
    }
    m_session.query().holdWatchdog();
    if (m_dialogs.MsgBox(QStringLiteral("您好,您当前输入的单号不存在有效信息,是否先进行保存?"),
                         Mb::YesNo + Mb::Information, BoxTitle) != Mb::Yes ||
        !m_session.query().isCurrent(query)) {
        if (m_session.query().isCurrent(query))
            emit status(QStringLiteral("该单号暂无物流信息,未添加.."));
        return end();
    }
    const auto stored = m_store.parcelsWithNumber(number);
    if (stored.failed()) {
        m_selector.readFailed(stored.error());
    } else if (stored->isEmpty()) {
        setVisible(false);
        if (m_store.addParcel(company, number, goods)) {
            m_session.keepTypedPhone(number);
            m_dialogs.MsgBox(QStringLiteral("快递添加成功！"), Mb::OkOnly + Mb::Information,
                             BoxTitle);
            emit status(QStringLiteral("快递添加成功.."));
            m_selector.refill();
        } else {
            m_dialogs.MsgBox(addFailed(m_store.lastError()), Mb::OkOnly + Mb::Exclamation,
                             BoxTitle);
        }
    } else {
        setVisible(false);
        m_dialogs.MsgBox(AlreadyStored, Mb::OkOnly + Mb::Information, BoxTitle);
        listSimilarNumbers(number);
        if (m_selector.count() > 0) m_selector.choose(0);
        // The chosen parcel's query now owns the window.
        if (!m_session.query().isCurrent(query)) return;
    }
    end();
}
