// After every parsed answer of the window's query (gxtj): has the parcel
// gained entries since its stored count? Then the update cell says so in red,
// the new count is stored, and the alerts sound (emailgx: the update mail).
// A finished parcel never alerts and never has its count raised.
#pragma once

#include "watch/Change.h"

#include <QObject>
#include <QString>

class Alerts;
class QuerySession;
class Store;
struct Reading;

class ChangeDetection : public QObject {
    Q_OBJECT
public:
    ChangeDetection(QuerySession& session, Store& store, Alerts& alerts, QObject* parent = nullptr);
    void gxtj(const Reading& read);
    void emailgx(const Reading& read);

signals:
    // The update cell: its text, red for news.
    void judged(const QString& text, bool news);
    void status(const QString& text);

private:
    QuerySession& m_session;
    Store& m_store;
    Alerts& m_alerts;
};
