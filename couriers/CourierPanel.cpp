#include "couriers/CourierPanel.h"

#include "platform/Platform.h"
#include "store/Store.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>

namespace {
const QString PickHeader = QStringLiteral("快递公司（双击选择）");
const QString BrowseHeader = QStringLiteral("快递公司");
const QString LinkHover = QStringLiteral("color: rgb(166, 0, 169);");
} // namespace

CourierPanel::CourierPanel(Store& store, Dialogs& dialogs, QWidget* parent)
    : Panel(QStringLiteral("kdmenu_4"), QStringLiteral("x_4"), tw(0, 0, 9015, 6615), 8640, 0,
            parent),
      m_store(store), m_dialogs(dialogs) {
    Label17 = label(this, "Label17", QStringLiteral("快递公司列表"), tw(360, 360, 1800, 300));
    Label17->setProperty("panelTitle", true);
    Command4 = button(this, "Command4", QStringLiteral("刷新"), tw(2280, 360, 975, 375));
    Label18 = label(this, "Label18", QStringLiteral("搜索："), tw(6120, 510, 600, 240));
    Text8 = lineEdit(this, "Text8", tw(6720, 480, 1935, 270 + 60));
    ListView2 = reportList(this, "ListView2", tw(360, 960, 8295, 4575),
                           {QStringLiteral("序号"), QStringLiteral("快递公司（ 双击选择 ）"),
                            QStringLiteral("公司电话（ 右键复制 ）")},
                           {96, 180, 200});
    Picture3 = place(new QFrame(this), "Picture3", tw(360, 5760, 8295, 495));
    Picture3->setMouseTracking(true);
    Label19 = label(Picture3, "Label19", QStringLiteral("常用："), tw(120, 120, 720, 240));
    const char* links[11] = {"顺丰快递", "申通快递", "中通", "圆通", "韵达", "全峰",
                             "天天",     "宅急送",   "汇通", "京东", "EMS"};
    const int onScreen[11] = {0, 1, 2, 10, 3, 9, 4, 5, 6, 8, 7};
    const int lefts[11] = {840, 1800, 2760, 3360, 3840, 4440, 5040, 5640, 6240, 6840, 7440};
    for (int k = 0; k < 11; ++k) {
        const int i = onScreen[k];
        Label20[i] = label(Picture3, indexed("Label20", i), QString::fromUtf8(links[i]),
                           QRect(lefts[k] / 15, 8, 56, 16));
        Label20[i]->adjustSize();
        Label20[i]->setMouseTracking(true);
        Label20[i]->setCursor(Qt::PointingHandCursor);
        Label20[i]->installEventFilter(this);
    }
    Picture3->installEventFilter(this);
    ListView2->viewport()->installEventFilter(this);
    connect(Command4, &QPushButton::clicked, this, [this] {
        ListView2->clear();
        kdlb();
    });
    connect(Text8, &QLineEdit::textChanged, this, &CourierPanel::Text8_Change);
    connect(ListView2, &QTreeWidget::itemDoubleClicked, this, &CourierPanel::ListView2_DblClick);
}

// Appends rows (id, name, telephone) in the store's order; a failed read
// says so in the program's box and adds nothing.
void CourierPanel::fillCourierList(const Read<QList<CourierRow>>& rows) {
    if (rows.failed()) {
        m_dialogs.MsgBox(rows.error(), Mb::OkOnly + Mb::Information, BoxTitle);
        return;
    }
    QList<QTreeWidgetItem*> items;
    items.reserve(rows->size());
    for (const CourierRow& c : *rows)
        items << new QTreeWidgetItem({QString::number(c.id), c.name, c.call});
    ListView2->addTopLevelItems(items);
}

void CourierPanel::kdlb() {
    fillCourierList(m_store.couriers());
}

void CourierPanel::openCourierList(int opener) {
    ListView2->headerItem()->setText(1, opener ? PickHeader : BrowseHeader);
    ListView2->clear();
    kdlb();
}

void CourierPanel::Text8_Change() {
    const QString text = Text8->text();
    ListView2->clear();
    if (text.isEmpty()) {
        kdlb();
        return;
    }
    fillCourierList(m_store.couriersNameLike(text.trimmed()));
}

void CourierPanel::Label20_Click(int index) {
    const auto rows = m_store.couriersNameLike(Label20[index]->text().trimmed());
    ListView2->clear();
    fillCourierList(rows);
}

void CourierPanel::resetQuickLinks() {
    for (QLabel* l : Label20)
        l->setStyleSheet(QString());
}

void CourierPanel::ListView2_DblClick() {
    QTreeWidgetItem* row = ListView2->currentItem();
    if (!row) return;
    const auto courier = m_store.courierById(row->text(0).toLongLong());
    emit picked(row->text(1), !courier.failed() && *courier
                                  ? std::optional<QString>((*courier)->code)
                                  : std::nullopt);
}

void CourierPanel::ListView2_RightPress() {
    QTreeWidgetItem* row = ListView2->currentItem();
    if (!row) return;
    QApplication::clipboard()->setText(row->text(2));
    emit status(row->text(1) + QStringLiteral("公司电话已复制.."));
}

bool CourierPanel::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress;
    const bool hover = type == QEvent::Enter || type == QEvent::MouseMove;
    if (watched == ListView2->viewport() && press &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        // The row under the mouse becomes the selected one, as with any press.
        if (QTreeWidgetItem* row =
                ListView2->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            ListView2->setCurrentItem(row);
        ListView2_RightPress();
        return true;
    }
    if (watched == Picture3 && type == QEvent::MouseMove) {
        resetQuickLinks();
        return false;
    }
    for (int i = 0; i < int(Label20.size()); ++i)
        if (watched == Label20[i]) {
            if (hover) {
                resetQuickLinks();
                Label20[i]->setStyleSheet(LinkHover);
            }
            if (press) Label20_Click(i);
            return hover || press;
        }
    return false;
}
