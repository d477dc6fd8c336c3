// The floor of the start-up benchmark: the program's window built again from
// the tree tree_dump wrote (the same classes, object names, places, texts,
// lists, pixmaps and the skin), with the same fonts and translation, and no
// logic: no store, no query, no timer.
//
//   JZB_FLOOR_TREE=tree.json JZB_FLOOR_SKIN=skinh.she floor_window
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTranslator>
#include <QTreeWidget>

namespace {
// The top level paints the program's background, as the window does.
class Floor : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).drawPixmap(0, 0, QPixmap(QStringLiteral(":/images/background.png")));
    }
};

QPixmap pixmapOf(const QJsonValue& v) {
    QPixmap p;
    p.loadFromData(QByteArray::fromBase64(v.toString().toLatin1()), "PNG");
    return p;
}

QWidget* make(const QJsonObject& o, QWidget* parent) {
    const QString cls = o["class"].toString();
    const QString text = o["text"].toString();
    QWidget* w = nullptr;
    if (cls == QLatin1String("QLabel")) {
        auto* l = new QLabel(text, parent);
        l->setAlignment(Qt::Alignment(o["align"].toInt()));
        l->setWordWrap(o["wrap"].toBool());
        if (o.contains("pixmap")) l->setPixmap(pixmapOf(o["pixmap"]));
        w = l;
    } else if (cls == QLatin1String("QPushButton")) {
        w = new QPushButton(text, parent);
    } else if (cls == QLatin1String("QCheckBox")) {
        auto* c = new QCheckBox(text, parent);
        c->setChecked(o["checked"].toBool());
        w = c;
    } else if (cls == QLatin1String("QRadioButton")) {
        auto* r = new QRadioButton(text, parent);
        r->setChecked(o["checked"].toBool());
        w = r;
    } else if (cls == QLatin1String("QLineEdit")) {
        w = new QLineEdit(text, parent);
    } else if (cls == QLatin1String("QComboBox")) {
        auto* c = new QComboBox(parent);
        c->setEditable(o["editable"].toBool());
        for (const QJsonValue& item : o["items"].toArray())
            c->addItem(item.toString());
        w = c;
    } else if (cls == QLatin1String("QGroupBox")) {
        w = new QGroupBox(text, parent);
    } else if (cls == QLatin1String("QTreeWidget")) {
        auto* t = new QTreeWidget(parent);
        QStringList headers;
        for (const QJsonValue& h : o["headers"].toArray())
            headers << h.toString();
        t->setHeaderLabels(headers);
        const QJsonArray widths = o["widths"].toArray();
        for (int i = 0; i < widths.size(); ++i)
            t->setColumnWidth(i, widths[i].toInt());
        w = t;
    } else if (cls == QLatin1String("QFrame")) {
        w = new QFrame(parent);
    } else {
        w = new QWidget(parent);
    }
    w->setObjectName(o["name"].toString());
    const QJsonArray g = o["geometry"].toArray();
    w->setGeometry(g[0].toInt(), g[1].toInt(), g[2].toInt(), g[3].toInt());
    if (!o["style"].toString().isEmpty()) w->setStyleSheet(o["style"].toString());
    if (!o["tip"].toString().isEmpty()) w->setToolTip(o["tip"].toString());
    if (o["hidden"].toBool()) w->hide();
    return w;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    QTranslator qtChinese;
    if (qtChinese.load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);
    QFile treeFile(qEnvironmentVariable("JZB_FLOOR_TREE"));
    if (!treeFile.open(QIODevice::ReadOnly)) return 2;
    const QJsonArray tree = QJsonDocument::fromJson(treeFile.readAll()).array();
    Floor window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    QFile skin(qEnvironmentVariable("JZB_FLOOR_SKIN"));
    if (skin.open(QIODevice::ReadOnly)) window.setStyleSheet(QString::fromUtf8(skin.readAll()));
    QList<QWidget*> made;
    for (const QJsonValue& v : tree) {
        const QJsonObject o = v.toObject();
        const int parent = o["parent"].toInt();
        if (parent < 0) {
            window.setObjectName(o["name"].toString());
            const QJsonArray g = o["geometry"].toArray();
            window.setFixedSize(g[2].toInt(), g[3].toInt());
            made << &window;
        } else {
            QWidget* up = parent < made.size() ? made[parent] : nullptr;
            made << (up ? make(o, up) : nullptr);
        }
    }
    window.setWindowTitle(QStringLiteral("floor"));
    window.show();
    return app.exec();
}
