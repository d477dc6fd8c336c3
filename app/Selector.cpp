// The parcel selector Text1 (filled from the book, each entry knowing its
// parcel's row id; choosing one queries that parcel) and the progress list
// ListView1 (what the query parsed, and its mouse actions).
#include "app/Balloon.h"
#include "app/Form1.h"
#include "parcels/Archive.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"
#include "tracking/QuerySession.h"
#include "watch/Marks.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {
const QString NoEntry = QStringLiteral("当前没有物流信息");
const QString ArchivedMark = QStringLiteral("（已归档）");

MarkedBook* bookOf(QComboBox* selector) {
    return static_cast<MarkedBook*>(selector->model());
}

// The selected entry, or none (also when its ordinal cell is empty).
const QTreeWidgetItem* selectedEntry(const QTreeWidget* list) {
    const QTreeWidgetItem* row = list->currentItem();
    return row && !row->text(0).isEmpty() ? row : nullptr;
}
} // namespace

// sX: the goods of every parcel, in the order the parcels were stored. A book
// that cannot be read leaves the selector as it was and says so.
// Parcels signed for long enough ago are put away first, when the option says so.
bool Form1::refill() {
    archiveDue(*m_store, m_options->archiveDays(), m_platform.clock.now());
    const auto book = m_store->bookIds();
    if (book.failed()) {
        setStatus(QStringLiteral("快递列表读取失败!快递数据库暂时无法读取,请稍后再试.."));
        return false;
    }
    {
        const QSignalBlocker quiet(Text1);
        bookOf(Text1)->setBook(*book);
        Text1->setCurrentIndex(-1);
    }
    refreshMarks();
    return true;
}

// What a search or a duplicate add found: the selector lists those parcels,
// the archived ones marked so.
void Form1::list(const QList<ParcelRow>& rows) {
    QStringList goods;
    QList<qint64> ids;
    for (const ParcelRow& r : rows) {
        goods << (r.archived ? r.goods + ArchivedMark : r.goods);
        ids << r.id;
    }
    const QSignalBlocker quiet(Text1);
    bookOf(Text1)->setBook(goods, ids);
    Text1->setCurrentIndex(-1);
}

void Form1::addSeparators() {
    bookOf(Text1)->append(QStringLiteral("******************"));
    bookOf(Text1)->append(QStringLiteral("刷新快递列表"));
}

int Form1::count() const {
    return Text1->count();
}

QString Form1::chosenText() const {
    return Text1->currentText();
}

int Form1::chosenIndex() const {
    return Text1->currentIndex();
}

void Form1::setEntryText(int index, const QString& text) {
    Text1->setItemText(index, text);
}

void Form1::choose(int index) {
    {
        const QSignalBlocker quiet(Text1);
        Text1->setCurrentIndex(index);
    }
    Text1_Click();
}

// A choice the store could not answer: nothing is queried, the window is idle
// again and the user is told why.
void Form1::readFailed(const QString& error) {
    // A read may be the first to meet a damaged page: the check says so.
    if (!checkStore()) return;
    unlockWindow();
    setStatus(QStringLiteral("读取快递数据失败!请稍后再试.."));
    m_platform.dialogs.MsgBox(QStringLiteral("读取快递数据失败!快递数据库可能正被其他程序使用,"
                                             "请稍后再试..\n \n原因：") +
                                  error,
                              Mb::OkOnly + Mb::Exclamation, BoxTitle);
}

void Form1::Text1_Click() {
    hideAllPanels();
    Text1->setEnabled(false);
    ListView1->setEnabled(false);
    setToolbarEnabled(false);
    const int index = Text1->currentIndex();
    const qint64 parcel = bookOf(Text1)->parcelAt(index);
    if (index >= 0 && parcel == 0) { // the separator or 刷新快递列表: the whole book again
        if (!refreshBook()) unlockWindow();
        return;
    }
    // An archived parcel chosen from a search comes back into the book.
    if (const auto row = parcel ? m_store->parcelById(parcel) : Read<std::optional<ParcelRow>>{{}};
        !row.failed() && *row && (*row)->archived &&
        m_store->unarchiveParcel(
            parcel, m_platform.clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))) {
        const QSignalBlocker quiet(Text1);
        Text1->setItemText(index, (*row)->goods);
    }
    QString error;
    switch (parcel ? m_session->choose(parcel, &error) : QuerySession::Choice::Gone) {
    case QuerySession::Choice::Queried:
        return;
    case QuerySession::Choice::Unreadable:
        return readFailed(error);
    case QuerySession::Choice::Gone:
        // The parcel left the book behind the selector's back (another copy
        // of the book, a restored backup): show the book as it is rather than
        // query whatever parcel was chosen before.
        refill();
        ListView1->clear();
        unlockWindow();
        setStatus(QStringLiteral("该快递已不在快递列表中,快递列表已刷新.."));
        return;
    }
}

// The parser's rows: newest first, the newest red and bold; the oldest row
// selected while the list shows its top; the state and the time under way.
void Form1::showParsed(const Reading& read) {
    ListView1->setEnabled(true);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(read.count());
    for (int i = 0; i < read.count(); ++i)
        rows << new QTreeWidgetItem(
            {QString::number(i + 1), read.entries[i].time, read.entries[i].context});
    ListView1->addTopLevelItems(rows);
    if (QTreeWidgetItem* newest = ListView1->topLevelItem(0)) {
        QFont bold = newest->font(0);
        bold.setBold(true);
        for (int c = 0; c < 3; ++c) {
            newest->setForeground(c, QColor(255, 0, 0));
            newest->setFont(c, bold);
        }
    }
    Label12[7]->setText(m_session->current().company);
    if (read.count() > 0) {
        ListView1->setAutoScroll(false);
        ListView1->setCurrentItem(ListView1->topLevelItem(read.count() - 1));
        ListView1->setAutoScroll(true);
        ListView1->scrollToTop();
    }
    Label12[2]->setText(stateText(read.state));
    Label12[5]->setText(transitText(read.transitSecs(m_platform.clock.now())));
}

void Form1::ListView1_Click() {
    if (!m_options->on(Switch::Balloon)) return;
    const QTreeWidgetItem* entry = selectedEntry(ListView1);
    if (!entry) return setStatus(NoEntry);
    if (!tip) tip = new Class1(this);
    tip->ParentControl(ListView1);
    tip->ToolTipTitle(QStringLiteral("物流跟踪信息"));
    tip->ToolTipText(QStringLiteral("时间:") + entry->text(1) + QStringLiteral("\r\n物流进度:") +
                     entry->text(2));
    tip->Create();
}

void Form1::ListView1_DblClick() {
    const QTreeWidgetItem* entry = selectedEntry(ListView1);
    if (!entry) return setStatus(NoEntry);
    QApplication::clipboard()->setText(entry->text(1) + ' ' + entry->text(2));
    setStatus(QStringLiteral("单条物流进度已复制.."));
}

void Form1::ListView1_RightPress() {
    const QTreeWidgetItem* entry = selectedEntry(ListView1);
    if (!entry) return setStatus(NoEntry);
    Picture5->setVisible(true);
    Picture5->raise();
    Picture5->setGeometry(0, 0, width(), height());
    Label23->setGeometry(40, 40, width() - 80, height() - 80);
    Label23->setText(entry->text(1) + ' ' + entry->text(2));
}
