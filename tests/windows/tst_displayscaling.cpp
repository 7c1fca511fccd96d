#include "app/mainwindow.h"
#include "platform/display/displayscaling.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QTextStream>
#include <QWindow>

#include <windows.h>

// The window on a display scaled by Windows (LogPixels 96, 120, 144, 192), with the Windows
// platform plugin on a real (virtual) screen: one run per scaling, started by
// scripts/lib/wine-dpi-test. What the form gives in pixels at 100 % must come out multiplied by
// the display's factor in device pixels; before Qt 5.14, where the window is DPI-unaware, by 1.
namespace {

const QSize designSize(803, 599);

struct Placement
{
    const char *name;
    QRect rect; // relative to the parent, at 100 %
};

// Every fixed rectangle of the form.
const QList<Placement> placements = {
    { "tabWidget", QRect(10, 80, 781, 461) },
    { "label_33", QRect(20, 20, 171, 21) },
    { "label_34", QRect(20, 50, 701, 31) },
    { "label_35", QRect(20, 100, 755, 41) },
    { "label_36", QRect(20, 150, 755, 16) },
    { "groupBox_directories", QRect(10, 20, 755, 111) },
    { "btn_directories__delete_all_directories", QRect(10, 10, 121, 32) },
    { "line_3", QRect(130, 10, 20, 70) },
    { "label_10", QRect(160, 10, 561, 16) },
    { "label_9", QRect(160, 30, 581, 71) },
    { "groupBox_registry_data", QRect(10, 110, 755, 85) },
    { "btn_registry__delete_all_registry_data", QRect(10, 10, 121, 32) },
    { "line_2", QRect(130, 10, 20, 55) },
    { "label_8", QRect(160, 10, 231, 16) },
    { "label_6", QRect(160, 30, 581, 41) },
    { "groupBox_uac_config", QRect(10, 200, 755, 105) },
    { "btn_registry__change_uac_config", QRect(10, 10, 121, 32) },
    { "line_10", QRect(130, 10, 20, 80) },
    { "label_24", QRect(160, 10, 561, 16) },
    { "label_23", QRect(160, 30, 581, 65) },
    { "groupBox_network_device", QRect(10, 310, 755, 80) },
    { "btn_registry__fix_network_device_connection", QRect(10, 10, 121, 32) },
    { "line_11", QRect(130, 10, 20, 55) },
    { "label_26", QRect(160, 10, 561, 16) },
    { "label_25", QRect(160, 30, 581, 41) },
    { "groupBox_runtime_error_216", QRect(10, 105, 755, 130) },
    { "btn_others__fix_runtime_error_216", QRect(10, 10, 121, 32) },
    { "line_4", QRect(130, 10, 20, 100) },
    { "label_12", QRect(160, 10, 561, 16) },
    { "label_11", QRect(160, 30, 581, 80) },
    { "groupBox_velto_set_file", QRect(10, 340, 755, 95) },
    { "btn_others__fix_velto_set_file", QRect(10, 10, 121, 32) },
    { "line_13", QRect(130, 10, 20, 70) },
    { "label_30", QRect(160, 10, 591, 16) },
    { "label_29", QRect(160, 30, 581, 50) },
    { "groupBox_log_file", QRect(10, 20, 755, 80) },
    { "btn_logfile__generate_log_file", QRect(10, 10, 121, 32) },
    { "line_14", QRect(130, 10, 20, 55) },
    { "label_32", QRect(160, 10, 561, 16) },
    { "label_31", QRect(160, 30, 581, 31) },
    { "label_3", QRect(20, 10, 81, 61) },
    { "layoutWidget", QRect(370, 10, 421, 63) },
    { "label_version", QRect(15, 550, 161, 16) },
    { "label_4", QRect(660, 550, 121, 20) },
};

// Where the labels' line counts at 100 % are kept for the runs at other scalings; the prefix's
// temporary folder outlives one run.
QString referencePath()
{
    return QDir::temp().filePath(QStringLiteral("repairtool-label-lines.txt"));
}

int systemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Lines the label's text takes at the label's width, wrapped at word boundaries as a wrapping
// label does; more than one for a label that does not wrap means its text is cut.
int linesNeeded(const QLabel *label)
{
    const QFontMetrics metrics(label->font(), const_cast<QLabel *>(label));
    const QRect bounds
            = metrics.boundingRect(QRect(0, 0, label->contentsRect().width(), 100000),
                                   int(label->alignment()) | Qt::TextWordWrap, label->text());
    return qRound(qreal(bounds.height()) / metrics.lineSpacing());
}

bool within(qreal actual, qreal expected, qreal tolerance = 1.0)
{
    return qAbs(actual - expected) <= tolerance;
}

} // namespace

class TestDisplayScaling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void windowIsDesignTimesFactor();
    void fitsFullHdScreenUpTo150();
    void widgetIsDesignTimesFactor_data();
    void widgetIsDesignTimesFactor();
    void fontGrowsByFactor_data();
    void fontGrowsByFactor();
    void labelsNeedNoMoreLinesThanAt100();

private:
    MainWindow *window = nullptr;
    qreal factor = 1.0;
};

void TestDisplayScaling::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("windows"));
#if QT_VERSION >= QT_VERSION_CHECK(5, 14, 0)
    factor = systemDpi() / 96.0;
    const QByteArray expected = qgetenv("REPAIRTOOL_EXPECTED_DPI");
    if (!expected.isEmpty())
        QCOMPARE(systemDpi(), expected.toInt());
#else
    // The window runs DPI-unaware: laid out at 100 % in its own pixels (which are all it can
    // measure), stretched by Windows to the display's factor.
    QVERIFY(!IsProcessDPIAware());
#endif
    qInfo("system DPI %d, factor %.2f", systemDpi(), factor);
    qInfo("default font %s, drawn with %s", qPrintable(QApplication::font().toString()),
          qPrintable(QFontInfo(QApplication::font()).family()));

    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestDisplayScaling::cleanupTestCase()
{
    delete window;
}

void TestDisplayScaling::windowIsDesignTimesFactor()
{
    // Measured by Windows itself, in device pixels.
    RECT client;
    QVERIFY(GetClientRect(reinterpret_cast<HWND>(window->winId()), &client));
    const QSize device(client.right - client.left, client.bottom - client.top);
    qInfo("window %dx%d device pixels", device.width(), device.height());
    QVERIFY2(within(device.width(), designSize.width() * factor)
                     && within(device.height(), designSize.height() * factor),
             qPrintable(QStringLiteral("%1x%2").arg(device.width()).arg(device.height())));
    QVERIFY(within(window->windowHandle()->devicePixelRatio(), factor, 0.01));
}

void TestDisplayScaling::fitsFullHdScreenUpTo150()
{
    if (factor > 1.5)
        QSKIP("beyond 150 % the design is larger than a 1920 x 1080 screen");
    RECT frame;
    QVERIFY(GetWindowRect(reinterpret_cast<HWND>(window->winId()), &frame));
    const QSize outer(frame.right - frame.left, frame.bottom - frame.top);
    qInfo("window with frame %dx%d device pixels", outer.width(), outer.height());
    QVERIFY(outer.width() <= 1920);
    QVERIFY(outer.height() <= 1080);
}

void TestDisplayScaling::widgetIsDesignTimesFactor_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("design");
    for (const Placement &placement : placements)
        QTest::newRow(placement.name) << QString::fromLatin1(placement.name) << placement.rect;
}

void TestDisplayScaling::widgetIsDesignTimesFactor()
{
    QFETCH(QString, name);
    QFETCH(QRect, design);

    auto widget = window->findChild<QWidget *>(name);
    QVERIFY(widget);
    const qreal ratio = widget->devicePixelRatioF();
    const QRectF device(QPointF(widget->pos()) * ratio, QSizeF(widget->size()) * ratio);
    const QRectF expected(QPointF(design.topLeft()) * factor, QSizeF(design.size()) * factor);
    QVERIFY2(within(device.x(), expected.x()) && within(device.y(), expected.y())
                     && within(device.width(), expected.width())
                     && within(device.height(), expected.height()),
             qPrintable(QStringLiteral("%1,%2 %3x%4 device pixels")
                                .arg(device.x())
                                .arg(device.y())
                                .arg(device.width())
                                .arg(device.height())));
}

void TestDisplayScaling::fontGrowsByFactor_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("pointSize");

    QTest::newRow("intro heading") << QStringLiteral("label_33") << 15;
    QTest::newRow("body") << QStringLiteral("label_34") << 10;
    QTest::newRow("group heading") << QStringLiteral("label_10") << 11;
    QTest::newRow("title") << QStringLiteral("label") << 24;
}

void TestDisplayScaling::fontGrowsByFactor()
{
    QFETCH(QString, label);
    QFETCH(int, pointSize);

    auto widget = window->findChild<QLabel *>(label);
    QVERIFY(widget);
    QCOMPARE(widget->font().pointSize(), pointSize);
    // At 100 % a point is 96/72 pixels; scaled, the glyphs are drawn that many device pixels
    // times the factor high.
    const qreal device = QFontInfo(widget->font()).pixelSize() * widget->devicePixelRatioF();
    const qreal expected = pointSize * 96.0 / 72.0 * factor;
    QVERIFY2(within(device, expected, 1.0 * factor),
             qPrintable(QStringLiteral("%1 device pixels, expected %2").arg(device).arg(expected)));
}

void TestDisplayScaling::labelsNeedNoMoreLinesThanAt100()
{
    QMap<QString, int> lines;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text())
            || label->text().isEmpty())
            continue;
        lines.insert(label->objectName(), linesNeeded(label));
    }
    QVERIFY(lines.size() >= 20);

    QFile reference(referencePath());
    if (qFuzzyCompare(factor, 1.0)) {
        QVERIFY(reference.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        QTextStream out(&reference);
        for (auto it = lines.cbegin(); it != lines.cend(); ++it)
            out << it.key() << ' ' << it.value() << '\n';
        return;
    }
    if (!reference.open(QIODevice::ReadOnly | QIODevice::Text))
        QSKIP("no line counts at 100 % to compare with: the run at 96 DPI comes first");
    QTextStream in(&reference);
    QStringList more;
    int compared = 0;
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char(' '));
        if (fields.size() != 2 || !lines.contains(fields.at(0)))
            continue;
        ++compared;
        const int at100 = fields.at(1).toInt();
        if (lines.value(fields.at(0)) > at100)
            more.append(QStringLiteral("%1: %2 lines, %3 at 100 %")
                                .arg(fields.at(0))
                                .arg(lines.value(fields.at(0)))
                                .arg(at100));
    }
    QCOMPARE(compared, lines.size());
    QVERIFY2(more.isEmpty(), qPrintable(more.join(QStringLiteral("; "))));
}

int main(int argc, char *argv[])
{
    prepareDisplayScaling();
    QApplication application(argc, argv);
    TestDisplayScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_displayscaling.moc"
