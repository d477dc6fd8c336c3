// The progress list's mouse actions on the selected entry: a click shows it
// in a balloon (with 气泡提示 on), a double-click copies it, a right-button
// press shows it enlarged over the whole window.
#include "app/Balloon.h"
#include "app/Form1.h"
#include "settings/Options.h"
#include "store/Store.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QTreeWidget>

namespace {
const QString NoEntry = QStringLiteral("当前没有物流信息");

// The selected entry, or none (also when its ordinal cell is empty).
const QTreeWidgetItem* selectedEntry(const QTreeWidget* list) {
    const QTreeWidgetItem* row = list->currentItem();
    return row && !row->text(0).isEmpty() ? row : nullptr;
}
} // namespace

void Form1::ListView1_Click() {
    if (!options->on(Switch::Balloon)) return;
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
