// 批量添加 (kdbatch): many numbers pasted, typed or read from a text or CSV
// file (导入快递簿), a preview of every line with its verdict before anything
// is stored, couriers detected one at a time through the active service
// (paced, cancellable), the accepted lines stored in one transaction; and
// 导出快递簿, the whole book as a CSV file.
#pragma once

#include "parcels/BatchLines.h"
#include "platform/Controls.h"

#include <functional>

class Dialogs;
class ParcelSelector;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class Store;
class TrackingSource;

class BatchPanel : public Panel {
    Q_OBJECT
public:
    BatchPanel(Store& store, Dialogs& dialogs, ParcelSelector& selector, QWidget* parent = nullptr);
    void setSource(TrackingSource* source) { m_source = source; }
    QPushButton* defaultButton() const override { return CommandBatch[4]; }
    void openBatchPanel();

    void openFile();    // CommandBatch[0]: 导入快递簿
    void preview();     // CommandBatch[1]
    void detect();      // CommandBatch[2]: starts, or cancels, the detection
    void exportBook();  // CommandBatch[3]: 导出快递簿
    void addAccepted(); // CommandBatch[4]: 确认添加
    const QList<BatchLine>& lines() const { return m_lines; }

    int detectPauseMs = 1000; // between two detections: the service's calls are counted
    qint64 maxFileBytes = 32 << 20;

private:
    void showLines(const QString& text);
    void showLine(int row);
    void showCounts(); // of every verdict, under the list
    void detectNext();
    void stopDetecting(const QString& said);
    BatchLookup lookup();

    Store& m_store;
    Dialogs& m_dialogs;
    ParcelSelector& m_selector;
    TrackingSource* m_source = nullptr;
    QList<BatchLine> m_lines;
    QList<int> m_toDetect; // rows still to detect
    int m_detectTotal = 0;
    std::function<void()> m_asking; // gives up the detection under way
    QTimer* m_pace = nullptr;
    QPlainTextEdit* TextBatch = nullptr;
    QTreeWidget* ListBatch = nullptr;
    QProgressBar* ProgressBatch = nullptr;
    QLabel* LabelBatch = nullptr;
    std::array<QPushButton*, 5> CommandBatch{};
};
