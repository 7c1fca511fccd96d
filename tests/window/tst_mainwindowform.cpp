#include "app/mainwindow.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTranslator>
#include <QVBoxLayout>

namespace {

enum class FontKind { Default, IntroHeading, Body, GroupHeading, Title };

// The application's default font with only the given attributes changed.
QFont expectedFont(FontKind kind)
{
    QFont font = QApplication::font();
    switch (kind) {
    case FontKind::Default:
        break;
    case FontKind::IntroHeading:
        font.setPointSize(15);
        font.setWeight(75);
        font.setKerning(false);
        break;
    case FontKind::Body:
        font.setPointSize(10);
        break;
    case FontKind::GroupHeading:
        font.setPointSize(11);
        font.setWeight(75);
        break;
    case FontKind::Title:
        font.setPointSize(24);
        break;
    }
    return font;
}

// Records every lookup and translates nothing, so the form keeps its own texts.
class RecordingTranslator : public QTranslator
{
public:
    struct Lookup
    {
        QByteArray context;
        QString sourceText;
        bool hasDisambiguation;
        int n;
    };

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        lookups.append({ context, QString::fromUtf8(sourceText), disambiguation != nullptr, n });
        return QString();
    }

    mutable QList<Lookup> lookups;
};

QString textOf(const QObject *object)
{
    for (const char *property : { "text", "title" }) {
        const QVariant value = object->property(property);
        if (value.isValid())
            return value.toString();
    }
    return QString();
}

} // namespace

Q_DECLARE_METATYPE(FontKind)

class TestMainWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTabsInOrder();
    void showsTexts_data();
    void showsTexts();
    void placesWidgets_data();
    void placesWidgets();
    void arrangesActionGroups_data();
    void arrangesActionGroups();
    void linkLabelsOpenTheMakersPages_data();
    void linkLabelsOpenTheMakersPages();
    void showsLogoStretched();
    void titleAreaLaidOutWithoutMargins();
    void keepsEveryWidgetInPlaceOnResize();
    void looksUpTextsInOrder();

private:
    MainWindow *window = nullptr;
};

void TestMainWindowForm::init()
{
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestMainWindowForm::cleanup()
{
    delete window;
    window = nullptr;
}

void TestMainWindowForm::showsTabsInOrder()
{
    auto tabs = window->findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    const QStringList pages = { QStringLiteral("tab_info"), QStringLiteral("tab_data_directories"),
                                QStringLiteral("tab_registry"), QStringLiteral("tab_others"),
                                QStringLiteral("tab_log_file") };
    const QStringList texts
            = { QStringLiteral("Informationen"), QStringLiteral("Datenverzeichnisse"),
                QStringLiteral("Registrierung"), QStringLiteral("Sonstiges"),
                QStringLiteral("Log Datei") };
    QCOMPARE(tabs->count(), pages.size());
    for (int i = 0; i < tabs->count(); ++i) {
        QCOMPARE(tabs->widget(i)->objectName(), pages.at(i));
        QCOMPARE(tabs->tabText(i), texts.at(i));
    }
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->tabPosition(), QTabWidget::North);
    QCOMPARE(tabs->tabShape(), QTabWidget::Rounded);
    QCOMPARE(tabs->elideMode(), Qt::ElideRight);
    QVERIFY(!tabs->usesScrollButtons());
    QVERIFY(!tabs->autoFillBackground());
    QCOMPARE(tabs->layoutDirection(), Qt::LeftToRight);
}

void TestMainWindowForm::showsTexts_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("text");

    auto row = [](const char *name, const QString &text) {
        QTest::newRow(name) << QString::fromLatin1(name) << text;
    };
    row("label_33", QStringLiteral("Beschreibung:"));
    row("label_34",
        QStringLiteral(
                "In diesem Programm findest du einige Sachen, um Velto Studio zu bereinigen."));
    row("label_35",
        QStringLiteral("Bitte beachte, dir von deinen Playlisten etc. immer vorab ein Backup zu "
                       "erstellen, wenn du alte Listen oä. nicht verlieren   bzw. wieder "
                       "einspielen möchtest."));
    row("label_36", QStringLiteral("Bei Fragen wende dich bitte an den Kormand Support."));

    row("label_10", QStringLiteral("Komplette Velto Studio Verzeichnisse entfernen"));
    row("label_8", QStringLiteral("Alle Daten entfernen"));
    row("label_24", QStringLiteral("Benutzerkontoeinstellungen Registry"));
    row("label_26", QStringLiteral("Netzlaufwerk konnte nicht gefunden werden"));
    row("label_12", QStringLiteral("Runtime Error 216"));
    row("label_30", QStringLiteral("Programm fordert ein \"Benutzer/Administrator\" Passwort"));
    row("label_32", QStringLiteral("Log Datei Erstellen"));

    row("label_9",
        QStringLiteral("Entferne hiermit alle durch Velto Studio verwalteten Verzeichnisse. Dies "
                       "beinhaltet die unter Velto Studio Optionen eingestellten "
                       "Standard-Verzeichnisse für Backup, Cover, Playlistdaten, etc. Beachte "
                       "bitte ggf. vorher ein Backup anzufertigen. Danach MUSS Velto Studio "
                       "Deinstalliert, falls noch nicht geschehen, und neu installiert werden."));
    row("label_6",
        QStringLiteral("Entferne hiermit ALLE Registrierungseinträge von Velto Studio. Hiermit "
                       "wird alles entfernt, was Velto Studio in der Registrierung stehen hat "
                       "(inkl. diverser Erinstellungen, Pfade, etc.)"));
    row("label_23",
        QStringLiteral("Solltest du Probleme mit dem Drag & Drop eines Musik-Files in Velto Studio "
                       "Probleme haben liegt das an den Benutzerkontoeinstellungen von Windows. "
                       "Unter einer bestimmten Einstellung verbietet Windows den Drag & Drop von "
                       "Haus aus. Mit diesem Fix weist du Windows an dies nicht mehr zu tun. "
                       "Beachte bitte, dass die Änderung sich auf alle Programme auswirkt."));
    row("label_25",
        QStringLiteral("Wenn es Probleme der Art \"Netzlaufwerk konnte nicht gefunden werden\" "
                       "gibt, behebt dieser Fix dieses Problem."));
    row("label_11",
        QStringLiteral("Bei diesem Fehler empfehlen wir eine komplatte Neuinstallation. Bitte "
                       "deinstalliere Velto Studio mit der Windows eigenen Software "
                       "Deinstallation und führe DANACH diesen Fix aus. Beachte: Dieser Fix führt "
                       "folgende Schritte durch: Löschen der Velto Studio Verzeichnisse (ggf. "
                       "bitte vorher Backup machen), Komplette Säuberung der Windows "
                       "Registrierung von Kormand Velto Studio Einträgen."));
    row("label_29",
        QStringLiteral("Wenn Velto Studio beim Start ein Passwort fordert welches vorher nicht "
                       "vergeben war führe bitte diesen FIX aus. Dieser Fehler resultiert aus "
                       "einer fehlerhaten \"velto.set\" Datei, welche noch aus einer "
                       "Altinstallation verfügbar war, und entfernt diese Datei."));
    row("label_31",
        QStringLiteral("Erstelle eine Logdatei mit deinen Velto Studio bezogenen Daten um diese "
                       "unserem Support-Team zur Verfügung zu stellen."));

    for (const char *button :
         { "btn_directories__delete_all_directories", "btn_registry__delete_all_registry_data",
           "btn_registry__change_uac_config", "btn_registry__fix_network_device_connection",
           "btn_others__fix_runtime_error_216", "btn_others__fix_velto_set_file",
           "btn_logfile__generate_log_file" })
        row(button, QStringLiteral("Ausführen"));
    for (const char *box :
         { "groupBox_directories", "groupBox_registry_data", "groupBox_uac_config",
           "groupBox_network_device", "groupBox_runtime_error_216", "groupBox_velto_set_file",
           "groupBox_log_file" })
        row(box, QString());

    row("label_3", QString());
    row("label", QStringLiteral("Velto Studio RepairTool"));
    row("label_version", QStringLiteral("Version 1.0"));
    row("menuDatei", QStringLiteral("Datei"));
    row("actionBeenden", QStringLiteral("Beenden"));
}

void TestMainWindowForm::showsTexts()
{
    QFETCH(QString, objectName);
    QFETCH(QString, text);

    QObject *object = window->findChild<QObject *>(objectName);
    QVERIFY(object);
    QCOMPARE(textOf(object), text);
}

void TestMainWindowForm::placesWidgets_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<FontKind>("font");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("wordWrap");

    const int defaultAlignment = int(Qt::AlignLeft | Qt::AlignVCenter);
    const int rightCentred = int(Qt::AlignRight | Qt::AlignVCenter);
    auto row = [](const char *name, const char *parent, const QRect &rect, FontKind font,
                  int alignment, bool wordWrap) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << rect
                            << font << alignment << wordWrap;
    };
    row("label_33", "tab_info", QRect(20, 20, 171, 21), FontKind::IntroHeading, defaultAlignment,
        false);
    row("label_34", "tab_info", QRect(20, 50, 701, 31), FontKind::Body, defaultAlignment, false);
    row("label_35", "tab_info", QRect(20, 100, 755, 41), FontKind::Body, defaultAlignment, true);
    row("label_36", "tab_info", QRect(20, 150, 755, 16), FontKind::Body, defaultAlignment, true);
    row("label_3", "centralwidget", QRect(20, 10, 81, 61), FontKind::Default, defaultAlignment,
        false);
    // label and label_2 sit where verticalLayout puts them; no rectangle of their own.
    row("label", "layoutWidget", QRect(), FontKind::Title, rightCentred, false);
    row("label_2", "layoutWidget", QRect(), FontKind::Body, rightCentred, false);
    row("label_version", "centralwidget", QRect(15, 550, 161, 16), FontKind::Body, defaultAlignment,
        false);
    row("label_4", "centralwidget", QRect(660, 550, 121, 20), FontKind::Body, rightCentred, false);
}

void TestMainWindowForm::placesWidgets()
{
    QFETCH(QString, objectName);
    QFETCH(QString, parentName);
    QFETCH(QRect, rect);
    QFETCH(FontKind, font);
    QFETCH(int, alignment);
    QFETCH(bool, wordWrap);

    auto label = window->findChild<QLabel *>(objectName);
    QVERIFY(label);
    QCOMPARE(label->parentWidget()->objectName(), parentName);
    if (rect.isValid())
        QCOMPARE(label->geometry(), rect);
    QCOMPARE(label->font(), expectedFont(font));
    QCOMPARE(int(label->alignment()), alignment);
    QCOMPARE(label->wordWrap(), wordWrap);
}

void TestMainWindowForm::arrangesActionGroups_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QRect>("boxRect");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("headingWidth");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("descriptionHeight");

    auto row = [](const char *page, const QRect &boxRect, const char *button, const char *line,
                  int lineHeight, const char *heading, int headingWidth, const char *description,
                  int descriptionHeight) {
        QTest::newRow(button) << QString::fromLatin1(page) << boxRect << QString::fromLatin1(button)
                              << QString::fromLatin1(line) << lineHeight
                              << QString::fromLatin1(heading) << headingWidth
                              << QString::fromLatin1(description) << descriptionHeight;
    };
    row("tab_data_directories", QRect(10, 20, 755, 111), "btn_directories__delete_all_directories",
        "line_3", 70, "label_10", 561, "label_9", 71);
    row("tab_registry", QRect(10, 110, 755, 85), "btn_registry__delete_all_registry_data", "line_2",
        55, "label_8", 231, "label_6", 41);
    row("tab_registry", QRect(10, 200, 755, 105), "btn_registry__change_uac_config", "line_10", 80,
        "label_24", 561, "label_23", 65);
    row("tab_registry", QRect(10, 310, 755, 80), "btn_registry__fix_network_device_connection",
        "line_11", 55, "label_26", 561, "label_25", 41);
    row("tab_others", QRect(10, 105, 755, 130), "btn_others__fix_runtime_error_216", "line_4", 100,
        "label_12", 561, "label_11", 80);
    row("tab_others", QRect(10, 340, 755, 95), "btn_others__fix_velto_set_file", "line_13", 70,
        "label_30", 591, "label_29", 50);
    row("tab_log_file", QRect(10, 20, 755, 80), "btn_logfile__generate_log_file", "line_14", 55,
        "label_32", 561, "label_31", 31);
}

void TestMainWindowForm::arrangesActionGroups()
{
    QFETCH(QString, page);
    QFETCH(QRect, boxRect);
    QFETCH(QString, button);
    QFETCH(QString, line);
    QFETCH(int, lineHeight);
    QFETCH(QString, heading);
    QFETCH(int, headingWidth);
    QFETCH(QString, description);
    QFETCH(int, descriptionHeight);

    auto pushButton = window->findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    auto box = qobject_cast<QGroupBox *>(pushButton->parentWidget());
    QVERIFY(box);
    QCOMPARE(box->parentWidget()->objectName(), page);
    QCOMPARE(box->geometry(), boxRect);
    QCOMPARE(box->sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
    QCOMPARE(box->sizePolicy().verticalPolicy(), QSizePolicy::Maximum);
    QCOMPARE(box->sizePolicy().horizontalStretch(), 0);
    QCOMPARE(box->sizePolicy().verticalStretch(), 0);
    QCOMPARE(pushButton->geometry(), QRect(10, 10, 121, 32));

    // Created in the order button, line, description, heading.
    const QObjectList children = box->children();
    QCOMPARE(children.size(), 4);
    QCOMPARE(children.at(0), pushButton);
    QCOMPARE(children.at(1)->objectName(), line);
    QCOMPARE(children.at(2)->objectName(), description);
    QCOMPARE(children.at(3)->objectName(), heading);

    auto frame = qobject_cast<QFrame *>(children.at(1));
    QVERIFY(frame);
    QCOMPARE(frame->geometry(), QRect(130, 10, 20, lineHeight));
    QCOMPARE(frame->frameShape(), QFrame::VLine);
    QCOMPARE(frame->frameShadow(), QFrame::Sunken);

    auto descriptionLabel = qobject_cast<QLabel *>(children.at(2));
    QVERIFY(descriptionLabel);
    QCOMPARE(descriptionLabel->geometry(), QRect(160, 30, 581, descriptionHeight));
    QCOMPARE(descriptionLabel->font(), expectedFont(FontKind::Body));
    QCOMPARE(descriptionLabel->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QVERIFY(descriptionLabel->wordWrap());

    auto headingLabel = qobject_cast<QLabel *>(children.at(3));
    QVERIFY(headingLabel);
    QCOMPARE(headingLabel->geometry(), QRect(160, 10, headingWidth, 16));
    QCOMPARE(headingLabel->font(), expectedFont(FontKind::GroupHeading));
}

void TestMainWindowForm::linkLabelsOpenTheMakersPages_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("linkText");

    QTest::newRow("support page") << QStringLiteral("label_4")
                                  << QStringLiteral("https://www.kormand.de/support")
                                  << QStringLiteral("Kormand Support");
    QTest::newRow("web site") << QStringLiteral("label_2")
                              << QStringLiteral("https://www.kormand.de")
                              << QStringLiteral("www.kormand.de");
}

void TestMainWindowForm::linkLabelsOpenTheMakersPages()
{
    QFETCH(QString, objectName);
    QFETCH(QString, target);
    QFETCH(QString, linkText);

    auto label = window->findChild<QLabel *>(objectName);
    QVERIFY(label);
    QVERIFY(label->openExternalLinks());
    QVERIFY(label->textInteractionFlags() & Qt::LinksAccessibleByMouse);
    QVERIFY(Qt::mightBeRichText(label->text()));

    QTextDocument document;
    document.setHtml(label->text());
    QCOMPARE(document.blockCount(), 1);
    QCOMPARE(document.toPlainText(), linkText);
    int fragments = 0;
    for (auto it = document.begin().begin(); !it.atEnd(); ++it, ++fragments) {
        const QTextCharFormat format = it.fragment().charFormat();
        QVERIFY(format.isAnchor());
        QCOMPARE(format.anchorHref(), target);
        QVERIFY(format.fontUnderline());
        QCOMPARE(format.foreground().color(), QColor(0x00, 0x00, 0xff));
    }
    QCOMPARE(fragments, 1);
}

void TestMainWindowForm::showsLogoStretched()
{
    auto logo = window->findChild<QLabel *>(QStringLiteral("label_3"));
    QVERIFY(logo);
#if QT_VERSION >= QT_VERSION_CHECK(5, 15, 0)
    const QPixmap pixmap = logo->pixmap(Qt::ReturnByValue);
#else
    QVERIFY(logo->pixmap());
    const QPixmap pixmap = *logo->pixmap();
#endif
    QCOMPARE(pixmap.size(), QSize(400, 307));
    QVERIFY(logo->hasScaledContents());
}

void TestMainWindowForm::titleAreaLaidOutWithoutMargins()
{
    auto area = window->findChild<QWidget *>(QStringLiteral("layoutWidget"));
    QVERIFY(area);
    QCOMPARE(area->geometry(), QRect(370, 10, 421, 63));
    auto layout = qobject_cast<QVBoxLayout *>(area->layout());
    QVERIFY(layout);
    QCOMPARE(layout->objectName(), QStringLiteral("verticalLayout"));
    QCOMPARE(layout->contentsMargins(), QMargins(0, 0, 0, 0));
    QCOMPARE(layout->count(), 2);
    QCOMPARE(layout->itemAt(0)->widget()->objectName(), QStringLiteral("label"));
    QCOMPARE(layout->itemAt(1)->widget()->objectName(), QStringLiteral("label_2"));
    auto siteLabel = window->findChild<QLabel *>(QStringLiteral("label_2"));
    QCOMPARE(siteLabel->layoutDirection(), Qt::LeftToRight);
    QCOMPARE(siteLabel->frameShadow(), QFrame::Plain);
}

void TestMainWindowForm::keepsEveryWidgetInPlaceOnResize()
{
    auto central = window->findChild<QWidget *>(QStringLiteral("centralwidget"));
    QVERIFY(central);
    QHash<QWidget *, QRect> before;
    const QList<QWidget *> widgets = central->findChildren<QWidget *>();
    for (QWidget *widget : widgets)
        before.insert(widget, widget->geometry());
    QVERIFY(before.size() > 50);

    for (const QSize &size : { QSize(1400, 1000), QSize(420, 300), QSize(803, 599) }) {
        window->resize(size);
        QTRY_COMPARE(window->size(), size);
        QCoreApplication::processEvents();
        for (QWidget *widget : widgets)
            QVERIFY2(widget->geometry() == before.value(widget),
                     qPrintable(widget->objectName() + QLatin1String(" moved")));
    }
}

void TestMainWindowForm::looksUpTextsInOrder()
{
    RecordingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    MainWindow fresh;
    QCoreApplication::removeTranslator(&translator);

    // Where a text ends up, in the order of the text pass; the first and the second to last are
    // replaced right after set-up.
    const QStringList order = {
        QStringLiteral("MainWindow"),
        QStringLiteral("actionBeenden"),
        QStringLiteral("label_33"),
        QStringLiteral("label_34"),
        QStringLiteral("label_35"),
        QStringLiteral("label_36"),
        QStringLiteral("#0"),
        QStringLiteral("btn_directories__delete_all_directories"),
        QStringLiteral("label_9"),
        QStringLiteral("label_10"),
        QStringLiteral("#1"),
        QStringLiteral("btn_registry__delete_all_registry_data"),
        QStringLiteral("label_6"),
        QStringLiteral("label_8"),
        QStringLiteral("btn_registry__change_uac_config"),
        QStringLiteral("label_23"),
        QStringLiteral("label_24"),
        QStringLiteral("btn_registry__fix_network_device_connection"),
        QStringLiteral("label_25"),
        QStringLiteral("label_26"),
        QStringLiteral("#2"),
        QStringLiteral("btn_others__fix_runtime_error_216"),
        QStringLiteral("label_11"),
        QStringLiteral("label_12"),
        QStringLiteral("btn_others__fix_velto_set_file"),
        QStringLiteral("label_29"),
        QStringLiteral("label_30"),
        QStringLiteral("#3"),
        QStringLiteral("btn_logfile__generate_log_file"),
        QStringLiteral("label_31"),
        QStringLiteral("label_32"),
        QStringLiteral("#4"),
        QStringLiteral("label_4"),
        QStringLiteral("label"),
        QStringLiteral("label_2"),
        QStringLiteral("label_version"),
        QStringLiteral("menuDatei"),
    };
    auto tabs = fresh.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QStringList expected;
    for (const QString &target : order) {
        if (target == QLatin1String("MainWindow"))
            expected.append(QStringLiteral("MainWindow"));
        else if (target == QLatin1String("label_version"))
            expected.append(QStringLiteral("Version Placeholder"));
        else if (target.startsWith(QLatin1Char('#')))
            expected.append(tabs->tabText(target.midRef(1).toInt()));
        else
            expected.append(textOf(fresh.findChild<QObject *>(target)));
    }

    QStringList looked;
    for (const RecordingTranslator::Lookup &lookup : translator.lookups) {
        if (lookup.context != "MainWindow")
            continue;
        looked.append(lookup.sourceText);
        QVERIFY(!lookup.hasDisambiguation);
        QCOMPARE(lookup.n, -1);
    }
    QCOMPARE(looked, expected);
}

QTEST_MAIN(TestMainWindowForm)
#include "tst_mainwindowform.moc"
