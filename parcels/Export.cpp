// Exporting the progress list to a text file the user names.
#include "app/Form1.h"
#include "parcels/BookText.h"
#include "platform/Platform.h"

#include <QSaveFile>
#include <QTreeWidget>

void Form1::exportList() {
    const auto notice = [this](const QString& text, int icon = Mb::Information) {
        m_platform.dialogs.MsgBox(text, Mb::OkOnly + icon, BoxTitle);
    };
    if (ListView1->topLevelItemCount() == 0) return notice(QStringLiteral("没有可导出的数据!"));
    const std::optional<QString> chosen =
        m_platform.dialogs.saveFileName(QStringLiteral("(TXT文本)|*.txt"));
    if (!chosen) {
        setStatus(QStringLiteral("已取消保存"));
        return;
    }
    if (ListView1->topLevelItemCount() == 0) { // emptied by a query while the dialog was open
        notice(QStringLiteral("没有可导出的数据!"));
        setStatus(QStringLiteral("没有可导出的数据.."));
        return;
    }
    if (const auto failure = ExportListViewContent(ListView1, withTxtExtension(*chosen))) {
        notice(QStringLiteral("导出失败!") + *failure, Mb::Exclamation);
        setStatus(QStringLiteral("导出失败!"));
        return;
    }
    notice(QStringLiteral("成功导出全部数据!"));
    setStatus(QStringLiteral("成功导出全部数据.."));
}

// The whole file is written under a temporary name and then takes the
// place of the old one, so a failed export leaves an existing file as it was.
std::optional<QString> Form1::ExportListViewContent(QTreeWidget* objListView,
                                                    const QString& strFilePath) {
    if (objListView->topLevelItemCount() == 0) return QStringLiteral("没有可导出的数据");
    QList<QStringList> rows;
    for (int r = 0; r < objListView->topLevelItemCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < objListView->columnCount(); ++c)
            cells << objListView->topLevelItem(r)->text(c);
        rows << cells;
    }
    QSaveFile file(strFilePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(exportBytes(rows)) < 0 || !file.commit())
        return file.errorString();
    return std::nullopt;
}
